// Integer core against mpz: construction, conversion, validity, predicates,
// comparison, addition, subtraction, negation, absolute value and sign, with
// the form and identity of results.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/WordArray.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::IN;
using num::Integer;
using num::IP;
using num::IS;
using num::Ordering;

constexpr Word kTop = Word{1} << 63;
constexpr Word kOnes = ~Word{0};
constexpr Int kMin = std::numeric_limits<Int>::min();
constexpr Int kMax = std::numeric_limits<Int>::max();

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
Mpz mpzNeg(const Mpz& a) {
  Mpz r;
  mpz_neg(r.get(), a.get());
  return r;
}
Mpz mpzAbs(const Mpz& a) {
  Mpz r;
  mpz_abs(r.get(), a.get());
  return r;
}
// a modulo 2^64, as a word.
Word mpzLowWord(const Mpz& a) {
  Mpz r;
  mpz_fdiv_r_2exp(r.get(), a.get(), 64);
  const std::vector<Word> l = r.limbs();
  return l.empty() ? 0 : l[0];
}
Ordering orderingOf(int c) { return c < 0 ? Ordering::LT : c == 0 ? Ordering::EQ : Ordering::GT; }

Integer ip(std::vector<Word> limbs) { return IP(bigNatFromLimbs(limbs)); }
Integer in(std::vector<Word> limbs) { return IN(bigNatFromLimbs(limbs)); }

// Every binary operation of the core on one pair, against mpz.
void checkPair(const Integer& x, const Integer& y) {
  const Mpz mx = toMpz(x);
  const Mpz my = toMpz(y);
  const int c = mpz_cmp(mx.get(), my.get());

  EXPECT_TRUE(isInteger(num::integerAdd(x, y), mpzAdd(mx, my)));
  EXPECT_TRUE(isInteger(num::integerSub(x, y), mpzSub(mx, my)));
  EXPECT_EQ(num::integerCompare(x, y), orderingOf(c));
  EXPECT_EQ(num::integerEq(x, y), c == 0);
  EXPECT_EQ(num::integerNe(x, y), c != 0);
  EXPECT_EQ(num::integerLt(x, y), c < 0);
  EXPECT_EQ(num::integerLe(x, y), c <= 0);
  EXPECT_EQ(num::integerGt(x, y), c > 0);
  EXPECT_EQ(num::integerGe(x, y), c >= 0);
  EXPECT_EQ(num::integerEq_(x, y), c == 0 ? 1 : 0);
  EXPECT_EQ(num::integerNe_(x, y), c != 0 ? 1 : 0);
  EXPECT_EQ(num::integerLt_(x, y), c < 0 ? 1 : 0);
  EXPECT_EQ(num::integerLe_(x, y), c <= 0 ? 1 : 0);
  EXPECT_EQ(num::integerGt_(x, y), c > 0 ? 1 : 0);
  EXPECT_EQ(num::integerGe_(x, y), c >= 0 ? 1 : 0);
  EXPECT_EQ(x <=> y, c <=> 0);
  EXPECT_TRUE(sameValueObject(num::max(x, y), c > 0 ? x : y));
  EXPECT_TRUE(sameValueObject(num::min(x, y), c > 0 ? y : x));
}

