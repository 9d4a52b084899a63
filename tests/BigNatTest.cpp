// BigNat core: construction, conversion, predicates, comparison, addition
// and subtraction, with identities and normal form checked on every result.
#include <gtest/gtest.h>

#include <vector>

#include "Num/Backend.hpp"
#include "Num/BigNat.hpp"
#include "Num/WordArray.hpp"
#include "support/BigNatMpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using num::BigNat_;
using num::Int;
using num::MutableWordArray_;
using num::Ordering;
using num::Word;
using num::WordArray_;
using numtest::bigNatFromLimbs;
using numtest::isBigNat;
using numtest::Mpz;
using numtest::toMpz;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;

// A raw (possibly unnormalised) array of the given limbs.
WordArray_ raw(const std::vector<Word>& limbs) {
  return num::withNewWordArray_(static_cast<Int>(limbs.size()), [&](MutableWordArray_& a) {
    std::copy(limbs.begin(), limbs.end(), a.data());
  });
}

std::vector<Word> limbsOf(const BigNat_& a) {
  return std::vector<Word>(a.data(), a.data() + a.size());
}

Ordering cmpMpz(const Mpz& a, const Mpz& b) {
  const int c = mpz_cmp(a.get(), b.get());
  return c < 0 ? Ordering::LT : c > 0 ? Ordering::GT : Ordering::EQ;
}

TEST(BigNatConstants, SharedAndImmortal) {
  EXPECT_EQ(num::bigNatZero_().size(), 0);
  EXPECT_EQ(limbsOf(num::bigNatOne_()), (std::vector<Word>{1}));
  EXPECT_TRUE(num::bigNatOne_().sameBlock(num::unBigNat(num::bigNatOne())));
  EXPECT_TRUE(num::bigNatZero_().sameBlock(num::bigNatFromWord_(0)));
  EXPECT_TRUE(num::bigNatZero_().sameBlock(num::bigNatFromWordList(std::vector<Word>{0, 0})));
  EXPECT_EQ(num::bigNatOne_().block()->refs.load(), num::rt::kImmortal);
  EXPECT_EQ(num::backend::backendName, std::string(NUMKIT_BACKEND_NAME));
}

