// Word arrays: allocation and trimming, comparisons, in-place carries and
// borrows, checked against mpz on random arrays.
#include <gtest/gtest.h>

#include <vector>

#include "Num/WordArray.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"

namespace {

using num::Int;
using num::MutableWordArray_;
using num::Ordering;
using num::Word;
using num::WordArray_;
using numtest::Mpz;

constexpr Word kOnes = ~Word{0};

WordArray_ wa(const std::vector<Word>& v) {
  return num::withNewWordArray_(static_cast<Int>(v.size()), [&](MutableWordArray_& a) {
    for (std::size_t i = 0; i < v.size(); ++i) a[static_cast<Int>(i)] = v[i];
  });
}

MutableWordArray_ mwa(const std::vector<Word>& v) {
  MutableWordArray_ a = num::newWordArray_(static_cast<Int>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) a[static_cast<Int>(i)] = v[i];
  return a;
}

template <class A>
std::vector<Word> words(const A& a) {
  return std::vector<Word>(a.data(), a.data() + a.size());
}

TEST(WordArrayAllocation, TrimmedInitialisersDropTopZeroWords) {
  auto zeros =
      num::withNewWordArrayTrimmed_(4, [](MutableWordArray_& a) { num::mwaFill_(a, 0, 0, 4); });
  EXPECT_EQ(zeros.size(), 0);
  auto two = num::withNewWordArrayTrimmed_(4, [](MutableWordArray_& a) {
    num::mwaFill_(a, 7, 0, 2);
    num::mwaFill_(a, 0, 2, 2);
  });
  EXPECT_EQ(words(two), (std::vector<Word>{7, 7}));
  auto [q, r] =
      num::withNewWordArray2Trimmed_(2, 3, [](MutableWordArray_& a, MutableWordArray_& b) {
        num::mwaFill_(a, 0, 0, 2);
        num::mwaFill_(b, 1, 0, 3);
      });
  EXPECT_EQ(q.size(), 0);
  EXPECT_EQ(words(r), (std::vector<Word>{1, 1, 1}));
  auto [m, n] = num::withNewWordArray2_(1, 2, [](MutableWordArray_& a, MutableWordArray_& b) {
    num::mwaFill_(a, 0, 0, 1);
    num::mwaFill_(b, 0, 0, 2);
  });
  EXPECT_EQ(m.size(), 1) << "untrimmed allocation keeps its size";
  EXPECT_EQ(n.size(), 2);
}

TEST(WordArrayAllocation, TrimmedMaybeFollowsTheInitialisersFlag) {
  EXPECT_FALSE(num::withNewWordArrayTrimmedMaybe_(2, [](MutableWordArray_& a) {
    num::mwaFill_(a, 5, 0, 2);
    return false;
  }));
  auto got = num::withNewWordArrayTrimmedMaybe_(3, [](MutableWordArray_& a) {
    num::mwaFill_(a, 0, 0, 3);
    a[0] = 9;
    return Int{1};
  });
  ASSERT_TRUE(got);
  EXPECT_EQ(words(*got), (std::vector<Word>{9}));
}

TEST(WordArrayAllocation, WordConstructorsAreNotTrimmed) {
  EXPECT_EQ(words(num::wordArrayFromWord_(0)), (std::vector<Word>{0}));
  EXPECT_EQ(words(num::wordArrayFromWord2_(0, 5)), (std::vector<Word>{5, 0}));
  EXPECT_EQ(num::wordArrayLast_(num::wordArrayFromWord2_(3, 5)), 3U);
}

TEST(WordArraySizing, ShrinkCopyAndWriteOrShrink) {
  EXPECT_EQ(num::wordsToBytes_(3), 24);
  EXPECT_EQ(num::bytesToWords_(23), 2);
  EXPECT_EQ(num::bytesToWords_(-8), static_cast<Int>(~Word{0} / 8)) << "read as unsigned";

  MutableWordArray_ a = mwa({1, 2, 3, 4});
  const auto* block = a.block();
  num::mwaInitCopyShrink_(a, wa({9, 8}));
  EXPECT_EQ(words(a), (std::vector<Word>{9, 8}));
  EXPECT_EQ(a.block(), block) << "shrinking never moves";
  num::mwaWriteMostSignificant(a, 0);
  EXPECT_EQ(words(a), (std::vector<Word>{9}));
  num::mwaWriteMostSignificant(a, 6);
  EXPECT_EQ(words(a), (std::vector<Word>{6}));

  MutableWordArray_ b = mwa({1, 2, 3, 4, 5});
  num::mwaArrayCopy_(b, 1, wa({7, 8, 9}), 1, 2);
  num::mwaArrayCopy_(b, 0, wa({7}), 0, 0);
  EXPECT_EQ(words(b), (std::vector<Word>{1, 8, 9, 4, 5}));
  num::mwaShrink_(b, 0);
  num::mwaShrink_(b, 2);
  EXPECT_EQ(words(b), (std::vector<Word>{1, 8, 9}));
  EXPECT_EQ(num::mwaReadOrZero(b, -1), 0U);
  EXPECT_EQ(num::mwaReadOrZero(b, 3), 0U);
  EXPECT_EQ(num::mwaReadOrZero(b, 2), 9U);
}

TEST(WordArrayCompare, CountsAndComparisons) {
  struct Clz {
    std::vector<Word> a;
    Int at, clzAt, clz;
  } clzCases[] = {
      {{1, 0, 0}, 2, 2, 2}, {{1, 0, 0}, -1, 0, 2}, {{0, 0}, 1, 2, 2},
      {{}, -1, 0, 0},       {{0, 1, 0}, 1, 0, 1},  {{0, 1, 0}, 0, 1, 1},
  };
  for (const auto& c : clzCases) {
    EXPECT_EQ(num::mwaClz(mwa(c.a)), c.clz);
    EXPECT_EQ(num::mwaClzAt(mwa(c.a), c.at), c.clzAt);
    EXPECT_EQ(num::waClzAt(wa(c.a), c.at), c.clzAt);
  }

  struct Ms {
    std::vector<Word> a, b;
    Ordering want;
  } msCases[] = {
      {{}, {}, Ordering::EQ},       {{}, {1}, Ordering::LT},
      {{1}, {}, Ordering::GT},      {{1, 2}, {9, 9, 2}, Ordering::LT},
      {{5}, {5, 0}, Ordering::GT},  {{3, 7}, {7}, Ordering::EQ},
      {{kOnes}, {1}, Ordering::GT},
  };
  for (const auto& c : msCases) EXPECT_EQ(num::wordArrayCompareMSWords(wa(c.a), wa(c.b)), c.want);

  struct Trim {
    Int k;
    std::vector<Word> a, b;
    Ordering want;
  } trimCases[] = {
      {1, {42, 3, 0}, {3}, Ordering::EQ},   {1, {42, 3, 0}, {3, 1}, Ordering::LT},
      {2, {1, 2, 3}, {0, 0}, Ordering::LT}, {0, {1, 0, 1}, {1}, Ordering::GT},
      {0, {1, 2}, {2, 1}, Ordering::GT},    {0, {}, {}, Ordering::EQ},
  };
  for (const auto& c : trimCases) EXPECT_EQ(num::mwaTrimCompare(c.k, mwa(c.a), wa(c.b)), c.want);
}

TEST(WordArrayInplace, CarriesAndBorrows) {
  MutableWordArray_ a = mwa({kOnes, kOnes, 0});
  num::mwaAddInplaceWord_(a, 0, 1);
  EXPECT_EQ(words(a), (std::vector<Word>{0, 0, 1}));

  MutableWordArray_ b = mwa({4, 5});
  EXPECT_EQ(num::mwaSubInplaceWord_(b, 2, 0), 1) << "nothing to subtract past the end";
  EXPECT_EQ(words(b), (std::vector<Word>{4, 5}));

  MutableWordArray_ z = mwa({0, 0, 0});
  EXPECT_EQ(num::mwaSubInplaceWord_(z, 0, 1), 0);
  EXPECT_EQ(words(z), (std::vector<Word>{kOnes, kOnes, kOnes}));

  MutableWordArray_ c = mwa({1, 1});
  EXPECT_FALSE(num::mwaSubInplaceArray(c, 0, wa({2, 1, 1})));
  MutableWordArray_ d = mwa({0, 5, 0});
  num::mwaSubInplaceArrayTrim(d, 1, wa({5}));
  EXPECT_EQ(d.size(), 0);

  struct PlusWord {
    std::vector<Word> a;
    Word w;
    std::vector<Word> want;
  } plus[] = {
      {{kOnes}, 1, {0, 1}},           {{5, 7}, 1, {6, 7}},     {{}, 0, {}},   {{}, 3, {3}},
      {{kOnes, kOnes}, 2, {1, 0, 1}}, {{kOnes, 4}, 1, {0, 5}}, {{8}, 0, {8}},
  };
  for (const auto& c : plus) {
    MutableWordArray_ r = num::newWordArray_(static_cast<Int>(c.a.size()) + 1);
    num::mwaInitArrayPlusWord(r, wa(c.a), c.w);
    EXPECT_EQ(words(r), c.want);
  }

  MutableWordArray_ r = mwa({0, 0, 0});
  num::mwaInitArrayBinOp(r, wa({0xF0, 0xFF}), wa({0x3C}), [](Word x, Word y) { return x & y; });
  EXPECT_EQ(words(r), (std::vector<Word>{0x30, 0, 0})) << "only the shorter length is written";
}

// a + b * 2^(64 off) and a - b * 2^(64 off) in place, against mpz.
TEST(WordArrayInplace, RandomAgainstMpz) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(20000); ++it) {
    std::vector<Word> a = rng.limbs(1, 12);
    const std::vector<Word> b = rng.limbs(1, 6);
    const Int off = rng.range(0, 3);
    const Mpz ma = Mpz::fromLimbs(a);
    Mpz shifted = Mpz::fromLimbs(b);
    mpz_mul_2exp(shifted.get(), shifted.get(), static_cast<mp_bitcnt_t>(64 * off));

    // Room for the operand at its offset plus one word for the carry.
    a.resize(std::max(a.size(), b.size() + static_cast<std::size_t>(off)) + 1, 0);
    MutableWordArray_ s = mwa(a);
    num::mwaAddInplaceArray(s, off, wa(b));
    Mpz sum;
    mpz_add(sum.get(), ma.get(), shifted.get());
    ASSERT_EQ(Mpz::fromLimbs(words(s)), sum);

    MutableWordArray_ d = mwa(a);
    const bool ok = num::mwaSubInplaceArray(d, off, wa(b));
    ASSERT_EQ(ok, mpz_cmp(ma.get(), shifted.get()) >= 0);
    if (ok) {
      Mpz diff;
      mpz_sub(diff.get(), ma.get(), shifted.get());
      num::mwaTrimZeroes_(d);
      ASSERT_EQ(Mpz::fromLimbs(words(d)), diff);
      ASSERT_TRUE(d.size() == 0 || d[d.size() - 1] != 0);
      // The mutable subtrahend form agrees.
      MutableWordArray_ d2 = mwa(a);
      ASSERT_TRUE(num::mwaSubInplaceMutableArray(d2, off, mwa(b)));
      num::mwaTrimZeroes_(d2);
      ASSERT_EQ(words(d2), words(d));
    }

    const Word w = rng.specialWord();
    MutableWordArray_ p = num::newWordArray_(static_cast<Int>(b.size()) + 1);
    num::mwaInitArrayPlusWord(p, wa(b), w);
    Mpz pw;
    mpz_add(pw.get(), Mpz::fromLimbs(b).get(), Mpz(w).get());
    ASSERT_EQ(Mpz::fromLimbs(words(p)), pw);
    ASSERT_NE(p[p.size() - 1], 0U);
  }
}

