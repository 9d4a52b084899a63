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

// Every list starts full, so a thread's first cached block goes through the
// cold path that arranges the cleanup at thread exit.
__thread ThreadBlockCache threadBlockCache = {{}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, false};

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

// threadBlockCache is trivially constructed and destroyed, so every access is
// one load relative to the thread pointer (no TLS lookup call, no
// initialisation guard).  No room (a count below 1) means "full": the lists
// start full and the cleanup at thread exit leaves them full again.
static_assert(kClasses == kCacheClasses);

// Returns the cached blocks to malloc when the thread ends.
struct CacheReaper {
  CacheReaper() = default;
  CacheReaper(const CacheReaper&) = delete;
  CacheReaper& operator=(const CacheReaper&) = delete;
  ~CacheReaper() {
    for (std::size_t c = 0; c < kClasses; ++c) {
      while (threadBlockCache.head[c] != nullptr) {
        std::free(std::exchange(threadBlockCache.head[c], nextOf(threadBlockCache.head[c])));
      }
      threadBlockCache.room[c] = -1;  // blocks freed from now on go to free()
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
  if (!threadBlockCache.cleanupArranged && h->sizeClass != kUncached &&
      kCacheLimits[h->sizeClass] > 0) {
    threadBlockCache.cleanupArranged = true;
    static thread_local CacheReaper reaper;
    [[maybe_unused]] CacheReaper& touch = reaper;
    for (std::size_t c = 0; c < kClasses; ++c) threadBlockCache.room[c] = kCacheLimits[c];
    return freeBlock(h);
  }
  h->~BlockHeader();
  std::free(h);
}

}  // namespace

BlockHeader* allocateBlock(std::size_t bytes) {
  if (bytes <= kLargestCachedBytes) {
    if (BlockHeader* h = takeCachedBlock(classOf(bytes), bytes)) return h;
  }
  return allocateFromHeap(bytes);
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  const std::size_t c = h->sizeClass;
  if (c < kClasses && cacheBlock(c, h)) return;
  freeSlow(h);
}

}  // namespace rt

NUMKIT_END_NAMESPACE
