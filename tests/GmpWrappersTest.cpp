// The C limb functions for shifts, logic, conversion to double, gcd and
// division, against GMP's mpz.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "Num/gmp_wrappers.h"
#include "support/LimbBuffer.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using numtest::LimbBuffer;
using numtest::Mpz;
using numtest::Rng;
using Limbs = std::vector<num::Word>;
using num::Int;
using num::Word;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;

Int sz(const Limbs& v) { return static_cast<Int>(v.size()); }
std::size_t uz(Int n) { return static_cast<std::size_t>(n); }
Limbs limbsOf(const Mpz& m) { return m.limbs(); }

// A buffer of room limbs (at least s's) that starts out holding s, for calls
// whose output replaces an input.
LimbBuffer holding(const Limbs& s, std::size_t room) {
  LimbBuffer b(std::max(room, s.size()));
  std::copy(s.begin(), s.end(), b.data());
  return b;
}

// ---- Shifts ----------------------------------------------------------------

struct ShiftCase {
  Limbs s;
  Word count;
  Limbs written;  // every limb of the stated room
  Word returned;
};

TEST(GmpWrappersShift, RightShiftOfNegativeRoundsTowardsMinusInfinity) {
  const std::vector<ShiftCase> cases = {
      {{1}, 1, {1}, 1},
      {{4}, 2, {1}, 1},
      {{5}, 2, {2}, 2},
      {{0, kOnes}, 64, {kOnes, 0}, 0},
      {{1, kOnes}, 64, {0, 1}, 1},
      {{kOnes, kOnes}, 64, {0, 1}, 1},
      {{0, 0, 3}, 129, {2}, 2},
      {{1, 0, 3}, 129, {2}, 2},
      {{0, 1, 3}, 129, {2}, 2},
      {{0, 2, 3}, 129, {2}, 2},
  };
  for (const auto& c : cases) {
    const std::size_t room = c.written.size();
    LimbBuffer r(room);
    EXPECT_EQ(numkit_mpn_rshift_2c(r.data(), c.s.data(), sz(c.s), c.count), c.returned);
    EXPECT_EQ(r.all(), c.written) << "count " << c.count;
    EXPECT_TRUE(r.guardsIntact());
  }
}

TEST(GmpWrappersShift, LeftShiftWritesWholeLimbsAndTheCarry) {
  const std::vector<ShiftCase> cases = {
      {{1}, 64, {0, 1}, 1},
      {{1}, 65, {0, 2, 0}, 0},
      {{kOnes}, 1, {kOnes - 1, 1}, 1},
      {{kTop, 1}, 0, {kTop, 1}, 1},
  };
  for (const auto& c : cases) {
    LimbBuffer r(c.written.size());
    EXPECT_EQ(numkit_mpn_lshift(r.data(), c.s.data(), sz(c.s), c.count), c.returned);
    EXPECT_EQ(r.all(), c.written) << "count " << c.count;
    EXPECT_TRUE(r.guardsIntact());
  }
}

