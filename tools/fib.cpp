// numkit-fib: prints the n-th Fibonacci number in decimal, or in
// hexadecimal with --hex.
//
// Usage: numkit-fib [--hex] [n]     (default n = 1000; F(0) = 0, F(1) = 1)
//
// The number is computed with repeated BigNat additions and printed with
// num::toString.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"
#include "Num/Text.hpp"

namespace {

constexpr unsigned long kDefaultN = 1000;
// F(n) has about 0.69 n bits; beyond this the quadratic loop would run for
// hours, which is never what a caller of a demo wants.
constexpr unsigned long kMaxN = 10'000'000;

int usage(const char* prog, const char* why, std::string_view arg) {
  std::fprintf(stderr, "%s: %s: '%.*s'\nusage: %s [--hex] [n]   (0 <= n <= %lu, default %lu)\n",
               prog, why, static_cast<int>(arg.size()), arg.data(), prog, kMaxN, kDefaultN);
  return 2;
}

num::BigNat_ fibonacci(unsigned long n) {
  num::BigNat_ a = num::bigNatZero_();
  num::BigNat_ b = num::bigNatOne_();
  for (unsigned long i = 0; i < n; ++i) {
    num::BigNat_ next = num::bigNatAdd(a, b);
    a = std::move(b);
    b = std::move(next);
  }
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  const char* prog = argc > 0 ? argv[0] : "numkit-fib";
  int first = 1;
  const bool hex = argc > 1 && std::string_view(argv[1]) == "--hex";
  if (hex) ++first;
  if (argc > first + 1) return usage(prog, "too many arguments", argv[first + 1]);
  unsigned long n = kDefaultN;
  if (argc == first + 1) {
    const std::string_view arg = argv[first];
    const char* end = arg.data() + arg.size();
    const auto [ptr, ec] = std::from_chars(arg.data(), end, n);
    if (arg.empty() || ec == std::errc::invalid_argument || ptr != end) {
      return usage(prog, "n must be a non-negative decimal integer", arg);
    }
    if (ec == std::errc::result_out_of_range || n > kMaxN)
      return usage(prog, "n is too large", arg);
  }
  const num::Natural f = num::naturalFromBigNat_(fibonacci(n));
  const std::string text = hex ? "0x" + num::toString(f, 16) : num::toString(f);
  std::printf("F(%lu) = %s\n", n, text.c_str());
  return 0;
}
