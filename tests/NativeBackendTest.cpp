// The native backend's kernels against the GMP backend's, kernel by kernel,
// on shared pools of operands (1 to 200 limbs, runs of zero and all-one
// limbs, top bits set), comparing outputs, their sizes where both kernels
// size them alike, and returned values.  Where the native kernel shrinks an
// output the GMP kernel leaves for the caller to trim, the trimmed outputs
// are compared.  The GMP side exists only in builds that select GMP; the
// native kernels' own conventions are checked in every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "Num/Backend/Native.hpp"
#include "Num/BigNat.hpp"
#include "Num/Config.hpp"
#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/Random.hpp"
#if defined(NUMKIT_BACKEND_GMP)
#include "Num/Backend/GMP.hpp"
#endif

namespace {

namespace nat = num::backend::native;
using num::Int;
using num::Integer;
using num::MutableWordArray_;
using num::Natural;
using num::Word;
using num::WordArray_;
using Limbs = std::vector<Word>;
using numtest::Rng;

constexpr Word kOnes = ~Word{0};

WordArray_ arrayOf(const Limbs& l) {
  MutableWordArray_ m = MutableWordArray_::allocate(static_cast<Int>(l.size()));
  for (std::size_t i = 0; i < l.size(); ++i) m[static_cast<Int>(i)] = l[i];
  return std::move(m).freeze();
}

// The limbs a kernel left in r, optionally without top zero limbs.
Limbs limbsOf(const MutableWordArray_& r, bool trim = false) {
  Limbs v(r.data(), r.data() + r.size());
  while (trim && !v.empty() && v.back() == 0) v.pop_back();
  return v;
}

// r filled by f, in an array of n words.
template <class F>
Limbs run(Int n, bool trim, F&& f) {
  MutableWordArray_ r = MutableWordArray_::allocate(n);
  for (Int i = 0; i < n; ++i) r[i] = 0x5a5a5a5a5a5a5a5aULL;  // garbage the kernel must overwrite
  f(r);
  return limbsOf(r, trim);
}

TEST(NativeBackendConventions, WhatOnlyTheNativeKernelsDo) {
  const WordArray_ twelve = arrayOf({12});
  EXPECT_THROW(nat::bignat_gcd_word(twelve, 0), num::DivideByZero);
  EXPECT_EQ(nat::bignat_gcd_word(twelve, 1), 1U);
  EXPECT_EQ(nat::bignat_gcd_word(twelve, 18), 6U);
  // A left shift drops its zero carry limb itself.
  EXPECT_EQ(run(2, false, [&](auto& r) { nat::bignat_shiftl(r, arrayOf({1}), 1); }), Limbs{2});
  EXPECT_EQ(run(2, false, [&](auto& r) { nat::bignat_shiftl(r, arrayOf({1}), 64); }),
            (Limbs{0, 1}));
  // The quotient is left untrimmed, the remainder shrunk and trimmed.
  MutableWordArray_ q = MutableWordArray_::allocate(2);
  MutableWordArray_ r = MutableWordArray_::allocate(2);
  nat::bignat_quotrem(q, r, arrayOf({5, 0, 1}), arrayOf({3, 1}));
  EXPECT_EQ(limbsOf(q), (Limbs{kOnes - 2, 0}));
  EXPECT_EQ(limbsOf(r), Limbs{14});
  // Modulus 1 has the inverse 0 here; the layers above answer it first.
  EXPECT_EQ(nat::integer_recip_mod(Integer(3), Natural(1U)), std::optional<Natural>(Natural(0U)));
  EXPECT_FALSE(nat::integer_recip_mod(Integer(6), Natural(9U)).has_value());
  EXPECT_EQ(nat::integer_powmod(Integer(3), Natural(0U), Natural(1U)), Natural(0U));
  EXPECT_EQ(nat::bignat_powmod_words(0, 0, 1), 0U);
  EXPECT_EQ(nat::integer_gcde(Integer(-4), Integer(6)),
            std::make_tuple(Integer(2), Integer(1), Integer(1)));
  EXPECT_STREQ(nat::backendName, "native");
}

#if defined(NUMKIT_BACKEND_GMP)

namespace gmp = num::backend::gmp;

std::string hex(const WordArray_& a) {
  std::string s = " [";
  for (Int i = 0; i < a.size(); ++i) {
    if (i > 0) s += ' ';
    s += std::to_string(a[i]);
  }
  return s + "]";
}

// A pool of normalised operands: limb-boundary shapes at every size class,
// then seeded random ones whose sizes favour the short end (where most of a
// program's numbers are) up to maxLimbs; a quarter have the top bit set.
class Pool {
 public:
  explicit Pool(Int maxLimbs) {
    Rng rng(numtest::testSeed() + static_cast<Word>(maxLimbs));
    for (const Int n : {1, 2, 3, 4, 5, 8, 17, 64, 200}) {
      if (n > maxLimbs) break;
      Limbs ones(static_cast<std::size_t>(n), kOnes);
      Limbs power(static_cast<std::size_t>(n), 0);
      power.back() = 1;
      Limbs top = rng.limbs(n, n);
      top.back() |= Word{1} << 63;
      for (const Limbs* l : {&ones, &power, &top}) add(*l);
    }
    while (ops_.size() < 4096) {
      const Int cap = rng.coin() ? 4 : rng.coin() ? 16 : rng.coin() ? 64 : maxLimbs;
      Limbs l = rng.limbs(1, std::min(cap, maxLimbs));
      if (rng.range(0, 3) == 0) l.back() |= Word{1} << 63;
      add(l);
    }
  }
  const WordArray_& pick(Rng& rng) const {
    return ops_[static_cast<std::size_t>(rng.range(0, static_cast<Int>(ops_.size()) - 1))];
  }
  // f(rng, a, b) on `count` random pairs of operands, the longer first; a
  // failure names the pair.
  template <class F>
  void forPairs(long count, F&& f) const {
    numtest::forRandomOperands(count, [&](Rng& rng) {
      const WordArray_* a = &pick(rng);
      const WordArray_* b = &pick(rng);
      if (a->size() < b->size()) std::swap(a, b);
      f(rng, *a, *b);
      if (::testing::Test::HasFailure()) ADD_FAILURE() << "operands" << hex(*a) << hex(*b);
    });
  }

