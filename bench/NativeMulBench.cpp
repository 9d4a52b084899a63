// The native backend's product and division kernels against GMP's mpn layer
// on the same seeded limbs, in the same run:
// - mul/NxN: bignat_mul vs mpn_mul, both into an output allocated once;
// - sqr/N: bignat_sqr vs mpn_sqr;
// - quotrem/MbyN: bignat_quotrem vs mpn_tdiv_qr of an M-limb dividend by an
//   N-limb divisor (the native kernel shrinks its remainder, so its outputs
//   are allocated in the loop, as every caller allocates them).
// After its timed loop every native run compares its result with mpn's and
// aborts when they differ.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

#include "Num/Backend/Native.hpp"
#include "Num/WordArray.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"

namespace {

using num::Int;
using num::MutableWordArray_;
using num::Word;
using num::WordArray_;
using numbench::check;
using Limbs = std::vector<Word>;
namespace native = num::backend::native;

WordArray_ array(const Limbs& v) {
  MutableWordArray_ a = MutableWordArray_::allocate(static_cast<Int>(v.size()));
  std::copy(v.begin(), v.end(), a.data());
  return std::move(a).freeze();
}

bool sameLimbs(const MutableWordArray_& a, const Limbs& v) {
  return static_cast<std::size_t>(a.size()) == v.size() && std::equal(v.begin(), v.end(), a.data());
}

Limbs trimmed(Limbs v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
  return v;
}

// Two operands of the given sizes from one seed, as limbs and as arrays.
struct Operands {
  Limbs a, b;
  WordArray_ wa, wb;
  Operands(std::size_t na, std::size_t nb, unsigned seed) {
    std::mt19937_64 gen(seed);
    a = numbench::randomLimbs(gen, na);
    b = numbench::randomLimbs(gen, nb);
    wa = array(a);
    wb = array(b);
  }
  auto na() const { return static_cast<mp_size_t>(a.size()); }
  auto nb() const { return static_cast<mp_size_t>(b.size()); }
};

void nativeMul(benchmark::State& state, std::size_t n) {
  const Operands o(n, n, 21);
  MutableWordArray_ r = MutableWordArray_::allocate(2 * static_cast<Int>(n));
  for (auto _ : state) {
    native::bignat_mul(r, o.wa, o.wb);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  Limbs want(2 * n);
  mpn_mul(want.data(), o.a.data(), o.na(), o.b.data(), o.nb());
  check(sameLimbs(r, want), "product");
}

void mpnMul(benchmark::State& state, std::size_t n) {
  const Operands o(n, n, 21);
  Limbs r(2 * n);
  for (auto _ : state) {
    mpn_mul(r.data(), o.a.data(), o.na(), o.b.data(), o.nb());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
}

void nativeSqr(benchmark::State& state, std::size_t n) {
  const Operands o(n, 1, 22);
  MutableWordArray_ r = MutableWordArray_::allocate(2 * static_cast<Int>(n));
  for (auto _ : state) {
    native::bignat_sqr(r, o.wa);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  Limbs want(2 * n);
  mpn_sqr(want.data(), o.a.data(), o.na());
  check(sameLimbs(r, want), "square");
}

void mpnSqr(benchmark::State& state, std::size_t n) {
  const Operands o(n, 1, 22);
  Limbs r(2 * n);
  for (auto _ : state) {
    mpn_sqr(r.data(), o.a.data(), o.na());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
}

void nativeQuotRem(benchmark::State& state, std::size_t nn, std::size_t dn) {
  const Operands o(nn, dn, 23);
  const auto qn = static_cast<Int>(nn - dn + 1);
  MutableWordArray_ q = MutableWordArray_::allocate(qn);
  MutableWordArray_ r = MutableWordArray_::allocate(static_cast<Int>(dn));
  for (auto _ : state) {
    q = MutableWordArray_::allocate(qn);
    r = MutableWordArray_::allocate(static_cast<Int>(dn));
    native::bignat_quotrem(q, r, o.wa, o.wb);
    benchmark::DoNotOptimize(q.data());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  Limbs wq(static_cast<std::size_t>(qn));
  Limbs wr(dn);
  mpn_tdiv_qr(wq.data(), wr.data(), 0, o.a.data(), o.na(), o.b.data(), o.nb());
  check(sameLimbs(q, wq) && sameLimbs(r, trimmed(wr)), "quotient and remainder");
}

void mpnQuotRem(benchmark::State& state, std::size_t nn, std::size_t dn) {
  const Operands o(nn, dn, 23);
  Limbs q(nn - dn + 1);
  Limbs r(dn);
  for (auto _ : state) {
    mpn_tdiv_qr(q.data(), r.data(), 0, o.a.data(), o.na(), o.b.data(), o.nb());
    benchmark::DoNotOptimize(q.data());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK_CAPTURE(nativeMul, 10, 10)->Name("numkit/mul/10x10");
BENCHMARK_CAPTURE(mpnMul, 10, 10)->Name("mpn/mul/10x10");
BENCHMARK_CAPTURE(nativeMul, 100, 100)->Name("numkit/mul/100x100");
BENCHMARK_CAPTURE(mpnMul, 100, 100)->Name("mpn/mul/100x100");
BENCHMARK_CAPTURE(nativeMul, 1000, 1000)->Name("numkit/mul/1000x1000");
BENCHMARK_CAPTURE(mpnMul, 1000, 1000)->Name("mpn/mul/1000x1000");
BENCHMARK_CAPTURE(nativeMul, 10000, 10000)
    ->Name("numkit/mul/10000x10000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mpnMul, 10000, 10000)->Name("mpn/mul/10000x10000")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(nativeSqr, 1000, 1000)->Name("numkit/sqr/1000");
BENCHMARK_CAPTURE(mpnSqr, 1000, 1000)->Name("mpn/sqr/1000");
BENCHMARK_CAPTURE(nativeQuotRem, 20, 20, 10)->Name("numkit/quotrem/20by10");
BENCHMARK_CAPTURE(mpnQuotRem, 20, 20, 10)->Name("mpn/quotrem/20by10");
BENCHMARK_CAPTURE(nativeQuotRem, 2000, 2000, 1000)->Name("numkit/quotrem/2000by1000");
BENCHMARK_CAPTURE(mpnQuotRem, 2000, 2000, 1000)->Name("mpn/quotrem/2000by1000");
BENCHMARK_CAPTURE(nativeQuotRem, 20000, 20000, 10000)
    ->Name("numkit/quotrem/20000by10000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mpnQuotRem, 20000, 20000, 10000)
    ->Name("mpn/quotrem/20000by10000")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
