// Integer two's-complement bit operations, shifts, single bits, counts,
// logarithms, floating conversion and memory against mpz, with the
// identities, sentinel results, exceptions and range checks that the
// comparison cannot show.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
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

// The checks of each family; the operators and plain forms only forward.
struct Ops {
  static bool isWord(const Integer& x) { return x.isIS(); }
  // Signed words biased to the boundaries, values just beyond them, and up
  // to 40 limbs, of either sign.
  static Integer random(Rng& rng) {
    switch (rng.range(0, 4)) {
      case 0:
      case 1:
        return IS(static_cast<Int>(rng.specialWord()));
      case 2:
        return makeInteger(rng.coin(), rng.limbs(1, 2));
      default:
        return makeInteger(rng.coin(), rng.limbsOrZero(40));
    }
  }
  static Integer randomMultiWord(Rng& rng) { return makeInteger(rng.coin(), rng.limbs(2, 6)); }

  static void bitwise(const Integer& a, const Integer& b) {
    const Mpz ma = toMpz(a);
    const Mpz mb = toMpz(b);
    Mpz notA;
    mpz_com(notA.get(), ma.get());
    const std::string what = "0x" + ma.str() + ", 0x" + mb.str();
    EXPECT_TRUE(isInteger(num::integerAnd(a, b), apply(mpz_and, ma, mb))) << what;
    EXPECT_TRUE(isInteger(num::integerOr(a, b), apply(mpz_ior, ma, mb))) << what;
    EXPECT_TRUE(isInteger(num::integerXor(a, b), apply(mpz_xor, ma, mb))) << what;
    EXPECT_TRUE(isInteger(num::integerComplement(a), notA)) << what;
  }

  static void shifts(const Integer& a, Word s) {
    const Mpz m = toMpz(a);
    Mpz right, left;
    mpz_fdiv_q_2exp(right.get(), m.get(), s);  // floors, as the arithmetic shift does
    EXPECT_TRUE(isInteger(num::integerShiftR_(a, s), right)) << "0x" << m.str() << " >> " << s;
    if (s > kGrowBound) return;
    mpz_mul_2exp(left.get(), m.get(), s);
    EXPECT_TRUE(isInteger(num::integerShiftL_(a, s), left)) << "0x" << m.str() << " << " << s;
  }

  static void bits(const Integer& a, Word i) {
    const Mpz m = toMpz(a);
    // Of the two's-complement form.
    EXPECT_EQ(num::integerTestBit_(a, i), mpz_tstbit(m.get(), i))
        << "0x" << m.str() << " bit " << i;
    if (i > kGrowBound) return;
    Mpz power;
    mpz_setbit(power.get(), i);
    EXPECT_TRUE(isInteger(num::integerBit_(i), power)) << i;
  }

  static void counts(const Integer& a) {
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
  // as an Integer of either sign.  Negative values have logarithm 0.
  static void logs(Word base, const Integer& x) {
    const Mpz m = toMpz(x);
    const Word log = m.sign() > 0   ? floorLog(Mpz(base), m)
                     : m.sign() < 0 ? 0
                     : base == 2    ? kOnes
                                    : 0;
    const Word size = m.sign() == 0 ? 0 : floorLog(Mpz(base), absOf(m)) + 1;
    const std::string what = "0x" + m.str() + " base " + std::to_string(base);
    EXPECT_EQ(num::integerLogBaseWord_(base, x), log) << what;
    const Integer b = num::integerFromWord(base);
    EXPECT_EQ(num::integerLogBase_(b, x), log) << what;
    EXPECT_EQ(num::integerLogBase_(num::integerNegate(b), x), log) << what;
    EXPECT_EQ(num::integerSizeInBase_(base, x), size) << what;
  }

  // A multi-word base of either sign: every value below it has logarithm 0.
  static void logBase(const Integer& base, const Integer& x) {
    const Mpz m = toMpz(x);
    const Mpz b = absOf(toMpz(base));
    const Word want = mpz_cmp(m.get(), b.get()) < 0 ? 0 : floorLog(b, m);
    EXPECT_EQ(num::integerLogBase_(base, x), want) << "0x" << m.str();
  }

  // A signed word is rounded to nearest (twice when scaled below the normal
  // range), a multi-word value truncated.
  static void encode(const Integer& x, Int e) {
    const Mpz m = toMpz(x);
    const double want = x.isIS() ? roundedTwiceDouble(m, e) : truncatedDouble(m, e);
    const std::string what = "0x" + m.str() + " * 2^" + std::to_string(e);
    EXPECT_EQ(num::integerEncodeDouble_(x, e), want) << what;
    EXPECT_EQ(std::signbit(num::integerEncodeDouble_(x, e)), std::signbit(want)) << what;
    EXPECT_EQ(num::integerEncodeFloat_(x, e), static_cast<float>(want)) << what;
  }

  // The decomposition is exact with a mantissa in a signed word, and the
  // conversion back truncates toward zero.
  static void fromDouble(double d) {
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

  static constexpr MemoryForms<Integer> kMemory = {num::integerToAddr_, num::integerFromAddr_,
                                                   num::integerToMutableByteArray_,
                                                   num::integerFromByteArray_};
};

TEST(IntegerBitsDifferential, SpecialValues) {
  std::vector<Integer> values;
  for (const Signed& s : specialSigned()) values.push_back(makeInteger(s.negative, s.magnitude));
  differentialOnSpecialValues<Ops>(values);
}

TEST(IntegerBitsDifferential, RandomOperands) { differentialOnRandomOperands<Ops>(); }

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
}

TEST(IntegerBitsSentinels, LogarithmsOfZeroAndNegativesAndBadBases) {
  const Integer zero = IS(0);
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
