// std::hash for Natural and Integer.
//
// A hash is a function of the mathematical value alone: a Natural and an
// Integer of the same value hash equal (Natural 5 and Integer 5, NS 2^63
// and IP 2^63), so a Natural looks up the Integer key of its value in the
// same bucket.  The value is hashed as its sign and its magnitude:
// - a value whose magnitude is one word (every NS and IS, and an IP or IN
//   of one limb) hashes inline from its low word and its sign in two or
//   three instructions.  A non-negative one hashes to itself, exactly as
//   std::hash<std::int64_t> and std::hash<std::uint64_t> hash the same
//   value, so swapping a built-in key for a number changes nothing about a
//   table's buckets; a table that needs well-mixed bits from an integer
//   key (one with a power-of-two bucket count and no mixing of its own)
//   needs them from a built-in key too, and should mix either the same way;
// - a magnitude of two or more limbs hashes out of line: two lanes absorb
//   the limbs below the top one, each limb once, through an odd
//   multiplication and a rotation; the lanes, the top limb and the limb
//   count then go through a full 64-bit mixer, so a change in any limb
//   changes every output bit;
// - a negative value's hash differs from its absolute value's by an odd
//   constant (single words) or a complement (longer magnitudes), so x and
//   -x never collide.
// Each step is a bijection of its lane for a fixed limb and of the limb for
// a fixed lane, so values of the same length that differ in one limb alone
// never collide.  Which path a value takes depends on its magnitude alone
// (hashMagnitude itself sends one limb to the word path), and values are
// always in normal form, so the two paths cannot disagree on a value.  The
// hash is not keyed: it gives no protection against inputs chosen to
// collide.
#pragma once

#include <cstddef>
#include <functional>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {
// The hash of a value v with |v| < 2^64, from its low word (v mod 2^64)
// and its sign (0 for v >= 0, all ones for v < 0): the low word itself, XOR
// an odd constant when v is negative.  x and -x never collide: that would
// need the constant to equal k ^ -k for k = |x|, whose lowest bit is 0.
inline std::size_t hashWord(Word low, Word sign) noexcept {
  return static_cast<std::size_t>(low ^ (sign & 0x9e3779b97f4a7c15U));
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
