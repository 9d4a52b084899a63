// Integer: a signed number of any size, the type most callers hold.
//
// An Integer is one of three forms, and every value has exactly one of them:
// - IS i: a signed word, any value in [-2^63, 2^63 - 1];
// - IP m: a value m >= 2^63, held as its magnitude (a normalised BigNat_ of
//   one limb >= 2^63, or of two or more limbs);
// - IN m: a value -m < -2^63, held as its magnitude (one limb > 2^63, or two
//   or more limbs).  -2^63 itself is always IS.
// Zero is IS 0.  Every IP is above every IS and every IN below; two values
// are equal exactly when they have the same form and the same payload.
//
// Values are immutable.  An operation returns one of its arguments itself, a
// shared constant, or a fresh value; a fresh IP or IN may share its magnitude
// with an argument.  IS values never allocate and never touch a reference
// count.
//
// The single-word cases of comparison, equality, addition, subtraction,
// negation, multiplication, the two divisions, the bit operations and the
// shifts that stay in the word are inline, and so are comparisons that the
// forms alone decide; each calls one out-of-line function only when an
// operand is multi-word, the result leaves the signed word range, or a
// divisor is 0 or -1.
//
// Raising, always before anything is allocated:
// - num::Underflow: integerToNaturalThrow of a negative value;
// - num::DivideByZero: every quotient and remainder, truncating or flooring
//   (integerQuotRem_, integerQuotRem, integerQuot, integerRem,
//   integerDivMod_, integerDivMod, integerDiv, integerMod, operator/,
//   operator%, /=, %=) by zero;
// - num::Overflow: the logarithms and digit counts of a value >= 0 (of a
//   non-zero value for integerSizeInBase_) in a base of magnitude below 2,
//   and integerFromDouble of NaN or an infinity;
// - std::out_of_range: the byte-array forms of export and import when the
//   bytes do not lie within the array.
// Nothing else here raises, except std::bad_alloc when memory runs out: the
// modular power and inverse report a zero modulus as no result.
#pragma once

#include <bit>
#include <compare>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <tuple>
#include <utility>

#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

class Integer;
Integer IS(Int i) noexcept;
Integer IP(BigNat_ m) noexcept;
Integer IN(BigNat_ m) noexcept;
Integer integerFromWord_(Word w);

inline constexpr Int kIntMin = std::numeric_limits<Int>::min();

namespace detail {
// An Integer's two words, passed and returned in registers across the
// out-of-line boundary, so that no caller's value has its address taken and
// temporaries stay in registers.  As an argument it borrows the caller's
// reference; as a result it carries one reference, which the caller adopts.
struct IntegerRep {
  Int w;
  rt::BlockHeader* h;
};
using IntegerAccess = ValueAccess<Integer, IntegerRep>;

// The built-in integer types an Integer converts from exactly.
template <class T>
concept BuiltinInteger = std::integral<T> && !std::same_as<T, bool> && sizeof(T) <= 8;
}  // namespace detail

class Integer {
 public:
  // Zero.
  Integer() noexcept : w_(0), m_(rt::AbsentTag{}) {}
  // The exact value of a built-in integer.  Unsigned values of 2^63 and more
  // allocate their one-limb magnitude.
  template <detail::BuiltinInteger T>
  Integer(T v) noexcept(std::signed_integral<T> || sizeof(T) < 8)
      : w_(static_cast<Int>(v)), m_(rt::AbsentTag{}) {
    if constexpr (std::unsigned_integral<T> && sizeof(T) == 8) {
      if (w_ < 0) *this = integerFromWord_(static_cast<Word>(v));
    }
  }
  // The value of a Natural (see integerFromNatural): exact, so implicit.
  Integer(const Natural& n);

  // Copies share the magnitude.  A moved-from value is a valid signed word.
  Integer(const Integer&) noexcept = default;
  Integer(Integer&&) noexcept = default;
  Integer& operator=(const Integer&) noexcept = default;
  Integer& operator=(Integer&&) noexcept = default;
  ~Integer() = default;

  // Inspection for embedders: the form, the signed word of an IS, the
  // magnitude of an IP or IN.  intValue() and magnitude() are unchecked, for
  // speed: call them only for the form isIS(), isIP() or isIN() reports.  The
  // wrong form is caught by an assertion in debug builds only; in a release
  // build intValue() of an IP or IN reads its sign tag, and magnitude() of an
  // IS gives an absent array that every BigNat operation crashes on.
  bool isIS() const noexcept { return m_.isAbsent(); }
  bool isIP() const noexcept { return !m_.isAbsent() && w_ == kTagIP; }
  bool isIN() const noexcept { return !m_.isAbsent() && w_ == kTagIN; }
  Int intValue() const noexcept {
    assert(isIS());
    return w_;
  }
  const BigNat_& magnitude() const noexcept {
    assert(!isIS());
    return m_;
  }

  // Whether the value is non-zero.
  explicit operator bool() const noexcept { return !m_.isAbsent() || w_ != 0; }

 private:
  static constexpr Int kTagIP = 0;
  static constexpr Int kTagIN = 1;
  // The library's multi-word paths take a result's tag straight from the
  // operands' tags: a product's or quotient's as their exclusive or.
  static_assert(kTagIP == 0 && kTagIN == 1);

