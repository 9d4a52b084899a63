// The limb kernels on GMP's low-level natural-number functions.
//
// Every kernel writes its result into an output array the caller allocated
// (the first argument) and reads normalised input magnitudes.  Kernels raise
// nothing: zero divisors, underflow and the like are settled by the layers
// above before a kernel runs.  A kernel's output array is its own: it shares
// no word with any input.  The exceptions are the *_into kernels on raw limbs
// (bignat_add_into, bignat_sub_into, bignat_mul_word_into), which write into a
// block the caller holds and may work in place, as each one's comment states.
//
// The c_mpn_* bindings work on raw limb pointers and sizes and return exactly
// what the GMP function of the same name returns, under GMP's overlap rule:
// an output is either the very same array as an input (in place) or shares no
// limb with it.  c_mpn_add_1 and c_mpn_sub_1 call GMP; c_mpn_add and c_mpn_sub
// are mpn_add and mpn_sub spelled out over mpn_add_n and mpn_sub_n, and
// c_mpn_cmp compares in-library.  Preconditions and overlap are asserted in
// debug builds.  This header deliberately does not include gmp.h.
#pragma once

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

inline constexpr const char* backendName = "gmp";

// A size returned by C code as a signed machine word (the identity here:
// GMP's size type is a machine word on this target).
inline constexpr Int narrowGmpSize_(Int n) noexcept { return n; }
// The C int held in the low 32 bits of a word, sign-extended.
inline constexpr Int narrowCInt_(Word w) noexcept {
  return static_cast<Int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(w)));
}

// ---------------------------------------------------------------------------
// Bindings.

