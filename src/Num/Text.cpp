// Text conversion of Natural and Integer: printing, parsing, streams and
// the literal operators.
#include "Num/Text.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>

#include "Num/Backend.hpp"
#include "Num/Backend/Digits.hpp"
#include "Num/Literals.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

constexpr char kLower[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr char kUpper[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr unsigned char kNotDigit = 255;

// The value of every character as a digit in either case, or kNotDigit.
constexpr std::array<unsigned char, 256> kDigitValues = [] {
  std::array<unsigned char, 256> t{};
  t.fill(kNotDigit);
  for (std::size_t i = 0; i < 10; ++i) t['0' + i] = static_cast<unsigned char>(i);
  for (std::size_t i = 0; i < 26; ++i) {
    t['a' + i] = static_cast<unsigned char>(10 + i);
    t['A' + i] = static_cast<unsigned char>(10 + i);
  }
  return t;
}();
constexpr unsigned char digitValue(char c) noexcept {
  return kDigitValues[static_cast<unsigned char>(c)];
}
constexpr bool isDigit(char c, int base) noexcept { return digitValue(c) < base; }

[[noreturn]] NUMKIT_COLD void throwBadBase(const char* function, int base, bool zeroAllowed) {
  throw std::invalid_argument(std::string(function) + ": base " + std::to_string(base) +
                              (zeroAllowed ? " is not 0 or in 2..36" : " is not in 2..36"));
}
void checkPrintBase(const char* function, int base) {
  if (base < 2 || base > 36) throwBadBase(function, base, false);
}

// ---------------------------------------------------------------------------
// Printing.

// The most characters a word takes in any base: 64 binary digits.
constexpr std::size_t kWordChars = 64;

void toUpper(char* first, char* last) noexcept {
  for (; first != last; ++first) {
    if (*first >= 'a' && *first <= 'z') *first = static_cast<char>(*first - 'a' + 'A');
  }
}

// The characters of w, written at out (room for kWordChars); returns the end.
char* wordChars(char* out, Word w, int base, bool uppercase) noexcept {
  char* end = std::to_chars(out, out + kWordChars, w, base).ptr;
  if (uppercase) toUpper(out, end);
  return end;
}

std::size_t roomFor(const BigNat_& m, int base) noexcept {
  return bigNatDigitsRoom(m.size(), m[m.size() - 1], base);
}

// Writes the digits of the non-empty magnitude m at out, which has room for
// roomFor(m, base) characters; returns their count.
std::size_t magnitudeChars(char* out, const BigNat_& m, int base, bool uppercase) {
  auto* digits = reinterpret_cast<unsigned char*>(out);
  const std::size_t n = backend::bignat_to_digits(digits, m, base);
  const char* map = uppercase ? kUpper : kLower;
  for (std::size_t i = 0; i < n; ++i) out[i] = map[digits[i]];
  return n;
}

// Appends the digits of the non-empty magnitude m to s.
void appendMagnitude(std::string& s, const BigNat_& m, int base, bool uppercase) {
  const std::size_t old = s.size();
  s.resize(old + roomFor(m, base));
  s.resize(old + magnitudeChars(s.data() + old, m, base, uppercase));
}

// The text of a value given by sign and magnitude (one of them non-empty).
struct Parts {
  bool negative;
  Word word;           // the magnitude when it fits a word
  const BigNat_* big;  // otherwise the magnitude
};
Parts partsOf(const Natural& x) noexcept {
  return x.isNS() ? Parts{false, x.word(), nullptr} : Parts{false, 0, &x.bigNat()};
}
Parts partsOf(const Integer& x) noexcept {
  if (x.isIS()) {
    const Int i = x.intValue();
    return {i < 0, i < 0 ? Word{0} - static_cast<Word>(i) : static_cast<Word>(i), nullptr};
  }
  return {x.isIN(), 0, &x.magnitude()};
}

// Appends the digits of |p| to s.
void appendDigits(std::string& s, const Parts& p, int base, bool uppercase) {
  if (p.big == nullptr) {
    char buf[kWordChars];
    s.append(buf, wordChars(buf, p.word, base, uppercase));
  } else {
    appendMagnitude(s, *p.big, base, uppercase);
  }
}

std::string partsToString(const Parts& p, int base, bool uppercase) {
  std::string s;
  if (p.negative) s.push_back('-');
  appendDigits(s, p, base, uppercase);
  return s;
}

// b^e for e >= 1: one squaring per bit of e, the last one of about the
// result's size.
BigNat_ bigNatPowerOfWord(Word b, std::size_t e) {
  BigNat_ r = bigNatFromWord_(b);
  for (int i = static_cast<int>(std::bit_width(e)) - 2; i >= 0; --i) {
    r = bigNatSqr(r);
    if (((e >> i) & 1) != 0) r = bigNatMulWord_(r, b);
  }
  return r;
}

std::size_t digitCount(const Parts& p, int base) {
  if (p.big == nullptr) {
    char buf[kWordChars];
    return static_cast<std::size_t>(wordChars(buf, p.word, base, false) - buf);
  }
  const BigNat_& m = *p.big;
  if ((base & (base - 1)) == 0) {
    const Word bits = bigNatLog2_(m) + 1;
    const auto s = static_cast<Word>(std::countr_zero(static_cast<unsigned>(base)));
    return static_cast<std::size_t>((bits + s - 1) / s);
  }
  // The room is the digit count plus 2 to 4, so the count is at least
  // room - 4 = d and m >= base^(d - 1); one power and at most two products
  // by the base settle it.
  const auto b = static_cast<Word>(base);
  std::size_t d = roomFor(m, base) - 4;
  BigNat_ power = bigNatPowerOfWord(b, d);
  while (bigNatCompare(m, power) != Ordering::LT) {
    ++d;
    power = bigNatMulWord_(power, b);
  }
  return d;
}

std::to_chars_result partsToChars(char* first, char* last, const Parts& p, int base) {
  const auto avail = static_cast<std::size_t>(last - first);
  const std::size_t sign = p.negative ? 1 : 0;
  if (p.big == nullptr) {
    char buf[kWordChars];
    const auto n = static_cast<std::size_t>(wordChars(buf, p.word, base, false) - buf);
    if (avail < sign + n) return {last, std::errc::value_too_large};
    if (p.negative) *first = '-';
    std::copy_n(buf, n, first + sign);
    return {first + sign + n, std::errc{}};
  }
  const std::size_t room = roomFor(*p.big, base);
  if (avail >= sign + room) {
    // The kernel may use the whole room; it lies within the buffer.
    if (p.negative) *first = '-';
    const std::size_t n = magnitudeChars(first + sign, *p.big, base, false);
    return {first + sign + n, std::errc{}};
  }
  // The room exceeds the digit count by at most 4: a buffer shorter than
  // that cannot hold the text, and one in between needs the exact count.
  if (avail + 4 < sign + room) return {last, std::errc::value_too_large};
  std::string s;
  appendMagnitude(s, *p.big, base, false);
  if (avail < sign + s.size()) return {last, std::errc::value_too_large};
  if (p.negative) *first = '-';
  std::copy(s.begin(), s.end(), first + sign);
  return {first + sign + s.size(), std::errc{}};
}

// ---------------------------------------------------------------------------
// Digits to values.

// The most digits of `base` that always fit one word.
int safeWordDigits(int base) noexcept {
  int k = 0;
  Word limit = ~Word{0} / static_cast<Word>(base);
  for (Word p = 1; p <= limit; p *= static_cast<Word>(base)) ++k;
  return k;
}

// Digit values on the stack for short texts, in one heap block for long ones.
class DigitBuffer {
 public:
  explicit DigitBuffer(std::size_t capacity) {
    if (capacity > sizeof(onStack_)) {
      onHeap_ = std::make_unique_for_overwrite<unsigned char[]>(capacity);
      data_ = onHeap_.get();
    }
  }
  DigitBuffer(const DigitBuffer&) = delete;
  DigitBuffer& operator=(const DigitBuffer&) = delete;
  ~DigitBuffer() = default;
  unsigned char* data() noexcept { return data_; }

 private:
  unsigned char onStack_[1024];
  std::unique_ptr<unsigned char[]> onHeap_;
  unsigned char* data_ = onStack_;
};

// The magnitude of n digit values in `base`.
Natural naturalFromDigitValues(const unsigned char* d, std::size_t n, int base) {
  // Leading zeros take no part in the value.
  while (n > 0 && *d == 0) {
    ++d;
    --n;
  }
  if (n <= static_cast<std::size_t>(safeWordDigits(base))) {
    Word w = 0;
    for (std::size_t i = 0; i < n; ++i) w = w * static_cast<Word>(base) + d[i];
    return NS(w);
  }
  return naturalFromBigNat_(backend::bignat_from_digits(d, n, base));
}

// The magnitude of the digit characters in [first, last), all valid in
// `base`.
Natural naturalFromDigitChars(const char* first, const char* last, int base) {
  const auto n = static_cast<std::size_t>(last - first);
  DigitBuffer digits(n);
  for (std::size_t i = 0; i < n; ++i) digits.data()[i] = digitValue(first[i]);
  return naturalFromDigitValues(digits.data(), n, base);
}

Integer signedValue(bool negative, const Natural& magnitude) {
  const Integer v = integerFromNatural(magnitude);
  return negative ? integerNegate(v) : v;
}

// ---------------------------------------------------------------------------
// from_chars.

struct DigitSpan {
  bool negative;
  const char* first;  // the first digit
  const char* last;   // past the last digit
};

// The `-? digit+` prefix of [first, last), or nothing (last = nullptr).
DigitSpan charconvDigits(const char* first, const char* last, int base, bool minus) {
  checkPrintBase("num::from_chars", base);
  const char* p = first;
  const bool negative = minus && p != last && *p == '-';
  if (negative) ++p;
  const char* digits = p;
  while (p != last && isDigit(*p, base)) ++p;
  if (p == digits) return {false, nullptr, nullptr};
  return {negative, digits, p};
}

// ---------------------------------------------------------------------------
// Whole strings.

std::string describeChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x20 && u < 0x7f) return std::string("'") + c + "'";
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("byte 0x") + kHex[u >> 4] + kHex[u & 15];
}

