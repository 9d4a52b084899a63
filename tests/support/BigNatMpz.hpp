// Conversions between BigNat_ and the mpz reference, through word lists.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Num/BigNat.hpp"
#include "support/Mpz.hpp"
#include "support/Special.hpp"

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

// f(a, b) and f(a, n) as values.
inline Mpz apply(void (*f)(mpz_ptr, mpz_srcptr, mpz_srcptr), const Mpz& a, const Mpz& b) {
  Mpz r;
  f(r.get(), a.get(), b.get());
  return r;
}
inline Mpz apply(void (*f)(mpz_ptr, mpz_srcptr, mp_bitcnt_t), const Mpz& a, Word n) {
  Mpz r;
  f(r.get(), a.get(), n);
  return r;
}

// The operands of a failed check, for its message.
inline std::string describe(std::initializer_list<const num::BigNat_*> operands) {
  std::string s;
  for (const num::BigNat_* x : operands) s += " 0x" + toMpz(*x).str();
  return s;
}

// The shared special magnitudes as BigNat_ values.
inline std::vector<num::BigNat_> specials() {
  std::vector<num::BigNat_> v;
  for (const auto& l : specialMagnitudes()) v.push_back(bigNatFromLimbs(l));
  return v;
}

}  // namespace numtest
