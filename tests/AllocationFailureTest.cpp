// Operations that can raise decide before they allocate: when memory is
// exhausted, an invalid subtraction still raises num::Underflow (or gives
// nothing), never std::bad_alloc.
//
// This program replaces malloc so that large requests fail on demand.  Under
// AddressSanitizer malloc belongs to the sanitizer, so there it cannot be
// replaced and the check does not run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <new>
#include <vector>

#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"

namespace {

std::atomic<bool> failLargeAllocations{false};
// Larger than any allocation GoogleTest or an exception object needs, and
// smaller than the operands below.
constexpr std::size_t kLarge = std::size_t{1} << 20;

}  // namespace

#if !NUMKIT_ASAN
extern "C" void* __libc_malloc(std::size_t n);
extern "C" void* malloc(std::size_t n) {
  if (n >= kLarge && failLargeAllocations.load(std::memory_order_relaxed)) return nullptr;
  return __libc_malloc(n);
}
#endif

namespace {

using num::BigNat_;
using num::Natural;

// Fails every large allocation while it lives.
struct MemoryExhausted {
  MemoryExhausted() { failLargeAllocations = true; }
  ~MemoryExhausted() { failLargeAllocations = false; }
  MemoryExhausted(const MemoryExhausted&) = delete;
  MemoryExhausted& operator=(const MemoryExhausted&) = delete;
};

// A value of n limbs, each equal to w (unused under AddressSanitizer, where
// the test that needs it is skipped).
[[maybe_unused]] BigNat_ limbs(std::size_t n, num::Word w) {
  std::vector<num::Word> v(n, w);
  return num::bigNatFromWordList(v);
}

TEST(AllocationFailure, InvalidSubtractionsRaiseUnderflowNotBadAlloc) {
#if NUMKIT_ASAN
  GTEST_SKIP() << "malloc cannot be replaced under AddressSanitizer";
#else
  constexpr std::size_t n = 2 * kLarge / sizeof(num::Word);
  const BigNat_ small = limbs(n, 1);
  const BigNat_ large = limbs(n, 2);
  const BigNat_ longer = limbs(n + 1, 1);
  const Natural a = num::NB(small);
  const Natural b = num::NB(large);
  {
    const MemoryExhausted exhausted;
    // The allocation really fails: a valid difference cannot be built.
    EXPECT_THROW(num::bigNatSubUnsafe(large, small), std::bad_alloc);
    EXPECT_THROW(b - a, std::bad_alloc);
    for (const BigNat_* bigger : {&large, &longer}) {
      EXPECT_FALSE(num::bigNatSub(small, *bigger).has_value());
      EXPECT_THROW(num::bigNatSubUnsafe(small, *bigger), num::Underflow);
    }
    EXPECT_FALSE(num::naturalSub(a, b).has_value());
    EXPECT_THROW(num::naturalSubThrow(a, b), num::Underflow);
    EXPECT_THROW(a - b, num::Underflow);
  }
#endif
}

}  // namespace
