// The timed loops the benchmark programs share: a numkit result kept alive
// every iteration and handed back for the caller to check against mpz, an
// mpz result reused across iterations as a C program keeps its variables,
// and the truncating quotient and remainder of two Integers with their
// check.
#pragma once

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <type_traits>
#include <utility>

#include "Num/Integer.hpp"
#include "support/Mpz.hpp"

namespace numbench {

// Times r = f(), with each result kept alive; returns the last result.
template <class F>
std::decay_t<std::invoke_result_t<F&>> timeResult(benchmark::State& state, F&& f) {
  std::decay_t<std::invoke_result_t<F&>> r;
  for (auto _ : state) {
    r = f();
    benchmark::DoNotOptimize(r);
  }
  return r;
}

// Times f(r) on one mpz r, which a first call before the timed loop has
// already grown to the result's size.
template <class F>
void timeMpz(benchmark::State& state, F&& f) {
  Z r;
  f(r.z);
  for (auto _ : state) {
    f(r.z);
    benchmark::DoNotOptimize(r.z);
  }
}

// Times integerQuotRem_(a, b); then aborts unless the last quotient and
// remainder are mpz_tdiv_qr's of za and zb, the same values.
inline void timeQuotRem(benchmark::State& state, const num::Integer& a, const num::Integer& b,
                        const mpz_t za, const mpz_t zb) {
  num::Integer q, r;
  for (auto _ : state) {
    auto qr = num::integerQuotRem_(a, b);
    benchmark::DoNotOptimize(qr);
    q = std::move(qr.first);
    r = std::move(qr.second);
  }
  Z eq, er;
  mpz_tdiv_qr(eq.z, er.z, za, zb);
  check(sameValue(q, eq.z) && sameValue(r, er.z), "quotient and remainder");
}

}  // namespace numbench
