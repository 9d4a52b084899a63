// Single-word primitives: booleans, signed and unsigned word operations,
// double-word arithmetic, logarithms and digit counts, raising, adapters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "Num/Primitives.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using num::Int;
using num::Ordering;
using num::Word;
using numtest::Mpz;
using numtest::Rng;
using u128 = unsigned __int128;

constexpr Word kOnes = ~Word{0};
constexpr Word kTop = Word{1} << 63;
constexpr Int kIntMin = std::numeric_limits<Int>::min();
constexpr Int kIntMax = std::numeric_limits<Int>::max();

// Special words plus a batch of biased random ones.
std::vector<Word> sampleWords(Rng& rng, long randomCount) {
  std::vector<Word> v = numtest::specialWords();
  for (Word x : {Word{0xff}, Word{0x100}, Word{0x0102}, Word{1} << 56, (Word{1} << 56) - 1}) {
    v.push_back(x);
  }
  for (long i = 0; i < randomCount; ++i) v.push_back(rng.specialWord());
  return v;
}

Word bitByBitReverse(Word x, int width) {
  Word r = 0;
  for (int i = 0; i < width; ++i) r |= ((x >> i) & 1) << (width - 1 - i);
  return r;
}

TEST(MachineBooleans, TruthTables) {
  for (Int x : {0, 1}) {
    EXPECT_EQ(num::notB_(x), 1 - x);
    for (Int y : {0, 1}) {
      EXPECT_EQ(num::andB_(x, y), x * y);
      EXPECT_EQ(num::orB_(x, y), x + y - x * y);
    }
  }
}