TEST(GmpWrappersShift, AllShiftsMatchMpz) {
  Rng rng;
  std::vector<Limbs> operands;
  for (const Limbs& m : numtest::specialMagnitudes()) {
    if (!m.empty()) operands.push_back(m);
  }
  for (long i = 0; i < numtest::iterations(150); ++i) operands.push_back(rng.limbs(1, 40));
  for (const Limbs& s : operands) {
    const Int sn = sz(s);
    const Mpz ms = Mpz::fromLimbs(s);
    std::vector<Word> counts = {0,
                                1,
                                63,
                                64,
                                65,
                                127,
                                128,
                                129,
                                Word(64 * (sn - 1)),
                                Word(64 * (sn - 1) + 63),
                                static_cast<Word>(rng.range(0, 64 * sn - 1))};
    // The same shift with rp == sp writes what the separate one wrote.
    auto inPlace = [&](const LimbBuffer& separate, Int room, Word ret, auto shift) {
      LimbBuffer b = holding(s, uz(room));
      EXPECT_EQ(shift(b.data()), ret);
      EXPECT_EQ(b.prefix(uz(room)), separate.prefix(uz(room)));
      EXPECT_TRUE(b.guardsIntact());
    };
    for (Word count : counts) {
      SCOPED_TRACE(testing::Message() << "count " << count);
      const Int k = static_cast<Int>(count / 64);
      const bool bits = count % 64 != 0;
      Mpz expected;
      mpz_mul_2exp(expected.get(), ms.get(), count);
      const Int ln = k + sn + (bits ? 1 : 0);
      LimbBuffer l(uz(ln));
      const Word top = numkit_mpn_lshift(l.data(), s.data(), sn, count);
      EXPECT_EQ(l.trimmed(uz(ln)), limbsOf(expected)) << "lshift " << count;
      EXPECT_EQ(top, l[uz(k + sn - (bits ? 0 : 1))]);
      EXPECT_TRUE(l.guardsIntact());
      inPlace(l, ln, top, [&](Word* p) { return numkit_mpn_lshift(p, p, sn, count); });
      if (k >= sn) continue;

      const Int rn = sn - k;
      mpz_fdiv_q_2exp(expected.get(), ms.get(), count);
      LimbBuffer r(uz(rn));
      const Word rtop = numkit_mpn_rshift(r.data(), s.data(), sn, count);
      EXPECT_EQ(rtop, r[uz(rn - 1)]);
      EXPECT_EQ(r.trimmed(uz(rn)), limbsOf(expected)) << "rshift " << count;
      EXPECT_TRUE(r.guardsIntact());
      inPlace(r, rn, rtop, [&](Word* p) { return numkit_mpn_rshift(p, p, sn, count); });

      const Int rn2 = bits ? rn : rn + 1;
      mpz_cdiv_q_2exp(expected.get(), ms.get(), count);
      LimbBuffer n(uz(rn2));
      const Word ntop = numkit_mpn_rshift_2c(n.data(), s.data(), sn, count);
      EXPECT_EQ(ntop, n[uz(rn2 - 1)]);
      EXPECT_EQ(n.trimmed(uz(rn2)), limbsOf(expected)) << "rshift_2c " << count;
      EXPECT_TRUE(n.guardsIntact());
      inPlace(n, rn2, ntop, [&](Word* p) { return numkit_mpn_rshift_2c(p, p, sn, count); });
    }
  }
}

// ---- Limb-wise logic ---------------------------------------------------------

TEST(GmpWrappersLogic, LimbWiseOperationsMatchMpz) {
  using Op = void (*)(Word*, const Word*, const Word*, Int);
  using Ref = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);
  auto andNot = [](mpz_ptr r, mpz_srcptr a, mpz_srcptr b) {
    Mpz nb;
    mpz_com(nb.get(), b);
    mpz_and(r, a, nb.get());
  };
  const std::vector<std::pair<Op, Ref>> ops = {{numkit_mpn_and_n, mpz_and},
                                               {numkit_mpn_andn_n, andNot},
                                               {numkit_mpn_ior_n, mpz_ior},
                                               {numkit_mpn_xor_n, mpz_xor}};
  Rng rng;
  for (long i = 0; i < numtest::iterations(300); ++i) {
    Limbs a = rng.limbs(1, 40);
    Limbs b = rng.limbs(1, 40);
    const std::size_t n = std::min(a.size(), b.size());
    a.resize(n);
    b.resize(n);
    for (std::size_t k = 0; k < ops.size(); ++k) {
      LimbBuffer r(n);
      ops[k].first(r.data(), a.data(), b.data(), static_cast<Int>(n));
      Mpz expected;
      ops[k].second(expected.get(), Mpz::fromLimbs(a).get(), Mpz::fromLimbs(b).get());
      EXPECT_EQ(r.trimmed(n), limbsOf(expected)) << "operation " << k;
      EXPECT_TRUE(r.guardsIntact());
      for (const Limbs* over : {&a, &b}) {
        LimbBuffer o = holding(*over, n);
        ops[k].first(o.data(), over == &a ? o.data() : a.data(), over == &b ? o.data() : b.data(),
                     static_cast<Int>(n));
        EXPECT_EQ(o.all(), r.all()) << "operation " << k << " in place";
      }
    }
  }
}