[[noreturn]] NUMKIT_COLD void throwBadChar(const char* function, std::string_view text,
                                           std::size_t pos, const std::string& why) {
  std::string msg = std::string(function) + ": ";
  if (pos < text.size()) {
    msg += "invalid character " + describeChar(text[pos]);
  } else {
    msg += "unexpected end of text";
  }
  msg += " at position " + std::to_string(pos) + " (" + why + ")";
  throw std::invalid_argument(msg);
}

[[noreturn]] NUMKIT_COLD void throwTooLong(const char* function, std::size_t limit) {
  throw std::length_error(std::string(function) + ": more than " + std::to_string(limit) +
                          " digits");
}

// The base a prefix letter selects, or 0.
int prefixBase(char c) noexcept {
  switch (c) {
    case 'x':
    case 'X':
      return 16;
    case 'o':
    case 'O':
      return 8;
    case 'b':
    case 'B':
      return 2;
    default:
      return 0;
  }
}

struct SignedMagnitude {
  bool negative;
  Natural magnitude;
};

// The value of `text` under the grammar in Text.hpp, as a sign and a
// magnitude; raises for text outside it.
SignedMagnitude scan(const char* function, std::string_view text, const ParseOptions& o,
                     bool minus) {
  if (o.base != 0 && (o.base < 2 || o.base > 36)) throwBadBase(function, o.base, true);
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-' && !minus) throwBadChar(function, text, i, "a Natural has no minus sign");
    negative = text[i] == '-';
    ++i;
  }
  int base = o.base;
  if (i + 1 < n && text[i] == '0') {
    const int pb = prefixBase(text[i + 1]);
    if (pb != 0 && (base == 0 || base == pb)) {
      base = pb;
      i += 2;
    }
  }
  if (base == 0) base = 10;
  const std::size_t start = i;
  // Digit values are stored as they are checked: one pass over the text,
  // and never more room than the limit allows.
  const std::size_t room = std::min(n - start, o.maxDigits);
  DigitBuffer digits(room);
  unsigned char* out = digits.data();
  unsigned char* const outEnd = out + room;
  unsigned char* q = out;
  const char* p = text.data() + start;
  const char* const end = text.data() + n;
  // Decimal digits are told by a subtraction, other characters by the table.
  const auto decimals = static_cast<unsigned>(std::min(base, 10));
  const auto limit = static_cast<unsigned>(base);
  for (;;) {
    while (p != end) {  // a run of digits
      unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
      if (d >= decimals) {
        d = digitValue(*p);
        if (d >= limit) break;
      }
      if (q == outEnd) throwTooLong(function, o.maxDigits);
      *q++ = static_cast<unsigned char>(d);
      ++p;
    }
    if (p == end) break;
    i = static_cast<std::size_t>(p - text.data());
    const char c = *p;
    const bool sep = o.separators && (c == '_' || c == '\'');
    if (!sep) throwBadChar(function, text, i, "not a digit in base " + std::to_string(base));
    // A separator needs a digit on each side.
    if (i == start || !isDigit(text[i - 1], base) || i + 1 >= n || !isDigit(text[i + 1], base)) {
      throwBadChar(function, text, i, "a separator must stand between two digits");
    }
    ++p;
  }
  const auto count = static_cast<std::size_t>(q - out);
  if (count == 0) throwBadChar(function, text, n, "expected a digit");
  return {negative, naturalFromDigitValues(out, count, base)};
}

