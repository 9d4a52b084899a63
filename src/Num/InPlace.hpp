// Sums written into the block of their first operand, and the word loops and
// magnitude sums the small multi-word paths of Natural and Integer share.
//
// A value whose block has a single reference (rt::isUnique) can take x + y or
// x - y into that block when the block has room: no other value can see the
// change, and the running sum of a loop (acc += x) then needs no new block
// per step.  Values stay immutable to every observer.
#pragma once

#include <cassert>
#include <utility>
#if defined(__x86_64__)
#include <x86intrin.h>
#endif

#include "BlockLists.hpp"
#include "Num/Backend.hpp"
#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/Runtime.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace detail {

// The order of the magnitudes {p, n} and {q, m} (both trimmed).
inline Ordering compareWords(const Word* p, Int n, const Word* q, Int m) noexcept {
  if (n != m) return n > m ? Ordering::GT : Ordering::LT;
  for (Int i = n - 1; i >= 0; --i) {
    if (p[i] != q[i]) return p[i] > q[i] ? Ordering::GT : Ordering::LT;
  }
  return Ordering::EQ;
}

// Whether {p, n} and {q, n} hold the same words.
inline bool equalWords(const Word* p, const Word* q, Int n) noexcept {
  for (Int i = 0; i < n; ++i) {
    if (p[i] != q[i]) return false;
  }
  return true;
}

// The size of {p, n} once its zero top words are dropped.
inline Int trimmedSize(const Word* p, Int n) noexcept {
  while (n > 0 && p[n - 1] == 0) --n;
  return n;
}

// {p, n} += w; returns the carry out of the top (n >= 1).
inline Word addWordTo(Word* p, Int n, Word w) noexcept {
  const Word s = p[0] + w;
  p[0] = s;
  if (s >= w) return 0;
  for (Int i = 1; i < n; ++i) {
    if (++p[i] != 0) return 0;
  }
  return 1;
}

// {p, n} -= w for {p, n} >= w (n >= 1).
inline void subWordFrom(Word* p, Int n, Word w) noexcept {
  const Word d = p[0];
  p[0] = d - w;
  if (d >= w) return;
  for (Int i = 1; i < n && p[i]-- == 0; ++i) {
  }
}

// {p, n} + (-1)^subtract w in block h, where {p, n} >= w when subtracting:
// returns the new trimmed size, or -1, with {p, n} as it was, when a carry
// out of the top finds no room in h.
inline Int addWordInPlace(rt::BlockHeader* h, Word* p, Int n, Word w, bool subtract) noexcept {
  if (subtract) {
    subWordFrom(p, n, w);
    return p[n - 1] != 0 ? n : trimmedSize(p, n);
  }
  if (addWordTo(p, n, w) == 0) return n;
  if (rt::blockCapacity(h) <= static_cast<std::size_t>(n) * kWordBytes) {
    subWordFrom(p, n, w);  // undone: the carry needs a bigger block
    return -1;
  }
  p[n] = 1;
  return n + 1;
}

// Sums and differences up to this many limbs (the longer operand) run the
// library's carry chain; longer ones call the kernel, whose loop keeps its
// speed better when the machine is busy (measured 5-15 % faster at 500 to
// 1000 limbs under load, equal when idle).
inline constexpr Int kChainSumLimbs = 32;

// {p, m} += {q, m} and {p, m} -= {q, m}; return the carry or borrow.  A
// few words are done inline, more in the library's carry loop.
inline Word addWordsTo(Word* p, const Word* q, Int m) noexcept {
  if (m > 4) return wordsAddN(p, p, q, m);
  Word c = 0;
  for (Int i = 0; i < m; ++i) {
    const Word s = p[i] + q[i];
    const Word t = s + c;
    c = static_cast<Word>(s < q[i]) | static_cast<Word>(t < s);
    p[i] = t;
  }
  return c;
}
inline Word subWordsFrom(Word* p, const Word* q, Int m) noexcept {
  if (m > 4) return wordsSubN(p, p, q, m);
  Word c = 0;
  for (Int i = 0; i < m; ++i) {
    const Word x = p[i];
    const Word d = x - q[i];
    p[i] = d - c;
    c = static_cast<Word>(x < q[i]) | static_cast<Word>(d < c);
  }
  return c;
}

// The longest value multiplied by a word in the loop below, which needs no
// call and no frame: beyond it the kernel's product is faster (the loop runs
// at about half its speed on long operands; at 10 and 16 limbs it was the
// faster one in most timings).
inline constexpr Int kMulWordLoopLimbs = 16;

