// BigNat: a natural-number magnitude of any size.
//
// A BigNat_ is an immutable word array read as a magnitude, least significant
// limb first.  Normal form, expected of every argument and established for
// every result: the most significant limb is non-zero; zero is the empty
// array.  Operations return an argument itself, a shared constant or a fresh
// array; a fresh result is allocated once at its largest possible size and
// shrunk in place.  Arguments are trusted to be normalised (bigNatCheck_ is
// the only test).
#pragma once

#include <compare>
#include <optional>
#include <span>
#include <vector>

#include "Num/Runtime.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

using BigNat_ = WordArray_;

// The one-field value wrapping a BigNat_; wrapping never copies limbs.
struct BigNat {
  BigNat_ bn;
};
inline BigNat BN_(BigNat_ a) noexcept { return BigNat{std::move(a)}; }
inline const BigNat_& unBigNat(const BigNat& x) noexcept { return x.bn; }

// ---------------------------------------------------------------------------
// Constants, validity, size and indexing.

// The shared constants zero (no limbs) and one ([1]); static and immortal.
NUMKIT_API BigNat bigNatZero() noexcept;
NUMKIT_API BigNat bigNatOne() noexcept;
inline BigNat_ bigNatZero_() noexcept { return BigNat_(); }
NUMKIT_API BigNat_ bigNatOne_() noexcept;

// Whether the array is a normalised magnitude: empty, or a whole number of
// words whose most significant one is non-zero.
NUMKIT_API Int bigNatCheck_(const BigNat_& a) noexcept;
inline bool bigNatCheck(const BigNat_& a) noexcept { return bigNatCheck_(a) != 0; }

inline Int bigNatSize_(const BigNat_& a) noexcept { return a.size(); }
inline Word bigNatSize(const BigNat_& a) noexcept { return static_cast<Word>(a.size()); }
// Limb i; the caller guarantees 0 <= i < size.
inline Word bigNatIndex_(const BigNat_& a, Int i) noexcept { return a[i]; }
inline Word bigNatIndex(const BigNat_& a, Int i) noexcept { return a[i]; }

// ---------------------------------------------------------------------------
// Construction.

// Zero (the shared constant) for w = 0, else a new [w].
inline BigNat_ bigNatFromWord_(Word w) { return w == 0 ? bigNatZero_() : wordArrayFromWord_(w); }
inline BigNat_ bigNatFromWord(Word w) { return bigNatFromWord_(w); }
inline BigNat_ bigNatFromWord64_(std::uint64_t w) { return bigNatFromWord_(w); }
// |i| (the most negative Int gives [2^63]); zero for 0.
NUMKIT_API BigNat_ bigNatFromAbsInt_(Int i);
// hi * 2^64 + lo: zero, [lo], or [lo, hi] when hi != 0 (also for lo = 0).
NUMKIT_API BigNat_ bigNatFromWord2_(Word hi, Word lo);
// The value of a word list, most significant first; leading zeros skipped.
NUMKIT_API BigNat_ bigNatFromWordList(std::span<const Word> msFirst);
inline BigNat_ bigNatFromWordList_(std::span<const Word> msFirst) {
  return bigNatFromWordList(msFirst);
}
// The list written into an array of the same length without normalising (a
// leading zero leaves a zero top limb); zero for an empty list.
NUMKIT_API BigNat_ bigNatFromWordListUnsafe(std::span<const Word> msFirst);
// The value of the first n limbs of wa, normalised; wa itself when it is
// exactly that already.
NUMKIT_API BigNat_ bigNatFromWordArray_(const WordArray_& wa, Word n);
inline BigNat bigNatFromWordArray(const WordArray_& wa, Word n) {
  return BN_(bigNatFromWordArray_(wa, n));
}

// ---------------------------------------------------------------------------
// Conversion.

