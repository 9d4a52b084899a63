// Natural: a non-negative number of any size.
//
// A Natural is one of two forms, and every value has exactly one of them:
// - NS w: a single word, any value in [0, 2^64 - 1];
// - NB p: a normalised magnitude (BigNat_) of at least two limbs, so a value
//   of at least 2^64.
// Zero is NS 0.  Hence every NB is greater than every NS, and two values are
// equal exactly when they have the same form and the same word or limbs.
//
// Values are immutable.  An operation returns one of its arguments itself, a
// shared constant, or a fresh value; a fresh NB may share its limbs with an
// argument.  NS values never allocate and never touch a reference count.
//
// The single-word cases of comparison, addition, subtraction,
// multiplication, quotient and remainder, of the bit operations and of
// shifts that stay in the word are inline, and so are comparisons that the
// forms alone decide; each calls one out-of-line function only when an
// operand is multi-word, a result leaves the word, or a divisor is zero.
//
// Raising, always before anything is allocated:
// - num::Underflow: naturalSubThrow (and binary operator-, operator-=) when
//   the difference would be negative, naturalNegate (and unary operator-) of
//   a non-zero value, naturalFromDouble of a value of -1 or less;
// - num::DivideByZero: every quotient and remainder (naturalQuotRem_,
//   naturalQuotRem, naturalQuot, naturalRem, operator/, operator%, /=, %=)
//   by zero, and naturalPowMod with modulus zero;
// - num::Overflow: the logarithms and digit counts in a base below 2
//   (naturalLogBaseWord_, naturalLogBase_, naturalSizeInBase_ of a non-zero
//   value) and naturalFromDouble of NaN or an infinity;
// - std::out_of_range: the byte-array forms of export and import when the
//   bytes do not lie within the array.
// Nothing else here raises, except std::bad_alloc when memory runs out.
#pragma once

#include <bit>
#include <compare>
#include <concepts>
#include <optional>
#include <span>
#include <utility>

#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

class Natural;
class Integer;
Natural NS(Word w) noexcept;
Natural NB(BigNat_ p) noexcept;

namespace detail {
// A Natural's two words, passed and returned in registers across the
// out-of-line boundary, so that no caller's value has its address taken and
// temporaries stay in registers.  As an argument it borrows the caller's
// reference; as a result it carries one reference, which the caller adopts.
struct NaturalRep {
  Word w;
  rt::BlockHeader* h;
};
// Raw access to a value made of one word and one block handle (Natural and
// Integer), for the out-of-line paths.
template <class Value, class Rep>
struct ValueAccess;
using NaturalAccess = ValueAccess<Natural, NaturalRep>;

// The built-in unsigned types a Natural converts from exactly.
template <class T>
concept BuiltinUnsigned = std::unsigned_integral<T> && !std::same_as<T, bool> && sizeof(T) <= 8;
// The built-in signed types a Natural converts from when the value is >= 0.
template <class T>
concept BuiltinSigned = std::signed_integral<T> && sizeof(T) <= 8;
// v as a word; raises num::Underflow when v < 0.
template <BuiltinSigned T>
inline Word nonNegativeWord(T v) {
  if (v < 0) raiseUnderflow();
  return static_cast<Word>(v);
}
}  // namespace detail

class Natural {
 public:
  // Zero.
  Natural() noexcept : w_(0), m_(rt::AbsentTag{}) {}
  // The exact value of an unsigned built-in integer.
  template <detail::BuiltinUnsigned T>
  Natural(T v) noexcept : w_(v), m_(rt::AbsentTag{}) {}
  // The exact value of a signed built-in integer; raises num::Underflow when
  // v < 0.
  template <detail::BuiltinSigned T>
  Natural(T v) : w_(detail::nonNegativeWord(v)), m_(rt::AbsentTag{}) {}
  // The value of x; raises num::Underflow when x < 0 (integerToNaturalThrow).
  // Defined with Integer, in Num/Integer.hpp.
  explicit Natural(const Integer& x);

  // Copies share the limbs.  A moved-from value is a valid single word.
  Natural(const Natural&) noexcept = default;
  Natural(Natural&&) noexcept = default;
  Natural& operator=(const Natural&) noexcept = default;
  Natural& operator=(Natural&&) noexcept = default;
  ~Natural() = default;