 private:
  void add(const Limbs& l) { ops_.push_back(arrayOf(l)); }
  std::vector<WordArray_> ops_;
};

// Runs a kernel of both backends into outputs of n words and compares the
// outputs (trimmed when `trim`) and the returned values.
template <class N, class G>
::testing::AssertionResult sameRun(Int n, bool trim, N native, G viaGmp) {
  MutableWordArray_ rn = MutableWordArray_::allocate(n);
  MutableWordArray_ rg = MutableWordArray_::allocate(n);
  for (Int i = 0; i < n; ++i) rn[i] = rg[i] = 0x5a5a5a5a5a5a5a5aULL;
  if constexpr (std::is_void_v<decltype(native(rn))>) {
    native(rn);
    viaGmp(rg);
  } else {
    const auto x = native(rn);
    const auto y = viaGmp(rg);
    if (x != y) return ::testing::AssertionFailure() << "returned " << x << " and " << y;
  }
  if (limbsOf(rn, trim) != limbsOf(rg, trim)) {
    return ::testing::AssertionFailure()
           << "outputs of " << rn.size() << " and " << rg.size() << " limbs differ";
  }
  return ::testing::AssertionSuccess();
}

// The same kernel call in both backends, r its output.
#define SAME_RUN(n, trim, call)                                 \
  sameRun(                                                      \
      n, trim, [&](MutableWordArray_& r) { return nat::call; }, \
      [&](MutableWordArray_& r) { return gmp::call; })

constexpr long kCases = 1'000'000;

TEST(NativeBackendVsGmp, AdditiveKernels) {
  Pool(200).forPairs(kCases, [](Rng& rng, const WordArray_& a, const WordArray_& b) {
    const Word w = rng.specialWord();
    const Int na = a.size();
    // The same size as a, equal or one limb off: comparisons and underflows.
    Limbs c(a.data(), a.data() + na);
    c[static_cast<std::size_t>(rng.range(0, na - 1))] += rng.coin() ? 0 : rng.specialWord();
    const WordArray_ ca = arrayOf(c);
    const auto sign = [](Int x) { return (x > 0) - (x < 0); };
    ASSERT_TRUE(SAME_RUN(na + 1, false, bignat_add(r, a, b)));
    ASSERT_TRUE(SAME_RUN(na + 1, false, bignat_add(r, b, a)));
    ASSERT_TRUE(SAME_RUN(na + 1, false, bignat_add_word(r, a, w))) << w;
    ASSERT_TRUE(SAME_RUN(na, false, bignat_sub(r, a, b)));
    ASSERT_TRUE(SAME_RUN(na, false, bignat_sub(r, ca, a))) << hex(ca);
    ASSERT_TRUE(SAME_RUN(na, false, bignat_sub_word(r, a, w))) << w;
    ASSERT_EQ(sign(nat::bignat_compare(a, ca)), sign(gmp::bignat_compare(a, ca)));
  });
}

TEST(NativeBackendVsGmp, ShiftsLogicAndPopulationCount) {
  Pool(200).forPairs(kCases, [](Rng& rng, const WordArray_& a, const WordArray_& b) {
    const Int na = a.size();
    const Int nb = b.size();
    const Word n = rng.coin() ? static_cast<Word>(rng.range(1, 130))
                              : static_cast<Word>(rng.range(1, 64 * na - 1));
    const auto k = static_cast<Int>(n / 64);
    const Int sl = na + k + (n % 64 != 0 ? 1 : 0);
    ASSERT_TRUE(SAME_RUN(sl, true, bignat_shiftl(r, a, n))) << n;
    if (k < na) {
      ASSERT_TRUE(SAME_RUN(na - k, false, bignat_shiftr(r, a, n))) << n;
      const Int sr = na - static_cast<Int>((n - 1) / 64);
      ASSERT_TRUE(SAME_RUN(sr, false, bignat_shiftr_neg(r, a, n))) << n;
    }
    for (const auto& xy : {std::pair{&a, &b}, std::pair{&b, &a}}) {
      const WordArray_* x = xy.first;
      const WordArray_* y = xy.second;
      SCOPED_TRACE(x == &a ? "a with b" : "b with a");
      const Int nx = x->size();
      ASSERT_TRUE(SAME_RUN(std::min(na, nb), false, bignat_and(r, *x, *y)));
      ASSERT_TRUE(SAME_RUN(nx, false, bignat_and_not(r, *x, *y)));
      ASSERT_TRUE(SAME_RUN(na, false, bignat_or(r, *x, *y)));
      ASSERT_TRUE(SAME_RUN(na, false, bignat_xor(r, *x, *y)));
    }
    ASSERT_EQ(nat::bignat_popcount(a), gmp::bignat_popcount(a));
  });
}

TEST(NativeBackendVsGmp, ProductsAndDivision) {
  Pool(200).forPairs(kCases, [](Rng& rng, const WordArray_& a, const WordArray_& b) {
    const Int na = a.size();
    const Int nb = b.size();
    const Word w = rng.specialWord() | (rng.coin() ? 1 : 0);
    ASSERT_TRUE(SAME_RUN(na + nb, false, bignat_mul(r, a, b)));
    ASSERT_TRUE(SAME_RUN(2 * na, false, bignat_sqr(r, a)));
    ASSERT_TRUE(SAME_RUN(na + 1, false, bignat_mul_word(r, a, w))) << w;
    if (w != 0) {
      ASSERT_TRUE(SAME_RUN(na, false, bignat_quotrem_word(r, a, w))) << w;
      ASSERT_TRUE(SAME_RUN(na, false, bignat_quot_word(r, a, w))) << w;
      ASSERT_EQ(nat::bignat_rem_word(a, w), gmp::bignat_rem_word(a, w)) << w;
    }
    if (nb < 2) return;
    ASSERT_TRUE(SAME_RUN(na - nb + 1, false, bignat_quot(r, a, b)));
    ASSERT_TRUE(SAME_RUN(nb, true, bignat_rem(r, a, b)));
    MutableWordArray_ rn = MutableWordArray_::allocate(nb);
    MutableWordArray_ rg = MutableWordArray_::allocate(nb);
    ASSERT_EQ(run(na - nb + 1, false, [&](auto& q) { nat::bignat_quotrem(q, rn, a, b); }),
              run(na - nb + 1, false, [&](auto& q) { gmp::bignat_quotrem(q, rg, a, b); }));
    ASSERT_EQ(limbsOf(rn), limbsOf(rg, true));
  });
}

TEST(NativeBackendVsGmp, ProductsAndDivisionOfFiveThousandLimbs) {
  numtest::forRandomOperands(2, [&](Rng& rng) {
    const WordArray_ a = arrayOf(rng.limbs(5000, 5000));
    const WordArray_ b = arrayOf(rng.limbs(4000, 5000));
    const WordArray_ n = arrayOf(rng.limbs(10000, 10000));
    ASSERT_TRUE(SAME_RUN(a.size() + b.size(), false, bignat_mul(r, a, b)));
    ASSERT_TRUE(SAME_RUN(2 * a.size(), false, bignat_sqr(r, a)));
    ASSERT_TRUE(SAME_RUN(n.size() - a.size() + 1, false, bignat_quot(r, n, a)));
    ASSERT_TRUE(SAME_RUN(a.size(), true, bignat_rem(r, n, a)));
  });
}

// Euclid's steps grow with the operands' length, so most cases are of one
// or two limbs and fewer run up to 16 and to 200 limbs; a third of the
// pairs share a factor, so that gcds of many limbs come up too.
TEST(NativeBackendVsGmp, GreatestCommonDivisors) {
  for (const auto& [limbs, count] : {std::pair{2, kCases}, {16, 20000L}, {200, 100L}}) {
    const Pool pool(limbs);
    pool.forPairs(count, [&](Rng& rng, const WordArray_& a0, const WordArray_& b0) {
      const WordArray_* a = &a0;
      const WordArray_* b = &b0;
      WordArray_ fa;
      WordArray_ fb;
      if (rng.range(0, 2) == 0) {
        const WordArray_& f = pool.pick(rng);
        fa = num::bigNatMul(a0, f);
        fb = num::bigNatMul(b0, f);
        a = &fa;
        b = &fb;
        if (a->size() < b->size()) std::swap(a, b);
      }
      const Word w = rng.specialWord() | 1;
      const Word x = rng.specialWord();
      const Word y = rng.specialWord();
      ASSERT_TRUE(SAME_RUN(b->size(), true, bignat_gcd(r, *a, *b))) << hex(*a) << hex(*b);
      ASSERT_EQ(nat::bignat_gcd_word(*a, w), gmp::bignat_gcd_word(*a, w)) << hex(*a) << w;
      ASSERT_EQ(nat::bignat_gcd_word_word(x, y), gmp::bignat_gcd_word_word(x, y)) << x << " " << y;
    });
  }
}

// A word of up to 64 bits, three times in four of at most 8; sometimes 0.
Word shortWord(Rng& rng) {
  const Int s = rng.range(rng.range(0, 3) != 0 ? 56 : 0, 64);
  return s == 64 ? 0 : rng.word() >> s;
}

// Exponents of up to 64 bits, mostly short; moduli of up to 4 limbs, and
// fewer of up to 16; 1 now and then (where an exponent of 0 gives 0 too).
TEST(NativeBackendVsGmp, ModularPowers) {
  for (const auto& [limbs, count] : {std::pair{4, kCases}, {16, 3000L}}) {
    const Pool pool(limbs);
    numtest::forRandomOperands(count, [&](Rng& rng) {
      const WordArray_& b = pool.pick(rng);
      const WordArray_& m = rng.range(0, 63) == 0 ? arrayOf({1}) : pool.pick(rng);
      const Word e0 = shortWord(rng);
      const WordArray_ e = e0 == 0 ? WordArray_() : arrayOf({e0});
      const Word m0 = rng.range(0, 63) == 0 ? 1 : m[0] | 2;
      ASSERT_TRUE(SAME_RUN(m.size(), true, bignat_powmod(r, b, e, m))) << hex(b) << e0 << hex(m);
      ASSERT_EQ(nat::bignat_powmod_word(b, e, m0), gmp::bignat_powmod_word(b, e, m0)) << e0;
      const Word b0 = rng.specialWord();
      ASSERT_EQ(nat::bignat_powmod_words(b0, e0, m0), gmp::bignat_powmod_words(b0, e0, m0))
          << b0 << " " << e0 << " " << m0;
    });
  }
}

TEST(NativeBackendVsGmp, EncodeDoubleTruncatesAlike) {
  const Pool pool(200);
  constexpr Int kMax = std::numeric_limits<Int>::max();
  constexpr Int kMin = std::numeric_limits<Int>::min();
  numtest::forRandomOperands(kCases, [&](Rng& rng) {
    const WordArray_& a = pool.pick(rng);
    // Exponents around the top of the double range, the normal and the
    // subnormal bottom, and the ends of the Int range.
    const Int bits = 64 * a.size() - std::countl_zero(a[a.size() - 1]);
    const Int e = rng.range(0, 15) == 0 ? (rng.coin() ? kMax : kMin)
                  : rng.coin()          ? rng.range(1000, 1100) - bits
                  : rng.coin()          ? rng.range(-1100, -1000) - bits
                                        : rng.range(-200, 200);
    const double x = nat::bignat_encode_double(a, e);
    const double y = gmp::bignat_encode_double(a, e);
    ASSERT_EQ(std::bit_cast<Word>(x), std::bit_cast<Word>(y)) << hex(a) << " e=" << e;
  });
}

Integer integerOf(const WordArray_& a, bool negative) {
  const Integer m = num::integerFromBigNat_(a);
  return negative ? num::integerNegate(m) : m;
}

// The whole-number kernels on single words (Integers of one signed word, a
// modulus of one word) and on up to 16 limbs.
TEST(NativeBackendVsGmp, WholeNumbers) {
  for (const auto& [limbs, count] : {std::pair{1, kCases}, {16, 3000L}}) {
    const Pool pool(limbs);
    numtest::forRandomOperands(count, [&](Rng& rng) {
      const Integer a = integerOf(pool.pick(rng), rng.coin());
      const Integer b = integerOf(pool.pick(rng), rng.coin());
      const Natural m = num::integerToNatural(b);
      const Natural e(shortWord(rng));
      if (num::integerAbs(a) != num::integerAbs(b)) {
        ASSERT_EQ(nat::integer_gcde(a, b), gmp::integer_gcde(a, b));
      }
      if (m > Natural(1U)) {
        ASSERT_EQ(nat::integer_recip_mod(a, m), gmp::integer_recip_mod(a, m));
      }
      ASSERT_EQ(nat::integer_powmod(a, e, m), gmp::integer_powmod(a, e, m));
    });
  }
}

#endif  // NUMKIT_BACKEND_GMP

}  // namespace
