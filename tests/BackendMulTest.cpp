// The whole-number multiplicative kernels the BigNat layer cannot reach
// (extended gcd, modular inverse, modular power of a signed base) against mpz.
#include <gtest/gtest.h>

#include "Num/Backend.hpp"
#include "Num/Integer.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace {

using num::Int;
using num::Integer;
using num::Natural;
using numtest::isInteger;
using numtest::isNatural;
using numtest::makeInteger;
using numtest::makeNatural;
using numtest::Mpz;
using numtest::toMpz;
namespace be = num::backend;

// The extended gcd of one pair: g = gcd, a x + b y = g, and the cofactors
// mpz_gcdext chooses.
void checkGcde(const Integer& a, const Integer& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  Mpz g;
  Mpz s;
  Mpz t;
  mpz_gcdext(g.get(), s.get(), t.get(), ma.get(), mb.get());
  const auto [gg, x, y] = be::integer_gcde(a, b);
  SCOPED_TRACE("a = " + ma.str() + ", b = " + mb.str());
  ASSERT_TRUE(isInteger(gg, g));
  ASSERT_TRUE(isInteger(x, s));
  ASSERT_TRUE(isInteger(y, t));
  Mpz sum;
  mpz_mul(sum.get(), ma.get(), toMpz(x).get());
  mpz_addmul(sum.get(), mb.get(), toMpz(y).get());
  ASSERT_EQ(sum, g);
}

// The inverse of x modulo m: present exactly when m > 1 and gcd(x, m) = 1,
// then x r = 1 mod m with 0 < r < m.
void checkRecipMod(const Integer& x, const Natural& m) {
  const Mpz mx = toMpz(x);
  const Mpz mm = toMpz(m);
  Mpz g;
  mpz_gcd(g.get(), mx.get(), mm.get());
  const bool invertible = mpz_cmp_ui(mm.get(), 1) > 0 && mpz_cmp_ui(g.get(), 1) == 0;
  const auto r = be::integer_recip_mod(x, m);
  ASSERT_EQ(r.has_value(), invertible) << "x = " << mx.str() << ", m = " << mm.str();
  if (!r) return;
  Mpz want;
  mpz_invert(want.get(), mx.get(), mm.get());
  ASSERT_TRUE(isNatural(*r, want));
  Mpz prod;
  mpz_mul(prod.get(), mx.get(), want.get());
  mpz_mod(prod.get(), prod.get(), mm.get());
  ASSERT_EQ(prod, Mpz(1));
}

void checkPowMod(const Integer& b, const Natural& e, const Natural& m) {
  const Mpz mm = toMpz(m);
  if (mpz_sgn(mm.get()) == 0) return;
  Mpz want;
  mpz_powm(want.get(), toMpz(b).get(), toMpz(e).get(), mm.get());
  ASSERT_TRUE(isNatural(be::integer_powmod(b, e, m), want))
      << "b = " << toMpz(b).str() << ", e = " << toMpz(e).str() << ", m = " << mm.str();
}

TEST(BackendMulWholeNumbers, SpecialValues) {
  const auto& vs = numtest::specialSigned();
  for (const auto& u : vs) {
    const Integer a = makeInteger(u.negative, u.magnitude);
    for (const auto& v : vs) {
      const Integer b = makeInteger(v.negative, v.magnitude);
      const Natural m = makeNatural(v.magnitude);
      if (!u.magnitude.empty() && !v.magnitude.empty()) checkGcde(a, b);
      checkRecipMod(a, m);
      checkPowMod(a, makeNatural({3}), m);
      checkPowMod(a, makeNatural({0}), m);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(BackendMulWholeNumbers, RandomValues) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(20000); ++it) {
    // Small operands half of the time, so the single-word paths are covered.
    const Int size = rng.coin() ? 1 : 20;
    const Integer a = makeInteger(rng.coin(), rng.limbs(1, size));
    const Integer b = makeInteger(rng.coin(), rng.limbs(1, size));
    const Natural m = makeNatural(rng.limbs(1, size));
    checkGcde(a, b);
    checkRecipMod(a, m);
    checkPowMod(a, makeNatural(rng.limbsOrZero(2)), m);
    if (HasFatalFailure()) return;
  }
}

TEST(BackendMulWholeNumbers, DocumentedCases) {
  const auto [g, x, y] = be::integer_gcde(Integer(240), Integer(46));
  EXPECT_TRUE(isInteger(g, Mpz(2)));
  EXPECT_TRUE(isInteger(x, Mpz::fromInt(-9)));
  EXPECT_TRUE(isInteger(y, Mpz(47)));
  EXPECT_EQ(be::integer_recip_mod(Integer(-3), Natural(7U))->word(), 2U);
  EXPECT_FALSE(be::integer_recip_mod(Integer(5), Natural(1U)).has_value());
  EXPECT_FALSE(be::integer_recip_mod(Integer(5), Natural(0U)).has_value());
  EXPECT_EQ(be::integer_powmod(Integer(-2), Natural(3U), Natural(5U)).word(), 2U);
  EXPECT_EQ(be::integer_powmod(Integer(0), Natural(0U), Natural(5U)).word(), 1U);
  EXPECT_EQ(be::integer_powmod(Integer(7), Natural(0U), Natural(1U)).word(), 0U);
}

}  // namespace