  Integer(Int w, WordArray_ m) noexcept : w_(w), m_(std::move(m)) {}
  friend Integer IS(Int i) noexcept;
  friend Integer IP(BigNat_ m) noexcept;
  friend Integer IN(BigNat_ m) noexcept;
  friend bool integerIsNegative(const Integer& x) noexcept;
  friend struct detail::ValueAccess<Integer, detail::IntegerRep>;

  Int w_;         // the value of an IS; the sign tag (kTagIP, kTagIN) otherwise
  WordArray_ m_;  // absent for an IS, the magnitude otherwise
};
static_assert(sizeof(Integer) == 16, "an Integer is one word and one pointer");

// ---------------------------------------------------------------------------
// The bare constructors: they build the form they name without any test (an
// IP below 2^63 or an IN of 2^63 breaks the invariant; integerCheck_ reports
// it).  The magnitude is shared, never copied.

inline Integer IS(Int i) noexcept { return Integer(i, WordArray_(rt::AbsentTag{})); }
inline Integer IP(BigNat_ m) noexcept {
  assert(!m.isAbsent());
  return Integer(Integer::kTagIP, std::move(m));
}
inline Integer IN(BigNat_ m) noexcept {
  assert(!m.isAbsent());
  return Integer(Integer::kTagIN, std::move(m));
}

// ---------------------------------------------------------------------------
// Shared constants.  The IS ones have no storage; IP 2^63 and IN 2^64 live in
// immortal static blocks, so every copy shares one block and none touches a
// counter.

inline Integer integerZero() noexcept { return IS(0); }
inline Integer integerOne() noexcept { return IS(1); }
inline Integer integerMinusOne() noexcept { return IS(-1); }
// IS -2^63, the most negative signed word.
inline Integer integerMinInt() noexcept { return IS(kIntMin); }
// IP 2^63: the negation and the absolute value of -2^63.
NUMKIT_API Integer integerTwoPow63() noexcept;
// IN 2^64, the value -2^64: the sum of -2^63 with itself.
NUMKIT_API Integer integerNegTwoPow64() noexcept;

// ---------------------------------------------------------------------------
// Validity.  Whether x is in normal form (see the top of this file; an IP or
// IN must also hold a whole number of limbs, the top one non-zero).  Nothing
// else in the library calls it: operations trust their arguments.

NUMKIT_API Int integerCheck_(const Integer& x) noexcept;
inline bool integerCheck(const Integer& x) noexcept { return integerCheck_(x) != 0; }

// ---------------------------------------------------------------------------
// Construction.  Nothing here raises.  Magnitudes are demoted: a value that
// fits a signed word becomes IS.

inline Integer integerFromInt_(Int i) noexcept { return IS(i); }
inline Integer integerFromInt(Int i) noexcept { return IS(i); }
inline Integer integerFromInt64_(std::int64_t i) noexcept { return IS(i); }
// w; IP of a fresh [w] when w >= 2^63.
inline Integer integerFromWord_(Word w) {
  if (static_cast<Int>(w) >= 0) return IS(static_cast<Int>(w));
  return IP(bigNatFromWord_(w));
}
inline Integer integerFromWord(Word w) { return integerFromWord_(w); }
inline Integer integerFromWord64_(std::uint64_t w) { return integerFromWord_(w); }
// -w; IN of a fresh [w] when w > 2^63 (2^63 gives IS -2^63).
NUMKIT_API Integer integerFromWordNeg_(Word w);
// -w when s != 0, else w.
NUMKIT_API Integer integerFromWordSign_(Int s, Word w);
// The value m: IS when it fits (zero gives integerZero), else IP m itself.
NUMKIT_API Integer integerFromBigNat_(BigNat_ m) noexcept;
// The value -m: IS when it fits (m = 2^63 gives IS -2^63), else IN m itself.
NUMKIT_API Integer integerFromBigNatNeg_(BigNat_ m) noexcept;
// -m when s != 0, else m.
NUMKIT_API Integer integerFromBigNatSign_(Int s, BigNat_ m) noexcept;
// The value of n; an NB's limbs are shared by the IP.
NUMKIT_API Integer integerFromNatural(const Natural& n);
// The value of a word list, most significant first (leading zeros ignored),
// negated when `negative` is true.
NUMKIT_API Integer integerFromWordList(bool negative, std::span<const Word> msFirst);

inline Integer::Integer(const Natural& n) : Integer(integerFromNatural(n)) {}

// ---------------------------------------------------------------------------
// Conversion.  Only integerToNaturalThrow raises.

// The value modulo 2^64, as a word and as a signed word.
inline Word integerToWord_(const Integer& x) noexcept {
  if (x.isIS()) return static_cast<Word>(x.intValue());
  const Word low = bigNatToWord_(x.magnitude());
  return x.isIN() ? Word{0} - low : low;
}
inline Word integerToWord(const Integer& x) noexcept { return integerToWord_(x); }
inline Word integerToWord64_(const Integer& x) noexcept { return integerToWord_(x); }
inline Int integerToInt_(const Integer& x) noexcept { return static_cast<Int>(integerToWord_(x)); }
inline Int integerToInt(const Integer& x) noexcept { return integerToInt_(x); }
inline std::int64_t integerToInt64_(const Integer& x) noexcept { return integerToInt_(x); }

