// BigNat products, division, gcd, lcm and modular powers against mpz, with
// the normal form of every result, the identities the operations promise and
// division by zero at every entry point.
#include <gtest/gtest.h>

#include <cmath>
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
using numtest::bigNatFromMpz;
using numtest::describe;
using numtest::isBigNat;
using numtest::Mpz;
using numtest::toMpz;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;

Word lowLimb(const BigNat_& a) { return num::bigNatToWord_(a); }

// Products, quotients, remainders, gcd and lcm of one pair of magnitudes.
void checkPair(const BigNat_& a, const BigNat_& b, bool withGcdGo = true) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  ASSERT_TRUE(isBigNat(num::bigNatMul(a, b), apply(mpz_mul, ma, mb)));
  ASSERT_TRUE(isBigNat(num::bigNatSqr(a), apply(mpz_mul, ma, ma)));
  if (!num::bigNatIsZero(b)) {
    Mpz q;
    Mpz r;
    mpz_tdiv_qr(q.get(), r.get(), ma.get(), mb.get());
    const auto [gq, gr] = num::bigNatQuotRem_(a, b);
    ASSERT_TRUE(isBigNat(gq, q));
    ASSERT_TRUE(isBigNat(gr, r));
    ASSERT_TRUE(isBigNat(num::bigNatQuot(a, b), q));
    ASSERT_TRUE(isBigNat(num::bigNatRem(a, b), r));
  }
  const Mpz g = apply(mpz_gcd, ma, mb);
  ASSERT_TRUE(isBigNat(num::bigNatGcd(a, b), g));
  Mpz lcm;  // a / g * b, so the reference computes one gcd only
  if (mpz_sgn(g.get()) != 0) mpz_mul(lcm.get(), apply(mpz_divexact, ma, g).get(), mb.get());
  ASSERT_TRUE(isBigNat(num::bigNatLcm(a, b), lcm));
  const int c = mpz_cmp(ma.get(), mb.get());
  if (withGcdGo && a.size() >= 2 && b.size() >= 2 && c != 0) {
    ASSERT_TRUE(isBigNat(c > 0 ? num::bigNatGcd_go(a, b) : num::bigNatGcd_go(b, a), g));
  }
}

// The word forms on one magnitude and one word, and the two-word forms.
void checkWord(const BigNat_& a, Word w) {
  const Mpz ma = toMpz(a);
  const Mpz mw(w);
  ASSERT_TRUE(isBigNat(num::bigNatMulWord(a, w), apply(mpz_mul, ma, mw)));
  if (w != 0) {
    Mpz q;
    Mpz r;
    mpz_tdiv_qr(q.get(), r.get(), ma.get(), mw.get());
    const auto [gq, gr] = num::bigNatQuotRemWord_(a, w);
    ASSERT_TRUE(isBigNat(gq, q));
    ASSERT_EQ(Mpz(gr), r);
    ASSERT_TRUE(isBigNat(num::bigNatQuotWord(a, w), q));
    ASSERT_EQ(Mpz(num::bigNatRemWord(a, w)), r);
  }
  if (!num::bigNatIsZero(a) && w != 0) {
    ASSERT_EQ(Mpz(num::bigNatGcdWord_(a, w)), apply(mpz_gcd, ma, mw));
  }
  ASSERT_TRUE(isBigNat(num::bigNatLcmWord_(a, w), apply(mpz_lcm, ma, mw)));
  const Word x = lowLimb(a);
  const Mpz mx(x);
  ASSERT_EQ(Mpz(num::gcdWord(x, w)), apply(mpz_gcd, mx, mw));
  ASSERT_TRUE(isBigNat(num::bigNatLcmWordWord_(x, w), apply(mpz_lcm, mx, mw)));
  const auto sx = static_cast<Int>(x);
  const auto sw = static_cast<Int>(w);
  ASSERT_EQ(Mpz(static_cast<Word>(num::gcdInt(sx, sw))),
            apply(mpz_gcd, Mpz::fromInt(sx), Mpz::fromInt(sw)));
}

// b^e mod m on magnitudes, on a word modulus and on words.
void checkPowMod(const BigNat_& b, const BigNat_& e, const BigNat_& m) {
  const Mpz mb = toMpz(b);
  const Mpz me = toMpz(e);
  if (num::bigNatIsZero(m)) return;  // the division-by-zero table's
  Mpz want;
  mpz_powm(want.get(), mb.get(), me.get(), toMpz(m).get());
  ASSERT_TRUE(isBigNat(num::bigNatPowMod(b, e, m), want));
  const Word m0 = lowLimb(m);
  if (m0 == 0) return;
  mpz_powm(want.get(), mb.get(), me.get(), Mpz(m0).get());
  ASSERT_EQ(Mpz(num::bigNatPowModWord_(b, e, m0)), want);
  const Word b0 = lowLimb(b);
  const Word e0 = lowLimb(e);
  mpz_powm(want.get(), Mpz(b0).get(), Mpz(e0).get(), Mpz(m0).get());
  ASSERT_EQ(Mpz(num::powModWord_(b0, e0, m0)), want);
}

