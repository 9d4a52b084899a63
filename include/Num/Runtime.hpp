// The runtime layer: machine types, the memory service (reference-counted heap
// blocks that record their size and shrink in place), the word and
// floating-point helpers, and the library's arithmetic exceptions.
//
// Every multi-word value of the library lives in one heap block: a small
// header (reference count, recorded size in bytes, capacity class) followed by the
// payload.  Blocks
// never move, so every array may be handed to C code.  Immutable handles
// (WordArray_, ByteArray_) share a block by counting references; mutable
// handles (MutableWordArray_, MutableByteArray_) own their block alone until
// they are frozen into an immutable handle, which reuses the same storage.
//
// Shared constants live in static blocks initialised at compile time and
// marked immortal: copying or dropping a handle to them never writes their
// counter, so threads sharing them never contend on a cache line.
#pragma once

#include <atomic>
#include <bit>
#include <cassert>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>

#include "Num/Export.h"

NUMKIT_BEGIN_NAMESPACE

using Word = std::uint64_t;  // an unsigned machine word, one limb
using Int = std::int64_t;    // a signed machine word, two's complement

inline constexpr int kWordBits = 64;
inline constexpr std::size_t kWordBytes = 8;

namespace detail {
// Double-word integers for products, quotients and multi-limb sums in
// registers.  They are a compiler extension; __extension__ keeps pedantic
// consumers of the headers quiet.
__extension__ typedef unsigned __int128 DoubleWord;
__extension__ typedef __int128 SignedDoubleWord;
}  // namespace detail

// Three-way result of a comparison.
enum class Ordering { LT, EQ, GT };

// The same result as the standard library's ordering.
inline std::strong_ordering toStrongOrdering(Ordering o) noexcept {
  return o == Ordering::LT   ? std::strong_ordering::less
         : o == Ordering::EQ ? std::strong_ordering::equal
                             : std::strong_ordering::greater;
}

// ---------------------------------------------------------------------------
// Arithmetic exceptions.  The library raises nothing else of its own; every
// raising operation raises before it allocates anything.

class NUMKIT_API ArithmeticError : public std::exception {
 public:
  const char* what() const noexcept override;
};

// Division, remainder or modular power with a zero divisor or modulus.
class NUMKIT_API DivideByZero : public ArithmeticError {
 public:
  const char* what() const noexcept override;
};

// A result that would be negative where only non-negative values exist.
class NUMKIT_API Underflow : public ArithmeticError {
 public:
  const char* what() const noexcept override;
};

// An argument without a meaningful result (for example a logarithm base < 2).
class NUMKIT_API Overflow : public ArithmeticError {
 public:
  const char* what() const noexcept override;
};

[[noreturn]] NUMKIT_API void raiseDivZero();
[[noreturn]] NUMKIT_API void raiseUnderflow();
[[noreturn]] NUMKIT_API void raiseOverflow();

// ---------------------------------------------------------------------------
// Word helpers.

inline int countLeadingZeros(Word w) noexcept { return std::countl_zero(w); }
inline int countTrailingZeros(Word w) noexcept { return std::countr_zero(w); }
inline int popCount(Word w) noexcept { return std::popcount(w); }
// The correctly rounded double of an unsigned word.
inline double wordToDouble(Word w) noexcept { return static_cast<double>(w); }

// ---------------------------------------------------------------------------
// Floating-point helpers.  The encoders give m * 2^e, exact whenever that
// value is a double; any Int exponent is accepted (exponents far outside the
// double range give the correctly signed infinity or zero, never a wrapped
// exponent).  Inexact results are rounded once when converting m and once
// more by the scaling.

NUMKIT_API double encodeDoubleInt(Int m, Int e) noexcept;
NUMKIT_API double encodeDoubleWord(Word m, Int e) noexcept;

// Splits a finite double d into (m, e) with d == m * 2^e exactly and |m| < 2^53;
// 0 gives (0, 0).  Infinities and NaN give (0, 0) as well: they have no
// integer mantissa.
NUMKIT_API std::pair<Int, Int> decodeDouble(double d) noexcept;

