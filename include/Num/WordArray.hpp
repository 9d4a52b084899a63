// Word arrays: the storage of every multi-word value.
//
// Rules for every operation here (exceptions are stated per function):
// - Arrays hold unsigned 64-bit words, least significant at index 0.  Sizes,
//   indices and offsets are Int counts of words.
// - Nothing checks an index unless its comment says so: callers pass in-range
//   indices and arrays large enough for every carry they propagate.
// - Results are built in a MutableWordArray_ (single owner) and published by
//   freezing it into a WordArray_ without copying; shrinking lowers the
//   recorded size in place.  Newly allocated arrays are not cleared.
// - Nothing here raises: an underflow is reported as a false result.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

// One-field records holding an array where a value of record kind is needed.
struct WordArray {
  WordArray_ array;
};
struct MutableWordArray {
  MutableWordArray_ array;
};

// ---------------------------------------------------------------------------
// Size and element access.

inline Int wordsToBytes_(Int n) noexcept { return n * static_cast<Int>(kWordBytes); }
// n / 8 with n read as unsigned, rounded down.
inline Int bytesToWords_(Int n) noexcept { return static_cast<Int>(static_cast<Word>(n) / 8); }
inline Int wordArraySize_(const WordArray_& a) noexcept { return a.size(); }
inline Int mwaSize_(const MutableWordArray_& a) noexcept { return a.size(); }
inline Word mwaRead_(const MutableWordArray_& a, Int i) noexcept { return a[i]; }
inline void mwaWrite_(MutableWordArray_& a, Int i, Word w) noexcept { a[i] = w; }
// The one checked read: 0 outside [0, size).
inline Word mwaReadOrZero(const MutableWordArray_& a, Int i) noexcept {
  return i < 0 || i >= a.size() ? 0 : a.data()[i];
}
// The most significant word of a non-empty array.
inline Word wordArrayLast_(const WordArray_& a) noexcept { return a[a.size() - 1]; }

// ---------------------------------------------------------------------------
// Allocation and construction.  The initialisers take MutableWordArray_&.

// A new array of n words, contents undefined.
inline MutableWordArray_ newWordArray_(Int n) { return MutableWordArray_::allocate(n); }

// Shrinks a by the number of its most significant zero words (an all-zero
// array becomes empty).
inline void mwaTrimZeroes_(MutableWordArray_& a) noexcept {
  Int n = a.size();
  const Word* p = a.data();
  while (n > 0 && p[n - 1] == 0) --n;
  a.setSize(n);
}

// Allocates n words, runs f on them and returns the same storage frozen.
template <class F>
WordArray_ withNewWordArray_(Int n, F&& f) {
  MutableWordArray_ a = newWordArray_(n);
  std::forward<F>(f)(a);
  return std::move(a).freeze();
}

// Allocates m words, then n words, runs f(first, second), returns both frozen.
template <class F>
std::pair<WordArray_, WordArray_> withNewWordArray2_(Int m, Int n, F&& f) {
  MutableWordArray_ a = newWordArray_(m);
  MutableWordArray_ b = newWordArray_(n);
  std::forward<F>(f)(a, b);
  return {std::move(a).freeze(), std::move(b).freeze()};
}

// As withNewWordArray_, trimming before freezing.
template <class F>
WordArray_ withNewWordArrayTrimmed_(Int n, F&& f) {
  MutableWordArray_ a = newWordArray_(n);
  std::forward<F>(f)(a);
  mwaTrimZeroes_(a);
  return std::move(a).freeze();
}

// As withNewWordArray2_, trimming the first array and then the second.
template <class F>
std::pair<WordArray_, WordArray_> withNewWordArray2Trimmed_(Int m, Int n, F&& f) {
  MutableWordArray_ a = newWordArray_(m);
  MutableWordArray_ b = newWordArray_(n);
  std::forward<F>(f)(a, b);
  mwaTrimZeroes_(a);
  mwaTrimZeroes_(b);
  return {std::move(a).freeze(), std::move(b).freeze()};
}

// Allocates n words and runs f, which returns a truth value (bool or a machine
// boolean): false drops the array and gives nothing; true trims it and gives
// it frozen.  This is how a subtraction that may underflow builds its result.
template <class F>
std::optional<WordArray_> withNewWordArrayTrimmedMaybe_(Int n, F&& f) {
  MutableWordArray_ a = newWordArray_(n);
  if (!std::forward<F>(f)(a)) return std::nullopt;
  mwaTrimZeroes_(a);
  return std::move(a).freeze();
}

// [w], also for w = 0.
inline WordArray_ wordArrayFromWord_(Word w) {
  MutableWordArray_ a = newWordArray_(1);
  a.data()[0] = w;
  return std::move(a).freeze();
}
// [l, h] (h most significant), also for h = 0: not trimmed.
inline WordArray_ wordArrayFromWord2_(Word h, Word l) {
  MutableWordArray_ a = newWordArray_(2);
  a.data()[0] = l;
  a.data()[1] = h;
  return std::move(a).freeze();
}