TEST(SignedWords, EdgeCases) {
  struct Case {
    Int x, abs, sgn, popCnt;
  };
  const Case cases[] = {
      {0, 0, 0, 0},
      {1, 1, 1, 1},
      {-1, 1, -1, 64},
      {5, 5, 1, 2},
      {kIntMax, kIntMax, 1, 63},
      {kIntMin, kIntMin, -1, 1},
      {-kIntMax, kIntMax, -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(num::absI_(c.x), c.abs);
    EXPECT_EQ(num::sgnI_(c.x), c.sgn);
    EXPECT_EQ(num::popCntI_(c.x), c.popCnt);
  }
  EXPECT_EQ(num::wordFromAbsInt_(kIntMin), kTop);
  EXPECT_EQ(num::cmpI_(-1, 1), -1);
  EXPECT_EQ(num::cmpW_(kOnes, 1), Ordering::GT);
}

TEST(SignedWords, AgreeWithMpzOverSpecialAndRandomPairs) {
  Rng rng;
  const std::vector<Word> words = sampleWords(rng, numtest::iterations(200));
  for (Word wx : words) {
    const Int x = static_cast<Int>(wx);
    const Mpz mx = Mpz::fromInt(x);
    Mpz absX;
    mpz_abs(absX.get(), mx.get());
    EXPECT_EQ(num::wordFromAbsInt_(x), mpz_get_ui(absX.get())) << x;
    EXPECT_EQ(num::sgnI_(x), mpz_sgn(mx.get())) << x;
    for (Int i = 0; i < 64; ++i) {
      // mpz_tstbit reads negative values in two's complement.
      EXPECT_EQ(num::testBitI_(x, i), mpz_tstbit(mx.get(), static_cast<mp_bitcnt_t>(i))) << x;
    }
    EXPECT_EQ(num::testBitI_(x, 64 + 5), num::testBitI_(x, 5)) << "index modulo 64";
    for (Word wy : {words[static_cast<std::size_t>(rng.range(0, Int(words.size()) - 1))], wx}) {
      const Int y = static_cast<Int>(wy);
      const Mpz my = Mpz::fromInt(y);
      const int c = mpz_cmp(mx.get(), my.get());
      const Int sc = (c > 0) - (c < 0);
      EXPECT_EQ(num::cmpI_(x, y), sc) << x << " " << y;
      EXPECT_EQ(num::minI_(x, y), sc > 0 ? y : x);
      EXPECT_EQ(num::maxI_(x, y), sc > 0 ? x : y);
      const Ordering uo = wx < wy ? Ordering::LT : wx == wy ? Ordering::EQ : Ordering::GT;
      EXPECT_EQ(num::cmpW_(wx, wy), uo) << wx << " " << wy;
      EXPECT_EQ(num::minW_(wx, wy), std::min(wx, wy));
      EXPECT_EQ(num::maxW_(wx, wy), std::max(wx, wy));
      EXPECT_EQ(num::andNot_(wx, wy) | (wx & wy), wx);
      EXPECT_EQ(num::andNot_(wx, wy) & wy, 0U);
    }
  }
}

TEST(UnsignedWords, BitsAndShifts) {
  Rng rng;
  for (Word x : sampleWords(rng, numtest::iterations(100))) {
    SCOPED_TRACE(x);
    EXPECT_EQ(num::shiftRW_(x, 63), x >> 63);
    EXPECT_EQ(num::shiftRW_(x, 0), x);
    for (Word big : {Word{64}, Word{65}, Word{1000}, kTop, kOnes}) {
      EXPECT_EQ(num::shiftRW_(x, big), 0U) << big;
    }
    Int pop = 0;
    for (Int i = 0; i < 64; ++i) {
      const Word bit = num::bitW_(i);
      EXPECT_EQ(num::popCntI_(static_cast<Int>(bit)), 1);
      EXPECT_EQ(num::testBitW_(x, i), (x & bit) != 0 ? 1 : 0);
      EXPECT_EQ(num::shiftRW_(x, static_cast<Word>(i)) & 1,
                static_cast<Word>(num::testBitW_(x, i)));
      pop += num::testBitW_(x, i);
    }
    EXPECT_EQ(num::popCntI_(static_cast<Int>(x)), pop);
    EXPECT_EQ(num::bitW_(64 + 3), num::bitW_(3)) << "index modulo 64";
    if (x != 0) {
      const Mpz m(x);
      EXPECT_EQ(num::wordLog2_(x), mpz_sizeinbase(m.get(), 2) - 1);
    }
  }
  EXPECT_EQ(num::wordLog2_(0), kOnes) << "63 - 64 wraps";
}

TEST(UnsignedWords, ReversalsAreInvolutionsMatchingBitByBit) {
  EXPECT_EQ(num::wordReverseBits32_(1), Word{1} << 31);
  EXPECT_EQ(num::wordReverseBits_(1), kTop);
  EXPECT_EQ(num::wordReverseBytes_(0x0102030405060708ULL), 0x0807060504030201ULL);
  Rng rng;
  for (Word x : sampleWords(rng, numtest::iterations(2000))) {
    SCOPED_TRACE(x);
    EXPECT_EQ(num::wordReverseBits_(x), bitByBitReverse(x, 64));
    const Word lo = x & 0xffffffffU;
    const Word hi = x >> 32;
    EXPECT_EQ(num::wordReverseBits32_(x),
              (bitByBitReverse(hi, 32) << 32) | bitByBitReverse(lo, 32));
    Word bytes = 0;
    for (int i = 0; i < 8; ++i) bytes |= ((x >> (8 * i)) & 0xff) << (8 * (7 - i));
    EXPECT_EQ(num::wordReverseBytes_(x), bytes);
    EXPECT_EQ(num::wordReverseBits_(num::wordReverseBits_(x)), x);
    EXPECT_EQ(num::wordReverseBits32_(num::wordReverseBits32_(x)), x);
    EXPECT_EQ(num::wordReverseBytes_(num::wordReverseBytes_(x)), x);
  }
}

TEST(DoubleWordAddition, EdgeCases) {
  EXPECT_EQ(num::plusWord3_(kOnes, kOnes, kOnes), std::make_pair(Word{2}, kOnes - 2));
  EXPECT_EQ(num::plusWord3_(0, 0, 0), std::make_pair(Word{0}, Word{0}));
  EXPECT_EQ(num::plusWord12_(kOnes, 5, 1), std::make_pair(Word{6}, Word{0}));
  EXPECT_EQ(num::plusWord12_(kOnes, kOnes, 1), std::make_pair(Word{0}, Word{0}))
      << "the carry out of the high word is lost";
}

TEST(DoubleWordAddition, AgreesWith128BitSums) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(20000); ++i) {
    const Word a = rng.specialWord(), b = rng.specialWord(), c = rng.specialWord();
    const u128 s3 = u128{a} + b + c;
    EXPECT_EQ(num::plusWord3_(a, b, c),
              std::make_pair(static_cast<Word>(s3 >> 64), static_cast<Word>(s3)));
    const u128 s12 = ((u128{b} << 64) | a) + c;  // wraps modulo 2^128
    EXPECT_EQ(num::plusWord12_(a, b, c),
              std::make_pair(static_cast<Word>(s12 >> 64), static_cast<Word>(s12)));
  }
}

TEST(DoubleWordDivision, EdgeCases) {
  EXPECT_EQ(num::quotRemWord3_(1, 0, 2), std::make_tuple(Word{0}, kTop, Word{0}));
  EXPECT_EQ(num::quotRemWord3_(5, 7, 2), std::make_tuple(Word{2}, kTop + 3, Word{1}));
  EXPECT_EQ(num::quotRemWord3_(kOnes, kOnes, 1), std::make_tuple(kOnes, kOnes, Word{0}));
  EXPECT_EQ(num::quotRemWord3_(kOnes, kOnes, kOnes), std::make_tuple(Word{1}, Word{1}, Word{0}));
  EXPECT_EQ(num::quotRemWord3_(0, 7, kOnes), std::make_tuple(Word{0}, Word{0}, Word{7}));
}

