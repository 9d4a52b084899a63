// Text: Natural and Integer in any base from 2 to 36, both ways, and
// through iostreams.
//
// Digits are 0-9 then the letters a-z for the values 10-35.  Printing gives
// lowercase letters unless asked for uppercase; reading accepts both cases.
// Every form gives the same text in both backends, and the conversions of
// long values are subquadratic (a million decimal digits take a fraction of
// a second); a value of one word is printed with std::to_chars and reads
// into a word without allocating.
//
// Three families, from the most to the least strict:
//
// - num::to_chars / num::from_chars follow <charconv>: no whitespace, no
//   '+', no base prefix, an optional '-' for an Integer only; results and
//   errors are std::to_chars_result / std::from_chars_result.  A value never
//   overflows, so from_chars never reports errc::result_out_of_range.
//
// - num::naturalFromString / num::integerFromString read a whole string
//   (the grammar is below) and raise std::invalid_argument naming the
//   0-based position and the character at fault, or std::length_error when
//   the text has more digits than the caller allows.
//
// - operator<< and operator>> behave as the inserter and the extractor of
//   long long do, flags included (see their comments for the differences).
//
// Every function here raises std::invalid_argument for a base outside
// 2 .. 36 (0 is also accepted where a parsing function says so), before
// anything else; std::bad_alloc is the only other failure unless a
// function says otherwise.  A failed call leaves its output (the value, the
// buffer) untouched.
#pragma once

#include <charconv>
#include <cstddef>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

// ---------------------------------------------------------------------------
// Printing.

// The digits of x in `base` (2 .. 36), most significant first, without
// leading zeros ("0" for zero), preceded by '-' for a negative Integer;
// letters in lowercase, or uppercase when `uppercase` is true.
NUMKIT_API std::string toString(const Natural& x, int base = 10, bool uppercase = false);
NUMKIT_API std::string toString(const Integer& x, int base = 10, bool uppercase = false);
// The same text for a built-in integer (which both number types would
// otherwise claim).
template <detail::BuiltinInteger T>
std::string toString(T x, int base = 10, bool uppercase = false) {
  return toString(Integer(x), base, uppercase);
}

// The exact number of characters to_chars and toString write for x in
// `base`: the digits, plus one for the '-' of a negative Integer.
NUMKIT_API std::size_t toCharsSize(const Natural& x, int base = 10);
NUMKIT_API std::size_t toCharsSize(const Integer& x, int base = 10);

// Writes the text of toString(x, base) (lowercase, no terminator) to
// [first, last) and returns {end of the text, errc{}}.  When the text does
// not fit, returns {last, errc::value_too_large} and writes nothing.
NUMKIT_API std::to_chars_result to_chars(char* first, char* last, const Natural& x, int base = 10);
NUMKIT_API std::to_chars_result to_chars(char* first, char* last, const Integer& x, int base = 10);

// Reads the longest prefix of [first, last) of the form `-? digit+` (the
// '-' only for an Integer; digits of `base` in either case) into x and
// returns {the first character not read, errc{}}.  Without such a prefix
// (no digit, or a '-' before a Natural) returns {first,
// errc::invalid_argument} and leaves x unchanged.  There is no limit on the
// number of digits: the caller bounds the range.
NUMKIT_API std::from_chars_result from_chars(const char* first, const char* last, Natural& x,
                                             int base = 10);
NUMKIT_API std::from_chars_result from_chars(const char* first, const char* last, Integer& x,
                                             int base = 10);

