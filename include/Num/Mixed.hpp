// Mixed operands and checked conversions to the built-in integers.
//
// Every binary operator of Natural and Integer (+ - * / % & | ^, the
// compound forms, == != < <= > >= <=>) also takes an Integer with a Natural
// and either of them with any built-in integer type (bool excluded) on
// either side, without casts.  The rule for the result:
// - an Integer on either side gives an Integer, the exact result of the
//   Integer operation (/ and % truncate toward zero, & | ^ work on the
//   two's-complement form);
// - a Natural with a built-in integer gives a Natural: the exact result of
//   the same operation on the mathematical values (a negative built-in
//   operand is taken as it is: n + (-3) is n - 3, n & -4 clears the two low
//   bits), and num::Underflow when that result is negative, as Natural -
//   Natural does.  / and % truncate toward zero, as for the built-in types;
// - a compound operator with a built-in or Natural right operand is the
//   compound operator of the left operand's own type on that operand's
//   value, so it rewrites the left operand's limbs in place where that one
//   does (see operator+= of Natural and Integer);
// - a Natural on the left of a compound operator with an Integer operand
//   (n += z, ...) stores the Integer result back as a Natural and raises
//   num::Underflow, leaving n unchanged, when it is negative;
// - comparisons are always exact: Natural(0) > -1, Integer(-1) < 2^64 - 1u.
// A built-in operand is never turned into a multi-word value: one that fits
// a signed word (or, with a Natural, any non-negative one) goes into the
// single-word paths, and an unsigned 64-bit value of 2^63 or more meets an
// Integer through a one-limb magnitude on the stack, so it never allocates
// either; nor does a Natural operand of a binary operator with an Integer
// (a multi-word one lends its limbs).  Division and remainder by a zero
// operand raise num::DivideByZero.
//
// Shifts: x << s and x >> s (and <<=, >>=) take any built-in integer count
// s; a negative count raises std::domain_error (the Word count of the named
// shift operations has no sign).  There are no shifts by a Natural or an
// Integer count, and no operators whose result would be a built-in integer
// (i += n does not compile).
//
// Checked conversions to a built-in integer type T (bool excluded):
// num::fits<T>(x) says whether x is representable in T, and num::narrow<T>(x)
// gives x as a T or raises num::Overflow when it is not (a negative value to
// an unsigned type included).  The wrapping conversions (naturalToWord,
// integerToInt, ...) stay as they are.
//
// This header comes with Num/Natural.hpp and Num/Integer.hpp; there is no
// need to include it on its own.
#pragma once

#include <compare>
#include <concepts>
#include <limits>
#include <stdexcept>
#include <type_traits>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {

// Whether every value of T is a signed word.
template <BuiltinInteger T>
inline constexpr bool kFitsInt = std::signed_integral<T> || sizeof(T) < sizeof(Int);

template <BuiltinInteger T>
constexpr bool isNegative(T v) noexcept {
  if constexpr (std::signed_integral<T>) {
    return v < 0;
  } else {
    static_cast<void>(v);
    return false;
  }
}
// |v| as a word.
template <BuiltinInteger T>
constexpr Word magnitudeOf(T v) noexcept {
  if constexpr (std::signed_integral<T>) {
    return wordFromAbsInt_(static_cast<Int>(v));
  } else {
    return static_cast<Word>(v);
  }
}

