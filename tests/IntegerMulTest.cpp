// Integer multiplication, truncating and flooring division, gcd, lcm,
// extended gcd, modular power and inverse against mpz, with the form and
// identity of results and division by zero.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "Num/Integer.hpp"
#include "support/MulReference.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::IS;
using num::Natural;

constexpr Int kMin = std::numeric_limits<Int>::min();
constexpr Int kMax = std::numeric_limits<Int>::max();
constexpr Word kTop = Word{1} << 63;

Integer randomInteger(Rng& rng, Int maxLimbs = 40) {
  return makeInteger(rng.coin(), randomMagnitude(rng, maxLimbs));
}

// Both divisions through every named function, y != 0.
void checkDivisions(const Integer& x, const Integer& y) {
  const Mpz mx = toMpz(x);
  const Mpz my = toMpz(y);
  Mpz q, r, fq, fr;
  mpz_tdiv_qr(q.get(), r.get(), mx.get(), my.get());
  mpz_fdiv_qr(fq.get(), fr.get(), mx.get(), my.get());
  const auto [q1, r1] = num::integerQuotRem_(x, y);
  const auto [fq1, fr1] = num::integerDivMod_(x, y);
  EXPECT_TRUE(isInteger(q1, q) && isInteger(num::integerQuot(x, y), q));
  EXPECT_TRUE(isInteger(r1, r) && isInteger(num::integerRem(x, y), r));
  EXPECT_TRUE(isInteger(fq1, fq) && isInteger(num::integerDiv(x, y), fq));
  EXPECT_TRUE(isInteger(fr1, fr) && isInteger(num::integerMod(x, y), fr));
}

// Products, both divisions through every named function, gcd, lcm and the
// extended gcd: g and the cofactors are mpz_gcdext's, and a * s + b * t = g.
void checkPair(const Integer& x, const Integer& y) {
  const Mpz mx = toMpz(x);
  const Mpz my = toMpz(y);
  EXPECT_TRUE(isInteger(num::integerMul(x, y), mpzOf(mpz_mul, mx, my)));
  EXPECT_TRUE(isInteger(num::integerGcd(x, y), mpzOf(mpz_gcd, mx, my)));
  EXPECT_TRUE(isInteger(num::integerLcm(x, y), mpzOf(mpz_lcm, mx, my)));
  Mpz g, s, t;
  mpz_gcdext(g.get(), s.get(), t.get(), mx.get(), my.get());
  const auto [g1, s1, t1] = num::integerGcde_(x, y);
  EXPECT_TRUE(isInteger(g1, g) && isInteger(s1, s) && isInteger(t1, t));
  const Mpz sum = mpzOf(mpz_add, mpzOf(mpz_mul, mx, toMpz(s1)), mpzOf(mpz_mul, my, toMpz(t1)));
  EXPECT_TRUE(sum == toMpz(g1));
  if (!num::integerIsZero(y)) checkDivisions(x, y);  // else IntegerMulErrors
}

// The inverse exists exactly when m >= 2 and gcd(x, m) = 1; it lies in
// [1, m) and x * r = 1 mod m.
void checkRecipMod(const Integer& x, const Natural& m) {
  const Mpz mx = toMpz(x);
  const Mpz mm = toMpz(m);
  const bool exists = mpz_cmp_ui(mm.get(), 2) >= 0 && mpzOf(mpz_gcd, mx, mm) == Mpz(1);
  const std::optional<Natural> r = num::integerRecipMod_(x, m);
  ASSERT_EQ(r.has_value(), exists) << "x 0x" << mx.str() << ", m 0x" << mm.str();
  if (!exists) return;
  const Mpz mr = toMpz(*r);
  EXPECT_TRUE(isNatural(*r, mr));
  EXPECT_TRUE(mpz_sgn(mr.get()) > 0 && mpz_cmp(mr.get(), mm.get()) < 0);
  EXPECT_TRUE(mpzOf(mpz_mod, mpzOf(mpz_mul, mx, mr), mm) == Mpz(1));
}