// {r, n} = {a, n} * w; returns the carry.  r may be a.
inline Word mulWordLoop(Word* r, const Word* a, Int n, Word w) noexcept {
  using Wide = detail::DoubleWord;
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    // The carry into the low half, and its carry into the high half (which
    // cannot overflow: a[i] * w + c < 2^128), rather than a 128-bit sum.
    const Wide t = static_cast<Wide>(a[i]) * w;
    const Word lo = static_cast<Word>(t) + c;
    c = static_cast<Word>(t >> 64) + static_cast<Word>(lo < c);
    r[i] = lo;
  }
  return c;
}

// {p, n} * w in block h, w >= 2: returns the new size, or -1, with nothing
// written, when h may have no room for the carry.
inline Int mulWordInPlace(rt::BlockHeader* h, Word* p, Int n, Word w) noexcept {
  if (rt::blockCapacity(h) <= static_cast<std::size_t>(n) * kWordBytes) return -1;
  const Word c =
      n <= kMulWordLoopLimbs ? mulWordLoop(p, p, n, w) : backend::bignat_mul_word_into(p, p, n, w);
  p[n] = c;
  return c != 0 ? n + 1 : n;
}

// (-1)^negative {p, n} + (-1)^nq {q, m}, written over {p, n} in a block of
// cap words: returns the trimmed size of the result and sets `negative` to
// its sign, or returns -1, with nothing written, when the result might not
// fit in cap words.  n, m >= 1, both trimmed; q is separate from p.
[[gnu::always_inline]] inline Int addSignedInPlace(Word* p, Int n, Int cap, bool& negative,
                                                   const Word* q, Int m, bool nq) noexcept {
  assert(n >= 1 && m >= 1);
  if (negative == nq) {
    const Int top = n >= m ? n : m;
    if (cap <= top) return -1;
    Word c;
    if (top > kChainSumLimbs) {
      c = n >= m ? backend::bignat_add_into(p, p, n, q, m)
                 : backend::bignat_add_into(p, q, m, p, n);
    } else if (n >= m) {
      c = addWordsTo(p, q, m);
      if (c != 0 && n > m) c = addWordTo(p + m, n - m, c);
    } else {
      c = wordsAddN(p, p, q, n);
      c = wordsAddWord(p + n, q + n, m - n, c);
    }
    p[top] = c;
    return c != 0 ? top + 1 : top;
  }
  switch (compareWords(p, n, q, m)) {
    case Ordering::EQ:
      return 0;
    case Ordering::GT:
      // A borrow out of the low m words stops inside {p, n}: p > q.
      if (n > kChainSumLimbs) {
        (void)backend::bignat_sub_into(p, p, n, q, m);
      } else if (subWordsFrom(p, q, m) != 0) {
        subWordFrom(p + m, n - m, 1);
      }
      return trimmedSize(p, n);
    case Ordering::LT:
      break;
  }
  if (cap < m) return -1;
  if (m > kChainSumLimbs) {
    (void)backend::bignat_sub_into(p, q, m, p, n);
  } else {
    (void)wordsSubWord(p + n, q + n, m - n, wordsSubN(p, q, p, n));
  }
  negative = nq;
  return trimmedSize(p, m);
}

// {r, na + nb} = {a, na} * {b, nb} by rows (schoolbook), for NA = na; r is
// separate from a and b.
template <int NA>
void mulRows(Word* r, const Word* a, const Word* b, Int nb) noexcept {
  using Wide = detail::DoubleWord;
  Word c = 0;
  for (int j = 0; j < NA; ++j) {
    const Wide t = static_cast<Wide>(a[j]) * b[0] + c;
    r[j] = static_cast<Word>(t);
    c = static_cast<Word>(t >> 64);
  }
  r[NA] = c;
  for (Int i = 1; i < nb; ++i) {
    Word* row = r + i;
    const Word w = b[i];
    c = 0;
    for (int j = 0; j < NA; ++j) {
      const Wide t = static_cast<Wide>(a[j]) * w + row[j] + c;
      row[j] = static_cast<Word>(t);
      c = static_cast<Word>(t >> 64);
    }
    row[NA] = c;
  }
}

// The largest operand mulWords takes.
inline constexpr Int kMulWordsLimbs = 4;

