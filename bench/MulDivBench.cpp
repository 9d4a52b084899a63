// Multiplicative Integer operations against GMP's mpz (C API, outputs
// initialised beforehand and reused, as a caller keeping its variables would
// have them), on the same seeded operands:
// - mul/NxN: the product of two N-limb values (Integer * vs mpz_mul);
// - quotrem/2NbyN: the truncating quotient and remainder of a 2N-limb value by
//   an N-limb one (integerQuotRem_ vs mpz_tdiv_qr);
// - gcd/500: two 500-limb values with a common factor of 100 limbs
//   (integerGcd vs mpz_gcd);
// - powmod/2048bit: base, exponent and odd modulus of 2048 bits
//   (integerPowMod_ vs mpz_powm);
// - factorial/20000: 1 * 2 * ... * 20000 by one word multiplication a step
//   (Integer *= vs mpz_mul_ui).
// After its timed loop every numkit run compares its result with mpz's (the
// factorial with mpz_fac_ui) and aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstddef>
#include <optional>
#include <random>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"
#include "support/Timing.hpp"

namespace {

using num::Integer;
using num::Natural;
using num::Word;
using numbench::check;
using numbench::sameValue;
using numbench::Z;

// Two operands of the given sizes from one seed, as Integer and as mpz.
struct Pair {
  Integer a, b;
  Z za, zb;
  Pair(std::size_t na, std::size_t nb, unsigned seed) {
    std::mt19937_64 gen(seed);
    const std::vector<Word> la = numbench::randomLimbs(gen, na);
    const std::vector<Word> lb = numbench::randomLimbs(gen, nb);
    a = numbench::integerFromLimbs(la);
    b = numbench::integerFromLimbs(lb);
    numbench::mpzFromLimbs(za.z, la);
    numbench::mpzFromLimbs(zb.z, lb);
  }
};

void numkitMul(benchmark::State& state, std::size_t n) {
  const Pair p(n, n, 11);
  const Integer r = numbench::timeResult(state, [&] { return p.a * p.b; });
  Z expected;
  mpz_mul(expected.z, p.za.z, p.zb.z);
  check(sameValue(r, expected.z), "product");
}

void mpzMul(benchmark::State& state, std::size_t n) {
  const Pair p(n, n, 11);
  numbench::timeMpz(state, [&](mpz_ptr r) { mpz_mul(r, p.za.z, p.zb.z); });
}

void numkitQuotRem(benchmark::State& state, std::size_t n) {
  const Pair p(2 * n, n, 12);
  numbench::timeQuotRem(state, p.a, p.b, p.za.z, p.zb.z);
}

void mpzQuotRem(benchmark::State& state, std::size_t n) {
  const Pair p(2 * n, n, 12);
  Z q, r;
  mpz_tdiv_qr(q.z, r.z, p.za.z, p.zb.z);
  for (auto _ : state) {
    mpz_tdiv_qr(q.z, r.z, p.za.z, p.zb.z);
    benchmark::DoNotOptimize(q.z);
    benchmark::DoNotOptimize(r.z);
  }
}

// a = g * u and b = g * v: 500 limbs each, with a common factor g of 100.
struct GcdOperands {
  Integer a, b;
  Z za, zb, zg;
  GcdOperands() {
    const Pair g(100, 100, 13);
    const Pair uv(400, 400, 14);
    mpz_set(zg.z, g.za.z);
    mpz_mul(za.z, g.za.z, uv.za.z);
    mpz_mul(zb.z, g.za.z, uv.zb.z);
    a = g.a * uv.a;
    b = g.a * uv.b;
    check(sameValue(a, za.z) && sameValue(b, zb.z), "gcd operands");
  }
};

void numkitGcd(benchmark::State& state) {
  const GcdOperands o;
  const Integer r = numbench::timeResult(state, [&] { return num::integerGcd(o.a, o.b); });
  Z expected;
  mpz_gcd(expected.z, o.za.z, o.zb.z);
  check(mpz_divisible_p(expected.z, o.zg.z) != 0, "mpz gcd");
  check(sameValue(r, expected.z), "gcd");
}

void mpzGcd(benchmark::State& state) {
  const GcdOperands o;
  numbench::timeMpz(state, [&](mpz_ptr r) { mpz_gcd(r, o.za.z, o.zb.z); });
}

// Base, exponent and modulus of 2048 bits (32 limbs each), the modulus odd.
struct PowModOperands {
  Integer b, e;
  Natural m;
  Z zb, ze, zm;
  PowModOperands() {
    std::mt19937_64 gen(15);
    std::vector<Word> lb = numbench::randomLimbs(gen, 32);
    std::vector<Word> le = numbench::randomLimbs(gen, 32);
    std::vector<Word> lm = numbench::randomLimbs(gen, 32);
    for (auto* l : {&lb, &le, &lm}) l->back() |= Word{1} << 63;
    lm.front() |= 1;
    b = numbench::integerFromLimbs(lb);
    e = numbench::integerFromLimbs(le);
    m = num::naturalFromWordList(std::vector<Word>(lm.rbegin(), lm.rend()));
    numbench::mpzFromLimbs(zb.z, lb);
    numbench::mpzFromLimbs(ze.z, le);
    numbench::mpzFromLimbs(zm.z, lm);
  }
};

void numkitPowMod(benchmark::State& state) {
  const PowModOperands o;
  const std::optional<Natural> r =
      numbench::timeResult(state, [&] { return num::integerPowMod_(o.b, o.e, o.m); });
  Z expected;
  mpz_powm(expected.z, o.zb.z, o.ze.z, o.zm.z);
  check(r.has_value() && sameValue(*r, expected.z), "modular power");
}

void mpzPowMod(benchmark::State& state) {
  const PowModOperands o;
  numbench::timeMpz(state, [&](mpz_ptr r) { mpz_powm(r, o.zb.z, o.ze.z, o.zm.z); });
}

constexpr long kFactorial = 20000;

void numkitFactorial(benchmark::State& state) {
  Integer acc;
  for (auto _ : state) {
    acc = 1;
    for (long i = 2; i <= kFactorial; ++i) acc *= i;
    benchmark::DoNotOptimize(acc);
  }
  Z expected;
  mpz_fac_ui(expected.z, kFactorial);
  check(sameValue(acc, expected.z), "factorial");
}

void mpzFactorial(benchmark::State& state) {
  Z acc;
  for (auto _ : state) {
    mpz_set_ui(acc.z, 1);
    for (long i = 2; i <= kFactorial; ++i) mpz_mul_ui(acc.z, acc.z, static_cast<unsigned long>(i));
    benchmark::DoNotOptimize(acc.z);
  }
  Z expected;
  mpz_fac_ui(expected.z, kFactorial);
  check(mpz_cmp(acc.z, expected.z) == 0, "mpz factorial");
}

BENCHMARK_CAPTURE(numkitMul, 10, 10)->Name("numkit/mul/10x10");
BENCHMARK_CAPTURE(mpzMul, 10, 10)->Name("mpz/mul/10x10");
BENCHMARK_CAPTURE(numkitMul, 1000, 1000)->Name("numkit/mul/1000x1000");
BENCHMARK_CAPTURE(mpzMul, 1000, 1000)->Name("mpz/mul/1000x1000");
BENCHMARK_CAPTURE(numkitQuotRem, 10, 10)->Name("numkit/quotrem/20by10");
BENCHMARK_CAPTURE(mpzQuotRem, 10, 10)->Name("mpz/quotrem/20by10");
BENCHMARK_CAPTURE(numkitQuotRem, 1000, 1000)->Name("numkit/quotrem/2000by1000");
BENCHMARK_CAPTURE(mpzQuotRem, 1000, 1000)->Name("mpz/quotrem/2000by1000");
BENCHMARK(numkitGcd)->Name("numkit/gcd/500");
BENCHMARK(mpzGcd)->Name("mpz/gcd/500");
BENCHMARK(numkitPowMod)->Name("numkit/powmod/2048bit")->Unit(benchmark::kMicrosecond);
BENCHMARK(mpzPowMod)->Name("mpz/powmod/2048bit")->Unit(benchmark::kMicrosecond);
BENCHMARK(numkitFactorial)->Name("numkit/factorial/20000")->Unit(benchmark::kMillisecond);
BENCHMARK(mpzFactorial)->Name("mpz/factorial/20000")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
