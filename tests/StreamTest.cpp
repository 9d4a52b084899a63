// operator<< and operator>> against the built-in long long inserter and
// extractor on values that fit, and against mpz's text beyond.
#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Num/Text.hpp"
#include "support/Random.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;
using std::ios_base;

struct Format {
  ios_base::fmtflags basefield;  // 0: none of dec, hex, oct
  ios_base::fmtflags adjust;     // 0: none of left, right, internal
  bool showbase, showpos, uppercase;
  int width;
  char fill;
};

// Every combination of the flags an integer inserter reads.
std::vector<Format> allFormats() {
  std::vector<Format> all;
  for (const auto basefield : {ios_base::fmtflags{}, ios_base::dec, ios_base::hex, ios_base::oct}) {
    for (const auto adjust :
         {ios_base::fmtflags{}, ios_base::left, ios_base::right, ios_base::internal}) {
      for (int bits = 0; bits < 8; ++bits) {
        for (const int width : {0, 3, 30}) {
          for (const char fill : {' ', '*'}) {
            all.push_back({basefield, adjust, (bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                           width, fill});
          }
        }
      }
    }
  }
  return all;
}

void setFormat(std::ios& s, const Format& f) {
  s.unsetf(ios_base::basefield | ios_base::adjustfield);
  s.setf(f.basefield | f.adjust);
  if (f.showbase) s.setf(ios_base::showbase);
  if (f.showpos) s.setf(ios_base::showpos);
  if (f.uppercase) s.setf(ios_base::uppercase);
  s.width(f.width);
  s.fill(f.fill);
}

template <class T>
std::string print(const T& v, const Format& f) {
  std::ostringstream os;
  setFormat(os, f);
  os << v;
  EXPECT_EQ(os.width(), 0);
  return os.str();
}

// The fill rule of the built-in inserters: after a sign or a 0x prefix
// under internal, after the text under left, before it otherwise.
std::string pad(std::string s, const Format& f) {
  if (static_cast<std::size_t>(f.width) <= s.size()) return s;
  const std::size_t n = static_cast<std::size_t>(f.width) - s.size();
  std::size_t at = 0;
  if (f.adjust == ios_base::left) {
    at = s.size();
  } else if (f.adjust == ios_base::internal && (s[0] == '-' || s[0] == '+')) {
    at = 1;
  } else if (f.adjust == ios_base::internal && s.size() > 1 && s[0] == '0' &&
             (s[1] == 'x' || s[1] == 'X')) {
    at = 2;
  }
  return s.insert(at, n, f.fill);
}

bool isDecimal(const Format& f) {
  return f.basefield != ios_base::hex && f.basefield != ios_base::oct;
}

// The documented text: '-' and the text of the magnitude, padded as a whole.
std::string expectedText(const Mpz& v, const Format& f) {
  const int base = isDecimal(f) ? 10 : f.basefield == ios_base::hex ? 16 : 8;
  std::string digits = v.str(base);
  const bool negative = digits[0] == '-';
  if (negative) digits.erase(0, 1);
  if (f.uppercase) {
    for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  std::string s = negative ? "-" : isDecimal(f) && f.showpos ? "+" : "";
  if (!isDecimal(f) && f.showbase && digits != "0") {
    s += base == 16 ? (f.uppercase ? "0X" : "0x") : "0";
  }
  return pad(s + digits, f);
}

TEST(StreamOutput, AsLongLongUnderEveryFlagCombination) {
  const long long values[] = {0, 1, -1, 7, -42, 255, 1LL << 40, LLONG_MAX, LLONG_MIN};
  for (const Format& f : allFormats()) {
    for (const long long v : values) {
      const std::string got = print(Integer(v), f);
      if (v >= 0 || isDecimal(f)) {
        EXPECT_EQ(got, print(v, f)) << v;
        if (v >= 0) {
          EXPECT_EQ(print(Natural(static_cast<unsigned long long>(v)), f), got);
        }
      } else {
        EXPECT_EQ(got, expectedText(Mpz::fromInt(v), f)) << v;
      }
    }
  }
}

TEST(StreamOutput, MultiWordValuesAsMpzText) {
  const std::vector<Format> formats = allFormats();
  forRandomOperands(200, [&](Rng& rng) {
    const Integer x = makeInteger(rng.coin(), rng.limbs(1, 6));
    const Mpz want = toMpz(x);
    for (std::size_t i = static_cast<std::size_t>(rng.range(0, 7)); i < formats.size(); i += 8) {
      EXPECT_EQ(print(x, formats[i]), expectedText(want, formats[i]));
    }
  });
}

TEST(StreamOutput, FailedSentryWritesNothing) {
  std::ostringstream os;
  os.setstate(ios_base::failbit);
  os << Integer(5);
  EXPECT_EQ(os.str(), "");
}

// ---------------------------------------------------------------------------
// Extraction: the same state bits, the same characters left and the same
// value as a long long extraction of the same text, for every basefield
// and with or without skipws.

std::string rest(std::istream& is) {
  is.clear();
  return {std::istreambuf_iterator<char>(is.rdbuf()), std::istreambuf_iterator<char>()};
}

TEST(StreamInput, AsLongLongExtraction) {
  const char* const inputs[] = {"",
                                " ",
                                "  42",
                                "42 ",
                                "+",
                                "-",
                                "-0",
                                "+7x",
                                "0",
                                "00",
                                "017",
                                "08",
                                "0x",
                                "0x1f",
                                "0X1F",
                                "0x1g",
                                "0xx",
                                "x1",
                                "ff",
                                "-ff",
                                "+-1",
                                "- 1",
                                "1e5",
                                "\t\n-17x",
                                "12,345",
                                "1.5",
                                "123456789012345",
                                "-123456789012345",
                                "0009",
                                "-0x10",
                                "z"};
  for (const char* input : inputs) {
    for (const auto basefield :
         {ios_base::fmtflags{}, ios_base::dec, ios_base::hex, ios_base::oct}) {
      for (const bool skipws : {true, false}) {
        std::istringstream a(input), b(input), c(input);
        for (std::istringstream* s : {&a, &b, &c}) {
          s->unsetf(ios_base::basefield);
          s->setf(basefield);
          if (!skipws) s->unsetf(ios_base::skipws);
        }
        long long ll = 99;
        Integer z = 99;
        Natural n = 99u;
        a >> ll;
        b >> z;
        c >> n;
        const auto state = a.rdstate();
        const std::string where = std::string("'") + input + "' basefield " +
                                  std::to_string(basefield) + (skipws ? "" : " noskipws");
        EXPECT_EQ(b.rdstate(), state) << where;
        EXPECT_EQ(z, Integer(a.fail() ? 99 : ll)) << where;
        // A Natural fails on a negative value, and only then differs.
        const bool negative = !a.fail() && ll < 0;
        EXPECT_EQ(c.rdstate(), negative ? state | ios_base::failbit : state) << where;
        EXPECT_EQ(n, Natural(a.fail() || negative ? 99ULL : static_cast<unsigned long long>(ll)))
            << where;
        const std::string left = rest(a);
        EXPECT_EQ(rest(b), left) << where;
        EXPECT_EQ(rest(c), left) << where;
      }
    }
  }
}

TEST(StreamInput, MultiWordValuesAndExceptions) {
  forRandomOperands(200, [](Rng& rng) {
    const Integer x = makeInteger(rng.coin(), rng.limbs(1, 8));
    const Mpz want = toMpz(x);
    std::stringstream s;
    s << std::hex << std::showbase << x << " rest";
    Integer back;
    s >> back;  // hex, with its 0x prefix
    EXPECT_TRUE(isInteger(back, want));
    s >> back;  // "rest" is no number: failbit, the value unchanged
    EXPECT_TRUE(s.fail());
    EXPECT_TRUE(isInteger(back, want));
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