// {r, na + nb} = {a, na} * {b, nb}, 1 <= na, nb <= kMulWordsLimbs, with the
// rows unrolled: for operands of a few limbs, where a call into the kernels
// costs more than the products.  r is separate from a and b.
inline void mulWords(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  switch (na) {
    case 1:
      return mulRows<1>(r, a, b, nb);
    case 2:
      return mulRows<2>(r, a, b, nb);
    case 3:
      return mulRows<3>(r, a, b, nb);
    default:
      assert(na == kMulWordsLimbs);
      return mulRows<4>(r, a, b, nb);
  }
}

// A new block of n words, from the thread's lists without a call when they
// hold one.
inline rt::BlockHeader* newBlock(Int n) { return rt::newBlockBytes(rt::wordBlockBytes(n)); }

// As newWordArray_, with the block from newBlock.
inline MutableWordArray_ newWords(Int n) { return MutableWordArray_::adopt(newBlock(n)); }

// The longest operands of the short sums and differences below: four limbs,
// the smallest block's room.
inline constexpr Int kShortLimbs = 4;

// r = x + y + c or x - y - c (c is 0 or 1) over one limb; c becomes the carry
// or borrow out.  The x86-64 forms keep the flag in the processor's carry,
// so that a chain of them is one add and adcs.
template <bool kSubtract>
[[gnu::always_inline]] inline Word limbStep(Word x, Word y, unsigned char& c) noexcept {
#if defined(__x86_64__)
  unsigned long long r;
  c = kSubtract ? _subborrow_u64(c, x, y, &r) : _addcarry_u64(c, x, y, &r);
  return r;
#else
  if constexpr (kSubtract) {
    const Word d = x - y;
    const Word r = d - c;
    c = static_cast<unsigned char>((x < y) | (d < c));
    return r;
  } else {
    const Word s = x + y;
    const Word r = s + c;
    c = static_cast<unsigned char>((s < x) | (r < s));
    return r;
  }
#endif
}

// {p, la} = {x, la} + {y, lb} or {x, la} - {y, lb}, sizes in bytes,
// lb <= la <= kShortLimbs limbs; returns the carry or borrow out of the
// top.  Operands of one size, the common case, take one straight chain.
template <bool kSubtract>
[[gnu::always_inline]] inline unsigned char shortChain(Word* p, const Word* x, std::size_t la,
                                                       const Word* y, std::size_t lb) noexcept {
  unsigned char c = 0;
  if (la == lb) {
    switch (la / kWordBytes) {
      case 4:
        p[0] = limbStep<kSubtract>(x[0], y[0], c);
        p[1] = limbStep<kSubtract>(x[1], y[1], c);
        p[2] = limbStep<kSubtract>(x[2], y[2], c);
        p[3] = limbStep<kSubtract>(x[3], y[3], c);
        return c;
      case 3:
        p[0] = limbStep<kSubtract>(x[0], y[0], c);
        p[1] = limbStep<kSubtract>(x[1], y[1], c);
        p[2] = limbStep<kSubtract>(x[2], y[2], c);
        return c;
      case 2:
        p[0] = limbStep<kSubtract>(x[0], y[0], c);
        p[1] = limbStep<kSubtract>(x[1], y[1], c);
        return c;
      default:
        p[0] = limbStep<kSubtract>(x[0], y[0], c);
        return c;
    }
  }
  // y is shorter: x alone from its size on.
  p[0] = limbStep<kSubtract>(x[0], y[0], c);
  p[1] = limbStep<kSubtract>(x[1], lb > kWordBytes ? y[1] : 0, c);
  if (la > 2 * kWordBytes) {
    p[2] = limbStep<kSubtract>(x[2], lb > 2 * kWordBytes ? y[2] : 0, c);
    if (la > 3 * kWordBytes) p[3] = limbStep<kSubtract>(x[3], 0, c);
  }
  return c;
}

