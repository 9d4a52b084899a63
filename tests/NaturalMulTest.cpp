// Natural multiplication, division, gcd, lcm and modular power against mpz,
// with the form and identity of results and division by zero.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Num/Natural.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Natural;
using num::NB;
using num::NS;

using MpzOp = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);
Mpz apply(MpzOp op, const Mpz& a, const Mpz& b) {
  Mpz r;
  op(r.get(), a.get(), b.get());
  return r;
}

Natural nb(std::vector<Word> limbs) { return NB(bigNatFromLimbs(limbs)); }
Natural fromMpz(const Mpz& m) { return makeNatural(m.limbs()); }

void checkProduct(const Natural& a, const Natural& b) {
  const Mpz p = apply(mpz_mul, toMpz(a), toMpz(b));
  EXPECT_TRUE(isNatural(num::naturalMul(a, b), p));
  EXPECT_TRUE(isNatural(a * b, p));
  Natural c = a;
  c *= b;
  EXPECT_TRUE(isNatural(c, p));
  if (num::naturalEq(a, b)) {
    EXPECT_TRUE(isNatural(num::naturalSqr(a), p));
  }
}

// Every quotient and remainder entry point; a zero divisor raises in each.
void checkDivision(const Natural& n, const Natural& d) {
  if (num::naturalIsZero(d)) {
    EXPECT_THROW(num::naturalQuotRem_(n, d), num::DivideByZero);
    EXPECT_THROW(num::naturalQuot(n, d), num::DivideByZero);
    EXPECT_THROW(num::naturalRem(n, d), num::DivideByZero);
    return;
  }
  Mpz q, r;
  mpz_tdiv_qr(q.get(), r.get(), toMpz(n).get(), toMpz(d).get());
  const auto [q1, r1] = num::naturalQuotRem_(n, d);
  EXPECT_TRUE(isNatural(q1, q));
  EXPECT_TRUE(isNatural(r1, r));
  const auto [q2, r2] = num::naturalQuotRem(n, d);
  EXPECT_TRUE(isNatural(q2, q) && isNatural(r2, r));
  EXPECT_TRUE(isNatural(num::naturalQuot(n, d), q));
  EXPECT_TRUE(isNatural(num::naturalRem(n, d), r));
  EXPECT_TRUE(isNatural(n / d, q));
  EXPECT_TRUE(isNatural(n % d, r));
  Natural c = n;
  c /= d;
  EXPECT_TRUE(isNatural(c, q));
  c = n;
  c %= d;
  EXPECT_TRUE(isNatural(c, r));
}

void checkGcdLcm(const Natural& a, const Natural& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  EXPECT_TRUE(isNatural(num::naturalGcd(a, b), apply(mpz_gcd, ma, mb)));
  EXPECT_TRUE(isNatural(num::naturalLcm(a, b), apply(mpz_lcm, ma, mb)));
}

void checkPowMod(const Natural& b, const Natural& e, const Natural& m) {
  if (num::naturalIsZero(m)) {
    EXPECT_THROW(num::naturalPowMod(b, e, m), num::DivideByZero);
    return;
  }
  Mpz r;
  mpz_powm(r.get(), toMpz(b).get(), toMpz(e).get(), toMpz(m).get());
  EXPECT_TRUE(isNatural(num::naturalPowMod(b, e, m), r));
}

void checkPair(const Natural& a, const Natural& b) {
  checkProduct(a, b);
  checkDivision(a, b);
  checkGcdLcm(a, b);
}

// Operands: single words biased to the boundaries, two limbs, and up to 40.
Natural randomNatural(Rng& rng, Int maxLimbs = 40) {
  switch (rng.range(0, 4)) {
    case 0:
    case 1:
      return NS(rng.specialWord());
    case 2:
      return makeNatural(rng.limbs(2, 2));
    default:
      return makeNatural(rng.limbs(1, maxLimbs));
  }
}

Int limbCount(const Natural& n) { return n.isNS() ? 1 : n.bigNat().size(); }

// A divisor for n: a single word, one of n's size or one limb shorter (the
// sizes at which the quotient has one or two limbs), or any size.
Natural divisorFor(Rng& rng, const Natural& n) {
  const Int size = limbCount(n);
  switch (rng.range(0, 3)) {
    case 0:
      return NS(rng.specialWord());
    case 1:
      return makeNatural(rng.limbs(size, size));
    case 2:
      return makeNatural(rng.limbs(std::max<Int>(size - 1, 1), std::max<Int>(size - 1, 1)));
    default:
      return randomNatural(rng);
  }
}

template <class Check>
void forRandomOperands(long count, const Check& check) {
  Rng rng;
  const long n = iterations(count);
  for (long i = 0; i < n; ++i) {
    check(rng);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "iteration " << i;
      break;
    }
  }
}

std::vector<Natural> specialNaturals() {
  std::vector<Natural> values;
  for (const auto& m : specialMagnitudes()) values.push_back(makeNatural(m));
  return values;
}

TEST(NaturalMulDifferential, AllPairsAndTriplesOfSpecialValues) {
  const std::vector<Natural> values = specialNaturals();
  for (const Natural& a : values) {
    for (const Natural& b : values) {
      checkPair(a, b);
      for (const Natural& m : values) checkPowMod(a, b, m);
    }
  }
}