// f applied to an IP whose one limb w (>= 2^63) lives in an immortal block
// on this stack frame, so nothing is allocated for it.  A result that still
// refers to that block (an operation may return its argument itself or its
// negation) is given limbs of its own before the frame goes.
template <class F>
[[gnu::noinline]] Integer withWideOperand(Word w, F& f) {
  rt::StaticBlock<1> limb{{rt::kImmortal, kWordBytes}, {w}};
  Integer r = f(IP(WordArray_::fromStatic(limb)));
  if (!r.isIS() && r.magnitude().block() == &limb.header) {
    r = r.isIN() ? IN(bigNatFromWord_(w)) : IP(bigNatFromWord_(w));
  }
  return r;
}
// f applied to the Integer of v, never allocated (see withWideOperand).
template <BuiltinInteger T, class F>
inline Integer withIntegerOperand(T v, F&& f) {
  if constexpr (!kFitsInt<T>) {
    if (static_cast<Int>(v) < 0) return withWideOperand(static_cast<Word>(v), f);
  }
  return f(IS(static_cast<Int>(v)));
}
// The Integer of n; only a single word of 2^63 or more is allocated (its one
// limb), and a multi-word n shares its limbs.
inline Integer integerOf(const Natural& n) {
  if (n.isNS() && static_cast<Int>(n.word()) >= 0) return IS(static_cast<Int>(n.word()));
  return integerFromNatural(n);
}

// f applied to the Integer of n, never allocated: a word below 2^63 is an
// IS, a larger one is lent as in withWideOperand, and a multi-word n is an IP
// sharing its limbs.
template <class F>
inline Integer withNaturalOperand(const Natural& n, F&& f) {
  if (n.isNB()) return f(IP(n.bigNat()));
  if (static_cast<Int>(n.word()) < 0) return withWideOperand(n.word(), f);
  return f(IS(static_cast<Int>(n.word())));
}

// The order of an Integer and a Natural, without allocating.
inline std::strong_ordering compareMixed(const Integer& a, const Natural& b) noexcept {
  if (b.isNS()) {
    const Word w = b.word();
    if (a.isIS()) {
      const Int i = a.intValue();
      return i < 0 ? std::strong_ordering::less : static_cast<Word>(i) <=> w;
    }
    if (a.isIN()) return std::strong_ordering::less;
    if (a.magnitude().size() > 1) return std::strong_ordering::greater;
    return a.magnitude()[0] <=> w;
  }
  if (!a.isIP()) return std::strong_ordering::less;
  return toStrongOrdering(bigNatCompare(a.magnitude(), b.bigNat()));
}
// The order of an Integer and a built-in integer.
template <BuiltinInteger T>
inline std::strong_ordering compareMixed(const Integer& a, T b) noexcept {
  if (a.isIS()) {
    if constexpr (kFitsInt<T>) {
      return a.intValue() <=> static_cast<Int>(b);
    } else {
      if (a.intValue() < 0) return std::strong_ordering::less;
      return static_cast<Word>(a.intValue()) <=> static_cast<Word>(b);
    }
  }
  if (a.isIN()) return std::strong_ordering::less;
  if constexpr (!kFitsInt<T>) {
    if (a.magnitude().size() == 1) return a.magnitude()[0] <=> static_cast<Word>(b);
  }
  return std::strong_ordering::greater;
}
// The order of a Natural and a built-in integer.
template <BuiltinInteger T>
inline std::strong_ordering compareMixed(const Natural& a, T b) noexcept {
  if (isNegative(b) || a.isNB()) return std::strong_ordering::greater;
  return a.word() <=> static_cast<Word>(b);
}

// A Natural result of an operation whose exact value is negative.
[[noreturn]] inline void negativeNatural() { raiseUnderflow(); }

