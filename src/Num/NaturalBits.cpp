// Natural bit operations, shifts, single bits, logarithms, digit counts and
// conversion from double: the cases with a multi-word operand or a result
// beyond one word.
#include <bit>
#include <cmath>

#include "Borrowed.hpp"
#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {

namespace {

template <auto f, class... Args>
auto onBorrowed(Args... args) {
  return callBorrowed<f, NaturalAccess, NaturalRep>(args...);
}

// An AND with a single word can only keep bits of limb 0.
Natural andImpl(const Natural& a, const Natural& b) {
  if (a.isNS() || b.isNS()) return NS(naturalToWord_(a) & naturalToWord_(b));
  return naturalFromBigNat_(bigNatAnd(a.bigNat(), b.bigNat()));
}

// A multi-word value AND NOT a word changes limb 0 only: its size stays.
Natural andNotImpl(const Natural& a, const Natural& b) {
  if (a.isNS()) return NS(a.word() & ~naturalToWord_(b));
  if (b.isNS()) return NB(bigNatAndNotWord_(a.bigNat(), b.word()));
  return naturalFromBigNat_(bigNatAndNot(a.bigNat(), b.bigNat()));
}

// OR and XOR with a word change limb 0 only, and an OR is at least either
// operand: none of these falls below two limbs.
Natural orImpl(const Natural& a, const Natural& b) {
  if (a.isNS()) {
    if (b.isNS()) return NS(a.word() | b.word());
    return NB(bigNatOrWord_(b.bigNat(), a.word()));
  }
  if (b.isNS()) return NB(bigNatOrWord_(a.bigNat(), b.word()));
  return NB(bigNatOr(a.bigNat(), b.bigNat()));
}

Natural xorImpl(const Natural& a, const Natural& b) {
  if (a.isNS()) {
    if (b.isNS()) return NS(a.word() ^ b.word());
    return NB(bigNatXorWord_(b.bigNat(), a.word()));
  }
  if (b.isNS()) return NB(bigNatXorWord_(a.bigNat(), b.word()));
  return naturalFromBigNat_(bigNatXor(a.bigNat(), b.bigNat()));
}

// A non-zero value shifted left never shrinks: no demotion.
Natural shiftLImpl(const Natural& n, Word s) {
  if (n.isNB()) return NB(bigNatShiftL_(n.bigNat(), s));
  const Word x = n.word();
  if (x == 0) return n;
  if (s <= static_cast<Word>(std::countl_zero(x))) return NS(x << s);
  return NB(bigNatShiftL_(wordArrayFromWord_(x), s));
}

Natural shiftRImpl(const Natural& n, Word s) {
  if (n.isNS()) return NS(shiftRW_(n.word(), s));
  return naturalFromBigNat_(bigNatShiftR_(n.bigNat(), s));
}

Natural setBitImpl(const Natural& n, Word i) {
  if (n.isNB()) return NB(bigNatSetBit_(n.bigNat(), i));
  if (i < 64) return NS(n.word() | (Word{1} << i));
  return NB(bigNatSetBit_(bigNatFromWord_(n.word()), i));
}

Natural clearBitImpl(const Natural& n, Word i) {
  if (n.isNB()) return naturalFromBigNat_(bigNatClearBit_(n.bigNat(), i));
  if (i < 64) return NS(n.word() & ~(Word{1} << i));
  return n;
}

// Flipping a bit beyond a single word sets it.
Natural complementBitImpl(const Natural& n, Word i) {
  if (n.isNB()) return naturalFromBigNat_(bigNatComplementBit_(n.bigNat(), i));
  if (i < 64) return NS(n.word() ^ (Word{1} << i));
  return setBitImpl(n, i);
}

}  // namespace

NaturalRep naturalAndSlow(NaturalRep a, NaturalRep b) { return onBorrowed<andImpl>(a, b); }
NaturalRep naturalAndNotSlow(NaturalRep a, NaturalRep b) { return onBorrowed<andNotImpl>(a, b); }
NaturalRep naturalOrSlow(NaturalRep a, NaturalRep b) { return onBorrowed<orImpl>(a, b); }
NaturalRep naturalXorSlow(NaturalRep a, NaturalRep b) { return onBorrowed<xorImpl>(a, b); }
NaturalRep naturalShiftLSlow(NaturalRep n, Word s) { return onBorrowed<shiftLImpl>(n, s); }
NaturalRep naturalShiftRSlow(NaturalRep n, Word s) { return onBorrowed<shiftRImpl>(n, s); }
NaturalRep naturalSetBitSlow(NaturalRep n, Word i) { return onBorrowed<setBitImpl>(n, i); }
NaturalRep naturalClearBitSlow(NaturalRep n, Word i) { return onBorrowed<clearBitImpl>(n, i); }
NaturalRep naturalComplementBitSlow(NaturalRep n, Word i) {
  return onBorrowed<complementBitImpl>(n, i);
}

NaturalRep naturalBitSlow(Word i) {
  if (i < 64) return NaturalAccess::release(NS(Word{1} << i));
  return NaturalAccess::release(NB(bigNatBit_(i)));
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Logarithms and digit counts.  The word and BigNat forms test the base
// first, so a base below 2 raises before any work.

Word naturalLogBaseWord_(Word base, const Natural& n) {
  if (n.isNS()) return wordLogBase_(base, n.word());
  return bigNatLogBaseWord_(base, n.bigNat());
}

// A single word is below every multi-word base: its logarithm is 0.
Word naturalLogBase_(const Natural& base, const Natural& n) {
  if (base.isNS()) return naturalLogBaseWord_(base.word(), n);
  if (n.isNS()) return 0;
  return bigNatLogBase_(base.bigNat(), n.bigNat());
}

Word naturalSizeInBase_(Word base, const Natural& n) {
  if (n.isNS()) return wordSizeInBase_(base, n.word());
  return bigNatSizeInBase_(base, n.bigNat());
}

// ---------------------------------------------------------------------------
// Conversion from double.

Natural naturalFromDouble(double d) {
  if (!std::isfinite(d)) raiseOverflow();
  if (d <= -1.0) raiseUnderflow();
  const auto [m, e] = decodeDouble(d);
  if (m <= 0) return naturalZero();  // zero, or a fraction above -1
  const auto mantissa = static_cast<Word>(m);
  if (e >= 0) return naturalShiftL_(NS(mantissa), static_cast<Word>(e));
  return NS(shiftRW_(mantissa, static_cast<Word>(-e)));
}

NUMKIT_END_NAMESPACE
