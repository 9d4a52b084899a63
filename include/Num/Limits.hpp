// std::numeric_limits for Natural and Integer: exact integer types without
// bounds.
//
// As the standard has it for unbounded types: is_bounded is false, digits
// and digits10 are 0, and max() and lowest() (and min() of Integer, which is
// signed) have no meaning and return zero; min() of Natural is its least
// value, 0.  The members that only floating types use are zero or false.
// Division by zero raises num::DivideByZero rather than trapping, so traps
// is false.
#pragma once

#include <limits>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace detail {
// The members that Natural and Integer share.
template <class T>
struct UnboundedIntegerLimits {
  static constexpr bool is_specialized = true;
  static constexpr bool is_integer = true;
  static constexpr bool is_exact = true;
  static constexpr bool is_bounded = false;
  static constexpr bool is_modulo = false;
  static constexpr int radix = 2;
  static constexpr int digits = 0;
  static constexpr int digits10 = 0;
  static constexpr int max_digits10 = 0;
  static constexpr bool has_infinity = false;
  static constexpr bool has_quiet_NaN = false;
  static constexpr bool has_signaling_NaN = false;
  static constexpr std::float_denorm_style has_denorm = std::denorm_absent;
  static constexpr bool has_denorm_loss = false;
  static constexpr std::float_round_style round_style = std::round_toward_zero;
  static constexpr bool is_iec559 = false;
  static constexpr int min_exponent = 0;
  static constexpr int min_exponent10 = 0;
  static constexpr int max_exponent = 0;
  static constexpr int max_exponent10 = 0;
  static constexpr bool traps = false;
  static constexpr bool tinyness_before = false;

  // No largest or lowest value: zero, as for every unbounded type.
  static T max() noexcept { return T(); }
  static T lowest() noexcept { return T(); }
  // The floating-point members: zero.
  static T epsilon() noexcept { return T(); }
  static T round_error() noexcept { return T(); }
  static T infinity() noexcept { return T(); }
  static T quiet_NaN() noexcept { return T(); }
  static T signaling_NaN() noexcept { return T(); }
  static T denorm_min() noexcept { return T(); }
};
}  // namespace detail
NUMKIT_END_NAMESPACE

template <>
struct std::numeric_limits<num::Natural> : num::detail::UnboundedIntegerLimits<num::Natural> {
  static constexpr bool is_signed = false;
  // The least Natural.
  static num::Natural min() noexcept { return num::Natural(); }
};

template <>
struct std::numeric_limits<num::Integer> : num::detail::UnboundedIntegerLimits<num::Integer> {
  static constexpr bool is_signed = true;
  // No least value: zero, as for every unbounded signed type.
  static num::Integer min() noexcept { return num::Integer(); }
};
