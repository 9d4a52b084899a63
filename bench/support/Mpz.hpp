// What the benchmark programs share on the GMP side: an owning mpz_t, exact
// conversions from numkit values to mpz (to compare results), operands made
// from seeded limbs for both sides alike, and the check that aborts the
// program on a wrong result.
#pragma once

#include <gmp.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "Num/BigNat.hpp"
#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

namespace numbench {

// An owning mpz_t.
struct Z {
  Z() { mpz_init(z); }
  explicit Z(long v) { mpz_init_set_si(z, v); }
  Z(const Z&) = delete;
  Z& operator=(const Z&) = delete;
  ~Z() { mpz_clear(z); }
  mpz_t z;
};

// Reports a result that differs from the reference and stops the program: a
// benchmark of a wrong computation must not print a ratio.
[[noreturn]] inline void wrongResult(const char* what) {
  std::fprintf(stderr, "wrong result: %s\n", what);
  std::fflush(stdout);
  std::abort();
}
inline void check(bool ok, const char* what) {
  if (!ok) wrongResult(what);
}

// n random limbs, least significant first, the top one non-zero.
inline std::vector<num::Word> randomLimbs(std::mt19937_64& gen, std::size_t n) {
  std::vector<num::Word> limbs(n);
  for (num::Word& w : limbs) w = gen();
  if (n > 0 && limbs.back() == 0) limbs.back() = 1;
  return limbs;
}

// The value of limbs (least significant first), negated when `negative`.
inline num::Integer integerFromLimbs(const std::vector<num::Word>& lsFirst, bool negative = false) {
  const std::vector<num::Word> msFirst(lsFirst.rbegin(), lsFirst.rend());
  return num::integerFromWordList(negative, msFirst);
}
inline void mpzFromLimbs(mpz_t z, const std::vector<num::Word>& lsFirst, bool negative = false) {
  mpz_import(z, lsFirst.size(), -1, sizeof(num::Word), 0, 0, lsFirst.data());
  if (negative) mpz_neg(z, z);
}

// z = the value of a magnitude, of a Natural, of an Integer.
inline void toMpz(mpz_t z, const num::BigNat_& m) {
  mpz_import(z, static_cast<std::size_t>(m.size()), -1, sizeof(num::Word), 0, 0, m.data());
}
inline void toMpz(mpz_t z, const num::Natural& n) {
  if (n.isNS()) {
    mpz_set_ui(z, static_cast<unsigned long>(n.word()));
  } else {
    toMpz(z, n.bigNat());
  }
}
inline void toMpz(mpz_t z, const num::Integer& x) {
  if (x.isIS()) {
    mpz_set_si(z, static_cast<long>(x.intValue()));
    return;
  }
  toMpz(z, x.magnitude());
  if (x.isIN()) mpz_neg(z, z);
}

// Whether a numkit value equals an mpz.
template <class Value>
bool sameValue(const Value& x, const mpz_t z) {
  Z t;
  toMpz(t.z, x);
  return mpz_cmp(t.z, z) == 0;
}

}  // namespace numbench