// ---------------------------------------------------------------------------
// Memory service.

namespace rt {

struct BlockHeader {
  std::atomic<std::int64_t> refs;           // kImmortal for static blocks
  std::size_t bytes;                        // recorded size of the payload
  std::size_t sizeClass = ~std::size_t{0};  // the allocator's capacity class
};
// The size class of blocks that are not recycled (large or static ones).
inline constexpr std::size_t kUncached = ~std::size_t{0};
static_assert(sizeof(BlockHeader) == 24 && alignof(BlockHeader) == 8,
              "the payload must start on a word boundary right after the header");

inline constexpr std::int64_t kImmortal = -1;

// Every block has room for at least this many payload bytes (four limbs),
// whatever its recorded size: heap blocks may have scratch words written
// there, and any block may have its first two limbs read before its size is
// looked at.
inline constexpr std::size_t kMinCapacityBytes = 32;

// A block in static storage, built at compile time; its payload follows the
// header directly, exactly as in a heap block.  Words past N are zero.
template <std::size_t N>
struct StaticBlock {
  BlockHeader header;
  Word words[N > kMinCapacityBytes / sizeof(Word) ? N : kMinCapacityBytes / sizeof(Word)];
};
static_assert(sizeof(StaticBlock<0>) >= sizeof(BlockHeader) + kMinCapacityBytes);

// The payload of a block starts right after its header.
inline Word* payload(BlockHeader* h) noexcept { return reinterpret_cast<Word*>(h + 1); }
inline const Word* payload(const BlockHeader* h) noexcept {
  return reinterpret_cast<const Word*>(h + 1);
}

// The largest payload a block may have; a request for more raises
// std::bad_alloc before anything is allocated, so no size computation on the
// way to malloc can wrap around.
inline constexpr std::size_t kMaxBlockBytes =
    (static_cast<std::size_t>(PTRDIFF_MAX) - sizeof(BlockHeader)) & ~(kWordBytes - 1);

// The payload size of n words, or a size above kMaxBlockBytes (so that the
// allocation raises std::bad_alloc) when n words cannot be a block.
inline std::size_t wordBlockBytes(Int n) noexcept {
  return static_cast<Word>(n) <= kMaxBlockBytes / kWordBytes
             ? static_cast<std::size_t>(n) * kWordBytes
             : ~std::size_t{0};
}

// Allocates a block of `bytes` payload bytes with one reference; the payload
// is uninitialised.  Throws std::bad_alloc when memory is exhausted or bytes
// exceeds kMaxBlockBytes.  Small blocks are recycled through a per-thread
// cache, so the one allocation of a result of a few limbs costs little more
// than a few loads and stores.
//
// The cache is on by default.  It is off for the whole process when the
// environment variable NUMKIT_BLOCK_CACHE is "0" at start-up, and when the
// process runs under valgrind, so that every block is a malloc block a
// memory checker can follow; NUMKIT_BLOCK_CACHE=1 keeps it on under
// valgrind (to count instructions as the program runs outside).  Under
// AddressSanitizer the cache stays on but the payload of every cached block
// is poisoned: a use after free through a recycled block is reported.
NUMKIT_API BlockHeader* allocateBlock(std::size_t bytes);
NUMKIT_API void freeBlock(BlockHeader* h) noexcept;
// The payload bytes h can hold: its class's capacity for a recycled block,
// its recorded size otherwise (a large block's allocation is not tracked).
NUMKIT_API std::size_t blockCapacity(const BlockHeader* h) noexcept;
// Whether the caller's reference to h is the only one, so that h's payload
// can be rewritten without any other holder seeing it (never true of an
// immortal block).  The acquire pairs with the release of the other holders'
// last drops, so their reads are done before the rewrite.
inline bool isUnique(const BlockHeader* h) noexcept {
  return h->refs.load(std::memory_order_acquire) == 1;
}

inline bool isImmortal(const BlockHeader* h) noexcept {
  return h->refs.load(std::memory_order_relaxed) == kImmortal;
}

inline void retain(BlockHeader* h) noexcept {
  if (!isImmortal(h)) h->refs.fetch_add(1, std::memory_order_relaxed);
}

// The calling thread's free list of the smallest blocks (capacity
// kMinCapacityBytes), linked through their payload: an implementation detail
// of the allocator, visible so that allocating and dropping a small result
// cost no call.  `room` is the number of blocks the list may still take; 0
// (the initial state, and the state whenever the cache is off) sends every
// block through freeBlock.  With largerBlocks below, it is one of the
// library's two exported thread-local variables (16 and 112 bytes).
struct SmallBlockList {
  BlockHeader* head;
  std::int64_t room;
};
extern NUMKIT_API __thread SmallBlockList smallBlocks __attribute__((tls_model("initial-exec")));

// The number of capacity classes of recycled blocks: 32 bytes (4 limbs) to
// 64 KiB (8192 limbs), doubling from one to the next.
inline constexpr std::size_t kBlockClasses = 12;

// The calling thread's free lists of the classes above the smallest, in the
// same form as smallBlocks (with AddressSanitizer the smallest class's list
// lives here too, and no inline path touches them): visible so that
// dropping a result of more than four limbs costs no call either.  `room`
// is per class, one byte each; `armed` belongs to the allocator.
struct LargerBlockLists {
  BlockHeader* head[kBlockClasses];
  std::int8_t room[kBlockClasses];
  bool armed;
};
extern NUMKIT_API __thread LargerBlockLists largerBlocks __attribute__((tls_model("initial-exec")));

// Code built with AddressSanitizer, where blocks go through the library's
// out-of-line paths, which poison cached payloads.  GCC and clang announce
// the sanitizer differently.
#if defined(__SANITIZE_ADDRESS__)
#define NUMKIT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NUMKIT_ASAN 1
#endif
#endif
#ifndef NUMKIT_ASAN
#define NUMKIT_ASAN 0
#endif

// A block for `bytes` <= kMinCapacityBytes from the thread's list, with one
// reference; null when the list is empty.  Inline fast paths use it and fall
// back to their out-of-line form on null.
inline BlockHeader* takeSmallBlock(std::size_t bytes) noexcept {
  assert(bytes <= kMinCapacityBytes);
#if NUMKIT_ASAN
  (void)bytes;
  return nullptr;
#else
  SmallBlockList& k = smallBlocks;
  BlockHeader* h = k.head;
  if (h == nullptr) return nullptr;
  k.head = *reinterpret_cast<BlockHeader**>(payload(h));
  ++k.room;
  h->refs.store(1, std::memory_order_relaxed);
  h->bytes = bytes;
  return h;
#endif
}

// Returns the block of the last reference to the allocator: to its class's
// list of the thread inline while the list has room, through freeBlock
// otherwise (a full list, a block too large to recycle, the thread's first
// block).  The smallest class (up to four limbs, by far the most common) is
// tested first: its list has a fixed address, so the processor need not
// wait for the class to load before touching it.
inline void recycle(BlockHeader* h) noexcept {
#if !NUMKIT_ASAN
  SmallBlockList& k = smallBlocks;
  const std::size_t c = h->sizeClass;
  if (c == 0 && k.room > 0) {
    *reinterpret_cast<BlockHeader**>(payload(h)) = k.head;
    k.head = h;
    --k.room;
    return;
  }
  if (c - 1 < kBlockClasses - 1 && largerBlocks.room[c] > 0) {
    LargerBlockLists& l = largerBlocks;
    *reinterpret_cast<BlockHeader**>(payload(h)) = l.head[c];
    l.head[c] = h;
    --l.room[c];
    return;
  }
#endif
  freeBlock(h);
}

inline void release(BlockHeader* h) noexcept {
  const std::int64_t r = h->refs.load(std::memory_order_acquire);
  // The last holder cannot race with anyone (a copy needs a reference), so
  // an unshared block is freed without a locked decrement.
  if (r == 1 || (r != kImmortal && h->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)) {
    recycle(h);
  }
}

// The immortal empty block, shared by every empty array.
extern NUMKIT_API StaticBlock<0> emptyBlock;

// Passkey for the absent array that single-word Natural and Integer values
// hold; no operation on arrays accepts it.
struct AbsentTag {};

}  // namespace rt

