// operator<< and operator>> against the built-in long long inserter and
// extractor on values that fit, and against mpz's text beyond.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <iterator>
#include <sstream>
#include <string>

#include "Num/Text.hpp"
#include "support/Random.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;
using std::ios_base;

constexpr ios_base::fmtflags kBasefields[] = {{}, ios_base::dec, ios_base::hex, ios_base::oct};
constexpr ios_base::fmtflags kAdjustments[] = {
    {}, ios_base::left, ios_base::right, ios_base::internal};
// Format k < kFormats sets one combination of every flag an integer
// inserter reads, a width of 0, 3 or 30 and a fill of ' ' or '*'.
constexpr int kFormats = 4 * 4 * 8 * 3 * 2;

void setFormat(std::ios& s, int k) {
  s.flags(kBasefields[k % 4] | kAdjustments[k / 4 % 4] | ios_base::skipws);
  if ((k / 16 & 1) != 0) s.setf(ios_base::showbase);
  if ((k / 16 & 2) != 0) s.setf(ios_base::showpos);
  if ((k / 16 & 4) != 0) s.setf(ios_base::uppercase);
  s.width(std::array{0, 3, 30}[static_cast<std::size_t>(k / 128 % 3)]);
  s.fill(k / 384 == 0 ? ' ' : '*');
}

template <class T>
std::string print(const T& v, int k) {
  std::ostringstream os;
  setFormat(os, k);
  os << v;
  EXPECT_EQ(os.width(), 0);
  return os.str();
}

// The documented text under format k: '-' before the prefix and the digits
// of the magnitude, the fill after the sign or a 0x prefix under internal,
// after the text under left, before it otherwise.
std::string expectedText(const Mpz& v, int k) {
  std::ostringstream f;
  setFormat(f, k);
  const auto flags = f.flags();
  const bool dec = (flags & (ios_base::hex | ios_base::oct)) == 0;
  const int base = dec ? 10 : (flags & ios_base::hex) != 0 ? 16 : 8;
  std::string digits = v.str(base);
  const bool negative = digits[0] == '-';
  if (negative) digits.erase(0, 1);
  const bool upper = (flags & ios_base::uppercase) != 0;
  if (upper) std::transform(digits.begin(), digits.end(), digits.begin(), ::toupper);
  std::string s = negative ? "-" : dec && (flags & ios_base::showpos) != 0 ? "+" : "";
  std::size_t internalAt = s.size();
  if (!dec && (flags & ios_base::showbase) != 0 && digits != "0") {
    s += base == 8 ? "0" : upper ? "0X" : "0x";
    if (!negative && base == 16) internalAt = 2;
  }
  s += digits;
  if (static_cast<std::size_t>(f.width()) <= s.size()) return s;
  const auto adjust = flags & ios_base::adjustfield;
  const std::size_t at = adjust == ios_base::left       ? s.size()
                         : adjust == ios_base::internal ? internalAt
                                                        : 0;
  return s.insert(at, static_cast<std::size_t>(f.width()) - s.size(), f.fill());
}

TEST(StreamOutput, AsLongLongUnderEveryFlagCombination) {
  const long long values[] = {0, 1, -1, 7, -42, 255, 1LL << 40, LLONG_MAX, LLONG_MIN};
  for (int k = 0; k < kFormats; ++k) {
    for (const long long v : values) {
      const std::string got = print(Integer(v), k);
      const bool twosComplement = v < 0 && (k % 4 == 2 || k % 4 == 3);  // hex, oct
      EXPECT_EQ(got, twosComplement ? expectedText(Mpz::fromInt(v), k) : print(v, k)) << v;
      if (v >= 0) {
        EXPECT_EQ(print(Natural(static_cast<unsigned long long>(v)), k), got);
      }
    }
  }
}

TEST(StreamOutput, MultiWordValuesAsMpzText) {
  forRandomOperands(200, [](Rng& rng) {
    const Integer x = makeInteger(rng.coin(), rng.limbs(1, 6));
    for (int k = static_cast<int>(rng.range(0, 7)); k < kFormats; k += 8) {
      EXPECT_EQ(print(x, k), expectedText(toMpz(x), k));
    }
  });
}

// ---------------------------------------------------------------------------
// Extraction: the same state bits, the same characters left and the same
// value as a long long extraction of the same text, for every basefield and
// with or without skipws.

std::string rest(std::istream& is) {
  is.clear();
  return {std::istreambuf_iterator<char>(is.rdbuf()), std::istreambuf_iterator<char>()};
}

TEST(StreamInput, AsLongLongExtraction) {
  // clang-format off
  const char* const inputs[] = {
      "", " ", "  42", "42 ", "+", "-", "-0", "+7x", "0", "00", "017", "08", "0x", "0x1f",
      "0X1F", "0x1g", "0xx", "x1", "ff", "-ff", "+-1", "- 1", "1e5", "\t\n-17x", "12,345", "1.5",
      "123456789012345", "-123456789012345", "0009", "-0x10", "z"};
  // clang-format on
  for (const char* input : inputs) {
    for (int k = 0; k < 8; ++k) {
      std::istringstream a(input), b(input), c(input);
      for (std::istringstream* s : {&a, &b, &c}) {
        s->flags(kBasefields[k % 4] | (k < 4 ? ios_base::skipws : ios_base::fmtflags{}));
      }
      long long ll = 99;
      Integer z = 99;
      Natural n = 99u;
      a >> ll;
      b >> z;
      c >> n;
      const std::string where = std::string("'") + input + "' format " + std::to_string(k);
      EXPECT_EQ(b.rdstate(), a.rdstate()) << where;
      EXPECT_EQ(z, Integer(a.fail() ? 99 : ll)) << where;
      // A Natural fails on a negative value, and only then differs.
      const bool negative = !a.fail() && ll < 0;
      EXPECT_EQ(c.rdstate(), negative ? a.rdstate() | ios_base::failbit : a.rdstate()) << where;
      EXPECT_EQ(n, Natural(a.fail() || negative ? 99ULL : static_cast<unsigned long long>(ll)))
          << where;
      const std::string left = rest(a);
      EXPECT_EQ(rest(b), left) << where;
      EXPECT_EQ(rest(c), left) << where;
    }
  }
}

TEST(StreamInput, MultiWordValuesAndExceptions) {
  forRandomOperands(200, [](Rng& rng) {
    const Integer x = makeInteger(rng.coin(), rng.limbs(1, 8));
    std::stringstream s;
    s << std::hex << std::showbase << x << " rest";
    Integer back;
    s >> back;  // hex, with its 0x prefix
    EXPECT_TRUE(isInteger(back, toMpz(x)));
    s >> back;  // "rest" is no number: failbit, the value unchanged
    EXPECT_TRUE(s.fail() && isInteger(back, toMpz(x)));
  });
  std::istringstream s("123456789012345678901234567890123");
  Natural n;
  s >> n;
  EXPECT_EQ(s.rdstate(), ios_base::eofbit);
  EXPECT_EQ(num::toString(n), "123456789012345678901234567890123");
  // Exceptions on failbit are thrown as for a long long.
  std::istringstream bad("x");
  bad.exceptions(ios_base::failbit);
  Integer z = 5;
  EXPECT_THROW(bad >> z, ios_base::failure);
  EXPECT_EQ(z, Integer(5));
}

}  // namespace
}  // namespace numtest
