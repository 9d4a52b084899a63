// The first kDigits decimal digits of pi by the unbounded spigot, on Integer
// and on GMP's mpz (C API, the same program).
//
// The state is a linear fractional transformation held as (numer, accum,
// denom): term k multiplies it by the matrix (k, 4k + 2; 0, 2k + 1), so that
// accum = (accum + 2 numer)(2k + 1), denom = denom (2k + 1), numer = numer k.
// While numer <= accum, floor((3 numer + accum) / denom) is the next digit d
// once it equals floor((4 numer + accum) / denom); the digit is then taken
// out: accum = 10 (accum - d denom), numer = 10 numer.
//
// Before the benchmarks run, the digits are computed once more by Machin's
// formula on mpz; each run compares its digits with those after its timed
// loop, aborts when they differ, and prints its last ten digits once.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdio>
#include <set>
#include <string>

#include "Num/Integer.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Integer;
using numbench::Z;

constexpr long kDigits = 10000;

std::string spigotInteger(long count) {
  std::string digits;
  digits.reserve(static_cast<std::size_t>(count));
  Integer numer = 1, accum = 0, denom = 1;
  for (long k = 1; static_cast<long>(digits.size()) < count; ++k) {
    const Integer k2 = 2 * k + 1;
    accum = (accum + numer * 2) * k2;
    denom = denom * k2;
    numer = numer * k;
    if (numer > accum) continue;
    const Integer d = (numer * 3 + accum) / denom;
    if (d != (numer * 4 + accum) / denom) continue;
    digits.push_back(static_cast<char>('0' + num::integerToInt(d)));
    accum = (accum - denom * d) * 10;
    numer = numer * 10;
  }
  return digits;
}

std::string spigotMpz(long count) {
  std::string digits;
  digits.reserve(static_cast<std::size_t>(count));
  Z numer(1), accum(0), denom(1), t;
  for (unsigned long k = 1; static_cast<long>(digits.size()) < count; ++k) {
    const unsigned long k2 = 2 * k + 1;
    mpz_addmul_ui(accum.z, numer.z, 2);
    mpz_mul_ui(accum.z, accum.z, k2);
    mpz_mul_ui(denom.z, denom.z, k2);
    mpz_mul_ui(numer.z, numer.z, k);
    if (mpz_cmp(numer.z, accum.z) > 0) continue;
    mpz_mul_ui(t.z, numer.z, 3);
    mpz_add(t.z, t.z, accum.z);
    mpz_tdiv_q(t.z, t.z, denom.z);
    const unsigned long d = mpz_get_ui(t.z);
    mpz_mul_ui(t.z, numer.z, 4);
    mpz_add(t.z, t.z, accum.z);
    mpz_tdiv_q(t.z, t.z, denom.z);
    if (mpz_cmp_ui(t.z, d) != 0) continue;
    digits.push_back(static_cast<char>('0' + d));
    mpz_submul_ui(accum.z, denom.z, d);
    mpz_mul_ui(accum.z, accum.z, 10);
    mpz_mul_ui(numer.z, numer.z, 10);
  }
  return digits;
}

// 10^guarded * arctan(1/x), truncated at every step.
void arctanInverse(mpz_t sum, unsigned long x, unsigned long guarded) {
  Z power, term;
  mpz_ui_pow_ui(power.z, 10, guarded);
  mpz_tdiv_q_ui(power.z, power.z, x);  // 10^guarded / x^(2n + 1)
  mpz_set(sum, power.z);
  for (unsigned long n = 1; mpz_sgn(power.z) != 0; ++n) {
    mpz_tdiv_q_ui(power.z, power.z, x * x);
    mpz_tdiv_q_ui(term.z, power.z, 2 * n + 1);
    if (n % 2 == 1) {
      mpz_sub(sum, sum, term.z);
    } else {
      mpz_add(sum, sum, term.z);
    }
  }
}

// The first `count` digits of pi = 16 arctan(1/5) - 4 arctan(1/239), with
// ten guard digits beyond them.
std::string machinDigits(long count) {
  const auto guarded = static_cast<unsigned long>(count - 1 + 10);
  Z a, b;
  arctanInverse(a.z, 5, guarded);
  arctanInverse(b.z, 239, guarded);
  mpz_mul_ui(a.z, a.z, 16);
  mpz_submul_ui(a.z, b.z, 4);
  mpz_tdiv_q_ui(a.z, a.z, 10'000'000'000UL);
  std::string digits(mpz_sizeinbase(a.z, 10) + 1, '\0');
  mpz_get_str(digits.data(), 10, a.z);
  digits.resize(digits.find('\0'));
  return digits;
}

const std::string& referenceDigits() {
  static const std::string digits = machinDigits(kDigits);
  return digits;
}

// Runs one side's spigot; after the timed loop, checks its digits and prints
// their end (once per side, whatever the repetitions).
void pidigits(benchmark::State& state, std::string (*spigot)(long), const char* side) {
  std::string digits;
  for (auto _ : state) {
    digits = spigot(kDigits);
    benchmark::DoNotOptimize(digits.data());
  }
  numbench::check(digits == referenceDigits(), side);
  static std::set<std::string> printed;
  if (printed.insert(side).second) {
    std::printf("%s: digits %ld-%ld of pi (3 is digit 1): %s\n", side, kDigits - 9, kDigits,
                digits.substr(digits.size() - 10).c_str());
  }
}

BENCHMARK_CAPTURE(pidigits, numkit, spigotInteger, "numkit")
    ->Name("numkit/pidigits/10000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(pidigits, mpz, spigotMpz, "mpz")
    ->Name("mpz/pidigits/10000")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The reference is computed before any timing starts.
  if (referenceDigits().size() != static_cast<std::size_t>(kDigits)) return 1;
  return numbench::runWithRatios(argc, argv);
}