// a * 2^e against mpz's truncated conversion, where the result is a normal
// double or overflows.
void checkEncodeDouble(const BigNat_& a, Int e) {
  long bits = 0;
  const double d = mpz_get_d_2exp(&bits, toMpz(a).get());
  const Int exp = bits + e;
  const double got = num::bigNatEncodeDouble_(a, e);
  if (num::bigNatIsZero(a)) {
    ASSERT_EQ(got, 0.0);
  } else if (exp > 1024) {
    ASSERT_EQ(got, HUGE_VAL);
  } else if (exp >= -1021) {
    ASSERT_EQ(got, std::ldexp(d, static_cast<int>(exp))) << "e = " << e;
  }
}

TEST(BigNatMulDifferential, AllPairsOfSpecialValues) {
  const std::vector<BigNat_> vs = numtest::specials();
  const std::vector<BigNat_> exponents = {num::bigNatZero_(),       bigNatFromLimbs({1}),
                                          bigNatFromLimbs({2}),     bigNatFromLimbs({65537}),
                                          bigNatFromLimbs({kOnes}), bigNatFromLimbs({3, 1})};
  for (const auto& a : vs) {
    for (const auto& b : vs) {
      checkPair(a, b);
      checkWord(a, lowLimb(b));
      for (const auto& e : exponents) checkPowMod(a, e, b);
      if (HasFatalFailure()) return void(ADD_FAILURE() << "operands:" << describe({&a, &b}));
    }
    for (Word w : numtest::specialWords()) checkWord(a, w);
    for (Int e : {-1100, -64, -1, 0, 1, 63, 1000}) checkEncodeDouble(a, e);
    if (HasFatalFailure()) return void(ADD_FAILURE() << "operand:" << describe({&a}));
  }
}

TEST(BigNatMulDifferential, RandomOperands) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(100000); ++it) {
    const std::vector<Word> la = rng.limbsOrZero(40);
    const auto n = static_cast<Int>(la.size());
    const Int pick = rng.range(0, 3);  // any size, a's size, one limb shorter, or near a
    std::vector<Word> lb = la;         // near a: quotients of 0, 1 and 2
    if (pick == 0 || (pick < 3 && n < pick)) {
      lb = rng.limbsOrZero(40);
    } else if (pick < 3) {
      lb = rng.limbs(n + 1 - pick, n + 1 - pick);
    } else if (!lb.empty()) {
      lb[0] += rng.specialWord();
      if (lb.back() == 0) lb.back() = 1;
    }
    BigNat_ a = bigNatFromLimbs(la);
    BigNat_ b = bigNatFromLimbs(lb);
    if (it % 5 == 0) {  // multiples of a common factor, so that the gcd is large
      const Mpz c = Mpz::fromLimbs(rng.limbs(1, 12));
      a = bigNatFromMpz(apply(mpz_mul, Mpz::fromLimbs(rng.limbs(1, 20)), c));
      b = bigNatFromMpz(apply(mpz_mul, Mpz::fromLimbs(rng.limbs(1, 20)), c));
    }
    checkPair(a, b, it % 4 == 0 || it % 5 == 0);  // gcd_go on a quarter, and large gcds
    checkWord(a, rng.coin() ? rng.specialWord() : lowLimb(b));
    checkEncodeDouble(a, rng.range(-2600, 1100));
    std::vector<Word> lm = rng.limbs(1, 8);
    lm[0] = rng.coin() ? (lm[0] | 1) : (lm[0] & ~Word{1});  // odd and even moduli
    if (lm.size() == 1 && lm[0] == 0) lm[0] = 2;
    const BigNat_ e = bigNatFromLimbs(rng.limbsOrZero(2));
    const BigNat_ m = bigNatFromLimbs(lm);
    if (it % 5 == 0) checkPowMod(bigNatFromLimbs(rng.limbsOrZero(12)), e, m);
    if (HasFatalFailure()) return void(ADD_FAILURE() << "operands:" << describe({&a, &b, &e, &m}));
  }
}

// ---------------------------------------------------------------------------
// What the differential checks cannot see.

