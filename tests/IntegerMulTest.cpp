// Integer multiplication, truncating and flooring division, gcd, lcm,
// extended gcd, modular power and inverse against mpz, with the form and
// identity of results and division by zero.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "Num/Integer.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::IN;
using num::Integer;
using num::IP;
using num::IS;
using num::Natural;

constexpr Word kTop = Word{1} << 63;
constexpr Int kMin = std::numeric_limits<Int>::min();
constexpr Int kMax = std::numeric_limits<Int>::max();

using MpzOp = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);
Mpz apply(MpzOp op, const Mpz& a, const Mpz& b) {
  Mpz r;
  op(r.get(), a.get(), b.get());
  return r;
}

void checkProduct(const Integer& x, const Integer& y) {
  const Mpz p = apply(mpz_mul, toMpz(x), toMpz(y));
  EXPECT_TRUE(isInteger(num::integerMul(x, y), p));
  EXPECT_TRUE(isInteger(x * y, p));
  Integer c = x;
  c *= y;
  EXPECT_TRUE(isInteger(c, p));
  if (num::integerEq(x, y)) {
    EXPECT_TRUE(isInteger(num::integerSqr(x), p));
  }
}

// Both divisions through every entry point; a zero divisor raises in each.
void checkDivision(const Integer& n, const Integer& d) {
  if (num::integerIsZero(d)) {
    EXPECT_THROW(num::integerQuotRem_(n, d), num::DivideByZero);
    EXPECT_THROW(num::integerQuot(n, d), num::DivideByZero);
    EXPECT_THROW(num::integerRem(n, d), num::DivideByZero);
    EXPECT_THROW(num::integerDivMod_(n, d), num::DivideByZero);
    EXPECT_THROW(num::integerDiv(n, d), num::DivideByZero);
    EXPECT_THROW(num::integerMod(n, d), num::DivideByZero);
    return;
  }
  const Mpz mn = toMpz(n);
  const Mpz md = toMpz(d);
  Mpz q, r, fq, fr;
  mpz_tdiv_qr(q.get(), r.get(), mn.get(), md.get());
  mpz_fdiv_qr(fq.get(), fr.get(), mn.get(), md.get());

  const auto [q1, r1] = num::integerQuotRem_(n, d);
  EXPECT_TRUE(isInteger(q1, q));
  EXPECT_TRUE(isInteger(r1, r));
  const auto [q2, r2] = num::integerQuotRem(n, d);
  EXPECT_TRUE(isInteger(q2, q) && isInteger(r2, r));
  EXPECT_TRUE(isInteger(num::integerQuot(n, d), q));
  EXPECT_TRUE(isInteger(num::integerRem(n, d), r));
  EXPECT_TRUE(isInteger(n / d, q));
  EXPECT_TRUE(isInteger(n % d, r));
  Integer c = n;
  c /= d;
  EXPECT_TRUE(isInteger(c, q));
  c = n;
  c %= d;
  EXPECT_TRUE(isInteger(c, r));

  const auto [fq1, fr1] = num::integerDivMod_(n, d);
  EXPECT_TRUE(isInteger(fq1, fq));
  EXPECT_TRUE(isInteger(fr1, fr));
  const auto [fq2, fr2] = num::integerDivMod(n, d);
  EXPECT_TRUE(isInteger(fq2, fq) && isInteger(fr2, fr));
  EXPECT_TRUE(isInteger(num::integerDiv(n, d), fq));
  EXPECT_TRUE(isInteger(num::integerMod(n, d), fr));
}

// gcd, lcm and the extended gcd: g and the cofactors are mpz_gcdext's, and
// a * s + b * t = g holds for them.
void checkGcd(const Integer& a, const Integer& b) {
  const Mpz ma = toMpz(a);
  const Mpz mb = toMpz(b);
  EXPECT_TRUE(isInteger(num::integerGcd(a, b), apply(mpz_gcd, ma, mb)));
  EXPECT_TRUE(isInteger(num::integerLcm(a, b), apply(mpz_lcm, ma, mb)));

  Mpz g, s, t;
  mpz_gcdext(g.get(), s.get(), t.get(), ma.get(), mb.get());
  const auto [g1, s1, t1] = num::integerGcde_(a, b);
  EXPECT_TRUE(isInteger(g1, g));
  EXPECT_TRUE(isInteger(s1, s));
  EXPECT_TRUE(isInteger(t1, t));
  const Mpz sum = apply(mpz_add, apply(mpz_mul, ma, toMpz(s1)), apply(mpz_mul, mb, toMpz(t1)));
  EXPECT_TRUE(sum == toMpz(g1));
  const auto [g2, s2, t2] = num::integerGcde(a, b);
  EXPECT_TRUE(isInteger(g2, g) && isInteger(s2, s) && isInteger(t2, t));
}

