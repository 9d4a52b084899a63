// Additive loops on Integer, on GMP's mpz and on checked int64_t.
//
// Each benchmark iteration runs kSteps steps of acc = acc + x - y, pulling
// acc back into a band with one more addition or subtraction whenever a
// comparison finds it outside.  The operands come from fixed tables read in
// turn, so nothing folds.
// - SingleWord: every value stays far inside one signed word.
// - Crossing: the band straddles 2^63, so acc and the intermediate sums leave
//   the word every few steps and come back (allocation and demotion).
// The ratios at the end compare the Integer times with the mpz and int64_t
// times of the same run.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "Num/Integer.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Integer;

constexpr long kSteps = 10'000'000;
constexpr std::size_t kTable = 1024;  // a power of two

// An owning mpz_t.
struct Z {
  Z() { mpz_init(z); }
  explicit Z(std::int64_t v) { mpz_init_set_si(z, v); }
  Z(const Z&) = delete;
  Z& operator=(const Z&) = delete;
  ~Z() { mpz_clear(z); }
  mpz_t z;
};

// The mpz of a non-negative value below 2^64.
void setWord(mpz_t z, std::uint64_t w) { mpz_set_ui(z, static_cast<unsigned long>(w)); }

// The operand tables and the band of one loop.
struct Params {
  std::vector<std::uint64_t> xs, ys;  // the values added and subtracted
  std::uint64_t start, low, high, pull;
};

Params singleWordParams() {
  std::mt19937_64 gen(1);
  Params p;
  for (std::size_t i = 0; i < kTable; ++i) {
    p.xs.push_back(gen() % 1000);
    p.ys.push_back(gen() % 900);
  }
  p.start = 0;
  p.low = 0;  // never below: the walk drifts upwards
  p.high = 1'000'000'000'000;
  p.pull = 999'999'999'000;
  return p;
}

// acc moves in steps of up to 2^61 within [2^61, 2^63 + 2^61], so acc + x
// passes 2^63 in about one step in six and the difference often comes back.
Params crossingParams() {
  std::mt19937_64 gen(2);
  Params p;
  for (std::size_t i = 0; i < kTable; ++i) {
    p.xs.push_back(gen() >> 3);
    p.ys.push_back(gen() >> 3);
  }
  p.start = std::uint64_t{1} << 62;
  p.low = std::uint64_t{1} << 61;
  p.high = (std::uint64_t{1} << 63) + (std::uint64_t{1} << 61);
  p.pull = std::uint64_t{1} << 62;
  return p;
}

[[noreturn]] [[gnu::noinline]] void overflowed() {
  throw std::overflow_error("int64_t loop overflowed");
}

void runInt64(benchmark::State& state, const Params& p) {
  std::vector<std::int64_t> xs(p.xs.begin(), p.xs.end());
  std::vector<std::int64_t> ys(p.ys.begin(), p.ys.end());
  const auto low = static_cast<std::int64_t>(p.low);
  const auto high = static_cast<std::int64_t>(p.high);
  const auto pull = static_cast<std::int64_t>(p.pull);
  for (auto _ : state) {
    auto acc = static_cast<std::int64_t>(p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      std::int64_t t;
      if (__builtin_add_overflow(acc, xs[k], &t)) overflowed();
      if (__builtin_sub_overflow(t, ys[k], &acc)) overflowed();
      if (acc > high && __builtin_sub_overflow(acc, pull, &acc)) overflowed();
      if (acc < low && __builtin_add_overflow(acc, pull, &acc)) overflowed();
      benchmark::DoNotOptimize(acc);
    }
  }
}

void runInteger(benchmark::State& state, const Params& p) {
  std::vector<Integer> xs(p.xs.begin(), p.xs.end());
  std::vector<Integer> ys(p.ys.begin(), p.ys.end());
  const Integer low(p.low);
  const Integer high(p.high);
  const Integer pull(p.pull);
  // One untimed pass counts the steps whose sum leaves the word.
  long multiWord = 0;
  Integer acc(p.start);
  for (long i = 0; i < kSteps; ++i) {
    const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
    const Integer sum = acc + xs[k];
    acc = sum - ys[k];
    multiWord += sum.isIS() && acc.isIS() ? 0 : 1;
    if (acc > high) acc -= pull;
    if (acc < low) acc += pull;
  }
  state.counters["multiword_steps"] = static_cast<double>(multiWord) / kSteps;
  for (auto _ : state) {
    acc = Integer(p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      acc = acc + xs[k] - ys[k];
      if (acc > high) acc -= pull;
      if (acc < low) acc += pull;
      benchmark::DoNotOptimize(acc);
    }
  }
}

void runMpz(benchmark::State& state, const Params& p) {
  std::vector<Z> xs(kTable);
  std::vector<Z> ys(kTable);
  for (std::size_t k = 0; k < kTable; ++k) {
    setWord(xs[k].z, p.xs[k]);
    setWord(ys[k].z, p.ys[k]);
  }
  Z low, high, pull, acc;
  setWord(low.z, p.low);
  setWord(high.z, p.high);
  setWord(pull.z, p.pull);
  for (auto _ : state) {
    setWord(acc.z, p.start);
    for (long i = 0; i < kSteps; ++i) {
      const std::size_t k = static_cast<std::size_t>(i) & (kTable - 1);
      mpz_add(acc.z, acc.z, xs[k].z);
      mpz_sub(acc.z, acc.z, ys[k].z);
      if (mpz_cmp(acc.z, high.z) > 0) mpz_sub(acc.z, acc.z, pull.z);
      if (mpz_cmp(acc.z, low.z) < 0) mpz_add(acc.z, acc.z, pull.z);
      benchmark::DoNotOptimize(acc.z);
    }
  }
}

void SingleWord_Int64(benchmark::State& s) { runInt64(s, singleWordParams()); }
void SingleWord_Integer(benchmark::State& s) { runInteger(s, singleWordParams()); }
void SingleWord_Mpz(benchmark::State& s) { runMpz(s, singleWordParams()); }
void Crossing_Integer(benchmark::State& s) { runInteger(s, crossingParams()); }
void Crossing_Mpz(benchmark::State& s) { runMpz(s, crossingParams()); }

BENCHMARK(SingleWord_Int64)->Name("int64/single_word")->Unit(benchmark::kMillisecond);
BENCHMARK(SingleWord_Integer)->Name("numkit/single_word")->Unit(benchmark::kMillisecond);
BENCHMARK(SingleWord_Mpz)->Name("mpz/single_word")->Unit(benchmark::kMillisecond);
BENCHMARK(Crossing_Integer)->Name("numkit/crossing")->Unit(benchmark::kMillisecond);
BENCHMARK(Crossing_Mpz)->Name("mpz/crossing")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