// The count of a shift; raises std::domain_error when it is negative.
template <BuiltinInteger T>
inline Word shiftCount(T s) {
  if (isNegative(s)) throw std::domain_error("numkit: negative shift count");
  return static_cast<Word>(s);
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Comparison.  The relational operators and the reversed forms come from
// == and <=> (rewritten by the compiler).

inline bool operator==(const Integer& a, const Natural& b) noexcept {
  return detail::compareMixed(a, b) == 0;
}
inline std::strong_ordering operator<=>(const Integer& a, const Natural& b) noexcept {
  return detail::compareMixed(a, b);
}
template <detail::BuiltinInteger T>
inline bool operator==(const Integer& a, T b) noexcept {
  if constexpr (detail::kFitsInt<T>) {
    return a.isIS() && a.intValue() == static_cast<Int>(b);
  } else {
    return detail::compareMixed(a, b) == 0;
  }
}
template <detail::BuiltinInteger T>
inline std::strong_ordering operator<=>(const Integer& a, T b) noexcept {
  return detail::compareMixed(a, b);
}
template <detail::BuiltinInteger T>
inline bool operator==(const Natural& a, T b) noexcept {
  return !detail::isNegative(b) && a.isNS() && a.word() == static_cast<Word>(b);
}
template <detail::BuiltinInteger T>
inline std::strong_ordering operator<=>(const Natural& a, T b) noexcept {
  return detail::compareMixed(a, b);
}

// ---------------------------------------------------------------------------
// Arithmetic.  The Natural and Integer operands are forwarding references
// (constrained to the one type), so that these forms are at least as good a
// match as the forms of one type that take a temporary operand.

namespace detail {
template <class X>
concept NaturalArg = std::same_as<std::remove_cvref_t<X>, Natural>;
template <class X>
concept IntegerArg = std::same_as<std::remove_cvref_t<X>, Integer>;

// Natural with a built-in integer.  A non-negative operand is the single
// word NS |b|; a negative one -m is folded into the Natural operation on m.
template <BuiltinInteger T>
inline Natural naturalAddB(const Natural& a, T b) {
  const Word m = magnitudeOf(b);
  return isNegative(b) ? naturalSubThrow(a, NS(m)) : naturalAdd(a, NS(m));
}
template <BuiltinInteger T>
inline Natural naturalSubB(const Natural& a, T b) {
  const Word m = magnitudeOf(b);
  return isNegative(b) ? naturalAdd(a, NS(m)) : naturalSubThrow(a, NS(m));
}
template <BuiltinInteger T>
inline Natural naturalBSub(T a, const Natural& b) {
  if (isNegative(a)) negativeNatural();  // a - b <= a < 0
  return naturalSubThrow(NS(static_cast<Word>(a)), b);
}
template <BuiltinInteger T>
inline Natural naturalMulB(const Natural& a, T b) {
  if (isNegative(b)) {
    if (!naturalIsZero(a)) negativeNatural();
    return naturalZero();
  }
  return naturalMul(a, NS(static_cast<Word>(b)));
}
// -(a / m) is zero exactly when a < m.
template <BuiltinInteger T>
inline Natural naturalQuotB(const Natural& a, T b) {
  const Word m = magnitudeOf(b);
  if (isNegative(b)) {
    if (compareMixed(a, m) >= 0) negativeNatural();
    return naturalZero();
  }
  return naturalQuot(a, NS(m));
}
template <BuiltinInteger T>
inline Natural naturalBQuot(T a, const Natural& b) {
  const Word m = magnitudeOf(a);
  if (isNegative(a)) {
    if (naturalIsZero(b)) raiseDivZero();
    if (compareMixed(b, m) <= 0) negativeNatural();
    return naturalZero();
  }
  return naturalQuot(NS(m), b);
}
// The truncated remainder has the sign of the dividend.
template <BuiltinInteger T>
inline Natural naturalRemB(const Natural& a, T b) {
  return naturalRem(a, NS(magnitudeOf(b)));
}
template <BuiltinInteger T>
inline Natural naturalBRem(T a, const Natural& b) {
  Natural r = naturalRem(NS(magnitudeOf(a)), b);
  if (isNegative(a) && !naturalIsZero(r)) negativeNatural();
  return r;
}
// A negative -m has the two's-complement bits NOT (m - 1) followed by ones:
// ANDing clears the bits of m - 1; ORing or XORing gives a negative value.
template <BuiltinInteger T>
inline Natural naturalAndB(const Natural& a, T b) {
  const Word m = magnitudeOf(b);
  return isNegative(b) ? naturalAndNot(a, NS(m - 1)) : naturalAnd(a, NS(m));
}
template <BuiltinInteger T>
inline Natural naturalOrB(const Natural& a, T b) {
  if (isNegative(b)) negativeNatural();
  return naturalOr(a, NS(static_cast<Word>(b)));
}
template <BuiltinInteger T>
inline Natural naturalXorB(const Natural& a, T b) {
  if (isNegative(b)) negativeNatural();
  return naturalXor(a, NS(static_cast<Word>(b)));
}
// The commuted forms.
template <BuiltinInteger T>
inline Natural naturalBAdd(T a, const Natural& b) {
  return naturalAddB(b, a);
}
template <BuiltinInteger T>
inline Natural naturalBMul(T a, const Natural& b) {
  return naturalMulB(b, a);
}
template <BuiltinInteger T>
inline Natural naturalBAnd(T a, const Natural& b) {
  return naturalAndB(b, a);
}
template <BuiltinInteger T>
inline Natural naturalBOr(T a, const Natural& b) {
  return naturalOrB(b, a);
}
template <BuiltinInteger T>
inline Natural naturalBXor(T a, const Natural& b) {
  return naturalXorB(b, a);
}
}  // namespace detail

// Integer with Natural or with a built-in integer: the Integer operation.
// n op= z stores the Integer result back as a Natural (num::Underflow when
// it is negative, n unchanged).
// clang-format off: keeps the pasted compound operators (op##=) whole
#define NUMKIT_MIXED_INTEGER(op, fn)                                                              \
  template <detail::IntegerArg X, detail::NaturalArg Y>                                           \
  inline Integer operator op(X&& a, Y&& b) {                                                      \
    return detail::withNaturalOperand(b, [&](const Integer& y) { return fn(a, y); });             \
  }                                                                                               \
  template <detail::NaturalArg X, detail::IntegerArg Y>                                           \
  inline Integer operator op(X&& a, Y&& b) {                                                      \
    return detail::withNaturalOperand(a, [&](const Integer& x) { return fn(x, b); });             \
  }                                                                                               \
  template <detail::IntegerArg X, detail::BuiltinInteger T>                                       \
  inline Integer operator op(X&& a, T b) {                                                        \
    return detail::withIntegerOperand(b, [&](const Integer& y) { return fn(a, y); });             \
  }                                                                                               \
  template <detail::BuiltinInteger T, detail::IntegerArg X>                                       \
  inline Integer operator op(T a, X&& b) {                                                        \
    return detail::withIntegerOperand(a, [&](const Integer& x) { return fn(x, b); });             \
  }                                                                                               \
  inline Integer& operator op##=(Integer& a, const Natural& b) {                                  \
    return a op## = detail::integerOf(b);                                                         \
  }                                                                                               \
  inline Natural& operator op##=(Natural& a, const Integer& b) {                                  \
    return a = integerToNaturalThrow(fn(detail::integerOf(a), b));                                \
  }                                                                                               \
  template <detail::BuiltinInteger T>                                                             \
  inline Integer& operator op##=(Integer& a, T b) {                                               \
    if (detail::kFitsInt<T> || static_cast<Int>(b) >= 0) return a op## = IS(static_cast<Int>(b)); \
    return a = detail::withIntegerOperand(b, [&](const Integer& y) { return fn(a, y); });         \
  }

