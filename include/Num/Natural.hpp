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
// The single-word cases of comparison, addition and subtraction are inline,
// and so are comparisons that the forms alone decide; each calls one
// out-of-line function only when an operand is multi-word or an addition
// carries out of the word.
//
// Raising: naturalSubThrow (and binary operator-, operator-=) when the
// difference would be negative, naturalNegate (and unary operator-) of a
// non-zero value.  Both raise num::Underflow before allocating anything.
// Nothing else here raises, except std::bad_alloc when memory runs out.
#pragma once

#include <compare>
#include <concepts>
#include <optional>
#include <span>
#include <utility>

#include "Num/BigNat.hpp"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE

class Natural;
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
}  // namespace detail

class Natural {
 public:
  // Zero.
  Natural() noexcept : w_(0), m_(rt::AbsentTag{}) {}
  // The exact value of an unsigned built-in integer.
  template <detail::BuiltinUnsigned T>
  Natural(T v) noexcept : w_(v), m_(rt::AbsentTag{}) {}

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
inline Natural& operator+=(Natural& a, const Natural& b) { return a = naturalAdd(a, b); }
inline Natural& operator-=(Natural& a, const Natural& b) { return a = naturalSubThrow(a, b); }

NUMKIT_END_NAMESPACE
