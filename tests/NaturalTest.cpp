// Natural core against mpz: construction, conversion, validity, comparison,
// addition and the three subtractions, with the form and identity of results.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "Num/Natural.hpp"
#include "Num/WordArray.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Natural;
using num::NB;
using num::NS;
using num::Ordering;

constexpr Word kOnes = ~Word{0};

Mpz mpzAdd(const Mpz& a, const Mpz& b) {
  Mpz r;
  mpz_add(r.get(), a.get(), b.get());
  return r;
}
Mpz mpzSub(const Mpz& a, const Mpz& b) {
  Mpz r;
  mpz_sub(r.get(), a.get(), b.get());
  return r;
}
Ordering orderingOf(int c) { return c < 0 ? Ordering::LT : c == 0 ? Ordering::EQ : Ordering::GT; }

Natural nb(std::vector<Word> limbs) { return NB(bigNatFromLimbs(limbs)); }

// Every binary operation of the core on one pair, against mpz.
void checkPair(const Natural& a, const Natural& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  const int c = mpz_cmp(ma.get(), mb.get());

  EXPECT_TRUE(isNatural(num::naturalAdd(a, b), mpzAdd(ma, mb)));
  const std::optional<Natural> sub = num::naturalSub(a, b);
  if (c < 0) {
    EXPECT_FALSE(sub.has_value());
    EXPECT_THROW(num::naturalSubThrow(a, b), num::Underflow);
    // A broken precondition wraps the word difference, else gives zero.
    const Mpz wrapped = a.isNS() && b.isNS() ? Mpz(a.word() - b.word()) : Mpz(0);
    EXPECT_TRUE(isNatural(num::naturalSubUnsafe(a, b), wrapped));
  } else {
    const Mpz d = mpzSub(ma, mb);
    EXPECT_TRUE(sub.has_value() && isNatural(*sub, d));
    EXPECT_TRUE(isNatural(num::naturalSubThrow(a, b), d));
    EXPECT_TRUE(isNatural(num::naturalSubUnsafe(a, b), d));
  }

  EXPECT_EQ(num::naturalCompare(a, b), orderingOf(c));
  EXPECT_EQ(num::naturalEq(a, b), c == 0);
  EXPECT_EQ(num::naturalNe(a, b), c != 0);
  EXPECT_EQ(num::naturalLt(a, b), c < 0);
  EXPECT_EQ(num::naturalLe(a, b), c <= 0);
  EXPECT_EQ(num::naturalGt(a, b), c > 0);
  EXPECT_EQ(num::naturalGe(a, b), c >= 0);
  EXPECT_EQ(num::naturalEq_(a, b), c == 0 ? 1 : 0);
  EXPECT_EQ(num::naturalNe_(a, b), c != 0 ? 1 : 0);
  EXPECT_EQ(num::naturalLt_(a, b), c < 0 ? 1 : 0);
  EXPECT_EQ(num::naturalLe_(a, b), c <= 0 ? 1 : 0);
  EXPECT_EQ(num::naturalGt_(a, b), c > 0 ? 1 : 0);
  EXPECT_EQ(num::naturalGe_(a, b), c >= 0 ? 1 : 0);
  EXPECT_EQ(a <=> b, c <=> 0);
  EXPECT_TRUE(sameValueObject(num::max(a, b), c > 0 ? a : b));
  EXPECT_TRUE(sameValueObject(num::min(a, b), c > 0 ? b : a));
}

