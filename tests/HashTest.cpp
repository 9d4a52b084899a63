// std::hash of Natural and Integer: equal values hash equal across the two
// types and across forms, and a million structured values (powers of two
// and their neighbours, all-ones limbs, values that differ in one limb, of
// both signs) have no collision.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Num/Hash.hpp"
#include "support/MulReference.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

std::size_t hashOf(const Natural& n) { return std::hash<Natural>{}(n); }
std::size_t hashOf(const Integer& x) { return std::hash<Integer>{}(x); }

TEST(Hash, EqualValuesHashEqualAcrossTypesAndForms) {
  auto check = [](const std::vector<Word>& limbs) {
    const Natural n = makeNatural(limbs);
    const Integer z = makeInteger(false, limbs);
    EXPECT_EQ(hashOf(n), hashOf(z)) << toMpz(n).str();
    EXPECT_EQ(hashOf(z), hashOf(Integer(n)));
    // The same value through a fresh magnitude (no shared block).
    EXPECT_EQ(hashOf(n), hashOf(makeNatural(toMpz(n).limbs())));
    EXPECT_NE(hashOf(z), hashOf(makeInteger(true, limbs))) << toMpz(n).str();
    if (limbs.size() == 1) {  // one limb behind an IP or IN hashes as the word
      EXPECT_EQ(hashOf(z), hashOf(num::IP(bigNatFromLimbs(limbs))));
      EXPECT_EQ(hashOf(makeInteger(true, limbs)), hashOf(num::IN(bigNatFromLimbs(limbs))));
    }
  };
  for (const std::vector<Word>& m : specialMagnitudes()) {
    if (!m.empty()) check(m);
  }
  forRandomOperands(2000, [&](Rng& rng) { check(rng.limbs(1, 40)); });

  // A value of the signed-word range hashes as the built-in key would.
  for (const num::Int i :
       {num::Int{0}, num::Int{-1}, num::Int{42}, std::numeric_limits<num::Int>::min(),
        std::numeric_limits<num::Int>::max()}) {
    EXPECT_EQ(hashOf(Integer(i)), std::hash<num::Int>{}(i)) << i;
  }

  std::unordered_map<Integer, int> map;
  map[Integer(5)] = 1;
  map[Natural(1) << 100] = 2;
  EXPECT_EQ(map.at(Natural(5)), 1);
  EXPECT_EQ(map.at(Integer(Natural(1) << 100)), 2);
  EXPECT_EQ(map.count(-5), 0U);
}

// Structured values: 2^k, 2^k +- 1 and their negations; 2^(64j) - 1;
// runs of small integers; and for a few bases of 2 to 8 limbs, every base
// with one limb replaced by a run of small, power-of-two and all-ones words.
std::vector<Integer> structuredValues() {
  std::vector<Integer> v;
  const long runs = iterations(1);
  for (Word k = 0; k < 4096; ++k) {
    const Natural p = num::naturalBit(k);
    for (const Integer& x : {Integer(p), Integer(p + 1), Integer(p - 1)}) {
      v.push_back(x);
      v.push_back(-x);
    }
  }
  for (Word j = 1; j <= 64; ++j) v.push_back(Integer(num::naturalBit(64 * j) - 1));
  for (Int i = 2; i < 200000; ++i) {  // (p - 1, p, p + 1 above cover 0, +-1)
    if (std::has_single_bit(static_cast<Word>(i)) ||
        std::has_single_bit(static_cast<Word>(i - 1)) ||
        std::has_single_bit(static_cast<Word>(i + 1))) {
      continue;
    }
    v.push_back(Integer(i));
    v.push_back(Integer(-i));
  }
  Rng rng(0x5eed);
  for (long r = 0; r < runs; ++r) {
    for (const Int size : {2, 3, 5, 8}) {
      const std::vector<Word> base = rng.limbs(size, size);
      for (Int pos = 0; pos < size; ++pos) {
        for (Word w = 1; w < static_cast<Word>(150000 / size); ++w) {
          std::vector<Word> limbs = base;
          limbs[static_cast<std::size_t>(pos)] = w < 64    ? Word{1} << w
                                                 : w < 128 ? ~Word{0} >> (w - 64)
                                                           : w;
          v.push_back(makeInteger(w % 2 == 0, limbs));
        }
      }
    }
  }
  return v;
}

TEST(Hash, NoCollisionsAmongAMillionStructuredValues) {
  const std::vector<Integer> values = structuredValues();
  ASSERT_GE(values.size(), 1000000U);
  std::vector<std::pair<std::size_t, std::size_t>> hashes;  // (hash, index)
  hashes.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) hashes.emplace_back(hashOf(values[i]), i);
  std::sort(hashes.begin(), hashes.end());
  for (std::size_t i = 1; i < hashes.size(); ++i) {
    if (hashes[i].first != hashes[i - 1].first) continue;
    // Equal hashes are only allowed for equal values (the sets overlap).
    const Integer& a = values[hashes[i].second];
    const Integer& b = values[hashes[i - 1].second];
    ASSERT_TRUE(a == b) << "collision of 0x" << toMpz(a).str() << " and 0x" << toMpz(b).str();
  }
}

}  // namespace
}  // namespace numtest
