// Integer two's-complement bit operations, shifts, single bits, counts,
// logarithms, floating conversion and memory against mpz, with the
// identities, sentinel results, exceptions and range checks that the
// comparison cannot show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Num/Integer.hpp"
#include "support/BitsReference.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::IN;
using num::Integer;
using num::IP;
using num::IS;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;
constexpr Int kIntMin = std::numeric_limits<Int>::min();

Integer ip(const std::vector<Word>& limbs) { return IP(bigNatFromLimbs(limbs)); }
Integer in(const std::vector<Word>& limbs) { return IN(bigNatFromLimbs(limbs)); }

using MpzOp = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);
Mpz apply(MpzOp op, const Mpz& a, const Mpz& b) {
  Mpz r;
  op(r.get(), a.get(), b.get());
  return r;
}
Mpz absOf(const Mpz& m) {
  Mpz r;
  mpz_abs(r.get(), m.get());
  return r;
}

// Left shifts and new bits only up to a bound, so the results stay small.
constexpr Word kGrowBound = 4096;

// ---------------------------------------------------------------------------
// Checks, one per family.

void checkBitwise(const Integer& a, const Integer& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  const Mpz wantAnd = apply(mpz_and, ma, mb);
  const Mpz wantOr = apply(mpz_ior, ma, mb);
  const Mpz wantXor = apply(mpz_xor, ma, mb);
  Mpz notA;
  mpz_com(notA.get(), ma.get());
  checkAll({{"integerAnd", num::integerAnd(a, b), wantAnd},
            {"&", a & b, wantAnd},
            {"&=", compound(a, [&](Integer& c) { c &= b; }), wantAnd},
            {"integerOr", num::integerOr(a, b), wantOr},
            {"|", a | b, wantOr},
            {"|=", compound(a, [&](Integer& c) { c |= b; }), wantOr},
            {"integerXor", num::integerXor(a, b), wantXor},
            {"^", a ^ b, wantXor},
            {"^=", compound(a, [&](Integer& c) { c ^= b; }), wantXor},
            {"integerComplement", num::integerComplement(a), notA},
            {"~", ~a, notA}},
           a);
}

void checkShifts(const Integer& a, Word s) {
  const Mpz m = toMpz(a);
  Mpz right;
  mpz_fdiv_q_2exp(right.get(), m.get(), s);  // floors, as the arithmetic shift does
  checkAll({{"integerShiftR_", num::integerShiftR_(a, s), right},
            {">>", a >> s, right},
            {">>=", compound(a, [&](Integer& c) { c >>= s; }), right}},
           a);
  if (s > kGrowBound) return;
  Mpz left;
  mpz_mul_2exp(left.get(), m.get(), s);
  checkAll({{"integerShiftL_", num::integerShiftL_(a, s), left},
            {"<<", a << s, left},
            {"<<=", compound(a, [&](Integer& c) { c <<= s; }), left}},
           a);
}

void checkBits(const Integer& a, Word i) {
  const Mpz m = toMpz(a);
  const int bit = mpz_tstbit(m.get(), i);  // of the two's-complement form
  EXPECT_EQ(num::integerTestBit_(a, i), bit) << "0x" << m.str() << " bit " << i;
  EXPECT_EQ(num::integerTestBit(a, i), bit != 0) << "0x" << m.str() << " bit " << i;
  if (i > kGrowBound) return;
  Mpz power;
  mpz_setbit(power.get(), i);
  EXPECT_TRUE(isInteger(num::integerBit_(i), power)) << i;
}

void checkCounts(const Integer& a) {
  const Mpz m = toMpz(a);
  const auto pop = static_cast<Int>(mpz_popcount(absOf(m).get()));
  // A negative value counts the bits of its absolute value, negated.
  EXPECT_EQ(num::integerPopCount_(a), m.sign() < 0 ? -pop : pop) << "0x" << m.str();
  const std::optional<Word> power =
      m.sign() > 0 && pop == 1 ? std::optional<Word>(mpz_scan1(m.get(), 0)) : std::nullopt;
  EXPECT_EQ(num::integerIsPowerOf2_(a), power) << "0x" << m.str();
  const Word log2 = m.sign() > 0 ? mpz_sizeinbase(m.get(), 2) - 1 : 0;
  EXPECT_EQ(num::integerLog2_(a), log2) << "0x" << m.str();
}

// Every logarithm and digit count of x in a word base >= 2, the base also
// as an Integer of either sign.
void checkLogs(Word base, const Integer& x) {
  const Mpz m = toMpz(x);
  Word log = 0;  // negative values
  if (m.sign() == 0) {
    log = base == 2 ? kOnes : 0;  // the sentinels of zero
  } else if (m.sign() > 0) {
    log = floorLog(Mpz(base), m);
  }
  const Word size = m.sign() == 0 ? 0 : floorLog(Mpz(base), absOf(m)) + 1;
  const std::string what = "0x" + m.str() + " base " + std::to_string(base);
  EXPECT_EQ(num::integerLogBaseWord_(base, x), log) << what;
  const Integer b = num::integerFromWord(base);
  EXPECT_EQ(num::integerLogBase_(b, x), log) << what;
  EXPECT_EQ(num::integerLogBase(num::integerNegate(b), x), log) << what;
  EXPECT_EQ(num::integerSizeInBase_(base, x), size) << what;
}