// ---------------------------------------------------------------------------
// Copying, filling and resizing.

// Writes value into words offset .. offset + count - 1 (count 0: nothing).
NUMKIT_API void mwaFill_(MutableWordArray_& a, Word value, Int offset, Int count) noexcept;
// Copies count words of src from soff to dst at doff (count <= 0: nothing).
NUMKIT_API void mwaArrayCopy_(MutableWordArray_& dst, Int doff, const WordArray_& src, Int soff,
                              Int count) noexcept;
// Removes the n most significant words.
inline void mwaShrink_(MutableWordArray_& a, Int n) noexcept { a.setSize(a.size() - n); }
// Sets the size to n words (n <= current size).
inline void mwaSetSize_(MutableWordArray_& a, Int n) noexcept { a.setSize(n); }
// Copies all of src to a[0 ..] and sets a's size to src's (a must be at least
// as large).
NUMKIT_API void mwaInitCopyShrink_(MutableWordArray_& a, const WordArray_& src) noexcept;
// w != 0: writes w at index i; w == 0: removes the most significant word.
inline void mwaWriteOrShrink(MutableWordArray_& a, Word w, Int i) noexcept {
  if (w != 0) {
    a[i] = w;
  } else {
    mwaShrink_(a, 1);
  }
}
// w != 0: writes w at the most significant index; w == 0: removes that word.
inline void mwaWriteMostSignificant(MutableWordArray_& a, Word w) noexcept {
  mwaWriteOrShrink(a, w, a.size() - 1);
}

// ---------------------------------------------------------------------------
// Counting and comparing.

// Consecutive zero words counted down from the most significant one.
NUMKIT_API Int mwaClz(const MutableWordArray_& a) noexcept;
// Consecutive zero words counted down from index i; i < 0 gives 0.
NUMKIT_API Int mwaClzAt(const MutableWordArray_& a, Int i) noexcept;
NUMKIT_API Int waClzAt(const WordArray_& a, Int i) noexcept;
// Compares the arrays aligned at their most significant ends: only the
// overlapping top words count (so [5] and [5, 0] compare 5 with 0).
NUMKIT_API Ordering wordArrayCompareMSWords(const WordArray_& wa, const WordArray_& wb) noexcept;
// Compares the value in a's words k .. size - 1 with b; decides by lengths,
// without reading, when that part of a is shorter than b.
NUMKIT_API Ordering mwaTrimCompare(Int k, const MutableWordArray_& a, const WordArray_& b) noexcept;

// ---------------------------------------------------------------------------
// In-place arithmetic; carries and borrows propagate towards higher indices.

// The library's one carry and one borrow loop, on raw words:
// {r, n} = {a, n} + c (resp. - c) for any word c; returns the carry (resp.
// borrow) out of the top, 0 or 1, or c itself when n = 0.  Once the carry
// stops, the remaining words are copied.  r is either a itself or separate
// from it.
NUMKIT_API Word wordsAddWord(Word* r, const Word* a, Int n, Word c) noexcept;
NUMKIT_API Word wordsSubWord(Word* r, const Word* a, Int n, Word c) noexcept;
// {r, n} = {a, n} + {b, n} + c (resp. - {b, n} - c), c in {0, 1}; returns the
// carry (resp. borrow) out of the top.  r is a, b, or separate from both;
// each word is read before it is written.
NUMKIT_API Word wordsAddN(Word* r, const Word* a, const Word* b, Int n, Word c = 0) noexcept;
NUMKIT_API Word wordsSubN(Word* r, const Word* a, const Word* b, Int n, Word c = 0) noexcept;