// ---------------------------------------------------------------------------
// Parsing whole strings.
//
// Grammar (the whole text must match; no whitespace anywhere):
//
//   text   := sign? prefix? digits
//   sign   := '+' | '-'                         '-' for integerFromString only
//   prefix := '0x' | '0X'                       when base is 0 or 16
//           | '0o' | '0O'                       when base is 0 or 8
//           | '0b' | '0B'                       when base is 0 or 2
//   digits := digit (sep? digit)*               sep only with `separators`
//   sep    := '_' | '\''
//
// Base 0 reads the base from the prefix, 10 without one.  A bare leading 0
// does not mean octal, as it would in C: "010" is ten.  Zero-padded
// decimal text (dates, identifiers, fixed-width fields) is common, and
// reading it in base 8 would silently change its value (or reject "09");
// octal must be asked for with 0o.  A separator stands between two digits:
// not first, not last, not next to another, not right after the prefix.
// naturalFromString rejects every '-', also in "-0": a Natural's text has
// no minus sign, so input meant to be non-negative is never accepted when
// it says otherwise.
//
// Raises std::invalid_argument when the text does not match, with a message
// naming the 0-based position and the character found there (or the end of
// the text), and std::length_error when the text has more than maxDigits
// digits (leading zeros count; the prefix and separators do not).  The
// length is checked while the text is scanned, before any conversion, so
// oversized input costs no more than reading maxDigits + 1 digits.
//
// The library sets no digit limit by default, since a program may well
// want a number of a billion digits.  A server that parses numbers from
// untrusted input should set one: converting n digits takes time growing
// faster than n, so a few megabytes of digits in a request would buy an
// attacker seconds of CPU per request.
struct ParseOptions {
  // 2 .. 36, or 0 to read it from the prefix.
  int base = 10;
  // The most digits accepted; the default is no limit.
  std::size_t maxDigits = std::numeric_limits<std::size_t>::max();
  // Whether '_' and '\'' may separate digits.
  bool separators = false;
};

// The Natural that `text` denotes in `base` (0 or 2 .. 36), without
// separators and without a digit limit.
NUMKIT_API Natural naturalFromString(std::string_view text, int base = 10);
NUMKIT_API Natural naturalFromString(std::string_view text, const ParseOptions& options);
// The Integer that `text` denotes, as naturalFromString but with '-'.
NUMKIT_API Integer integerFromString(std::string_view text, int base = 10);
NUMKIT_API Integer integerFromString(std::string_view text, const ParseOptions& options);

// ---------------------------------------------------------------------------
// Streams.
//
// operator<< writes x as the inserter of long long writes a value: in the
// base of the stream's basefield (dec, hex or oct), with hex letters and the
// 'X' of the prefix uppercase under std::uppercase, '+' before a
// non-negative value under std::showpos in decimal only, the prefix 0x (0X)
// or 0 before a non-zero value under std::showbase in hex and oct, and
// padding with the fill character to the width (which it then resets to 0)
// on the left (right, the default), on the right (left), or after the sign
// or the 0x prefix (internal).  A Natural prints as a long long of the same
// value would, '+' under showpos included.  One difference: a negative
// value in hex or oct prints as '-' followed by the prefix and the digits of
// its magnitude ("-0x1f"), where a long long prints its two's complement.
// The locale's digit grouping is not applied.  A failed write sets badbit.
NUMKIT_API std::ostream& operator<<(std::ostream& os, const Natural& x);
NUMKIT_API std::ostream& operator<<(std::ostream& os, const Integer& x);

// operator>> reads as the extractor of long long reads: it skips whitespace
// (unless std::noskipws), then reads an optional '+' or '-' and digits in
// the stream's base (dec, hex, oct; with no basefield flag, a leading 0x or
// 0X selects hex and another leading 0 octal; in hex a 0x prefix is
// skipped), and stops at the first character that cannot continue the
// number, leaving it in the stream.  Without digits it sets failbit; it sets
// eofbit when it reached the end of the input.  Differences: there is no
// overflow, and on failure x is left unchanged (a long long is set to 0).
// A Natural reads '-' too, and a negative value sets failbit (x unchanged),
// as a value out of range does for built-in types; "-0" reads as 0.
NUMKIT_API std::istream& operator>>(std::istream& is, Natural& x);
NUMKIT_API std::istream& operator>>(std::istream& is, Integer& x);

NUMKIT_END_NAMESPACE
