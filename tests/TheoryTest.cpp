// Number theory against mpz: powers, square and k-th roots, perfect
// squares, factorials, binomial coefficients, primality (with known
// pseudoprimes) and nextPrime; the modular forms and the bad arguments.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Num/Theory.hpp"
#include "support/MulReference.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

Natural randomNatural(Rng& rng, Int maxLimbs) {
  return makeNatural(randomMagnitude(rng, maxLimbs));
}

TEST(Theory, PowersAndRootsMatchMpz) {
  forRandomOperands(1500, [](Rng& rng) {
    const Natural x = randomNatural(rng, 12);
    const Mpz mx = toMpz(x);
    const auto e = static_cast<Word>(rng.range(0, 40));
    Mpz want, rem;
    mpz_pow_ui(want.get(), mx.get(), e);
    EXPECT_TRUE(isNatural(num::pow(x, e), want));
    const Integer z = makeInteger(true, mx.limbs());
    mpz_neg(want.get(), mx.get());
    mpz_pow_ui(want.get(), want.get(), e);
    EXPECT_TRUE(isInteger(num::pow(z, e), want));

    mpz_sqrtrem(want.get(), rem.get(), mx.get());
    const auto [s, r] = num::isqrtRem(x);
    EXPECT_TRUE(isNatural(s, want) && isNatural(r, rem) && isNatural(num::isqrt(x), want));
    const auto [si, ri] = num::isqrtRem(Integer(x));
    EXPECT_TRUE(isInteger(si, want) && isInteger(ri, rem));
    const Natural sq = naturalSqr(x);
    const Natural sq1 = sq + 1;
    EXPECT_TRUE(num::isPerfectSquare(sq));
    EXPECT_EQ(num::isPerfectSquare(sq1), mpz_perfect_square_p(toMpz(sq1).get()) != 0);
    EXPECT_EQ(num::isPerfectSquare(x), mpz_perfect_square_p(mx.get()) != 0);

    const auto k = static_cast<Word>(rng.coin() ? rng.range(1, 8) : rng.range(1, 200));
    mpz_root(want.get(), mx.get(), k);
    EXPECT_TRUE(isNatural(num::iroot(x, k), want)) << "k " << k;
    const Natural p = num::pow(x, k) + 1 - rng.range(0, 1);  // at and beside exact powers
    const Mpz mp = toMpz(p);
    mpz_root(want.get(), mp.get(), k);
    EXPECT_TRUE(isNatural(num::iroot(p, k), want)) << "k " << k;
    const Word odd = k | 1;
    mpz_root(want.get(), toMpz(z).get(), odd);
    EXPECT_TRUE(isInteger(num::iroot(z, odd), want)) << "k " << odd;
  });
}

TEST(Theory, FactorialsAndBinomialsMatchMpz) {
  Mpz want;
  for (Word n = 0; n <= 400; n += (n < 100 ? 1 : 37)) {
    mpz_fac_ui(want.get(), n);
    EXPECT_TRUE(isNatural(num::factorial(n), want)) << n;
    for (Word k = 0; k <= n + 1; k += 1 + n / 16) {
      mpz_bin_uiui(want.get(), n, k);
      EXPECT_TRUE(isNatural(num::binomial(n, k), want)) << n << " " << k;
    }
  }
  mpz_fac_ui(want.get(), 20000);
  EXPECT_TRUE(isNatural(num::factorial(20000), want));
  forRandomOperands(100, [&](Rng& rng) {
    const Natural n = randomNatural(rng, 3);
    const auto k = static_cast<Word>(rng.range(0, 60));
    mpz_bin_ui(want.get(), toMpz(n).get(), k);
    EXPECT_TRUE(isNatural(num::binomial(n, k), want)) << toMpz(n).str() << " " << k;
  });
}

bool mpzPrime(const Mpz& m) { return mpz_probab_prime_p(m.get(), 25) != 0; }

TEST(Theory, PrimalityAndNextPrimeMatchMpz) {
  for (Word n = 0; n < 20000; ++n)
    ASSERT_EQ(num::isProbablePrime(Natural(n)), mpzPrime(Mpz(n))) << n;
  forRandomOperands(400, [](Rng& rng) {
    // Random odd values, and products of two primes of the same size.
    Mpz m = toMpz(randomNatural(rng, rng.coin() ? 1 : 6));
    mpz_setbit(m.get(), 0);
    const Natural x = makeNatural(m.limbs());
    EXPECT_EQ(num::isProbablePrime(x), mpzPrime(m)) << m.str();
    Mpz next;
    mpz_nextprime(next.get(), m.get());
    const Natural p = num::nextPrime(x);
    EXPECT_TRUE(isNatural(p, next));
    EXPECT_TRUE(num::isProbablePrime(p));
    EXPECT_FALSE(num::isProbablePrime(p * num::nextPrime(p)));
  });
}

