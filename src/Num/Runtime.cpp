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

// Blocks of up to kLargestCachedBytes of payload are allocated with a
// power-of-two capacity of at least 32 bytes (four limbs) and recycled
// through bounded per-thread lists, one per capacity class, linked through
// their payload: the allocation of a result of a few limbs then costs a few
// loads and stores instead of a trip through malloc and free.  A block freed
// on another thread simply joins that thread's list.  Under AddressSanitizer
// the cache is off, so every use after free is still caught.
constexpr std::size_t kSmallestClassBytes = kMinCapacityBytes;
constexpr std::size_t kClasses = 10;  // 32 bytes (4 limbs) .. 16 KiB (2048 limbs)
constexpr std::size_t kLargestCachedBytes = kSmallestClassBytes << (kClasses - 1);

// Blocks kept per class and thread: many small ones, a couple of large ones
// (at most about 94 KiB per thread in all).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kCacheLimits[kClasses] = {};
#else
constexpr int kCacheLimits[kClasses] = {32, 32, 32, 32, 32, 2, 2, 2, 2, 2};
#endif

// The class of a payload of `bytes` (at most kLargestCachedBytes).
inline std::size_t classOf(std::size_t bytes) noexcept {
  return bytes <= kSmallestClassBytes
             ? 0
             : static_cast<std::size_t>(std::bit_width((bytes - 1) / kSmallestClassBytes));
}

BlockHeader*& nextOf(BlockHeader* h) noexcept {
  return *reinterpret_cast<BlockHeader**>(payload(h));
}

// Trivially constructed and destroyed, so every access is one load relative
// to the thread pointer (no TLS lookup call, no initialisation guard).  The
// counts are kept as the room left in each list; no room (a count below 1)
// means "full": every list starts full, so a thread's first cached block goes
// through the cold path that arranges the cleanup at thread exit, and the
// cleanup leaves the lists full again.
struct SmallBlockCache {
  BlockHeader* head[kClasses];
  int count[kClasses];
  bool cleanupArranged;
};
constinit thread_local SmallBlockCache cache __attribute__((tls_model("initial-exec"))) = {
    {}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, false};

// Returns the cached blocks to malloc when the thread ends.
struct CacheReaper {
  CacheReaper() = default;
  CacheReaper(const CacheReaper&) = delete;
  CacheReaper& operator=(const CacheReaper&) = delete;
  ~CacheReaper() {
    for (std::size_t c = 0; c < kClasses; ++c) {
      while (cache.head[c] != nullptr) {
        std::free(std::exchange(cache.head[c], nextOf(cache.head[c])));
      }
      cache.count[c] = -1;  // blocks freed from now on go to free()
    }
  }
};

NUMKIT_COLD BlockHeader* allocateFromHeap(std::size_t bytes) {
  const bool cached = bytes <= kLargestCachedBytes;
  const std::size_t sizeClass = cached ? classOf(bytes) : kUncached;
  const std::size_t capacity = cached ? kSmallestClassBytes << sizeClass : bytes;
  void* p = std::malloc(sizeof(BlockHeader) + capacity);
  if (p == nullptr) throw std::bad_alloc();
  return new (p) BlockHeader{1, bytes, sizeClass};
}

// A full list, or the first cached block of the thread.
NUMKIT_COLD void freeSlow(BlockHeader* h) noexcept {
  if (!cache.cleanupArranged && h->sizeClass != kUncached && kCacheLimits[h->sizeClass] > 0) {
    cache.cleanupArranged = true;
    static thread_local CacheReaper reaper;
    [[maybe_unused]] CacheReaper& touch = reaper;
    for (std::size_t c = 0; c < kClasses; ++c) cache.count[c] = kCacheLimits[c];
    return freeBlock(h);
  }
  h->~BlockHeader();
  std::free(h);
}

}  // namespace

BlockHeader* allocateBlock(std::size_t bytes) {
  if (bytes <= kLargestCachedBytes) {
    const std::size_t c = classOf(bytes);
    if (BlockHeader* h = cache.head[c]; h != nullptr) {
      cache.head[c] = nextOf(h);
      ++cache.count[c];
      h->refs.store(1, std::memory_order_relaxed);
      h->bytes = bytes;
      return h;
    }
  }
  return allocateFromHeap(bytes);
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  const std::size_t c = h->sizeClass;
  if (c < kClasses && cache.count[c] > 0) {
    nextOf(h) = cache.head[c];
    cache.head[c] = h;
    --cache.count[c];
    return;
  }
  freeSlow(h);
}

}  // namespace rt

NUMKIT_END_NAMESPACE