// The inverse exists exactly when m >= 2 and gcd(x, m) = 1; it lies in
// [1, m) and x * r = 1 mod m.
void checkRecipMod(const Integer& x, const Natural& m) {
  const Mpz mx = toMpz(x);
  const Mpz mm = toMpz(m);
  const bool exists = mpz_cmp_ui(mm.get(), 2) >= 0 && apply(mpz_gcd, mx, mm) == Mpz(1);
  const std::optional<Natural> r = num::integerRecipMod_(x, m);
  ASSERT_EQ(r.has_value(), exists) << "x 0x" << mx.str() << ", m 0x" << mm.str();
  if (!exists) return;
  const Mpz mr = toMpz(*r);
  EXPECT_TRUE(isNatural(*r, mr));
  EXPECT_TRUE(mpz_sgn(mr.get()) > 0 && mpz_cmp(mr.get(), mm.get()) < 0);
  EXPECT_TRUE(apply(mpz_mod, apply(mpz_mul, mx, mr), mm) == Mpz(1));
}

// b^e mod m; a negative e raises the inverse of b, when there is one.
void checkPowMod(const Integer& b, const Integer& e, const Natural& m) {
  const Mpz mb = toMpz(b);
  const Mpz me = toMpz(e);
  const Mpz mm = toMpz(m);
  std::optional<Mpz> want;
  if (mm.sign() == 0) {
    want = std::nullopt;
  } else if (mm == Mpz(1)) {
    want = Mpz(0);
  } else if (me.sign() == 0) {
    want = Mpz(1);
  } else if (mb.sign() == 0 || mb == Mpz(1)) {
    want = mb;
  } else if (me.sign() > 0) {
    want = Mpz();
    mpz_powm(want->get(), mb.get(), me.get(), mm.get());
  } else {
    Mpz inverse, exponent;
    if (mpz_invert(inverse.get(), mb.get(), mm.get()) != 0) {
      mpz_neg(exponent.get(), me.get());
      want = Mpz();
      mpz_powm(want->get(), inverse.get(), exponent.get(), mm.get());
    }
  }
  const std::optional<Natural> got = num::integerPowMod_(b, e, m);
  ASSERT_EQ(got.has_value(), want.has_value())
      << "b 0x" << mb.str() << ", e 0x" << me.str() << ", m 0x" << mm.str();
  if (want) {
    EXPECT_TRUE(isNatural(*got, *want));
  }
}

void checkPair(const Integer& x, const Integer& y) {
  checkProduct(x, y);
  checkDivision(x, y);
  checkGcd(x, y);
  checkRecipMod(x, num::integerToNatural(y));
}

// Operands: signed words biased to the boundaries, one-limb magnitudes
// around 2^63, two limbs, and up to maxLimbs; both signs.
Integer randomInteger(Rng& rng, Int maxLimbs = 40) {
  switch (rng.range(0, 5)) {
    case 0:
    case 1:
      return IS(static_cast<Int>(rng.specialWord()));
    case 2:
      return makeInteger(rng.coin(), {rng.specialWord() | kTop});
    case 3:
      return makeInteger(rng.coin(), rng.limbs(2, 2));
    default:
      return makeInteger(rng.coin(), rng.limbs(1, maxLimbs));
  }
}

Int limbCount(const Integer& x) { return x.isIS() ? 1 : x.magnitude().size(); }

// A divisor for n: a signed word, one of n's size or one limb shorter, or
// any size.
Integer divisorFor(Rng& rng, const Integer& n) {
  const Int size = limbCount(n);
  const Int shorter = std::max<Int>(size - 1, 1);
  switch (rng.range(0, 3)) {
    case 0:
      return IS(static_cast<Int>(rng.specialWord()));
    case 1:
      return makeInteger(rng.coin(), rng.limbs(size, size));
    case 2:
      return makeInteger(rng.coin(), rng.limbs(shorter, shorter));
    default:
      return randomInteger(rng);
  }
}

