// BigNat logic and shifts against GMP's mpz on the same 1000-limb operands
// (mpz outputs initialised and sized beforehand, as a caller reusing its
// variables would have them):
// - and, or, xor: bigNatAnd/Or/Xor vs mpz_and/mpz_ior/mpz_xor;
// - shiftl, shiftr: by 1000 bits (15 limbs and 40 bits), bigNatShiftL/R vs
//   mpz_mul_2exp/mpz_fdiv_q_2exp.
// After its timed loop every numkit run compares its result with mpz's and
// aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstddef>
#include <random>
#include <vector>

#include "Num/BigNat.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::BigNat_;
using num::Word;
using numbench::check;
using numbench::sameValue;
using numbench::Z;

constexpr std::size_t kLimbs = 1000;
constexpr Word kShift = 1000;

// Two operands of kLimbs limbs from one seed, as BigNat_ and as mpz.
struct Operands {
  BigNat_ a, b;
  Z za, zb;
  Operands() {
    std::mt19937_64 gen(21);
    const std::vector<Word> la = numbench::randomLimbs(gen, kLimbs);
    const std::vector<Word> lb = numbench::randomLimbs(gen, kLimbs);
    a = num::bigNatFromWordList(std::vector<Word>(la.rbegin(), la.rend()));
    b = num::bigNatFromWordList(std::vector<Word>(lb.rbegin(), lb.rend()));
    numbench::mpzFromLimbs(za.z, la);
    numbench::mpzFromLimbs(zb.z, lb);
  }
};

using BigNatOp = BigNat_ (*)(const BigNat_&, const BigNat_&);
using MpzOp = void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr);

void numkitLogic(benchmark::State& state, BigNatOp op, MpzOp reference) {
  const Operands o;
  BigNat_ r;
  for (auto _ : state) {
    r = op(o.a, o.b);
    benchmark::DoNotOptimize(r);
  }
  Z expected;
  reference(expected.z, o.za.z, o.zb.z);
  check(sameValue(r, expected.z), "logic");
}

void mpzLogic(benchmark::State& state, MpzOp op) {
  const Operands o;
  Z r;
  op(r.z, o.za.z, o.zb.z);
  for (auto _ : state) {
    op(r.z, o.za.z, o.zb.z);
    benchmark::DoNotOptimize(r.z);
  }
}

using BigNatShift = BigNat_ (*)(const BigNat_&, Word);
using MpzShift = void (*)(mpz_ptr, mpz_srcptr, mp_bitcnt_t);

void numkitShift(benchmark::State& state, BigNatShift op, MpzShift reference) {
  const Operands o;
  BigNat_ r;
  for (auto _ : state) {
    r = op(o.a, kShift);
    benchmark::DoNotOptimize(r);
  }
  Z expected;
  reference(expected.z, o.za.z, kShift);
  check(sameValue(r, expected.z), "shift");
}

void mpzShift(benchmark::State& state, MpzShift op) {
  const Operands o;
  Z r;
  op(r.z, o.za.z, kShift);
  for (auto _ : state) {
    op(r.z, o.za.z, kShift);
    benchmark::DoNotOptimize(r.z);
  }
}

BENCHMARK_CAPTURE(numkitLogic, bitAnd, num::bigNatAnd, mpz_and)->Name("numkit/and/1000");
BENCHMARK_CAPTURE(mpzLogic, bitAnd, mpz_and)->Name("mpz/and/1000");
BENCHMARK_CAPTURE(numkitLogic, bitOr, num::bigNatOr, mpz_ior)->Name("numkit/or/1000");
BENCHMARK_CAPTURE(mpzLogic, bitOr, mpz_ior)->Name("mpz/or/1000");
BENCHMARK_CAPTURE(numkitLogic, bitXor, num::bigNatXor, mpz_xor)->Name("numkit/xor/1000");
BENCHMARK_CAPTURE(mpzLogic, bitXor, mpz_xor)->Name("mpz/xor/1000");
BENCHMARK_CAPTURE(numkitShift, shiftl, num::bigNatShiftL, mpz_mul_2exp)->Name("numkit/shiftl/1000");
BENCHMARK_CAPTURE(mpzShift, shiftl, mpz_mul_2exp)->Name("mpz/shiftl/1000");
BENCHMARK_CAPTURE(numkitShift, shiftr, num::bigNatShiftR, mpz_fdiv_q_2exp)
    ->Name("numkit/shiftr/1000");
BENCHMARK_CAPTURE(mpzShift, shiftr, mpz_fdiv_q_2exp)->Name("mpz/shiftr/1000");

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