// {p, n} = {x, n} + {y, n} or {x, n} - {y, n}, n >= 0; returns the carry or
// borrow out of the top: the chain of the sums and differences of up to
// kChainSumLimbs limbs.  wordsAddNInline's loop needs eight registers and a
// dozen instructions before its first limb; this one needs five and three
// address sums, so the paths built on it keep no frame.  The operands are
// addressed from their ends, the index counting up to zero in rcx, so that
// jrcxz ends the four-limb loop without touching the carry flag.  The n mod
// 4 low limbs go first, straight, chosen by tests made before the first
// limb: -n mod 4 is 3, 2 or 1 for n mod 4 = 1, 2 or 3, and each test clears
// the carry flag, so the first adc (sbb) takes no carry in.  Each limb of x
// and y is read before p's limb of the same index is written, so p may be
// x or y.  Volatile, as the chain of wordsAddN: its stores are its point.
template <bool kSubtract>
[[gnu::always_inline]] inline bool endChain(Word* p, const Word* x, const Word* y, Int n) noexcept {
#if defined(__x86_64__)
#define NUMKIT_END_STEP(insn, off)                  \
  "mov " off "(%[x],%[i],8), %[t]\n\t" insn " " off \
  "(%[y],%[i],8), %[t]\n\t"                         \
  "mov %[t], " off "(%[p],%[i],8)\n\t"
#define NUMKIT_END_CHAIN(insn) \
  "test $1, %b[i]\n\t"                                     \
  "jnz 5f\n\t"                                             \
  "test $2, %b[i]\n\t"                                     \
  "jz 1f\n\t" /* n mod 4 = 2 */                            \
  NUMKIT_END_STEP(insn, "")                                \
  NUMKIT_END_STEP(insn, "8")                               \
  "lea 2(%[i]), %[i]\n\t"                                  \
  "jmp 1f\n"                                               \
  "5:\n\t"                                                 \
  "test $2, %b[i]\n\t"                                     \
  "jz 6f\n\t" /* n mod 4 = 1 */                            \
  NUMKIT_END_STEP(insn, "")                                \
  "lea 1(%[i]), %[i]\n\t"                                  \
  "jmp 1f\n"                                               \
  "6:\n\t" /* n mod 4 = 3 */                               \
  NUMKIT_END_STEP(insn, "")                                \
  NUMKIT_END_STEP(insn, "8")                               \
  NUMKIT_END_STEP(insn, "16")                              \
  "lea 3(%[i]), %[i]\n"                                    \
  "1:\n\t"                                                 \
  "jrcxz 3f\n"                                             \
  "2:\n\t" /* four limbs a step */                         \
  NUMKIT_END_STEP(insn, "")                                \
  NUMKIT_END_STEP(insn, "8")                               \
  NUMKIT_END_STEP(insn, "16")                              \
  NUMKIT_END_STEP(insn, "24")                              \
  "lea 4(%[i]), %[i]\n\t"                                  \
  "jrcxz 3f\n\t"                                           \
  "jmp 2b\n"                                               \
  "3:"
  Int i = -n;
  Word t;
  bool c;
  if constexpr (kSubtract) {
    __asm__ volatile(NUMKIT_END_CHAIN("sbb")
                     : [i] "+c"(i), [t] "=&r"(t), "=@ccc"(c)
                     : [x] "r"(x + n), [y] "r"(y + n), [p] "r"(p + n)
                     : "memory");
  } else {
    __asm__ volatile(NUMKIT_END_CHAIN("adc")
                     : [i] "+c"(i), [t] "=&r"(t), "=@ccc"(c)
                     : [x] "r"(x + n), [y] "r"(y + n), [p] "r"(p + n)
                     : "memory");
  }
#undef NUMKIT_END_CHAIN
#undef NUMKIT_END_STEP
  return c;
#else
  return (kSubtract ? wordsSubNInline(p, x, y, n) : wordsAddNInline(p, x, y, n)) != 0;
#endif
}

// The sum of the non-empty magnitudes in blocks a and b, in a new block,
// straight on the blocks, for the slow paths of Natural and Integer sums.
// The block comes from the thread's lists without a call (no frame for the
// call's sake); null when the list is empty.  kShort: only operands of up
// to kShortLimbs limbs, the common case, by one straight chain; null for any
// other sum.  Otherwise operands of one size up to kChainSumLimbs limbs, by
// endChain; null for operands of two sizes (sumOfAnyBlocks takes them) and
// for longer ones.
template <bool kShort>
[[gnu::always_inline]] inline rt::BlockHeader* sumOfBlocks(const rt::BlockHeader* a,
                                                           const rt::BlockHeader* b) {
  if constexpr (kShort) {
    // Testing both sizes before anything else lets the compiler leave longer
    // operands before any frame.
    constexpr std::size_t kShortBytes = kShortLimbs * kWordBytes;
    if (a->bytes > kShortBytes || b->bytes > kShortBytes) return nullptr;
    if (a->bytes < b->bytes) std::swap(a, b);
    const std::size_t la = a->bytes;
    const std::size_t lb = b->bytes;
    // Room for a carry out of the longer operand: the smallest block, or the
    // next class's for four limbs.
    rt::BlockHeader* h = la < kShortBytes ? rt::takeSmallBlock(la + kWordBytes)
                                          : rt::takeListedBlock(la + kWordBytes);
    if (h == nullptr) return nullptr;
    Word* p = rt::payload(h);
    const Word* x = rt::payload(a);
    const Word* y = rt::payload(b);
    const unsigned char c = shortChain<false>(p, x, la, y, lb);
    p[la / kWordBytes] = c;
    h->bytes = la + (c != 0 ? kWordBytes : 0);
    return h;
  } else {
    const std::size_t la = a->bytes;
    if (la != b->bytes || la > kChainSumLimbs * kWordBytes) return nullptr;
    rt::BlockHeader* h = rt::takeBlock(la + kWordBytes);
    if (h == nullptr) return nullptr;
    Word* p = rt::payload(h);
    const auto n = static_cast<Int>(la / kWordBytes);
    const bool c = endChain<false>(p, rt::payload(a), rt::payload(b), n);
    p[n] = c ? 1 : 0;
    h->bytes = la + (c ? kWordBytes : 0);
    return h;
  }
}

