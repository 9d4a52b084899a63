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
// through bounded per-thread lists, one per capacity, linked through their
// payload: the allocation of a result of a few limbs then costs a few loads
// and stores instead of a trip through malloc and free.  A block freed on
// another thread simply joins that thread's list.  Under AddressSanitizer the
// cache is off, so every use after free is still caught.
constexpr std::size_t kSmallestClassBytes = 32;
constexpr int kClasses = 5;  // 32, 64, 128, 256, 512 bytes
constexpr std::size_t kLargestCachedBytes = kSmallestClassBytes << (kClasses - 1);

#if defined(__SANITIZE_ADDRESS__)
constexpr int kCacheLimit = 0;
#else
constexpr int kCacheLimit = 32;  // blocks per class and thread
#endif

// The class of a payload of `bytes` (at most kLargestCachedBytes).
inline int classOf(std::size_t bytes) noexcept {
  return bytes <= kSmallestClassBytes
             ? 0
             : static_cast<int>(std::bit_width((bytes - 1) / kSmallestClassBytes));
}

BlockHeader*& nextOf(BlockHeader* h) noexcept {
  return *reinterpret_cast<BlockHeader**>(payload(h));
}

// Trivially constructed and destroyed, so every access is one load relative
// to the thread pointer (no TLS lookup call, no initialisation guard).
struct SmallBlockCache {
  BlockHeader* head[kClasses];
  int count[kClasses];
  // 0 while blocks may be cached; kUnregistered until the thread's first
  // cached block arranges the cleanup, kDead once the thread is exiting
  // (blocks freed then go straight to free()).
  unsigned char state;
};
constexpr unsigned char kActive = 0;
constexpr unsigned char kUnregistered = 1;
constexpr unsigned char kDead = 2;
constinit thread_local SmallBlockCache cache
    __attribute__((tls_model("initial-exec"))) = {{}, {}, kUnregistered};

// Returns the cached blocks to malloc when the thread ends.
struct CacheReaper {
  CacheReaper() = default;
  CacheReaper(const CacheReaper&) = delete;
  CacheReaper& operator=(const CacheReaper&) = delete;
  ~CacheReaper() {
    cache.state = kDead;
    for (int c = 0; c < kClasses; ++c) {
      while (cache.head[c] != nullptr)
        std::free(std::exchange(cache.head[c], nextOf(cache.head[c])));
      cache.count[c] = 0;
    }
  }
};

// Called once per thread, on its first cached block.
NUMKIT_COLD void registerReaper() {
  static thread_local CacheReaper reaper;
  [[maybe_unused]] CacheReaper& touch = reaper;
  cache.state = kActive;
}

NUMKIT_COLD BlockHeader* allocateFromHeap(std::size_t bytes) {
  const std::size_t capacity =
      bytes <= kLargestCachedBytes ? kSmallestClassBytes << classOf(bytes) : bytes;
  void* p = std::malloc(sizeof(BlockHeader) + capacity);
  if (p == nullptr) throw std::bad_alloc();
  return new (p) BlockHeader{1, bytes, capacity};
}

}  // namespace

BlockHeader* allocateBlock(std::size_t bytes) {
  if (bytes <= kLargestCachedBytes) {
    const int c = classOf(bytes);
    if (BlockHeader* h = cache.head[c]; h != nullptr) {
      cache.head[c] = nextOf(h);
      --cache.count[c];
      h->refs.store(1, std::memory_order_relaxed);
      h->bytes = bytes;
      return h;
    }
  }
  return allocateFromHeap(bytes);
}

NUMKIT_COLD void freeToHeap(BlockHeader* h) noexcept {
  h->~BlockHeader();
  std::free(h);
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  if (h->capacity <= kLargestCachedBytes) {
    if (cache.state != kActive) {
      if (cache.state == kDead) return freeToHeap(h);
      registerReaper();
    }
    const int c = classOf(h->capacity);
    if (cache.count[c] < kCacheLimit) {
      nextOf(h) = cache.head[c];
      cache.head[c] = h;
      ++cache.count[c];
      return;
    }
  }
  freeToHeap(h);
}

}  // namespace rt

NUMKIT_END_NAMESPACE