// Every unary operation of the core on one value, against mpz.
void checkOne(const Natural& a) {
  const Mpz ma = toMpz(a);
  const std::vector<Word> limbs = ma.limbs();
  const bool single = limbs.size() <= 1;
  const Word low = limbs.empty() ? 0 : limbs[0];

  EXPECT_EQ(num::naturalCheck_(a), 1);
  EXPECT_EQ(num::naturalToWord_(a), low);
  EXPECT_EQ(num::naturalToWordClamp_(a), single ? low : kOnes);
  EXPECT_EQ(num::naturalToWordMaybe_(a), single ? std::optional<Word>(low) : std::nullopt);
  EXPECT_EQ(num::naturalIsZero(a), limbs.empty());
  EXPECT_EQ(num::naturalIsOne(a), limbs.size() == 1 && low == 1);
  EXPECT_TRUE(isNatural(num::naturalSignum(a), Mpz(limbs.empty() ? 0 : 1)));
  if (limbs.empty()) {
    EXPECT_TRUE(isNatural(num::naturalNegate(a), Mpz(0)));
  } else {
    EXPECT_THROW(num::naturalNegate(a), num::Underflow);
  }
  const num::BigNat_ p = num::naturalToBigNat_(a);
  EXPECT_TRUE(isBigNat(p, ma));
  EXPECT_TRUE(isNatural(num::naturalFromBigNat_(p), ma));
  EXPECT_TRUE(isNatural(num::naturalFromWordList(ma.wordList()), ma));
  // Leading zero words do not count.
  std::vector<Word> padded = ma.wordList();
  padded.insert(padded.begin(), 2, 0);
  EXPECT_TRUE(isNatural(num::naturalFromWordList(padded), ma));
}

// Operands: single words biased to the boundaries, two limbs, and up to 40.
Natural randomNatural(Rng& rng) {
  switch (rng.range(0, 4)) {
    case 0:
    case 1:
      return NS(rng.specialWord());
    case 2:
      return makeNatural(rng.limbs(2, 2));
    default:
      return makeNatural(rng.limbs(1, 40));
  }
}

// A second operand equal to or near the first, so differences cancel.
Natural nearNatural(Rng& rng, const Natural& a) {
  Mpz d(static_cast<Word>(rng.range(0, 2)));
  Mpz r = rng.coin() ? mpzAdd(toMpz(a), d) : mpzSub(toMpz(a), d);
  if (r.sign() < 0) r = Mpz(0);
  return makeNatural(r.limbs());
}

TEST(NaturalDifferential, AllPairsOfSpecialValues) {
  std::vector<Natural> values;
  for (const auto& m : specialMagnitudes()) values.push_back(makeNatural(m));
  for (const Natural& a : values) {
    checkOne(a);
    for (const Natural& b : values) checkPair(a, b);
  }
}

TEST(NaturalDifferential, ShortOperandsInEverySizePairing) {
  for (const auto& a : shortShapes()) {
    for (const auto& b : shortShapes()) checkPair(makeNatural(a), makeNatural(b));
  }
}

// As IntegerDifferential.MidSizeOperandsOfNearSizes.
TEST(NaturalDifferential, MidSizeOperandsOfNearSizes) {
  const std::vector<std::vector<Word>> shapes =
      shapesOfSizes({5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 31, 32, 33});
  for (const auto& a : shapes) {
    for (const auto& b : shapes) {
      if (a.size() <= b.size() + 3 && b.size() <= a.size() + 3) {
        checkPair(makeNatural(a), makeNatural(b));
      }
    }
  }
}