  // Inspection for embedders: the form, the word of an NS, the limbs of an NB.
  // word() and bigNat() are unchecked, for speed: call them only for the
  // form isNS() or isNB() reports.  The wrong form is caught by an assertion
  // in debug builds only; in a release build word() of an NB reads 0 and
  // bigNat() of an NS gives an absent array that every BigNat operation
  // crashes on.
  bool isNS() const noexcept { return m_.isAbsent(); }
  bool isNB() const noexcept { return !m_.isAbsent(); }
  Word word() const noexcept {
    assert(isNS());
    return w_;
  }
  const BigNat_& bigNat() const noexcept {
    assert(isNB());
    return m_;
  }

  // Whether the value is non-zero.
  explicit operator bool() const noexcept { return !m_.isAbsent() || w_ != 0; }

 private:
  Natural(Word w, WordArray_ m) noexcept : w_(w), m_(std::move(m)) {}
  friend Natural NS(Word w) noexcept;
  friend Natural NB(BigNat_ p) noexcept;
  friend struct detail::ValueAccess<Natural, detail::NaturalRep>;

  Word w_;        // the value of an NS; 0 for an NB
  WordArray_ m_;  // absent for an NS, the limbs of an NB
};
static_assert(sizeof(Natural) == 16, "a Natural is one word and one pointer");

namespace detail {
template <class Value, class Rep>
struct ValueAccess {
  // Borrows v's reference.
  static Rep borrow(const Value& v) noexcept {
    return {v.w_, const_cast<rt::BlockHeader*>(v.m_.block())};
  }
  // Takes over the reference r carries.
  static Value adopt(Rep r) noexcept { return Value(r.w, WordArray_::adopt(r.h)); }
  // Whether both values are single words: one test of the two block pointers.
  static bool bothSingle(const Value& a, const Value& b) noexcept {
    return (reinterpret_cast<std::uintptr_t>(a.m_.block()) |
            reinterpret_cast<std::uintptr_t>(b.m_.block())) == 0;
  }
  // Moves v's reference into the result; v is left without one.
  static Rep release(Value&& v) noexcept {
    const Rep r = borrow(v);
    ::new (static_cast<void*>(&v.m_)) WordArray_(rt::AbsentTag{});
    return r;
  }
};
}  // namespace detail

// ---------------------------------------------------------------------------
// Construction and conversion.  Nothing here raises.

// The bare constructors: they build the form they name without any test (an
// NB of fewer than two limbs breaks the invariant; naturalCheck_ reports it).
inline Natural NS(Word w) noexcept { return Natural(w, WordArray_(rt::AbsentTag{})); }
inline Natural NB(BigNat_ p) noexcept {
  assert(!p.isAbsent());
  return Natural(0, std::move(p));
}

// The shared constants NS 0 and NS 1 (no storage behind them).
inline Natural naturalZero() noexcept { return NS(0); }
inline Natural naturalOne() noexcept { return NS(1); }

// The value of a normalised magnitude: NS for zero and one limb, else NB
// wrapping p itself (no limb is copied, p is not trimmed).
NUMKIT_API Natural naturalFromBigNat_(BigNat_ p) noexcept;
// The magnitude: NS x gives bigNatFromWord_ x (the shared zero for 0, else a
// fresh [x]); NB p gives p itself.
NUMKIT_API BigNat_ naturalToBigNat_(const Natural& n);

inline Natural naturalFromWord_(Word w) noexcept { return NS(w); }
inline Natural naturalFromWord(Word w) noexcept { return NS(w); }
// hi * 2^64 + lo: NS when hi = 0, else NB of a fresh [lo, hi] (also for lo = 0).
NUMKIT_API Natural naturalFromWord2_(Word hi, Word lo);
// The value of a word list, most significant first (leading zeros ignored).
NUMKIT_API Natural naturalFromWordList(std::span<const Word> msFirst);

// The value modulo 2^64.
inline Word naturalToWord_(const Natural& n) noexcept {
  return n.isNS() ? n.word() : n.bigNat()[0];
}
inline Word naturalToWord(const Natural& n) noexcept { return naturalToWord_(n); }
// The value, or 2^64 - 1 when it does not fit a word.
inline Word naturalToWordClamp_(const Natural& n) noexcept {
  return n.isNS() ? n.word() : ~Word{0};
}
inline Word naturalToWordClamp(const Natural& n) noexcept { return naturalToWordClamp_(n); }
// The value when it fits a word, else nothing.
inline std::optional<Word> naturalToWordMaybe_(const Natural& n) noexcept {
  if (n.isNB()) return std::nullopt;
  return n.word();
}

