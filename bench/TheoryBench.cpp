// Number theory against GMP's mpz on the same inputs:
// - factorial/20000: num::factorial vs mpz_fac_ui;
// - isqrt/N: the square root with remainder of an N-limb value (num::isqrtRem
//   vs mpz_sqrtrem);
// - nextprime/N: the next prime after an N-limb value (num::nextPrime vs
//   mpz_nextprime);
// - isprime/N: the primality test of an N-limb prime (num::isProbablePrime
//   with no extra rounds vs mpz_probab_prime_p with BPSW only).
// After its timed loop every numkit run compares its result with mpz's and
// aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <random>
#include <vector>

#include "Num/Theory.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Natural;
using numbench::check;
using numbench::sameValue;
using numbench::Z;

// An N-limb value from a fixed seed, as a Natural and as mpz.
struct Operand {
  Natural n;
  Z z;
  explicit Operand(std::size_t limbs) {
    std::mt19937_64 gen(7);
    const std::vector<num::Word> l = numbench::randomLimbs(gen, limbs);
    n = Natural(numbench::integerFromLimbs(l));
    numbench::mpzFromLimbs(z.z, l);
  }
};

void Factorial_Numkit(benchmark::State& state) {
  Natural r;
  for (auto _ : state) benchmark::DoNotOptimize(r = num::factorial(20000));
  Z want;
  mpz_fac_ui(want.z, 20000);
  check(sameValue(r, want.z), "factorial");
}
void Factorial_Mpz(benchmark::State& state) {
  Z r;
  for (auto _ : state) {
    mpz_fac_ui(r.z, 20000);
    benchmark::DoNotOptimize(r.z);
  }
}

void Isqrt_Numkit(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  std::pair<Natural, Natural> r;
  for (auto _ : state) benchmark::DoNotOptimize(r = num::isqrtRem(x.n));
  Z s, rem;
  mpz_sqrtrem(s.z, rem.z, x.z.z);
  check(sameValue(r.first, s.z) && sameValue(r.second, rem.z), "isqrtRem");
}
void Isqrt_Mpz(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  Z s, rem;
  for (auto _ : state) {
    mpz_sqrtrem(s.z, rem.z, x.z.z);
    benchmark::DoNotOptimize(s.z);
  }
}

void NextPrime_Numkit(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  Natural r;
  for (auto _ : state) benchmark::DoNotOptimize(r = num::nextPrime(x.n));
  Z want;
  mpz_nextprime(want.z, x.z.z);
  check(sameValue(r, want.z), "nextPrime");
}
void NextPrime_Mpz(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  Z r;
  for (auto _ : state) {
    mpz_nextprime(r.z, x.z.z);
    benchmark::DoNotOptimize(r.z);
  }
}

void IsPrime_Numkit(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  const Natural p = num::nextPrime(x.n);
  bool r = false;
  for (auto _ : state) benchmark::DoNotOptimize(r = num::isProbablePrime(p, 0));
  check(r, "isProbablePrime");
}
void IsPrime_Mpz(benchmark::State& state) {
  const Operand x(static_cast<std::size_t>(state.range(0)));
  Z p;
  mpz_nextprime(p.z, x.z.z);
  for (auto _ : state) benchmark::DoNotOptimize(mpz_probab_prime_p(p.z, 24));
}

}  // namespace

BENCHMARK(Factorial_Numkit)->Name("numkit/factorial/20000")->Unit(benchmark::kMillisecond);
BENCHMARK(Factorial_Mpz)->Name("mpz/factorial/20000")->Unit(benchmark::kMillisecond);
BENCHMARK(Isqrt_Numkit)->Name("numkit/isqrt")->Arg(2)->Arg(16)->Arg(256);
BENCHMARK(Isqrt_Mpz)->Name("mpz/isqrt")->Arg(2)->Arg(16)->Arg(256);
BENCHMARK(NextPrime_Numkit)->Name("numkit/nextprime")->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(NextPrime_Mpz)->Name("mpz/nextprime")->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(IsPrime_Numkit)->Name("numkit/isprime")->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(IsPrime_Mpz)->Name("mpz/isprime")->Arg(1)->Arg(4)->Arg(16);

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
