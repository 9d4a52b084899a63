// Single-word primitives shared by every layer: machine booleans and
// comparisons, bit operations, double-word addition and division, integer
// logarithms and digit counts of one word, conversions to double, the
// raising helpers, and the byte-order encoding of one word to memory.
//
// Everything here is a pure function of its arguments.  The names ending in
// `_` take and return raw machine values: Word (unsigned 64-bit), Int
// (signed 64-bit, wrapping), machine booleans (an Int, 1 or 0).  Multi-word
// results come most significant first.
//
// Only three operations can fail: wordLogBase_ and wordSizeInBase_ raise
// num::Overflow for a base below 2, and the byte-array forms of the memory
// encoding throw std::out_of_range for a location outside the array.  All
// other preconditions (a non-zero divisor, n <= 8 bytes, ...) are the
// caller's and are checked by assert only.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "Num/Export.h"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

// ---------------------------------------------------------------------------
// Machine booleans (1 or 0): AND, OR and negation.  Any other Int is combined
// bitwise as it is.

constexpr Int andB_(Int x, Int y) noexcept { return x & y; }
constexpr Int orB_(Int x, Int y) noexcept { return x | y; }
constexpr Int notB_(Int x) noexcept { return x ^ 1; }

// ---------------------------------------------------------------------------
// Signed words.  Arithmetic wraps: absI_ of the most negative Int is itself.
// Bit indices are taken modulo 64.

constexpr Int absI_(Int x) noexcept {
  const Word m = static_cast<Word>(x >> 63);  // all ones when x < 0
  return static_cast<Int>((static_cast<Word>(x) ^ m) - m);
}
constexpr Int sgnI_(Int x) noexcept { return static_cast<Int>(x > 0) - static_cast<Int>(x < 0); }
// The number of set bits of x's 64-bit pattern (-1 gives 64).
constexpr Int popCntI_(Int x) noexcept { return std::popcount(static_cast<Word>(x)); }
// 1, 0 or -1 as x is above, equal to or below y.
constexpr Int cmpI_(Int x, Int y) noexcept {
  return static_cast<Int>(x > y) - static_cast<Int>(x < y);
}
constexpr Int testBitI_(Int x, Int i) noexcept {
  return static_cast<Int>((static_cast<Word>(x) >> (i & 63)) & 1);
}
constexpr Int minI_(Int x, Int y) noexcept { return y < x ? y : x; }
constexpr Int maxI_(Int x, Int y) noexcept { return y < x ? x : y; }

// ---------------------------------------------------------------------------
// Unsigned words.  Bit indices of bitW_ and testBitW_ are taken modulo 64;
// shiftRW_ alone defines counts of 64 and more (they give 0).

constexpr Word andNot_(Word x, Word y) noexcept { return x & ~y; }
constexpr Ordering cmpW_(Word x, Word y) noexcept {
  return x < y ? Ordering::LT : x == y ? Ordering::EQ : Ordering::GT;
}
// |x| as a Word: the most negative Int gives 2^63.
constexpr Word wordFromAbsInt_(Int x) noexcept { return static_cast<Word>(absI_(x)); }
constexpr Word minW_(Word x, Word y) noexcept { return y < x ? y : x; }
constexpr Word maxW_(Word x, Word y) noexcept { return y < x ? x : y; }
constexpr Word bitW_(Int i) noexcept { return Word{1} << (i & 63); }
constexpr Int testBitW_(Word x, Int i) noexcept { return static_cast<Int>((x >> (i & 63)) & 1); }
constexpr Word shiftRW_(Word x, Word i) noexcept { return i < 64 ? x >> i : 0; }

// The index of the top set bit.  Requires x != 0; 0 gives 2^64 - 1.
constexpr Word wordLog2_(Word x) noexcept {
  return Word{63} - static_cast<Word>(std::countl_zero(x));
}

constexpr Word wordReverseBytes_(Word x) noexcept { return __builtin_bswap64(x); }