// (sign, magnitude): sign 1 for a negative value, else 0.  An IP or IN gives
// its magnitude itself, IS 0 the shared zero, another IS a fresh one limb.
NUMKIT_API std::pair<Int, BigNat_> integerToBigNatSign_(const Integer& x);
// The magnitude of max(x, 0): IP m gives m itself, a non-positive value the
// shared zero, a positive IS a fresh one limb.
NUMKIT_API BigNat_ integerToBigNatClamp_(const Integer& x);
// |x|.
NUMKIT_API Natural integerToNatural(const Integer& x) noexcept;
// max(x, 0); every negative value gives naturalZero.
NUMKIT_API Natural integerToNaturalClamp(const Integer& x) noexcept;
// x; raises num::Underflow when x < 0.
NUMKIT_API Natural integerToNaturalThrow(const Integer& x);

inline Natural::Natural(const Integer& x) : Natural(integerToNaturalThrow(x)) {}

// ---------------------------------------------------------------------------
// Predicates and sign.

inline bool integerIsZero(const Integer& x) noexcept { return x.isIS() && x.intValue() == 0; }
inline bool integerIsOne(const Integer& x) noexcept { return x.isIS() && x.intValue() == 1; }
inline bool integerIsNegative(const Integer& x) noexcept {
  return x.isIS() ? x.w_ < 0 : x.w_ == Integer::kTagIN;
}
inline Int integerIsNegative_(const Integer& x) noexcept { return integerIsNegative(x); }
// -1, 0 or 1.
inline Int integerSignum_(const Integer& x) noexcept {
  if (x.isIS()) return (x.intValue() > 0) - (x.intValue() < 0);
  return x.isIN() ? -1 : 1;
}
// IS -1, 0 or 1.
inline Integer integerSignum(const Integer& x) noexcept { return IS(integerSignum_(x)); }

// ---------------------------------------------------------------------------
// Equality and ordering.  Forms decide before magnitudes; nothing allocates.
// The `_` forms return 1 or 0.  num::max of equal values returns its second
// argument and num::min its first; each returns one of its arguments.

namespace detail {
// Only true when both operands are single words.
inline bool bothIS_(const Integer& a, const Integer& b) noexcept {
  return IntegerAccess::bothSingle(a, b);
}
// The cases with a multi-word operand.
[[gnu::noinline]] NUMKIT_API Ordering integerCompareSlow(IntegerRep x, IntegerRep y) noexcept;
[[gnu::noinline]] NUMKIT_API bool integerEqSlow(IntegerRep x, IntegerRep y) noexcept;
inline Ordering integerCompareSlow(const Integer& x, const Integer& y) noexcept {
  return integerCompareSlow(IntegerAccess::borrow(x), IntegerAccess::borrow(y));
}
}  // namespace detail

inline Ordering integerCompare(const Integer& x, const Integer& y) noexcept {
  if (detail::bothIS_(x, y)) {
    const Int a = x.intValue();
    const Int b = y.intValue();
    return a < b ? Ordering::LT : a == b ? Ordering::EQ : Ordering::GT;
  }
  if (x.isIS()) return y.isIP() ? Ordering::LT : Ordering::GT;
  if (y.isIS()) return x.isIP() ? Ordering::GT : Ordering::LT;
  return detail::integerCompareSlow(x, y);
}
inline bool integerEq(const Integer& x, const Integer& y) noexcept {
  if (detail::bothIS_(x, y)) return x.intValue() == y.intValue();
  if (x.isIS() || y.isIS()) return false;
  return detail::integerEqSlow(detail::IntegerAccess::borrow(x), detail::IntegerAccess::borrow(y));
}
inline bool integerNe(const Integer& x, const Integer& y) noexcept { return !integerEq(x, y); }
inline bool integerLt(const Integer& x, const Integer& y) noexcept {
  if (detail::bothIS_(x, y)) return x.intValue() < y.intValue();
  if (x.isIS()) return y.isIP();  // one multi-word operand: its sign decides
  if (y.isIS()) return x.isIN();
  return detail::integerCompareSlow(x, y) == Ordering::LT;
}
inline bool integerLe(const Integer& x, const Integer& y) noexcept {
  if (detail::bothIS_(x, y)) return x.intValue() <= y.intValue();
  if (x.isIS()) return y.isIP();  // one multi-word operand: its sign decides
  if (y.isIS()) return x.isIN();
  return detail::integerCompareSlow(x, y) != Ordering::GT;
}
inline bool integerGt(const Integer& x, const Integer& y) noexcept { return integerLt(y, x); }
inline bool integerGe(const Integer& x, const Integer& y) noexcept { return integerLe(y, x); }
inline Int integerEq_(const Integer& x, const Integer& y) noexcept { return integerEq(x, y); }
inline Int integerNe_(const Integer& x, const Integer& y) noexcept { return integerNe(x, y); }
inline Int integerLt_(const Integer& x, const Integer& y) noexcept { return integerLt(x, y); }
inline Int integerLe_(const Integer& x, const Integer& y) noexcept { return integerLe(x, y); }
inline Int integerGt_(const Integer& x, const Integer& y) noexcept { return integerGt(x, y); }
inline Int integerGe_(const Integer& x, const Integer& y) noexcept { return integerGe(x, y); }

// ---------------------------------------------------------------------------
// Arithmetic.  None of these raises.
//
// integerAdd: x + y; adding IS 0 returns the other argument itself, and
// -2^63 + -2^63 gives the shared IN 2^64.
// integerSub: x - y; subtracting IS 0 returns x itself.
// integerNegate: -x; -(-2^63) is the shared IP 2^63 and -(2^63) IS -2^63.
// integerAbs: |x|; a non-negative x itself, |-2^63| the shared IP 2^63.