class MutableWordArray_;

// An immutable array of words (limbs), least significant first.  Copies
// share the block.  Its size is recorded in bytes; the size in words is that
// divided by 8, rounded down.
class WordArray_ {
 public:
  // The empty array (the shared immortal block; never allocates).
  WordArray_() noexcept : h_(&rt::emptyBlock.header) {}
  explicit WordArray_(rt::AbsentTag) noexcept : h_(nullptr) {}
  WordArray_(const WordArray_& o) noexcept : h_(o.h_) {
    if (h_ != nullptr) rt::retain(h_);
  }
  // A moved-from array may only be destroyed or assigned to.
  WordArray_(WordArray_&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  WordArray_& operator=(const WordArray_& o) noexcept {
    WordArray_(o).swap(*this);
    return *this;
  }
  WordArray_& operator=(WordArray_&& o) noexcept {
    WordArray_(std::move(o)).swap(*this);
    return *this;
  }
  ~WordArray_() {
    if (h_ != nullptr) rt::release(h_);
  }
  void swap(WordArray_& o) noexcept { std::swap(h_, o.h_); }

  const Word* data() const noexcept { return rt::payload(h_); }
  Int size() const noexcept { return static_cast<Int>(h_->bytes / kWordBytes); }
  std::size_t sizeBytes() const noexcept { return h_->bytes; }
  Word operator[](Int i) const noexcept {
    assert(i >= 0 && i < size());
    return data()[i];
  }
  // The block behind the array: two arrays are the same value object exactly
  // when their blocks are the same.
  const rt::BlockHeader* block() const noexcept { return h_; }
  bool isAbsent() const noexcept { return h_ == nullptr; }
  bool sameBlock(const WordArray_& o) const noexcept { return h_ == o.h_; }

  // Adopts a block whose reference the caller hands over.
  static WordArray_ adopt(rt::BlockHeader* h) noexcept {
    WordArray_ w{rt::AbsentTag{}};
    w.h_ = h;
    return w;
  }
  // Shares a static block (no counter is ever touched for immortal blocks).
  template <std::size_t N>
  static WordArray_ fromStatic(rt::StaticBlock<N>& b) noexcept {
    return adopt(&b.header);
  }

 private:
  rt::BlockHeader* h_;
};

// A writable array of words with a single owner.  It can shrink in place and
// is frozen into a WordArray_ without copying; the handle is empty afterwards.
class MutableWordArray_ {
 public:
  // A new array of n words, contents undefined.
  static MutableWordArray_ allocate(Int n) {
    assert(n >= 0);
    return MutableWordArray_(rt::allocateBlock(rt::wordBlockBytes(n)));
  }
  // A new array whose recorded size is `bytes` (not necessarily a multiple of
  // 8); only useful to build malformed values for validity tests.
  static MutableWordArray_ allocateBytes(std::size_t bytes) {
    // Room for the last partial word, so data() can be written word-wise.
    MutableWordArray_ a(rt::allocateBlock(
        bytes <= rt::kMaxBlockBytes ? (bytes + kWordBytes - 1) / kWordBytes * kWordBytes : bytes));
    a.h_->bytes = bytes;
    return a;
  }
  // Adopts a block with a single reference that the caller hands over.
  static MutableWordArray_ adopt(rt::BlockHeader* h) noexcept { return MutableWordArray_(h); }
  MutableWordArray_(const MutableWordArray_&) = delete;
  MutableWordArray_& operator=(const MutableWordArray_&) = delete;
  MutableWordArray_(MutableWordArray_&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  MutableWordArray_& operator=(MutableWordArray_&& o) noexcept {
    std::swap(h_, o.h_);
    return *this;
  }
  ~MutableWordArray_() {
    if (h_ != nullptr) rt::freeBlock(h_);
  }

  Word* data() noexcept { return rt::payload(h_); }
  const Word* data() const noexcept { return rt::payload(h_); }
  Int size() const noexcept { return static_cast<Int>(h_->bytes / kWordBytes); }
  std::size_t sizeBytes() const noexcept { return h_->bytes; }
  Word& operator[](Int i) noexcept {
    assert(i >= 0 && i < size());
    return data()[i];
  }
  Word operator[](Int i) const noexcept {
    assert(i >= 0 && i < size());
    return data()[i];
  }
  // Lowers the recorded size to n words (n <= size); nothing moves.
  void setSize(Int n) noexcept {
    assert(n >= 0 && n <= size());
    h_->bytes = static_cast<std::size_t>(n) * kWordBytes;
  }
  const rt::BlockHeader* block() const noexcept { return h_; }

  // Publishes the storage as an immutable array; *this is empty afterwards.
  WordArray_ freeze() && noexcept { return WordArray_::adopt(std::exchange(h_, nullptr)); }

 private:
  explicit MutableWordArray_(rt::BlockHeader* h) noexcept : h_(h) {}
  rt::BlockHeader* h_;
};

// An immutable array of bytes; copies share the block.
class ByteArray_ {
 public:
  ByteArray_() noexcept : h_(&rt::emptyBlock.header) {}
  ByteArray_(const ByteArray_& o) noexcept : h_(o.h_) { rt::retain(h_); }
  ByteArray_(ByteArray_&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  ByteArray_& operator=(const ByteArray_& o) noexcept {
    ByteArray_(o).swap(*this);
    return *this;
  }
  ByteArray_& operator=(ByteArray_&& o) noexcept {
    ByteArray_(std::move(o)).swap(*this);
    return *this;
  }
  ~ByteArray_() {
    if (h_ != nullptr) rt::release(h_);
  }
  void swap(ByteArray_& o) noexcept { std::swap(h_, o.h_); }

  const unsigned char* data() const noexcept {
    return reinterpret_cast<const unsigned char*>(rt::payload(h_));
  }
  std::size_t size() const noexcept { return h_->bytes; }
  const rt::BlockHeader* block() const noexcept { return h_; }

  static ByteArray_ adopt(rt::BlockHeader* h) noexcept {
    ByteArray_ b;
    b.h_ = h;
    return b;
  }

 private:
  rt::BlockHeader* h_;
};

// A writable array of bytes with a single owner; frozen without copying.
class MutableByteArray_ {
 public:
  // A new array of n bytes, contents undefined.
  static MutableByteArray_ allocate(std::size_t n) {
    return MutableByteArray_(rt::allocateBlock(n));
  }
  MutableByteArray_(const MutableByteArray_&) = delete;
  MutableByteArray_& operator=(const MutableByteArray_&) = delete;
  MutableByteArray_(MutableByteArray_&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  MutableByteArray_& operator=(MutableByteArray_&& o) noexcept {
    std::swap(h_, o.h_);
    return *this;
  }
  ~MutableByteArray_() {
    if (h_ != nullptr) rt::freeBlock(h_);
  }

  unsigned char* data() noexcept { return reinterpret_cast<unsigned char*>(rt::payload(h_)); }
  const unsigned char* data() const noexcept {
    return reinterpret_cast<const unsigned char*>(rt::payload(h_));
  }
  std::size_t size() const noexcept { return h_->bytes; }
  // Lowers the recorded size to n bytes (n <= size); nothing moves.
  void shrink(std::size_t n) noexcept {
    assert(n <= h_->bytes);
    h_->bytes = n;
  }
  ByteArray_ freeze() && noexcept { return ByteArray_::adopt(std::exchange(h_, nullptr)); }

 private:
  explicit MutableByteArray_(rt::BlockHeader* h) noexcept : h_(h) {}
  rt::BlockHeader* h_;
};

NUMKIT_END_NAMESPACE
