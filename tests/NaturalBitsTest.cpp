// Natural bit operations, shifts, single bits, counts, logarithms, floating
// conversion and memory against mpz, with the identities, sentinel results,
// exceptions and range checks that the comparison cannot show.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
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

using MpzOp = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);
Mpz apply(MpzOp op, const Mpz& a, const Mpz& b) {
  Mpz r;
  op(r.get(), a.get(), b.get());
  return r;
}

// ---------------------------------------------------------------------------
// Checks, one per family.

void checkBitwise(const Natural& a, const Natural& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  Mpz notB;
  mpz_com(notB.get(), mb.get());
  const Mpz wantAnd = apply(mpz_and, ma, mb);
  const Mpz wantOr = apply(mpz_ior, ma, mb);
  const Mpz wantXor = apply(mpz_xor, ma, mb);
  checkAll({{"naturalAnd", num::naturalAnd(a, b), wantAnd},
            {"&", a & b, wantAnd},
            {"&=", compound(a, [&](Natural& c) { c &= b; }), wantAnd},
            {"naturalAndNot", num::naturalAndNot(a, b), apply(mpz_and, ma, notB)},
            {"naturalOr", num::naturalOr(a, b), wantOr},
            {"|", a | b, wantOr},
            {"|=", compound(a, [&](Natural& c) { c |= b; }), wantOr},
            {"naturalXor", num::naturalXor(a, b), wantXor},
            {"^", a ^ b, wantXor},
            {"^=", compound(a, [&](Natural& c) { c ^= b; }), wantXor}},
           a);
}

// Left shifts and new bits only up to a bound, so the results stay small.
constexpr Word kGrowBound = 4096;

void checkShifts(const Natural& n, Word s) {
  const Mpz m = toMpz(n);
  Mpz right;
  mpz_fdiv_q_2exp(right.get(), m.get(), s);
  checkAll({{"naturalShiftR_", num::naturalShiftR_(n, s), right},
            {">>", n >> s, right},
            {">>=", compound(n, [&](Natural& c) { c >>= s; }), right}},
           n);
  if (s > kGrowBound) return;
  Mpz left;
  mpz_mul_2exp(left.get(), m.get(), s);
  checkAll({{"naturalShiftL_", num::naturalShiftL_(n, s), left},
            {"<<", n << s, left},
            {"<<=", compound(n, [&](Natural& c) { c <<= s; }), left}},
           n);
}

void checkBits(const Natural& n, Word i) {
  const Mpz m = toMpz(n);
  const int bit = mpz_tstbit(m.get(), i);
  EXPECT_EQ(num::naturalTestBit_(n, i), bit) << i;
  EXPECT_EQ(num::naturalTestBit(n, i), bit != 0) << i;
  if (i > kGrowBound) {
    EXPECT_TRUE(isNatural(num::naturalClearBit_(n, i), m)) << i;
    return;
  }
  Mpz set = m, clear = m, flip = m, power;
  mpz_setbit(set.get(), i);
  mpz_clrbit(clear.get(), i);
  mpz_combit(flip.get(), i);
  mpz_setbit(power.get(), i);
  checkAll({{"naturalSetBit_", num::naturalSetBit_(n, i), set},
            {"naturalClearBit_", num::naturalClearBit_(n, i), clear},
            {"naturalComplementBit_", num::naturalComplementBit_(n, i), flip},
            {"naturalBit_", num::naturalBit_(i), power}},
           n);
}

void checkCounts(const Natural& n) {
  const Mpz m = toMpz(n);
  const Word pop = mpz_popcount(m.get());
  EXPECT_EQ(num::naturalPopCount_(n), pop);
  const std::optional<Word> power =
      pop == 1 ? std::optional<Word>(mpz_scan1(m.get(), 0)) : std::nullopt;
  EXPECT_EQ(num::naturalIsPowerOf2_(n), power);
  // Zero has no highest bit: its logarithm is the sentinel 2^64 - 1.
  const Word log2 = m.sign() == 0 ? kOnes : mpz_sizeinbase(m.get(), 2) - 1;
  EXPECT_EQ(num::naturalLog2_(n), log2);
}

// Every logarithm and digit count of n in a word base >= 2.
void checkLogs(Word base, const Natural& n) {
  const Mpz m = toMpz(n);
  Word log = 0;
  if (m.sign() == 0) {
    log = base == 2 ? kOnes : 0;  // the sentinels of zero
  } else {
    log = floorLog(Mpz(base), m);
  }
  const Word size = m.sign() == 0 ? 0 : log + 1;
  EXPECT_EQ(num::naturalLogBaseWord_(base, n), log) << base;
  EXPECT_EQ(num::naturalLogBase_(NS(base), n), log) << base;
  EXPECT_EQ(num::naturalSizeInBase_(base, n), size) << base;
  if (std::has_single_bit(base) && base <= 32) {
    EXPECT_EQ(size, m.sign() == 0 ? 0 : mpz_sizeinbase(m.get(), static_cast<int>(base))) << base;
  }
}

