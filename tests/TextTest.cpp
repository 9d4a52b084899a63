// Text conversion against mpz's text: every base, both directions, the
// charconv forms, the parser's errors and the digit kernels of both
// backends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Num/Backend/Digits.hpp"
#include "Num/Config.hpp"
#include "Num/Literals.hpp"
#include "Num/Text.hpp"
#include "support/Random.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), ::toupper);
  return s;
}

// Digit values of mpz's text of |m| (without its sign).
std::vector<unsigned char> mpzDigits(const Mpz& m, int base) {
  std::string s = m.str(base);
  if (!s.empty() && s[0] == '-') s.erase(0, 1);
  std::vector<unsigned char> d;
  for (char c : s) d.push_back(static_cast<unsigned char>(c <= '9' ? c - '0' : c - 'a' + 10));
  return d;
}

// Both digit kernels against mpz: digits of |x|, and |x| from its digits
// with `zeros` leading zeros.  The native kernels are compiled in every
// build; the GMP ones only in the GMP build.
void checkKernels(const Integer& x, const Mpz& want, int base, std::size_t zeros) {
  if (x.isIS()) return;  // single words never reach the kernels
  const num::BigNat_& m = x.magnitude();
  const std::vector<unsigned char> digits = mpzDigits(want, base);
  std::vector<unsigned char> out(num::bigNatDigitsRoom(m.size(), m[m.size() - 1], base));
  ASSERT_GE(out.size(), digits.size() + 2);
  ASSERT_LE(out.size(), digits.size() + 4);
  const auto check = [&](auto toDigits, auto fromDigits, const char* which) {
    const std::size_t n = toDigits(out.data(), m, base);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n),
                           digits.begin(), digits.end()))
        << which << " digits, base " << base;
    std::vector<unsigned char> padded(zeros, 0);
    padded.insert(padded.end(), digits.begin(), digits.end());
    EXPECT_TRUE(isBigNat(fromDigits(padded.data(), padded.size(), base), toMpz(m)))
        << which << " magnitude, base " << base;
  };
  check(num::backend::native::bignat_to_digits, num::backend::native::bignat_from_digits, "native");
#if defined(NUMKIT_BACKEND_GMP)
  check(num::backend::gmp::bignat_to_digits, num::backend::gmp::bignat_from_digits, "gmp");
#endif
}

// Every text form of x in `base`, against mpz's text.
void checkText(const Integer& x, int base, bool upperCase) {
  const Mpz want = toMpz(x);
  const std::string text = want.str(base);
  ASSERT_EQ(num::toString(x, base, upperCase), upperCase ? upper(text) : text) << "base " << base;
  EXPECT_EQ(num::toCharsSize(x, base), text.size());
  EXPECT_TRUE(isInteger(num::integerFromString(text, base), want)) << text;
  EXPECT_TRUE(isInteger(num::integerFromString(upper(text), base), want)) << text;
  // to_chars: the exact size fits, one less writes nothing.
  std::string buf(text.size(), '#');
  auto r = num::to_chars(buf.data(), buf.data() + buf.size(), x, base);
  EXPECT_TRUE(r.ec == std::errc{} && r.ptr == buf.data() + buf.size() && buf == text);
  buf.assign(text.size() - 1, '#');
  r = num::to_chars(buf.data(), buf.data() + buf.size(), x, base);
  EXPECT_TRUE(r.ec == std::errc::value_too_large && r.ptr == buf.data() + buf.size());
  EXPECT_EQ(buf, std::string(text.size() - 1, '#'));
  // from_chars stops at the first character that is not a digit.
  const std::string tail = text + (base < 36 ? "z" : "-");
  Integer back = 7;
  const auto fr = num::from_chars(tail.data(), tail.data() + tail.size(), back, base);
  EXPECT_TRUE(fr.ec == std::errc{} && fr.ptr == tail.data() + text.size() && isInteger(back, want));
  if (mpz_sgn(want.get()) >= 0) {
    EXPECT_EQ(num::toString(num::integerToNatural(x), base), text);
    EXPECT_TRUE(isNatural(num::naturalFromString(text, base), want));
  }
  checkKernels(x, want, base, text.size() % 3);
}

TEST(TextDifferential, SpecialValuesInEveryBase) {
  for (const Signed& s : specialSigned()) {
    const Integer x = makeInteger(s.negative, s.magnitude);
    for (int base = 2; base <= 36; ++base) checkText(x, base, base % 2 == 0);
  }
}

TEST(TextDifferential, RandomValuesOfUpTo200LimbsInEveryBase) {
  long i = 0;
  forRandomOperands(100000, [&](Rng& rng) {
    const Integer x = makeInteger(rng.coin(), rng.limbs(1, rng.range(0, 3) == 0 ? 200 : 12));
    checkText(x, static_cast<int>(2 + i++ % 35), rng.coin());
  });
}