// ---------------------------------------------------------------------------
// Validity, predicates and sign.

// Whether n is in normal form: every NS is; an NB must hold a whole number of
// limbs, at least two, the most significant one non-zero.  Nothing else in
// the library calls this: operations trust their arguments.
NUMKIT_API Int naturalCheck_(const Natural& n) noexcept;
inline bool naturalCheck(const Natural& n) noexcept { return naturalCheck_(n) != 0; }

inline bool naturalIsZero(const Natural& n) noexcept { return n.isNS() && n.word() == 0; }
inline bool naturalIsOne(const Natural& n) noexcept { return n.isNS() && n.word() == 1; }
// naturalZero for zero, naturalOne for every other value.
inline Natural naturalSignum(const Natural& n) noexcept {
  return naturalIsZero(n) ? naturalZero() : naturalOne();
}
// naturalZero for zero; raises num::Underflow for every other value.
inline Natural naturalNegate(const Natural& n) {
  if (!naturalIsZero(n)) raiseUnderflow();
  return naturalZero();
}

// ---------------------------------------------------------------------------
// Comparison.  Forms decide before limbs: an NS is below every NB.  The `_`
// forms return 1 or 0.  num::max of equal values returns its second argument
// and num::min its first; each returns one of its arguments (sharing limbs).

namespace detail {
// Only true when both operands are single words.
inline bool bothNS_(const Natural& a, const Natural& b) noexcept {
  return NaturalAccess::bothSingle(a, b);
}
// The cases with a multi-word operand.
[[gnu::noinline]] NUMKIT_API Ordering naturalCompareSlow(NaturalRep a, NaturalRep b) noexcept;
[[gnu::noinline]] NUMKIT_API bool naturalEqSlow(NaturalRep a, NaturalRep b) noexcept;
inline Ordering naturalCompareSlow(const Natural& a, const Natural& b) noexcept {
  return naturalCompareSlow(NaturalAccess::borrow(a), NaturalAccess::borrow(b));
}
}  // namespace detail

inline Ordering naturalCompare(const Natural& a, const Natural& b) noexcept {
  if (detail::bothNS_(a, b)) {
    const Word x = a.word();
    const Word y = b.word();
    return x < y ? Ordering::LT : x == y ? Ordering::EQ : Ordering::GT;
  }
  if (a.isNS()) return Ordering::LT;  // one multi-word operand: the forms decide
  if (b.isNS()) return Ordering::GT;
  return detail::naturalCompareSlow(a, b);
}
inline bool naturalEq(const Natural& a, const Natural& b) noexcept {
  if (detail::bothNS_(a, b)) return a.word() == b.word();
  if (a.isNS() || b.isNS()) return false;
  return detail::naturalEqSlow(detail::NaturalAccess::borrow(a), detail::NaturalAccess::borrow(b));
}
inline bool naturalNe(const Natural& a, const Natural& b) noexcept { return !naturalEq(a, b); }
inline bool naturalLt(const Natural& a, const Natural& b) noexcept {
  if (detail::bothNS_(a, b)) return a.word() < b.word();
  if (a.isNS() || b.isNS()) return a.isNS();
  return detail::naturalCompareSlow(a, b) == Ordering::LT;
}
inline bool naturalLe(const Natural& a, const Natural& b) noexcept {
  if (detail::bothNS_(a, b)) return a.word() <= b.word();
  if (a.isNS() || b.isNS()) return a.isNS();
  return detail::naturalCompareSlow(a, b) != Ordering::GT;
}
inline bool naturalGt(const Natural& a, const Natural& b) noexcept { return naturalLt(b, a); }
inline bool naturalGe(const Natural& a, const Natural& b) noexcept { return naturalLe(b, a); }
inline Int naturalEq_(const Natural& a, const Natural& b) noexcept { return naturalEq(a, b); }
inline Int naturalNe_(const Natural& a, const Natural& b) noexcept { return naturalNe(a, b); }
inline Int naturalLt_(const Natural& a, const Natural& b) noexcept { return naturalLt(a, b); }
inline Int naturalLe_(const Natural& a, const Natural& b) noexcept { return naturalLe(a, b); }
inline Int naturalGt_(const Natural& a, const Natural& b) noexcept { return naturalGt(a, b); }
inline Int naturalGe_(const Natural& a, const Natural& b) noexcept { return naturalGe(a, b); }

