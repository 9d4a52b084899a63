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
// The single-word cases of comparison, equality, addition, subtraction and
// negation are inline, and so are comparisons that the forms alone decide;
// each calls one out-of-line function only when an operand is multi-word or
// the result leaves the signed word range.
//
// Raising: only integerToNaturalThrow of a negative value (num::Underflow).
// Nothing else here raises, except std::bad_alloc when memory runs out.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"
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
  // The value of a Natural (see integerFromNatural).
  explicit Integer(const Natural& n);

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

 private:
  static constexpr Int kTagIP = 0;
  static constexpr Int kTagIN = 1;

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
inline Integer& operator+=(Integer& x, const Integer& y) { return x = integerAdd(x, y); }
inline Integer& operator-=(Integer& x, const Integer& y) { return x = integerSub(x, y); }

NUMKIT_END_NAMESPACE
