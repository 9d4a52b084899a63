// How many blocks results take: none for a single-word result, one for a
// multi-word result, none for a step of a running sum that fits its block.
//
// The program turns the block cache off (NUMKIT_BLOCK_CACHE=0, before any
// block is released), so every block is one malloc, and counts the mallocs
// of each operation.  Under AddressSanitizer malloc belongs to the sanitizer
// and the count does not run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> mallocs{0};

}  // namespace

#if !NUMKIT_ASAN
extern "C" void* __libc_malloc(std::size_t n);
extern "C" void* malloc(std::size_t n) {
  if (counting.load(std::memory_order_relaxed)) mallocs.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(n);
}
#endif

namespace {

using num::Integer;
using num::Natural;
using num::Word;

// The mallocs f makes.
[[maybe_unused]] long mallocsOf(const std::function<void()>& f) {
  mallocs = 0;
  counting = true;
  f();
  counting = false;
  return mallocs.load();
}

[[maybe_unused]] Integer limbs(int n, bool negative = false, Word fill = 0x9e3779b97f4a7c15) {
  std::vector<Word> msFirst(static_cast<std::size_t>(n), fill);
  return num::integerFromWordList(negative, msFirst);
}

TEST(AllocationCount, OneBlockPerMultiWordResultNonePerSingleWord) {
#if NUMKIT_ASAN
  GTEST_SKIP() << "malloc cannot be replaced under AddressSanitizer";
#else
  const Integer s = 123456789, t = -987654321;
  const Natural u = 42u;
  const Integer a2 = limbs(2), b2 = limbs(2, true), a10 = limbs(10), b10 = limbs(10, true, 12345);
  const Integer a20 = limbs(20), c2 = limbs(2, false, 12345);
  const Integer ones4 = limbs(4, false, ~Word{0}), a4 = limbs(4, true);
  Integer r;
  std::pair<Integer, Integer> qr;
  Natural n;
  struct Case {
    const char* what;
    std::function<void()> f;
    long want;
  };
  const std::vector<Case> cases = {
      {"single-word sum", [&] { r = s + t; }, 0},
      {"single-word product", [&] { r = s * t; }, 0},
      {"single-word quotient", [&] { r = s / t; }, 0},
      {"single-word natural", [&] { n = u * u + u; }, 0},
      {"two-limb sum", [&] { r = a2 + a2; }, 1},
      {"two-limb difference", [&] { r = a2 - b2; }, 1},
      {"ten-limb sum", [&] { r = a10 + b10; }, 1},
      {"ten-limb product", [&] { r = a10 * b10; }, 1},
      {"product of two words", [&] { r = Integer(INT64_MAX) * Integer(INT64_MAX); }, 1},
      {"quotient", [&] { r = a20 / a10; }, 1},
      {"four-limb sum into a fifth limb", [&] { r = ones4 + ones4; }, 1},
      {"two-limb product", [&] { r = a2 * b2; }, 1},
      {"quotient and zero remainder", [&] { qr = num::integerQuotRem_(a4, b2); }, 1},
      {"quotient and remainder", [&] { qr = num::integerQuotRem_(a4, c2); }, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(mallocsOf(c.f), c.want) << c.what;
#endif
}

TEST(AllocationCount, RunningSumsReuseTheirBlock) {
#if NUMKIT_ASAN
  GTEST_SKIP() << "malloc cannot be replaced under AddressSanitizer";
#else
  Integer acc = limbs(2);
  acc += 1;  // its own block now, with room
  Natural nacc = num::integerToNatural(limbs(2));
  nacc += 1u;
  const Integer term = INT64_MAX / 3;
  const Integer product = Integer(INT64_MAX) * Integer(INT64_MAX);
  const Natural nterm = 0xffffffffffffu;
  const long steps = mallocsOf([&] {
    for (int i = 0; i < 1000; ++i) {
      acc += term;
      acc -= (i % 3 == 0 ? product : term);
      nacc += nterm;
      nacc += 3u;  // built-in operands take the same paths
      acc *= -1;
      acc *= -1;
    }
  });
  EXPECT_EQ(steps, 0);
#endif
}

// A running product by a word, the step of a factorial, stays in the block
// it holds while that has room, short or long; the values match products
// taken into new blocks.
TEST(AllocationCount, RunningProductsByAWordReuseTheirBlock) {
#if NUMKIT_ASAN
  GTEST_SKIP() << "malloc cannot be replaced under AddressSanitizer";
#else
  for (const int n : {3, 100}) {
    // A first product takes a block with a limb of room for the carry.
    Integer acc = limbs(n, false, 1) * 3;
    Natural nacc = num::integerToNatural(acc) * 7u;
    // Equal values in blocks of their own: a copy would share acc's block.
    const Integer start = limbs(n, false, 1) * 3;
    const Natural nstart = num::integerToNatural(start) * 7u;
    const long steps = mallocsOf([&] {
      for (int i = 0; i < 8; ++i) {
        acc *= 3;
        acc *= -5;
        nacc *= 7u;
      }
    });
    EXPECT_EQ(steps, 0) << n << " limbs";
    EXPECT_EQ(acc, start * 2562890625) << n << " limbs";  // 15^8
    EXPECT_EQ(nacc, nstart * 5764801u) << n << " limbs";  // 7^8
  }
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // Before the first block is released, when the library decides.
  setenv("NUMKIT_BLOCK_CACHE", "0", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