// ---------------------------------------------------------------------------
// Addition and subtraction.
//
// naturalAdd: a + b; the only allocation of the word case is the two-limb
// result of a sum that carries.
// naturalSub: a - b, or nothing when a < b.
// naturalSubThrow: a - b; raises num::Underflow when a < b.
// naturalSubUnsafe: a - b for a >= b, not tested; a < b gives the wrapped
// difference when both are single words and zero otherwise.

namespace detail {
[[gnu::noinline]] NUMKIT_API NaturalRep naturalAddSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API std::optional<Natural> naturalSubSlow(const Natural& a,
                                                                   const Natural& b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalSubThrowSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalSubUnsafeSlow(NaturalRep a, NaturalRep b);
// a += b and a -= b, rewriting a's limbs in place when a holds the only
// reference to them (see operator+=).
[[gnu::noinline]] NUMKIT_API void naturalAddAssignSlow(Natural& a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API void naturalSubAssignSlow(Natural& a, NaturalRep b);
}  // namespace detail

inline Natural naturalAdd(const Natural& a, const Natural& b) {
  Word s;
  if (detail::bothNS_(a, b) && !__builtin_add_overflow(a.word(), b.word(), &s)) return NS(s);
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalAddSlow(NaturalAccess::borrow(a), NaturalAccess::borrow(b)));
}
inline std::optional<Natural> naturalSub(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) {
    Word d;
    if (__builtin_sub_overflow(a.word(), b.word(), &d)) return std::nullopt;
    return NS(d);
  }
  return detail::naturalSubSlow(a, b);
}
inline Natural naturalSubThrow(const Natural& a, const Natural& b) {
  Word d;
  if (detail::bothNS_(a, b) && !__builtin_sub_overflow(a.word(), b.word(), &d)) return NS(d);
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalSubThrowSlow(NaturalAccess::borrow(a), NaturalAccess::borrow(b)));
}
inline Natural naturalSubUnsafe(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) return NS(a.word() - b.word());
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalSubUnsafeSlow(NaturalAccess::borrow(a), NaturalAccess::borrow(b)));
}

// ---------------------------------------------------------------------------
// Operators, forwarding to the operations above.  Binary - and -= raise
// num::Underflow when the difference would be negative; unary - raises it for
// every value but zero.

inline bool operator==(const Natural& a, const Natural& b) noexcept { return naturalEq(a, b); }
inline bool operator!=(const Natural& a, const Natural& b) noexcept { return naturalNe(a, b); }
inline bool operator<(const Natural& a, const Natural& b) noexcept { return naturalLt(a, b); }
inline bool operator<=(const Natural& a, const Natural& b) noexcept { return naturalLe(a, b); }
inline bool operator>(const Natural& a, const Natural& b) noexcept { return naturalGt(a, b); }
inline bool operator>=(const Natural& a, const Natural& b) noexcept { return naturalGe(a, b); }
inline std::strong_ordering operator<=>(const Natural& a, const Natural& b) noexcept {
  return toStrongOrdering(naturalCompare(a, b));
}
inline Ordering compare(const Natural& a, const Natural& b) noexcept {
  return naturalCompare(a, b);
}
inline Natural max(const Natural& a, const Natural& b) noexcept { return naturalLe(a, b) ? b : a; }
inline Natural min(const Natural& a, const Natural& b) noexcept { return naturalLe(a, b) ? a : b; }

inline Natural operator+(const Natural& a, const Natural& b) { return naturalAdd(a, b); }
inline Natural operator-(const Natural& a, const Natural& b) { return naturalSubThrow(a, b); }
inline Natural operator-(const Natural& a) { return naturalNegate(a); }
// a += b and a -= b give a the value a + b and a - b.  When a is the only
// holder of its limbs and their block has room, the result is written into
// that block instead of a new one: no other value can observe it, since a
// copy of a would hold a second reference.  A running sum thus allocates
// only when it outgrows its block.  -= raises num::Underflow when a < b,
// leaving a unchanged.
inline Natural& operator+=(Natural& a, const Natural& b) {
  Word s;
  if (detail::bothNS_(a, b) && !__builtin_add_overflow(a.word(), b.word(), &s)) return a = NS(s);
  detail::naturalAddAssignSlow(a, detail::NaturalAccess::borrow(b));
  return a;
}
inline Natural& operator-=(Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b) && a.word() >= b.word()) return a = NS(a.word() - b.word());
  detail::naturalSubAssignSlow(a, detail::NaturalAccess::borrow(b));
  return a;
}
// A temporary left operand takes the result into its own limbs.
inline Natural operator+(Natural&& a, const Natural& b) { return std::move(a += b); }
inline Natural operator+(const Natural& a, Natural&& b) { return std::move(b += a); }
inline Natural operator+(Natural&& a, Natural&& b) { return std::move(a += b); }
inline Natural operator-(Natural&& a, const Natural& b) { return std::move(a -= b); }