// A multi-word base of either sign: every value below it has logarithm 0.
void checkLogBase(const Integer& base, const Integer& x) {
  const Mpz m = toMpz(x);
  const Mpz b = absOf(toMpz(base));
  const Word want = mpz_cmp(m.get(), b.get()) < 0 ? 0 : floorLog(b, m);
  EXPECT_EQ(num::integerLogBase_(base, x), want) << "0x" << m.str();
}

// A signed word is rounded to nearest (twice when scaled below the normal
// range), a multi-word value truncated.
void checkEncode(const Integer& x, Int e) {
  const Mpz m = toMpz(x);
  const double want = x.isIS() ? roundedTwiceDouble(m, e) : truncatedDouble(m, e);
  const std::string what = "0x" + m.str() + " * 2^" + std::to_string(e);
  EXPECT_EQ(num::integerEncodeDouble_(x, e), want) << what;
  EXPECT_EQ(std::signbit(num::integerEncodeDouble_(x, e)), std::signbit(want)) << what;
  EXPECT_EQ(num::integerEncodeFloat_(x, e), static_cast<float>(want)) << what;
  if (e == 0) {
    EXPECT_EQ(num::toDouble(x), want) << what;
  }
}

// The decomposition is exact with a mantissa in a signed word, and the
// conversion back truncates toward zero.
void checkDecode(double d) {
  const auto [m, e] = num::integerDecodeDouble_(d);
  ASSERT_TRUE(m.isIS()) << d;
  if (!std::isfinite(d)) {
    EXPECT_TRUE(num::integerIsZero(m) && e == 0) << d;
    EXPECT_THROW(num::integerFromDouble(d), num::Overflow) << d;
    return;
  }
  EXPECT_LT(std::abs(m.intValue()), Int{1} << 53) << d;
  EXPECT_EQ(std::ldexp(static_cast<double>(m.intValue()), static_cast<int>(e)), d) << d;
  Mpz want;
  mpz_set_d(want.get(), d);  // truncates toward zero
  EXPECT_TRUE(isInteger(num::integerFromDouble(d), want)) << d;
}

const MemoryForms<Integer> kMemoryForms = {num::integerToAddr_, num::integerFromAddr_,
                                           num::integerToMutableByteArray_,
                                           num::integerFromByteArray_};

// ---------------------------------------------------------------------------
// Operands.

// Signed words biased to the boundaries, values just beyond them, and up
// to 40 limbs, of either sign.
Integer randomInteger(Rng& rng, Int maxLimbs = 40) {
  switch (rng.range(0, 4)) {
    case 0:
    case 1:
      return IS(static_cast<Int>(rng.specialWord()));
    case 2:
      return makeInteger(rng.coin(), rng.limbs(1, 2));
    default:
      return makeInteger(rng.coin(), rng.limbsOrZero(maxLimbs));
  }
}

std::vector<Integer> specialIntegers() {
  std::vector<Integer> values;
  for (const Signed& s : specialSigned()) values.push_back(makeInteger(s.negative, s.magnitude));
  return values;
}

// ---------------------------------------------------------------------------
// Differential checks: every pair of special values of both signs, then
// seeded operands.

TEST(IntegerBitsDifferential, SpecialValues) {
  const std::vector<Integer> values = specialIntegers();
  for (const Integer& a : values) {
    for (const Integer& b : values) {
      checkBitwise(a, b);
      if (!b.isIS()) checkLogBase(b, a);
    }
    for (const Word i : indicesAround(bitLength(toMpz(a)))) {
      checkShifts(a, i);
      checkBits(a, i);
    }
    checkCounts(a);
    for (const Word base : logBases()) checkLogs(base, a);
    for (const Int e : encodeExponents(bitLength(toMpz(a)))) checkEncode(a, e);
    checkMemory(a, kMemoryForms, true);
  }
}

TEST(IntegerBitsDifferential, RandomBitwise) {
  forRandomOperands(100000, [](Rng& rng) { checkBitwise(randomInteger(rng), randomInteger(rng)); });
}

TEST(IntegerBitsDifferential, RandomShiftsAndBits) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer x = randomInteger(rng);
    checkShifts(x, randomIndex(rng, bitLength(toMpz(x))));
    checkBits(x, randomIndex(rng, bitLength(toMpz(x))));
  });
}

TEST(IntegerBitsDifferential, RandomCountsAndLogarithms) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer x = randomInteger(rng);
    checkCounts(x);
    const Word base = rng.coin() ? pick(rng, logBases()) : rng.specialWord();
    if (base >= 2) checkLogs(base, x);
    checkLogBase(makeInteger(rng.coin(), rng.limbs(2, 6)), x);
  });
}

