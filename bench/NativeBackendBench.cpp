// The native backend's kernels (reported as numkit/...) against the GMP
// backend's kernels of the same name (gmp/...), called directly on the same
// seeded operands, in the default build where both backends are linked:
// - add/1, add/10: bignat_add of two operands of 1 and of 10 limbs;
// - add_word/10, sub/10: bignat_add_word and bignat_sub on 10 limbs;
// - mul/NxN: bignat_mul of two N-limb operands (10, 100, 1000);
// - quotrem/2000by1000: bignat_quotrem of 2000 limbs by 1000;
// - shiftl/100, shiftr/100: shifts of 100 limbs by 100 bits.
// Each iteration allocates its output as the BigNat layer does (from the
// per-thread block cache), so a ratio is what a caller of the kernel sees.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "Num/Backend/GMP.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/WordArray.hpp"
#include "support/RatioReporter.hpp"

namespace {

namespace nat = num::backend::native;
namespace gmp = num::backend::gmp;
using num::Int;
using num::MutableWordArray_;
using num::Word;
using num::WordArray_;

// n random limbs with a non-zero top limb, from a seed.
WordArray_ operand(Int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  MutableWordArray_ m = MutableWordArray_::allocate(n);
  for (Int i = 0; i < n; ++i) m[i] = gen();
  m[n - 1] |= Word{1} << 40;
  return std::move(m).freeze();
}

// Times f(r) with a fresh output r of `room` limbs each iteration.
template <class F>
void timeKernel(benchmark::State& state, Int room, F f) {
  for (auto _ : state) {
    MutableWordArray_ r = MutableWordArray_::allocate(room);
    f(r);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
}

// Registers "numkit/<name>" for the native kernel call and "gmp/<name>" for
// the GMP one; r is the output.
#define BOTH_BACKENDS(name, room, call)                                     \
  do {                                                                      \
    benchmark::RegisterBenchmark("numkit/" name, [=](benchmark::State& s) { \
      timeKernel(s, room, [&](MutableWordArray_& r) { nat::call; });        \
    });                                                                     \
    benchmark::RegisterBenchmark("gmp/" name, [=](benchmark::State& s) {    \
      timeKernel(s, room, [&](MutableWordArray_& r) { gmp::call; });        \
    });                                                                     \
  } while (false)

void registerAll() {
  const WordArray_ a1 = operand(1, 1);
  const WordArray_ b1 = operand(1, 2);
  const WordArray_ a10 = operand(10, 3);
  const WordArray_ b10 = operand(10, 4);
  const WordArray_ a100 = operand(100, 5);
  const WordArray_ b100 = operand(100, 6);
  const WordArray_ a1000 = operand(1000, 7);
  const WordArray_ b1000 = operand(1000, 8);
  const WordArray_ n2000 = operand(2000, 9);
  const Word w = 0x9e3779b97f4a7c15ULL;
  BOTH_BACKENDS("add/1", 2, bignat_add(r, a1, b1));
  BOTH_BACKENDS("add/10", 11, bignat_add(r, a10, b10));
  BOTH_BACKENDS("add_word/10", 11, bignat_add_word(r, a10, w));
  BOTH_BACKENDS("sub/10", 10, bignat_sub(r, a10, b10));
  BOTH_BACKENDS("mul/10x10", 20, bignat_mul(r, a10, b10));
  BOTH_BACKENDS("mul/100x100", 200, bignat_mul(r, a100, b100));
  BOTH_BACKENDS("mul/1000x1000", 2000, bignat_mul(r, a1000, b1000));
  BOTH_BACKENDS("shiftl/100", 102, bignat_shiftl(r, a100, 100));
  BOTH_BACKENDS("shiftr/100", 99, bignat_shiftr(r, a100, 100));
  // The quotient goes to q, the remainder to an array of its own.
  benchmark::RegisterBenchmark("numkit/quotrem/2000by1000", [=](benchmark::State& s) {
    timeKernel(s, 1001, [&](MutableWordArray_& q) {
      MutableWordArray_ r = MutableWordArray_::allocate(1000);
      nat::bignat_quotrem(q, r, n2000, b1000);
    });
  });
  benchmark::RegisterBenchmark("gmp/quotrem/2000by1000", [=](benchmark::State& s) {
    timeKernel(s, 1001, [&](MutableWordArray_& q) {
      MutableWordArray_ r = MutableWordArray_::allocate(1000);
      gmp::bignat_quotrem(q, r, n2000, b1000);
    });
  });
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  return numbench::runWithRatios(argc, argv);
}
