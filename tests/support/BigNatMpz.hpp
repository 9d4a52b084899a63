// Conversions between BigNat_ and the mpz reference, through word lists.
#pragma once

#include <gtest/gtest.h>

#include "Num/BigNat.hpp"
#include "support/Mpz.hpp"

namespace numtest {

inline Mpz toMpz(const num::BigNat_& a) { return Mpz::fromWordList(num::bigNatToWordList(a)); }

// The normalised BigNat_ of |m|.
inline num::BigNat_ bigNatFromMpz(const Mpz& m) { return num::bigNatFromWordList(m.wordList()); }

// The BigNat_ of normalised limbs (least significant first).
inline num::BigNat_ bigNatFromLimbs(const std::vector<Word>& limbs) {
  return num::bigNatFromWordList(std::vector<Word>(limbs.rbegin(), limbs.rend()));
}

// Checks the normal form and the value of a BigNat_ result.
inline ::testing::AssertionResult isBigNat(const num::BigNat_& got, const Mpz& want) {
  if (!num::bigNatCheck(got)) {
    return ::testing::AssertionFailure() << "result not normalised (" << got.size() << " limbs)";
  }
  if (!(toMpz(got) == want)) {
    return ::testing::AssertionFailure()
           << "got 0x" << toMpz(got).str() << ", want 0x" << want.str();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace numtest
