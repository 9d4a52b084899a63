// What the multiplication tests of Natural and Integer share: mpz binary
// operations, random magnitudes, divisors and moduli.
#pragma once

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {

// op(a, b) as a value.
inline Mpz mpzOf(void (*op)(mpz_ptr, mpz_srcptr, mpz_srcptr), const Mpz& a, const Mpz& b) {
  Mpz r;
  op(r.get(), a.get(), b.get());
  return r;
}

// A magnitude: a word biased to the boundaries, a word with the top bit set,
// two limbs, or up to maxLimbs.
inline std::vector<Word> randomMagnitude(Rng& rng, Int maxLimbs = 40) {
  switch (rng.range(0, 5)) {
    case 0:
    case 1: {
      const Word w = rng.specialWord();
      return w == 0 ? std::vector<Word>{} : std::vector<Word>{w};
    }
    case 2:
      return {rng.specialWord() | (Word{1} << 63)};
    case 3:
      return rng.limbs(2, 2);
    default:
      return rng.limbs(1, maxLimbs);
  }
}

// A divisor magnitude for n: a word or two, one of n's size or one limb shorter (the
// sizes at which the quotient has one or two limbs), or any size.
inline std::vector<Word> divisorMagnitude(Rng& rng, const Mpz& n) {
  const Int size = std::max<Int>(static_cast<Int>(mpz_size(n.get())), 1);
  const Int shorter = std::max<Int>(size - 1, 1);
  switch (rng.range(0, 3)) {
    case 0:
      return randomMagnitude(rng, 1);
    case 1:
      return rng.limbs(size, size);
    case 2:
      return rng.limbs(shorter, shorter);
    default:
      return randomMagnitude(rng);
  }
}

// A modulus of every size, mostly small; odd or even.
inline num::Natural randomModulus(Rng& rng) {
  Mpz m = toMpz(makeNatural(randomMagnitude(rng, rng.range(0, 7) == 0 ? 40 : 4)));
  if (rng.coin()) mpz_setbit(m.get(), 0);
  return makeNatural(m.limbs());
}

}  // namespace numtest
