// Natural and Integer against the mpz reference.
//
// Operands are built with the bare constructors from normalised limbs and
// read back through the inspection interface, so the oracle does not lean on
// the library's own demotion or conversions.  The checks test the value, the
// normal form and the form the value's range requires.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/BigNatMpz.hpp"
#include "support/Mpz.hpp"

namespace numtest {

// The Natural of normalised limbs (least significant first), in the form
// its size requires.
inline num::Natural makeNatural(const std::vector<Word>& limbs) {
  if (limbs.empty()) return num::NS(0);
  if (limbs.size() == 1) return num::NS(limbs[0]);
  return num::NB(bigNatFromLimbs(limbs));
}

// The Integer of sign and normalised magnitude limbs, in the form its range
// requires.
inline num::Integer makeInteger(bool negative, const std::vector<Word>& limbs) {
  constexpr Word kTop = Word{1} << 63;
  if (limbs.empty()) return num::IS(0);
  if (limbs.size() == 1) {
    const Word w = limbs[0];
    if (!negative && w < kTop) return num::IS(static_cast<Int>(w));
    if (negative && w <= kTop) return num::IS(static_cast<Int>(Word{0} - w));
  }
  return negative ? num::IN(bigNatFromLimbs(limbs)) : num::IP(bigNatFromLimbs(limbs));
}

inline Mpz toMpz(const num::Natural& n) {
  if (n.isNS()) return Mpz(n.word());
  return toMpz(n.bigNat());
}

inline Mpz toMpz(const num::Integer& x) {
  if (x.isIS()) return Mpz::fromInt(x.intValue());
  return Mpz::fromWordList(num::bigNatToWordList(x.magnitude()), x.isIN());
}

inline std::string formName(const num::Natural& n) { return n.isNS() ? "NS" : "NB"; }
inline std::string formName(const num::Integer& x) {
  return x.isIS() ? "IS" : x.isIP() ? "IP" : "IN";
}

// Checks the normal form, the form (NS exactly below 2^64) and the value.
inline ::testing::AssertionResult isNatural(const num::Natural& got, const Mpz& want) {
  if (!num::naturalCheck(got)) return ::testing::AssertionFailure() << "not in normal form";
  if (!(toMpz(got) == want)) {
    return ::testing::AssertionFailure()
           << formName(got) << " 0x" << toMpz(got).str() << ", want 0x" << want.str();
  }
  const bool single = mpz_sgn(want.get()) >= 0 && mpz_sizeinbase(want.get(), 2) <= 64;
  if (got.isNS() != single) return ::testing::AssertionFailure() << "wrong form " << formName(got);
  return ::testing::AssertionSuccess();
}

// Checks the normal form, the form (IS exactly on [-2^63, 2^63 - 1], IP above,
// IN below) and the value.
inline ::testing::AssertionResult isInteger(const num::Integer& got, const Mpz& want) {
  if (!num::integerCheck(got)) return ::testing::AssertionFailure() << "not in normal form";
  if (!(toMpz(got) == want)) {
    return ::testing::AssertionFailure()
           << formName(got) << " 0x" << toMpz(got).str() << ", want 0x" << want.str();
  }
  const char* form = mpz_fits_slong_p(want.get()) ? "IS" : mpz_sgn(want.get()) > 0 ? "IP" : "IN";
  if (formName(got) != form) {
    return ::testing::AssertionFailure() << "form " << formName(got) << ", want " << form;
  }
  return ::testing::AssertionSuccess();
}

// Whether two values are the same object: equal single words, or the same
// limb block.
inline bool sameValueObject(const num::Natural& a, const num::Natural& b) {
  if (a.isNS() || b.isNS()) return a.isNS() && b.isNS() && a.word() == b.word();
  return a.bigNat().sameBlock(b.bigNat());
}
inline bool sameValueObject(const num::Integer& a, const num::Integer& b) {
  if (a.isIS() || b.isIS()) return a.isIS() && b.isIS() && a.intValue() == b.intValue();
  return a.isIN() == b.isIN() && a.magnitude().sameBlock(b.magnitude());
}

}  // namespace numtest