TEST(IntegerBitsDifferential, RandomFloatingConversion) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer x = randomInteger(rng);
    // Half of the exponents put the value near the bottom of the range.
    const Int e = rng.coin() ? pick(rng, encodeExponents(bitLength(toMpz(x))))
                             : rng.range(-1140, -1000) - static_cast<Int>(bitLength(toMpz(x)));
    checkEncode(x, e);
    double d = 0;
    const Word bits = rng.word();
    std::memcpy(&d, &bits, sizeof d);
    checkDecode(d);
  });
}

TEST(IntegerBitsDifferential, RandomMemory) {
  forRandomOperands(100000, [](Rng& rng) {
    checkMemory(randomInteger(rng), kMemoryForms, rng.range(0, 15) == 0);
  });
}

// ---------------------------------------------------------------------------
// What the comparison cannot see.

TEST(IntegerBitsIdentity, ArgumentsThemselvesAndSharedConstants) {
  const Integer pos = ip({5, 7, 9});
  const Integer neg = in({5, 7, 9});
  struct Case {
    const char* what;
    Integer got, want;
  };
  const Case cases[] = {
      {"-1 & b", IS(-1) & neg, neg},
      {"b & -1", pos & IS(-1), pos},
      {"0 | b", IS(0) | neg, neg},
      {"b | 0", pos | IS(0), pos},
      {"0 ^ b", IS(0) ^ neg, neg},
      {"b ^ 0", pos ^ IS(0), pos},
      {"b << 0", neg << 0, neg},
      {"b >> 0", pos >> 0, pos},
      {"b | -1", pos | IS(-1), num::integerMinusOne()},
      {"b & 0", neg & IS(0), num::integerZero()},
  };
  for (const Case& c : cases) EXPECT_TRUE(sameValueObject(c.got, c.want)) << c.what;
  // Every bit shifted out of a negative value leaves -1; of a positive one 0.
  EXPECT_TRUE(isInteger(neg >> kOnes, Mpz::fromInt(-1)));
  EXPECT_TRUE(isInteger(IS(kIntMin) >> kTop, Mpz::fromInt(-1)));
  EXPECT_TRUE(isInteger(pos >> kOnes, Mpz(0)));
}

TEST(IntegerBitsSentinels, LogarithmsOfZeroAndNegativesAndBadBases) {
  const Integer zero = IS(0);
  EXPECT_EQ(num::integerLog2_(zero), 0U);  // unlike the base-2 logarithm below
  EXPECT_EQ(num::integerLogBaseWord_(2, zero), kOnes);
  EXPECT_EQ(num::integerLogBaseWord_(10, zero), 0U);
  EXPECT_EQ(num::integerSizeInBase_(1, zero), 0U);
  // A negative value gives 0 without looking at the base.
  for (const Integer& x : {IS(-5), IS(kIntMin), in({0, 1})}) {
    EXPECT_EQ(num::integerLogBaseWord_(0, x), 0U);
    EXPECT_EQ(num::integerLogBaseWord_(1, x), 0U);
    EXPECT_EQ(num::integerLogBase_(IS(1), x), 0U);
    EXPECT_EQ(num::integerLogBase_(IS(0), x), 0U);
  }
  for (const Integer& x : {zero, IS(5), ip({0, 1})}) {
    for (const Int base : {0, 1, -1}) {
      EXPECT_THROW(num::integerLogBase_(IS(base), x), num::Overflow) << base;
    }
    EXPECT_THROW(num::integerLogBaseWord_(0, x), num::Overflow);
    EXPECT_THROW(num::integerLogBaseWord_(1, x), num::Overflow);
  }
  for (const Integer& x : {IS(5), IS(-5), in({0, 1})}) {
    EXPECT_THROW(num::integerSizeInBase_(1, x), num::Overflow);
    EXPECT_THROW(num::integerSizeInBase_(0, x), num::Overflow);
  }
}

TEST(IntegerBitsFloating, ConversionFromDoubleAtTheEdges) {
  EXPECT_THROW(num::integerFromDouble(std::numeric_limits<double>::quiet_NaN()), num::Overflow);
  EXPECT_THROW(num::integerFromDouble(-std::numeric_limits<double>::infinity()), num::Overflow);
  EXPECT_TRUE(isInteger(num::integerFromDouble(-0.75), Mpz(0)));
  EXPECT_TRUE(isInteger(num::integerFromDouble(-0x1p63), Mpz::fromInt(kIntMin)));
  EXPECT_TRUE(isInteger(num::integerFromDouble(0x1p63), Mpz::fromLimbs({kTop})));
  // The extremes of the double range convert exactly and back.
  for (const double d : {DBL_MAX, -DBL_MAX}) {
    const Integer x = num::integerFromDouble(d);
    EXPECT_EQ(num::integerLog2_(num::integerAbs(x)), 1023U);
    EXPECT_EQ(num::toDouble(x), d);
  }
  // A signed word rounds, a multi-word value truncates.
  EXPECT_EQ(num::toDouble(IS(std::numeric_limits<Int>::max())), 0x1p63);
  EXPECT_EQ(num::toDouble(in({kOnes, kOnes})), -(0x1p128 - 0x1p75));
}

}  // namespace
}  // namespace numtest