// {r, na} = {a, na} + {b, nb}, na >= nb >= 1; returns the carry.  r may be a
// or b (when b has room for na limbs) or separate from both.
NUMKIT_API Word c_mpn_add(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;
// {r, na} = {a, na} + w, na >= 1; returns the carry.  r may be a.
NUMKIT_API Word c_mpn_add_1(Word* r, const Word* a, Int na, Word w) noexcept;
// {r, na} = {a, na} - {b, nb} mod 2^(64 na), na >= nb >= 1; returns the
// borrow.  r may be a or b (when b has room for na limbs) or separate.
NUMKIT_API Word c_mpn_sub(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;
// {r, na} = {a, na} - w mod 2^(64 na), na >= 1; returns the borrow.  r may
// be a.
NUMKIT_API Word c_mpn_sub_1(Word* r, const Word* a, Int na, Word w) noexcept;
// The sign of {a, n} - {b, n} as a C int (-1, 0 or 1), n >= 1.  Reads only,
// so a and b may overlap in any way.
NUMKIT_API int c_mpn_cmp(const Word* a, const Word* b, Int n) noexcept;

// ---------------------------------------------------------------------------
// Additive kernels.  r never overlaps an input.

// r = a + b; r has max(size a, size b) + 1 words.  A carry is written to r's
// top word; without one r shrinks by one word.  a and b are non-empty.
NUMKIT_API void bignat_add(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a + w; r has size a + 1 words; the same carry rule.  a is non-empty.
NUMKIT_API void bignat_add_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// r = a - b over size a words (size a >= size b >= 1), not trimmed; 1 without
// a borrow out of the top, 0 on underflow (r then holds a - b mod 2^(64 size a)).
NUMKIT_API Int bignat_sub(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a - w over size a words (a non-empty), not trimmed; 1, or 0 on underflow.
NUMKIT_API Int bignat_sub_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// Negative, zero or positive as a <, =, > b; a and b have the same size >= 1.
// Reads only.
NUMKIT_API Int bignat_compare(const WordArray_& a, const WordArray_& b) noexcept;
// {r, na} = {a, na} + {b, nb} (resp. - {b, nb}, mod 2^(64 na)), na >= nb >=
// 1; returns the carry (resp. borrow).  On raw limbs, for the sums written
// into a block the caller holds alone: r may be a, or b when b has room for
// na limbs, or separate from both.
NUMKIT_API Word bignat_add_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;
NUMKIT_API Word bignat_sub_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE

// ===========================================================================
// Multiplicative kernels: products, truncating division, gcd, extended gcd,
// modular power and inverse, conversion to a double.
//
// The rules above hold here too: the caller allocates each output at the size
// the kernel's comment states, inputs are normalised, and no output shares a
// limb with an input unless the comment says so (asserted in debug builds).
// Division kernels need nn >= dn >= 1 and a divisor with a non-zero top limb;
// the callers settle zero divisors, dividends below the divisor and one-limb
// divisors first.  The whole-number kernels (integer_*) and
// sbignat_recip_mod allocate their results themselves.
//
// numkit_gcd_word and numkit_powm_word of Num/gmp_wrappers.h serve as their
// own bindings: the kernels call those C functions directly.

#include <optional>
#include <tuple>
#include <utility>

NUMKIT_BEGIN_NAMESPACE
class Integer;
class Natural;
namespace backend::gmp {

// ---------------------------------------------------------------------------
// Bindings.  Each returns what the function it calls returns.

// {r, na + nb} = {a, na} * {b, nb}, na >= nb >= 1; returns r's top limb.  r is
// separate from a and b.
NUMKIT_API Word c_mpn_mul(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept;
// {r, 2 n} = {a, n}^2, n >= 1; r is separate from a.
NUMKIT_API void c_mpn_sqr(Word* r, const Word* a, Int n) noexcept;
// {r, na} = the low limbs of {a, na} * w, na >= 1; returns the high limb.  r
// may be a.
NUMKIT_API Word c_mpn_mul_1(Word* r, const Word* a, Int na, Word w) noexcept;
// {q, nn - dn + 1} = {n, nn} div {d, dn}, {r, dn} = the remainder; qxn must be
// 0.  nn >= dn >= 1, d's top limb non-zero.  q is separate from everything; r
// may be n, else separate.
NUMKIT_API void c_mpn_tdiv_qr(Word* q, Word* r, Int qxn, const Word* n, Int nn, const Word* d,
                              Int dn) noexcept;
// {q, nn - dn + 1} = {n, nn} div {d, dn}; q separate from n and d.
NUMKIT_API void c_mpn_tdiv_q(Word* q, const Word* n, Int nn, const Word* d, Int dn) noexcept;
// {r, dn} = {n, nn} mod {d, dn}; r may be n, separate from d.
NUMKIT_API void c_mpn_tdiv_r(Word* r, const Word* n, Int nn, const Word* d, Int dn) noexcept;
// {q, qxn + nn} = {n, nn} * B^qxn div d0 (qxn fraction limbs below the
// integer ones), d0 != 0, nn >= 0; returns the remainder.  q may be n when
// qxn is 0.
NUMKIT_API Word c_mpn_divrem_1(Word* q, Int qxn, const Word* n, Int nn, Word d0) noexcept;
// {n, nn} mod d0, d0 != 0, nn >= 0.
NUMKIT_API Word c_mpn_mod_1(const Word* n, Int nn, Word d0) noexcept;
// Writes gcd({x, xn}, {y, yn}) to r (room: yn limbs) and returns its size;
// xn >= yn >= 1.  r is separate from x and y.
NUMKIT_API Int c_mpn_gcd_(Word* r, const Word* x, Int xn, const Word* y, Int yn) noexcept;
// gcd({x, xn}, y); xn >= 1, and y != 0 unless xn == 1.
NUMKIT_API Word c_mpn_gcd_1_(const Word* x, Int xn, Word y) noexcept;
// The extended gcd of the signed numbers {x0, xn} and {y0, yn}, sizes of the
// results written through ssn, stn and gn (see numkit_gcdext).
NUMKIT_API void numkit_gcdext_(Word* s0, std::int32_t* ssn, Word* t0, std::int32_t* stn, Word* g0,
                               std::int32_t* gn, const Word* x0, Int xn, const Word* y0,
                               Int yn) noexcept;
// The inverse of the signed {x, xn} modulo {m, mn} into r (room: mn limbs);
// its size, 0 when there is none.
NUMKIT_API Int numkit_invert_(Word* r, const Word* x, Int xn, const Word* m, Int mn) noexcept;
// b^e mod m (b signed, m != 0) into r (room: mn limbs); the result's size.
NUMKIT_API Int numkit_powm_(Word* r, const Word* b, Int bn, const Word* e, Int en, const Word* m,
                            Int mn) noexcept;
// b^e mod m0 (b signed, m0 != 0).
NUMKIT_API Word numkit_powm1_(const Word* b, Int bn, const Word* e, Int en, Word m0) noexcept;
// sign(an) * {a, |an|} * 2^e as a double, truncated towards zero.
NUMKIT_API double c_mpn_get_d(const Word* a, Int an, Int e) noexcept;

// ---------------------------------------------------------------------------
// Products.

// r = a * b; r has size a + size b words and is not trimmed.  size a >=
// size b >= 1: the caller passes the longer operand first.
NUMKIT_API void bignat_mul(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a * a; r has 2 size a words and is not trimmed; a is non-empty.  Faster
// than bignat_mul of a with itself.
NUMKIT_API void bignat_sqr(MutableWordArray_& r, const WordArray_& a) noexcept;
// r = a * w; r has size a + 1 words.  A non-zero high limb goes to r's top
// word; a zero one shrinks r by one word.  a is non-empty.
NUMKIT_API void bignat_mul_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept;
// {r, n} = the low n limbs of {a, n} * w; returns the high limb.  n >= 1.
// On raw limbs, for the callers that fill a block of their own; r may be a
// (the product in place, in a block whose only reference the caller holds).
NUMKIT_API Word bignat_mul_word_into(Word* r, const Word* a, Int n, Word w) noexcept;

// ---------------------------------------------------------------------------
// Division.  Quotients and remainders are not trimmed.

// q = n div d (nn - dn + 1 words), r = n mod d (dn words).
NUMKIT_API void bignat_quotrem(MutableWordArray_& q, MutableWordArray_& r, const WordArray_& n,
                               const WordArray_& d) noexcept;
// q = n div d (nn - dn + 1 words).
NUMKIT_API void bignat_quot(MutableWordArray_& q, const WordArray_& n,
                            const WordArray_& d) noexcept;
// r = n mod d (dn words).
NUMKIT_API void bignat_rem(MutableWordArray_& r, const WordArray_& n, const WordArray_& d) noexcept;
// q = n div d0 (nn words, n may be empty); returns n mod d0.  d0 != 0.
NUMKIT_API Word bignat_quotrem_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept;
// q = n div d0 (nn words); d0 != 0.
NUMKIT_API void bignat_quot_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept;
// n mod d0; d0 != 0, n may be empty.
NUMKIT_API Word bignat_rem_word(const WordArray_& n, Word d0) noexcept;

// ---------------------------------------------------------------------------
// Greatest common divisor.

// r = gcd(a, b), size a >= size b >= 1 (a one-limb b may be zero only when a
// has one limb too); r has size b words and is shrunk to the gcd's size.
NUMKIT_API void bignat_gcd(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// gcd(a, w); a is non-empty, and w != 0 unless a has one limb.
NUMKIT_API Word bignat_gcd_word(const WordArray_& a, Word w) noexcept;
// gcd(x, y); a zero argument gives the other one.
NUMKIT_API Word bignat_gcd_word_word(Word x, Word y) noexcept;

// ---------------------------------------------------------------------------
// Modular power and inverse, conversion to a double.

// r = b^e mod m, m != 0; r has size m words and is shrunk to the result's size
// (empty for 0).  e = 0 gives 1 unless m = 1.
NUMKIT_API void bignat_powmod(MutableWordArray_& r, const WordArray_& b, const WordArray_& e,
                              const WordArray_& m) noexcept;
// As bignat_powmod for the base sign(sb) * b: sb is b's size, negated for a
// negative base.  The result is the non-negative residue.
NUMKIT_API void sbignat_powmod(MutableWordArray_& r, Int sb, const WordArray_& b,
                               const WordArray_& e, const WordArray_& m) noexcept;
// b^e mod m0, m0 != 0.
NUMKIT_API Word bignat_powmod_word(const WordArray_& b, const WordArray_& e, Word m0) noexcept;
// b0^e0 mod m0, m0 != 0; 0^0 is 1 (unless m0 = 1).
NUMKIT_API Word bignat_powmod_words(Word b0, Word e0, Word m0) noexcept;
// The inverse of x (negated when s is 1) modulo m, in [1, m), as a fresh
// normalised array of at most size m limbs; empty when there is none (x = 0,
// m <= 1 or gcd(x, m) > 1).
NUMKIT_API WordArray_ sbignat_recip_mod(Int s, const WordArray_& x, const WordArray_& m);
// a * 2^e as a double, truncated towards zero; a is non-empty.
NUMKIT_API double bignat_encode_double(const WordArray_& a, Int e) noexcept;

// ---------------------------------------------------------------------------
// Whole numbers.

// (g, x, y) with a*x + b*y = g = gcd(|a|, |b|) > 0: the cofactors GMP's
// mpz_gcdext chooses.  Neither a nor b is zero.
NUMKIT_API std::tuple<Integer, Integer, Integer> integer_gcde(const Integer& a, const Integer& b);
// The inverse of x modulo m, in [1, m), or nothing when none exists: x = 0,
// m <= 1 or gcd(x, m) > 1.
NUMKIT_API std::optional<Natural> integer_recip_mod(const Integer& x, const Natural& m);
// b^e mod m in [0, m), m != 0; e = 0 gives 1 unless m = 1, a negative base
// its non-negative residue.
NUMKIT_API Natural integer_powmod(const Integer& b, const Natural& e, const Natural& m);

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE

// ===========================================================================
// Bitwise, shift and population-count kernels.
//
// The rules above hold here too: the caller allocates each output at the size
// the kernel's comment states, inputs are normalised and non-empty, and no
// output shares a limb with an input (asserted in debug builds).  No kernel
// shrinks its output: AND, AND NOT and XOR can clear top limbs and a shift
// can leave its spare top limb zero, so the caller trims.  The callers answer
// empty operands, shifts by 0 and right shifts past the top themselves.
// n is a shift count in bits and k = n div 64 the whole limbs it moves.

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

// ---------------------------------------------------------------------------
// Bindings.  Each returns what the function it calls returns.  The shifts
// take any count n with n div 64 < na (right shifts); their output r may be
// a itself or separate from it.

// {r, na + k (+ 1 when n mod 64 != 0)} = {a, na} * 2^n; returns the top limb.
NUMKIT_API Word c_mpn_lshift(Word* r, const Word* a, Int na, Word n) noexcept;
// {r, na - k} = {a, na} div 2^n; returns the top limb.
NUMKIT_API Word c_mpn_rshift(Word* r, const Word* a, Int na, Word n) noexcept;
// {r, na - k (+ 1 when n mod 64 = 0)} = ceil({a, na} / 2^n), the magnitude of
// the arithmetic right shift of -a; returns the top limb.
NUMKIT_API Word c_mpn_rshift_2c(Word* r, const Word* a, Int na, Word n) noexcept;
// {r, count} = {a, count} AND, AND NOT, OR, XOR {b, count}, count >= 1.  r may
// be a or b itself, or separate from both.
NUMKIT_API void c_mpn_and_n(Word* r, const Word* a, const Word* b, Int count) noexcept;
NUMKIT_API void c_mpn_andn_n(Word* r, const Word* a, const Word* b, Int count) noexcept;
NUMKIT_API void c_mpn_ior_n(Word* r, const Word* a, const Word* b, Int count) noexcept;
NUMKIT_API void c_mpn_xor_n(Word* r, const Word* a, const Word* b, Int count) noexcept;
// The number of set bits of {a, count}, count >= 1.  Reads only.
NUMKIT_API Word c_mpn_popcount(const Word* a, Int count) noexcept;

// ---------------------------------------------------------------------------
// Shifts.  n >= 1.

// r = a * 2^n; r has size a + k words, plus one when n mod 64 != 0.
NUMKIT_API void bignat_shiftl(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;
// r = a div 2^n; r has size a - k words, k < size a.
NUMKIT_API void bignat_shiftr(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;
// r = ceil(a / 2^n), the magnitude of -a shifted right arithmetically; r has
// size a - (n - 1) div 64 words (one more than bignat_shiftr when n mod 64 =
// 0: room for the carry of the rounding), k < size a.
NUMKIT_API void bignat_shiftr_neg(MutableWordArray_& r, const WordArray_& a, Word n) noexcept;

// ---------------------------------------------------------------------------
// Logic on magnitudes of any two sizes; limbs missing from the shorter
// operand count as zero.

// r = a AND b; r has min(size a, size b) words.
NUMKIT_API void bignat_and(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a AND NOT b; r has size a words.
NUMKIT_API void bignat_and_not(MutableWordArray_& r, const WordArray_& a,
                               const WordArray_& b) noexcept;
// r = a OR b; r has max(size a, size b) words.
NUMKIT_API void bignat_or(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// r = a XOR b; r has max(size a, size b) words.
NUMKIT_API void bignat_xor(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept;
// The number of set bits of a (non-empty).  Reads only.
NUMKIT_API Word bignat_popcount(const WordArray_& a) noexcept;

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
