#include "support/Random.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace numtest {

namespace {

std::uint64_t readSeed() {
  if (const char* s = std::getenv("NUMKIT_TEST_SEED")) return std::stoull(s, nullptr, 0);
  return 0x6e756d6b6974ULL;
}

// Prints the seed once before the first test, so every failure can be replayed.
class SeedReporter : public ::testing::Environment {
 public:
  void SetUp() override { std::cout << "NUMKIT_TEST_SEED=" << testSeed() << "\n"; }
};

[[maybe_unused]] auto* const seedReporter =
    ::testing::AddGlobalTestEnvironment(new SeedReporter);  // owned by gtest

}  // namespace

std::uint64_t testSeed() {
  static const std::uint64_t seed = readSeed();
  return seed;
}

long iterations(long n) {
  static const double mult = [] {
    const char* s = std::getenv("NUMKIT_TEST_MULTIPLIER");
    return s != nullptr ? std::stod(s) : 1.0;
  }();
  const long scaled = static_cast<long>(static_cast<double>(n) * mult);
  return scaled < 1 ? 1 : scaled;
}

Rng::Rng() : gen_(testSeed()) {}

Word Rng::specialWord() {
  switch (range(0, 9)) {
    case 0:
      return static_cast<Word>(range(0, 3));
    case 1:
      return ~Word{0} - static_cast<Word>(range(0, 2));
    case 2: {
      const Word p = Word{1} << range(0, 63);
      return p + static_cast<Word>(range(-1, 1));
    }
    case 3:
      return (Word{1} << 63) + static_cast<Word>(range(-2, 2));
    case 4:
      return word() >> range(0, 63);
    default:
      return word();
  }
}

std::vector<Word> Rng::limbs(Int minLimbs, Int maxLimbs) {
  const Int n = range(minLimbs, maxLimbs);
  std::vector<Word> v(static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < v.size();) {
    // Runs of a kind keep carries and borrows travelling over many limbs.
    const auto run = static_cast<std::size_t>(range(1, 6));
    const Int kind = range(0, 5);
    for (std::size_t j = 0; j < run && i < v.size(); ++j, ++i) {
      v[i] = kind == 0 ? 0 : kind == 1 ? ~Word{0} : kind == 2 ? specialWord() : word();
    }
  }
  if (!v.empty() && v.back() == 0) v.back() = specialWord() | 1;
  return v;
}

std::vector<Word> Rng::limbsOrZero(Int maxLimbs) {
  if (range(0, 15) == 0) return {};
  return limbs(1, maxLimbs);
}

std::vector<unsigned char> Rng::bytes(std::size_t n) {
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(word());
  return v;
}

}  // namespace numtest