// The inline carry chains write r even when the caller drops the carry (a
// compiler may not discard them as unused), over a separate r and over each
// operand, against mpn_add_n / mpn_sub_n.
TEST(WordArrayInplace, CarryChainsWriteWhenTheCarryIsDropped) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(20000); ++it) {
    const std::vector<Word> a = rng.limbs(1, 40);
    std::vector<Word> b = rng.limbs(1, 40);
    b.resize(a.size(), rng.specialWord());
    const Int n = static_cast<Int>(a.size());
    for (const bool subtract : {false, true}) {
      std::vector<Word> want(a.size());
      if (subtract) {
        mpn_sub_n(want.data(), a.data(), b.data(), n);
      } else {
        mpn_add_n(want.data(), a.data(), b.data(), n);
      }
      for (const int out : {0, 1, 2}) {  // separate, over a, over b
        std::vector<Word> x = a, y = b, r(a.size());
        Word* rp = out == 0 ? r.data() : out == 1 ? x.data() : y.data();
        if (subtract) {
          num::wordsSubNInline(rp, x.data(), y.data(), n);
        } else {
          num::wordsAddNInline(rp, x.data(), y.data(), n);
        }
        ASSERT_EQ(std::vector<Word>(rp, rp + n), want)
            << "subtract " << subtract << ", out " << out;
      }
    }
  }
}

}  // namespace