TEST(NaturalMulDifferential, RandomProducts) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural a = randomNatural(rng);
    checkProduct(a, rng.range(0, 7) == 0 ? a : randomNatural(rng));
  });
}

TEST(NaturalMulDifferential, RandomQuotientsAndRemainders) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural n = randomNatural(rng);
    const Natural d = divisorFor(rng, n);
    checkDivision(n, d);
    if (num::naturalIsZero(d)) return;
    // n * d + r with r < d: a remainder from every part of [0, d).
    checkDivision(num::naturalAdd(num::naturalMul(n, d), num::naturalRem(randomNatural(rng), d)),
                  d);
  });
}

TEST(NaturalMulDifferential, RandomGcdsWithCommonFactors) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural g = randomNatural(rng, 8);
    const Natural a = num::naturalMul(g, randomNatural(rng, 16));
    const Natural b = num::naturalMul(g, randomNatural(rng, 16));
    checkGcdLcm(a, b);
    checkGcdLcm(randomNatural(rng), randomNatural(rng));
  });
}

TEST(NaturalMulDifferential, RandomModularPowers) {
  forRandomOperands(100000, [](Rng& rng) {
    // Short exponents keep the run short; moduli are odd and even, of every
    // size, mostly small.
    const Natural e = rng.range(0, 3) == 0 ? makeNatural(rng.limbs(1, 3)) : NS(rng.specialWord());
    Mpz m = toMpz(rng.range(0, 7) == 0 ? randomNatural(rng) : randomNatural(rng, 4));
    if (rng.coin()) mpz_setbit(m.get(), 0);
    checkPowMod(randomNatural(rng), e, fromMpz(m));
  });
}

// ---------------------------------------------------------------------------
// What the mpz comparison cannot see.

TEST(NaturalMulIdentity, ArgumentsThemselvesAndSharedConstants) {
  const Natural big = nb({3, 4, 5});
  const Natural same = nb({3, 4, 5});  // equal to big, another block
  const Natural bigger = nb({1, 2, 3, 4});
  struct Case {
    const char* what;
    Natural got, want;
  };
  const Case cases[] = {
      {"1 * a", num::naturalMul(NS(1), big), big},
      {"a * 1", num::naturalMul(big, NS(1)), big},
      {"a / 1", num::naturalQuot(big, NS(1)), big},
      {"quotRem(a, 1).q", num::naturalQuotRem_(big, NS(1)).first, big},
      {"a % bigger", num::naturalRem(big, bigger), big},
      {"quotRem(a, bigger).r", num::naturalQuotRem_(big, bigger).second, big},
      {"gcd(0, a)", num::naturalGcd(NS(0), big), big},
      {"gcd(a, 0)", num::naturalGcd(big, NS(0)), big},
      {"gcd(a, equal)", num::naturalGcd(big, same), big},
      {"lcm(1, a)", num::naturalLcm(NS(1), big), big},
      {"lcm(a, 1)", num::naturalLcm(big, NS(1)), big},
      {"lcm(a, a)", num::naturalLcm(big, big), big},
  };
  for (const Case& c : cases) EXPECT_TRUE(sameValueObject(c.got, c.want)) << c.what;
  // Real products and quotients are fresh.
  EXPECT_FALSE(num::naturalMul(big, NS(2)).bigNat().sameBlock(big.bigNat()));
  EXPECT_FALSE(num::naturalQuot(bigger, NS(2)).bigNat().sameBlock(bigger.bigNat()));
}

TEST(NaturalMulErrors, EveryDivisionByZeroRaises) {
  using Op = std::function<void(const Natural&)>;
  const Natural zero = NS(0);
  const std::pair<const char*, Op> ops[] = {
      {"naturalQuotRem_", [&](const Natural& n) { num::naturalQuotRem_(n, zero); }},
      {"naturalQuotRem", [&](const Natural& n) { num::naturalQuotRem(n, zero); }},
      {"naturalQuot", [&](const Natural& n) { num::naturalQuot(n, zero); }},
      {"naturalRem", [&](const Natural& n) { num::naturalRem(n, zero); }},
      {"/", [&](const Natural& n) { static_cast<void>(n / zero); }},
      {"%", [&](const Natural& n) { static_cast<void>(n % zero); }},
      {"powMod e = 0", [&](const Natural& n) { num::naturalPowMod(n, NS(0), zero); }},
      {"powMod e = 5", [&](const Natural& n) { num::naturalPowMod(n, NS(5), zero); }},
  };
  for (const Natural& n : {NS(0), NS(7), NS(~Word{0}), nb({1, 2, 3})}) {
    for (const auto& [what, op] : ops) {
      EXPECT_THROW(op(n), num::DivideByZero) << what << " of 0x" << toMpz(n).str();
    }
    // The compound forms leave their left operand as it was.
    Natural x = n;
    EXPECT_THROW(x /= zero, num::DivideByZero);
    EXPECT_THROW(x %= zero, num::DivideByZero);
    EXPECT_TRUE(sameValueObject(x, n));
  }
}

}  // namespace
}  // namespace numtest