// As sumOfBlocks<false>, for operands of any two sizes up to
// kChainSumLimbs limbs: the chain over the shorter, then the carry through
// the longer's rest.  Out of line from the paths that keep no frame.
inline rt::BlockHeader* sumOfAnyBlocks(const rt::BlockHeader* a, const rt::BlockHeader* b) {
  if (a->bytes < b->bytes) std::swap(a, b);
  const auto nl = static_cast<Int>(a->bytes / kWordBytes);
  const auto ns = static_cast<Int>(b->bytes / kWordBytes);
  if (nl > kChainSumLimbs) return nullptr;
  rt::BlockHeader* h = rt::takeBlock(static_cast<std::size_t>(nl + 1) * kWordBytes);
  if (h == nullptr) return nullptr;
  Word* p = rt::payload(h);
  const Word* lp = rt::payload(a);
  Word c = endChain<false>(p, lp, rt::payload(b), ns) ? 1 : 0;
  for (Int i = ns; i < nl; ++i) {
    p[i] = lp[i] + c;
    c = static_cast<Word>(p[i] < c);
  }
  p[nl] = c;
  h->bytes = static_cast<std::size_t>(nl + static_cast<Int>(c)) * kWordBytes;
  return h;
}

// a + b for non-empty magnitudes, in one new block, by the kernel: for sums
// that sumOfAnyBlocks turned down.
inline BigNat_ sumByKernel(const BigNat_& a, const BigNat_& b) {
  const bool aLonger = a.size() >= b.size();
  MutableWordArray_ r = newWords((aLonger ? a : b).size() + 1);
  backend::bignat_add(r, aLonger ? a : b, aLonger ? b : a);
  return std::move(r).freeze();
}

// a + b for non-empty magnitudes, in one new block: by the carry chain into
// a block from the thread's lists up to kChainSumLimbs limbs, by the kernel
// beyond (or when the lists hold no block of the class).
inline BigNat_ sumOfMagnitudes(const BigNat_& a, const BigNat_& b) {
  if (rt::BlockHeader* h = sumOfAnyBlocks(a.block(), b.block())) return WordArray_::adopt(h);
  return sumByKernel(a, b);
}

// {r, nl} = {lp, nl} - {sp, ns} for {lp, nl} > {sp, ns}, ns <= nl; returns
// the difference's trimmed size.  r may be lp.
[[gnu::always_inline]] inline Int subtractWords(Word* r, const Word* lp, Int nl, const Word* sp,
                                                Int ns) noexcept {
  Word c = endChain<true>(r, lp, sp, ns) ? 1 : 0;
  for (Int i = ns; i < nl; ++i) {
    const Word borrow = static_cast<Word>(lp[i] < c);
    r[i] = lp[i] - c;
    c = borrow;
  }
  return trimmedSize(r, nl);
}

// The order of the magnitudes in blocks a and b.
inline Ordering compareBlocks(const rt::BlockHeader* a, const rt::BlockHeader* b) noexcept {
  return compareWords(rt::payload(a), static_cast<Int>(a->bytes / kWordBytes), rt::payload(b),
                      static_cast<Int>(b->bytes / kWordBytes));
}

