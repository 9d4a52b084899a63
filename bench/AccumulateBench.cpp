// A sum of products into a growing accumulator: kPairs products x * y of
// 63-bit values added up, on Integer (acc += x * y), on GMP's mpz (C API,
// mpz_addmul into the accumulator) and on mpz_class (acc += x * y).
//
// The factors are read in turn from two fixed tables of kTable values in
// [2^62, 2^63), so every product takes two limbs and the accumulator grows to
// three.  Every run checks its sum against the same sum on 128-bit machine
// words with a carry count, and aborts when they differ.
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
using num::Word;
using numbench::check;
using numbench::Z;

constexpr long kPairs = 1'000'000;
constexpr std::size_t kTable = 4096;  // a power of two

struct Tables {
  std::vector<Word> xs, ys;
  std::vector<Word> sum;  // the expected sum, least significant limb first
};

const Tables& tables() {
  static const Tables t = [] {
    std::mt19937_64 gen(5);
    Tables r;
    for (std::size_t i = 0; i < kTable; ++i) {
      r.xs.push_back((gen() >> 1) | (Word{1} << 62));
      r.ys.push_back((gen() >> 1) | (Word{1} << 62));
    }
    unsigned __int128 low = 0;
    Word high = 0;
    for (long i = 0; i < kPairs; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      const unsigned __int128 p = static_cast<unsigned __int128>(r.xs[k]) * r.ys[k];
      low += p;
      high += low < p ? 1 : 0;
    }
    r.sum = {static_cast<Word>(low), static_cast<Word>(low >> 64), high};
    return r;
  }();
  return t;
}

void numkitAccumulate(benchmark::State& state) {
  const Tables& t = tables();
  const std::vector<Integer> xs(t.xs.begin(), t.xs.end());
  const std::vector<Integer> ys(t.ys.begin(), t.ys.end());
  Integer acc;
  for (auto _ : state) {
    acc = Integer();
    for (long i = 0; i < kPairs; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      acc += xs[k] * ys[k];
    }
    benchmark::DoNotOptimize(acc);
  }
  check(acc == numbench::integerFromLimbs(t.sum), "Integer sum");
}

void mpzAccumulate(benchmark::State& state) {
  const Tables& t = tables();
  std::vector<Z> xs(kTable), ys(kTable);
  for (std::size_t k = 0; k < kTable; ++k) {
    mpz_set_ui(xs[k].z, static_cast<unsigned long>(t.xs[k]));
    mpz_set_ui(ys[k].z, static_cast<unsigned long>(t.ys[k]));
  }
  Z acc;
  for (auto _ : state) {
    mpz_set_ui(acc.z, 0);
    for (long i = 0; i < kPairs; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      mpz_addmul(acc.z, xs[k].z, ys[k].z);
    }
    benchmark::DoNotOptimize(acc.z);
  }
  Z expected;
  numbench::mpzFromLimbs(expected.z, t.sum);
  check(mpz_cmp(acc.z, expected.z) == 0, "mpz sum");
}

void mpzClassAccumulate(benchmark::State& state) {
  const Tables& t = tables();
  std::vector<mpz_class> xs, ys;
  for (std::size_t k = 0; k < kTable; ++k) {
    xs.emplace_back(static_cast<unsigned long>(t.xs[k]));
    ys.emplace_back(static_cast<unsigned long>(t.ys[k]));
  }
  mpz_class acc;
  for (auto _ : state) {
    acc = 0;
    for (long i = 0; i < kPairs; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      acc += xs[k] * ys[k];
    }
    benchmark::DoNotOptimize(acc);
  }
  Z expected;
  numbench::mpzFromLimbs(expected.z, t.sum);
  check(mpz_cmp(acc.get_mpz_t(), expected.z) == 0, "mpz_class sum");
}

BENCHMARK(numkitAccumulate)->Name("numkit/sum_of_products")->Unit(benchmark::kMillisecond);
BENCHMARK(mpzAccumulate)->Name("mpz/sum_of_products")->Unit(benchmark::kMillisecond);
BENCHMARK(mpzClassAccumulate)->Name("mpz_class/sum_of_products")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