namespace detail {
[[gnu::noinline]] NUMKIT_API IntegerRep integerAddSlow(IntegerRep x, IntegerRep y);
[[gnu::noinline]] NUMKIT_API IntegerRep integerSubSlow(IntegerRep x, IntegerRep y);
[[gnu::noinline]] NUMKIT_API IntegerRep integerNegateSlow(IntegerRep x) noexcept;
[[gnu::noinline]] NUMKIT_API IntegerRep integerAbsSlow(IntegerRep x) noexcept;
// x += y and x -= y, rewriting x's limbs in place when x holds the only
// reference to them (see operator+=).
[[gnu::noinline]] NUMKIT_API void integerAddAssignSlow(Integer& x, IntegerRep y);
[[gnu::noinline]] NUMKIT_API void integerSubAssignSlow(Integer& x, IntegerRep y);
}  // namespace detail

inline Integer integerAdd(const Integer& x, const Integer& y) {
  Int s;
  if (detail::bothIS_(x, y) && !__builtin_add_overflow(x.intValue(), y.intValue(), &s))
    return IS(s);
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerAddSlow(IntegerAccess::borrow(x), IntegerAccess::borrow(y)));
}
inline Integer integerSub(const Integer& x, const Integer& y) {
  Int d;
  if (detail::bothIS_(x, y) && !__builtin_sub_overflow(x.intValue(), y.intValue(), &d))
    return IS(d);
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerSubSlow(IntegerAccess::borrow(x), IntegerAccess::borrow(y)));
}
inline Integer integerNegate(const Integer& x) noexcept {
  if (x.isIS() && x.intValue() != kIntMin) return IS(-x.intValue());
  using detail::IntegerAccess;
  return IntegerAccess::adopt(detail::integerNegateSlow(IntegerAccess::borrow(x)));
}
inline Integer integerAbs(const Integer& x) noexcept {
  if (x.isIS() && x.intValue() != kIntMin) {
    return x.intValue() >= 0 ? x : IS(-x.intValue());
  }
  using detail::IntegerAccess;
  return IntegerAccess::adopt(detail::integerAbsSlow(IntegerAccess::borrow(x)));
}

// ---------------------------------------------------------------------------
// Operators, forwarding to the operations above; none raises.

inline bool operator==(const Integer& x, const Integer& y) noexcept { return integerEq(x, y); }
inline bool operator!=(const Integer& x, const Integer& y) noexcept { return integerNe(x, y); }
inline bool operator<(const Integer& x, const Integer& y) noexcept { return integerLt(x, y); }
inline bool operator<=(const Integer& x, const Integer& y) noexcept { return integerLe(x, y); }
inline bool operator>(const Integer& x, const Integer& y) noexcept { return integerGt(x, y); }
inline bool operator>=(const Integer& x, const Integer& y) noexcept { return integerGe(x, y); }
inline std::strong_ordering operator<=>(const Integer& x, const Integer& y) noexcept {
  return toStrongOrdering(integerCompare(x, y));
}
inline Ordering compare(const Integer& x, const Integer& y) noexcept {
  return integerCompare(x, y);
}
inline Integer max(const Integer& x, const Integer& y) noexcept { return integerLe(x, y) ? y : x; }
inline Integer min(const Integer& x, const Integer& y) noexcept { return integerLe(x, y) ? x : y; }

inline Integer operator+(const Integer& x, const Integer& y) { return integerAdd(x, y); }
inline Integer operator-(const Integer& x, const Integer& y) { return integerSub(x, y); }
inline Integer operator-(const Integer& x) noexcept { return integerNegate(x); }
// x += y and x -= y give x the value x + y and x - y.  When x is the only
// holder of its magnitude's limbs and their block has room, the result is
// written into that block instead of a new one: no other value can observe
// it, since a copy of x would hold a second reference.  A running sum thus
// allocates only when it outgrows its block.
inline Integer& operator+=(Integer& x, const Integer& y) {
  Int s;
  if (detail::bothIS_(x, y) && !__builtin_add_overflow(x.intValue(), y.intValue(), &s))
    return x = IS(s);
  detail::integerAddAssignSlow(x, detail::IntegerAccess::borrow(y));
  return x;
}
inline Integer& operator-=(Integer& x, const Integer& y) {
  Int d;
  if (detail::bothIS_(x, y) && !__builtin_sub_overflow(x.intValue(), y.intValue(), &d))
    return x = IS(d);
  detail::integerSubAssignSlow(x, detail::IntegerAccess::borrow(y));
  return x;
}
// A temporary operand takes the result into its own limbs.
inline Integer operator+(Integer&& x, const Integer& y) { return std::move(x += y); }
inline Integer operator+(const Integer& x, Integer&& y) { return std::move(y += x); }
inline Integer operator+(Integer&& x, Integer&& y) { return std::move(x += y); }
inline Integer operator-(Integer&& x, const Integer& y) { return std::move(x -= y); }