// The one-word quotient step, hardware and restoring, against 128-bit
// division, with the high word pushed to its limit d - 1 half of the time.
TEST(DoubleWordDivision, BothQuotientStepsAgreeWith128BitDivision) {
  Rng rng;
  std::vector<Word> divisors = numtest::specialWords();
  for (long i = 0; i < numtest::iterations(20000); ++i) divisors.push_back(rng.specialWord());
  for (Word d : divisors) {
    if (d == 0) continue;
    for (Word hi : {Word{0}, d - 1, rng.word() % d}) {
      for (Word lo : {Word{0}, kOnes, rng.specialWord()}) {
        const u128 n = (u128{hi} << 64) | lo;
        const auto expected = std::make_pair(static_cast<Word>(n / d), static_cast<Word>(n % d));
        EXPECT_EQ(num::detail::quotRemWord2(hi, lo, d), expected) << hi << ":" << lo << "/" << d;
        EXPECT_EQ(num::detail::quotRemWord2Restoring(hi, lo, d), expected)
            << hi << ":" << lo << "/" << d;
      }
    }
  }
}

TEST(DoubleWordDivision, AgreesWithMpz) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(5000); ++i) {
    const Word a1 = rng.specialWord(), a0 = rng.specialWord();
    Word b0 = rng.specialWord();
    if (b0 == 0) b0 = 3;
    const Mpz a = Mpz::fromLimbs({a0, a1});
    Mpz q, r;
    mpz_tdiv_qr_ui(q.get(), r.get(), a.get(), b0);
    const auto [q1, q0, rem] = num::quotRemWord3_(a1, a0, b0);
    EXPECT_EQ(Mpz::fromLimbs({q0, q1}), q) << a1 << ":" << a0 << "/" << b0;
    EXPECT_EQ(Mpz(rem), r) << a1 << ":" << a0 << "/" << b0;
  }
}

// floor(log_base a) by repeated division: the plain definition.
Word logByDivision(Word base, Word a) {
  Word e = 0;
  while (a >= base) {
    a /= base;
    ++e;
  }
  return e;
}

TEST(Logarithms, EdgeCases) {
  struct Case {
    Word base, a, log;
  };
  const Case cases[] = {
      {10, 999, 2},
      {10, 1000, 3},
      {10, 9, 0},
      {3, 0, 0},
      {1ULL << 32, kOnes, 1},
      {kOnes, kOnes, 1},
      {kOnes, kOnes - 1, 0},
      {3, kOnes, 40},
      {kTop, kTop, 1},
      {2, 1, 0},
      {2, kOnes, 63},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(num::wordLogBase_(c.base, c.a), c.log) << c.base << " " << c.a;
  }
  EXPECT_EQ(num::wordSizeInBase_(16, 255), 2U);
  EXPECT_EQ(num::wordSizeInBase_(16, 256), 3U);
  EXPECT_EQ(num::wordSizeInBase_(2, 1), 1U);
  EXPECT_EQ(num::wordSizeInBase_(10, kOnes), 20U);
  EXPECT_EQ(num::wordLogBase_(2, 0), kOnes) << "base 2 is wordLog2_, which wraps at 0";
}

TEST(Logarithms, BaseBelowTwoRaisesOverflowUnlessTheValueIsZero) {
  for (Word base : {Word{0}, Word{1}}) {
    for (Word a : {Word{1}, Word{5}, kOnes}) {
      EXPECT_THROW(num::wordLogBase_(base, a), num::Overflow);
      EXPECT_THROW(num::wordSizeInBase_(base, a), num::Overflow);
    }
    EXPECT_THROW(num::wordLogBase_(base, 0), num::Overflow);
    EXPECT_EQ(num::wordSizeInBase_(base, 0), 0U);
  }
}

TEST(Logarithms, AgreeWithRepeatedDivisionForEveryBaseUpTo300) {
  Rng rng;
  std::vector<Word> bases;
  for (Word b = 2; b <= 300; ++b) bases.push_back(b);
  for (Word b : numtest::specialWords()) {
    if (b >= 2) bases.push_back(b);
  }
  for (int i = 0; i < 200; ++i) bases.push_back(rng.specialWord() | 2);
  const long perBase = numtest::iterations(60);
  for (Word base : bases) {
    // Powers of the base and their neighbours are where a wrong exponent bit shows.
    std::vector<Word> as = {1, base - 1, base, base + 1, kOnes};
    for (u128 p = base; p <= kOnes; p *= base) {
      as.push_back(static_cast<Word>(p) - 1);
      as.push_back(static_cast<Word>(p));
    }
    for (long i = 0; i < perBase; ++i) as.push_back(rng.specialWord() | 1);
    for (Word a : as) {
      if (a == 0) continue;  // base + 1 wraps for the largest base; 0 is checked below
      const Word log = logByDivision(base, a);
      ASSERT_EQ(num::wordLogBase_(base, a), log) << "base " << base << " a " << a;
      ASSERT_EQ(num::wordSizeInBase_(base, a), log + 1) << "base " << base << " a " << a;
    }
    ASSERT_EQ(num::wordSizeInBase_(base, 0), 0U);
  }
}

