// BigNat bit operations, shifts, bit counts, logarithms and digit counts
// against mpz, with the normal form of every result; the arguments and
// shared constants the operations promise to return; overflow for bases
// below 2.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Num/BigNat.hpp"
#include "support/BigNatMpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using num::BigNat_;
using num::Int;
using num::Word;
using numtest::apply;
using numtest::bigNatFromLimbs;
using numtest::describe;
using numtest::isBigNat;
using numtest::Mpz;
using numtest::toMpz;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;

using MpzSetBit = void (*)(mpz_ptr, mp_bitcnt_t);
Mpz withBit(MpzSetBit f, const Mpz& a, Word i) {
  Mpz r = a;
  f(r.get(), i);
  return r;
}

// ---------------------------------------------------------------------------
// One check per family.

void checkLogic(const BigNat_& a, const BigNat_& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  ASSERT_TRUE(isBigNat(num::bigNatAnd(a, b), apply(mpz_and, ma, mb)));
  ASSERT_TRUE(isBigNat(num::bigNatOr(a, b), apply(mpz_ior, ma, mb)));
  ASSERT_TRUE(isBigNat(num::bigNatXor(a, b), apply(mpz_xor, ma, mb)));
  Mpz notB;
  mpz_com(notB.get(), mb.get());
  ASSERT_TRUE(isBigNat(num::bigNatAndNot(a, b), apply(mpz_and, ma, notB)));
}

void checkWordLogic(const BigNat_& a, Word w) {
  const Mpz ma = toMpz(a);
  const Mpz mw(w);
  ASSERT_TRUE(isBigNat(num::bigNatAndWord_(a, w), apply(mpz_and, ma, mw)));
  ASSERT_TRUE(isBigNat(num::bigNatOrWord_(a, w), apply(mpz_ior, ma, mw)));
  ASSERT_TRUE(isBigNat(num::bigNatXorWord_(a, w), apply(mpz_xor, ma, mw)));
  Mpz notW;
  mpz_com(notW.get(), mw.get());
  ASSERT_TRUE(isBigNat(num::bigNatAndNotWord_(a, w), apply(mpz_and, ma, notW)));
  // mpz_and reads a negative operand in two's complement, sign-extended.
  const auto i = static_cast<Int>(w);
  ASSERT_TRUE(isBigNat(num::bigNatAndInt_(a, i), apply(mpz_and, ma, Mpz::fromInt(i))));
}

void checkShifts(const BigNat_& a, Word n) {
  const Mpz ma = toMpz(a);
  ASSERT_TRUE(isBigNat(num::bigNatShiftL(a, n), apply(mpz_mul_2exp, ma, n)));
  ASSERT_TRUE(isBigNat(num::bigNatShiftR(a, n), apply(mpz_fdiv_q_2exp, ma, n)));
  // Rounded up while a limb survives; zero (not 1) once every limb goes.
  const bool allOut = n / 64 >= static_cast<Word>(a.size());
  ASSERT_TRUE(
      isBigNat(num::bigNatShiftRNeg_(a, n), allOut ? Mpz() : apply(mpz_cdiv_q_2exp, ma, n)));
}

void checkBits(const BigNat_& a, Word i) {
  const Mpz ma = toMpz(a);
  ASSERT_EQ(num::bigNatTestBit(a, i), mpz_tstbit(ma.get(), i) != 0);
  ASSERT_EQ(num::bigNatTestBit_(a, i), mpz_tstbit(ma.get(), i));
  ASSERT_TRUE(isBigNat(num::bigNatSetBit_(a, i), withBit(mpz_setbit, ma, i)));
  ASSERT_TRUE(isBigNat(num::bigNatClearBit_(a, i), withBit(mpz_clrbit, ma, i)));
  ASSERT_TRUE(isBigNat(num::bigNatComplementBit_(a, i), withBit(mpz_combit, ma, i)));
  ASSERT_TRUE(isBigNat(num::bigNatBit(i), withBit(mpz_setbit, Mpz(), i)));
}

void checkCounts(const BigNat_& a) {
  const Mpz ma = toMpz(a);
  const bool zero = ma.sign() == 0;
  const Word ctz = zero ? 0 : mpz_scan1(ma.get(), 0);
  ASSERT_EQ(num::bigNatPopCount(a), mpz_popcount(ma.get()));
  ASSERT_EQ(num::bigNatCtz(a), ctz);
  ASSERT_EQ(num::bigNatCtzWord(a), ctz / 64);
  const auto p = num::bigNatIsPowerOf2_(a);
  ASSERT_EQ(p.has_value(), !zero && mpz_popcount(ma.get()) == 1);
  if (p) {
    ASSERT_EQ(*p, ctz);
  }
  ASSERT_EQ(num::bigNatLog2(a), zero ? 0 : mpz_sizeinbase(ma.get(), 2) - 1);
}

