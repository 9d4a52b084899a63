// numkit-fib: prints the n-th Fibonacci number in hexadecimal.
//
// Usage: numkit-fib [n]     (default n = 1000; F(0) = 0, F(1) = 1)
//
// The number is computed with repeated BigNat additions and printed from its
// word list, most significant word first.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "Num/BigNat.hpp"

namespace {

constexpr unsigned long kDefaultN = 1000;
// F(n) has about 0.69 n bits; beyond this the quadratic loop would run for
// hours, which is never what a caller of a demo wants.
constexpr unsigned long kMaxN = 10'000'000;

int usage(const char* prog, const char* why, std::string_view arg) {
  std::fprintf(stderr, "%s: %s: '%.*s'\nusage: %s [n]   (0 <= n <= %lu, default %lu)\n", prog, why,
               static_cast<int>(arg.size()), arg.data(), prog, kMaxN, kDefaultN);
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

void printHex(const num::BigNat_& x) {
  const std::vector<num::Word> words = num::bigNatToWordList(x);
  if (words.empty()) {
    std::puts("0x0");
    return;
  }
  std::printf("0x%lx", static_cast<unsigned long>(words.front()));
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::printf("%016lx", static_cast<unsigned long>(words[i]));
  }
  std::putchar('\n');
}

}  // namespace

int main(int argc, char** argv) {
  const char* prog = argc > 0 ? argv[0] : "numkit-fib";
  if (argc > 2) return usage(prog, "too many arguments", argv[2]);
  unsigned long n = kDefaultN;
  if (argc == 2) {
    const std::string_view arg = argv[1];
    const char* end = arg.data() + arg.size();
    const auto [ptr, ec] = std::from_chars(arg.data(), end, n);
    if (arg.empty() || ec == std::errc::invalid_argument || ptr != end) {
      return usage(prog, "n must be a non-negative decimal integer", arg);
    }
    if (ec == std::errc::result_out_of_range || n > kMaxN)
      return usage(prog, "n is too large", arg);
  }
  std::printf("F(%lu) = ", n);
  printHex(fibonacci(n));
  return 0;
}
