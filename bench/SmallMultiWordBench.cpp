// Values of a few limbs against GMP's mpz (C API, outputs initialised
// beforehand and reused, as a C programmer keeps them), on the same seeded
// operands:
// - add/N, sub/N: Integer and Natural sums and differences of two N-limb
//   values (operator+ / operator- vs mpz_add / mpz_sub);
// - compare/N, equal/N: three-way comparison and equality of two N-limb
//   values that agree in all but the lowest limb;
// - mul/NxN, mul/wordxN: products (operator* vs mpz_mul, mpz_mul_ui);
// - quotrem/MbyN, quotrem/Nbyword: truncating quotient and remainder
//   (integerQuotRem_ vs mpz_tdiv_qr, mpz_tdiv_qr_ui);
// - accumulate/plus, accumulate/minus: acc += x and acc -= x over 10^6 63-bit
//   values of mixed signs (vs mpz_add / mpz_sub into acc);
// - fibonacci/100000: F(100000) by repeated addition, a += b and swap.
// Every numkit run checks its result against mpz after the timed loop.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstddef>
#include <random>
#include <utility>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/Mpz.hpp"
#include "support/RatioReporter.hpp"
#include "support/Timing.hpp"

namespace {

using num::Integer;
using num::Natural;
using num::Word;
using numbench::check;
using numbench::sameValue;
using numbench::Z;

// Two operands of na and nb limbs from one seed, as Integer, Natural and mpz;
// b differs from a only in its lowest limb when `close` is set; otherwise
// a > b when their sizes agree.
struct Operands {
  Integer a, b;
  Natural na, nb;
  Z za, zb;
  Operands(std::size_t sa, std::size_t sb, unsigned seed, bool close = false) {
    std::mt19937_64 gen(seed);
    std::vector<Word> la = numbench::randomLimbs(gen, sa);
    std::vector<Word> lb = numbench::randomLimbs(gen, sb);
    if (close) {
      lb = la;
      lb[0] ^= 1;
    } else if (sa == sb) {
      // a > b, so that the Natural difference exists.
      la.back() |= Word{1} << 63;
      lb.back() &= ~(Word{1} << 63);
    }
    a = numbench::integerFromLimbs(la);
    b = numbench::integerFromLimbs(lb);
    na = num::integerToNatural(a);
    nb = num::integerToNatural(b);
    numbench::mpzFromLimbs(za.z, la);
    numbench::mpzFromLimbs(zb.z, lb);
  }
};

// Times op(x, y), x and y o's operands as Integer or as Natural, and checks
// the last result against op on o's mpz operands.
template <class Value, class Op>
void runValue(benchmark::State& state, const Operands& o, const Value& x, const Value& y, Op op,
              const char* what) {
  const Value r = numbench::timeResult(state, [&] { return op(x, y); });
  Z expected;
  op(expected.z, o.za.z, o.zb.z);
  check(sameValue(r, expected.z), what);
}

// One operation as a numkit expression and as its mpz function.
struct Add {
  template <class T>
  T operator()(const T& x, const T& y) const {
    return x + y;
  }
  void operator()(mpz_t r, const mpz_t x, const mpz_t y) const { mpz_add(r, x, y); }
};
struct Sub {
  template <class T>
  T operator()(const T& x, const T& y) const {
    return x - y;
  }
  void operator()(mpz_t r, const mpz_t x, const mpz_t y) const { mpz_sub(r, x, y); }
};
struct Mul {
  template <class T>
  T operator()(const T& x, const T& y) const {
    return x * y;
  }
  void operator()(mpz_t r, const mpz_t x, const mpz_t y) const { mpz_mul(r, x, y); }
};

template <class Op>
void numkitInteger(benchmark::State& s, std::size_t n, Op op) {
  const Operands o(n, n, 21);
  runValue(s, o, o.a, o.b, op, "integer result");
}
template <class Op>
void numkitNatural(benchmark::State& s, std::size_t n, Op op) {
  const Operands o(n, n, 21);
  runValue(s, o, o.na, o.nb, op, "natural result");
}
template <class Op>
void mpzOp(benchmark::State& s, std::size_t n, Op op) {
  const Operands o(n, n, 21);
  numbench::timeMpz(s, [&](mpz_ptr r) { op(r, o.za.z, o.zb.z); });
}

void numkitCompare(benchmark::State& state, std::size_t n) {
  const Operands o(n, n, 22, true);
  for (auto _ : state) {
    benchmark::DoNotOptimize(o.a < o.b);
    benchmark::DoNotOptimize(o.a == o.b);
    benchmark::ClobberMemory();  // the operands may have changed: compare again
  }
}
void mpzCompare(benchmark::State& state, std::size_t n) {
  const Operands o(n, n, 22, true);
  for (auto _ : state) {
    benchmark::DoNotOptimize(mpz_cmp(o.za.z, o.zb.z) < 0);
    benchmark::DoNotOptimize(mpz_cmp(o.za.z, o.zb.z) == 0);
    benchmark::ClobberMemory();  // mpz_cmp is pure: without this it leaves the loop
  }
}

void numkitMulWord(benchmark::State& state, std::size_t n) {
  const Operands o(n, 1, 23);
  const Integer w = static_cast<num::Int>(num::integerToWord(o.b) >> 1);
  const Integer r = numbench::timeResult(state, [&] { return o.a * w; });
  Z expected;
  mpz_mul_ui(expected.z, o.za.z, num::integerToWord(o.b) >> 1);
  check(sameValue(r, expected.z), "product by a word");
}
void mpzMulWord(benchmark::State& state, std::size_t n) {
  const Operands o(n, 1, 23);
  const unsigned long w = num::integerToWord(o.b) >> 1;
  Z r;
  for (auto _ : state) {
    mpz_mul_ui(r.z, o.za.z, w);
    benchmark::DoNotOptimize(r.z);
  }
}

void numkitQuotRem(benchmark::State& state, std::size_t m, std::size_t n) {
  const Operands o(m, n, 24);
  numbench::timeQuotRem(state, o.a, o.b, o.za.z, o.zb.z);
}
void mpzQuotRem(benchmark::State& state, std::size_t m, std::size_t n) {
  const Operands o(m, n, 24);
  Z q, r;
  for (auto _ : state) {
    mpz_tdiv_qr(q.z, r.z, o.za.z, o.zb.z);
    benchmark::DoNotOptimize(q.z);
  }
}

// 10^6 63-bit values of mixed signs, as Integer and as longs.
constexpr std::size_t kTerms = 1000000;
struct Terms {
  std::vector<Integer> x;
  std::vector<long> l;
  Terms() {
    std::mt19937_64 gen(25);
    for (std::size_t i = 0; i < kTerms; ++i) {
      const auto v = static_cast<long>(gen() >> 1);
      l.push_back((gen() & 1) != 0 ? -v : v);
      x.emplace_back(l.back());
    }
  }
};
const Terms& terms() {
  static const Terms t;
  return t;
}

// The running sum starts at 2^64 + 1, so it stays multi-word.
void numkitAccumulate(benchmark::State& state, bool minus) {
  const Terms& t = terms();
  const Integer start = num::integerTwoPow63() * Integer(2) + Integer(1);
  Integer acc;
  for (auto _ : state) {
    acc = start;
    for (const Integer& x : t.x) {
      if (minus) {
        acc -= x;
      } else {
        acc += x;
      }
    }
    benchmark::DoNotOptimize(acc);
  }
  Z expected;
  mpz_set_ui(expected.z, 1);
  mpz_mul_2exp(expected.z, expected.z, 64);
  mpz_add_ui(expected.z, expected.z, 1);
  for (long v : t.l) {
    // acc - v is acc + (-v); no term is -2^63.
    const long d = minus ? -v : v;
    if (d >= 0) {
      mpz_add_ui(expected.z, expected.z, static_cast<unsigned long>(d));
    } else {
      mpz_sub_ui(expected.z, expected.z, static_cast<unsigned long>(-d));
    }
  }
  check(sameValue(acc, expected.z), "running sum");
}
// mpz_add with an mpz operand, as a program holding its terms as mpz_t does.
void mpzAccumulate(benchmark::State& state, bool minus) {
  const Terms& t = terms();
  std::vector<Z> zx(t.l.size());
  for (std::size_t i = 0; i < t.l.size(); ++i) mpz_set_si(zx[i].z, t.l[i]);
  Z acc;
  for (auto _ : state) {
    mpz_set_ui(acc.z, 1);
    mpz_mul_2exp(acc.z, acc.z, 64);
    mpz_add_ui(acc.z, acc.z, 1);
    for (const Z& x : zx) {
      if (minus) {
        mpz_sub(acc.z, acc.z, x.z);
      } else {
        mpz_add(acc.z, acc.z, x.z);
      }
    }
    benchmark::DoNotOptimize(acc.z);
  }
}

constexpr unsigned long kFib = 100000;
void numkitFibonacci(benchmark::State& state) {
  Integer a, b;
  for (auto _ : state) {
    a = Integer(0);
    b = Integer(1);
    for (unsigned long i = 0; i < kFib; ++i) {
      a += b;
      std::swap(a, b);
    }
    benchmark::DoNotOptimize(a);
  }
  Z expected;
  mpz_fib_ui(expected.z, kFib);
  check(sameValue(a, expected.z), "Fibonacci number");
}
void mpzFibonacci(benchmark::State& state) {
  Z a, b;
  for (auto _ : state) {
    mpz_set_ui(a.z, 0);
    mpz_set_ui(b.z, 1);
    for (unsigned long i = 0; i < kFib; ++i) {
      mpz_add(a.z, a.z, b.z);
      mpz_swap(a.z, b.z);
    }
    benchmark::DoNotOptimize(a.z);
  }
}

#define NUMKIT_VALUE_ROWS(op, name, n)                                                  \
  BENCHMARK_CAPTURE(numkitInteger, name##n, n, op{})->Name("numkit/" #name "/" #n);     \
  BENCHMARK_CAPTURE(numkitNatural, name##n, n, op{})->Name("numkit/" #name "_nat/" #n); \
  BENCHMARK_CAPTURE(mpzOp, name##n, n, op{})->Name("mpz/" #name "/" #n);                \
  BENCHMARK_CAPTURE(mpzOp, name##n##nat, n, op{})->Name("mpz/" #name "_nat/" #n)

NUMKIT_VALUE_ROWS(Add, add, 2);
NUMKIT_VALUE_ROWS(Add, add, 3);
NUMKIT_VALUE_ROWS(Add, add, 4);
NUMKIT_VALUE_ROWS(Add, add, 10);
NUMKIT_VALUE_ROWS(Sub, sub, 2);
NUMKIT_VALUE_ROWS(Sub, sub, 3);
NUMKIT_VALUE_ROWS(Sub, sub, 4);
NUMKIT_VALUE_ROWS(Sub, sub, 10);
BENCHMARK_CAPTURE(numkitInteger, mul2, 2, Mul{})->Name("numkit/mul/2x2");
BENCHMARK_CAPTURE(mpzOp, mul2, 2, Mul{})->Name("mpz/mul/2x2");
BENCHMARK_CAPTURE(numkitInteger, mul3, 3, Mul{})->Name("numkit/mul/3x3");
BENCHMARK_CAPTURE(mpzOp, mul3, 3, Mul{})->Name("mpz/mul/3x3");
BENCHMARK_CAPTURE(numkitInteger, mul10, 10, Mul{})->Name("numkit/mul/10x10");
BENCHMARK_CAPTURE(mpzOp, mul10, 10, Mul{})->Name("mpz/mul/10x10");
BENCHMARK_CAPTURE(numkitCompare, 2, 2)->Name("numkit/compare/2");
BENCHMARK_CAPTURE(mpzCompare, 2, 2)->Name("mpz/compare/2");
BENCHMARK_CAPTURE(numkitCompare, 100, 100)->Name("numkit/compare/100");
BENCHMARK_CAPTURE(mpzCompare, 100, 100)->Name("mpz/compare/100");
BENCHMARK_CAPTURE(numkitMulWord, 10, 10)->Name("numkit/mul/wordx10");
BENCHMARK_CAPTURE(mpzMulWord, 10, 10)->Name("mpz/mul/wordx10");
BENCHMARK_CAPTURE(numkitQuotRem, 4by2, 4, 2)->Name("numkit/quotrem/4by2");
BENCHMARK_CAPTURE(mpzQuotRem, 4by2, 4, 2)->Name("mpz/quotrem/4by2");
BENCHMARK_CAPTURE(numkitQuotRem, 20by10, 20, 10)->Name("numkit/quotrem/20by10");
BENCHMARK_CAPTURE(mpzQuotRem, 20by10, 20, 10)->Name("mpz/quotrem/20by10");
BENCHMARK_CAPTURE(numkitQuotRem, 10byword, 10, 1)->Name("numkit/quotrem/10byword");
BENCHMARK_CAPTURE(mpzQuotRem, 10byword, 10, 1)->Name("mpz/quotrem/10byword");
BENCHMARK_CAPTURE(numkitAccumulate, plus, false)
    ->Name("numkit/accumulate/plus")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mpzAccumulate, plus, false)
    ->Name("mpz/accumulate/plus")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(numkitAccumulate, minus, true)
    ->Name("numkit/accumulate/minus")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mpzAccumulate, minus, true)
    ->Name("mpz/accumulate/minus")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(numkitFibonacci)->Name("numkit/fibonacci/100000")->Unit(benchmark::kMillisecond);
BENCHMARK(mpzFibonacci)->Name("mpz/fibonacci/100000")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return numbench::runWithRatios(argc, argv); }