// ---------------------------------------------------------------------------
// Multiplication, division, gcd and powers.
//
// integerMul: x * y; multiplying by 0 gives integerZero, by 1 the other
// argument itself and by -1 its negation (so -2^63 * -1 is the shared IP
// 2^63).  Two signed words are multiplied inline; only a product outside
// the signed word range allocates (its one or two limbs).
// integerSqr: x * x.
//
// Two divisions, each with a pair form and one form per result:
// - truncating, as C++'s built-in / and %: integerQuotRem_, integerQuotRem
//   give (q, r) with q = n / d rounded toward zero and r = n - q * d, so a
//   non-zero r has the sign of n; integerQuot and integerRem give q or r;
// - flooring: integerDivMod_, integerDivMod give (q, r) with q = n / d
//   rounded toward minus infinity and r = n - q * d, so a non-zero r has the
//   sign of d; integerDiv and integerMod give q or r.
// Every one of them raises num::DivideByZero for d = 0.  A quotient by 1 is
// n itself and by -1 the negation of n (-2^63 / -1 is the shared IP 2^63).
// Single words are divided inline; the divisors 0 and -1 go out of line.
//
// integerGcd: gcd(|a|, |b|) >= 0; gcd(0, b) is |b|, gcd(0, 0) = 0.
// integerLcm: lcm(|a|, |b|) >= 0; 0 when either is 0.
// integerGcde_, integerGcde: (g, s, t) with a * s + b * t = g = gcd(a, b).
// When a = 0 or |a| = |b|: s = 0 and t is the sign of b; else when b = 0: s
// is the sign of a and t = 0; otherwise the least cofactors, |s| <= |b| / 2g
// and |t| <= |a| / 2g.
// integerPowMod_: b^e mod m, in [0, m); a negative e raises the inverse of b
// to -e.  Nothing when m = 0, or when e < 0 and b has no inverse modulo m.
// m = 1 gives 0, then e = 0 gives 1, then b = 0 gives 0 (whatever the sign
// of e).
// integerRecipMod_: the inverse of x modulo m, in [1, m); nothing when x = 0,
// m <= 1 or gcd(x, m) != 1.
// None of the gcd, lcm and modular operations raises.

namespace detail {
[[gnu::noinline]] NUMKIT_API IntegerRep integerMulSlow(IntegerRep x, IntegerRep y);
[[gnu::noinline]] NUMKIT_API void integerMulAssignSlow(Integer& x, IntegerRep y);
[[gnu::noinline]] NUMKIT_API std::pair<Integer, Integer> integerQuotRemSlow(IntegerRep n,
                                                                            IntegerRep d);
[[gnu::noinline]] NUMKIT_API IntegerRep integerQuotSlow(IntegerRep n, IntegerRep d);
[[gnu::noinline]] NUMKIT_API IntegerRep integerRemSlow(IntegerRep n, IntegerRep d);
[[gnu::noinline]] NUMKIT_API std::pair<Integer, Integer> integerDivModSlow(IntegerRep n,
                                                                           IntegerRep d);
[[gnu::noinline]] NUMKIT_API IntegerRep integerDivSlow(IntegerRep n, IntegerRep d);
[[gnu::noinline]] NUMKIT_API IntegerRep integerModSlow(IntegerRep n, IntegerRep d);
// Whether both operands are signed words and d is neither 0 nor -1: the case
// of machine division, which -2^63 / -1 would overflow.  One comparison
// tests the divisor; 0 (which raises) and -1 go out of line.
inline bool wordDivision_(const Integer& n, const Integer& d) noexcept {
  return bothIS_(n, d) && static_cast<Word>(d.intValue()) + 1 > 1;
}
// 1 when the truncated quotient needs the flooring correction (the remainder
// r is non-zero and its sign differs from the divisor b's), else 0.
inline Int floorAdjust_(Int r, Int b) noexcept { return r != 0 && (r ^ b) < 0 ? 1 : 0; }
}  // namespace detail

inline Integer integerMul(const Integer& x, const Integer& y) {
  Int p;
  if (detail::bothIS_(x, y) && !__builtin_mul_overflow(x.intValue(), y.intValue(), &p))
    return IS(p);
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerMulSlow(IntegerAccess::borrow(x), IntegerAccess::borrow(y)));
}
inline Integer integerSqr(const Integer& x) { return integerMul(x, x); }

inline std::pair<Integer, Integer> integerQuotRem_(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) {
    const Int a = n.intValue();
    const Int b = d.intValue();
    return {IS(a / b), IS(a % b)};
  }
  using detail::IntegerAccess;
  return detail::integerQuotRemSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d));
}
inline std::pair<Integer, Integer> integerQuotRem(const Integer& n, const Integer& d) {
  return integerQuotRem_(n, d);
}
inline Integer integerQuot(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) return IS(n.intValue() / d.intValue());
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerQuotSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d)));
}
inline Integer integerRem(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) return IS(n.intValue() % d.intValue());
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerRemSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d)));
}

inline std::pair<Integer, Integer> integerDivMod_(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) {
    const Int a = n.intValue();
    const Int b = d.intValue();
    const Int r = a % b;
    const Int adjust = detail::floorAdjust_(r, b);
    return {IS(a / b - adjust), IS(adjust != 0 ? r + b : r)};
  }
  using detail::IntegerAccess;
  return detail::integerDivModSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d));
}
inline std::pair<Integer, Integer> integerDivMod(const Integer& n, const Integer& d) {
  return integerDivMod_(n, d);
}
inline Integer integerDiv(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) {
    const Int a = n.intValue();
    const Int b = d.intValue();
    return IS(a / b - detail::floorAdjust_(a % b, b));
  }
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerDivSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d)));
}
inline Integer integerMod(const Integer& n, const Integer& d) {
  if (detail::wordDivision_(n, d)) {
    const Int b = d.intValue();
    const Int r = n.intValue() % b;
    return IS(detail::floorAdjust_(r, b) != 0 ? r + b : r);
  }
  using detail::IntegerAccess;
  return IntegerAccess::adopt(
      detail::integerModSlow(IntegerAccess::borrow(n), IntegerAccess::borrow(d)));
}