// ---------------------------------------------------------------------------
// Multiplication, division, gcd and powers.
//
// naturalMul: a * b; multiplying by 0 gives naturalZero and by 1 the other
// argument itself.  Two single words are multiplied inline; only a product
// of 2^64 or more allocates (its two limbs).
// naturalSqr: a * a.
// naturalQuotRem_, naturalQuotRem: (n / d, n % d), truncating; naturalQuot
// and naturalRem compute one of the two.  Every one of them raises
// num::DivideByZero for d = 0, also when n and d are single words.  Single
// words are divided inline.  A quotient by 1 is n itself, a remainder of n
// below a multi-word d is n itself.
// naturalGcd: gcd(a, b); gcd(0, b) is b itself, gcd(a, 0) is a itself.
// naturalLcm: lcm(a, b); 0 when either is 0; lcm(1, b) is b itself, lcm(a, 1)
// is a itself.
// naturalPowMod: b^e mod m; raises num::DivideByZero for m = 0 (before
// anything else is looked at); m = 1 gives 0, and otherwise e = 0 gives 1.

namespace detail {
[[gnu::noinline]] NUMKIT_API NaturalRep naturalMulSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API void naturalMulAssignSlow(Natural& a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API std::pair<Natural, Natural> naturalQuotRemSlow(NaturalRep n,
                                                                            NaturalRep d);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalQuotSlow(NaturalRep n, NaturalRep d);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalRemSlow(NaturalRep n, NaturalRep d);
// Whether both operands are single words and d is not zero: the case of
// machine division.  A zero divisor goes out of line, where it raises.
inline bool wordDivision_(const Natural& n, const Natural& d) noexcept {
  return bothNS_(n, d) && d.word() != 0;
}
}  // namespace detail

inline Natural naturalMul(const Natural& a, const Natural& b) {
  Word p;
  if (detail::bothNS_(a, b) && !__builtin_mul_overflow(a.word(), b.word(), &p)) return NS(p);
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalMulSlow(NaturalAccess::borrow(a), NaturalAccess::borrow(b)));
}
inline Natural naturalSqr(const Natural& a) { return naturalMul(a, a); }

inline std::pair<Natural, Natural> naturalQuotRem_(const Natural& n, const Natural& d) {
  if (detail::wordDivision_(n, d)) return {NS(n.word() / d.word()), NS(n.word() % d.word())};
  using detail::NaturalAccess;
  return detail::naturalQuotRemSlow(NaturalAccess::borrow(n), NaturalAccess::borrow(d));
}
inline std::pair<Natural, Natural> naturalQuotRem(const Natural& n, const Natural& d) {
  return naturalQuotRem_(n, d);
}
inline Natural naturalQuot(const Natural& n, const Natural& d) {
  if (detail::wordDivision_(n, d)) return NS(n.word() / d.word());
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalQuotSlow(NaturalAccess::borrow(n), NaturalAccess::borrow(d)));
}
inline Natural naturalRem(const Natural& n, const Natural& d) {
  if (detail::wordDivision_(n, d)) return NS(n.word() % d.word());
  using detail::NaturalAccess;
  return NaturalAccess::adopt(
      detail::naturalRemSlow(NaturalAccess::borrow(n), NaturalAccess::borrow(d)));
}

NUMKIT_API Natural naturalGcd(const Natural& a, const Natural& b);
NUMKIT_API Natural naturalLcm(const Natural& a, const Natural& b);
NUMKIT_API Natural naturalPowMod(const Natural& b, const Natural& e, const Natural& m);