// b^e mod m; a negative e raises the inverse of b, when there is one.
void checkPowMod(const Integer& b, const Integer& e, const Natural& m) {
  const Mpz mb = toMpz(b);
  const Mpz me = toMpz(e);
  const Mpz mm = toMpz(m);
  std::optional<Mpz> want;
  Mpz base = mb, exponent = me;
  if (mm == Mpz(1) || (mm.sign() != 0 && me.sign() == 0)) {
    want = Mpz(mm == Mpz(1) ? 0 : 1);
  } else if (mm.sign() != 0 && (mb.sign() == 0 || mb == Mpz(1))) {
    want = mb;
  } else if (mm.sign() != 0 && (me.sign() > 0 || mpz_invert(base.get(), mb.get(), mm.get()))) {
    mpz_abs(exponent.get(), me.get());
    want = Mpz();
    mpz_powm(want->get(), base.get(), exponent.get(), mm.get());
  }
  const std::optional<Natural> got = num::integerPowMod_(b, e, m);
  ASSERT_EQ(got.has_value(), want.has_value())
      << "b 0x" << mb.str() << ", e 0x" << me.str() << ", m 0x" << mm.str();
  if (want) {
    EXPECT_TRUE(isNatural(*got, *want));
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
      checkRecipMod(x, num::integerToNatural(y));
      for (const Natural& m : moduli) checkPowMod(x, y, m);
      for (const Integer& e : exponents) checkPowMod(x, e, num::integerToNatural(y));
    }
  }
}

TEST(IntegerMulDifferential, ShortOperandsInEverySizePairing) {
  for (const auto& a : shortShapes()) {
    for (const auto& b : shortShapes()) {
      for (const bool negative : {false, true}) {
        checkPair(makeInteger(negative, a), makeInteger(false, b));
        checkPair(makeInteger(negative, a), makeInteger(true, b));
      }
    }
  }
}

// Divisors of one and two limbs at every normalising shift, the low limb of
// a two-limb one at the values that steer the reciprocal's corrections, and
// dividends up to nine limbs built as q * d + r: quotient limbs of 0, 1 and
// all ones, and remainders at both ends of [0, d), where each quotient
// limb's estimate is most often corrected.
TEST(IntegerMulDifferential, ShortDivisorsAtEveryShift) {
  Rng rng(7);
  const Word kOnes = ~Word{0};
  for (int s = 0; s < 64; ++s) {
    for (const Word top : {kTop, kOnes, kTop | rng.word()}) {
      std::vector<Integer> divisors = {makeInteger(false, {top >> s})};
      for (const Word low : {Word{0}, Word{1}, kOnes, rng.word()}) {
        divisors.push_back(makeInteger(false, {low, top >> s}));
      }
      for (const Integer& d : divisors) {
        for (Int n = 3; n <= 9; ++n) {
          std::vector<Word> q(static_cast<std::size_t>(n - 1));
          for (Word& w : q) w = std::array{Word{0}, Word{1}, kOnes, rng.word()}[rng.range(0, 3)];
          while (!q.empty() && q.back() == 0) q.pop_back();
          const Integer qd = num::integerMul(makeInteger(false, q), d);
          for (const Integer& r : {IS(0), IS(1), num::integerSub(d, IS(1)),
                                   num::integerRem(makeInteger(false, rng.limbs(1, 2)), d)}) {
            const Integer x = num::integerAdd(qd, r);
            for (const bool negative : {false, true}) {
              checkDivisions(negative ? num::integerNegate(x) : x, d);
              checkDivisions(x, num::integerNegate(d));
            }
          }
        }
      }
    }
  }
}