// ---------------------------------------------------------------------------
// Streams.

// Sets badbit after an exception escaped the conversion, as the built-in
// inserters and extractors do, and rethrows it when the stream asks for
// exceptions on badbit.
void failWithBadbit(std::ios& s) {
  try {
    s.setstate(std::ios_base::badbit);
  } catch (const std::ios_base::failure&) {  // NOLINT(bugprone-empty-catch): rethrown below
  }
  if ((s.exceptions() & std::ios_base::badbit) != 0) throw;
}

std::ostream& insert(std::ostream& os, const Parts& p) {
  const std::ostream::sentry guard(os);
  if (!guard) return os;
  try {
    const std::ios_base::fmtflags flags = os.flags();
    const std::ios_base::fmtflags basefield = flags & std::ios_base::basefield;
    const bool dec = basefield != std::ios_base::oct && basefield != std::ios_base::hex;
    const int base = dec ? 10 : basefield == std::ios_base::hex ? 16 : 8;
    const bool upper = (flags & std::ios_base::uppercase) != 0;
    const bool zero = p.big == nullptr && p.word == 0;
    std::string s;
    if (p.negative) {
      s.push_back('-');
    } else if (dec && (flags & std::ios_base::showpos) != 0) {
      s.push_back('+');
    }
    if (!dec && (flags & std::ios_base::showbase) != 0 && !zero) {
      s.push_back('0');
      if (base == 16) s.push_back(upper ? 'X' : 'x');
    }
    appendDigits(s, p, base, upper && base == 16);
    const std::streamsize width = os.width();
    if (width > static_cast<std::streamsize>(s.size())) {
      const auto pad = static_cast<std::size_t>(width) - s.size();
      const std::ios_base::fmtflags adjust = flags & std::ios_base::adjustfield;
      std::size_t at = 0;  // where the fill goes: before everything by default
      if (adjust == std::ios_base::left) {
        at = s.size();
      } else if (adjust == std::ios_base::internal) {
        if (s[0] == '-' || s[0] == '+') {
          at = 1;
        } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
          at = 2;
        }
      }
      s.insert(at, pad, os.fill());
    }
    os.width(0);
    if (os.rdbuf()->sputn(s.data(), static_cast<std::streamsize>(s.size())) !=
        static_cast<std::streamsize>(s.size())) {
      os.setstate(std::ios_base::badbit);
    }
  } catch (const std::ios_base::failure&) {
    throw;
  } catch (...) {
    failWithBadbit(os);
  }
  return os;
}