// A modulus of every size, mostly small; odd or even.
Natural randomModulus(Rng& rng) {
  Mpz m = toMpz(num::integerToNatural(randomInteger(rng, rng.range(0, 7) == 0 ? 40 : 4)));
  if (rng.coin()) mpz_setbit(m.get(), 0);
  return makeNatural(m.limbs());
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

TEST(IntegerMulDifferential, AllPairsOfSpecialValues) {
  std::vector<Integer> values;
  for (const Signed& s : specialSigned()) values.push_back(makeInteger(s.negative, s.magnitude));
  for (Int i : {kMax, kMin, kMin + 1, Int{-1}, Int{-2}}) values.push_back(IS(i));
  const Integer exponents[] = {IS(-3), IS(-1), IS(0), IS(1), IS(5), makeInteger(false, {1, 1})};
  const Natural moduli[] = {num::NS(0),        num::NS(1),          num::NS(6),
                            num::NS(kTop + 1), makeNatural({0, 1}), makeNatural({1, 0, 1})};
  for (const Integer& x : values) {
    for (const Integer& y : values) {
      checkPair(x, y);
      for (const Natural& m : moduli) checkPowMod(x, y, m);
      for (const Integer& e : exponents) checkPowMod(x, e, num::integerToNatural(y));
    }
  }
}

TEST(IntegerMulDifferential, RandomProducts) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer x = randomInteger(rng);
    checkProduct(x, rng.range(0, 7) == 0 ? x : randomInteger(rng));
  });
}

TEST(IntegerMulDifferential, RandomQuotientsAndRemainders) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer n = randomInteger(rng);
    const Integer d = divisorFor(rng, n);
    checkDivision(n, d);
    if (num::integerIsZero(d)) return;
    // n * d + r with |r| < |d|: remainders from all of (-|d|, |d|).
    checkDivision(num::integerAdd(num::integerMul(n, d), num::integerRem(randomInteger(rng), d)),
                  d);
  });
}

TEST(IntegerMulDifferential, RandomGcdsWithCommonFactors) {
  forRandomOperands(100000, [](Rng& rng) {
    if (rng.coin()) {
      checkGcd(randomInteger(rng), randomInteger(rng));
      return;
    }
    const Integer g = randomInteger(rng, 8);
    checkGcd(num::integerMul(g, randomInteger(rng, 16)),
             num::integerMul(g, randomInteger(rng, 16)));
  });
}

TEST(IntegerMulDifferential, RandomModularPowersAndInverses) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer b = randomInteger(rng);
    const Natural m = randomModulus(rng);
    // Short exponents of both signs keep the run short.
    const Integer e = rng.range(0, 3) == 0 ? makeInteger(rng.coin(), rng.limbs(1, 3))
                                           : IS(static_cast<Int>(rng.specialWord()));
    checkPowMod(b, e, m);
    checkRecipMod(b, m);
    // A base sharing a factor f with the modulus has no inverse.
    const Natural f = num::NS(static_cast<Word>(rng.range(2, 30)));
    checkRecipMod(num::integerMul(b, num::integerFromNatural(f)), num::naturalMul(m, f));
  });
}

// ---------------------------------------------------------------------------
// What the mpz comparison cannot see.

// Whether got is IP or IN on the very magnitude block of x.
bool sharesMagnitude(const Integer& got, const Integer& x) {
  return !got.isIS() && got.magnitude().sameBlock(x.magnitude());
}