// The native kernels on a million digits: several levels of uncached powers.
TEST(TextDifferential, NativeKernelsOnAMillionDigits) {
  Rng rng;
  std::string text(1000000, '0');
  for (char& c : text) c = static_cast<char>('0' + rng.range(0, 9));
  text[0] = '7';
  Mpz want;
  mpz_set_str(want.get(), text.c_str(), 10);
  checkKernels(makeInteger(false, want.limbs()), want, 10, 1);
}

// Threads converting at once share the native power table.
TEST(TextDifferential, NativePowerTableSharedBetweenThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      Rng rng(testSeed() + static_cast<Word>(t));
      for (int i = 0; i < 4; ++i) {
        const Integer x = makeInteger(false, rng.limbs(100, 3000));
        checkKernels(x, toMpz(x), 3 + t % 3 * 4, 0);  // bases 3, 7 and 11
      }
    });
  }
  for (std::thread& th : threads) th.join();
}

// ---------------------------------------------------------------------------
// from_chars follows std::from_chars: the same pointer, error and value on
// text whose value fits a long long.

TEST(TextCharconv, FromCharsAgreesWithTheStandardOnes) {
  const char* const cases[] = {"",
                               "-",
                               "+1",
                               "-0",
                               "0",
                               "12",
                               "-12",
                               "12x",
                               " 1",
                               "0x1f",
                               "-9223372036854775808",
                               "9223372036854775807",
                               "ff",
                               "-z",
                               "007"};
  for (const char* s : cases) {
    for (const int base : {2, 10, 16, 36}) {
      const char* end = s + std::strlen(s);
      long long ll = 5;
      unsigned long long ull = 5;
      Integer z = 5;
      Natural n = 5u;
      const auto want = std::from_chars(s, end, ll, base);
      const auto wantU = std::from_chars(s, end, ull, base);
      if (want.ec == std::errc::result_out_of_range) continue;  // no overflow here
      const auto got = num::from_chars(s, end, z, base);
      const auto gotN = num::from_chars(s, end, n, base);
      EXPECT_TRUE(got.ptr == want.ptr && got.ec == want.ec) << s << " base " << base;
      EXPECT_EQ(z, Integer(want.ec == std::errc{} ? ll : 5)) << s << " base " << base;
      EXPECT_TRUE(gotN.ptr == wantU.ptr && gotN.ec == wantU.ec) << s << " base " << base;
      EXPECT_EQ(n, Natural(wantU.ec == std::errc{} ? ull : 5u)) << s << " base " << base;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole strings: what the grammar accepts and what it rejects.

TEST(TextParse, AcceptedSpellings) {
  struct Case {
    const char* text;
    int base;
    bool separators;
    const char* value;  // decimal, as mpz reads it
  };
  const Case cases[] = {
      {"+12", 10, false, "12"},    {"-12", 10, false, "-12"},
      {"0x1F", 0, false, "31"},    {"-0X1f", 0, false, "-31"},
      {"0o17", 0, false, "15"},    {"0b101", 0, false, "5"},
      {"010", 0, false, "10"},     {"0", 0, false, "0"},
      {"0x1f", 16, false, "31"},   {"0b11", 2, false, "3"},
      {"0b11", 16, false, "2833"}, {"1_000'000", 10, true, "1000000"},
      {"Zz", 36, false, "1295"},   {"-000", 10, false, "0"},
      {"0x1_0", 0, true, "16"},    {"18446744073709551616", 10, false, "18446744073709551616"},
  };
  for (const Case& c : cases) {
    num::ParseOptions o;
    o.base = c.base;
    o.separators = c.separators;
    Mpz want;
    mpz_set_str(want.get(), c.value, 10);
    EXPECT_TRUE(isInteger(num::integerFromString(c.text, o), want)) << c.text;
  }
}

TEST(TextParse, MalformedTextNamesThePositionAndTheCharacter) {
  struct Case {
    const char* text;
    int base;
    bool separators;
    bool natural;
    const char* message;  // a part of the message
  };
  const Case cases[] = {
      {"", 10, false, false, "end of text at position 0"},
      {"+", 10, false, false, "end of text at position 1"},
      {"-", 10, false, false, "end of text at position 1"},
      {"-", 10, false, true, "'-' at position 0"},
      {"-0", 10, false, true, "'-' at position 0"},
      {"0x", 0, false, false, "end of text at position 2"},
      {"-0b", 0, false, false, "end of text at position 3"},
      {"12a", 10, false, false, "'a' at position 2"},
      {"102", 2, false, false, "'2' at position 2"},
      {"1 2", 10, false, false, "' ' at position 1"},
      {" 12", 10, false, false, "' ' at position 0"},
      {"12\n", 10, false, false, "byte 0x0a at position 2"},
      {"0o17", 10, false, false, "'o' at position 1"},
      {"1_000", 10, false, false, "'_' at position 1"},
      {"_1", 10, true, false, "'_' at position 0"},
      {"1_", 10, true, false, "'_' at position 1"},
      {"1__2", 10, true, false, "'_' at position 1"},
      {"0x'1", 0, true, false, "''' at position 2"},
      {"--1", 10, false, false, "'-' at position 1"},
  };
  for (const Case& c : cases) {
    num::ParseOptions o;
    o.base = c.base;
    o.separators = c.separators;
    try {
      if (c.natural) {
        (void)num::naturalFromString(c.text, o);
      } else {
        (void)num::integerFromString(c.text, o);
      }
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.text << ": " << e.what();
    }
  }
}

TEST(TextParse, DigitLimitAndBases) {
  num::ParseOptions o;
  o.maxDigits = 4;
  EXPECT_EQ(num::naturalFromString("1234", o), Natural(1234u));
  EXPECT_THROW(num::naturalFromString("12345", o), std::length_error);
  EXPECT_THROW(num::naturalFromString("00001", o), std::length_error);  // zeros count
  o.base = 0;
  o.separators = true;
  EXPECT_EQ(num::integerFromString("-0x1_2_3_4", o), Integer(-0x1234));
  // The limit stops the scan: a wrong character after it is never reached.
  EXPECT_THROW(num::integerFromString("-0x1_2_3_4_5_!", o), std::length_error);
  // Without a limit, a million digits are read.
  const std::string big(1000000, '9');
  Mpz want;
  mpz_set_str(want.get(), big.c_str(), 10);
  const Natural nines = num::naturalFromString(big);
  EXPECT_TRUE(isNatural(nines, want));
  EXPECT_EQ(num::toCharsSize(nines), big.size());  // 10^n - 1: the most n digits hold
  EXPECT_EQ(num::toCharsSize(nines + Natural(1u)), big.size() + 1);
  // Bases outside 2..36 (0 only for the parser).
  for (const int base : {-1, 1, 37}) {
    char buf[8];
    Natural n;
    EXPECT_THROW(num::naturalFromString("1", base), std::invalid_argument);
    EXPECT_THROW(num::toString(Natural(1u), base), std::invalid_argument);
    EXPECT_THROW(num::toCharsSize(Integer(1), base), std::invalid_argument);
    EXPECT_THROW(num::to_chars(buf, buf + 8, Natural(1u), base), std::invalid_argument);
    EXPECT_THROW(num::from_chars(buf, buf, n, base), std::invalid_argument);
  }
  EXPECT_THROW(num::toString(Integer(1), 0), std::invalid_argument);
  // Built-in integers print as the number types do.
  EXPECT_EQ(num::toString(-255, 16), "-ff");
  EXPECT_EQ(num::toString(UINT64_MAX), "18446744073709551615");
}

// ---------------------------------------------------------------------------
// Literals.

template <class T>
constexpr bool kNaturalLiteralOf = requires(T v) {
  num::literals::operator""_n(v);
};
static_assert(kNaturalLiteralOf<const char*> && !kNaturalLiteralOf<long double>,
              "floating literals have no Natural value");

TEST(TextLiterals, IntegerLiteralSpellings) {
  using namespace num::literals;
  Mpz big;
  mpz_set_str(big.get(), "123456789012345678901234567890123456789", 10);
  EXPECT_TRUE(isNatural(123456789012345678901234567890123456789_n, big));
  Mpz negative;
  mpz_neg(negative.get(), big.get());
  EXPECT_TRUE(isInteger(-123456789012345678901234567890123456789_z, negative));
  EXPECT_EQ(0x1F_n, Natural(31u));
  EXPECT_EQ(0XFFFF'FFFF'FFFF'FFFF_n, Natural(~Word{0}));
  EXPECT_EQ(0b1'01_z, Integer(5));
  EXPECT_EQ(017_n, Natural(15u));
  EXPECT_EQ(0'17_z, Integer(15));
  EXPECT_EQ(0_n, Natural());
  EXPECT_EQ(1'000'000_z, Integer(1000000));
  // Spellings the compiler never passes: 8 is no octal digit.
  EXPECT_THROW(num::literals::operator""_n("08"), std::invalid_argument);
  EXPECT_THROW(num::literals::operator""_z("1.5"), std::invalid_argument);
}

}  // namespace
}  // namespace numtest