// Limb 0, or 0 for zero: the value modulo 2^64.
inline Word bigNatToWord_(const BigNat_& a) noexcept { return a.size() == 0 ? 0 : a.data()[0]; }
inline Word bigNatToWord64_(const BigNat_& a) noexcept { return bigNatToWord_(a); }
inline Word bigNatToWord(const BigNat_& a) noexcept { return bigNatToWord_(a); }
// Limb 0 read as a signed word (no saturation), or 0 for zero.
inline Int bigNatToInt_(const BigNat_& a) noexcept { return static_cast<Int>(bigNatToWord_(a)); }
inline Int bigNatToInt(const BigNat_& a) noexcept { return bigNatToInt_(a); }
// The value when it fits one word, else nothing.
inline std::optional<Word> bigNatToWordMaybe_(const BigNat_& a) noexcept {
  if (a.size() > 1) return std::nullopt;
  return bigNatToWord_(a);
}
// The limbs, most significant first; empty for zero.
NUMKIT_API std::vector<Word> bigNatToWordList(const BigNat_& a);

// ---------------------------------------------------------------------------
// Predicates.

inline Int bigNatIsZero_(const BigNat_& a) noexcept { return a.size() == 0 ? 1 : 0; }
inline bool bigNatIsZero(const BigNat_& a) noexcept { return a.size() == 0; }
inline Int bigNatIsOne_(const BigNat_& a) noexcept { return a.size() == 1 && a[0] == 1 ? 1 : 0; }
inline bool bigNatIsOne(const BigNat_& a) noexcept { return bigNatIsOne_(a) != 0; }
inline Int bigNatIsTwo_(const BigNat_& a) noexcept { return a.size() == 1 && a[0] == 2 ? 1 : 0; }
inline bool bigNatIsTwo(const BigNat_& a) noexcept { return bigNatIsTwo_(a) != 0; }

// ---------------------------------------------------------------------------
// Comparison: limb counts decide before any limb is read.

NUMKIT_API Ordering bigNatCompare(const BigNat_& a, const BigNat_& b) noexcept;
NUMKIT_API Int bigNatEq_(const BigNat_& a, const BigNat_& b) noexcept;
inline bool bigNatEq(const BigNat_& a, const BigNat_& b) noexcept { return bigNatEq_(a, b) != 0; }
inline Int bigNatNe_(const BigNat_& a, const BigNat_& b) noexcept { return 1 - bigNatEq_(a, b); }
inline bool bigNatNe(const BigNat_& a, const BigNat_& b) noexcept { return bigNatEq_(a, b) == 0; }
inline Int bigNatLt_(const BigNat_& a, const BigNat_& b) noexcept {
  return bigNatCompare(a, b) == Ordering::LT ? 1 : 0;
}
inline bool bigNatLt(const BigNat_& a, const BigNat_& b) noexcept { return bigNatLt_(a, b) != 0; }
inline Int bigNatLe_(const BigNat_& a, const BigNat_& b) noexcept {
  return bigNatCompare(a, b) != Ordering::GT ? 1 : 0;
}
inline bool bigNatLe(const BigNat_& a, const BigNat_& b) noexcept { return bigNatLe_(a, b) != 0; }
inline Int bigNatGt_(const BigNat_& a, const BigNat_& b) noexcept {
  return bigNatCompare(a, b) == Ordering::GT ? 1 : 0;
}
inline bool bigNatGt(const BigNat_& a, const BigNat_& b) noexcept { return bigNatGt_(a, b) != 0; }
inline Int bigNatGe_(const BigNat_& a, const BigNat_& b) noexcept {
  return bigNatCompare(a, b) != Ordering::LT ? 1 : 0;
}
inline bool bigNatGe(const BigNat_& a, const BigNat_& b) noexcept { return bigNatGe_(a, b) != 0; }