// The extraction of long long without its conversion: on success returns
// true with the sign and the magnitude; sets the stream's state bits.
bool extract(std::istream& is, bool& negative, Natural& magnitude) {
  const std::istream::sentry guard(is);
  if (!guard) return false;
  std::ios_base::iostate err = std::ios_base::goodbit;
  bool ok = false;
  try {
    std::streambuf* sb = is.rdbuf();
    using Traits = std::char_traits<char>;
    int c = sb->sgetc();
    bool eof = Traits::eq_int_type(c, Traits::eof());
    // Reads the next character after consuming the current one.
    const auto advance = [&] {
      c = sb->snextc();
      eof = Traits::eq_int_type(c, Traits::eof());
    };
    negative = false;
    if (!eof && (c == '-' || c == '+')) {
      negative = c == '-';
      advance();
    }
    const std::ios_base::fmtflags basefield = is.flags() & std::ios_base::basefield;
    int base = basefield == std::ios_base::oct ? 8 : basefield == std::ios_base::hex ? 16 : 10;
    // Leading zeros and the 0x prefix, as num_get reads them: with no
    // basefield a 0 selects octal and a following x or X hex.
    bool foundZero = false;
    while (!eof) {
      if (c == '0' && (!foundZero || base == 10)) {
        foundZero = true;
        if (basefield == 0) base = 8;
      } else if (foundZero && (c == 'x' || c == 'X')) {
        if (basefield == 0) base = 16;
        if (base != 16) break;
        foundZero = false;
      } else {
        break;
      }
      advance();
      if (!eof && !foundZero) break;
    }
    std::string digits;
    while (!eof && isDigit(static_cast<char>(c), base)) {
      digits.push_back(static_cast<char>(c));
      advance();
    }
    if (eof) err |= std::ios_base::eofbit;
    if (digits.empty() && !foundZero) {
      err |= std::ios_base::failbit;
    } else {
      magnitude = naturalFromDigitChars(digits.data(), digits.data() + digits.size(), base);
      ok = true;
    }
  } catch (...) {
    failWithBadbit(is);
    return false;
  }
  is.setstate(err);
  return ok;
}

