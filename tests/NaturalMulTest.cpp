// Natural multiplication, division, gcd, lcm and modular power against mpz,
// with the form and identity of results and division by zero.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Num/Natural.hpp"
#include "support/MulReference.hpp"

namespace numtest {
namespace {

using num::Natural;
using num::NB;
using num::NS;

Natural nb(std::vector<Word> limbs) { return NB(bigNatFromLimbs(limbs)); }
Natural randomNatural(Rng& rng, Int maxLimbs = 40) {
  return makeNatural(randomMagnitude(rng, maxLimbs));
}

// Product, gcd, lcm, and quotient and remainder through every named function.
void checkPair(const Natural& a, const Natural& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  EXPECT_TRUE(isNatural(num::naturalMul(a, b), mpzOf(mpz_mul, ma, mb)));
  EXPECT_TRUE(isNatural(num::naturalGcd(a, b), mpzOf(mpz_gcd, ma, mb)));
  EXPECT_TRUE(isNatural(num::naturalLcm(a, b), mpzOf(mpz_lcm, ma, mb)));
  if (num::naturalIsZero(b)) return;  // NaturalMulErrors
  Mpz q, r;
  mpz_tdiv_qr(q.get(), r.get(), ma.get(), mb.get());
  const auto [q1, r1] = num::naturalQuotRem_(a, b);
  EXPECT_TRUE(isNatural(q1, q) && isNatural(num::naturalQuot(a, b), q));
  EXPECT_TRUE(isNatural(r1, r) && isNatural(num::naturalRem(a, b), r));
}

void checkPowMod(const Natural& b, const Natural& e, const Natural& m) {
  if (num::naturalIsZero(m)) return;  // NaturalMulErrors
  Mpz r;
  mpz_powm(r.get(), toMpz(b).get(), toMpz(e).get(), toMpz(m).get());
  EXPECT_TRUE(isNatural(num::naturalPowMod(b, e, m), r));
}

TEST(NaturalMulDifferential, AllPairsAndTriplesOfSpecialValues) {
  std::vector<Natural> values;
  for (const auto& m : specialMagnitudes()) values.push_back(makeNatural(m));
  for (const Natural& a : values) {
    for (const Natural& b : values) {
      checkPair(a, b);
      for (const Natural& m : values) checkPowMod(a, b, m);
    }
  }
}

TEST(NaturalMulDifferential, RandomOperands) {
  forRandomOperands(100000, [](Rng& rng) {
    const Natural a = randomNatural(rng);
    checkPair(a, rng.range(0, 7) == 0 ? a : randomNatural(rng));
    const Natural d = makeNatural(divisorMagnitude(rng, toMpz(a)));
    checkPair(a, d);
    // a * d + r with r < d: a remainder from every part of [0, d).
    if (!num::naturalIsZero(d)) {
      checkPair(num::naturalAdd(num::naturalMul(a, d), num::naturalRem(randomNatural(rng), d)), d);
    }
    const Natural g = randomNatural(rng, 8);
    checkPair(num::naturalMul(g, randomNatural(rng, 16)),
              num::naturalMul(g, randomNatural(rng, 16)));
    // Short exponents keep the run short.
    checkPowMod(randomNatural(rng), randomNatural(rng, 3), randomModulus(rng));
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
