// std::hash for Natural and Integer.
//
// A hash is a function of the mathematical value alone: a Natural and an
// Integer of the same value hash equal (Natural 5 and Integer 5, NS 2^63
// and IP 2^63), so a Natural looks up the Integer key of its value in the
// same bucket.
// - A value v of the signed-word range, -2^63 <= v < 2^63 (every IS),
//   hashes to v's word itself: exactly std::hash<std::int64_t>(v), which is
//   what libstdc++ and libc++ give, at the cost of reading the word.
//   Swapping a built-in key for a number changes nothing about a table's
//   buckets; a table that needs well-mixed bits from an integer key (a
//   power-of-two bucket count and no mixing of its own) needs them from a
//   built-in key too, and should mix either the same way.
// - A value with a one-word magnitude outside that range (2^63 <= v < 2^64,
//   or -2^64 < v < -2^63) hashes to its low word XOR a constant of its
//   side, inline for an NS and out of line for an IP or IN of one limb.
// - A magnitude of two or more limbs hashes out of line to a sum of one
//   well-mixed term per limb, complemented for a negative value.
// No two values of the signed-word range collide; x and -x never collide,
// nor do v and v - 2^64 (the constants differ in their lowest bit, and
// k ^ -k has its lowest bit clear); values of the same length that differ
// in one limb alone never collide.  The hash is not keyed: it gives no
// protection against inputs chosen to collide.
#pragma once

#include <cstddef>
#include <functional>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {
// The constants that mark a one-word magnitude above the signed-word range:
// their XOR is odd (see above).
inline constexpr Word kHashAbove = 0x9e3779b97f4a7c15U;
inline constexpr Word kHashBelow = 0xc2b2ae3d27d4eb4eU;
// The hash of a non-negative value w < 2^64.
inline std::size_t hashWord(Word w) noexcept {
  return static_cast<std::size_t>(static_cast<Int>(w) < 0 ? w ^ kHashAbove : w);
}
// The hash of a value of magnitude m, negative when `negative` (any size:
// a magnitude of one limb or none gives the single-word values' hash).
[[gnu::noinline]] NUMKIT_API std::size_t hashMagnitude(const BigNat_& m, bool negative) noexcept;
}  // namespace detail

NUMKIT_END_NAMESPACE

// The hash of n's value; equal to the hash of the Integer of the same value.
template <>
struct std::hash<num::Natural> {
  std::size_t operator()(const num::Natural& n) const noexcept {
    if (n.isNS()) return num::detail::hashWord(n.word());
    return num::detail::hashMagnitude(n.bigNat(), false);
  }
};

// The hash of x's value; equal to the hash of the Natural of the same value.
template <>
struct std::hash<num::Integer> {
  std::size_t operator()(const num::Integer& x) const noexcept {
    if (x.isIS()) return static_cast<std::size_t>(x.intValue());
    return num::detail::hashMagnitude(x.magnitude(), x.isIN());
  }
};
