// Hashing: std::hash of single-word Integers and Naturals against
// std::hash<std::int64_t> on the same values; and of multi-limb values
// against reading (XORing) the limbs of mpz values of the same size: GMP has
// no hash, and reading every limb is the floor of any hash that uses them.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "Num/Hash.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Integer;
using num::Natural;

constexpr std::size_t kValues = 4096;

std::vector<std::int64_t> words() {
  std::mt19937_64 gen(42);
  std::vector<std::int64_t> v(kValues);
  for (auto& x : v) x = static_cast<std::int64_t>(gen() >> (gen() % 64));
  return v;
}

void SingleWord_Int64(benchmark::State& state) {
  const std::vector<std::int64_t> v = words();
  for (auto _ : state) {
    std::size_t acc = 0;
    for (const std::int64_t x : v) acc += std::hash<std::int64_t>{}(x);
    benchmark::DoNotOptimize(acc);
  }
}
void SingleWord_Integer(benchmark::State& state) {
  const std::vector<std::int64_t> w = words();
  const std::vector<Integer> v(w.begin(), w.end());
  for (auto _ : state) {
    std::size_t acc = 0;
    for (const Integer& x : v) acc += std::hash<Integer>{}(x);
    benchmark::DoNotOptimize(acc);
  }
}
void SingleWord_Natural(benchmark::State& state) {
  const std::vector<std::int64_t> w = words();
  std::vector<Natural> v;
  for (const std::int64_t x : w) v.emplace_back(static_cast<std::uint64_t>(x));
  for (auto _ : state) {
    std::size_t acc = 0;
    for (const Natural& x : v) acc += std::hash<Natural>{}(x);
    benchmark::DoNotOptimize(acc);
  }
}

// One hash per use, as a hash table takes them: each hash picks a slot of a
// table of 4096 counters, whose value is added up.  The int64 loop has to
// load each value to hash it (a loop that only passes each hash to
// DoNotOptimize compiles to no load at all for the identity hash), and the
// loads from the table cannot be turned into a vector sum.
constexpr std::size_t kSlots = 4096;  // a power of two

template <class Key>
void EachWord(benchmark::State& state) {
  const std::vector<std::int64_t> w = words();
  const std::vector<Key> v(w.begin(), w.end());
  std::vector<std::size_t> slots(kSlots);
  for (std::size_t i = 0; i < kSlots; ++i) slots[i] = i;
  for (auto _ : state) {
    std::size_t sum = 0;
    for (const Key& x : v) sum += slots[std::hash<Key>{}(x) & (kSlots - 1)];
    benchmark::DoNotOptimize(sum);
  }
}

// Values of state.range(0) limbs.
void MultiLimb_Integer(benchmark::State& state) {
  const auto limbs = static_cast<num::Word>(state.range(0));
  std::vector<Integer> v;
  for (std::size_t i = 0; i < 256; ++i) v.push_back(Integer(num::naturalBit(64 * limbs - 1)) + i);
  for (auto _ : state) {
    std::size_t acc = 0;
    for (const Integer& x : v) acc += std::hash<Integer>{}(x);
    benchmark::DoNotOptimize(acc);
  }
}
void MultiLimb_Mpz(benchmark::State& state) {
  const auto limbs = static_cast<mp_bitcnt_t>(state.range(0));
  std::vector<mpz_t> v(256);
  for (std::size_t i = 0; i < v.size(); ++i) {
    mpz_init(v[i]);
    mpz_setbit(v[i], 64 * limbs - 1);
    mpz_add_ui(v[i], v[i], i);
  }
  for (auto _ : state) {
    std::size_t acc = 0;
    for (const mpz_t& x : v) {
      const mp_limb_t* p = mpz_limbs_read(x);
      for (std::size_t i = 0; i < mpz_size(x); ++i) acc ^= p[i];  // a sum of the limbs
    }
    benchmark::DoNotOptimize(acc);
  }
  for (mpz_t& x : v) mpz_clear(x);
}

}  // namespace

BENCHMARK(SingleWord_Int64)->Name("int64/hash_single_word");
BENCHMARK(SingleWord_Integer)->Name("numkit/hash_single_word");
BENCHMARK(SingleWord_Natural)->Name("numkit/hash_single_word_natural");
BENCHMARK(EachWord<std::int64_t>)->Name("int64/hash_each_word");
BENCHMARK(EachWord<Integer>)->Name("numkit/hash_each_word");
BENCHMARK(MultiLimb_Integer)->Name("numkit/hash_limbs")->Arg(2)->Arg(8)->Arg(64);
BENCHMARK(MultiLimb_Mpz)->Name("mpz/hash_limbs")->Arg(2)->Arg(8)->Arg(64);

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