TEST(NaturalDifferential, RandomPairs) {
  Rng rng;
  const long n = iterations(100000);
  for (long i = 0; i < n; ++i) {
    const Natural a = randomNatural(rng);
    const Natural b = rng.range(0, 3) == 0 ? nearNatural(rng, a) : randomNatural(rng);
    if (i % 16 == 0) checkOne(a);
    if (rng.coin()) {
      checkPair(a, b);
    } else {
      checkPair(b, a);
    }
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "operands 0x" << toMpz(a).str() << ", 0x" << toMpz(b).str();
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Edge cases by family.

TEST(NaturalConstruction, Demotion) {
  EXPECT_TRUE(isNatural(num::naturalFromBigNat_(num::bigNatZero_()), Mpz(0)));
  EXPECT_TRUE(isNatural(num::naturalFromBigNat_(bigNatFromLimbs({7})), Mpz(7)));
  const num::BigNat_ two = bigNatFromLimbs({0, 1});
  const Natural n = num::naturalFromBigNat_(two);
  ASSERT_TRUE(n.isNB());
  EXPECT_TRUE(n.bigNat().sameBlock(two));
  EXPECT_TRUE(num::naturalToBigNat_(n).sameBlock(two));
  EXPECT_TRUE(num::naturalToBigNat_(NS(0)).sameBlock(num::bigNatZero_()));
}

TEST(NaturalConstruction, FromTwoWords) {
  struct Case {
    Word hi, lo;
    std::vector<Word> limbs;
  };
  const Case cases[] = {
      {0, 0, {}}, {0, 9, {9}}, {0, kOnes, {kOnes}}, {1, 0, {0, 1}}, {kOnes, kOnes, {kOnes, kOnes}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(isNatural(num::naturalFromWord2_(c.hi, c.lo), Mpz::fromLimbs(c.limbs)))
        << c.hi << ":" << c.lo;
  }
  EXPECT_TRUE(isNatural(num::naturalFromWord(kOnes), Mpz(kOnes)));
  EXPECT_TRUE(isNatural(num::naturalFromWordList({}), Mpz(0)));
}

TEST(NaturalValidity, MalformedValuesAreReported) {
  // A block whose size is not a whole number of words.
  num::MutableWordArray_ ragged = num::MutableWordArray_::allocateBytes(12);
  ragged[0] = 1;
  ragged.data()[1] = 1;
  struct Case {
    const char* what;
    Natural n;
    Int valid;
  };
  const Case cases[] = {
      {"NS 0", NS(0), 1},
      {"NS max", NS(kOnes), 1},
      {"NB []", NB(num::bigNatZero_()), 0},
      {"NB [5]", NB(bigNatFromLimbs({5})), 0},
      {"NB [5, 0]", NB(num::bigNatFromWordListUnsafe(std::vector<Word>{0, 5})), 0},
      {"NB [0, 1]", nb({0, 1}), 1},
      {"NB of 12 bytes", NB(std::move(ragged).freeze()), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(num::naturalCheck_(c.n), c.valid) << c.what;
}

TEST(NaturalSubtraction, EdgeCases) {
  // want: the exact difference, or nothing when it would be negative;
  // unsafe: what naturalSubUnsafe gives.
  struct Case {
    const char* what;
    Natural a, b;
    std::optional<std::vector<Word>> want;
    std::vector<Word> unsafe;
  };
  const Case cases[] = {
      {"3 - 5", NS(3), NS(5), std::nullopt, {kOnes - 1}},
      {"5 - 5", NS(5), NS(5), std::vector<Word>{}, {}},
      {"5 - NB", NS(5), nb({0, 1}), std::nullopt, {}},
      {"3 - NB", NS(3), nb({1, 2, 3}), std::nullopt, {}},
      {"2^64 - 1", nb({0, 1}), NS(1), std::vector<Word>{kOnes}, {kOnes}},
      {"2^128 - 1", nb({0, 0, 1}), NS(1), std::vector<Word>{kOnes, kOnes}, {kOnes, kOnes}},
      {"equal NB", nb({0, 1}), nb({0, 1}), std::vector<Word>{}, {}},
      {"NB < NB", nb({0, 1}), nb({0, 2}), std::nullopt, {}},
      {"NB - shorter NB", nb({0, 0, 1}), nb({1, 1}), std::vector<Word>{kOnes, kOnes - 1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<Natural> r = num::naturalSub(c.a, c.b);
    ASSERT_EQ(r.has_value(), c.want.has_value());
    if (c.want) {
      EXPECT_TRUE(isNatural(*r, Mpz::fromLimbs(*c.want)));
      EXPECT_TRUE(isNatural(num::naturalSubThrow(c.a, c.b), Mpz::fromLimbs(*c.want)));
      EXPECT_TRUE(isNatural(num::naturalSubUnsafe(c.a, c.b), Mpz::fromLimbs(*c.want)));
    } else {
      EXPECT_THROW(num::naturalSubThrow(c.a, c.b), num::Underflow);
      EXPECT_THROW(c.a - c.b, num::Underflow);
      EXPECT_TRUE(isNatural(num::naturalSubUnsafe(c.a, c.b), Mpz::fromLimbs(c.unsafe)));
    }
  }
}

// ---------------------------------------------------------------------------
// Identity: arguments themselves, shared constants, fresh values.

TEST(NaturalIdentity, ResultsShareOrAllocateAsPromised) {
  const Natural big = nb({3, 4, 5});
  const Natural same = nb({3, 4, 5});  // equal value, another block
  // max of equal values is its second argument, min its first.
  EXPECT_TRUE(num::max(big, same).bigNat().sameBlock(same.bigNat()));
  EXPECT_TRUE(num::min(big, same).bigNat().sameBlock(big.bigNat()));
  // Adding zero to a multi-word value shares its limbs.
  EXPECT_TRUE(num::naturalAdd(NS(0), big).bigNat().sameBlock(big.bigNat()));
  EXPECT_TRUE(num::naturalAdd(big, NS(0)).bigNat().sameBlock(big.bigNat()));
  EXPECT_TRUE(num::naturalSubThrow(big, NS(0)).bigNat().sameBlock(big.bigNat()));
  // A real sum or difference is fresh.
  EXPECT_FALSE(num::naturalAdd(big, NS(1)).bigNat().sameBlock(big.bigNat()));
  EXPECT_FALSE(num::naturalSubThrow(big, NS(1)).bigNat().sameBlock(big.bigNat()));
  EXPECT_TRUE(isNatural(num::naturalSignum(big), Mpz(1)));
  EXPECT_TRUE(num::naturalIsZero(num::naturalZero()));
  EXPECT_TRUE(num::naturalIsOne(num::naturalOne()));
  EXPECT_TRUE(num::naturalZero().isNS() && num::naturalOne().isNS());
}

TEST(NaturalValue, MovedFromIsAValidSingleWord) {
  Natural a = nb({1, 2, 3});
  const Natural b = std::move(a);
  EXPECT_TRUE(a.isNS());  // NOLINT(bugprone-use-after-move): part of the contract
  EXPECT_TRUE(num::naturalCheck(a));
  EXPECT_TRUE(isNatural(b, Mpz::fromLimbs({1, 2, 3})));
}

// ---------------------------------------------------------------------------
// Operators and built-in conversions.

TEST(NaturalOperators, ForwardToTheOperations) {
  Natural x = std::uint64_t{kOnes};
  x += Natural(1u);
  EXPECT_TRUE(isNatural(x, Mpz::fromLimbs({0, 1})));
  x -= Natural(2u);
  EXPECT_TRUE(isNatural(x, Mpz(kOnes - 1)));
  EXPECT_TRUE(isNatural(x + x, Mpz::fromLimbs({kOnes - 3, 1})));
  EXPECT_TRUE(isNatural(-Natural(), Mpz(0)));
  EXPECT_THROW(-Natural(1u), num::Underflow);
  EXPECT_THROW(x -= nb({0, 1}), num::Underflow);
  EXPECT_TRUE(isNatural(x, Mpz(kOnes - 1)));  // unchanged by the failed -=
  EXPECT_TRUE(Natural(3u) < Natural(static_cast<unsigned char>(4)));
  EXPECT_TRUE(Natural(std::uint16_t{65535}) == NS(65535));
  EXPECT_TRUE(NS(kOnes) < nb({0, 1}) && nb({0, 1}) >= NS(kOnes) && NS(0) <= NS(0));
  EXPECT_EQ(num::compare(nb({0, 1}), NS(kOnes)), Ordering::GT);
}

}  // namespace
}  // namespace numtest