namespace detail {

// The one carry (kSubtract: borrow) chain behind wordsAddN and wordsSubN, with
// their contract.  On x86-64 it is a single adc (sbb) run: n mod 4 single
// steps, then steps of four words; mov, lea, dec and jrcxz leave the carry
// flag alone, so it runs from one adc (sbb) to the next.  The four-word loop
// starts on a 16-byte boundary: unaligned, it ran 5-7 % slower on 64 to 1000
// words.  Each word of a and b is read before r's word of the same index is
// written, so r may be a or b.  The asm is volatile: its stores to r are its
// point, and a caller that drops the carry would otherwise let the compiler
// delete the whole chain.
#if defined(__x86_64__)
#define NUMKIT_CARRY_STEP(insn, off)                \
  "mov " off "(%[a],%[i],8), %[t]\n\t" insn " " off \
  "(%[b],%[i],8), %[t]\n\t"                         \
  "mov %[t], " off "(%[r],%[i],8)\n\t"
#define NUMKIT_CARRY_CHAIN(insn) \
  "neg %[c]\n\t" /* the carry in, 0 or 1, into the carry flag */    \
  "jrcxz 2f\n"                                                      \
  "1:\n\t"                                                          \
  NUMKIT_CARRY_STEP(insn, "")                                       \
  "lea 1(%[i]), %[i]\n\t"                                           \
  "dec %[k]\n\t"                                                    \
  "jnz 1b\n"                                                        \
  "2:\n\t"                                                          \
  "mov %[quads], %[k]\n\t"                                          \
  "jrcxz 4f\n\t"                                                    \
  ".p2align 4\n" /* the four-word loop on a fetch boundary */       \
  "3:\n\t"                                                          \
  NUMKIT_CARRY_STEP(insn, "") NUMKIT_CARRY_STEP(insn, "8")          \
  NUMKIT_CARRY_STEP(insn, "16") NUMKIT_CARRY_STEP(insn, "24")       \
  "lea 4(%[i]), %[i]\n\t"                                           \
  "dec %[k]\n\t"                                                    \
  "jnz 3b\n"                                                        \
  "4:\n\t"                                                          \
  "mov $0, %k[c]\n\t"                                               \
  "setc %b[c]"
#endif
template <bool kSubtract>
[[gnu::always_inline]] inline Word wordsCarryChain(Word* r, const Word* a, const Word* b, Int n,
                                                   Word c) noexcept {
  if (n == 0) return c;
#if defined(__x86_64__)
  Word t;
  Int i = 0;
  Int k = n & 3;
  const Int quads = n >> 2;
  if constexpr (kSubtract) {
    __asm__ volatile(NUMKIT_CARRY_CHAIN("sbb")
                     : [t] "=&r"(t), [i] "+r"(i), [k] "+c"(k), [c] "+r"(c)
                     : [a] "r"(a), [b] "r"(b), [r] "r"(r), [quads] "r"(quads)
                     : "cc", "memory");
  } else {
    __asm__ volatile(NUMKIT_CARRY_CHAIN("adc")
                     : [t] "=&r"(t), [i] "+r"(i), [k] "+c"(k), [c] "+r"(c)
                     : [a] "r"(a), [b] "r"(b), [r] "r"(r), [quads] "r"(quads)
                     : "cc", "memory");
  }
#else
  for (Int i = 0; i < n; ++i) {
    const Word x = a[i];
    const Word y = b[i];
    if constexpr (kSubtract) {
      const Word d = x - y;
      r[i] = d - c;
      c = static_cast<Word>(x < y) | static_cast<Word>(d < c);
    } else {
      const Word s = x + y;
      const Word t = s + c;
      c = static_cast<Word>(s < x) | static_cast<Word>(t < s);
      r[i] = t;
    }
  }
#endif
  return c;
}
#if defined(__x86_64__)
#undef NUMKIT_CARRY_CHAIN
#undef NUMKIT_CARRY_STEP
#endif

}  // namespace detail

// wordsAddN and wordsSubN inline, for kernels whose operands are often short
// enough that a call would cost about as much as the chain.
[[gnu::always_inline]] inline Word wordsAddNInline(Word* r, const Word* a, const Word* b, Int n,
                                                   Word c = 0) noexcept {
  return detail::wordsCarryChain<false>(r, a, b, n, c);
}
[[gnu::always_inline]] inline Word wordsSubNInline(Word* r, const Word* a, const Word* b, Int n,
                                                   Word c = 0) noexcept {
  return detail::wordsCarryChain<true>(r, a, b, n, c);
}

// Adds w at index i (w = 0 reads nothing).
NUMKIT_API void mwaAddInplaceWord_(MutableWordArray_& a, Int i, Word w) noexcept;
// Adds b * 2^(64 off); the caller guarantees room for the final carry.
NUMKIT_API void mwaAddInplaceArray(MutableWordArray_& a, Int off, const WordArray_& b) noexcept;
// Subtracts w at index i: 1, or 0 when the borrow runs off the top (the words
// already written then keep their wrapped values).
NUMKIT_API Int mwaSubInplaceWord_(MutableWordArray_& a, Int i, Word w) noexcept;
// Subtracts b * 2^(64 off), most significant word of b first: true, or false
// on underflow (the array then holds a partial value).
NUMKIT_API bool mwaSubInplaceArray(MutableWordArray_& a, Int off, const WordArray_& b) noexcept;
NUMKIT_API bool mwaSubInplaceMutableArray(MutableWordArray_& a, Int off,
                                          const MutableWordArray_& b) noexcept;
// mwaSubInplaceArray, whatever its result, then mwaTrimZeroes_.
NUMKIT_API void mwaSubInplaceArrayTrim(MutableWordArray_& a, Int off, const WordArray_& b) noexcept;
// r[i] = op(wa[i], wb[i]) for i below the smaller size; r's size is unchanged.
template <class Op>
void mwaInitArrayBinOp(MutableWordArray_& r, const WordArray_& wa, const WordArray_& wb, Op op) {
  const Int n = wa.size() < wb.size() ? wa.size() : wb.size();
  Word* rp = r.data();
  const Word* ap = wa.data();
  const Word* bp = wb.data();
  for (Int i = 0; i < n; ++i) rp[i] = op(ap[i], bp[i]);
}
// r = a + w, with r allocated at size(a) + 1 words; r ends with size(a) words,
// or size(a) + 1 when the carry needs the extra one.
NUMKIT_API void mwaInitArrayPlusWord(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;

NUMKIT_END_NAMESPACE
