// The limb kernels on the library's own word arithmetic, without GMP.
//
// Every kernel takes the arguments, expects the output allocations and gives
// the results of the GMP kernel of the same name (Num/Backend/GMP.hpp), so the
// layers above see the same values in both builds.  Where a native kernel
// differs in a way only its direct callers can see, its comment says so.
// Outputs share no limb with an input, except where a *_into kernel on raw
// limbs says it may work in place.  Kernels that need scratch space or
// work through the number types allocate, so they may raise std::bad_alloc;
// the others are noexcept.
#pragma once

#include <optional>
#include <tuple>
#include <utility>

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
class Integer;
class Natural;
namespace backend::native {

inline constexpr const char* backendName = "native";

// The size and C int narrowings of the backend interface, as in the GMP
// backend, so that code written against either backend's names compiles
// with both: a signed size as a machine word (the identity), and the C int
// in the low 32 bits of a word, sign-extended.
inline constexpr Int narrowGmpSize_(Int n) noexcept { return n; }
inline constexpr Int narrowCInt_(Word w) noexcept {
  return static_cast<Int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(w)));
}

// A bit count n split into whole words and the bits left over: (n div 64,
// n mod 64), as words and as signed words.
inline constexpr std::pair<Word, Word> count_words_bits(Word n) noexcept {
  return {n / 64, n % 64};
}
inline constexpr std::pair<Int, Int> count_words_bits_int(Int n) noexcept {
  return {static_cast<Int>(static_cast<Word>(n) / 64), static_cast<Int>(static_cast<Word>(n) % 64)};
}

// ---------------------------------------------------------------------------
// Additive kernels (sizes as in the GMP backend).