// A multi-word base: a single-word n is below it.
void checkLogBase(const Natural& base, const Natural& n) {
  const Word want = n.isNS() ? 0 : floorLog(toMpz(base), toMpz(n));
  EXPECT_EQ(num::naturalLogBase_(base, n), want);
}

// A single word is rounded to nearest (twice when scaled below the normal
// range), a multi-word value truncated.
void checkEncode(const Natural& n, Int e) {
  const Mpz m = toMpz(n);
  const double want = n.isNS() ? roundedTwiceDouble(m, e) : truncatedDouble(m, e);
  EXPECT_EQ(num::naturalEncodeDouble_(n, e), want) << "0x" << m.str() << " * 2^" << e;
  EXPECT_EQ(num::naturalEncodeFloat_(n, e), static_cast<float>(want))
      << "0x" << m.str() << " * 2^" << e;
  if (e == 0) {
    EXPECT_EQ(num::toDouble(n), want);
  }
}

void checkFromDouble(double d) {
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

const MemoryForms<Natural> kMemoryForms = {num::naturalToAddr_, num::naturalFromAddr_,
                                           num::naturalToMutableByteArray_,
                                           num::naturalFromByteArray_};

// ---------------------------------------------------------------------------
// Operands.

Natural randomNatural(Rng& rng, Int maxLimbs = 40) {
  switch (rng.range(0, 4)) {
    case 0:
    case 1:
      return NS(rng.specialWord());
    case 2:
      return makeNatural(rng.limbs(2, 2));
    default:
      return makeNatural(rng.limbsOrZero(maxLimbs));
  }
}

std::vector<Natural> specialNaturals() {
  std::vector<Natural> values;
  for (const auto& m : specialMagnitudes()) values.push_back(makeNatural(m));
  return values;
}

// ---------------------------------------------------------------------------
// Differential checks: every pair of special values, then seeded operands.

TEST(NaturalBitsDifferential, SpecialValues) {
  const std::vector<Natural> values = specialNaturals();
  for (const Natural& a : values) {
    for (const Natural& b : values) {
      checkBitwise(a, b);
      if (b.isNB()) checkLogBase(b, a);
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

TEST(NaturalBitsDifferential, RandomBitwise) {
  forRandomOperands(100000, [](Rng& rng) { checkBitwise(randomNatural(rng), randomNatural(rng)); });
}

TEST(NaturalBitsDifferential, RandomShiftsAndBits) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural n = randomNatural(rng);
    checkShifts(n, randomIndex(rng, bitLength(toMpz(n))));
    checkBits(n, randomIndex(rng, bitLength(toMpz(n))));
  });
}

TEST(NaturalBitsDifferential, RandomCountsAndLogarithms) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural n = randomNatural(rng);
    checkCounts(n);
    const Word base = rng.coin() ? pick(rng, logBases()) : rng.specialWord();
    if (base >= 2) checkLogs(base, n);
    checkLogBase(makeNatural(rng.limbs(2, 6)), n);
  });
}

TEST(NaturalBitsDifferential, RandomFloatingConversion) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural n = randomNatural(rng);
    // Half of the exponents put the value near the bottom of the range.
    const Int e = rng.coin() ? pick(rng, encodeExponents(bitLength(toMpz(n))))
                             : rng.range(-1140, -1000) - static_cast<Int>(bitLength(toMpz(n)));
    checkEncode(n, e);
    double d = 0;
    const Word bits = rng.word();
    std::memcpy(&d, &bits, sizeof d);
    checkFromDouble(d);
  });
}

TEST(NaturalBitsDifferential, RandomMemory) {
  forRandomOperands(100000, [](Rng& rng) {
    checkMemory(randomNatural(rng), kMemoryForms, rng.range(0, 15) == 0);
    // Any string imports, zero bytes at either end included.
    const std::vector<unsigned char> bytes = rng.bytes(static_cast<std::size_t>(rng.range(0, 40)));
    for (const num::Int msbf : {0, 1}) {
      Mpz want;
      if (!bytes.empty())
        mpz_import(want.get(), bytes.size(), msbf != 0 ? 1 : -1, 1, 0, 0, bytes.data());
      EXPECT_TRUE(isNatural(num::naturalFromAddr_(bytes.size(), bytes.data(), msbf), want));
    }
  });
}

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
  };
  for (const Case& c : cases) EXPECT_TRUE(sameValueObject(c.got, c.want)) << c.what;
  // Zero shifted by any amount is zero, without allocating the shift.
  EXPECT_TRUE(sameValueObject(NS(0) << kOnes, NS(0)));
}

TEST(NaturalBitsSentinels, LogarithmsOfZeroAndBadBases) {
  const Natural zero = NS(0);
  const Natural big = nb({0, 1});
  EXPECT_EQ(num::naturalLog2_(zero), kOnes);
  EXPECT_EQ(num::naturalLogBaseWord_(2, zero), kOnes);
  EXPECT_EQ(num::naturalLogBaseWord_(10, zero), 0U);
  EXPECT_EQ(num::naturalLogBase_(big, zero), 0U);
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
