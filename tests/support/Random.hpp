// Seeded operands for property tests.
//
// The seed comes from NUMKIT_TEST_SEED when set (printed at start so a failure
// can be replayed) and the iteration counts scale with NUMKIT_TEST_MULTIPLIER.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Num/Runtime.hpp"

namespace numtest {

using num::Int;
using num::Word;

// The seed of this run.
std::uint64_t testSeed();
// n scaled by NUMKIT_TEST_MULTIPLIER (default 1, at least 1 iteration).
long iterations(long n);

class Rng {
 public:
  Rng();  // seeded from testSeed()
  explicit Rng(std::uint64_t seed) : gen_(seed) {}

  Word word() { return gen_(); }
  // Uniform in [lo, hi].
  Int range(Int lo, Int hi) { return std::uniform_int_distribution<Int>(lo, hi)(gen_); }
  bool coin() { return (gen_() & 1) != 0; }

  // A word biased towards the interesting ones: 0, 1, all ones, powers of two
  // and their neighbours, the signed boundary, then plain random words.
  Word specialWord();

  // A normalised magnitude of minLimbs..maxLimbs limbs, least significant
  // first (top limb non-zero), with runs of all-zero and all-one limbs.
  std::vector<Word> limbs(Int minLimbs = 1, Int maxLimbs = 40);
  // As limbs(), but 0 limbs (the number zero) is also possible.
  std::vector<Word> limbsOrZero(Int maxLimbs = 40);
  // Random bytes.
  std::vector<unsigned char> bytes(std::size_t n);

 private:
  std::mt19937_64 gen_;
};

// check(rng) `count` times (scaled by NUMKIT_TEST_MULTIPLIER), stopping at
// the first failure and naming its iteration.
template <class Check>
void forRandomOperands(long count, const Check& check) {
  Rng rng;
  const long n = iterations(count);
  for (long i = 0; i < n; ++i) {
    check(rng);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "iteration " << i;
      break;
    }
  }
}

}  // namespace numtest