// ---- Conversion to double ------------------------------------------------------

// sign * S * 2^e truncated towards zero to a double, in exact integer
// arithmetic: the largest multiple of the result's unit at or below |S| 2^e,
// the unit being 2^(t - 52) for a leading bit 2^t, at least 2^-1074.
double truncatedGetD(const Mpz& m, Int e) {
  if (m.sign() == 0) return 0.0;
  const double inf = std::numeric_limits<double>::infinity();
  const __int128 top = static_cast<__int128>(mpz_sizeinbase(m.get(), 2)) - 1 + e;
  if (top > 1023) return m.sign() < 0 ? -inf : inf;
  if (top < -1074) return m.sign() < 0 ? -0.0 : 0.0;
  const auto unit = static_cast<Int>(std::max<__int128>(top - 52, -1074));
  Mpz q;
  mpz_abs(q.get(), m.get());
  if (e >= unit) {
    mpz_mul_2exp(q.get(), q.get(), static_cast<mp_bitcnt_t>(e - unit));
  } else {
    mpz_tdiv_q_2exp(q.get(), q.get(), static_cast<mp_bitcnt_t>(unit - e));
  }
  // q < 2^53, so both conversions below are exact.
  const double d = std::ldexp(mpz_get_d(q.get()), static_cast<int>(unit));
  return m.sign() < 0 ? -d : d;
}

TEST(GmpWrappersGetD, SmallCases) {
  const Word three[] = {3};
  const Word zero[] = {0};
  EXPECT_EQ(numkit_mpn_get_d(three, -1, 2), -12.0);
  EXPECT_EQ(numkit_mpn_get_d(three, 1, -1), 1.5);
  EXPECT_EQ(numkit_mpn_get_d(zero, 1, 5), 0.0);
  EXPECT_EQ(numkit_mpn_get_d(zero, -1, 5), 0.0);
  EXPECT_EQ(numkit_mpn_get_d(nullptr, 0, 5), 0.0);
  // Subnormal results keep fewer bits and are truncated there too.
  EXPECT_EQ(numkit_mpn_get_d(three, 1, -1075), std::ldexp(1.0, -1074));
  EXPECT_EQ(numkit_mpn_get_d(three, -1, -1075), -std::ldexp(1.0, -1074));
  EXPECT_EQ(numkit_mpn_get_d(three, 1, -1076), 0.0);
  const Word twoPow53PlusOne[] = {(Word{1} << 53) + 1};
  EXPECT_EQ(numkit_mpn_get_d(twoPow53PlusOne, 1, 0), 9007199254740992.0) << "truncates";
  EXPECT_EQ(numkit_mpn_get_d(twoPow53PlusOne, 1, 1), 2 * 9007199254740992.0) << "truncates";
}

TEST(GmpWrappersGetD, ExponentsBeyondIntRangeSaturate) {
  const Int huge[] = {Int{1} << 31,       Int{1} << 40,
                      Int{1} << 62,       std::numeric_limits<Int>::max(),
                      (Int{1} << 31) + 5, (Int{1} << 32) - 1000};
  const std::vector<Limbs> values = {{1}, {kOnes, kOnes, 7}, Limbs(40, kOnes)};
  for (const Limbs& v : values) {
    for (const bool neg : {false, true}) {
      const Int sn = neg ? -sz(v) : sz(v);
      for (const Int e : huge) {
        const double up = numkit_mpn_get_d(v.data(), sn, e);
        EXPECT_TRUE(std::isinf(up) && std::signbit(up) == neg) << e << " gave " << up;
        const double down = numkit_mpn_get_d(v.data(), sn, -e);
        EXPECT_TRUE(down == 0.0 && std::signbit(down) == neg) << -e << " gave " << down;
      }
      const double lowest = numkit_mpn_get_d(v.data(), sn, std::numeric_limits<Int>::min());
      EXPECT_TRUE(lowest == 0.0 && std::signbit(lowest) == neg);
    }
  }
}