NUMKIT_API Integer integerGcd(const Integer& a, const Integer& b);
NUMKIT_API Integer integerLcm(const Integer& a, const Integer& b);
NUMKIT_API std::tuple<Integer, Integer, Integer> integerGcde_(const Integer& a, const Integer& b);
inline std::tuple<Integer, Integer, Integer> integerGcde(const Integer& a, const Integer& b) {
  return integerGcde_(a, b);
}
NUMKIT_API std::optional<Natural> integerPowMod_(const Integer& b, const Integer& e,
                                                 const Natural& m);
NUMKIT_API std::optional<Natural> integerRecipMod_(const Integer& x, const Natural& m);

// Operators.  / and % truncate toward zero, as for the built-in integers
// (integerQuot, integerRem); the flooring division is integerDiv, integerMod
// and integerDivMod.  / and % raise num::DivideByZero for a zero divisor;
// *= /= %= leave the left operand unchanged when they raise.
inline Integer operator*(const Integer& x, const Integer& y) { return integerMul(x, y); }
inline Integer operator/(const Integer& n, const Integer& d) { return integerQuot(n, d); }
inline Integer operator%(const Integer& n, const Integer& d) { return integerRem(n, d); }
// x *= y: as x = x * y; a multi-word x holding the only reference to its
// limbs takes a product by a single word in its own block when it has room.
inline Integer& operator*=(Integer& x, const Integer& y) {
  Int p;
  if (detail::bothIS_(x, y) && !__builtin_mul_overflow(x.intValue(), y.intValue(), &p))
    return x = IS(p);
  detail::integerMulAssignSlow(x, detail::IntegerAccess::borrow(y));
  return x;
}
inline Integer& operator/=(Integer& n, const Integer& d) { return n = integerQuot(n, d); }
inline Integer& operator%=(Integer& n, const Integer& d) { return n = integerRem(n, d); }

// ---------------------------------------------------------------------------
// Bitwise operations, shifts, single bits and counts, on the two's-
// complement form of unbounded width: a non-negative value's bits are those
// of its magnitude followed by zeros without end, and a negative value -m
// has the bits of NOT (m - 1) followed by ones without end.  Nothing here
// raises (but std::bad_alloc).  Bit indices and shift counts are any Word:
// a left shift by s and integerBit_ of bit i allocate about s / 64 or i / 64
// limbs; right shifts and bit tests of any index allocate at most their
// result.
//
// integerAnd, integerOr, integerXor: bitwise.  x AND -1 and x OR 0 and
// x XOR 0 are x itself; x AND 0 is 0, x OR -1 is -1 and x XOR -1 is NOT x.
// integerComplement: NOT x = -x - 1.
// integerShiftR_, integerShiftR: x shifted right arithmetically, that is
// floor(x / 2^s): a negative value rounds toward minus infinity and gives -1
// once every bit is shifted out.  s = 0 gives x itself.
// integerShiftL_, integerShiftL: x * 2^s; s = 0 gives x itself.
// integerTestBit_, integerTestBit: bit i of the two's-complement form (bits
// beyond the magnitude are the sign).
// integerBit_, integerBit: 2^i.
// integerPopCount_: the number of set bits of x for x >= 0, and MINUS the
// number of set bits of |x| for x < 0 (so -1 and -2^63 both give -1), not a
// count of the two's-complement form, which would be infinite.
// integerIsPowerOf2_: k when x = 2^k (k >= 0), nothing for every other
// value, zero and all negative values included.

namespace detail {
[[gnu::noinline]] NUMKIT_API IntegerRep integerAndSlow(IntegerRep a, IntegerRep b);
[[gnu::noinline]] NUMKIT_API IntegerRep integerOrSlow(IntegerRep a, IntegerRep b);
[[gnu::noinline]] NUMKIT_API IntegerRep integerXorSlow(IntegerRep a, IntegerRep b);
[[gnu::noinline]] NUMKIT_API IntegerRep integerComplementSlow(IntegerRep a);
[[gnu::noinline]] NUMKIT_API IntegerRep integerShiftLSlow(IntegerRep a, Word s);
[[gnu::noinline]] NUMKIT_API IntegerRep integerShiftRSlow(IntegerRep a, Word s);
[[gnu::noinline]] NUMKIT_API IntegerRep integerBitSlow(Word i);
// Bit i of -m, for the magnitude m of an IN.
[[gnu::noinline]] NUMKIT_API Int integerTestBitNegSlow(const BigNat_& m, Word i) noexcept;

// The out-of-line form f of an operation, called on the caller's values.
template <IntegerRep (*f)(IntegerRep, IntegerRep)>
inline Integer integerOutOfLine(const Integer& a, const Integer& b) {
  return IntegerAccess::adopt(f(IntegerAccess::borrow(a), IntegerAccess::borrow(b)));
}
template <IntegerRep (*f)(IntegerRep, Word)>
inline Integer integerOutOfLine(const Integer& a, Word s) {
  return IntegerAccess::adopt(f(IntegerAccess::borrow(a), s));
}
}  // namespace detail