// clang-format on
NUMKIT_MIXED_INTEGER(+, integerAdd)
NUMKIT_MIXED_INTEGER(-, integerSub)
NUMKIT_MIXED_INTEGER(*, integerMul)
NUMKIT_MIXED_INTEGER(/, integerQuot)
NUMKIT_MIXED_INTEGER(%, integerRem)
NUMKIT_MIXED_INTEGER(&, integerAnd)
NUMKIT_MIXED_INTEGER(|, integerOr)
NUMKIT_MIXED_INTEGER(^, integerXor)
#undef NUMKIT_MIXED_INTEGER

// Natural with a built-in integer (see the rule at the top of this file).
// The compound forms replace the left operand only when the operation
// returns.
// clang-format off
#define NUMKIT_MIXED_NATURAL(op, lhs, rhs)                                  \
  template <detail::NaturalArg X, detail::BuiltinInteger T>                 \
  inline Natural operator op(X&& a, T b) {                                  \
    return detail::lhs(a, b);                                               \
  }                                                                         \
  template <detail::BuiltinInteger T, detail::NaturalArg X>                 \
  inline Natural operator op(T a, X&& b) {                                  \
    return detail::rhs(a, b);                                               \
  }                                                                         \
  template <detail::BuiltinInteger T>                                       \
  inline Natural& operator op##=(Natural& a, T b) {                         \
    if (!detail::isNegative(b)) return a op##= NS(detail::magnitudeOf(b)); \
    return a = detail::lhs(a, b);                                           \
  }