// |a - b| for the magnitudes in blocks a and b of up to kShortLimbs limbs
// each, the common case, in a block from the thread's list of the smallest
// blocks, without a call; its size trimmed (0 when a = b).  `swapped` tells
// whether b > a.  Null for longer operands, and when the list is empty.  No
// comparison first: operands of one size are subtracted, and subtracted the
// other way round when that borrows out of the top.
[[gnu::always_inline]] inline rt::BlockHeader* shortDifferenceOfBlocks(const rt::BlockHeader* a,
                                                                       const rt::BlockHeader* b,
                                                                       bool& swapped) {
  // Testing both sizes before anything else lets the compiler leave longer
  // operands before any frame.
  constexpr std::size_t kShortBytes = kShortLimbs * kWordBytes;
  if (a->bytes > kShortBytes || b->bytes > kShortBytes) return nullptr;
  swapped = a->bytes < b->bytes;
  if (swapped) std::swap(a, b);
  const std::size_t la = a->bytes;
  rt::BlockHeader* h = rt::takeSmallBlock(la);
  if (h == nullptr) return nullptr;
  Word* p = rt::payload(h);
  if (shortChain<true>(p, rt::payload(a), la, rt::payload(b), b->bytes) != 0) {
    swapped = true;  // only with sizes equal
    (void)shortChain<true>(p, rt::payload(b), la, rt::payload(a), la);
  }
  h->bytes =
      static_cast<std::size_t>(trimmedSize(p, static_cast<Int>(la / kWordBytes))) * kWordBytes;
  return h;
}

// |a - b| for the magnitudes in blocks a and b of one size up to
// kChainSumLimbs limbs whose top limbs differ, the common case beyond
// kShortLimbs, in a block from the thread's lists, without a call; its size
// trimmed (one limb or more).  `swapped` tells whether b > a.  The top limbs
// give the order, so there is no comparison loop; null for operands of two
// sizes, longer ones, equal top limbs, and when the list is empty.
[[gnu::always_inline]] inline rt::BlockHeader* midDifferenceOfBlocks(const rt::BlockHeader* a,
                                                                     const rt::BlockHeader* b,
                                                                     bool& swapped) {
  const std::size_t la = a->bytes;
  if (la != b->bytes || la > kChainSumLimbs * kWordBytes) return nullptr;
  const auto n = static_cast<Int>(la / kWordBytes);
  const Word* x = rt::payload(a);
  const Word* y = rt::payload(b);
  if (x[n - 1] == y[n - 1]) return nullptr;
  swapped = x[n - 1] < y[n - 1];
  if (swapped) std::swap(x, y);
  rt::BlockHeader* h = rt::takeBlock(la);
  if (h == nullptr) return nullptr;
  Word* p = rt::payload(h);
  (void)endChain<true>(p, x, y, n);  // no borrow out: x > y
  // Trimmed from the end the chain addressed, so that nothing else stays
  // live across it; x > y leaves a non-zero limb.
  const Word* end = p + n;
  while (end[-1] == 0) --end;
  h->bytes = static_cast<std::size_t>(end - p) * kWordBytes;
  return h;
}

// l - s for the magnitudes in blocks l > s of any size up to kChainSumLimbs
// limbs, in a new block, its size trimmed (one limb or more), for the slow
// paths of Natural and Integer differences: as shortDifferenceOfBlocks, with
// the block from the thread's lists without a call; null when the list is
// empty or l is longer.
inline rt::BlockHeader* differenceOfBlocks(const rt::BlockHeader* l, const rt::BlockHeader* s) {
  const auto nl = static_cast<Int>(l->bytes / kWordBytes);
  const auto ns = static_cast<Int>(s->bytes / kWordBytes);
  if (nl > kChainSumLimbs) return nullptr;
  rt::BlockHeader* h = rt::takeBlock(static_cast<std::size_t>(nl) * kWordBytes);
  if (h == nullptr) return nullptr;
  const Int n = subtractWords(rt::payload(h), rt::payload(l), nl, rt::payload(s), ns);
  h->bytes = static_cast<std::size_t>(n) * kWordBytes;
  return h;
}

// l - s for non-empty magnitudes l > s, trimmed, in one new block, by the
// kernel: for differences that differenceOfBlocks turned down.
inline BigNat_ differenceByKernel(const BigNat_& l, const BigNat_& s) {
  MutableWordArray_ r = newWords(l.size());
  (void)backend::bignat_sub(r, l, s);
  mwaTrimZeroes_(r);
  return std::move(r).freeze();
}

// The block of a multi-word value's limbs, writable when rt::isUnique says
// the caller holds the only reference.
inline rt::BlockHeader* writableBlock(const WordArray_& a) noexcept {
  return const_cast<rt::BlockHeader*>(a.block());
}

}  // namespace detail
NUMKIT_END_NAMESPACE