// Every unary operation of the core on one value, against mpz.
void checkOne(const Integer& x) {
  const Mpz mx = toMpz(x);
  const int sign = mx.sign();
  const Mpz mag = mpzAbs(mx);

  EXPECT_EQ(num::integerCheck_(x), 1);
  EXPECT_TRUE(isInteger(num::integerNegate(x), mpzNeg(mx)));
  EXPECT_TRUE(isInteger(num::integerAbs(x), mag));
  EXPECT_EQ(num::integerSignum_(x), sign);
  EXPECT_TRUE(isInteger(num::integerSignum(x), Mpz::fromInt(sign)));
  EXPECT_EQ(num::integerIsNegative(x), sign < 0);
  EXPECT_EQ(num::integerIsNegative_(x), sign < 0 ? 1 : 0);
  EXPECT_EQ(num::integerIsZero(x), sign == 0);
  EXPECT_EQ(num::integerIsOne(x), mx == Mpz(1));

  const Word low = mpzLowWord(mx);
  EXPECT_EQ(num::integerToWord_(x), low);
  EXPECT_EQ(num::integerToWord64_(x), low);
  EXPECT_EQ(num::integerToInt_(x), static_cast<Int>(low));
  EXPECT_EQ(num::integerToInt64_(x), static_cast<Int>(low));

  const auto [s, m] = num::integerToBigNatSign_(x);
  EXPECT_EQ(s, sign < 0 ? 1 : 0);
  EXPECT_TRUE(isBigNat(m, mag));
  EXPECT_TRUE(isBigNat(num::integerToBigNatClamp_(x), sign > 0 ? mx : Mpz(0)));
  EXPECT_TRUE(isNatural(num::integerToNatural(x), mag));
  EXPECT_TRUE(isNatural(num::integerToNaturalClamp(x), sign > 0 ? mx : Mpz(0)));
  if (sign < 0) {
    EXPECT_THROW(num::integerToNaturalThrow(x), num::Underflow);
  } else {
    EXPECT_TRUE(isNatural(num::integerToNaturalThrow(x), mx));
  }
  EXPECT_TRUE(isInteger(num::integerFromNatural(num::integerToNatural(x)), mag));

  // Rebuilding from the magnitude, with either sign.
  EXPECT_TRUE(isInteger(num::integerFromBigNat_(m), mag));
  EXPECT_TRUE(isInteger(num::integerFromBigNatNeg_(m), mpzNeg(mag)));
  EXPECT_TRUE(isInteger(num::integerFromBigNatSign_(s, m), mx));
  EXPECT_TRUE(isInteger(num::integerFromBigNatSign_(s == 0 ? 7 : 0, m), mpzNeg(mx)));
  std::vector<Word> list = mag.wordList();
  EXPECT_TRUE(isInteger(num::integerFromWordList(sign < 0, list), mx));
  list.insert(list.begin(), 0);  // leading zero words do not count
  EXPECT_TRUE(isInteger(num::integerFromWordList(sign >= 0, list), mpzNeg(mx)));
}

// Every construction from one word, against mpz.
void checkWord(Word w) {
  const Mpz mw(w);
  EXPECT_TRUE(isInteger(num::integerFromWord_(w), mw));
  EXPECT_TRUE(isInteger(num::integerFromWord(w), mw));
  EXPECT_TRUE(isInteger(num::integerFromWord64_(w), mw));
  EXPECT_TRUE(isInteger(Integer(w), mw));
  EXPECT_TRUE(isInteger(num::integerFromWordNeg_(w), mpzNeg(mw)));
  EXPECT_TRUE(isInteger(num::integerFromWordSign_(0, w), mw));
  EXPECT_TRUE(isInteger(num::integerFromWordSign_(-3, w), mpzNeg(mw)));
  const Int i = static_cast<Int>(w);
  EXPECT_TRUE(isInteger(num::integerFromInt_(i), Mpz::fromInt(i)));
  EXPECT_TRUE(isInteger(num::integerFromInt(i), Mpz::fromInt(i)));
  EXPECT_TRUE(isInteger(num::integerFromInt64_(i), Mpz::fromInt(i)));
}

// Operands: signed words biased to the boundaries, one-limb magnitudes
// around 2^63, two limbs, and up to 40; both signs.
Integer randomInteger(Rng& rng) {
  switch (rng.range(0, 5)) {
    case 0:
    case 1:
      return IS(static_cast<Int>(rng.specialWord()));
    case 2:
      return makeInteger(rng.coin(), {rng.specialWord() | 1});
    case 3:
      return makeInteger(rng.coin(), rng.limbs(2, 2));
    default:
      return makeInteger(rng.coin(), rng.limbs(1, 40));
  }
}

// A second operand near x or near -x, so sums and differences cancel.
Integer nearInteger(Rng& rng, const Integer& x) {
  Mpz r = rng.coin() ? toMpz(x) : mpzNeg(toMpz(x));
  const Mpz d = Mpz::fromInt(rng.range(-2, 2));
  r = mpzAdd(r, d);
  return makeInteger(r.sign() < 0, r.limbs());
}

TEST(IntegerDifferential, AllPairsOfSpecialValues) {
  std::vector<Integer> values;
  for (const Signed& s : specialSigned()) values.push_back(makeInteger(s.negative, s.magnitude));
  for (Int i : {kMax, kMin, kMin + 1, Int{-1}, Int{-2}}) values.push_back(IS(i));
  for (const Integer& x : values) {
    checkOne(x);
    for (const Integer& y : values) checkPair(x, y);
  }
  for (Word w : specialWords()) checkWord(w);
}

