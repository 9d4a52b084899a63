// BigNat addition, subtraction and comparison against GMP's mpz_add, mpz_sub
// and mpz_cmp on the same operands (mpz outputs initialised beforehand, as a
// caller reusing its variables would have them).
#include <gmp.h>

#include <vector>

#include "Num/BigNat.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::BigNat_;
using num::Word;

struct Operands {
  BigNat_ a, b;
  mpz_t za, zb, zr;
  explicit Operands(long limbs) {
    std::vector<Word> la(static_cast<std::size_t>(limbs)), lb(la.size());
    Word x = 0x9e3779b97f4a7c15ULL;
    for (std::size_t i = 0; i < la.size(); ++i) {
      x = x * 6364136223846793005ULL + 1442695040888963407ULL;
      la[i] = x | (Word{1} << 63);  // a > b, and sums carry often
      x = x * 6364136223846793005ULL + 1442695040888963407ULL;
      lb[i] = x >> 1;
    }
    a = num::bigNatFromWordList(std::vector<Word>(la.rbegin(), la.rend()));
    b = num::bigNatFromWordList(std::vector<Word>(lb.rbegin(), lb.rend()));
    mpz_inits(za, zb, zr, nullptr);
    mpz_import(za, la.size(), -1, sizeof(Word), 0, 0, la.data());
    mpz_import(zb, lb.size(), -1, sizeof(Word), 0, 0, lb.data());
    mpz_add(zr, za, zb);  // the output is sized already
  }
  ~Operands() { mpz_clears(za, zb, zr, nullptr); }
};

void numkitAdd(benchmark::State& state) {
  Operands o(state.range(0));
  for (auto _ : state) {
    BigNat_ r = num::bigNatAdd(o.a, o.b);
    benchmark::DoNotOptimize(r);
  }
}

void mpzAdd(benchmark::State& state) {
  Operands o(state.range(0));
  for (auto _ : state) {
    mpz_add(o.zr, o.za, o.zb);
    benchmark::DoNotOptimize(o.zr);
  }
}

void numkitSub(benchmark::State& state) {
  Operands o(state.range(0));
  for (auto _ : state) {
    auto r = num::bigNatSub(o.a, o.b);
    benchmark::DoNotOptimize(r);
  }
}

void mpzSub(benchmark::State& state) {
  Operands o(state.range(0));
  for (auto _ : state) {
    mpz_sub(o.zr, o.za, o.zb);
    benchmark::DoNotOptimize(o.zr);
  }
}

// Equal operands: the comparison reads every limb.
void numkitCompare(benchmark::State& state) {
  Operands o(state.range(0));
  const BigNat_ c = num::bigNatFromWordList(num::bigNatToWordList(o.a));
  for (auto _ : state) benchmark::DoNotOptimize(num::bigNatCompare(o.a, c));
}

void mpzCompare(benchmark::State& state) {
  Operands o(state.range(0));
  mpz_t c;
  mpz_init_set(c, o.za);
  for (auto _ : state) benchmark::DoNotOptimize(mpz_cmp(o.za, c));
  mpz_clear(c);
}

void sizes(benchmark::internal::Benchmark* b) {
  for (long n : {1, 2, 10, 1000}) b->Arg(n);
}

BENCHMARK(numkitAdd)->Name("numkit/add")->Apply(sizes);
BENCHMARK(mpzAdd)->Name("mpz/add")->Apply(sizes);
BENCHMARK(numkitSub)->Name("numkit/sub")->Apply(sizes);
BENCHMARK(mpzSub)->Name("mpz/sub")->Apply(sizes);
BENCHMARK(numkitCompare)->Name("numkit/compare")->Apply(sizes);
BENCHMARK(mpzCompare)->Name("mpz/compare")->Apply(sizes);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