// Comparison with a word.
inline Ordering bigNatCompareWord_(const BigNat_& a, Word w) noexcept {
  if (a.size() == 0) return w != 0 ? Ordering::LT : Ordering::EQ;
  if (a.size() > 1) return Ordering::GT;
  const Word x = a[0];
  return x < w ? Ordering::LT : x == w ? Ordering::EQ : Ordering::GT;
}
inline Ordering bigNatCompareWord(const BigNat_& a, Word w) noexcept {
  return bigNatCompareWord_(a, w);
}
inline Int bigNatGtWord_(const BigNat_& a, Word w) noexcept {
  return a.size() > 1 || (a.size() == 1 && a[0] > w) ? 1 : 0;
}
inline bool bigNatGtWord(const BigNat_& a, Word w) noexcept { return bigNatGtWord_(a, w) != 0; }
inline Int bigNatLeWord_(const BigNat_& a, Word w) noexcept {
  return a.size() == 0 || (a.size() == 1 && a[0] <= w) ? 1 : 0;
}
inline bool bigNatLeWord(const BigNat_& a, Word w) noexcept { return bigNatLeWord_(a, w) != 0; }
inline Int bigNatEqWord_(const BigNat_& a, Word w) noexcept {
  if (w == 0) return bigNatIsZero_(a);
  return a.size() == 1 && a[0] == w ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Addition and subtraction.

namespace detail {
// Whether a has one or two limbs.
inline bool hasOneOrTwoLimbs(const BigNat_& a) noexcept {
  return a.sizeBytes() - kWordBytes <= kWordBytes;  // 0 wraps around
}
// The value of a magnitude of one or two limbs.
inline DoubleWord wideValue(const BigNat_& a) noexcept {
  const Word* p = a.data();
  return p[0] | static_cast<DoubleWord>(a.sizeBytes() > kWordBytes ? p[1] : 0) << 64;
}
// The sum of two magnitudes of one or two limbs: its low two limbs and its
// size in bytes; a third limb, when counted, is 1.
struct SmallSum {
  Word lo;
  Word hi;
  std::size_t bytes;
};
inline SmallSum smallSum(const BigNat_& a, const BigNat_& b) noexcept {
  const DoubleWord x = wideValue(a);
  const DoubleWord s = x + wideValue(b);
  const auto hi = static_cast<Word>(s >> 64);
  return {static_cast<Word>(s), hi, s < x ? 3 * kWordBytes : hi != 0 ? 2 * kWordBytes : kWordBytes};
}
// Every block has room for three limbs, so all three are written and the
// recorded size decides which count.
static_assert(rt::kMinCapacityBytes >= 3 * kWordBytes);
inline void storeSmallSum(Word* r, const SmallSum& s) noexcept {
  r[0] = s.lo;
  r[1] = s.hi;
  r[2] = 1;
}
NUMKIT_API BigNat_ bigNatAddSlow(const BigNat_& a, const BigNat_& b);
}  // namespace detail

// a + b; an empty operand gives the other one itself.  Operands of one or
// two limbs are added inline into a block from the thread's cache.
inline BigNat_ bigNatAdd(const BigNat_& a, const BigNat_& b) {
  if (detail::hasOneOrTwoLimbs(a) && detail::hasOneOrTwoLimbs(b)) {
    const detail::SmallSum s = detail::smallSum(a, b);
    if (rt::BlockHeader* h = rt::takeSmallBlock(s.bytes)) {
      detail::storeSmallSum(rt::payload(h), s);
      return BigNat_::adopt(h);
    }
  }
  return detail::bigNatAddSlow(a, b);
}
// a + w; w = 0 gives a itself.
NUMKIT_API BigNat_ bigNatAddWord_(const BigNat_& a, Word w);
inline BigNat_ bigNatAddWord(const BigNat_& a, Word w) { return bigNatAddWord_(a, w); }
// a - b, or nothing when a < b; b = 0 gives a itself.
NUMKIT_API std::optional<BigNat_> bigNatSub(const BigNat_& a, const BigNat_& b);
// a - w, or nothing when a < w; w = 0 gives a itself.
NUMKIT_API std::optional<BigNat_> bigNatSubWord_(const BigNat_& a, Word w);
// a - b; raises num::Underflow when a < b, before anything is allocated.
NUMKIT_API BigNat_ bigNatSubUnsafe(const BigNat_& a, const BigNat_& b);
// a - w for a >= w; the precondition is not tested (a borrow off the top is
// dropped, and zero less anything is zero).
NUMKIT_API BigNat_ bigNatSubWordUnsafe_(const BigNat_& a, Word w);
inline BigNat_ bigNatSubWordUnsafe(const BigNat_& a, Word w) { return bigNatSubWordUnsafe_(a, w); }

// ---------------------------------------------------------------------------
// Multiplication, division, gcd and powers.
//
// Trivial operands are settled without a kernel: a product with zero or one,
// a division by one and a dividend not above the divisor give an argument
// itself or a shared constant; one-limb operands use machine words.  Every
// division, remainder and modular power by zero raises num::DivideByZero
// before anything is allocated.

// a * b; zero when either is zero (that operand itself), the other operand
// itself when one of them is one.
NUMKIT_API BigNat_ bigNatMul(const BigNat_& a, const BigNat_& b);
// a * a; zero and one give a itself.
NUMKIT_API BigNat_ bigNatSqr(const BigNat_& a);
// a * w; w = 1 gives a itself, w = 0 or a = 0 the shared zero.
NUMKIT_API BigNat_ bigNatMulWord_(const BigNat_& a, Word w);
inline BigNat_ bigNatMulWord(const BigNat_& a, Word w) { return bigNatMulWord_(a, w); }

// (a div b, a mod b), truncating.  b = 1 gives (a itself, zero); a < b gives
// (zero, a itself); a = b gives (one, zero), both shared constants.
NUMKIT_API std::pair<BigNat_, BigNat_> bigNatQuotRem_(const BigNat_& a, const BigNat_& b);
// a div b; b = 1 gives a itself.
NUMKIT_API BigNat_ bigNatQuot(const BigNat_& a, const BigNat_& b);
// a mod b; a < b gives a itself.
NUMKIT_API BigNat_ bigNatRem(const BigNat_& a, const BigNat_& b);
// (a div w, a mod w); w = 1 gives (a itself, 0).
NUMKIT_API std::pair<BigNat_, Word> bigNatQuotRemWord_(const BigNat_& a, Word w);
// a div w; w = 1 gives a itself.
NUMKIT_API BigNat_ bigNatQuotWord_(const BigNat_& a, Word w);
inline BigNat_ bigNatQuotWord(const BigNat_& a, Word w) { return bigNatQuotWord_(a, w); }
// a mod w.
NUMKIT_API Word bigNatRemWord_(const BigNat_& a, Word w);
inline Word bigNatRemWord(const BigNat_& a, Word w) { return bigNatRemWord_(a, w); }
// Raises num::DivideByZero; typed as a magnitude for use in expressions.
[[noreturn]] NUMKIT_API BigNat_ raiseDivZero_BigNat();

// gcd(a, b); gcd(0, b) is b itself, gcd(a, 0) a itself, a one operand that
// operand itself, and equal multi-limb operands give a itself.
NUMKIT_API BigNat_ bigNatGcd(const BigNat_& a, const BigNat_& b);
// gcd(x, y) for x > y, both of two or more limbs.
NUMKIT_API BigNat_ bigNatGcd_go(const BigNat_& x, const BigNat_& y);
// gcd(a, w).  Not meant for a zero operand: gcd(0, w) is w, and gcd(a, 0) is
// a's value when it fits one word and 0 (no word holds it) otherwise.
NUMKIT_API Word bigNatGcdWord_(const BigNat_& a, Word w) noexcept;
// gcd(x, y); a zero argument gives the other one.
NUMKIT_API Word gcdWord_(Word x, Word y) noexcept;
inline Word gcdWord(Word x, Word y) noexcept { return gcdWord_(x, y); }
// gcd(|x|, |y|) reinterpreted as a signed word: gcd(-2^63, -2^63) and
// gcd(-2^63, 0) give -2^63.
NUMKIT_API Int gcdInt_(Int x, Int y) noexcept;
inline Int gcdInt(Int x, Int y) noexcept { return gcdInt_(x, y); }
// lcm(a, b); zero when either is zero, the other operand itself when one is
// one.
NUMKIT_API BigNat_ bigNatLcm(const BigNat_& a, const BigNat_& b);
// lcm(a, w); w = 1 gives a itself.
NUMKIT_API BigNat_ bigNatLcmWord_(const BigNat_& a, Word w);
// lcm(x, y) as a magnitude of up to two limbs.
NUMKIT_API BigNat_ bigNatLcmWordWord_(Word x, Word y);

// b^e mod m, in [0, m); e = 0 gives 1 unless m = 1.  Raises num::DivideByZero
// when m = 0.
NUMKIT_API BigNat_ bigNatPowMod(const BigNat_& b, const BigNat_& e, const BigNat_& m);
// b^e mod m as a word; raises num::DivideByZero when m = 0.
NUMKIT_API Word bigNatPowModWord_(const BigNat_& b, const BigNat_& e, Word m);
// b^e mod m on words (0^0 is 1 unless m = 1); raises num::DivideByZero when
// m = 0, since the word kernel has no answer for it.
NUMKIT_API Word powModWord_(Word b, Word e, Word m);

// a * 2^e as a double, truncated towards zero; zero gives 0.0.  Any exponent
// is accepted (results beyond the double range are infinity or zero).
NUMKIT_API double bigNatEncodeDouble_(const BigNat_& a, Int e) noexcept;

// ---------------------------------------------------------------------------
// Bit operations, shifts, counts and logarithms.
//
// Bit i lies in limb i div 64 at position i mod 64.  Bit indices and shift
// counts are any Word; a bit far beyond the value makes bigNatBit_,
// bigNatSetBit_ and bigNatComplementBit_ allocate i div 64 + 1 limbs.  What
// cannot change the value returns the argument itself: shifts by 0, OR and
// XOR with 0, setting a set bit, clearing a clear bit, and an operation on a
// zero operand whose answer is that operand.  One-limb operands are computed
// in registers, without a kernel.

// a AND b; a zero operand is the answer itself.
NUMKIT_API BigNat_ bigNatAnd(const BigNat_& a, const BigNat_& b);
// a AND NOT b; a zero a or b gives a itself.
NUMKIT_API BigNat_ bigNatAndNot(const BigNat_& a, const BigNat_& b);
// a OR b; a zero operand gives the other one itself.
NUMKIT_API BigNat_ bigNatOr(const BigNat_& a, const BigNat_& b);
// a XOR b; a zero operand gives the other one itself.
NUMKIT_API BigNat_ bigNatXor(const BigNat_& a, const BigNat_& b);
// a AND w, a AND NOT w; a zero a gives a itself.
NUMKIT_API BigNat_ bigNatAndWord_(const BigNat_& a, Word w);
NUMKIT_API BigNat_ bigNatAndNotWord_(const BigNat_& a, Word w);
// a AND i, with i in two's complement extended by its sign bit without end;
// a zero a gives a itself.
NUMKIT_API BigNat_ bigNatAndInt_(const BigNat_& a, Int i);
// a OR w, a XOR w; w = 0 gives a itself.
NUMKIT_API BigNat_ bigNatOrWord_(const BigNat_& a, Word w);
NUMKIT_API BigNat_ bigNatXorWord_(const BigNat_& a, Word w);

// a * 2^n; n = 0 or a zero a gives a itself.
NUMKIT_API BigNat_ bigNatShiftL_(const BigNat_& a, Word n);
inline BigNat_ bigNatShiftL(const BigNat_& a, Word n) { return bigNatShiftL_(a, n); }
// a div 2^n; n = 0 or a zero a gives a itself.
NUMKIT_API BigNat_ bigNatShiftR_(const BigNat_& a, Word n);
inline BigNat_ bigNatShiftR(const BigNat_& a, Word n) { return bigNatShiftR_(a, n); }
// ceil(a / 2^n), the magnitude of -a shifted right arithmetically by n, while
// a limb of a survives the shift (n div 64 < size a); zero once every limb is
// shifted out: callers read that zero as "every bit went", which for -a means
// -1.  n = 0 or a zero a gives a itself.
NUMKIT_API BigNat_ bigNatShiftRNeg_(const BigNat_& a, Word n);

// Whether bit i of a is set.
inline Int bigNatTestBit_(const BigNat_& a, Word i) noexcept {
  const Word wi = i / kWordBits;
  return wi < static_cast<Word>(a.size()) ? static_cast<Int>((a.data()[wi] >> (i % kWordBits)) & 1)
                                          : 0;
}
inline bool bigNatTestBit(const BigNat_& a, Word i) noexcept { return bigNatTestBit_(a, i) != 0; }
// 2^i; i = 0 gives the shared one.
NUMKIT_API BigNat_ bigNatBit_(Word i);
inline BigNat_ bigNatBit(Word i) { return bigNatBit_(i); }
// a with bit i set; a itself when it is set already.
NUMKIT_API BigNat_ bigNatSetBit_(const BigNat_& a, Word i);
// a with bit i cleared; a itself when it is clear already.
NUMKIT_API BigNat_ bigNatClearBit_(const BigNat_& a, Word i);
// a with bit i inverted.
NUMKIT_API BigNat_ bigNatComplementBit_(const BigNat_& a, Word i);

// The number of set bits.
NUMKIT_API Word bigNatPopCount_(const BigNat_& a) noexcept;
inline Word bigNatPopCount(const BigNat_& a) noexcept { return bigNatPopCount_(a); }
// The number of trailing zero bits; 0 for zero.
NUMKIT_API Word bigNatCtz_(const BigNat_& a) noexcept;
inline Word bigNatCtz(const BigNat_& a) noexcept { return bigNatCtz_(a); }
// The number of trailing zero limbs; 0 for zero.
NUMKIT_API Word bigNatCtzWord_(const BigNat_& a) noexcept;
inline Word bigNatCtzWord(const BigNat_& a) noexcept { return bigNatCtzWord_(a); }
// k when a = 2^k, nothing otherwise (zero included).
NUMKIT_API std::optional<Word> bigNatIsPowerOf2_(const BigNat_& a) noexcept;

// The index of the highest set bit; 0 for zero, as for one.
inline Word bigNatLog2_(const BigNat_& a) noexcept {
  const Int n = a.size();
  if (n == 0) return 0;
  return static_cast<Word>(n - 1) * kWordBits + 63 -
         static_cast<Word>(countLeadingZeros(a.data()[n - 1]));
}
inline Word bigNatLog2(const BigNat_& a) noexcept { return bigNatLog2_(a); }
// floor(log_base a); 0 for a zero a, as for a below the base.  Raises
// num::Overflow for a base of 0 or 1.  The base is squared until it passes a,
// so the work is O(log log a) products and quotients.
NUMKIT_API Word bigNatLogBase_(const BigNat_& base, const BigNat_& a);
inline Word bigNatLogBase(const BigNat_& base, const BigNat_& a) { return bigNatLogBase_(base, a); }
// The same for a word base; raises num::Overflow for base < 2.
NUMKIT_API Word bigNatLogBaseWord_(Word base, const BigNat_& a);
inline Word bigNatLogBaseWord(Word base, const BigNat_& a) { return bigNatLogBaseWord_(base, a); }
// The number of base-`base` digits of a; 0 for zero.  Raises num::Overflow for
// base < 2, also when a is zero.
NUMKIT_API Word bigNatSizeInBase_(Word base, const BigNat_& a);
inline Word bigNatSizeInBase(Word base, const BigNat_& a) { return bigNatSizeInBase_(base, a); }

// ---------------------------------------------------------------------------
// Memory import and export.
//
// The byte string of a magnitude is its base-256 representation, least
// significant byte first (LE) or most significant first (BE); a byte-order
// flag selects LE when 0 and BE otherwise.  The export writes the shortest
// string, 8 (size a - 1) + k bytes where k = 1..8 are the significant bytes
// of the top limb (no zero byte at the significant end; zero is the empty
// string), and nothing outside it; 8 size a bytes always suffice.  The
// import takes a string of any length, zero bytes at the significant end
// included.
//
// The address forms take an unaligned raw pointer and trust it: the caller
// provides room for the whole string; nothing is checked.  The byte-array
// forms address a byte offset (any alignment) inside the array and check,
// before touching any byte, that the whole string lies within the array's
// recorded size (and that the offset is no further than its end); otherwise
// they throw std::out_of_range and leave the array unchanged.

// Write a's string at p; return its length in bytes.
NUMKIT_API Word bigNatToAddrLE_(const BigNat_& a, void* p) noexcept;
NUMKIT_API Word bigNatToAddrBE_(const BigNat_& a, void* p) noexcept;
inline Word bigNatToAddr_(const BigNat_& a, void* p, Int msbf) noexcept {
  return msbf != 0 ? bigNatToAddrBE_(a, p) : bigNatToAddrLE_(a, p);
}
inline Word bigNatToAddr(const BigNat_& a, void* p, Int msbf) noexcept {
  return bigNatToAddr_(a, p, msbf);
}
// Write a's string into the array from byte `offset`; return its length.
NUMKIT_API Word bigNatToMutableByteArrayLE_(const BigNat_& a, MutableByteArray_& arr, Word offset);
NUMKIT_API Word bigNatToMutableByteArrayBE_(const BigNat_& a, MutableByteArray_& arr, Word offset);
inline Word bigNatToMutableByteArray_(const BigNat_& a, MutableByteArray_& arr, Word offset,
                                      Int msbf) {
  return msbf != 0 ? bigNatToMutableByteArrayBE_(a, arr, offset)
                   : bigNatToMutableByteArrayLE_(a, arr, offset);
}

// The magnitude of the n-byte string at p; n = 0 gives the shared zero
// without reading.
NUMKIT_API BigNat_ bigNatFromAddrLE_(Word n, const void* p);
NUMKIT_API BigNat_ bigNatFromAddrBE_(Word n, const void* p);
inline BigNat_ bigNatFromAddr_(Word n, const void* p, Int msbf) {
  return msbf != 0 ? bigNatFromAddrBE_(n, p) : bigNatFromAddrLE_(n, p);
}
// The magnitude of the n-byte string in the array from byte `offset`.
NUMKIT_API BigNat_ bigNatFromByteArrayLE_(Word n, const ByteArray_& arr, Word offset);
NUMKIT_API BigNat_ bigNatFromByteArrayBE_(Word n, const ByteArray_& arr, Word offset);
inline BigNat_ bigNatFromByteArray_(Word n, const ByteArray_& arr, Word offset, Int msbf) {
  return msbf != 0 ? bigNatFromByteArrayBE_(n, arr, offset)
                   : bigNatFromByteArrayLE_(n, arr, offset);
}

// ---------------------------------------------------------------------------
// Equality and ordering of the wrapped value.  num::max of equal values
// returns its second argument and num::min its first (each returns one of
// its arguments, sharing its limbs).

inline bool operator==(const BigNat& x, const BigNat& y) noexcept { return bigNatEq(x.bn, y.bn); }
inline bool operator!=(const BigNat& x, const BigNat& y) noexcept { return bigNatNe(x.bn, y.bn); }
inline Ordering compare(const BigNat& x, const BigNat& y) noexcept {
  return bigNatCompare(x.bn, y.bn);
}
inline bool operator<(const BigNat& x, const BigNat& y) noexcept { return bigNatLt(x.bn, y.bn); }
inline bool operator<=(const BigNat& x, const BigNat& y) noexcept { return bigNatLe(x.bn, y.bn); }
inline bool operator>(const BigNat& x, const BigNat& y) noexcept { return bigNatGt(x.bn, y.bn); }
inline bool operator>=(const BigNat& x, const BigNat& y) noexcept { return bigNatGe(x.bn, y.bn); }
inline std::strong_ordering operator<=>(const BigNat& x, const BigNat& y) noexcept {
  return toStrongOrdering(bigNatCompare(x.bn, y.bn));
}
inline BigNat max(const BigNat& x, const BigNat& y) {
  return bigNatCompare(x.bn, y.bn) == Ordering::GT ? x : y;
}
inline BigNat min(const BigNat& x, const BigNat& y) {
  return bigNatCompare(x.bn, y.bn) == Ordering::GT ? y : x;
}

NUMKIT_END_NAMESPACE