// The single-word paths are marked likely so that the compiler lays them out
// as the straight line of a loop around them.
inline Integer integerAnd(const Integer& a, const Integer& b) {
  if (detail::bothIS_(a, b)) [[likely]]
    return IS(a.intValue() & b.intValue());
  return detail::integerOutOfLine<detail::integerAndSlow>(a, b);
}
inline Integer integerOr(const Integer& a, const Integer& b) {
  if (detail::bothIS_(a, b)) [[likely]]
    return IS(a.intValue() | b.intValue());
  return detail::integerOutOfLine<detail::integerOrSlow>(a, b);
}
inline Integer integerXor(const Integer& a, const Integer& b) {
  if (detail::bothIS_(a, b)) [[likely]]
    return IS(a.intValue() ^ b.intValue());
  return detail::integerOutOfLine<detail::integerXorSlow>(a, b);
}
inline Integer integerComplement(const Integer& a) {
  if (a.isIS()) [[likely]]
    return IS(~a.intValue());
  return detail::IntegerAccess::adopt(
      detail::integerComplementSlow(detail::IntegerAccess::borrow(a)));
}

// A signed word stays one while shifting it back gives it again.
inline Integer integerShiftL_(const Integer& a, Word s) {
  if (a.isIS() && s < 64) [[likely]] {
    const auto r = static_cast<Int>(static_cast<Word>(a.intValue()) << s);
    if (r >> s == a.intValue()) [[likely]]
      return IS(r);
  }
  return detail::integerOutOfLine<detail::integerShiftLSlow>(a, s);
}
inline Integer integerShiftL(const Integer& a, Word s) { return integerShiftL_(a, s); }
// Any s of 63 or more leaves only copies of the sign bit.
inline Integer integerShiftR_(const Integer& a, Word s) {
  if (a.isIS()) [[likely]]
    return IS(a.intValue() >> (s < 63 ? s : 63));
  return detail::integerOutOfLine<detail::integerShiftRSlow>(a, s);
}
inline Integer integerShiftR(const Integer& a, Word s) { return integerShiftR_(a, s); }

inline Int integerTestBit_(const Integer& a, Word i) noexcept {
  if (a.isIS()) return (a.intValue() >> (i < 63 ? i : 63)) & 1;
  if (a.isIP()) return bigNatTestBit_(a.magnitude(), i);
  return detail::integerTestBitNegSlow(a.magnitude(), i);
}
inline bool integerTestBit(const Integer& a, Word i) noexcept { return integerTestBit_(a, i) != 0; }
// 2^63 and above do not fit a signed word.
inline Integer integerBit_(Word i) {
  if (i < 63) return IS(Int{1} << i);
  return detail::IntegerAccess::adopt(detail::integerBitSlow(i));
}
inline Integer integerBit(Word i) { return integerBit_(i); }

inline Int integerPopCount_(const Integer& a) noexcept {
  if (a.isIS()) {
    const Int i = a.intValue();
    const auto count = static_cast<Int>(std::popcount(wordFromAbsInt_(i)));
    return i < 0 ? -count : count;
  }
  const auto count = static_cast<Int>(bigNatPopCount(a.magnitude()));
  return a.isIN() ? -count : count;
}
inline std::optional<Word> integerIsPowerOf2_(const Integer& a) noexcept {
  if (a.isIS()) {
    if (a.intValue() <= 0) return std::nullopt;
    return wordIsPowerOf2_(static_cast<Word>(a.intValue()));
  }
  if (a.isIN()) return std::nullopt;
  return bigNatIsPowerOf2_(a.magnitude());
}

// ---------------------------------------------------------------------------
// Logarithms and digit counts.  Only the base checks raise (num::Overflow),
// and never for a negative x.
//
// integerLog2_, integerLog2: floor(log2 x) for x > 0; 0 for every x <= 0.
// integerLogBaseWord_(b, x), integerLogBaseWord: 0 for x < 0 (the base is
// not looked at); otherwise naturalLogBaseWord_(b, x), so zero gives 2^64 - 1
// in base 2 and 0 in every other base, and b < 2 raises num::Overflow.
// integerLogBase_(b, x), integerLogBase: 0 for x < 0; otherwise
// naturalLogBase_(|b|, x): the sign of the base is dropped.
// integerSizeInBase_(b, x): the number of base-b digits of |x|, 0 for zero
// whatever b is; raises num::Overflow for b < 2 and x != 0.

inline Word integerLog2_(const Integer& x) noexcept {
  if (x.isIS()) return x.intValue() > 0 ? wordLog2_(static_cast<Word>(x.intValue())) : 0;
  return x.isIP() ? bigNatLog2_(x.magnitude()) : 0;
}
inline Word integerLog2(const Integer& x) noexcept { return integerLog2_(x); }
NUMKIT_API Word integerLogBaseWord_(Word base, const Integer& x);
inline Word integerLogBaseWord(Word base, const Integer& x) { return integerLogBaseWord_(base, x); }
NUMKIT_API Word integerLogBase_(const Integer& base, const Integer& x);
inline Word integerLogBase(const Integer& base, const Integer& x) {
  return integerLogBase_(base, x);
}
NUMKIT_API Word integerSizeInBase_(Word base, const Integer& x);

