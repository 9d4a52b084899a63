// The memory service, the floating-point helpers and the exceptions.
#include "Num/Runtime.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

NUMKIT_BEGIN_NAMESPACE

const char* ArithmeticError::what() const noexcept { return "arithmetic error"; }
const char* DivideByZero::what() const noexcept { return "divide by zero"; }
const char* Underflow::what() const noexcept { return "arithmetic underflow"; }
const char* Overflow::what() const noexcept { return "arithmetic overflow"; }

void raiseDivZero() { throw DivideByZero(); }
void raiseUnderflow() { throw Underflow(); }
void raiseOverflow() { throw Overflow(); }

namespace {
// Beyond this magnitude every exponent gives an infinity or zero for any
// 64-bit mantissa, so clamping it keeps ldexp's int argument exact.
constexpr Int kExponentClamp = 4096;

int clampExponent(Int e) noexcept {
  return static_cast<int>(std::clamp(e, -kExponentClamp, kExponentClamp));
}
}  // namespace

double encodeDoubleInt(Int m, Int e) noexcept {
  return std::ldexp(static_cast<double>(m), clampExponent(e));
}

double encodeDoubleWord(Word m, Int e) noexcept {
  return std::ldexp(static_cast<double>(m), clampExponent(e));
}

std::pair<Int, Int> decodeDouble(double d) noexcept {
  if (d == 0.0 || !std::isfinite(d)) return {0, 0};
  int e = 0;
  const double f = std::frexp(d, &e);  // 0.5 <= |f| < 1
  // f * 2^53 is an integer below 2^53 in magnitude: exact.
  return {static_cast<Int>(std::ldexp(f, 53)), static_cast<Int>(e) - 53};
}

namespace rt {

constinit StaticBlock<0> emptyBlock{{kImmortal, 0}, {0}};

namespace {

// Every block has room for at least kSmallBytes of payload.  Blocks of
// exactly that capacity are recycled through a bounded per-thread list
// (linked through their payload), which turns the allocation of a small
// result into a few loads and stores.  Blocks freed on another thread simply
// join that thread's list.  Under AddressSanitizer the cache is off, so every
// use after free is still caught.
constexpr std::size_t kSmallBytes = 32;  // four limbs

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kCacheLimit = 0;
#else
constexpr int kCacheLimit = 64;
#endif

BlockHeader*& nextOf(BlockHeader* h) noexcept {
  return *reinterpret_cast<BlockHeader**>(payload(h));
}

// Trivially constructed and destroyed, so every access is one load relative
// to the thread pointer (no TLS lookup call, no initialisation guard).
struct SmallBlockCache {
  BlockHeader* head;
  int count;
  bool reaperRegistered;
  bool dead;  // the thread is exiting: blocks go straight to free()
};
constinit thread_local SmallBlockCache cache __attribute__((tls_model("initial-exec"))) = {};

// Returns the cached blocks to malloc when the thread ends.
struct CacheReaper {
  CacheReaper() = default;
  CacheReaper(const CacheReaper&) = delete;
  CacheReaper& operator=(const CacheReaper&) = delete;
  ~CacheReaper() {
    cache.dead = true;
    while (cache.head != nullptr) std::free(std::exchange(cache.head, nextOf(cache.head)));
    cache.count = 0;
  }
};

// Called once per thread, on its first cached block.
NUMKIT_COLD void registerReaper() {
  static thread_local CacheReaper reaper;
  [[maybe_unused]] CacheReaper& touch = reaper;
  cache.reaperRegistered = true;
}

}  // namespace

BlockHeader* allocateBlock(std::size_t bytes) {
  if (bytes <= kSmallBytes && cache.head != nullptr) {
    BlockHeader* h = cache.head;
    cache.head = nextOf(h);
    --cache.count;
    h->refs.store(1, std::memory_order_relaxed);
    h->bytes = bytes;
    return h;
  }
  const std::size_t capacity = std::max(bytes, kSmallBytes);
  void* p = std::malloc(sizeof(BlockHeader) + capacity);
  if (p == nullptr) throw std::bad_alloc();
  return new (p) BlockHeader{1, bytes, capacity};
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  if (h->capacity == kSmallBytes && cache.count < kCacheLimit && !cache.dead) {
    if (!cache.reaperRegistered) registerReaper();
    nextOf(h) = cache.head;
    cache.head = h;
    ++cache.count;
    return;
  }
  h->~BlockHeader();
  std::free(h);
}

}  // namespace rt

NUMKIT_END_NAMESPACE