TEST(GmpWrappersGetD, MatchesExactTruncation) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(500); ++i) {
    // All-one runs of many limbs make the truncation matter.
    const Limbs v =
        i % 4 == 0 ? Limbs(static_cast<std::size_t>(rng.range(1, 40)), kOnes) : rng.limbs(1, 40);
    const bool neg = rng.coin();
    const Int sn = neg ? -sz(v) : sz(v);
    const Mpz m = Mpz::fromLimbs(v, neg);
    const Int bits = static_cast<Int>(mpz_sizeinbase(m.get(), 2));
    std::vector<Int> exponents = {0,
                                  1,
                                  -1,
                                  -bits,
                                  rng.range(-3000, 3000),
                                  Int{1} << 31,
                                  -(Int{1} << 40),
                                  Int{1} << 62,
                                  std::numeric_limits<Int>::min(),
                                  std::numeric_limits<Int>::max()};
    // Leading bits 2^t at both ends of the normal range and through the
    // subnormal one, where fewer bits remain.
    for (const Int t : {1024, 1023, -1021, -1022, -1023, -1073, -1074, -1075}) {
      exponents.push_back(t + 1 - bits);
    }
    exponents.push_back(rng.range(-1076, -1020) + 1 - bits);
    for (const Int e : exponents) {
      const double got = numkit_mpn_get_d(v.data(), sn, e);
      const double want = truncatedGetD(m, e);
      EXPECT_EQ(got, want) << "e=" << e << " bits=" << bits;
      EXPECT_EQ(std::signbit(got), neg);
    }
  }
}

// ---- Greatest common divisor ----------------------------------------------------

TEST(GmpWrappersGcd, SmallCases) {
  EXPECT_EQ(numkit_gcd_word(0, 0), 0U);
  EXPECT_EQ(numkit_gcd_word(12, 18), 6U);
  EXPECT_EQ(numkit_gcd_word(0, 7), 7U);
  EXPECT_EQ(numkit_gcd_word(kOnes, 0), kOnes);
  EXPECT_EQ(numkit_gcd_word(kTop, Word{1} << 40), Word{1} << 40);
  const Word zero[] = {0};
  EXPECT_EQ(numkit_mpn_gcd_1(zero, 1, 9), 9U);
  EXPECT_EQ(numkit_mpn_gcd_1(zero, 1, 0), 0U);

  struct Case {
    Limbs x, y, g;
  };
  for (const Case& c : std::vector<Case>{{{6}, {0}, {6}}, {{6, 1}, {4}, {2}}, {{0}, {5}, {5}}}) {
    LimbBuffer r(c.y.size());
    EXPECT_EQ(numkit_mpn_gcd(r.data(), c.x.data(), sz(c.x), c.y.data(), sz(c.y)), sz(c.g));
    EXPECT_EQ(r.prefix(c.g.size()), c.g);
    EXPECT_TRUE(r.guardsIntact());
  }
}

