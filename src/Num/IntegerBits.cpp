// Integer two's-complement bit operations and shifts on sign and magnitude,
// powers of two beyond a signed word, logarithms, digit counts and
// conversion from double: the cases with a multi-word operand or result.
#include <cmath>

#include "Borrowed.hpp"
#include "Num/BigNat.hpp"
#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {

namespace {

template <auto f, class... Args>
auto onBorrowed(Args... args) {
  return callBorrowed<f, IntegerAccess, IntegerRep>(args...);
}

// A negative value -m has the bits of NOT (m - 1).  The operations below
// combine m - 1 for negative operands by De Morgan's laws, and give a
// result whose bits are NOT c as -(c + 1).
BigNat_ dec(const BigNat_& m) { return bigNatSubWordUnsafe_(m, 1); }
BigNat_ inc(const BigNat_& c) { return bigNatAddWord_(c, 1); }
Integer pos(BigNat_ r) noexcept { return integerFromBigNat_(std::move(r)); }
Integer neg(BigNat_ r) noexcept { return integerFromBigNatNeg_(std::move(r)); }
// NOT x of a negative word, in [0, 2^63).
Word notNeg(Int x) noexcept { return static_cast<Word>(~x); }

Integer complementImpl(const Integer& a) {
  if (a.isIS()) return IS(~a.intValue());
  // p >= 2^63 gives p + 1 > 2^63, and p > 2^63 gives p - 1 >= 2^63: the
  // forms are known without demotion.
  if (a.isIP()) return IN(inc(a.magnitude()));
  return IP(dec(a.magnitude()));
}

// Each operation puts a single-word operand first, settles 0 and -1 (which
// need no limb), then combines a word other than those with a multi-word
// value, or two multi-word values.
Integer andImpl(const Integer& a, const Integer& b) {
  if (!a.isIS() && b.isIS()) return andImpl(b, a);
  if (a.isIS()) {
    const Int x = a.intValue();
    if (x == -1) return b;
    if (x == 0) return integerZero();
    if (b.isIS()) return b.intValue() == -1 ? a : IS(x & b.intValue());
    const BigNat_& q = b.magnitude();
    if (b.isIP()) return pos(bigNatAndInt_(q, x));
    // The low word of -q is 2^64 - q0; a positive x keeps bits of it only.
    if (x > 0) return IS(static_cast<Int>(static_cast<Word>(x) & (Word{0} - q[0])));
    return neg(inc(bigNatOrWord_(dec(q), notNeg(x))));
  }
  const BigNat_& p = a.magnitude();
  const BigNat_& q = b.magnitude();
  if (a.isIP()) return pos(b.isIP() ? bigNatAnd(p, q) : bigNatAndNot(p, dec(q)));
  if (b.isIP()) return pos(bigNatAndNot(q, dec(p)));
  return neg(inc(bigNatOr(dec(p), dec(q))));
}

Integer orImpl(const Integer& a, const Integer& b) {
  if (!a.isIS() && b.isIS()) return orImpl(b, a);
  if (a.isIS()) {
    const Int x = a.intValue();
    if (x == 0) return b;
    if (x == -1) return integerMinusOne();
    if (b.isIS()) return b.intValue() == 0 ? a : IS(x | b.intValue());
    const BigNat_& q = b.magnitude();
    if (x > 0) {
      if (b.isIP()) return IP(bigNatOrWord_(q, static_cast<Word>(x)));
      return neg(inc(bigNatAndNotWord_(dec(q), static_cast<Word>(x))));
    }
    // A negative x: NOT (x OR b) = NOT x AND NOT b lies below 2^63, so the
    // result -(c + 1) = NOT c is a signed word.  Limb 0 of q - 1 is q0 - 1.
    const Word notB0 = b.isIP() ? ~q[0] : q[0] - 1;
    return IS(~static_cast<Int>(notNeg(x) & notB0));
  }
  const BigNat_& p = a.magnitude();
  const BigNat_& q = b.magnitude();
  if (a.isIP()) return b.isIP() ? IP(bigNatOr(p, q)) : neg(inc(bigNatAndNot(dec(q), p)));
  if (b.isIP()) return neg(inc(bigNatAndNot(dec(p), q)));
  return neg(inc(bigNatAnd(dec(p), dec(q))));
}

Integer xorImpl(const Integer& a, const Integer& b) {
  if (!a.isIS() && b.isIS()) return xorImpl(b, a);
  if (a.isIS()) {
    const Int x = a.intValue();
    if (x == -1) return complementImpl(b);
    if (x == 0) return b;
    if (b.isIS()) return b.intValue() == 0 ? a : IS(x ^ b.intValue());
    const BigNat_& q = b.magnitude();
    if (b.isIP()) {
      if (x > 0) return pos(bigNatXorWord_(q, static_cast<Word>(x)));
      return neg(inc(bigNatXorWord_(q, notNeg(x))));
    }
    if (x > 0) return neg(inc(bigNatXorWord_(dec(q), static_cast<Word>(x))));
    return pos(bigNatXorWord_(dec(q), notNeg(x)));
  }
  const BigNat_& p = a.magnitude();
  const BigNat_& q = b.magnitude();
  if (a.isIP()) return b.isIP() ? pos(bigNatXor(p, q)) : neg(inc(bigNatXor(p, dec(q))));
  if (b.isIP()) return neg(inc(bigNatXor(q, dec(p))));
  return pos(bigNatXor(dec(p), dec(q)));
}

// The magnitude of a negative value rounds up; an empty one means that
// every limb was shifted out, which leaves -1.
Integer shiftRImpl(const Integer& a, Word s) {
  if (s == 0) return a;
  if (a.isIS()) return IS(a.intValue() >> (s < 63 ? s : 63));
  if (a.isIP()) return pos(bigNatShiftR_(a.magnitude(), s));
  BigNat_ r = bigNatShiftRNeg_(a.magnitude(), s);
  if (bigNatIsZero(r)) return integerMinusOne();
  return neg(std::move(r));
}

// A magnitude of at least 2^63 shifted left stays beyond a signed word.
Integer shiftLImpl(const Integer& a, Word s) {
  if (s == 0) return a;
  if (a.isIS()) {
    const Int x = a.intValue();
    if (x == 0) return integerZero();
    if (x == 1) return integerBit_(s);
    BigNat_ r = bigNatShiftL_(wordArrayFromWord_(wordFromAbsInt_(x)), s);
    return x > 0 ? pos(std::move(r)) : neg(std::move(r));
  }
  BigNat_ r = bigNatShiftL_(a.magnitude(), s);
  return a.isIP() ? IP(std::move(r)) : IN(std::move(r));
}

}  // namespace