// Operators.  / and % raise num::DivideByZero for a zero divisor; *= /= %=
// leave the left operand unchanged when they raise.
inline Natural operator*(const Natural& a, const Natural& b) { return naturalMul(a, b); }
inline Natural operator/(const Natural& n, const Natural& d) { return naturalQuot(n, d); }
inline Natural operator%(const Natural& n, const Natural& d) { return naturalRem(n, d); }
// a *= b: as a = a * b; a multi-word a holding the only reference to its
// limbs takes a product by a single word in its own block when it has room.
inline Natural& operator*=(Natural& a, const Natural& b) {
  Word p;
  if (detail::bothNS_(a, b) && !__builtin_mul_overflow(a.word(), b.word(), &p)) return a = NS(p);
  detail::naturalMulAssignSlow(a, detail::NaturalAccess::borrow(b));
  return a;
}
inline Natural& operator/=(Natural& n, const Natural& d) { return n = naturalQuot(n, d); }
inline Natural& operator%=(Natural& n, const Natural& d) { return n = naturalRem(n, d); }

// ---------------------------------------------------------------------------
// Bit operations, shifts, single bits, counts, logarithms, floating
// conversion and memory.
//
// Bit i has weight 2^i.  Bit indices and shift counts are any Word, without
// bound: a left shift by s, and naturalBit_, naturalSetBit_ or
// naturalComplementBit_ of bit i, allocate about s / 64 or i / 64 limbs
// (std::bad_alloc when that cannot be had); right shifts, bit tests and bit
// clears of any index allocate at most their result.
//
// naturalAnd, naturalAndNot (a AND NOT b), naturalOr, naturalXor: bitwise.
// A word ANDed with anything is a single word and reads limb 0 only.
// naturalShiftL_, naturalShiftL: n * 2^s; zero shifted is zero itself.
// naturalShiftR_, naturalShiftR: n div 2^s; 0 once every bit is shifted out.
// naturalTestBit_, naturalTestBit: bit i of n.
// naturalBit_, naturalBit: 2^i.
// naturalSetBit_, naturalClearBit_, naturalComplementBit_ (and the forms
// without _): n with bit i set, cleared or flipped; clearing a bit beyond
// a single word gives n itself.
// naturalPopCount_, naturalPopCount: the number of set bits.
// naturalIsPowerOf2_: k when n = 2^k, nothing otherwise (zero included).
// naturalLog2_, naturalLog2: the index of the highest set bit; zero gives
// 2^64 - 1.
// naturalLogBaseWord_(b, n), naturalLogBaseWord: floor(log_b n).  Raises
// num::Overflow for b < 2 before anything else.  Zero gives 2^64 - 1 in base
// 2 (naturalLog2_) and 0 in every other base.
// naturalLogBase_(b, n), naturalLogBase: the same for a Natural base; a
// multi-word base with a single-word n gives 0 without testing the base.
// naturalSizeInBase_(b, n): the number of base-b digits, 0 for zero
// whatever b is; raises num::Overflow for b < 2 and n != 0.

namespace detail {
[[gnu::noinline]] NUMKIT_API NaturalRep naturalAndSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalAndNotSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalOrSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalXorSlow(NaturalRep a, NaturalRep b);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalShiftLSlow(NaturalRep n, Word s);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalShiftRSlow(NaturalRep n, Word s);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalBitSlow(Word i);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalSetBitSlow(NaturalRep n, Word i);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalClearBitSlow(NaturalRep n, Word i);
[[gnu::noinline]] NUMKIT_API NaturalRep naturalComplementBitSlow(NaturalRep n, Word i);

// The out-of-line form f of an operation, called on the caller's values.
template <NaturalRep (*f)(NaturalRep, NaturalRep)>
inline Natural naturalOutOfLine(const Natural& a, const Natural& b) {
  return NaturalAccess::adopt(f(NaturalAccess::borrow(a), NaturalAccess::borrow(b)));
}
template <NaturalRep (*f)(NaturalRep, Word)>
inline Natural naturalOutOfLine(const Natural& n, Word s) {
  return NaturalAccess::adopt(f(NaturalAccess::borrow(n), s));
}
// Whether n is a single word and bit i lies in it.
inline bool inWord_(const Natural& n, Word i) noexcept { return n.isNS() && i < 64; }
}  // namespace detail