// clang-format on
NUMKIT_MIXED_NATURAL(+, naturalAddB, naturalBAdd)
NUMKIT_MIXED_NATURAL(-, naturalSubB, naturalBSub)
NUMKIT_MIXED_NATURAL(*, naturalMulB, naturalBMul)
NUMKIT_MIXED_NATURAL(/, naturalQuotB, naturalBQuot)
NUMKIT_MIXED_NATURAL(%, naturalRemB, naturalBRem)
NUMKIT_MIXED_NATURAL(&, naturalAndB, naturalBAnd)
NUMKIT_MIXED_NATURAL(|, naturalOrB, naturalBOr)
NUMKIT_MIXED_NATURAL(^, naturalXorB, naturalBXor)
#undef NUMKIT_MIXED_NATURAL

// ---------------------------------------------------------------------------
// Shifts by a built-in count of any integer type.

// x op s and x op= s for a value x of type Type (Arg: its argument concept)
// and a built-in count s, through the named shift fn.  Type names a type,
// which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define NUMKIT_MIXED_SHIFT(Type, Arg, op, fn)        \
  template <detail::Arg X, detail::BuiltinInteger T> \
  inline Type operator op(X&& x, T s) {              \
    return fn(x, detail::shiftCount(s));             \
  }                                                  \
  template <detail::BuiltinInteger T>                \
  inline Type& operator op##=(Type& x, T s) {        \
    return x = fn(x, detail::shiftCount(s));         \
  }
// NOLINTEND(bugprone-macro-parentheses)

NUMKIT_MIXED_SHIFT(Natural, NaturalArg, <<, naturalShiftL_)
NUMKIT_MIXED_SHIFT(Natural, NaturalArg, >>, naturalShiftR_)
NUMKIT_MIXED_SHIFT(Integer, IntegerArg, <<, integerShiftL_)
NUMKIT_MIXED_SHIFT(Integer, IntegerArg, >>, integerShiftR_)
#undef NUMKIT_MIXED_SHIFT

// ---------------------------------------------------------------------------
// Checked conversions to the built-in integer types.

// Whether n is representable in T.
template <detail::BuiltinInteger T>
inline bool fits(const Natural& n) noexcept {
  return n.isNS() && n.word() <= static_cast<Word>(std::numeric_limits<T>::max());
}
// Whether x is representable in T.
template <detail::BuiltinInteger T>
inline bool fits(const Integer& x) noexcept {
  if (x.isIS()) {
    const Int i = x.intValue();
    if constexpr (std::signed_integral<T>) {
      return i >= std::numeric_limits<T>::min() && i <= std::numeric_limits<T>::max();
    } else {
      return i >= 0 && static_cast<Word>(i) <= std::numeric_limits<T>::max();
    }
  }
  // An IP is at least 2^63: only a 64-bit unsigned type holds it, and only
  // with one limb.  An IN fits no type.
  if constexpr (std::unsigned_integral<T> && sizeof(T) == sizeof(Word)) {
    return x.isIP() && x.magnitude().size() == 1;
  } else {
    return false;
  }
}
// n as a T; raises num::Overflow when n is not representable in T.
template <detail::BuiltinInteger T>
inline T narrow(const Natural& n) {
  if (!fits<T>(n)) raiseOverflow();
  return static_cast<T>(n.word());
}
// x as a T; raises num::Overflow when x is not representable in T (also a
// negative x for an unsigned T).
template <detail::BuiltinInteger T>
inline T narrow(const Integer& x) {
  if (!fits<T>(x)) raiseOverflow();
  return static_cast<T>(integerToWord_(x));
}

NUMKIT_END_NAMESPACE