TEST(GmpWrappersGcd, MatchesMpzAndLeavesInputsIntact) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(400); ++i) {
    // A shared power of two and a shared odd factor make the gcd non-trivial.
    Mpz x = Mpz::fromLimbs(rng.limbs(1, 20)), y = Mpz::fromLimbs(rng.limbs(1, 20));
    const Mpz f = Mpz::fromLimbs(rng.limbs(1, 3));
    if (rng.coin()) {
      mpz_mul(x.get(), x.get(), f.get());
      mpz_mul(y.get(), y.get(), f.get());
    }
    const auto shift = static_cast<mp_bitcnt_t>(rng.range(0, 130));
    mpz_mul_2exp(x.get(), x.get(), shift);
    mpz_mul_2exp(y.get(), y.get(), shift + static_cast<mp_bitcnt_t>(rng.range(0, 3)));
    Limbs xs = x.limbs(), ys = y.limbs();
    if (xs.size() < ys.size()) std::swap(xs, ys);
    const Limbs xCopy = xs, yCopy = ys;
    Mpz g;
    mpz_gcd(g.get(), x.get(), y.get());

    LimbBuffer r(ys.size());
    const Int gn = numkit_mpn_gcd(r.data(), xs.data(), sz(xs), ys.data(), sz(ys));
    EXPECT_EQ(r.prefix(uz(gn)), limbsOf(g));
    EXPECT_TRUE(r.guardsIntact());
    EXPECT_EQ(xs, xCopy);
    EXPECT_EQ(ys, yCopy);
    LimbBuffer overX = holding(xs, ys.size()), overY = holding(ys, ys.size());
    EXPECT_EQ(numkit_mpn_gcd(overX.data(), overX.data(), sz(xs), ys.data(), sz(ys)), gn);
    EXPECT_EQ(numkit_mpn_gcd(overY.data(), xs.data(), sz(xs), overY.data(), sz(ys)), gn);
    EXPECT_EQ(overX.prefix(uz(gn)), limbsOf(g)) << "in place over x";
    EXPECT_EQ(overY.prefix(uz(gn)), limbsOf(g)) << "in place over y";

    const Word w = rng.specialWord() | 1;
    EXPECT_EQ(numkit_mpn_gcd_1(xs.data(), sz(xs), w),
              mpz_gcd_ui(nullptr, Mpz::fromLimbs(xs).get(), w));
    const Word a = rng.specialWord(), b = rng.specialWord();
    EXPECT_EQ(numkit_gcd_word(a, b), mpz_gcd_ui(nullptr, Mpz(a).get(), b));
  }
}

TEST(GmpWrappersGcdext, CoefficientsAreMpzsAndSatisfyBezout) {
  Rng rng;
  std::vector<std::pair<Mpz, Mpz>> pairs;
  for (long i = 0; i < numtest::iterations(400); ++i) {
    Mpz x = Mpz::fromLimbs(rng.limbs(1, 40), rng.coin());
    Mpz y = Mpz::fromLimbs(rng.limbs(1, 40), rng.coin());
    switch (rng.range(0, 4)) {
      case 0:  // y divides x
        mpz_mul(x.get(), y.get(), Mpz::fromLimbs(rng.limbs(1, 3), rng.coin()).get());
        break;
      case 1:  // |x| = |y|
        mpz_neg(x.get(), y.get());
        break;
      case 2:  // a large common factor
        mpz_mul(x.get(), x.get(), Mpz::fromLimbs(rng.limbs(1, 10)).get());
        mpz_mul(y.get(), y.get(), Mpz::fromLimbs(rng.limbs(1, 10)).get());
        break;
      default:
        break;
    }
    pairs.emplace_back(x, y);
  }
  pairs.emplace_back(Mpz(240), Mpz(46));
  pairs.emplace_back(Mpz::fromInt(-10), Mpz(4));
  pairs.emplace_back(Mpz(1), Mpz(1));

  for (const auto& [x, y] : pairs) {
    const Limbs xs = x.limbs(), ys = y.limbs();
    const Int xn = x.sign() < 0 ? -sz(xs) : sz(xs), yn = y.sign() < 0 ? -sz(ys) : sz(ys);
    LimbBuffer g(std::min(xs.size(), ys.size())), s(ys.size()), t(xs.size());
    std::int32_t gn = -1, ssn = -1, stn = -1;
    numkit_gcdext(s.data(), &ssn, t.data(), &stn, g.data(), &gn, xs.data(), xn, ys.data(), yn);
    EXPECT_TRUE(g.guardsIntact() && s.guardsIntact() && t.guardsIntact());
    ASSERT_GE(gn, 0);
    ASSERT_LE(std::abs(ssn), sz(ys));
    ASSERT_LE(std::abs(stn), sz(xs));
    const Mpz gv = Mpz::fromLimbs(g.prefix(uz(gn)));
    const Mpz sv = Mpz::fromLimbs(s.prefix(uz(std::abs(ssn))), ssn < 0);
    const Mpz tv = Mpz::fromLimbs(t.prefix(uz(std::abs(stn))), stn < 0);
    Mpz eg, es, et;
    mpz_gcdext(eg.get(), es.get(), et.get(), x.get(), y.get());
    EXPECT_EQ(gv, eg);
    EXPECT_EQ(sv, es);
    EXPECT_EQ(tv, et);
    Mpz bezout;
    mpz_mul(bezout.get(), x.get(), sv.get());
    mpz_addmul(bezout.get(), y.get(), tv.get());
    EXPECT_EQ(bezout, gv);
  }
}