// ---------------------------------------------------------------------------
// Floating point.  Nothing here raises but integerFromDouble.
//
// integerEncodeDouble_(x, e), integerEncodeDouble: x * 2^e.  A signed word
// is rounded to the nearest double (ties to even), and for e != 0 the scaled
// result is rounded once more where it falls below the normal range.  A
// multi-word value is truncated toward zero: to its 53 highest bits, and
// below the normal range to the bits a subnormal keeps.  Any exponent is
// accepted: beyond the double range the result is an infinity of x's sign,
// below it a zero of x's sign.
// integerEncodeFloat_(x, e): that double rounded to the nearest float (two
// roundings).
// integerDecodeDouble_(d): (m, e) with d = m * 2^e exactly, m an IS with
// |m| < 2^53; 0, NaN and the infinities give (0, 0).
// toDouble(x): integerEncodeDouble_(x, 0).
// integerFromDouble(d): d truncated toward zero; raises num::Overflow for
// NaN and the infinities.

inline double integerEncodeDouble_(const Integer& x, Int e) noexcept {
  if (x.isIS()) {
    return e == 0 ? static_cast<double>(x.intValue()) : intEncodeDouble_(x.intValue(), e);
  }
  const double d = bigNatEncodeDouble_(x.magnitude(), e);
  return x.isIN() ? -d : d;
}
inline double integerEncodeDouble(const Integer& x, Int e) noexcept {
  return integerEncodeDouble_(x, e);
}
inline float integerEncodeFloat_(const Integer& x, Int e) noexcept {
  return static_cast<float>(integerEncodeDouble_(x, e));
}
inline std::pair<Integer, Int> integerDecodeDouble_(double d) noexcept {
  const std::pair<Int, Int> me = decodeDouble(d);
  return {integerFromInt64_(me.first), me.second};
}
inline double toDouble(const Integer& x) noexcept { return integerEncodeDouble_(x, 0); }
NUMKIT_API Integer integerFromDouble(double d);

// ---------------------------------------------------------------------------
// Memory: the magnitude |x| as a string of bytes in base 256, least
// significant first (little-endian, msbf = 0) or most significant first
// (big-endian, any other msbf).  The sign is not recorded: an export writes
// the significant bytes of |x| (none for zero) and returns their count; an
// import reads exactly n bytes (zero bytes at the significant end included)
// and gives a value >= 0.
//
// The address forms trust the pointer: the caller provides room for the
// whole string (integerSizeInBase_(256, x) bytes), and nothing is checked.
// The byte-array forms check, before touching any byte, that the whole
// string lies within the array's recorded size, and otherwise throw
// std::out_of_range and leave the array unchanged.

inline Word integerToAddr_(const Integer& x, void* p, Int msbf) noexcept {
  if (x.isIS()) return wordToAddr_(wordFromAbsInt_(x.intValue()), p, msbf);
  return bigNatToAddr_(x.magnitude(), p, msbf);
}
inline Word integerToAddr(const Integer& x, void* p, Int msbf) noexcept {
  return integerToAddr_(x, p, msbf);
}
inline Word integerToMutableByteArray_(const Integer& x, MutableByteArray_& a, Word offset,
                                       Int msbf) {
  if (x.isIS()) return wordToMutableByteArray_(wordFromAbsInt_(x.intValue()), a, offset, msbf);
  return bigNatToMutableByteArray_(x.magnitude(), a, offset, msbf);
}
inline Word integerToMutableByteArray(const Integer& x, MutableByteArray_& a, Word offset,
                                      Int msbf) {
  return integerToMutableByteArray_(x, a, offset, msbf);
}
inline Integer integerFromAddr_(Word n, const void* p, Int msbf) {
  return integerFromBigNat_(bigNatFromAddr_(n, p, msbf));
}
inline Integer integerFromAddr(Word n, const void* p, Int msbf) {
  return integerFromAddr_(n, p, msbf);
}
inline Integer integerFromByteArray_(Word n, const ByteArray_& a, Word offset, Int msbf) {
  return integerFromBigNat_(bigNatFromByteArray_(n, a, offset, msbf));
}
inline Integer integerFromByteArray(Word n, const ByteArray_& a, Word offset, Int msbf) {
  return integerFromByteArray_(n, a, offset, msbf);
}

// Operators.  The shift count is a Word; >> is the flooring shift
// (integerShiftR_), as for the built-in signed integers.
inline Integer operator&(const Integer& a, const Integer& b) { return integerAnd(a, b); }
inline Integer operator|(const Integer& a, const Integer& b) { return integerOr(a, b); }
inline Integer operator^(const Integer& a, const Integer& b) { return integerXor(a, b); }
inline Integer operator~(const Integer& a) { return integerComplement(a); }
inline Integer operator<<(const Integer& a, Word s) { return integerShiftL_(a, s); }
inline Integer operator>>(const Integer& a, Word s) { return integerShiftR_(a, s); }
inline Integer& operator&=(Integer& a, const Integer& b) { return a = integerAnd(a, b); }
inline Integer& operator|=(Integer& a, const Integer& b) { return a = integerOr(a, b); }
inline Integer& operator^=(Integer& a, const Integer& b) { return a = integerXor(a, b); }
inline Integer& operator<<=(Integer& a, Word s) { return a = integerShiftL_(a, s); }
inline Integer& operator>>=(Integer& a, Word s) { return a = integerShiftR_(a, s); }

NUMKIT_END_NAMESPACE

// The operators on mixed operands and the checked conversions to built-in
// integers.
#include "Num/Mixed.hpp"  // IWYU pragma: export