TEST(IntegerMulIdentity, ArgumentsThemselvesAndSharedConstants) {
  const Integer p = makeInteger(false, {3, 4, 5});
  const Integer n = makeInteger(true, {3, 4, 5});
  const Integer n2 = makeInteger(true, {3, 4, 5});  // equal to n, another block
  const Integer bigger = makeInteger(false, {1, 2, 3, 4});
  const Integer twoPow63 = num::integerTwoPow63();
  const auto gcde = [](const Integer& a, const Integer& b, int part) {
    const auto [g, s, t] = num::integerGcde_(a, b);
    return part == 0 ? g : part == 1 ? s : t;
  };
  // Results that are an argument itself, or a shared constant.
  struct Same {
    const char* what;
    Integer got, want;
  };
  const Same same[] = {
      {"p * 1", num::integerMul(p, IS(1)), p},
      {"1 * n", num::integerMul(IS(1), n), n},
      {"min * -1", num::integerMul(IS(kMin), IS(-1)), twoPow63},
      {"-1 * min", num::integerMul(IS(-1), IS(kMin)), twoPow63},
      {"n / 1", num::integerQuot(n, IS(1)), n},
      {"quotRem(n, 1).q", num::integerQuotRem_(n, IS(1)).first, n},
      {"div(n, 1)", num::integerDiv(n, IS(1)), n},
      {"divMod(p, 1).q", num::integerDivMod_(p, IS(1)).first, p},
      {"min / -1", num::integerQuot(IS(kMin), IS(-1)), twoPow63},
      {"quotRem(min, -1).q", num::integerQuotRem_(IS(kMin), IS(-1)).first, twoPow63},
      {"div(min, -1)", num::integerDiv(IS(kMin), IS(-1)), twoPow63},
      {"p % bigger", num::integerRem(p, bigger), p},
      {"quotRem(p, bigger).r", num::integerQuotRem_(p, bigger).second, p},
      {"mod(p, bigger)", num::integerMod(p, bigger), p},
      {"gcd(0, p)", num::integerGcd(IS(0), p), p},
      {"gcd(min, 0)", num::integerGcd(IS(kMin), IS(0)), twoPow63},
      {"lcm(1, p)", num::integerLcm(IS(1), p), p},
      {"lcm(p, -1)", num::integerLcm(p, IS(-1)), p},
      {"gcde(0, p).g", gcde(IS(0), p, 0), p},
      {"gcde(p, 0).g", gcde(p, IS(0), 0), p},
  };
  for (const Same& c : same) EXPECT_TRUE(sameValueObject(c.got, c.want)) << c.what;

  // Negations and absolute values share the argument's magnitude.
  struct Shared {
    const char* what;
    Integer got, of;
  };
  const Shared shared[] = {
      {"p * -1", num::integerMul(p, IS(-1)), p},  {"-1 * n", num::integerMul(IS(-1), n), n},
      {"n / -1", num::integerQuot(n, IS(-1)), n}, {"gcd(n, 0)", num::integerGcd(n, IS(0)), n},
      {"gcd(n, n2)", num::integerGcd(n, n2), n},  {"lcm(-1, n)", num::integerLcm(IS(-1), n), n},
      {"gcde(0, n).g", gcde(IS(0), n, 0), n},     {"gcde(n, n2).g", gcde(n, n2, 0), n2},
  };
  for (const Shared& c : shared) EXPECT_TRUE(sharesMagnitude(c.got, c.of)) << c.what;
  EXPECT_EQ(twoPow63.magnitude().block()->refs.load(), num::rt::kImmortal);
  // The coefficients of the trivial extended gcds: 0 and the sign.
  EXPECT_TRUE(isInteger(gcde(IS(0), n, 1), Mpz(0)) &&
              isInteger(gcde(IS(0), n, 2), Mpz::fromInt(-1)));
  EXPECT_TRUE(isInteger(gcde(n, IS(0), 1), Mpz::fromInt(-1)) &&
              isInteger(gcde(n, IS(0), 2), Mpz(0)));
  // Real products and quotients are fresh.
  EXPECT_FALSE(sharesMagnitude(num::integerMul(p, IS(2)), p));
  EXPECT_FALSE(sharesMagnitude(num::integerQuot(bigger, IS(-2)), bigger));
}

TEST(IntegerMulErrors, EveryDivisionByZeroRaises) {
  using Op = std::function<void(const Integer&)>;
  const Integer zero = IS(0);
  const std::pair<const char*, Op> ops[] = {
      {"integerQuotRem_", [&](const Integer& n) { num::integerQuotRem_(n, zero); }},
      {"integerQuotRem", [&](const Integer& n) { num::integerQuotRem(n, zero); }},
      {"integerQuot", [&](const Integer& n) { num::integerQuot(n, zero); }},
      {"integerRem", [&](const Integer& n) { num::integerRem(n, zero); }},
      {"integerDivMod_", [&](const Integer& n) { num::integerDivMod_(n, zero); }},
      {"integerDivMod", [&](const Integer& n) { num::integerDivMod(n, zero); }},
      {"integerDiv", [&](const Integer& n) { num::integerDiv(n, zero); }},
      {"integerMod", [&](const Integer& n) { num::integerMod(n, zero); }},
      {"/", [&](const Integer& n) { static_cast<void>(n / zero); }},
      {"%", [&](const Integer& n) { static_cast<void>(n % zero); }},
  };
  const Integer dividends[] = {
      IS(0), IS(5), IS(-5), IS(kMin), makeInteger(false, {1, 2, 3}), makeInteger(true, {1, 2, 3})};
  for (const Integer& n : dividends) {
    for (const auto& [what, op] : ops) {
      EXPECT_THROW(op(n), num::DivideByZero) << what << " of 0x" << toMpz(n).str();
    }
    // The compound forms leave their left operand as it was.
    Integer x = n;
    EXPECT_THROW(x /= zero, num::DivideByZero);
    EXPECT_THROW(x %= zero, num::DivideByZero);
    EXPECT_TRUE(sameValueObject(x, n));
  }
}

}  // namespace
}  // namespace numtest