// Whether k is floor(log_base a): base^k <= a < base^(k + 1), or k = 0 for
// a = 0.
::testing::AssertionResult isFloorLog(Word k, const Mpz& base, const Mpz& a) {
  if (a.sign() == 0) {
    if (k == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "log of zero gave " << k;
  }
  Mpz lo;
  mpz_pow_ui(lo.get(), base.get(), k);
  const Mpz hi = apply(mpz_mul, lo, base);
  if (mpz_cmp(lo.get(), a.get()) <= 0 && mpz_cmp(a.get(), hi.get()) < 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "log_0x" << base.str() << " 0x" << a.str() << " gave " << k;
}

void checkLogs(const BigNat_& a, Word base, const BigNat_& bigBase) {
  const Mpz ma = toMpz(a);
  const Word k = num::bigNatLogBaseWord(base, a);
  ASSERT_TRUE(isFloorLog(k, Mpz(base), ma));
  ASSERT_EQ(num::bigNatLogBase(bigNatFromLimbs({base}), a), k);
  // GMP's digit count is exact or one too many when the base is not a power
  // of two; the power decides which.
  Word digits = 0;
  if (ma.sign() != 0) {
    digits = base <= 62 ? mpz_sizeinbase(ma.get(), static_cast<int>(base)) : k + 1;
    Mpz low;
    mpz_ui_pow_ui(low.get(), base, digits - 1);
    if (mpz_cmp(low.get(), ma.get()) > 0) --digits;
  }
  ASSERT_EQ(num::bigNatSizeInBase(base, a), digits);
  if (bigBase.size() != 0 && !num::bigNatIsOne(bigBase)) {
    ASSERT_TRUE(isFloorLog(num::bigNatLogBase(bigBase, a), toMpz(bigBase), ma));
  }
}

// Shift counts and bit indices around every limb boundary of a: 64 k - 1,
// 64 k and 64 k + 1 up to two limbs past its top, and a few far ones.
std::vector<Word> boundaryCounts(const BigNat_& a) {
  std::vector<Word> v = {1000, 4099};
  for (Word k = 0; k <= static_cast<Word>(a.size()) + 2; ++k) {
    for (Word d : {Word{0}, Word{1}, Word{2}}) {
      if (64 * k + d >= 1) v.push_back(64 * k + d - 1);
    }
  }
  return v;
}

const Word kBases[] = {2, 3, 7, 10, 16, 36, 62, 255, Word{1} << 32, kTop + 1, kOnes};

TEST(BigNatBitsDifferential, AllPairsOfSpecialValues) {
  const std::vector<BigNat_> vs = numtest::specials();
  for (const auto& a : vs) {
    for (const auto& b : vs) {
      checkLogic(a, b);
      checkWordLogic(a, num::bigNatToWord_(b));
      checkLogs(a, 3, b);
      if (HasFatalFailure()) {
        ADD_FAILURE() << "operands:" << describe({&a, &b});
        return;
      }
    }
    for (Word w : numtest::specialWords()) checkWordLogic(a, w);
    for (Word n : boundaryCounts(a)) {
      checkShifts(a, n);
      checkBits(a, n);
    }
    checkShifts(a, 0);
    checkCounts(a);
    for (Word base : kBases) checkLogs(a, base, a);
    if (HasFatalFailure()) return void(ADD_FAILURE() << "operand:" << describe({&a}));
  }
}

// Random magnitudes of 0 to 40 limbs; the second operand is often of the
// first one's size, or shares its limbs, so that results lose top limbs.
BigNat_ randomPartner(numtest::Rng& rng, const std::vector<Word>& la) {
  std::vector<Word> lb;
  switch (rng.range(0, 2)) {
    case 0:
      lb = rng.limbsOrZero(40);
      break;
    case 1:
      lb = la.empty() ? rng.limbsOrZero(1)
                      : rng.limbs(static_cast<Int>(la.size()), static_cast<Int>(la.size()));
      break;
    default:
      lb = la;
      if (!lb.empty()) lb[static_cast<std::size_t>(rng.range(0, Int(lb.size()) - 1))] ^= rng.word();
      while (!lb.empty() && lb.back() == 0) lb.pop_back();
      break;
  }
  return bigNatFromLimbs(lb);
}

// A shift count or bit index: near a multiple of 64 inside or just past a,
// or anywhere up to 64 limbs.
Word randomCount(numtest::Rng& rng, const BigNat_& a) {
  if (rng.coin()) return static_cast<Word>(rng.range(0, 64 * 64));
  const Word k = static_cast<Word>(rng.range(0, a.size() + 2));
  return 64 * k + static_cast<Word>(rng.range(0, 2)) - (k == 0 ? 0 : 1);
}

TEST(BigNatBitsDifferential, RandomOperands) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(100000); ++it) {
    const std::vector<Word> la = rng.limbsOrZero(40);
    const BigNat_ a = bigNatFromLimbs(la);
    const BigNat_ b = randomPartner(rng, la);
    const Word n = randomCount(rng, a);
    checkLogic(a, b);
    checkWordLogic(a, rng.specialWord());
    checkShifts(a, n);
    checkBits(a, randomCount(rng, a));
    // Powers of two and their neighbours as well as plain values.
    BigNat_ c = bigNatFromLimbs(rng.limbsOrZero(40));
    if (rng.range(0, 3) == 0) {
      c = num::bigNatBit(static_cast<Word>(rng.range(0, 2560)));
      if (rng.coin()) c = num::bigNatAddWord(c, 1);
    }
    const Word base = rng.coin() ? static_cast<Word>(rng.range(2, 70)) : rng.specialWord();
    checkCounts(c);
    if (base >= 2) checkLogs(c, base, bigNatFromLimbs(rng.limbsOrZero(3)));
    if (HasFatalFailure()) {
      ADD_FAILURE() << "operands:" << describe({&a, &b, &c}) << " n = " << n << " base = " << base;
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// What the differential checks cannot see.

TEST(BigNatBitsIdentity, ArgumentsAndSharedConstants) {
  const BigNat_ a = bigNatFromLimbs({3, 4});
  const BigNat_ b = bigNatFromLimbs({5, 6, 7});
  // A zero in a block of its own, so that returning the shared zero instead
  // of the argument shows.
  const BigNat_ zero = *num::bigNatSub(a, a);
  ASSERT_FALSE(zero.sameBlock(num::bigNatZero_()));
  struct Case {
    const char* what;
    BigNat_ got;
    const BigNat_& want;
  } cases[] = {{"0 and b", num::bigNatAnd(zero, b), zero},
               {"a and 0", num::bigNatAnd(a, zero), zero},
               {"0 andNot b", num::bigNatAndNot(zero, b), zero},
               {"a andNot 0", num::bigNatAndNot(a, zero), a},
               {"0 or b", num::bigNatOr(zero, b), b},
               {"a or 0", num::bigNatOr(a, zero), a},
               {"0 xor b", num::bigNatXor(zero, b), b},
               {"a xor 0", num::bigNatXor(a, zero), a},
               {"0 andWord", num::bigNatAndWord_(zero, 5), zero},
               {"0 andNotWord", num::bigNatAndNotWord_(zero, 5), zero},
               {"0 andInt", num::bigNatAndInt_(zero, -1), zero},
               {"a orWord 0", num::bigNatOrWord_(a, 0), a},
               {"a xorWord 0", num::bigNatXorWord_(a, 0), a},
               {"a << 0", num::bigNatShiftL(a, 0), a},
               {"0 << 9", num::bigNatShiftL(zero, 9), zero},
               {"a >> 0", num::bigNatShiftR(a, 0), a},
               {"0 >> 9", num::bigNatShiftR(zero, 9), zero},
               {"a >>neg 0", num::bigNatShiftRNeg_(a, 0), a},
               {"0 >>neg 9", num::bigNatShiftRNeg_(zero, 9), zero},
               {"setBit of a set bit", num::bigNatSetBit_(a, 66), a},
               {"clearBit of a clear bit", num::bigNatClearBit_(a, 2), a},
               {"clearBit past the top", num::bigNatClearBit_(a, 500), a},
               {"bit 0", num::bigNatBit(0), num::bigNatOne_()},
               {"a >> past the top", num::bigNatShiftR(a, 128), num::bigNatZero_()},
               {"a >>neg past the top", num::bigNatShiftRNeg_(a, 128), num::bigNatZero_()}};
  for (const auto& c : cases) EXPECT_TRUE(c.got.sameBlock(c.want)) << c.what;
}

TEST(BigNatBitsIdentity, ClearingTheTopBitAllocatesExactlyTheLimbsLeft) {
  const BigNat_ cleared = num::bigNatClearBit_(bigNatFromLimbs({5, 0, 0, 1}), 192);
  EXPECT_TRUE(isBigNat(cleared, Mpz(5)));
  EXPECT_EQ(cleared.sizeBytes(), 8U);
}

TEST(BigNatBitsErrors, BasesBelowTwoOverflow) {
  const BigNat_ zero = num::bigNatZero_();
  const BigNat_ a = bigNatFromLimbs({7, 7});
  const std::vector<std::function<void()>> calls = {
      [&] { num::bigNatLogBase(zero, a); },      [&] { num::bigNatLogBase(num::bigNatOne_(), a); },
      [&] { num::bigNatLogBase_(zero, zero); },  [&] { num::bigNatLogBaseWord(0, a); },
      [&] { num::bigNatLogBaseWord_(1, zero); }, [&] { num::bigNatSizeInBase(0, a); },
      [&] { num::bigNatSizeInBase_(1, a); },     [&] { num::bigNatSizeInBase_(1, zero); }};
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_THROW(calls[i](), num::Overflow) << "call " << i;
  }
}

}  // namespace
