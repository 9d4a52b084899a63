// The limb kernels on GMP's low-level natural-number functions.
//
// Every kernel writes its result into an output array the caller allocated
// (the first argument) and reads normalised input magnitudes.  Kernels raise
// nothing: zero divisors, underflow and the like are settled by the layers
// above before a kernel runs.  A kernel's output array is its own: it shares
// no word with any input.
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

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