// All 64 bits in reverse order.
constexpr Word wordReverseBits_(Word x) noexcept {
  x = wordReverseBytes_(x);
  x = ((x >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((x & 0x0F0F0F0F0F0F0F0FULL) << 4);
  x = ((x >> 2) & 0x3333333333333333ULL) | ((x & 0x3333333333333333ULL) << 2);
  x = ((x >> 1) & 0x5555555555555555ULL) | ((x & 0x5555555555555555ULL) << 1);
  return x;
}

// Each 32-bit half reversed in place: the full reversal also swaps the
// halves, which the rotation undoes.
constexpr Word wordReverseBits32_(Word x) noexcept { return std::rotr(wordReverseBits_(x), 32); }

// m * 2^e as a double, exact whenever that value is a double; any exponent
// is accepted (far out of range it gives a signed infinity or zero).
inline double intEncodeDouble_(Int m, Int e) noexcept { return encodeDoubleInt(m, e); }
inline double wordEncodeDouble_(Word m, Int e) noexcept { return encodeDoubleWord(m, e); }

// ---------------------------------------------------------------------------
// Raising.  None returns; the result type only lets a call stand where a
// value of that type is expected.

// Raises num::DivideByZero.
[[noreturn]] inline Word raiseDivZero_Word_() { raiseDivZero(); }
// Raises num::Underflow.
[[noreturn]] inline Word raiseUnderflow_Word_() { raiseUnderflow(); }
// Raise num::Overflow: an argument without a meaningful result.
[[noreturn]] inline Word unexpectedValue_Word_() { raiseOverflow(); }
[[noreturn]] inline Int unexpectedValue_Int_() { raiseOverflow(); }

// ---------------------------------------------------------------------------
// Double-word arithmetic.  A two-word value is (high, low).

// (a1 * 2^64 + a0) + b0 as (high, low); a carry out of the high word is lost.
constexpr std::pair<Word, Word> plusWord12_(Word a0, Word a1, Word b0) noexcept {
  const Word lo = a0 + b0;
  return {a1 + static_cast<Word>(lo < a0), lo};
}

// a + b + c as (high, low); high is 0, 1 or 2.
constexpr std::pair<Word, Word> plusWord3_(Word a, Word b, Word c) noexcept {
  const Word s = a + b;
  const Word t = s + c;
  return {static_cast<Word>(s < a) + static_cast<Word>(t < s), t};
}

namespace detail {

// (quotient, remainder) of (hi * 2^64 + lo) / d by restoring shift-and-
// subtract, one quotient bit per step, most significant first.  Requires
// hi < d, so the quotient fits one word.  The portable form of
// quotRemWord2, kept callable so it can be checked against the hardware.
constexpr std::pair<Word, Word> quotRemWord2Restoring(Word hi, Word lo, Word d) noexcept {
  assert(hi < d);
  Word r = hi;
  Word q = 0;
  for (int i = 63; i >= 0; --i) {
    const Word out = r >> 63;  // the bit the shift pushes past the top
    r = (r << 1) | ((lo >> i) & 1);
    q <<= 1;
    // Before the shift r < d, so 2r + 1 < 2d and one subtraction suffices;
    // when a bit was shifted out the wrapped difference is the true one.
    if ((out | static_cast<Word>(r >= d)) != 0) {
      r -= d;
      q |= 1;
    }
  }
  return {q, r};
}

// (quotient, remainder) of (hi * 2^64 + lo) / d.  Requires hi < d (the
// quotient fits one word, so the hardware division cannot trap).
inline std::pair<Word, Word> quotRemWord2(Word hi, Word lo, Word d) noexcept {
  assert(hi < d);
#if defined(__x86_64__)
  Word q;
  Word r;
  __asm__("divq %[d]" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), [d] "rm"(d) : "cc");
  return {q, r};
#else
  return quotRemWord2Restoring(hi, lo, d);
#endif
}

}  // namespace detail

// (q1, q0, r): q1 * 2^64 + q0 = floor((a1 * 2^64 + a0) / b0), r the
// remainder.  Requires b0 != 0 (callers raise DivideByZero first).
inline std::tuple<Word, Word, Word> quotRemWord3_(Word a1, Word a0, Word b0) noexcept {
  assert(b0 != 0);
  const Word q1 = a1 / b0;
  const auto [q0, r] = detail::quotRemWord2(a1 % b0, a0, b0);
  return {q1, q0, r};
}

// ---------------------------------------------------------------------------
// Logarithms and digit counts.

// The index of the single set bit of x, or nothing when x is not a power of
// two (0 included).
constexpr std::optional<Word> wordIsPowerOf2_(Word x) noexcept {
  if (std::popcount(x) != 1) return std::nullopt;
  return static_cast<Word>(std::countr_zero(x));
}

// floor(log_base a); 0 when a < base, a = 0 included, except in base 2,
// which is wordLog2_ and so gives 2^64 - 1 for a = 0.  Raises num::Overflow
// for base 0 or 1.
constexpr Word wordLogBase_(Word base, Word a) {
  if (base < 2) return unexpectedValue_Word_();
  if (base == 2) return wordLog2_(a);
  // Square the base until it passes a or its square overflows, remembering
  // each power; then rebuild the exponent one bit per power on the way back
  // down, dividing the quotient by every power that still fits.  With
  // base >= 3 at most five powers are squared before the sixth overflows.
  Word powers[6] = {};
  int k = 0;
  Word p = base;
  Word q;
  Word e;
  for (;;) {
    if (a < p) {
      q = a;
      e = 0;
      break;
    }
    // p * p fits one word exactly when p < 2^32.
    if ((p >> 32) != 0) {
      q = a / p;
      e = 1;
      break;
    }
    assert(k < 6);
    powers[k++] = p;
    p *= p;
  }
  while (k > 0) {
    p = powers[--k];
    if (q < p) {
      e = 2 * e;
    } else {
      q /= p;
      e = 2 * e + 1;
    }
  }
  return e;
}

// The number of base-`base` digits of a: 0 for a = 0 (whatever the base),
// else wordLogBase_(base, a) + 1.  Raises num::Overflow for base 0 or 1
// when a != 0.
constexpr Word wordSizeInBase_(Word base, Word a) { return a == 0 ? 0 : wordLogBase_(base, a) + 1; }

// ---------------------------------------------------------------------------
// Effect adapters: run one side-effecting operation (a foreign call) and
// return its result in raw form.

template <class F>
void ioVoid(F&& f) {
  std::invoke(std::forward<F>(f));
}
template <class F>
Word ioWord_(F&& f) {
  return std::invoke(std::forward<F>(f));
}
template <class F>
Int ioInt_(F&& f) {
  return std::invoke(std::forward<F>(f));
}
// 1 when the operation's boolean result is true, else 0.
template <class F>
Int ioBool(F&& f) {
  return static_cast<bool>(std::invoke(std::forward<F>(f))) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Word memory encoding.
//
// One word moves between a value and raw memory in a fixed byte order that
// does not depend on the host: little-endian (LE, the byte at the lowest
// address is the least significant) or big-endian (BE, most significant
// first).  A byte-order flag (Int) selects LE when 0 and BE otherwise.
//
// Readers take n = 0..8 bytes (n <= 8 is the caller's promise) and read
// nothing when n = 0.  Significant-byte writers store only the significant
// bytes of w, the smallest k with w < 2^(8k) (0 for w = 0, 8 from 2^56 up),
// and return k.  Full-word writers always store all 8 bytes.
//
// The address forms take an unaligned raw pointer and trust it.  The
// byte-array forms address a byte offset (any alignment) inside an array and
// check, before touching any byte, that every byte they read or write lies
// within the array's recorded size (and that the offset itself is no
// further than the end); otherwise they throw std::out_of_range and leave
// the array unchanged.

namespace detail {

// The number of significant bytes of w.
constexpr Word significantBytes(Word w) noexcept {
  return 8 - static_cast<Word>(std::countl_zero(w)) / 8;
}

inline Word loadLE64(const unsigned char* p) noexcept {
  Word w;
  std::memcpy(&w, p, 8);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}
inline Word loadBE64(const unsigned char* p) noexcept {
  Word w;
  std::memcpy(&w, p, 8);
  if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
  return w;
}
inline void storeLE64(unsigned char* p, Word w) noexcept {
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  std::memcpy(p, &w, 8);
}
inline void storeBE64(unsigned char* p, Word w) noexcept {
  if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
  std::memcpy(p, &w, 8);
}

// Throws std::out_of_range describing the bad location.
[[noreturn]] NUMKIT_API NUMKIT_COLD void throwByteRange(Word offset, Word n, std::size_t size);

// Throws unless bytes [offset, offset + n) lie in an array of `size` bytes;
// written so that offset + n cannot overflow.
inline void checkByteRange(Word offset, Word n, std::size_t size) {
  if (offset > size || n > size - offset) throwByteRange(offset, n, size);
}

}  // namespace detail

// Readers from an address.

inline Word wordFromAddrLE_(Word n, const void* p) noexcept {
  assert(n <= 8);
  const auto* b = static_cast<const unsigned char*>(p);
  if (n == 8) return detail::loadLE64(b);
  Word w = 0;
  for (Word i = 0; i < n; ++i) w |= Word{b[i]} << (8 * i);
  return w;
}

inline Word wordFromAddrBE_(Word n, const void* p) noexcept {
  assert(n <= 8);
  const auto* b = static_cast<const unsigned char*>(p);
  if (n == 8) return detail::loadBE64(b);
  Word w = 0;
  for (Word i = 0; i < n; ++i) w = (w << 8) | Word{b[i]};
  return w;
}

inline Word wordFromAddr_(Word n, const void* p, Int msbf) noexcept {
  return msbf != 0 ? wordFromAddrBE_(n, p) : wordFromAddrLE_(n, p);
}

// Readers from a byte array at a byte offset; throw std::out_of_range unless
// bytes [offset, offset + n) lie in the array.

inline Word wordFromByteArrayLE_(Word n, const ByteArray_& a, Word offset) {
  detail::checkByteRange(offset, n, a.size());
  return wordFromAddrLE_(n, a.data() + offset);
}

inline Word wordFromByteArrayBE_(Word n, const ByteArray_& a, Word offset) {
  detail::checkByteRange(offset, n, a.size());
  return wordFromAddrBE_(n, a.data() + offset);
}

inline Word wordFromByteArray_(Word n, const ByteArray_& a, Word offset, Int msbf) {
  return msbf != 0 ? wordFromByteArrayBE_(n, a, offset) : wordFromByteArrayLE_(n, a, offset);
}

// Significant-byte writers to an address; return the count of bytes stored.

inline Word wordToAddrLE_(Word w, void* p) noexcept {
  auto* b = static_cast<unsigned char*>(p);
  Word i = 0;
  for (; w != 0; w >>= 8) b[i++] = static_cast<unsigned char>(w);
  return i;
}

inline Word wordToAddrBE_(Word w, void* p) noexcept {
  auto* b = static_cast<unsigned char*>(p);
  const Word k = detail::significantBytes(w);
  for (Word i = 0; i < k; ++i) b[i] = static_cast<unsigned char>(w >> (8 * (k - 1 - i)));
  return k;
}

inline Word wordToAddr_(Word w, void* p, Int msbf) noexcept {
  return msbf != 0 ? wordToAddrBE_(w, p) : wordToAddrLE_(w, p);
}

// Significant-byte writers to a mutable byte array at a byte offset; throw
// std::out_of_range unless the bytes they would store lie in the array.

inline Word wordToMutableByteArrayLE_(Word w, MutableByteArray_& a, Word offset) {
  detail::checkByteRange(offset, detail::significantBytes(w), a.size());
  return wordToAddrLE_(w, a.data() + offset);
}

inline Word wordToMutableByteArrayBE_(Word w, MutableByteArray_& a, Word offset) {
  detail::checkByteRange(offset, detail::significantBytes(w), a.size());
  return wordToAddrBE_(w, a.data() + offset);
}

inline Word wordToMutableByteArray_(Word w, MutableByteArray_& a, Word offset, Int msbf) {
  return msbf != 0 ? wordToMutableByteArrayBE_(w, a, offset)
                   : wordToMutableByteArrayLE_(w, a, offset);
}

// Full-word writers: all 8 bytes, zero bytes included.

inline void wordWriteAddrLE_(Word w, void* p) noexcept {
  detail::storeLE64(static_cast<unsigned char*>(p), w);
}

inline void wordWriteAddrBE_(Word w, void* p) noexcept {
  detail::storeBE64(static_cast<unsigned char*>(p), w);
}

// Throw std::out_of_range unless bytes [offset, offset + 8) lie in the array.
inline void wordWriteMutableByteArrayLE_(Word w, MutableByteArray_& a, Word offset) {
  detail::checkByteRange(offset, 8, a.size());
  wordWriteAddrLE_(w, a.data() + offset);
}

inline void wordWriteMutableByteArrayBE_(Word w, MutableByteArray_& a, Word offset) {
  detail::checkByteRange(offset, 8, a.size());
  wordWriteAddrBE_(w, a.data() + offset);
}

NUMKIT_END_NAMESPACE