// r = a + b; r has max(size a, size b) + 1 words; a carry goes to the top
// word, without one r shrinks by one word.  a and b are non-empty.
NUMKIT_API void bignat_add(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a + w; r has size a + 1 words; the same carry rule.
NUMKIT_API void bignat_add_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// r = a - b over size a words (size a >= size b >= 1), not trimmed; 1, or 0
// on underflow.
NUMKIT_API Int bignat_sub(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a - w over size a words, not trimmed; 1, or 0 on underflow (an empty a
// with w != 0 underflows).
NUMKIT_API Int bignat_sub_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// Negative, zero or positive as a <, =, > b (same sizes).
NUMKIT_API Int bignat_compare(const WordArray_& a, const WordArray_& b) noexcept;
// {r, na} = {a, na} + {b, nb} (resp. - {b, nb}, mod 2^(64 na)), na >= nb >=
// 1; returns the carry (resp. borrow).  r may be a, or b when b has room for
// na limbs, or separate from both.
NUMKIT_API Word bignat_add_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;
NUMKIT_API Word bignat_sub_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;

// ---------------------------------------------------------------------------
// Products.

// r = a * b; r has size a + size b words, not trimmed; size a >= size b >= 1.
NUMKIT_API void bignat_mul(MutableWordArray_& r, const WordArray_& a, const WordArray_& b);
// r = a * a; r has 2 size a words, not trimmed.
NUMKIT_API void bignat_sqr(MutableWordArray_& r, const WordArray_& a);
// r = a * w; r has size a + 1 words; a zero high limb shrinks r by one word.
NUMKIT_API void bignat_mul_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// {r, n} = the low n limbs of {a, n} * w; returns the high limb.  n >= 1; r
// may be a.
NUMKIT_API Word bignat_mul_word_into(Word* r, const Word* a, Int n, Word w) noexcept;
// One row of a schoolbook product: r += (a's limbs from k0 up) * w shifted
// by off + k0 limbs.  r has room for size a + off + 1 limbs and the carry
// out of them is zero.
NUMKIT_API void bignat_mul_mul(MutableWordArray_& r, const WordArray_& a, Word w, Int off,
                               Int k0) noexcept;

// ---------------------------------------------------------------------------
// Division.  Quotients are not trimmed.

// q = n div d (nn - dn + 1 words), r = n mod d; r has dn words on entry and
// is shrunk to the remainder's size and trimmed.
NUMKIT_API void bignat_quotrem(MutableWordArray_& q, MutableWordArray_& r, const WordArray_& n,
                               const WordArray_& d);
// Division by a normalised divisor b (top bit set): q (size a - size b + 1
// words, or one fewer) receives the quotient, and a is reduced in place to
// the remainder.  size a >= size b.
NUMKIT_API void bignat_quotrem_normalized(MutableWordArray_& q, MutableWordArray_& a,
                                          const WordArray_& b);
// q = n div d (nn - dn + 1 words).
NUMKIT_API void bignat_quot(MutableWordArray_& q, const WordArray_& n, const WordArray_& d);
// r = n mod d (dn words, not trimmed).
NUMKIT_API void bignat_rem(MutableWordArray_& r, const WordArray_& n, const WordArray_& d);
// q = n div d0 (nn words); returns n mod d0.  d0 != 0.
NUMKIT_API Word bignat_quotrem_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept;
// q = n div d0 (nn words); d0 != 0.
NUMKIT_API void bignat_quot_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept;
// n mod d0; d0 != 0, n may be empty.
NUMKIT_API Word bignat_rem_word(const WordArray_& n, Word d0) noexcept;

// ---------------------------------------------------------------------------
// Greatest common divisor.

// r = gcd(a, b), size a >= size b >= 1; r has size b words and is shrunk to
// the gcd's size.
NUMKIT_API void bignat_gcd(MutableWordArray_& r, const WordArray_& a, const WordArray_& b);
// gcd(a, w); w = 0 raises DivideByZero, w = 1 gives 1.
NUMKIT_API Word bignat_gcd_word(const WordArray_& a, Word w);
// gcd(x, y); a zero argument gives the other one.
NUMKIT_API Word bignat_gcd_word_word(Word x, Word y) noexcept;

// ---------------------------------------------------------------------------
// Modular power, conversion to a double.

// r = b^e mod m, m != 0; r has size m words and is shrunk to the result's
// size.  e = 0 gives 1 unless m = 1 (then 0), as in the GMP backend.
NUMKIT_API void bignat_powmod(MutableWordArray_& r, const WordArray_& b, const WordArray_& e,
                              const WordArray_& m);
// b^e mod m0, m0 != 0 (the same rule for e = 0).
NUMKIT_API Word bignat_powmod_word(const WordArray_& b, const WordArray_& e, Word m0);
// b0^e0 mod m0, m0 != 0.
NUMKIT_API Word bignat_powmod_words(Word b0, Word e0, Word m0);
// a * 2^e as a double, truncated towards zero exactly as the GMP kernel
// truncates; a is non-empty.
NUMKIT_API double bignat_encode_double(const WordArray_& a, Int e) noexcept;

// ---------------------------------------------------------------------------
// Whole numbers.

// (g, x, y) with a*x + b*y = g = gcd(|a|, |b|) >= 0, by extended Euclid.
NUMKIT_API std::tuple<Integer, Integer, Integer> integer_gcde(const Integer& a, const Integer& b);
// The inverse of x modulo m in [0, m), or nothing when gcd(x, m) != 1; m = 1
// gives 0.
NUMKIT_API std::optional<Natural> integer_recip_mod(const Integer& x, const Natural& m);
// b^e mod m in [0, m), m != 0; e = 0 gives 1 unless m = 1 (then 0).
NUMKIT_API Natural integer_powmod(const Integer& b, const Natural& e, const Natural& m);

// ---------------------------------------------------------------------------
// Shifts, logic and population count (sizes as in the GMP backend).

// r = a * 2^n; r has size a + k words, plus one when n mod 64 != 0; a zero
// carry word shrinks r by one word.
NUMKIT_API void bignat_shiftl(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;
// r = a div 2^n; r has size a - k words, k < size a.
NUMKIT_API void bignat_shiftr(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;
// r = ceil(a / 2^n); r has size a - (n - 1) div 64 words, k < size a.
NUMKIT_API void bignat_shiftr_neg(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;
// r = a AND b (min size), a AND NOT b (size a), a OR b, a XOR b (max size).
NUMKIT_API void bignat_and(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
NUMKIT_API void bignat_and_not(MutableWordArray_& r, const WordArray_& a,
                               const WordArray_& b) noexcept;
NUMKIT_API void bignat_or(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
NUMKIT_API void bignat_xor(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// The number of set bits of a.
NUMKIT_API Word bignat_popcount(const WordArray_& a) noexcept;

}  // namespace backend::native
NUMKIT_END_NAMESPACE