inline Natural naturalAnd(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) return NS(a.word() & b.word());
  return detail::naturalOutOfLine<detail::naturalAndSlow>(a, b);
}
inline Natural naturalAndNot(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) return NS(a.word() & ~b.word());
  return detail::naturalOutOfLine<detail::naturalAndNotSlow>(a, b);
}
inline Natural naturalOr(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) return NS(a.word() | b.word());
  return detail::naturalOutOfLine<detail::naturalOrSlow>(a, b);
}
inline Natural naturalXor(const Natural& a, const Natural& b) {
  if (detail::bothNS_(a, b)) return NS(a.word() ^ b.word());
  return detail::naturalOutOfLine<detail::naturalXorSlow>(a, b);
}

// A single word stays one while no set bit is shifted past the top.
inline Natural naturalShiftL_(const Natural& n, Word s) {
  if (n.isNS() && n.word() != 0 && s <= static_cast<Word>(std::countl_zero(n.word()))) {
    return NS(n.word() << s);
  }
  if (naturalIsZero(n)) return n;
  return detail::naturalOutOfLine<detail::naturalShiftLSlow>(n, s);
}
inline Natural naturalShiftL(const Natural& n, Word s) { return naturalShiftL_(n, s); }
inline Natural naturalShiftR_(const Natural& n, Word s) {
  if (n.isNS()) return NS(shiftRW_(n.word(), s));
  return detail::naturalOutOfLine<detail::naturalShiftRSlow>(n, s);
}
inline Natural naturalShiftR(const Natural& n, Word s) { return naturalShiftR_(n, s); }

inline Int naturalTestBit_(const Natural& n, Word i) noexcept {
  if (n.isNS()) return i < 64 ? static_cast<Int>((n.word() >> i) & 1) : 0;
  return bigNatTestBit_(n.bigNat(), i);
}
inline bool naturalTestBit(const Natural& n, Word i) noexcept { return naturalTestBit_(n, i) != 0; }
inline Natural naturalBit_(Word i) {
  if (i < 64) return NS(Word{1} << i);
  return detail::NaturalAccess::adopt(detail::naturalBitSlow(i));
}
inline Natural naturalBit(Word i) { return naturalBit_(i); }
inline Natural naturalSetBit_(const Natural& n, Word i) {
  if (detail::inWord_(n, i)) return NS(n.word() | (Word{1} << i));
  return detail::naturalOutOfLine<detail::naturalSetBitSlow>(n, i);
}
inline Natural naturalSetBit(const Natural& n, Word i) { return naturalSetBit_(n, i); }
inline Natural naturalClearBit_(const Natural& n, Word i) {
  if (detail::inWord_(n, i)) return NS(n.word() & ~(Word{1} << i));
  if (n.isNS()) return n;
  return detail::naturalOutOfLine<detail::naturalClearBitSlow>(n, i);
}
inline Natural naturalClearBit(const Natural& n, Word i) { return naturalClearBit_(n, i); }
inline Natural naturalComplementBit_(const Natural& n, Word i) {
  if (detail::inWord_(n, i)) return NS(n.word() ^ (Word{1} << i));
  return detail::naturalOutOfLine<detail::naturalComplementBitSlow>(n, i);
}
inline Natural naturalComplementBit(const Natural& n, Word i) {
  return naturalComplementBit_(n, i);
}

inline Word naturalPopCount_(const Natural& n) noexcept {
  if (n.isNS()) return static_cast<Word>(std::popcount(n.word()));
  return bigNatPopCount(n.bigNat());
}
inline Word naturalPopCount(const Natural& n) noexcept { return naturalPopCount_(n); }
inline std::optional<Word> naturalIsPowerOf2_(const Natural& n) noexcept {
  if (n.isNS()) return wordIsPowerOf2_(n.word());
  return bigNatIsPowerOf2_(n.bigNat());
}
inline Word naturalLog2_(const Natural& n) noexcept {
  if (n.isNS()) return wordLog2_(n.word());
  return bigNatLog2_(n.bigNat());
}
inline Word naturalLog2(const Natural& n) noexcept { return naturalLog2_(n); }
NUMKIT_API Word naturalLogBaseWord_(Word base, const Natural& n);
inline Word naturalLogBaseWord(Word base, const Natural& n) { return naturalLogBaseWord_(base, n); }
NUMKIT_API Word naturalLogBase_(const Natural& base, const Natural& n);
inline Word naturalLogBase(const Natural& base, const Natural& n) {
  return naturalLogBase_(base, n);
}
NUMKIT_API Word naturalSizeInBase_(Word base, const Natural& n);