TEST(BigNatMulIdentity, ArgumentsAndSharedConstants) {
  const BigNat_ zero = num::bigNatZero_();
  const BigNat_ one = num::bigNatOne_();
  const BigNat_ a = bigNatFromLimbs({3, 4});
  const BigNat_ a2 = bigNatFromLimbs({3, 4});  // equal to a, another block
  const BigNat_ big = bigNatFromLimbs({1, 2, 3});
  struct Case {
    const char* what;
    BigNat_ got;
    const BigNat_& want;
  } cases[] = {{"a * 1", num::bigNatMul(a, one), a},
               {"1 * a", num::bigNatMul(one, a), a},
               {"a * 0", num::bigNatMul(a, zero), zero},
               {"1^2", num::bigNatSqr(one), one},
               {"a * w=1", num::bigNatMulWord(a, 1), a},
               {"a * w=0", num::bigNatMulWord(a, 0), zero},
               {"quot(a, 1)", num::bigNatQuotRem_(a, one).first, a},
               {"rem(a, 1)", num::bigNatQuotRem_(a, one).second, zero},
               {"quot(a, big)", num::bigNatQuotRem_(a, big).first, zero},
               {"rem(a, big)", num::bigNatQuotRem_(a, big).second, a},
               {"quot(a, a)", num::bigNatQuotRem_(a, a2).first, one},
               {"rem(a, a)", num::bigNatQuotRem_(a, a2).second, zero},
               {"bigNatQuot(a, 1)", num::bigNatQuot(a, one), a},
               {"bigNatQuot(a, a)", num::bigNatQuot(a, a2), one},
               {"bigNatRem(a, big)", num::bigNatRem(a, big), a},
               {"quotWord(a, 1)", num::bigNatQuotWord(a, 1), a},
               {"quotRemWord(a, 1)", num::bigNatQuotRemWord_(a, 1).first, a},
               {"quotRemWord(5, 5)", num::bigNatQuotRemWord_(bigNatFromLimbs({5}), 5).first, one},
               {"gcd(0, a)", num::bigNatGcd(zero, a), a},
               {"gcd(a, 0)", num::bigNatGcd(a, zero), a},
               {"gcd(1, a)", num::bigNatGcd(one, a), one},
               {"gcd(a, a')", num::bigNatGcd(a, a2), a},
               {"lcm(1, a)", num::bigNatLcm(one, a), a},
               {"lcm(a, 1)", num::bigNatLcm(a, one), a},
               {"lcmWord(a, 1)", num::bigNatLcmWord_(a, 1), a},
               {"lcm(a, 0)", num::bigNatLcm(a, zero), zero}};
  for (const auto& c : cases) EXPECT_TRUE(c.got.sameBlock(c.want)) << c.what;
  const BigNat_ m = bigNatFromLimbs({kOnes, kOnes});
  for (const BigNat_& r :
       {num::bigNatMul(m, m), num::bigNatMulWord(m, 3), num::bigNatQuotWord(m, 3),
        num::bigNatPowMod(m, bigNatFromLimbs({3}), bigNatFromLimbs({7, 7})),
        num::bigNatGcd(m, bigNatFromLimbs({3, 3}))}) {
    EXPECT_FALSE(r.sameBlock(m));
    EXPECT_EQ(r.block()->refs.load(), 1) << "a fresh result has one reference";
  }
}

TEST(BigNatMulEdgeCases, WordResults) {
  EXPECT_EQ(num::gcdInt(INT64_MIN, INT64_MIN), INT64_MIN);
  EXPECT_EQ(num::gcdInt(INT64_MIN, 0), INT64_MIN);
  EXPECT_EQ(num::gcdWord(0, 0), 0U);
  EXPECT_EQ(num::bigNatPowModWord_(num::bigNatZero_(), num::bigNatZero_(), 1), 0U);
  EXPECT_EQ(num::bigNatEncodeDouble_(num::bigNatZero_(), 5000), 0.0);
  EXPECT_EQ(num::bigNatEncodeDouble_(bigNatFromLimbs({1}), 1024), HUGE_VAL);
  EXPECT_EQ(num::bigNatToWordList(num::bigNatLcmWordWord_(kTop, 3)), (std::vector<Word>{1, kTop}));
  // Zero operands of the word gcd stay away from the kernel.
  EXPECT_EQ(num::bigNatGcdWord_(num::bigNatZero_(), 6), 6U);
  EXPECT_EQ(num::bigNatGcdWord_(num::bigNatZero_(), 0), 0U);
  EXPECT_EQ(num::bigNatGcdWord_(bigNatFromLimbs({6}), 0), 6U);
  EXPECT_EQ(num::bigNatGcdWord_(bigNatFromLimbs({6, 1}), 0), 0U);
}

TEST(BigNatMulErrors, DivisionByZeroRaisesAtEveryEntryPoint) {
  const BigNat_ zero = num::bigNatZero_();
  const BigNat_ a = bigNatFromLimbs({1, 2});
  const std::vector<std::function<void()>> calls = {
      [&] { num::bigNatQuotRem_(a, zero); },     [&] { num::bigNatQuotRem_(zero, zero); },
      [&] { num::bigNatQuot(a, zero); },         [&] { num::bigNatQuot(zero, zero); },
      [&] { num::bigNatRem(a, zero); },          [&] { num::bigNatRem(zero, zero); },
      [&] { num::bigNatQuotRemWord_(a, 0); },    [&] { num::bigNatQuotRemWord_(zero, 0); },
      [&] { num::bigNatQuotWord(a, 0); },        [&] { num::bigNatQuotWord_(zero, 0); },
      [&] { num::bigNatRemWord(a, 0); },         [&] { num::bigNatRemWord_(zero, 0); },
      [&] { num::raiseDivZero_BigNat(); },       [&] { num::bigNatPowMod(a, zero, zero); },
      [&] { num::bigNatPowMod(zero, a, zero); }, [&] { num::bigNatPowModWord_(a, zero, 0); },
      [&] { num::powModWord_(2, 0, 0); }};
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_THROW(calls[i](), num::DivideByZero) << "call " << i;
  }
}

}  // namespace
