// The text kernels of both backends: the digits of a magnitude in a base,
// and a magnitude from digits.
//
// Digits are digit values 0 .. base - 1 (not characters), most significant
// first; bases are 2 .. 36.  Both backends give the same digits for the same
// magnitude and the same magnitude for the same digits.  The GMP kernels
// work through mpn_get_str / mpn_set_str; the native kernels convert by
// divide and conquer over a cached table of powers of the base, with the
// products and quotients of the BigNat layer, and convert a few hundred
// digits at a time with single-word arithmetic.  Kernels raise nothing but
// std::bad_alloc; the callers validate bases and digit values.
//
// Num/Backend/Selected.hpp makes the selected backend's kernels visible as
// num::backend::bignat_to_digits and num::backend::bignat_from_digits.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "Num/Config.hpp"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {
// ceil(2^32 / log2(b)) for b = 3 .. 36 (index b - 2): a bit count times this, shifted
// right by 32, is at least the count times log_b 2 and exceeds it by less
// than 1 while the count is below 2^32.
inline constexpr std::uint32_t kDigitsPerBit32[35] = {0U /* base 2: the bit count itself */,
                                                      2709822658U,
                                                      2147483648U,
                                                      1849741733U,
                                                      1661520156U,
                                                      1529898220U,
                                                      1431655766U,
                                                      1354911329U,
                                                      1292913987U,
                                                      1241523976U,
                                                      1198050830U,
                                                      1160664036U,
                                                      1128071164U,
                                                      1099331346U,
                                                      1073741824U,
                                                      1050766078U,
                                                      1029986702U,
                                                      1011073585U,
                                                      993761859U,
                                                      977836273U,
                                                      963119892U,
                                                      949465784U,
                                                      936750802U,
                                                      924870867U,
                                                      913737343U,
                                                      903274220U,
                                                      893415895U,
                                                      884105414U,
                                                      875293063U,
                                                      866935226U,
                                                      858993460U,
                                                      851433730U,
                                                      844225783U,
                                                      837342624U,
                                                      830760078U};
}  // namespace detail

// A room for the digits of a non-empty normalised magnitude of n limbs whose
// top limb is `top` (non-zero), in a base of 2 .. 36: at least the digit
// count plus 2 (a kernel may need a byte beyond the digits it writes), and
// at most the digit count plus 4.
inline std::size_t bigNatDigitsRoom(Int n, Word top, int base) noexcept {
  const Word bits = static_cast<Word>(n) * 64 - static_cast<Word>(std::countl_zero(top));
  if (base == 2) return bits + 2;
  const auto m = static_cast<detail::DoubleWord>(detail::kDigitsPerBit32[base - 2]);
  // x < 2^bits gives floor(log_b x) + 1 <= floor(bits * m / 2^32) + 1.
  return static_cast<std::size_t>((bits * m) >> 32) + 3;
}

// The two kernels of each backend:
// - bignat_to_digits writes the digits of a (non-empty, normalised) in
//   `base` (2 .. 36) to out, most significant first, without leading zeros,
//   and returns their count.  out has room for bigNatDigitsRoom(a.size(),
//   top limb, base) bytes; bytes past the count may be overwritten.
// - bignat_from_digits gives the normalised magnitude of the n >= 1 digits at
//   `digits` (each below `base`, most significant first; leading zeros
//   allowed, all zeros give the empty magnitude).
// The GMP pair exists only in a build with the GMP backend.
#if defined(NUMKIT_BACKEND_GMP)
namespace backend::gmp {
NUMKIT_API std::size_t bignat_to_digits(unsigned char* out, const WordArray_& a, int base);
NUMKIT_API WordArray_ bignat_from_digits(const unsigned char* digits, std::size_t n, int base);
}  // namespace backend::gmp
#endif

namespace backend::native {
NUMKIT_API std::size_t bignat_to_digits(unsigned char* out, const WordArray_& a, int base);
NUMKIT_API WordArray_ bignat_from_digits(const unsigned char* digits, std::size_t n, int base);
}  // namespace backend::native

NUMKIT_END_NAMESPACE