// ---- Division -------------------------------------------------------------------------

void checkDivision(const Limbs& n, const Limbs& d) {
  const Mpz mn = Mpz::fromLimbs(n), md = Mpz::fromLimbs(d);
  Mpz q, r;
  mpz_tdiv_qr(q.get(), r.get(), mn.get(), md.get());
  const std::size_t qn = n.size() - d.size() + 1;
  LimbBuffer qb(qn), rb(d.size());
  numkit_mpn_tdiv_q(qb.data(), n.data(), sz(n), d.data(), sz(d));
  numkit_mpn_tdiv_r(rb.data(), n.data(), sz(n), d.data(), sz(d));
  EXPECT_EQ(qb.trimmed(qn), limbsOf(q)) << n.size() << " / " << d.size();
  EXPECT_EQ(rb.trimmed(d.size()), limbsOf(r)) << n.size() << " / " << d.size();
  EXPECT_TRUE(qb.guardsIntact() && rb.guardsIntact());
  LimbBuffer over = holding(n, d.size());
  numkit_mpn_tdiv_r(over.data(), over.data(), sz(n), d.data(), sz(d));
  EXPECT_EQ(over.trimmed(d.size()), limbsOf(r)) << "remainder in place";
}

TEST(GmpWrappersDivision, EverySizePairingMatchesMpz) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(600); ++i) {
    Limbs n = rng.limbs(1, 40);
    Limbs d = rng.limbs(1, sz(n));
    if (d.size() > n.size()) std::swap(n, d);
    switch (rng.range(0, 3)) {
      case 0:  // normalised divisor
        d.back() |= kTop;
        break;
      case 1:  // B - 1 over zero limbs
        std::fill(d.begin(), d.end() - 1, 0);
        d.back() = kOnes;
        break;
      default:
        break;
    }
    checkDivision(n, d);
  }
}

TEST(GmpWrappersDivision, ScratchOnBothSidesOfTheStackLimit) {
  Rng rng;
  // (nn, dn): the discarded part of tdiv_q has dn limbs, that of tdiv_r nn - dn + 1.
  const std::pair<std::size_t, std::size_t> sizes[] = {
      {128, 1},   {129, 1},   {130, 2},   {300, 1},   {300, 128},
      {300, 129}, {260, 200}, {128, 128}, {129, 129}, {400, 300}};
  for (const auto& [nn, dn] : sizes) {
    Limbs n = rng.limbs(static_cast<Int>(nn), static_cast<Int>(nn));
    Limbs d = rng.limbs(static_cast<Int>(dn), static_cast<Int>(dn));
    checkDivision(n, d);
    d.back() |= kTop;
    checkDivision(n, d);
    std::fill(d.begin(), d.end() - 1, 0);
    d.back() = kOnes;
    checkDivision(n, d);
  }
}

}  // namespace