TEST(Theory, PseudoprimesAreComposite) {
  // Carmichael numbers, strong pseudoprimes to base 2 (3215031751 also to
  // bases 3, 5 and 7; 3825123056546413051 to every prime base up to 23), and
  // strong Lucas pseudoprimes with Selfridge's parameters.
  for (const Word n : {561ULL,
                       1105ULL,
                       1729ULL,
                       2465ULL,
                       41041ULL,
                       825265ULL,
                       321197185ULL,
                       2047ULL,
                       3277ULL,
                       4033ULL,
                       4681ULL,
                       8321ULL,
                       3215031751ULL,
                       2152302898747ULL,
                       3474749660383ULL,
                       341550071728321ULL,
                       3825123056546413051ULL,
                       5459ULL,
                       5777ULL,
                       10877ULL,
                       16109ULL,
                       18971ULL,
                       22499ULL,
                       24569ULL,
                       25199ULL,
                       40309ULL,
                       58519ULL,
                       75077ULL}) {
    EXPECT_FALSE(num::isProbablePrime(Natural(n))) << n;
    EXPECT_EQ(mpzPrime(Mpz(n)), false) << n;
  }
  // A Carmichael number of three primes above 2^64 ((6k+1)(12k+1)(18k+1)),
  // and 2^64 + 1 = 274177 * 67280421310721.
  const Natural k = Natural(1) << 30;
  const Natural c = (6 * k + 1) * (12 * k + 1) * (18 * k + 1);
  EXPECT_EQ(num::isProbablePrime(c), mpzPrime(toMpz(c)));
  EXPECT_FALSE(num::isProbablePrime((Natural(1) << 64) + 1));
  for (const Word e : {61, 89, 127, 521, 607}) {  // Mersenne primes
    EXPECT_TRUE(num::isProbablePrime((Natural(1) << e) - 1)) << e;
    EXPECT_TRUE(num::isProbablePrime(Integer((Natural(1) << e) - 1)));
  }
  EXPECT_FALSE(num::isProbablePrime(Integer(-7)));
  EXPECT_TRUE(isInteger(num::nextPrime(Integer(-100)), Mpz(2)));
}

TEST(Theory, ModularFormsAndBadArguments) {
  forRandomOperands(300, [](Rng& rng) {
    const Integer b = makeInteger(rng.coin(), randomMagnitude(rng, 4));
    const Integer e = makeInteger(rng.coin(), randomMagnitude(rng, 1));
    const Natural m = randomModulus(rng);
    if (naturalIsZero(m)) return;
    Mpz want;
    const bool invertible = mpz_invert(want.get(), toMpz(b).get(), toMpz(m).get()) != 0;
    const std::optional<Natural> inv = num::invMod(b, m);
    ASSERT_EQ(inv.has_value(), invertible || m == 1);
    if (inv && m != 1) {
      EXPECT_TRUE(isNatural(*inv, want));
    }
    if (integerIsNegative(e) && !inv) {
      EXPECT_THROW(static_cast<void>(num::powMod(b, e, m)), std::domain_error);
    } else {
      mpz_powm(want.get(), toMpz(b).get(), toMpz(e).get(), toMpz(m).get());
      EXPECT_TRUE(isNatural(num::powMod(b, e, m), want));
    }
    EXPECT_TRUE(num::gcd(b, m) == num::integerGcd(b, m) && num::lcm(b, e) == num::integerLcm(b, e));
  });
  EXPECT_THROW(static_cast<void>(num::powMod(Natural(2), Natural(3), Natural(0))),
               num::DivideByZero);
  EXPECT_THROW(static_cast<void>(num::powMod(Integer(2), Integer(-3), Natural(0))),
               num::DivideByZero);
  EXPECT_THROW(static_cast<void>(num::invMod(Integer(2), Natural(0))), num::DivideByZero);
  EXPECT_THROW(static_cast<void>(num::isqrt(Integer(-1))), std::domain_error);
  EXPECT_THROW(static_cast<void>(num::iroot(Integer(-8), 2)), std::domain_error);
  EXPECT_THROW(static_cast<void>(num::iroot(Natural(8), 0)), std::domain_error);
  EXPECT_TRUE(isInteger(num::iroot(Integer(-8), 3), Mpz::fromInt(-2)));
  EXPECT_TRUE(isNatural(num::pow(Natural(0), 0), Mpz(1)));
}

}  // namespace
}  // namespace numtest