TEST(IntegerMulDifferential, RandomOperands) {
  forRandomOperands(100000, [](Rng& rng) {
    const Integer x = randomInteger(rng);
    checkPair(x, rng.range(0, 7) == 0 ? x : randomInteger(rng));
    const Integer d = makeInteger(rng.coin(), divisorMagnitude(rng, toMpz(x)));
    checkPair(x, d);
    // x * d + r with |r| < |d|: remainders from all of (-|d|, |d|).
    if (!num::integerIsZero(d)) {
      checkPair(num::integerAdd(num::integerMul(x, d), num::integerRem(randomInteger(rng), d)), d);
    }
    const Integer g = randomInteger(rng, 8);
    checkPair(num::integerMul(g, randomInteger(rng, 16)),
              num::integerMul(g, randomInteger(rng, 16)));
    // Short exponents of both signs keep the run short.
    const Natural m = randomModulus(rng);
    checkPowMod(x, randomInteger(rng, 3), m);
    checkRecipMod(x, m);
    // A base sharing a factor f with the modulus has no inverse.
    const Natural f = num::NS(static_cast<Word>(rng.range(2, 30)));
    checkRecipMod(num::integerMul(x, num::integerFromNatural(f)), num::naturalMul(m, f));
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
  // Results that are an argument itself or a shared constant (same), or that
  // share the argument's magnitude (negations and absolute values).
  struct Case {
    const char* what;
    Integer got, want;
    bool same;
  };
  const Case cases[] = {
      {"p * 1", num::integerMul(p, IS(1)), p, true},
      {"1 * n", num::integerMul(IS(1), n), n, true},
      {"min * -1", num::integerMul(IS(kMin), IS(-1)), twoPow63, true},
      {"-1 * min", num::integerMul(IS(-1), IS(kMin)), twoPow63, true},
      {"n / 1", num::integerQuot(n, IS(1)), n, true},
      {"quotRem(n, 1).q", num::integerQuotRem_(n, IS(1)).first, n, true},
      {"div(n, 1)", num::integerDiv(n, IS(1)), n, true},
      {"divMod(p, 1).q", num::integerDivMod_(p, IS(1)).first, p, true},
      {"min / -1", num::integerQuot(IS(kMin), IS(-1)), twoPow63, true},
      {"quotRem(min, -1).q", num::integerQuotRem_(IS(kMin), IS(-1)).first, twoPow63, true},
      {"div(min, -1)", num::integerDiv(IS(kMin), IS(-1)), twoPow63, true},
      {"p % bigger", num::integerRem(p, bigger), p, true},
      {"quotRem(p, bigger).r", num::integerQuotRem_(p, bigger).second, p, true},
      {"mod(p, bigger)", num::integerMod(p, bigger), p, true},
      {"gcd(0, p)", num::integerGcd(IS(0), p), p, true},
      {"gcd(min, 0)", num::integerGcd(IS(kMin), IS(0)), twoPow63, true},
      {"lcm(1, p)", num::integerLcm(IS(1), p), p, true},
      {"lcm(p, -1)", num::integerLcm(p, IS(-1)), p, true},
      {"gcde(0, p).g", gcde(IS(0), p, 0), p, true},
      {"gcde(p, 0).g", gcde(p, IS(0), 0), p, true},
      {"p * -1", num::integerMul(p, IS(-1)), p, false},
      {"-1 * n", num::integerMul(IS(-1), n), n, false},
      {"n / -1", num::integerQuot(n, IS(-1)), n, false},
      {"gcd(n, 0)", num::integerGcd(n, IS(0)), n, false},
      {"gcd(n, n2)", num::integerGcd(n, n2), n, false},
      {"lcm(-1, n)", num::integerLcm(IS(-1), n), n, false},
      {"gcde(0, n).g", gcde(IS(0), n, 0), n, false},
      {"gcde(n, n2).g", gcde(n, n2, 0), n2, false},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(c.same ? sameValueObject(c.got, c.want) : sharesMagnitude(c.got, c.want)) << c.what;
  }
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
