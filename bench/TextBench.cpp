// Decimal text of 10^2, 10^4 and 10^6 digits, both ways, against GMP's mpz
// on the same seeded digits:
// - to_decimal/N: num::to_chars of an Integer into a caller's buffer vs
//   mpz_get_str into a caller's buffer;
// - to_string/N: num::toString vs mpz_get_str allocating (and freeing) the
//   string;
// - from_decimal/N: num::integerFromString vs mpz_set_str;
// - native/...: the native backend's digit kernels on the same magnitude
//   (in this build they multiply and divide through the selected backend),
//   so numkit/native compares the two kernels.
// Every numkit run compares its result with mpz's after its timed loop and
// aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Num/Backend/Digits.hpp"
#include "Num/Integer.hpp"
#include "Num/Text.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Integer;
using numbench::check;
using numbench::Z;

// n seeded decimal digits, the first one not zero.
std::string decimalDigits(std::size_t n) {
  std::mt19937_64 gen(n);
  std::string s(n, '0');
  for (char& c : s) c = static_cast<char>('0' + gen() % 10);
  s[0] = static_cast<char>('1' + gen() % 9);
  return s;
}

struct Operand {
  std::string text;
  Integer x;
  Z z;
  explicit Operand(std::size_t n) : text(decimalDigits(n)), x(num::integerFromString(text)) {
    mpz_set_str(z.z, text.c_str(), 10);
  }
};

void numkitToDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  std::string buf(n + 2, '\0');
  std::to_chars_result r{};
  for (auto _ : state) {
    r = num::to_chars(buf.data(), buf.data() + buf.size(), o.x);
    benchmark::DoNotOptimize(buf.data());
  }
  check(r.ec == std::errc{} && std::string(buf.data(), r.ptr) == o.text, "to_chars");
}

void mpzToDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  std::string buf(mpz_sizeinbase(o.z.z, 10) + 2, '\0');
  for (auto _ : state) {
    mpz_get_str(buf.data(), 10, o.z.z);
    benchmark::DoNotOptimize(buf.data());
  }
  check(std::strcmp(buf.c_str(), o.text.c_str()) == 0, "mpz_get_str");
}

void numkitToString(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  std::string s;
  for (auto _ : state) {
    s = num::toString(o.x);
    benchmark::DoNotOptimize(s.data());
  }
  check(s == o.text, "toString");
}

void mpzToString(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  void (*freeFunc)(void*, std::size_t) = nullptr;
  mp_get_memory_functions(nullptr, nullptr, &freeFunc);
  for (auto _ : state) {
    char* s = mpz_get_str(nullptr, 10, o.z.z);
    benchmark::DoNotOptimize(s);
    freeFunc(s, std::strlen(s) + 1);
  }
}

void numkitFromDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  Integer x;
  for (auto _ : state) {
    x = num::integerFromString(o.text);
    benchmark::DoNotOptimize(x);
  }
  check(x == o.x && numbench::sameValue(x, o.z.z), "integerFromString");
}

void mpzFromDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  Z z;
  for (auto _ : state) {
    mpz_set_str(z.z, o.text.c_str(), 10);
    benchmark::DoNotOptimize(z.z);
  }
  check(mpz_cmp(z.z, o.z.z) == 0, "mpz_set_str");
}

// The native kernels on magnitudes (only multi-word operands reach them).
void nativeToDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  const num::BigNat_& m = o.x.magnitude();
  std::vector<unsigned char> out(num::bigNatDigitsRoom(m.size(), m[m.size() - 1], 10));
  std::size_t count = 0;
  for (auto _ : state) {
    count = num::backend::native::bignat_to_digits(out.data(), m, 10);
    benchmark::DoNotOptimize(out.data());
  }
  check(count == n && out[0] == static_cast<unsigned char>(o.text[0] - '0'), "native digits");
}

void nativeFromDecimal(benchmark::State& state, std::size_t n) {
  const Operand o(n);
  std::vector<unsigned char> digits(n);
  for (std::size_t i = 0; i < n; ++i) digits[i] = static_cast<unsigned char>(o.text[i] - '0');
  num::BigNat_ m;
  for (auto _ : state) {
    m = num::backend::native::bignat_from_digits(digits.data(), n, 10);
    benchmark::DoNotOptimize(m);
  }
  check(num::bigNatEq(m, o.x.magnitude()), "native magnitude");
}

#define TEXT_BENCH(digits, name, unit)                                                            \
  BENCHMARK_CAPTURE(numkitToDecimal, name, digits)->Name("numkit/to_decimal/" #name)->Unit(unit); \
  BENCHMARK_CAPTURE(mpzToDecimal, name, digits)->Name("mpz/to_decimal/" #name)->Unit(unit);       \
  BENCHMARK_CAPTURE(nativeToDecimal, name, digits)->Name("native/to_decimal/" #name)->Unit(unit); \
  BENCHMARK_CAPTURE(numkitToString, name, digits)->Name("numkit/to_string/" #name)->Unit(unit);   \
  BENCHMARK_CAPTURE(mpzToString, name, digits)->Name("mpz/to_string/" #name)->Unit(unit);         \
  BENCHMARK_CAPTURE(numkitFromDecimal, name, digits)                                              \
      ->Name("numkit/from_decimal/" #name)                                                        \
      ->Unit(unit);                                                                               \
  BENCHMARK_CAPTURE(mpzFromDecimal, name, digits)->Name("mpz/from_decimal/" #name)->Unit(unit);   \
  BENCHMARK_CAPTURE(nativeFromDecimal, name, digits)->Name("native/from_decimal/" #name)->Unit(unit)

TEXT_BENCH(100, 1e2, benchmark::kNanosecond);
TEXT_BENCH(10000, 1e4, benchmark::kMicrosecond);
TEXT_BENCH(1000000, 1e6, benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
