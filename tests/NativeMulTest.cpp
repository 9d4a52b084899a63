// The native backend's products and divisions against GMP's mpn layer, on
// seeded operands of 1 to 200 limbs with runs of zero and all-one limbs,
// divisors that push the quotient estimates off, sizes on both sides of
// every algorithm threshold, and a few operands of thousands of limbs.
#include <gmp.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "../src/Num/Backend/NativeMulCore.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/WordArray.hpp"
#include "support/Random.hpp"

namespace {

using num::Int;
using num::MutableWordArray_;
using num::Word;
using num::WordArray_;
using Limbs = std::vector<Word>;
namespace nb = num::backend::native;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;

WordArray_ array(const Limbs& v) {
  MutableWordArray_ a = MutableWordArray_::allocate(static_cast<Int>(v.size()));
  std::copy(v.begin(), v.end(), a.data());
  return std::move(a).freeze();
}

Limbs limbsOf(const MutableWordArray_& a) { return {a.data(), a.data() + a.size()}; }

Limbs trimmed(Limbs v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
  return v;
}

auto sz(const Limbs& v) { return static_cast<mp_size_t>(v.size()); }

// An operand of exactly n limbs, top limb non-zero, in one of the shapes
// that stress carries: seeded runs, all ones, mostly zero limbs, or a top
// limb with only its top bit set over all-one limbs.
Limbs operand(numtest::Rng& rng, Int n) {
  Limbs v = rng.limbs(n, n);
  switch (rng.range(0, 5)) {
    case 0:
      std::fill(v.begin(), v.end(), kOnes);
      break;
    case 1:
      for (Word& w : v) w = rng.range(0, 7) == 0 ? rng.word() : 0;
      break;
    case 2:
      std::fill(v.begin(), v.end(), kOnes);
      v.back() = kTop;
      break;
    default:
      break;
  }
  if (v.back() == 0) v.back() = 1;
  return v;
}

// mul, sqr, mul_word and a product built row by row with mul_mul, against
// mpn_mul, mpn_sqr and mpn_mul_1.
void checkProducts(const Limbs& a, const Limbs& b) {
  ASSERT_GE(a.size(), b.size());
  const WordArray_ wa = array(a);
  const WordArray_ wb = array(b);
  Limbs want(a.size() + b.size());
  mpn_mul(want.data(), a.data(), sz(a), b.data(), sz(b));
  MutableWordArray_ r = MutableWordArray_::allocate(wa.size() + wb.size());
  nb::bignat_mul(r, wa, wb);
  ASSERT_EQ(limbsOf(r), want) << a.size() << " x " << b.size() << " limbs";

  Limbs sq(2 * a.size());
  mpn_sqr(sq.data(), a.data(), sz(a));
  MutableWordArray_ s = MutableWordArray_::allocate(2 * wa.size());
  nb::bignat_sqr(s, wa);
  ASSERT_EQ(limbsOf(s), sq) << "square of " << a.size() << " limbs";

  if (b.size() <= 40) {
    Int j0 = 0;
    while (a[static_cast<std::size_t>(j0)] == 0) ++j0;
    MutableWordArray_ rows = MutableWordArray_::allocate(wa.size() + wb.size());
    std::fill(rows.data(), rows.data() + rows.size(), Word{0});
    for (Int i = 0; i < wb.size(); ++i) nb::bignat_mul_mul(rows, wa, wb[i], i, j0);
    ASSERT_EQ(limbsOf(rows), want) << "rows of " << a.size() << " x " << b.size();
  }

  Limbs w1(a.size() + 1);
  w1.back() = mpn_mul_1(w1.data(), a.data(), sz(a), b[0]);
  MutableWordArray_ rw = MutableWordArray_::allocate(wa.size() + 1);
  nb::bignat_mul_word(rw, wa, b[0]);
  ASSERT_EQ(rw.size(), w1.back() != 0 ? wa.size() + 1 : wa.size());
  w1.resize(static_cast<std::size_t>(rw.size()));
  ASSERT_EQ(limbsOf(rw), w1);
}

// The word kernels against mpn_divrem_1 (n may be empty).
void checkWordDivision(const Limbs& n, Word d0) {
  const WordArray_ wn = array(n);
  Limbs q1(n.size());
  const Word r1 = n.empty() ? 0 : mpn_divrem_1(q1.data(), 0, n.data(), sz(n), d0);
  ASSERT_EQ(nb::bignat_rem_word(wn, d0), r1) << n.size() << " limbs by " << d0;
  if (n.empty()) return;
  MutableWordArray_ wq = MutableWordArray_::allocate(wn.size());
  ASSERT_EQ(nb::bignat_quotrem_word(wq, wn, d0), r1);
  ASSERT_EQ(limbsOf(wq), q1);
  MutableWordArray_ wq2 = MutableWordArray_::allocate(wn.size());
  nb::bignat_quot_word(wq2, wn, d0);
  ASSERT_EQ(limbsOf(wq2), q1);
}

// Every division kernel on one pair, against mpn_tdiv_qr and mpn_divrem_1.
void checkDivision(const Limbs& n, const Limbs& d) {
  ASSERT_GE(n.size(), d.size());
  ASSERT_NE(d.back(), 0U);
  const WordArray_ wn = array(n);
  const WordArray_ wd = array(d);
  const Int qn = wn.size() - wd.size() + 1;
  Limbs q(static_cast<std::size_t>(qn));
  Limbs r(d.size());
  mpn_tdiv_qr(q.data(), r.data(), 0, n.data(), sz(n), d.data(), sz(d));
  SCOPED_TRACE(std::to_string(n.size()) + " by " + std::to_string(d.size()) + " limbs");

  MutableWordArray_ mq = MutableWordArray_::allocate(qn);
  MutableWordArray_ mr = MutableWordArray_::allocate(wd.size());
  nb::bignat_quotrem(mq, mr, wn, wd);
  ASSERT_EQ(limbsOf(mq), q);
  ASSERT_EQ(limbsOf(mr), trimmed(r));  // shrunk and trimmed by the kernel

  MutableWordArray_ oq = MutableWordArray_::allocate(qn);
  nb::bignat_quot(oq, wn, wd);
  ASSERT_EQ(limbsOf(oq), q);
  MutableWordArray_ orr = MutableWordArray_::allocate(wd.size());
  nb::bignat_rem(orr, wn, wd);
  ASSERT_EQ(trimmed(limbsOf(orr)), trimmed(r));

  if (d.size() == 1) checkWordDivision(n, d[0]);

  // A normalised divisor: d shifted to its top bit, the dividend as it is
  // (the quotient changes, so mpn gives its own reference).
  Limbs dn = d;
  const int s = __builtin_clzll(d.back());
  if (s != 0) mpn_lshift(dn.data(), d.data(), sz(d), static_cast<unsigned>(s));
  if (n.size() >= dn.size()) {
    Limbs qq(n.size() - dn.size() + 1);
    Limbs rr(dn.size());
    mpn_tdiv_qr(qq.data(), rr.data(), 0, n.data(), sz(n), dn.data(), sz(dn));
    // With a zero top quotient limb the quotient may also have one limb
    // fewer.
    const bool shortToo = qq.back() == 0;
    for (const bool shortQ : {false, shortToo}) {
      MutableWordArray_ a = MutableWordArray_::allocate(wn.size());
      std::copy(n.begin(), n.end(), a.data());
      const auto qn2 = static_cast<Int>(qq.size()) - (shortQ ? 1 : 0);
      MutableWordArray_ nq = MutableWordArray_::allocate(qn2);
      nb::bignat_quotrem_normalized(nq, a, array(dn));
      ASSERT_EQ(limbsOf(nq), Limbs(qq.begin(), qq.begin() + qn2));
      ASSERT_EQ(trimmed(limbsOf(a)), trimmed(rr));
    }
  }
}

// n = q d + rem for the chosen parts (computed with mpn).
Limbs compose(const Limbs& q, const Limbs& d, const Limbs& rem) {
  Limbs n(q.size() + d.size() + 1, 0);
  if (q.size() >= d.size()) {
    mpn_mul(n.data(), q.data(), sz(q), d.data(), sz(d));
  } else {
    mpn_mul(n.data(), d.data(), sz(d), q.data(), sz(q));
  }
  mpn_add(n.data(), n.data(), sz(n), rem.data(), sz(rem));
  return trimmed(n);
}

// A divisor of dn limbs whose top limbs make the two-limb quotient estimate
// too large: top limb 2^63 (or 2^63 + 1) over all-one or all-zero limbs.
Limbs hardDivisor(numtest::Rng& rng, Int dn) {
  Limbs d = operand(rng, dn);
  const auto k = static_cast<std::size_t>(dn);
  d[k - 1] = kTop + static_cast<Word>(rng.range(0, 1));
  if (k >= 2) d[k - 2] = rng.coin() ? kOnes : 0;
  if (k >= 3 && rng.coin()) d[k - 3] = kOnes;
  if (rng.coin()) d[k - 1] >>= rng.range(0, 5);  // not normalised
  return d;
}

TEST(NativeMul, ProductsMatchMpn) {
  numtest::forRandomOperands(3000, [](numtest::Rng& rng) {
    const Int na = rng.range(1, 200);
    const Int nb2 = rng.coin() ? na : rng.range(1, na);
    checkProducts(operand(rng, na), operand(rng, nb2));
  });
}

TEST(NativeMul, DivisionsMatchMpn) {
  numtest::forRandomOperands(5000, [](numtest::Rng& rng) {
    const Int dn = rng.range(1, 120);
    const Int extra = rng.range(0, 80);
    const Limbs d = rng.coin() ? hardDivisor(rng, dn) : operand(rng, dn);
    Limbs n;
    switch (rng.range(0, 3)) {
      case 0:
        n = operand(rng, dn + extra);
        break;
      case 1: {
        // q d + (d - 1): the largest remainder.
        Limbs dm1 = d;
        mpn_sub_1(dm1.data(), dm1.data(), sz(dm1), 1);
        n = compose(operand(rng, extra + 1), d, dm1);
        break;
      }
      case 2: {
        // The dividend's top limbs equal the divisor's, so the leading
        // estimate starts at 2^64 - 1.
        n = operand(rng, dn + extra);
        const std::size_t k = std::min<std::size_t>(d.size(), 3);
        std::copy(d.end() - static_cast<std::ptrdiff_t>(k), d.end(),
                  n.end() - static_cast<std::ptrdiff_t>(k));
        break;
      }
      default:
        // The top limb equals the divisor's and the next one is 0: below
        // a divisor whose next limb is all ones, 2^64 - 1 is two too large.
        n = operand(rng, dn + extra + 1);
        n.back() = d.back();
        n[n.size() - 2] = 0;
        break;
    }
    if (n.size() < d.size()) n = compose(Limbs{1}, d, Limbs{0});
    checkDivision(n, d);
  });
}

TEST(NativeMul, WordDivisionsMatchMpn) {
  numtest::forRandomOperands(3000, [](numtest::Rng& rng) {
    Word d0 = rng.specialWord();
    if (d0 == 0) d0 = 1;
    checkWordDivision(rng.limbsOrZero(60), d0);
  });
}

// The portable row loops, which processors without mulx and adox run in
// place of the assembly ones (the kernels above take whichever this one
// has), against mpn_addmul_1 and mpn_submul_1.
TEST(NativeMul, PortableRowsMatchMpn) {
  namespace core = num::backend::native::core;
  numtest::forRandomOperands(2000, [](numtest::Rng& rng) {
    const Limbs a = rng.limbs(1, 40);
    const Limbs r0 = rng.limbs(static_cast<Int>(a.size()), static_cast<Int>(a.size()));
    const Word w = rng.specialWord();
    Limbs want = r0;
    Limbs got = r0;
    ASSERT_EQ(core::addMulLimbs1Portable(got.data(), a.data(), sz(a), w),
              mpn_addmul_1(want.data(), a.data(), sz(a), w));
    ASSERT_EQ(got, want);
    want = r0;
    got = r0;
    ASSERT_EQ(core::subMulLimbs1Portable(got.data(), a.data(), sz(a), w),
              mpn_submul_1(want.data(), a.data(), sz(a), w));
    ASSERT_EQ(got, want);
  });
}

// Sizes just below, at and above the thresholds where the algorithms
// change (the schoolbook square from 20 limbs, recursive division from 40,
// Karatsuba products from 48 and squares from 144, Toom-3 products from 280
// and squares from 400, and twice the division threshold, where the
// recursion first splits), in balanced and unbalanced shapes.
TEST(NativeMul, SizesAroundThresholds) {
  numtest::Rng rng;
  const long reps = numtest::iterations(2);
  for (const Int t : {20, 40, 48, 80, 96, 144, 280, 400}) {
    for (const Int n : {t - 1, t, t + 1}) {
      for (long rep = 0; rep < reps; ++rep) {
        checkProducts(operand(rng, n), operand(rng, n));
        checkProducts(operand(rng, 3 * n + 1), operand(rng, n));
        checkProducts(operand(rng, n + n / 2), operand(rng, n));
        checkDivision(operand(rng, 2 * n), operand(rng, n));
        checkDivision(operand(rng, 3 * n + 5), hardDivisor(rng, n));
        checkDivision(operand(rng, n + n / 3), operand(rng, n));
      }
    }
  }
}

// A few operands of thousands of limbs, where the subquadratic paths recurse
// several levels deep.
TEST(NativeMul, LargeOperands) {
  numtest::Rng rng;
  const long reps = numtest::iterations(1);
  for (long rep = 0; rep < reps; ++rep) {
    checkProducts(operand(rng, 5000), operand(rng, 5000));
    checkProducts(operand(rng, 20000), operand(rng, 7001));
    checkProducts(operand(rng, 12345), operand(rng, 12000));
    checkDivision(operand(rng, 20000), operand(rng, 10000));
    checkDivision(operand(rng, 16000), hardDivisor(rng, 5001));
    checkDivision(operand(rng, 9000), operand(rng, 8000));
  }
}

// Two cases whose shape the differential checks do not pin down: the
// product of operands with low zero limbs keeps its untrimmed top limb, and
// a remainder that needs one limb fewer than the divisor is shrunk.
TEST(NativeMul, OutputShapes) {
  MutableWordArray_ r = MutableWordArray_::allocate(4);
  nb::bignat_mul(r, array({0, 1}), array({0, 2}));
  EXPECT_EQ(limbsOf(r), (Limbs{0, 0, 2, 0}));

  // (2^128 + 5) / (2^64 + 3) = 2^64 - 3, remainder 14.
  MutableWordArray_ q = MutableWordArray_::allocate(2);
  MutableWordArray_ rem = MutableWordArray_::allocate(2);
  nb::bignat_quotrem(q, rem, array({5, 0, 1}), array({3, 1}));
  EXPECT_EQ(limbsOf(q), (Limbs{kOnes - 2, 0}));
  EXPECT_EQ(limbsOf(rem), (Limbs{14}));
}

}  // namespace
