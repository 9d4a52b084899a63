// The memory service, the floating-point helpers and the exceptions.
#include "Num/Runtime.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "BlockLists.hpp"

#if NUMKIT_ASAN
#include <sanitizer/asan_interface.h>
#endif
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define NUMKIT_HAVE_VALGRIND 1
#else
#define NUMKIT_HAVE_VALGRIND 0
#endif

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

// Zero room: every list starts "full", so a thread's first freed block goes
// through the slow path that decides whether the cache is on and arranges
// the cleanup at thread exit.
constinit __thread SmallBlockList smallBlocks = {nullptr, 0};

// As smallBlocks, zero room: the first block freed arms the lists.
constinit __thread LargerBlockLists largerBlocks = {};

namespace {

// Blocks of up to kLargestCachedBytes of payload are recycled through
// bounded per-thread lists, one per capacity class, linked through their
// payload: the allocation of a result of a few limbs then costs a few loads
// and stores instead of a trip through malloc and free.  A block freed on
// another thread simply joins that thread's list.
constexpr std::size_t kSmallestClassBytes = kMinCapacityBytes;

// Blocks kept per class and thread: many small ones, a couple of large ones
// (at most about 290 KiB per thread in all).
constexpr int kCacheLimits[kClasses] = {32, 32, 32, 32, 32, 2, 2, 2, 2, 2, 2, 2};
static_assert(*std::max_element(std::begin(kCacheLimits), std::end(kCacheLimits)) <= INT8_MAX,
              "the room of a list fits its byte");

BlockHeader*& nextOf(BlockHeader* h) noexcept {
  return *reinterpret_cast<BlockHeader**>(payload(h));
}

std::size_t capacityOf(std::size_t c) noexcept { return kSmallestClassBytes << c; }

// Whether class c is kept in smallBlocks rather than largerBlocks.
constexpr bool inSmallBlocks(std::size_t c) noexcept { return c == 0 && !NUMKIT_ASAN; }

BlockHeader*& headOf(std::size_t c) noexcept {
  return inSmallBlocks(c) ? smallBlocks.head : largerBlocks.head[c];
}
std::int64_t roomOf(std::size_t c) noexcept {
  return inSmallBlocks(c) ? smallBlocks.room : largerBlocks.room[c];
}
void addRoom(std::size_t c, std::int64_t d) noexcept {
  if (inSmallBlocks(c)) {
    smallBlocks.room += d;
  } else {
    largerBlocks.room[c] = static_cast<std::int8_t>(largerBlocks.room[c] + d);
  }
}

// A cached payload is poisoned under AddressSanitizer, its link word
// included, so any access through a stale reference is reported.
void poison(BlockHeader* h, std::size_t c) noexcept {
#if NUMKIT_ASAN
  ASAN_POISON_MEMORY_REGION(payload(h), capacityOf(c));
#else
  (void)h, (void)c;
#endif
}
void unpoison(BlockHeader* h, std::size_t c) noexcept {
#if NUMKIT_ASAN
  ASAN_UNPOISON_MEMORY_REGION(payload(h), capacityOf(c));
#else
  (void)h, (void)c;
#endif
}

// Pops a block of class c from the thread's list; null when it is empty.
BlockHeader* popCached(std::size_t c) noexcept {
  BlockHeader*& head = headOf(c);
  BlockHeader* h = head;
  if (h == nullptr) return nullptr;
  unpoison(h, c);
  head = nextOf(h);
  addRoom(c, 1);
  return h;
}

// Pushes h onto its class's list if the list has room.
bool pushCached(std::size_t c, BlockHeader* h) noexcept {
  if (roomOf(c) <= 0) return false;
  BlockHeader*& head = headOf(c);
  nextOf(h) = head;
  head = h;
  addRoom(c, -1);
  poison(h, c);
  return true;
}

// Whether this process recycles blocks: not when NUMKIT_BLOCK_CACHE=0, nor
// under valgrind, whose checkers only follow malloc blocks, unless
// NUMKIT_BLOCK_CACHE=1 asks for it there (to count a program's instructions
// as it runs outside valgrind).
bool cacheWanted() noexcept {
  const char* v = std::getenv("NUMKIT_BLOCK_CACHE");
  if (v != nullptr && std::strcmp(v, "0") == 0) return false;
  if (v != nullptr && std::strcmp(v, "1") == 0) return true;
#if NUMKIT_HAVE_VALGRIND
  if (RUNNING_ON_VALGRIND) return false;
#endif
  return true;
}

// Returns the cached blocks to malloc when the thread ends, and leaves the
// lists full, so blocks freed later in the thread's exit go to free().
struct CacheReaper {
  CacheReaper() = default;
  CacheReaper(const CacheReaper&) = delete;
  CacheReaper& operator=(const CacheReaper&) = delete;
  ~CacheReaper() {
    for (std::size_t c = 0; c < kClasses; ++c) {
      while (BlockHeader* h = popCached(c)) std::free(h);
      addRoom(c, -roomOf(c));
    }
  }
};

NUMKIT_COLD BlockHeader* allocateFromHeap(std::size_t bytes) {
  if (bytes > kMaxBlockBytes) throw std::bad_alloc();
  const bool cached = bytes <= kLargestCachedBytes;
  const std::size_t sizeClass = cached ? classOf(bytes) : kUncached;
  const std::size_t capacity = cached ? capacityOf(sizeClass) : bytes;
  void* p = std::malloc(sizeof(BlockHeader) + capacity);
  if (p == nullptr) throw std::bad_alloc();
  return new (p) BlockHeader{1, bytes, sizeClass};
}

// A full list, or the first block the thread frees: the thread's lists get
// their room (when the process caches at all) and a cleanup at thread exit.
NUMKIT_COLD void freeSlow(BlockHeader* h) noexcept {
  if (!largerBlocks.armed) {
    largerBlocks.armed = true;
    static const bool wanted = cacheWanted();
    if (wanted) {
      static thread_local CacheReaper reaper;
      [[maybe_unused]] CacheReaper& touch = reaper;
      for (std::size_t c = 0; c < kClasses; ++c) addRoom(c, kCacheLimits[c]);
      if (h->sizeClass < kClasses && pushCached(h->sizeClass, h)) return;
    }
  }
  h->~BlockHeader();
  std::free(h);
}

}  // namespace

BlockHeader* allocateBlock(std::size_t bytes) {
  if (bytes <= kLargestCachedBytes) {
    if (BlockHeader* h = popCached(classOf(bytes))) {
      h->refs.store(1, std::memory_order_relaxed);
      h->bytes = bytes;
      return h;
    }
  }
  return allocateFromHeap(bytes);
}

std::size_t blockCapacity(const BlockHeader* h) noexcept {
  return h->sizeClass < kClasses ? capacityOf(h->sizeClass) : h->bytes;
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  const std::size_t c = h->sizeClass;
  if (c < kClasses && pushCached(c, h)) return;
  freeSlow(h);
}

}  // namespace rt

NUMKIT_END_NAMESPACE