TEST(BigNatConstruction, FromWords) {
  struct Case {
    BigNat_ got;
    std::vector<Word> want;
  } cases[] = {
      {num::bigNatFromWord_(7), {7}},
      {num::bigNatFromWord64_(kOnes), {kOnes}},
      {num::bigNatFromAbsInt_(0), {}},
      {num::bigNatFromAbsInt_(-5), {5}},
      {num::bigNatFromAbsInt_(INT64_MIN), {kTop}},
      {num::bigNatFromAbsInt_(INT64_MAX), {kTop - 1}},
      {num::bigNatFromWord2_(0, 0), {}},
      {num::bigNatFromWord2_(0, 9), {9}},
      {num::bigNatFromWord2_(3, 0), {0, 3}},
      {num::bigNatFromWordList(std::vector<Word>{0, 0, 5}), {5}},
      {num::bigNatFromWordList(std::vector<Word>{}), {}},
      {num::bigNatFromWordList_(std::vector<Word>{1, 2, 3}), {3, 2, 1}},
      {num::bigNatFromWordListUnsafe(std::vector<Word>{0, 5}), {5, 0}},
      {num::bigNatFromWordArray_(raw({4, 0, 0}), 3), {4}},
      {num::bigNatFromWordArray_(raw({4, 6, 1}), 2), {4, 6}},
      {num::bigNatFromWordArray_(raw({4, 6}), 0), {}},
      {num::unBigNat(num::bigNatFromWordArray(raw({0, 0}), 2)), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(limbsOf(c.got), c.want);
  EXPECT_FALSE(num::bigNatCheck(num::bigNatFromWordListUnsafe(std::vector<Word>{0, 5})));
}

TEST(BigNatConstruction, FromWordArraySharesAnExactArray) {
  const WordArray_ exact = raw({1, 2});
  EXPECT_TRUE(num::bigNatFromWordArray_(exact, 2).sameBlock(exact));
  EXPECT_FALSE(num::bigNatFromWordArray_(exact, 1).sameBlock(exact));
  // An array whose byte size is not whole words is always copied.
  MutableWordArray_ odd = MutableWordArray_::allocateBytes(12);
  odd[0] = 3;
  const WordArray_ oddFrozen = std::move(odd).freeze();
  const BigNat_ fromOdd = num::bigNatFromWordArray_(oddFrozen, 1);
  EXPECT_FALSE(fromOdd.sameBlock(oddFrozen));
  EXPECT_EQ(limbsOf(fromOdd), (std::vector<Word>{3}));
}

TEST(BigNatValidity, Check) {
  MutableWordArray_ partial = MutableWordArray_::allocateBytes(12);
  partial[0] = 1;
  struct Case {
    WordArray_ a;
    bool valid;
  } cases[] = {
      {WordArray_(), true},
      {raw({1}), true},
      {raw({0}), false},
      {raw({1, 0}), false},
      {raw({0, 1}), true},
      {std::move(partial).freeze(), false},
      {MutableWordArray_::allocateBytes(5).freeze(), true},  // no whole word: empty
  };
  for (const auto& c : cases) {
    EXPECT_EQ(num::bigNatCheck(c.a), c.valid) << c.a.sizeBytes() << " bytes";
    EXPECT_EQ(num::bigNatCheck_(c.a), c.valid ? 1 : 0);
  }
}

TEST(BigNatConversion, WordsAndPredicates) {
  const BigNat_ two64 = bigNatFromLimbs({7, 1});
  EXPECT_EQ(num::bigNatToWord_(two64), 7U);
  EXPECT_EQ(num::bigNatToWord(num::bigNatZero_()), 0U);
  EXPECT_EQ(num::bigNatToInt_(bigNatFromLimbs({kTop})), INT64_MIN);
  EXPECT_EQ(num::bigNatToWordMaybe_(two64), std::nullopt);
  EXPECT_EQ(num::bigNatToWordMaybe_(num::bigNatZero_()), std::optional<Word>(0));
  EXPECT_EQ(num::bigNatToWordMaybe_(bigNatFromLimbs({kOnes})), std::optional<Word>(kOnes));
  EXPECT_EQ(num::bigNatToWordList(two64), (std::vector<Word>{1, 7}));
  EXPECT_EQ(num::bigNatSize(two64), 2U);
  EXPECT_EQ(num::bigNatIndex_(two64, 1), 1U);

  EXPECT_TRUE(num::bigNatIsZero(num::bigNatZero_()));
  EXPECT_EQ(num::bigNatIsOne_(num::bigNatOne_()), 1);
  EXPECT_FALSE(num::bigNatIsOne(bigNatFromLimbs({1, 1})));
  EXPECT_TRUE(num::bigNatIsTwo(bigNatFromLimbs({2})));
  EXPECT_EQ(num::bigNatIsTwo_(bigNatFromLimbs({2, 1})), 0);
}

TEST(BigNatCompare, WithAWord) {
  const BigNat_ zero = num::bigNatZero_();
  const BigNat_ five = bigNatFromLimbs({5});
  const BigNat_ big = bigNatFromLimbs({0, 1});
  struct Case {
    const BigNat_& a;
    Word w;
    Ordering want;
  } cases[] = {
      {zero, 0, Ordering::EQ}, {zero, 1, Ordering::LT},     {five, 4, Ordering::GT},
      {five, 5, Ordering::EQ}, {five, kOnes, Ordering::LT}, {big, kOnes, Ordering::GT},
      {big, 0, Ordering::GT},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(num::bigNatCompareWord(c.a, c.w), c.want);
    EXPECT_EQ(num::bigNatGtWord(c.a, c.w), c.want == Ordering::GT);
    EXPECT_EQ(num::bigNatLeWord_(c.a, c.w), c.want != Ordering::GT ? 1 : 0);
    EXPECT_EQ(num::bigNatEqWord_(c.a, c.w), c.want == Ordering::EQ ? 1 : 0);
  }
}

TEST(BigNatCompare, MaxAndMinReturnTheRightArgumentOnTies) {
  const num::BigNat x = num::BN_(bigNatFromLimbs({1, 2}));
  const num::BigNat y = num::BN_(bigNatFromLimbs({1, 2}));
  const num::BigNat small = num::BN_(bigNatFromLimbs({9}));
  EXPECT_TRUE(num::max(x, y).bn.sameBlock(y.bn));
  EXPECT_TRUE(num::min(x, y).bn.sameBlock(x.bn));
  EXPECT_TRUE(num::max(small, x).bn.sameBlock(x.bn));
  EXPECT_TRUE(num::min(small, x).bn.sameBlock(small.bn));
  EXPECT_TRUE(x == y && !(x != y) && x <= y && x >= y && !(x < y) && !(x > y));
  EXPECT_TRUE(small < x && (small <=> x) < 0 && num::compare(x, small) == Ordering::GT);
}

TEST(BigNatArithmetic, EdgeCases) {
  const BigNat_ a = bigNatFromLimbs({3, 4});
  EXPECT_TRUE(num::bigNatAdd(a, num::bigNatZero_()).sameBlock(a));
  EXPECT_TRUE(num::bigNatAdd(num::bigNatZero_(), a).sameBlock(a));
  EXPECT_TRUE(num::bigNatAddWord_(a, 0).sameBlock(a));
  EXPECT_TRUE(num::bigNatSub(a, num::bigNatZero_())->sameBlock(a));
  EXPECT_TRUE(num::bigNatSubWord_(a, 0)->sameBlock(a));
  EXPECT_TRUE(num::bigNatSubUnsafe(a, num::bigNatZero_()).sameBlock(a));
  EXPECT_TRUE(num::bigNatSubWordUnsafe_(a, 0).sameBlock(a));

  EXPECT_EQ(limbsOf(num::bigNatAddWord_(bigNatFromLimbs({kOnes}), 1)), (std::vector<Word>{0, 1}));
  EXPECT_EQ(limbsOf(num::bigNatAddWord_(num::bigNatZero_(), 9)), (std::vector<Word>{9}));
  EXPECT_EQ(limbsOf(num::bigNatAdd(bigNatFromLimbs({1}), bigNatFromLimbs({2}))),
            (std::vector<Word>{3}));
  EXPECT_EQ(limbsOf(num::bigNatSubWordUnsafe_(bigNatFromLimbs({0, 1}), 1)),
            (std::vector<Word>{kOnes}));

  const auto equal = num::bigNatSub(a, bigNatFromLimbs({3, 4}));
  ASSERT_TRUE(equal);
  EXPECT_EQ(equal->size(), 0);
  EXPECT_FALSE(num::bigNatSub(bigNatFromLimbs({3, 4}), bigNatFromLimbs({4, 4})));
  EXPECT_FALSE(num::bigNatSub(bigNatFromLimbs({3}), bigNatFromLimbs({4, 4})));
  EXPECT_TRUE(num::bigNatSubWord_(num::bigNatZero_(), 0));
  EXPECT_FALSE(num::bigNatSubWord_(num::bigNatZero_(), 1));
  EXPECT_FALSE(num::bigNatSubWord_(bigNatFromLimbs({1}), 2));

  EXPECT_THROW(num::bigNatSubUnsafe(bigNatFromLimbs({1}), bigNatFromLimbs({2})), num::Underflow);
  EXPECT_THROW(num::bigNatSubUnsafe(bigNatFromLimbs({1}), bigNatFromLimbs({0, 1})), num::Underflow);
}

// Small sums come from blocks the thread recycles: each must be a fresh
// block with a single reference, whatever the previous result left in it.
TEST(BigNatArithmetic, SmallSumsAreFreshBlocks) {
  struct Case {
    std::vector<Word> a, b, sum;
  };
  const Case cases[] = {
      {{1}, {2}, {3}},
      {{kOnes}, {1}, {0, 1}},
      {{1, 2}, {kOnes}, {0, 3}},
      {{kOnes, kOnes}, {1}, {0, 0, 1}},
      {{kOnes, kOnes}, {kOnes, kOnes}, {kOnes - 1, kOnes, 1}},
      {{kTop}, {kTop}, {0, 1}},
  };
  for (int round = 0; round < 2; ++round) {  // the second round reuses blocks
    for (const Case& c : cases) {
      const BigNat_ a = bigNatFromLimbs(c.a);
      const BigNat_ b = bigNatFromLimbs(c.b);
      const BigNat_ first = num::bigNatAdd(a, b);
      const BigNat_ second = num::bigNatAdd(b, a);
      EXPECT_EQ(limbsOf(first), c.sum);
      EXPECT_EQ(limbsOf(second), c.sum);
      EXPECT_FALSE(first.sameBlock(second) || first.sameBlock(a) || first.sameBlock(b));
      EXPECT_EQ(first.block()->refs.load(), 1);
      EXPECT_EQ(second.block()->refs.load(), 1);
    }
  }
}

TEST(BigNatKernels, AdditiveKernelsSizeTheirOutput) {
  auto run = [](Int size, auto kernel) {
    MutableWordArray_ r = num::newWordArray_(size);
    kernel(r);
    return std::vector<Word>(r.data(), r.data() + r.size());
  };
  namespace be = num::backend;
  EXPECT_EQ(run(2, [](auto& r) { be::bignat_add(r, raw({kOnes}), raw({1})); }),
            (std::vector<Word>{0, 1}));
  EXPECT_EQ(run(2, [](auto& r) { be::bignat_add(r, raw({1}), raw({2})); }), (std::vector<Word>{3}));
  EXPECT_EQ(run(3,
                [](auto& r) {
                  be::bignat_add(r, raw({1}), raw({kOnes, 5}));
                }),
            (std::vector<Word>{0, 6}));
  EXPECT_EQ(run(3,
                [](auto& r) {
                  be::bignat_add_word(r, raw({kOnes, kOnes}), 1);
                }),
            (std::vector<Word>{0, 0, 1}));
  EXPECT_EQ(run(2,
                [](auto& r) {
                  EXPECT_EQ(be::bignat_sub(r, raw({0, 1}), raw({1})), 1);
                }),
            (std::vector<Word>{kOnes, 0}));
  run(1, [](auto& r) { EXPECT_EQ(be::bignat_sub(r, raw({5}), raw({7})), 0); });
  EXPECT_EQ(run(1, [](auto& r) { EXPECT_EQ(be::bignat_sub_word(r, raw({3}), 3), 1); }),
            (std::vector<Word>{0}));
  EXPECT_GT(be::bignat_compare(raw({1, 2}), raw({2, 1})), 0);
  EXPECT_EQ(be::narrowCInt_(0xFFFFFFFFU), -1);
  EXPECT_EQ(be::narrowCInt_(0x1'0000'0001U), 1);
}

// Every binary operation on one pair, against mpz, normal form included.
void checkPair(const std::vector<Word>& la, const std::vector<Word>& lb) {
  const BigNat_ a = bigNatFromLimbs(la);
  const BigNat_ b = bigNatFromLimbs(lb);
  const Mpz ma = Mpz::fromLimbs(la);
  const Mpz mb = Mpz::fromLimbs(lb);
  SCOPED_TRACE(testing::Message() << "a = 0x" << ma.str() << ", b = 0x" << mb.str());

  Mpz sum;
  mpz_add(sum.get(), ma.get(), mb.get());
  ASSERT_TRUE(isBigNat(num::bigNatAdd(a, b), sum));
  // bigNatAdd adds small operands inline when the thread has a block at hand;
  // its out-of-line form must agree in every case.
  ASSERT_TRUE(isBigNat(num::detail::bigNatAddSlow(a, b), sum));

  const Ordering want = cmpMpz(ma, mb);
  ASSERT_EQ(num::bigNatCompare(a, b), want);
  ASSERT_EQ(num::bigNatEq(a, b), want == Ordering::EQ);
  ASSERT_EQ(num::bigNatNe_(a, b), want != Ordering::EQ ? 1 : 0);
  ASSERT_EQ(num::bigNatLt(a, b), want == Ordering::LT);
  ASSERT_EQ(num::bigNatLe_(a, b), want != Ordering::GT ? 1 : 0);
  ASSERT_EQ(num::bigNatGt(a, b), want == Ordering::GT);
  ASSERT_EQ(num::bigNatGe_(a, b), want != Ordering::LT ? 1 : 0);

  Mpz diff;
  mpz_sub(diff.get(), ma.get(), mb.get());
  const auto sub = num::bigNatSub(a, b);
  ASSERT_EQ(sub.has_value(), want != Ordering::LT);
  if (sub) {
    ASSERT_TRUE(isBigNat(*sub, diff));
    ASSERT_TRUE(isBigNat(num::bigNatSubUnsafe(a, b), diff));
  } else {
    ASSERT_THROW(num::bigNatSubUnsafe(a, b), num::Underflow);
  }

  // The word forms take b's low limb.
  const Word w = lb.empty() ? 0 : lb[0];
  const Mpz mw(w);
  Mpz sumW;
  mpz_add(sumW.get(), ma.get(), mw.get());
  ASSERT_TRUE(isBigNat(num::bigNatAddWord(a, w), sumW));
  const int cw = mpz_cmp(ma.get(), mw.get());
  ASSERT_EQ(num::bigNatCompareWord_(a, w), cw < 0   ? Ordering::LT
                                           : cw > 0 ? Ordering::GT
                                                    : Ordering::EQ);
  ASSERT_EQ(num::bigNatGtWord_(a, w), cw > 0 ? 1 : 0);
  ASSERT_EQ(num::bigNatLeWord(a, w), cw <= 0);
  ASSERT_EQ(num::bigNatEqWord_(a, w), cw == 0 ? 1 : 0);
  Mpz diffW;
  mpz_sub(diffW.get(), ma.get(), mw.get());
  const auto subW = num::bigNatSubWord_(a, w);
  ASSERT_EQ(subW.has_value(), cw >= 0);
  if (subW) {
    ASSERT_TRUE(isBigNat(*subW, diffW));
    ASSERT_TRUE(isBigNat(num::bigNatSubWordUnsafe(a, w), diffW));
  }

  // Conversions round-trip.
  ASSERT_EQ(num::bigNatToWordList(a), ma.wordList());
  ASSERT_EQ(num::bigNatToWord_(a), la.empty() ? 0 : la[0]);
  ASSERT_EQ(num::bigNatToWordMaybe_(a).has_value(), la.size() <= 1);
  ASSERT_TRUE(isBigNat(num::bigNatFromWordArray_(raw(la), static_cast<Word>(la.size())), ma));
}

TEST(BigNatDifferential, AllPairsOfSpecialValues) {
  const auto& specials = numtest::specialMagnitudes();
  for (const auto& a : specials) {
    for (const auto& b : specials) {
      checkPair(a, b);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(BigNatDifferential, RandomPairs) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(100000); ++it) {
    std::vector<Word> a = rng.limbsOrZero(40);
    std::vector<Word> b = rng.coin() ? rng.limbsOrZero(40) : a;
    // Equal lengths and near-equal values exercise the borrow that runs off
    // the top and the limb-wise comparison.
    if (!b.empty() && rng.range(0, 3) == 0) {
      b = a;
      if (!b.empty())
        b[static_cast<std::size_t>(rng.range(0, static_cast<Int>(b.size()) - 1))] +=
            rng.specialWord();
      if (!b.empty() && b.back() == 0) b.back() = 1;
    }
    checkPair(a, b);
    if (HasFatalFailure()) return;
  }
}

TEST(BigNatDifferential, WordListsRoundTrip) {
  numtest::Rng rng;
  for (long it = 0; it < numtest::iterations(20000); ++it) {
    std::vector<Word> list = Mpz::fromLimbs(rng.limbsOrZero(40)).wordList();
    const Int zeros = rng.range(0, 3);
    list.insert(list.begin(), static_cast<std::size_t>(zeros), 0);
    const BigNat_ a = num::bigNatFromWordList(list);
    ASSERT_TRUE(isBigNat(a, Mpz::fromWordList(list)));
    list.erase(list.begin(), list.begin() + zeros);
    ASSERT_EQ(num::bigNatToWordList(a), list);
  }
}

}  // namespace
