// Natural bit operations, shifts, single bits, counts, logarithms, floating
// conversion and memory against mpz, with the identities, sentinel results,
// exceptions and range checks that the comparison cannot show.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "Num/Natural.hpp"
#include "support/BitsReference.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Natural;
using num::NB;
using num::NS;

constexpr Word kOnes = ~Word{0};

Natural nb(const std::vector<Word>& limbs) { return NB(bigNatFromLimbs(limbs)); }

// The checks of each family; the operators and plain forms only forward.
struct Ops {
  static bool isWord(const Natural& n) { return n.isNS(); }
  static Natural random(Rng& rng) {
    switch (rng.range(0, 4)) {
      case 0:
      case 1:
        return NS(rng.specialWord());
      case 2:
        return makeNatural(rng.limbs(2, 2));
      default:
        return makeNatural(rng.limbsOrZero(40));
    }
  }
  static Natural randomMultiWord(Rng& rng) { return makeNatural(rng.limbs(2, 6)); }

  static void bitwise(const Natural& a, const Natural& b) {
    const Mpz ma = toMpz(a);
    const Mpz mb = toMpz(b);
    Mpz notB;
    mpz_com(notB.get(), mb.get());
    const std::string what = "0x" + ma.str() + ", 0x" + mb.str();
    EXPECT_TRUE(isNatural(num::naturalAnd(a, b), apply(mpz_and, ma, mb))) << what;
    EXPECT_TRUE(isNatural(num::naturalAndNot(a, b), apply(mpz_and, ma, notB))) << what;
    EXPECT_TRUE(isNatural(num::naturalOr(a, b), apply(mpz_ior, ma, mb))) << what;
    EXPECT_TRUE(isNatural(num::naturalXor(a, b), apply(mpz_xor, ma, mb))) << what;
  }

  static void shifts(const Natural& n, Word s) {
    const Mpz m = toMpz(n);
    Mpz right, left;
    mpz_fdiv_q_2exp(right.get(), m.get(), s);
    EXPECT_TRUE(isNatural(num::naturalShiftR_(n, s), right)) << "0x" << m.str() << " >> " << s;
    if (s > kGrowBound) return;
    mpz_mul_2exp(left.get(), m.get(), s);
    EXPECT_TRUE(isNatural(num::naturalShiftL_(n, s), left)) << "0x" << m.str() << " << " << s;
  }

  static void bits(const Natural& n, Word i) {
    const Mpz m = toMpz(n);
    const std::string what = "0x" + m.str() + " bit " + std::to_string(i);
    EXPECT_EQ(num::naturalTestBit_(n, i), mpz_tstbit(m.get(), i)) << what;
    if (i > kGrowBound) {
      EXPECT_TRUE(isNatural(num::naturalClearBit_(n, i), m)) << what;
      return;
    }
    Mpz set = m, clear = m, flip = m, power;
    mpz_setbit(set.get(), i);
    mpz_clrbit(clear.get(), i);
    mpz_combit(flip.get(), i);
    mpz_setbit(power.get(), i);
    EXPECT_TRUE(isNatural(num::naturalSetBit_(n, i), set)) << what;
    EXPECT_TRUE(isNatural(num::naturalClearBit_(n, i), clear)) << what;
    EXPECT_TRUE(isNatural(num::naturalComplementBit_(n, i), flip)) << what;
    EXPECT_TRUE(isNatural(num::naturalBit_(i), power)) << what;
  }

  static void counts(const Natural& n) {
    const Mpz m = toMpz(n);
    const Word pop = mpz_popcount(m.get());
    EXPECT_EQ(num::naturalPopCount_(n), pop) << "0x" << m.str();
    const std::optional<Word> power =
        pop == 1 ? std::optional<Word>(mpz_scan1(m.get(), 0)) : std::nullopt;
    EXPECT_EQ(num::naturalIsPowerOf2_(n), power) << "0x" << m.str();
    // Zero has no highest bit: its logarithm is the sentinel 2^64 - 1.
    const Word log2 = m.sign() == 0 ? kOnes : mpz_sizeinbase(m.get(), 2) - 1;
    EXPECT_EQ(num::naturalLog2_(n), log2) << "0x" << m.str();
  }

  // Every logarithm and digit count of n in a word base >= 2.
  static void logs(Word base, const Natural& n) {
    const Mpz m = toMpz(n);
    const Word log = m.sign() != 0 ? floorLog(Mpz(base), m) : base == 2 ? kOnes : 0;
    const Word size = m.sign() == 0 ? 0 : log + 1;
    const std::string what = "0x" + m.str() + " base " + std::to_string(base);
    EXPECT_EQ(num::naturalLogBaseWord_(base, n), log) << what;
    EXPECT_EQ(num::naturalLogBase_(NS(base), n), log) << what;
    EXPECT_EQ(num::naturalSizeInBase_(base, n), size) << what;
    if (std::has_single_bit(base) && base <= 32) {
      EXPECT_EQ(size, m.sign() == 0 ? 0 : mpz_sizeinbase(m.get(), static_cast<int>(base))) << what;
    }
  }

  // A multi-word base: a single-word n is below it.
  static void logBase(const Natural& base, const Natural& n) {
    const Word want = n.isNS() ? 0 : floorLog(toMpz(base), toMpz(n));
    EXPECT_EQ(num::naturalLogBase_(base, n), want) << "0x" << toMpz(n).str();
  }

