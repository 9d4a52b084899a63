// Single-word bit operations on Integer and on GMP's mpz (C API, into
// initialised outputs): &, |, ^, << and >>.
//
// Each benchmark iteration applies one operation to kTable operands read in
// turn from fixed tables of signed values of both signs, below 2^54 in
// magnitude, so that every result (left shifts by up to 8 included) stays
// in one signed word; right shifts take counts up to 63.  per_op is the time
// of one operation.  After the timed loop every run checks its results
// against the same operations on int64_t and aborts when one differs.
#include <benchmark/benchmark.h>
#include <gmp.h>

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

constexpr std::size_t kTable = 4096;

enum class Op { And, Or, Xor, ShiftL, ShiftR };

struct Operands {
  std::vector<std::int64_t> xs, ys;
  std::vector<Word> shiftsL, shiftsR;
};

const Operands& operands() {
  static const Operands o = [] {
    std::mt19937_64 gen(11);
    Operands r;
    const auto value = [&] {
      const auto v = static_cast<std::int64_t>(gen() >> 10);  // below 2^54
      return (gen() & 1) != 0 ? -v : v;
    };
    for (std::size_t k = 0; k < kTable; ++k) {
      r.xs.push_back(value());
      r.ys.push_back(value());
      r.shiftsL.push_back(gen() % 9);
      r.shiftsR.push_back(gen() % 64);
    }
    return r;
  }();
  return o;
}

// Operation k of the table on int64_t: the reference.
std::int64_t reference(Op op, std::size_t k) {
  const Operands& o = operands();
  const std::int64_t x = o.xs[k];
  switch (op) {
    case Op::And:
      return x & o.ys[k];
    case Op::Or:
      return x | o.ys[k];
    case Op::Xor:
      return x ^ o.ys[k];
    case Op::ShiftL:
      return x * (std::int64_t{1} << o.shiftsL[k]);
    case Op::ShiftR:
      return x >> o.shiftsR[k];
  }
  return 0;
}

template <Op op>
Integer apply(const Integer& x, const Integer& y, Word sl, Word sr) {
  if constexpr (op == Op::And) return x & y;
  if constexpr (op == Op::Or) return x | y;
  if constexpr (op == Op::Xor) return x ^ y;
  if constexpr (op == Op::ShiftL) return x << sl;
  if constexpr (op == Op::ShiftR) return x >> sr;
}

template <Op op>
void apply(mpz_t r, const mpz_t x, const mpz_t y, Word sl, Word sr) {
  if constexpr (op == Op::And) mpz_and(r, x, y);
  if constexpr (op == Op::Or) mpz_ior(r, x, y);
  if constexpr (op == Op::Xor) mpz_xor(r, x, y);
  if constexpr (op == Op::ShiftL) mpz_mul_2exp(r, x, sl);
  if constexpr (op == Op::ShiftR) mpz_fdiv_q_2exp(r, x, sr);  // flooring, as >> is
}

void perOp(benchmark::State& state) {
  state.counters["per_op"] = benchmark::Counter(
      kTable, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <Op op>
void runInteger(benchmark::State& state) {
  const Operands& o = operands();
  const std::vector<Integer> xs(o.xs.begin(), o.xs.end());
  const std::vector<Integer> ys(o.ys.begin(), o.ys.end());
  for (auto _ : state) {
    for (std::size_t k = 0; k < kTable; ++k) {
      const Integer r = apply<op>(xs[k], ys[k], o.shiftsL[k], o.shiftsR[k]);
      benchmark::DoNotOptimize(r);
    }
  }
  for (std::size_t k = 0; k < kTable; ++k) {
    const Integer r = apply<op>(xs[k], ys[k], o.shiftsL[k], o.shiftsR[k]);
    check(r.isIS() && r.intValue() == reference(op, k), "Integer bit operation");
  }
  perOp(state);
}

template <Op op>
void runMpz(benchmark::State& state) {
  const Operands& o = operands();
  std::vector<Z> xs(kTable), ys(kTable);
  for (std::size_t k = 0; k < kTable; ++k) {
    mpz_set_si(xs[k].z, o.xs[k]);
    mpz_set_si(ys[k].z, o.ys[k]);
  }
  Z r;
  for (auto _ : state) {
    for (std::size_t k = 0; k < kTable; ++k) {
      apply<op>(r.z, xs[k].z, ys[k].z, o.shiftsL[k], o.shiftsR[k]);
      benchmark::DoNotOptimize(r.z);
    }
  }
  for (std::size_t k = 0; k < kTable; ++k) {
    apply<op>(r.z, xs[k].z, ys[k].z, o.shiftsL[k], o.shiftsR[k]);
    check(mpz_get_si(r.z) == reference(op, k), "mpz bit operation");
  }
  perOp(state);
}

BENCHMARK(runInteger<Op::And>)->Name("numkit/and");
BENCHMARK(runMpz<Op::And>)->Name("mpz/and");
BENCHMARK(runInteger<Op::Or>)->Name("numkit/or");
BENCHMARK(runMpz<Op::Or>)->Name("mpz/or");
BENCHMARK(runInteger<Op::Xor>)->Name("numkit/xor");
BENCHMARK(runMpz<Op::Xor>)->Name("mpz/xor");
BENCHMARK(runInteger<Op::ShiftL>)->Name("numkit/shift_left");
BENCHMARK(runMpz<Op::ShiftL>)->Name("mpz/shift_left");
BENCHMARK(runInteger<Op::ShiftR>)->Name("numkit/shift_right");
BENCHMARK(runMpz<Op::ShiftR>)->Name("mpz/shift_right");

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
