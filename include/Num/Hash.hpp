// std::hash for Natural and Integer.
//
// A hash is a function of the mathematical value alone: a Natural and an
// Integer of the same value hash equal (Natural 5 and Integer 5, NS 2^63
// and IP 2^63), so a Natural looks up the Integer key of its value in the
// same bucket.  The value is hashed as its sign and its
// magnitude:
// - a value whose magnitude is one word (every NS and IS, and an IP or IN
//   of one limb) hashes inline from its low word and its sign: one
//   multiplication and a byte swap, about the cost of
//   std::hash<std::int64_t> and a mix;
// - a magnitude of two or more limbs hashes out of line: a state seeded by
//   the limb count absorbs each limb once, least significant first, through
//   a full 64-bit mixer, so a change in any limb changes every output bit;
// - a negative value's hash is complemented, so x and -x never collide.
// Each step is a bijection of the state for a fixed limb, so values of the
// same length that differ in their top limb alone never collide either.
// Which path a value takes depends on its magnitude alone (hashMagnitude
// itself sends one limb to the word path), and values are always in normal
// form, so the two paths cannot disagree on a value.  The hash is not keyed:
// it gives no protection against inputs chosen to collide.
#pragma once

#include <cstddef>
#include <functional>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {
// The hash of a value v with |v| < 2^64, from its low word (v mod 2^64)
// and its sign (0 for v >= 0, all ones for v < 0).  The product by an odd
// constant is a bijection whose high bits depend on every bit of the word;
// the byte swap brings them to the low end, which bucket indices read; XOR
// with the sign complements a negative value's hash.  x and -x never
// collide: that would need w * K = ~(-(w * K)) = w * K - 1.
inline std::size_t hashWord(Word low, Word sign) noexcept {
  return static_cast<std::size_t>(__builtin_bswap64(low * 0x9e3779b97f4a7c15U) ^ sign);
}
// The hash of a value of magnitude m (any size; one limb or zero gives
// hashWord's result), negative when `negative`.
[[gnu::noinline]] NUMKIT_API std::size_t hashMagnitude(const BigNat_& m, bool negative) noexcept;
}  // namespace detail

NUMKIT_END_NAMESPACE

// The hash of n's value; equal to the hash of the Integer of the same value.
template <>
struct std::hash<num::Natural> {
  std::size_t operator()(const num::Natural& n) const noexcept {
    if (n.isNS()) return num::detail::hashWord(n.word(), 0);
    return num::detail::hashMagnitude(n.bigNat(), false);
  }
};

// The hash of x's value; equal to the hash of the Natural of the same value.
template <>
struct std::hash<num::Integer> {
  std::size_t operator()(const num::Integer& x) const noexcept {
    if (x.isIS()) {
      const num::Int i = x.intValue();
      return num::detail::hashWord(static_cast<num::Word>(i), static_cast<num::Word>(i >> 63));
    }
    return num::detail::hashMagnitude(x.magnitude(), x.isIN());
  }
};