TEST(PowersOfTwo, OnlySingleBitsAreRecognised) {
  EXPECT_EQ(num::wordIsPowerOf2_(0), std::nullopt);
  EXPECT_EQ(num::wordIsPowerOf2_(6), std::nullopt);
  EXPECT_EQ(num::wordIsPowerOf2_(kTop), std::optional<Word>(63));
  for (Int i = 0; i < 64; ++i) {
    const Word p = num::bitW_(i);
    EXPECT_EQ(num::wordIsPowerOf2_(p), std::optional<Word>(static_cast<Word>(i)));
    if (i >= 2) {
      EXPECT_EQ(num::wordIsPowerOf2_(p - 1), std::nullopt) << i;
    }
    if (i >= 1) {
      EXPECT_EQ(num::wordIsPowerOf2_(p + 1), std::nullopt) << i;
    }
    EXPECT_EQ(num::wordIsPowerOf2_(p | num::bitW_(i + 17)), std::nullopt) << i;
  }
}

TEST(FloatEncoding, ExactWhereRepresentableAndSaturatingBeyond) {
  struct IntCase {
    Int m, e;
    double expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const IntCase intCases[] = {
      {0, 0, 0.0},          {3, -1, 1.5},
      {-5, 10, -5120.0},    {1, -1074, std::numeric_limits<double>::denorm_min()},
      {1, -1075, 0.0},      {(Int{1} << 53) - 1, 971, std::numeric_limits<double>::max()},
      {1, 1024, inf},       {-1, 1024, -inf},
      {1, kIntMax, inf},    {-1, kIntMax, -inf},
      {1, kIntMin, 0.0},    {kIntMin, 0, -9223372036854775808.0},
      {kIntMin, -63, -1.0},
  };
  for (const IntCase& c : intCases) {
    EXPECT_EQ(num::intEncodeDouble_(c.m, c.e), c.expected) << c.m << " " << c.e;
  }
  EXPECT_TRUE(std::signbit(num::intEncodeDouble_(-1, kIntMin)));
  EXPECT_EQ(num::wordEncodeDouble_(kTop, -63), 1.0);
  EXPECT_EQ(num::wordEncodeDouble_(kOnes, 0), 18446744073709551616.0) << "rounded once";
  EXPECT_EQ(num::wordEncodeDouble_(kOnes, kIntMax), inf);
  EXPECT_EQ(num::wordEncodeDouble_(0, kIntMax), 0.0);
  Rng rng;
  for (long i = 0; i < numtest::iterations(2000); ++i) {
    // 53-bit mantissas scaled within the normal range are exact.
    const Word m = rng.word() >> 11;
    const Int e = rng.range(-1000, 900);
    EXPECT_EQ(num::wordEncodeDouble_(m, e), std::ldexp(static_cast<double>(m), int(e)));
    EXPECT_EQ(num::intEncodeDouble_(-static_cast<Int>(m), e),
              -std::ldexp(static_cast<double>(m), int(e)));
  }
}

TEST(Raising, EachHelperRaisesItsException) {
  EXPECT_THROW(num::raiseDivZero_Word_(), num::DivideByZero);
  EXPECT_THROW(num::raiseUnderflow_Word_(), num::Underflow);
  EXPECT_THROW(num::unexpectedValue_Word_(), num::Overflow);
  EXPECT_THROW(num::unexpectedValue_Int_(), num::Overflow);
}

TEST(EffectAdapters, RunTheOperationOnceAndReturnItsRawResult) {
  int calls = 0;
  num::ioVoid([&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(num::ioWord_([&]() -> Word {
              ++calls;
              return kOnes;
            }),
            kOnes);
  EXPECT_EQ(num::ioInt_([&]() -> Int {
              ++calls;
              return kIntMin;
            }),
            kIntMin);
  EXPECT_EQ(num::ioBool([&] {
              ++calls;
              return true;
            }),
            1);
  EXPECT_EQ(num::ioBool([&] {
              ++calls;
              return false;
            }),
            0);
  EXPECT_EQ(calls, 5);
}

}  // namespace