  // A single word is rounded to nearest (twice when scaled below the normal
  // range), a multi-word value truncated.
  static void encode(const Natural& n, Int e) {
    const Mpz m = toMpz(n);
    const double want = n.isNS() ? roundedTwiceDouble(m, e) : truncatedDouble(m, e);
    const std::string what = "0x" + m.str() + " * 2^" + std::to_string(e);
    EXPECT_EQ(num::naturalEncodeDouble_(n, e), want) << what;
    EXPECT_EQ(num::naturalEncodeFloat_(n, e), static_cast<float>(want)) << what;
  }

  static void fromDouble(double d) {
    if (!std::isfinite(d)) {
      EXPECT_THROW(num::naturalFromDouble(d), num::Overflow) << d;
    } else if (d <= -1.0) {
      EXPECT_THROW(num::naturalFromDouble(d), num::Underflow) << d;
    } else {
      Mpz want;
      mpz_set_d(want.get(), d);  // truncates toward zero
      EXPECT_TRUE(isNatural(num::naturalFromDouble(d), want)) << d;
    }
  }

  static constexpr MemoryForms<Natural> kMemory = {num::naturalToAddr_, num::naturalFromAddr_,
                                                   num::naturalToMutableByteArray_,
                                                   num::naturalFromByteArray_};
};

TEST(NaturalBitsDifferential, SpecialValues) {
  std::vector<Natural> values;
  for (const auto& m : specialMagnitudes()) values.push_back(makeNatural(m));
  differentialOnSpecialValues<Ops>(values);
}

TEST(NaturalBitsDifferential, RandomOperands) { differentialOnRandomOperands<Ops>(); }

// ---------------------------------------------------------------------------
// What the comparison cannot see.

TEST(NaturalBitsIdentity, ArgumentsThemselves) {
  const Natural big = nb({5, 7, 9});
  struct Case {
    const char* what;
    Natural got, want;
  };
  const Case cases[] = {
      {"a << 0", big << 0, big},
      {"a >> 0", big >> 0, big},
      {"a | 0", big | NS(0), big},
      {"0 | a", NS(0) | big, big},
      {"a ^ 0", big ^ NS(0), big},
      {"setBit of a set bit", num::naturalSetBit_(big, 64), big},
      {"clearBit of a clear bit", num::naturalClearBit_(big, 67), big},
      {"clearBit beyond a word", num::naturalClearBit_(NS(5), 100), NS(5)},
      // Zero shifted by any amount is zero, without allocating the shift.
      {"0 << 2^64 - 1", NS(0) << kOnes, NS(0)},
  };
  for (const Case& c : cases) EXPECT_TRUE(sameValueObject(c.got, c.want)) << c.what;
}

TEST(NaturalBitsSentinels, LogarithmsOfZeroAndBadBases) {
  const Natural zero = NS(0);
  const Natural big = nb({0, 1});
  EXPECT_EQ(num::naturalSizeInBase_(1, zero), 0U);  // zero has no digits in any base
  EXPECT_EQ(num::naturalSizeInBase_(0, zero), 0U);
  for (const Natural& n : {zero, NS(5), big}) {
    for (const Word base : {Word{0}, Word{1}}) {
      EXPECT_THROW(num::naturalLogBaseWord_(base, n), num::Overflow) << base;
      EXPECT_THROW(num::naturalLogBase_(NS(base), n), num::Overflow) << base;
      if (!num::naturalIsZero(n)) {
        EXPECT_THROW(num::naturalSizeInBase_(base, n), num::Overflow);
      }
    }
  }
}

TEST(NaturalBitsFloating, ConversionFromDoubleAtTheEdges) {
  EXPECT_THROW(num::naturalFromDouble(std::numeric_limits<double>::quiet_NaN()), num::Overflow);
  EXPECT_THROW(num::naturalFromDouble(std::numeric_limits<double>::infinity()), num::Overflow);
  EXPECT_THROW(num::naturalFromDouble(-std::numeric_limits<double>::infinity()), num::Overflow);
  EXPECT_THROW(num::naturalFromDouble(-1.0), num::Underflow);
  EXPECT_TRUE(isNatural(num::naturalFromDouble(-0.75), Mpz(0)));
  EXPECT_TRUE(isNatural(num::naturalFromDouble(DBL_TRUE_MIN), Mpz(0)));
  EXPECT_TRUE(isNatural(num::naturalFromDouble(18446744073709551616.0), Mpz::fromLimbs({0, 1})));
  // The largest double converts exactly and back.
  const Natural most = num::naturalFromDouble(DBL_MAX);
  EXPECT_EQ(num::naturalLog2_(most), 1023U);
  EXPECT_EQ(num::toDouble(most), DBL_MAX);
  // A single word rounds, a multi-word value truncates: 2^64 - 1 gives 2^64,
  // 2^128 - 1 gives 2^128 - 2^75.
  EXPECT_EQ(num::toDouble(NS(kOnes)), 0x1p64);
  EXPECT_EQ(num::toDouble(nb({kOnes, kOnes})), 0x1p128 - 0x1p75);
}

}  // namespace
}  // namespace numtest