IntegerRep integerAndSlow(IntegerRep a, IntegerRep b) { return onBorrowed<andImpl>(a, b); }
IntegerRep integerOrSlow(IntegerRep a, IntegerRep b) { return onBorrowed<orImpl>(a, b); }
IntegerRep integerXorSlow(IntegerRep a, IntegerRep b) { return onBorrowed<xorImpl>(a, b); }
IntegerRep integerComplementSlow(IntegerRep a) { return onBorrowed<complementImpl>(a); }
IntegerRep integerShiftLSlow(IntegerRep a, Word s) { return onBorrowed<shiftLImpl>(a, s); }
IntegerRep integerShiftRSlow(IntegerRep a, Word s) { return onBorrowed<shiftRImpl>(a, s); }

IntegerRep integerBitSlow(Word i) {
  if (i < 63) return IntegerAccess::release(IS(Int{1} << i));
  return IntegerAccess::release(IP(bigNatBit_(i)));
}

// Bit i of NOT (m - 1), without computing m - 1: the borrow of the
// decrement reaches limb i / 64 only when every limb below it is 0.
Int integerTestBitNegSlow(const BigNat_& m, Word i) noexcept {
  const Word w = i / kWordBits;
  if (w >= static_cast<Word>(m.size())) return 1;
  const Word* limbs = m.data();
  bool borrow = true;
  for (Word j = w; j-- > 0;) {
    if (limbs[j] != 0) {
      borrow = false;
      break;
    }
  }
  const Word limb = borrow ? limbs[w] - 1 : limbs[w];
  return (limb >> (i % kWordBits) & 1) == 0 ? 1 : 0;
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Logarithms and digit counts.  A negative x gives 0 before the base is
// looked at.

Word integerLogBaseWord_(Word base, const Integer& x) {
  if (integerIsNegative(x)) return 0;
  return naturalLogBaseWord_(base, integerToNatural(x));
}

Word integerLogBase_(const Integer& base, const Integer& x) {
  if (integerIsNegative(x)) return 0;
  const Natural n = integerToNatural(x);
  return naturalLogBase_(integerToNatural(base), n);
}

Word integerSizeInBase_(Word base, const Integer& x) {
  if (x.isIS()) return wordSizeInBase_(base, wordFromAbsInt_(x.intValue()));
  return bigNatSizeInBase_(base, x.magnitude());
}

// ---------------------------------------------------------------------------
// Conversion from double.  The mantissa is below 2^53 in magnitude, so a
// fraction is truncated on the magnitude alone.

Integer integerFromDouble(double d) {
  if (!std::isfinite(d)) raiseOverflow();
  const auto [m, e] = decodeDouble(d);
  if (e >= 0) return integerShiftL_(IS(m), static_cast<Word>(e));
  const auto q = static_cast<Int>(shiftRW_(wordFromAbsInt_(m), static_cast<Word>(-e)));
  return IS(m < 0 ? -q : q);
}

NUMKIT_END_NAMESPACE
