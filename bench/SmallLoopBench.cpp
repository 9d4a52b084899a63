// Small multiplicative loops on Integer, on GMP's mpz (C API, in place) and
// on mpz_class.
//
// Each benchmark iteration runs kSteps steps of x = (x * y + z) rem m, with
// y and z read in turn from fixed tables of signed values, so nothing folds
// and the signs vary.  The remainder is truncating on every side (Integer's
// %, mpz_tdiv_r, mpz_class's %).
// - crossing: m = 2^61 - 1, |y| in [2, 16], |z| < 2^62, so |x * y| runs up
//   to 2^65 and the product or the sum leaves the signed word in about half
//   of the steps (the numkit run reports the share as multiword_steps).
// - single_word: m = 2^31 - 1, |y| < 2^27, |z| < 2^57: every value stays
//   below 2^59 in magnitude.
// per_step is the time of one step.  Every run checks its final x against
// the same loop on __int128 and aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>
#include <gmpxx.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Num/Integer.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Integer;
using numbench::check;
using numbench::Z;

constexpr long kSteps = 100'000;
constexpr std::size_t kTable = 1024;  // a power of two

struct Params {
  std::vector<std::int64_t> ys, zs;
  std::int64_t m, start;
};

// A value of magnitude in [low, high] with a random sign.
std::int64_t signedIn(std::mt19937_64& gen, std::int64_t low, std::int64_t high) {
  const auto span = static_cast<std::uint64_t>(high - low) + 1;
  const auto v = low + static_cast<std::int64_t>(gen() % span);
  return (gen() & 1) != 0 ? -v : v;
}

Params crossingParams() {
  std::mt19937_64 gen(3);
  Params p;
  p.m = (std::int64_t{1} << 61) - 1;
  p.start = 0x123456789abcdefLL;
  for (std::size_t i = 0; i < kTable; ++i) {
    p.ys.push_back(signedIn(gen, 2, 16));
    p.zs.push_back(signedIn(gen, 0, (std::int64_t{1} << 62) - 1));
  }
  return p;
}

Params singleWordParams() {
  std::mt19937_64 gen(4);
  Params p;
  p.m = (std::int64_t{1} << 31) - 1;
  p.start = 0x1234567;
  for (std::size_t i = 0; i < kTable; ++i) {
    p.ys.push_back(signedIn(gen, 2, (std::int64_t{1} << 27) - 1));
    p.zs.push_back(signedIn(gen, 0, (std::int64_t{1} << 57) - 1));
  }
  return p;
}

// The final x of one iteration, on 128-bit machine integers.
std::int64_t expectedFinal(const Params& p) {
  std::int64_t x = p.start;
  for (long i = 0; i < kSteps; ++i) {
    const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
    const __int128 t = static_cast<__int128>(x) * p.ys[k] + p.zs[k];
    x = static_cast<std::int64_t>(t % p.m);
  }
  return x;
}

void perStep(benchmark::State& state) {
  state.counters["per_step"] = benchmark::Counter(
      kSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void runInteger(benchmark::State& state, const Params& p) {
  const std::vector<Integer> ys(p.ys.begin(), p.ys.end());
  const std::vector<Integer> zs(p.zs.begin(), p.zs.end());
  const Integer m(p.m);
  // One untimed pass counts the steps whose product or sum leaves the word.
  long multiWord = 0;
  Integer x(p.start);
  for (long i = 0; i < kSteps; ++i) {
    const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
    const Integer prod = x * ys[k];
    const Integer sum = prod + zs[k];
    multiWord += prod.isIS() && sum.isIS() ? 0 : 1;
    x = sum % m;
  }
  state.counters["multiword_steps"] = static_cast<double>(multiWord) / kSteps;
  for (auto _ : state) {
    x = Integer(p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      x = (x * ys[k] + zs[k]) % m;
    }
    benchmark::DoNotOptimize(x);
  }
  check(x == Integer(expectedFinal(p)), "Integer loop");
  perStep(state);
}

void runMpz(benchmark::State& state, const Params& p) {
  std::vector<Z> ys(kTable), zs(kTable);
  for (std::size_t k = 0; k < kTable; ++k) {
    mpz_set_si(ys[k].z, p.ys[k]);
    mpz_set_si(zs[k].z, p.zs[k]);
  }
  Z m(p.m), x;
  for (auto _ : state) {
    mpz_set_si(x.z, p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      mpz_mul(x.z, x.z, ys[k].z);
      mpz_add(x.z, x.z, zs[k].z);
      mpz_tdiv_r(x.z, x.z, m.z);
    }
    benchmark::DoNotOptimize(x.z);
  }
  check(mpz_cmp_si(x.z, expectedFinal(p)) == 0, "mpz loop");
  perStep(state);
}

void runMpzClass(benchmark::State& state, const Params& p) {
  std::vector<mpz_class> ys, zs;
  for (std::size_t k = 0; k < kTable; ++k) {
    ys.emplace_back(static_cast<long>(p.ys[k]));
    zs.emplace_back(static_cast<long>(p.zs[k]));
  }
  const mpz_class m(static_cast<long>(p.m));
  mpz_class x;
  for (auto _ : state) {
    x = static_cast<long>(p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      x = (x * ys[k] + zs[k]) % m;
    }
    benchmark::DoNotOptimize(x);
  }
  check(x == static_cast<long>(expectedFinal(p)), "mpz_class loop");
  perStep(state);
}

void Crossing_Integer(benchmark::State& s) { runInteger(s, crossingParams()); }
void Crossing_Mpz(benchmark::State& s) { runMpz(s, crossingParams()); }
void Crossing_MpzClass(benchmark::State& s) { runMpzClass(s, crossingParams()); }
void SingleWord_Integer(benchmark::State& s) { runInteger(s, singleWordParams()); }
void SingleWord_Mpz(benchmark::State& s) { runMpz(s, singleWordParams()); }
void SingleWord_MpzClass(benchmark::State& s) { runMpzClass(s, singleWordParams()); }

BENCHMARK(Crossing_Integer)->Name("numkit/crossing")->Unit(benchmark::kMicrosecond);
BENCHMARK(Crossing_Mpz)->Name("mpz/crossing")->Unit(benchmark::kMicrosecond);
BENCHMARK(Crossing_MpzClass)->Name("mpz_class/crossing")->Unit(benchmark::kMicrosecond);
BENCHMARK(SingleWord_Integer)->Name("numkit/single_word")->Unit(benchmark::kMicrosecond);
BENCHMARK(SingleWord_Mpz)->Name("mpz/single_word")->Unit(benchmark::kMicrosecond);
BENCHMARK(SingleWord_MpzClass)->Name("mpz_class/single_word")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