// Floating point.  Nothing here raises but naturalFromDouble.
//
// naturalEncodeDouble_(n, e): n * 2^e.  A single word is rounded to the
// nearest double (ties to even), and for e != 0 the scaled result is
// rounded once more where it falls below the normal range.  A multi-word
// value is truncated toward zero: to its 53 highest bits, and below the
// normal range to the bits a subnormal keeps.  Any exponent is accepted:
// beyond the double range the result is +infinity, below it 0.
// naturalEncodeFloat_(n, e): that double rounded to the nearest float (two
// roundings).
// toDouble(n): naturalEncodeDouble_(n, 0).
// naturalFromDouble(d): d truncated toward zero.  Raises num::Overflow for
// NaN and the infinities, num::Underflow for d <= -1; -1 < d < 1 gives 0.

inline double naturalEncodeDouble_(const Natural& n, Int e) noexcept {
  if (n.isNB()) return bigNatEncodeDouble_(n.bigNat(), e);
  return e == 0 ? wordToDouble(n.word()) : wordEncodeDouble_(n.word(), e);
}
inline float naturalEncodeFloat_(const Natural& n, Int e) noexcept {
  return static_cast<float>(naturalEncodeDouble_(n, e));
}
inline double toDouble(const Natural& n) noexcept { return naturalEncodeDouble_(n, 0); }
NUMKIT_API Natural naturalFromDouble(double d);

// Memory: the value as a string of bytes in base 256, least significant
// first (little-endian, msbf = 0) or most significant first (big-endian,
// any other msbf).  An export writes only the significant bytes (none for
// zero; naturalSizeInBase_(256, n) of them) and returns their count; an
// import reads exactly `size` bytes, zero bytes at the significant end
// included, and size 0 gives 0.
//
// The address forms trust the pointer: the caller provides room for the
// whole string (8 bytes per limb always suffice), and nothing is checked.
// The byte-array forms check, before touching any byte, that the whole
// string lies within the array's recorded size, and otherwise throw
// std::out_of_range and leave the array unchanged.

inline Word naturalToAddr_(const Natural& n, void* p, Int msbf) noexcept {
  if (n.isNS()) return wordToAddr_(n.word(), p, msbf);
  return bigNatToAddr_(n.bigNat(), p, msbf);
}
inline Word naturalToAddr(const Natural& n, void* p, Int msbf) noexcept {
  return naturalToAddr_(n, p, msbf);
}
inline Word naturalToMutableByteArray_(const Natural& n, MutableByteArray_& a, Word offset,
                                       Int msbf) {
  if (n.isNS()) return wordToMutableByteArray_(n.word(), a, offset, msbf);
  return bigNatToMutableByteArray_(n.bigNat(), a, offset, msbf);
}
inline Natural naturalFromAddr_(Word size, const void* p, Int msbf) {
  return naturalFromBigNat_(bigNatFromAddr_(size, p, msbf));
}
inline Natural naturalFromAddr(Word size, const void* p, Int msbf) {
  return naturalFromAddr_(size, p, msbf);
}
inline Natural naturalFromByteArray_(Word size, const ByteArray_& a, Word offset, Int msbf) {
  return naturalFromBigNat_(bigNatFromByteArray_(size, a, offset, msbf));
}

// Operators.  The shift count is a Word; there is no complement of a
// Natural (it would be negative).
inline Natural operator&(const Natural& a, const Natural& b) { return naturalAnd(a, b); }
inline Natural operator|(const Natural& a, const Natural& b) { return naturalOr(a, b); }
inline Natural operator^(const Natural& a, const Natural& b) { return naturalXor(a, b); }
inline Natural operator<<(const Natural& n, Word s) { return naturalShiftL_(n, s); }
inline Natural operator>>(const Natural& n, Word s) { return naturalShiftR_(n, s); }
inline Natural& operator&=(Natural& a, const Natural& b) { return a = naturalAnd(a, b); }
inline Natural& operator|=(Natural& a, const Natural& b) { return a = naturalOr(a, b); }
inline Natural& operator^=(Natural& a, const Natural& b) { return a = naturalXor(a, b); }
inline Natural& operator<<=(Natural& n, Word s) { return n = naturalShiftL_(n, s); }
inline Natural& operator>>=(Natural& n, Word s) { return n = naturalShiftR_(n, s); }

NUMKIT_END_NAMESPACE

// Integer, the conversions between the two types and the operators on mixed
// operands come with every Natural, so that an expression means the same in
// every translation unit.
#include "Num/Integer.hpp"  // IWYU pragma: export