// ---------------------------------------------------------------------------
// Literals: C++ integer literal syntax (the compiler has checked it; a
// malformed spelling reaching here raises all the same).

Natural literalValue(const char* literal) {
  const std::string_view text(literal);
  int base = 10;
  std::size_t i = 0;
  if (text.size() > 1 && text[0] == '0') {
    const int pb = prefixBase(text[1]);
    if (pb == 16 || pb == 2) {
      base = pb;
      i = 2;
    } else {
      base = 8;  // the leading 0 is one of the octal digits
    }
  }
  ParseOptions o;
  o.base = base;
  o.separators = true;
  return scan("num::literals", text.substr(i), o, false).magnitude;
}

}  // namespace

// ---------------------------------------------------------------------------
// Public functions.

std::string toString(const Natural& x, int base, bool uppercase) {
  checkPrintBase("num::toString", base);
  return partsToString(partsOf(x), base, uppercase);
}
std::string toString(const Integer& x, int base, bool uppercase) {
  checkPrintBase("num::toString", base);
  return partsToString(partsOf(x), base, uppercase);
}

std::size_t toCharsSize(const Natural& x, int base) {
  checkPrintBase("num::toCharsSize", base);
  return digitCount(partsOf(x), base);
}
std::size_t toCharsSize(const Integer& x, int base) {
  checkPrintBase("num::toCharsSize", base);
  const Parts p = partsOf(x);
  return (p.negative ? 1 : 0) + digitCount(p, base);
}

std::to_chars_result to_chars(char* first, char* last, const Natural& x, int base) {
  checkPrintBase("num::to_chars", base);
  return partsToChars(first, last, partsOf(x), base);
}
std::to_chars_result to_chars(char* first, char* last, const Integer& x, int base) {
  checkPrintBase("num::to_chars", base);
  return partsToChars(first, last, partsOf(x), base);
}

std::from_chars_result from_chars(const char* first, const char* last, Natural& x, int base) {
  const DigitSpan d = charconvDigits(first, last, base, false);
  if (d.first == nullptr) return {first, std::errc::invalid_argument};
  x = naturalFromDigitChars(d.first, d.last, base);
  return {d.last, std::errc{}};
}
std::from_chars_result from_chars(const char* first, const char* last, Integer& x, int base) {
  const DigitSpan d = charconvDigits(first, last, base, true);
  if (d.first == nullptr) return {first, std::errc::invalid_argument};
  x = signedValue(d.negative, naturalFromDigitChars(d.first, d.last, base));
  return {d.last, std::errc{}};
}

Natural naturalFromString(std::string_view text, int base) {
  ParseOptions o;
  o.base = base;
  return naturalFromString(text, o);
}
Natural naturalFromString(std::string_view text, const ParseOptions& options) {
  return scan("num::naturalFromString", text, options, false).magnitude;
}
Integer integerFromString(std::string_view text, int base) {
  ParseOptions o;
  o.base = base;
  return integerFromString(text, o);
}
Integer integerFromString(std::string_view text, const ParseOptions& options) {
  const SignedMagnitude v = scan("num::integerFromString", text, options, true);
  return signedValue(v.negative, v.magnitude);
}

std::ostream& operator<<(std::ostream& os, const Natural& x) { return insert(os, partsOf(x)); }
std::ostream& operator<<(std::ostream& os, const Integer& x) { return insert(os, partsOf(x)); }

std::istream& operator>>(std::istream& is, Natural& x) {
  bool negative = false;
  Natural m;
  if (!extract(is, negative, m)) return is;
  if (negative && !naturalIsZero(m)) {
    is.setstate(std::ios_base::failbit);
  } else {
    x = std::move(m);
  }
  return is;
}
std::istream& operator>>(std::istream& is, Integer& x) {
  bool negative = false;
  Natural m;
  if (extract(is, negative, m)) x = signedValue(negative, m);
  return is;
}

namespace literals {
Natural operator""_n(const char* literal) { return literalValue(literal); }
Integer operator""_z(const char* literal) { return integerFromNatural(literalValue(literal)); }
}  // namespace literals

NUMKIT_END_NAMESPACE