TEST(IntegerDifferential, RandomPairs) {
  Rng rng;
  const long n = iterations(100000);
  for (long i = 0; i < n; ++i) {
    const Integer x = randomInteger(rng);
    const Integer y = rng.range(0, 3) == 0 ? nearInteger(rng, x) : randomInteger(rng);
    if (i % 16 == 0) {
      checkOne(x);
      checkWord(rng.specialWord());
    }
    if (rng.coin()) {
      checkPair(x, y);
    } else {
      checkPair(y, x);
    }
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "operands " << toMpz(x).str() << ", " << toMpz(y).str() << " (hex)";
      break;
    }
  }
}

TEST(IntegerDifferential, ShortOperandsInEverySizePairing) {
  std::vector<Integer> values;
  for (const auto& m : shortShapes()) {
    values.push_back(makeInteger(false, m));
    values.push_back(makeInteger(true, m));
  }
  for (const Integer& x : values) {
    for (const Integer& y : values) checkPair(x, y);
  }
}

// Sums and differences of 5 to 33 limbs enter their carry chain by the size
// mod 4, and operands of two sizes take a path of their own: every residue
// and every size gap up to 3, with carries and borrows through every limb.
TEST(IntegerDifferential, MidSizeOperandsOfNearSizes) {
  const std::vector<std::vector<Word>> shapes =
      shapesOfSizes({5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 31, 32, 33});
  for (const auto& a : shapes) {
    for (const auto& b : shapes) {
      if (a.size() > b.size() + 3 || b.size() > a.size() + 3) continue;
      for (const bool na : {false, true}) {
        for (const bool nb : {false, true}) checkPair(makeInteger(na, a), makeInteger(nb, b));
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Edge cases by family; each names its expected result as limbs with a sign.

struct Expect {
  bool negative;
  std::vector<Word> limbs;
  Mpz value() const { return Mpz::fromLimbs(limbs, negative); }
};
const Expect kPlus2p63{false, {kTop}};

TEST(IntegerArithmetic, ResultsAcrossTheWordBoundary) {
  struct Case {
    const char* what;
    Integer got;
    Expect want;
  };
  const Case cases[] = {
      {"max + 1", num::integerAdd(IS(kMax), IS(1)), kPlus2p63},
      {"min + -1", num::integerAdd(IS(kMin), IS(-1)), {true, {kTop + 1}}},
      {"min + min", num::integerAdd(IS(kMin), IS(kMin)), {true, {0, 1}}},
      {"max + max", num::integerAdd(IS(kMax), IS(kMax)), {false, {kOnes - 1}}},
      {"-max + min", num::integerAdd(IS(-kMax), IS(kMin)), {true, {kOnes}}},
      {"0 - min", num::integerSub(IS(0), IS(kMin)), kPlus2p63},
      {"min - 1", num::integerSub(IS(kMin), IS(1)), {true, {kTop + 1}}},
      {"max - min", num::integerSub(IS(kMax), IS(kMin)), {false, {kOnes}}},
      {"0 - 2^63", num::integerSub(IS(0), ip({kTop})), {true, {kTop}}},
      {"-1 - 2^63", num::integerSub(IS(-1), ip({kTop})), {true, {kTop + 1}}},
      {"2^63 + -1", num::integerAdd(ip({kTop}), IS(-1)), {false, {kTop - 1}}},
      {"2^63 + min", num::integerAdd(ip({kTop}), IS(kMin)), {false, {}}},
      {"-(2^63+1) + 1", num::integerAdd(in({kTop + 1}), IS(1)), {true, {kTop}}},
      {"2^64 - 2^63", num::integerSub(ip({0, 1}), ip({kTop})), kPlus2p63},
      {"-2^64 + 2^64", num::integerAdd(in({0, 1}), ip({0, 1})), {false, {}}},
      {"-(2^64 + 1) - -2^64", num::integerSub(in({1, 1}), in({0, 1})), {true, {1}}},
      {"0 - -2^64", num::integerSub(IS(0), in({0, 1})), {false, {0, 1}}},
      {"min - -(2^63+1)", num::integerSub(IS(kMin), in({kTop + 1})), {false, {1}}},
      {"-(2^63)", num::integerNegate(ip({kTop})), {true, {kTop}}},
      {"-(min)", num::integerNegate(IS(kMin)), kPlus2p63},
      {"|min|", num::integerAbs(IS(kMin)), kPlus2p63},
      {"|-(2^63+1)|", num::integerAbs(in({kTop + 1})), {false, {kTop + 1}}},
  };
  for (const Case& c : cases) EXPECT_TRUE(isInteger(c.got, c.want.value())) << c.what;
}

TEST(IntegerConstruction, Demotion) {
  struct Case {
    const char* what;
    Integer got;
    Expect want;
  };
  const Case cases[] = {
      {"fromWordNeg 2^63", num::integerFromWordNeg_(kTop), {true, {kTop}}},
      {"fromWordNeg 2^63+1", num::integerFromWordNeg_(kTop + 1), {true, {kTop + 1}}},
      {"fromWordNeg 0", num::integerFromWordNeg_(0), {false, {}}},
      {"fromWord 2^63", num::integerFromWord_(kTop), kPlus2p63},
      {"fromBigNat []", num::integerFromBigNat_(num::bigNatZero_()), {false, {}}},
      {"fromBigNat [max]",
       num::integerFromBigNat_(bigNatFromLimbs({kTop - 1})),
       {false, {kTop - 1}}},
      {"fromBigNat [2^63]", num::integerFromBigNat_(bigNatFromLimbs({kTop})), kPlus2p63},
      {"fromBigNatNeg [2^63]", num::integerFromBigNatNeg_(bigNatFromLimbs({kTop})), {true, {kTop}}},
      {"fromBigNatNeg []", num::integerFromBigNatNeg_(num::bigNatZero_()), {false, {}}},
      {"fromWordList -[0, 0]",
       num::integerFromWordList(true, std::vector<Word>{0, 0}),
       {false, {}}},
      {"fromWordList -[2^63]",
       num::integerFromWordList(true, std::vector<Word>{kTop}),
       {true, {kTop}}},
  };
  for (const Case& c : cases) EXPECT_TRUE(isInteger(c.got, c.want.value())) << c.what;
}

TEST(IntegerValidity, MalformedValuesAreReported) {
  num::MutableWordArray_ ragged = num::MutableWordArray_::allocateBytes(12);
  ragged[0] = 1;
  ragged.data()[1] = 1;
  struct Case {
    const char* what;
    Integer x;
    Int valid;
  };
  const Case cases[] = {
      {"IS min", IS(kMin), 1},
      {"IS max", IS(kMax), 1},
      {"IN [2^63]", in({kTop}), 0},
      {"IN [2^63+1]", in({kTop + 1}), 1},
      {"IP [2^63]", ip({kTop}), 1},
      {"IP [2^63-1]", ip({kTop - 1}), 0},
      {"IP []", IP(num::bigNatZero_()), 0},
      {"IN []", IN(num::bigNatZero_()), 0},
      {"IP [1, 0]", IP(num::bigNatFromWordListUnsafe(std::vector<Word>{0, 1})), 0},
      {"IN [0, 1]", in({0, 1}), 1},
      {"IP of 12 bytes", IP(std::move(ragged).freeze()), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(num::integerCheck_(c.x), c.valid) << c.what;
}

// ---------------------------------------------------------------------------
// Identity: arguments themselves, shared constants, fresh values.

TEST(IntegerIdentity, ArgumentsAndSharedConstants) {
  const Integer p = ip({3, 4, 5});
  const Integer n = in({3, 4, 5});
  const Integer n2 = in({3, 4, 5});  // equal to n, another block
  // Adding or subtracting zero gives the other argument itself.
  EXPECT_TRUE(sameValueObject(num::integerAdd(p, IS(0)), p));
  EXPECT_TRUE(sameValueObject(num::integerAdd(IS(0), n), n));
  EXPECT_TRUE(sameValueObject(num::integerSub(n, IS(0)), n));
  // Negation, absolute value and the Natural round trip share the magnitude.
  EXPECT_TRUE(num::integerNegate(p).magnitude().sameBlock(p.magnitude()));
  EXPECT_TRUE(num::integerNegate(n).magnitude().sameBlock(n.magnitude()));
  EXPECT_TRUE(num::integerAbs(n).magnitude().sameBlock(n.magnitude()));
  EXPECT_TRUE(sameValueObject(num::integerAbs(p), p));
  EXPECT_TRUE(
      num::integerFromNatural(num::integerToNatural(n)).magnitude().sameBlock(n.magnitude()));
  EXPECT_TRUE(num::integerToBigNatSign_(n).second.sameBlock(n.magnitude()));
  EXPECT_TRUE(num::integerToBigNatClamp_(p).sameBlock(p.magnitude()));
  EXPECT_TRUE(num::integerToBigNatClamp_(n).sameBlock(num::bigNatZero_()));
  // max of equal values is its second argument, min its first.
  EXPECT_TRUE(sameValueObject(num::max(n, n2), n2));
  EXPECT_TRUE(sameValueObject(num::min(n, n2), n));

  // The boundary constants are shared immortal blocks.
  const Integer twoPow63 = num::integerTwoPow63();
  const Integer negTwoPow64 = num::integerNegTwoPow64();
  EXPECT_TRUE(isInteger(twoPow63, Mpz(kTop)));
  EXPECT_TRUE(isInteger(negTwoPow64, Mpz::fromLimbs({0, 1}, true)));
  EXPECT_EQ(twoPow63.magnitude().block()->refs.load(), num::rt::kImmortal);
  EXPECT_EQ(negTwoPow64.magnitude().block()->refs.load(), num::rt::kImmortal);
  EXPECT_TRUE(sameValueObject(num::integerNegate(IS(kMin)), twoPow63));
  EXPECT_TRUE(sameValueObject(num::integerAbs(IS(kMin)), twoPow63));
  EXPECT_TRUE(sameValueObject(num::integerAdd(IS(kMin), IS(kMin)), negTwoPow64));
  EXPECT_TRUE(sameValueObject(num::integerNegate(twoPow63), num::integerMinInt()));
  EXPECT_TRUE(sameValueObject(num::integerSignum(n), num::integerMinusOne()));
  EXPECT_TRUE(sameValueObject(num::integerSignum(p), num::integerOne()));
  EXPECT_TRUE(sameValueObject(num::integerAdd(p, n), num::integerZero()));

  // Real sums and differences are fresh.
  EXPECT_FALSE(num::integerAdd(p, IS(1)).magnitude().sameBlock(p.magnitude()));
  EXPECT_FALSE(num::integerSub(n, IS(1)).magnitude().sameBlock(n.magnitude()));
  const Integer over = num::integerAdd(IS(kMax), IS(1));
  EXPECT_FALSE(over.magnitude().sameBlock(twoPow63.magnitude()));
  EXPECT_NE(over.magnitude().block()->refs.load(), num::rt::kImmortal);
}

TEST(IntegerValue, MovedFromIsAValidSingleWord) {
  Integer a = in({1, 2, 3});
  const Integer b = std::move(a);
  EXPECT_TRUE(a.isIS());  // NOLINT(bugprone-use-after-move): part of the contract
  EXPECT_TRUE(num::integerCheck(a));
  EXPECT_TRUE(isInteger(b, Mpz::fromLimbs({1, 2, 3}, true)));
}

// ---------------------------------------------------------------------------
// Operators and built-in conversions.

TEST(IntegerOperators, ForwardToTheOperations) {
  Integer x = kMax;
  x += 1;
  EXPECT_TRUE(isInteger(x, Mpz(kTop)));
  x -= Integer(kTop);
  EXPECT_TRUE(isInteger(x, Mpz(0)));
  x -= std::numeric_limits<std::uint64_t>::max();
  EXPECT_TRUE(isInteger(x, Mpz::fromLimbs({kOnes}, true)));
  EXPECT_TRUE(isInteger(-x, Mpz(kOnes)));
  EXPECT_TRUE(isInteger(x - x, Mpz(0)));
  EXPECT_TRUE(isInteger(x + -x, Mpz(0)));
  EXPECT_TRUE(x < 0 && x < Integer(kMin) && 0 > x && x != kMin);
  EXPECT_TRUE(Integer(std::int8_t{-128}) == -128 && Integer(std::uint16_t{65535}) == 65535);
  EXPECT_TRUE(Integer(std::uint32_t{4000000000u}) >= Integer(4000000000));
  EXPECT_TRUE(isInteger(Integer(num::Natural(kOnes)), Mpz(kOnes)));
  EXPECT_EQ(num::compare(x, IS(0)), Ordering::LT);
  EXPECT_EQ(Integer(5) <=> Integer(5), std::strong_ordering::equal);
}

}  // namespace
}  // namespace numtest
