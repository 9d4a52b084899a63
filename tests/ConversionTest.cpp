// Construction from built-in integers, conversions between Natural and
// Integer, checked conversions to built-in types, numeric_limits, and the
// operators on mixed operands: a compile-time matrix of result types and a
// differential check of every mixed form against mpz.
#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <tuple>

#include "Num/Limits.hpp"
#include "support/BigNatMpz.hpp"
#include "support/MulReference.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

// ---------------------------------------------------------------------------
// Every combination compiles, with the documented result type.

template <class A, class B>
using MixedResult =
    std::conditional_t<std::same_as<A, Integer> || std::same_as<B, Integer>, Integer, Natural>;

template <class A, class B>
constexpr bool binaryForms() {
  using R = MixedResult<A, B>;
  return requires(const A& a, const B& b, A&& ra) {
    { a + b } -> std::same_as<R>;
    { a - b } -> std::same_as<R>;
    { a* b } -> std::same_as<R>;
    { a / b } -> std::same_as<R>;
    { a % b } -> std::same_as<R>;
    { a& b } -> std::same_as<R>;
    { a | b } -> std::same_as<R>;
    { a ^ b } -> std::same_as<R>;
    { std::move(ra) + b } -> std::same_as<R>;  // beside the forms for temporaries
    { std::move(ra) - b } -> std::same_as<R>;
    { a == b } -> std::same_as<bool>;
    { a != b } -> std::same_as<bool>;
    { a < b } -> std::same_as<bool>;
    { a <= b } -> std::same_as<bool>;
    { a > b } -> std::same_as<bool>;
    { a >= b } -> std::same_as<bool>;
    { a <=> b } -> std::same_as<std::strong_ordering>;
  };
}
// The compound forms exist exactly when the left operand is a number type.
template <class A, class B>
constexpr bool compoundForms() {
  return requires(A & a, const B& b) {
    { a += b } -> std::same_as<A&>;
    { a -= b } -> std::same_as<A&>;
    { a *= b } -> std::same_as<A&>;
    { a /= b } -> std::same_as<A&>;
    { a %= b } -> std::same_as<A&>;
    { a &= b } -> std::same_as<A&>;
    { a |= b } -> std::same_as<A&>;
    { a ^= b } -> std::same_as<A&>;
  };
}
template <class A, class S>
constexpr bool shiftForms() {
  return requires(const A& a, A& m, S s) {
    { a << s } -> std::same_as<A>;
    { a >> s } -> std::same_as<A>;
    { m <<= s } -> std::same_as<A&>;
    { m >>= s } -> std::same_as<A&>;
  };
}
template <class T>
constexpr bool withBuiltin() {
  return binaryForms<Natural, T>() && binaryForms<T, Natural>() && binaryForms<Integer, T>() &&
         binaryForms<T, Integer>() && compoundForms<Natural, T>() && compoundForms<Integer, T>() &&
         !compoundForms<T, Natural>() && !compoundForms<T, Integer>() && shiftForms<Natural, T>() &&
         shiftForms<Integer, T>() && std::convertible_to<T, Natural> &&
         std::convertible_to<T, Integer> && !std::convertible_to<Natural, T>;
}
static_assert(binaryForms<Natural, Natural>() && binaryForms<Integer, Integer>());
static_assert(binaryForms<Natural, Integer>() && binaryForms<Integer, Natural>());
static_assert(compoundForms<Natural, Integer>() && compoundForms<Integer, Natural>());
static_assert(withBuiltin<signed char>() && withBuiltin<unsigned char>() && withBuiltin<char>() &&
              withBuiltin<short>() && withBuiltin<unsigned short>() && withBuiltin<int>() &&
              withBuiltin<unsigned>() && withBuiltin<long>() && withBuiltin<unsigned long>() &&
              withBuiltin<long long>() && withBuiltin<unsigned long long>());
static_assert(std::convertible_to<Natural, Integer> && !std::convertible_to<Integer, Natural> &&
              std::constructible_from<Natural, Integer> && !std::convertible_to<Natural, bool> &&
              std::constructible_from<bool, Natural> && std::constructible_from<bool, Integer>);
static_assert(std::is_nothrow_constructible_v<Natural, unsigned long> &&
              !std::is_nothrow_constructible_v<Natural, int>);

static_assert(std::numeric_limits<Natural>::is_specialized &&
              std::numeric_limits<Integer>::is_integer);
static_assert(!std::numeric_limits<Natural>::is_signed && std::numeric_limits<Integer>::is_signed);
static_assert(std::numeric_limits<Natural>::is_exact && !std::numeric_limits<Integer>::is_bounded);
static_assert(!std::numeric_limits<Integer>::is_modulo &&
              std::numeric_limits<Natural>::radix == 2 &&
              std::numeric_limits<Integer>::digits == 0);

// ---------------------------------------------------------------------------
// The mixed forms against mpz.

template <class T>
constexpr bool kIsNumber = std::same_as<T, Natural> || std::same_as<T, Integer>;

template <class T>
Mpz mpzOfAny(const T& v) {
  if constexpr (kIsNumber<T>) {
    return toMpz(v);
  } else if constexpr (std::signed_integral<T>) {
    return Mpz::fromInt(static_cast<Int>(v));
  } else {
    return Mpz(static_cast<Word>(v));
  }
}

// One operator: its binary and compound forms and the mpz operation they
// must agree with; `divides` marks the ones that raise on a zero divisor.
template <class Binary, class Compound>
struct Operator {
  const char* name;
  Binary binary;
  Compound compound;
  void (*reference)(mpz_ptr, mpz_srcptr, mpz_srcptr);
  bool divides;
};
template <class Binary, class Compound>
Operator(const char*, Binary, Compound, void (*)(mpz_ptr, mpz_srcptr, mpz_srcptr), bool)
    -> Operator<Binary, Compound>;

const auto kOperators = std::tuple{
    Operator{"+", std::plus<>(), [](auto& x, const auto& y) { x += y; }, mpz_add, false},
    Operator{"-", std::minus<>(), [](auto& x, const auto& y) { x -= y; }, mpz_sub, false},
    Operator{"*", std::multiplies<>(), [](auto& x, const auto& y) { x *= y; }, mpz_mul, false},
    Operator{"/", std::divides<>(), [](auto& x, const auto& y) { x /= y; }, mpz_tdiv_q, true},
    Operator{"%", std::modulus<>(), [](auto& x, const auto& y) { x %= y; }, mpz_tdiv_r, true},
    Operator{"&", std::bit_and<>(), [](auto& x, const auto& y) { x &= y; }, mpz_and, false},
    Operator{"|", std::bit_or<>(), [](auto& x, const auto& y) { x |= y; }, mpz_ior, false},
    Operator{"^", std::bit_xor<>(), [](auto& x, const auto& y) { x ^= y; }, mpz_xor, false},
};

// r is the exact result want, or raises what the result type calls for.
template <class R, class F>
void expectResult(const Mpz& want, bool zeroDivisor, F&& f) {
  if (zeroDivisor) {
    EXPECT_THROW(f(), num::DivideByZero);
  } else if constexpr (std::same_as<R, Natural>) {
    if (want.sign() < 0) {
      EXPECT_THROW(f(), num::Underflow);
    } else {
      EXPECT_TRUE(isNatural(f(), want));
    }
  } else {
    EXPECT_TRUE(isInteger(f(), want));
  }
}

// a op b, and a op= b when a is a number, which a raising form leaves alone.
template <class Op, class A, class B>
void checkOperator(const Op& op, const A& a, const B& b, const Mpz& ma, const Mpz& mb) {
  SCOPED_TRACE(op.name);
  const bool zero = op.divides && mb.sign() == 0;
  const Mpz want = zero ? Mpz() : mpzOf(op.reference, ma, mb);
  expectResult<MixedResult<A, B>>(want, zero, [&] { return op.binary(a, b); });
  if constexpr (kIsNumber<A>) {
    A c = a;
    expectResult<A>(want, zero, [&] {
      op.compound(c, b);
      return c;
    });
    if (!(toMpz(c) == want)) {
      EXPECT_TRUE(toMpz(c) == ma) << "changed by a raising operation";
    }
  }
}

template <class A, class B>
void checkMixed(const A& a, const B& b) {
  const Mpz ma = mpzOfAny(a);
  const Mpz mb = mpzOfAny(b);
  SCOPED_TRACE(::testing::Message() << "a 0x" << ma.str() << ", b 0x" << mb.str());
  std::apply([&](const auto&... op) { (checkOperator(op, a, b, ma, mb), ...); }, kOperators);
  const int cmp = mpz_cmp(ma.get(), mb.get());
  EXPECT_EQ(a == b, cmp == 0);
  EXPECT_EQ(a != b, cmp != 0);
  EXPECT_EQ(a < b, cmp < 0);
  EXPECT_EQ(a <= b, cmp <= 0);
  EXPECT_EQ(a > b, cmp > 0);
  EXPECT_EQ(a >= b, cmp >= 0);
  EXPECT_EQ(a <=> b, cmp <=> 0);
}

template <class T>
T randomBuiltin(Rng& rng) {
  return static_cast<T>(rng.specialWord() >> (rng.coin() ? 0 : rng.range(0, 63)));
}

// Random numbers of up to 4 limbs with a random T on either side, and
// shifted by a T.
template <class T>
void checkWithBuiltin(Rng& rng) {
  const Natural n = makeNatural(randomMagnitude(rng, 4));
  const Integer z = makeInteger(rng.coin(), randomMagnitude(rng, 4));
  const T v = randomBuiltin<T>(rng);
  checkMixed(n, v);
  checkMixed(v, n);
  checkMixed(z, v);
  checkMixed(v, z);
  const auto s = static_cast<T>(rng.range(0, 120));
  EXPECT_TRUE(isNatural(n << s, apply(mpz_mul_2exp, toMpz(n), static_cast<Word>(s))));
  EXPECT_TRUE(isInteger(z >> s, apply(mpz_fdiv_q_2exp, toMpz(z), static_cast<Word>(s))));
  EXPECT_TRUE(isInteger(z << s, apply(mpz_mul_2exp, toMpz(z), static_cast<Word>(s))));
}
template <class... T>
void checkWithBuiltins(Rng& rng) {
  (checkWithBuiltin<T>(rng), ...);  // in order, so each run draws the same operands
}

TEST(MixedOperands, MatchMpzForEveryOperatorAndOperandType) {
  for (const Signed& x : specialSigned()) {
    const Integer z = makeInteger(x.negative, x.magnitude);
    for (const std::vector<Word>& y : specialMagnitudes()) {
      checkMixed(z, makeNatural(y));
      checkMixed(makeNatural(y), z);
    }
    for (const Word w : specialWords()) {
      checkMixed(z, static_cast<Int>(w));
      checkMixed(z, w);
      checkMixed(static_cast<Int>(w), makeNatural(x.magnitude));
      checkMixed(makeNatural(x.magnitude), w);
    }
  }
  forRandomOperands(2000, [](Rng& rng) {
    checkWithBuiltins<signed char, unsigned char, short, int, unsigned, long, unsigned long long>(
        rng);
    const Integer z = makeInteger(rng.coin(), randomMagnitude(rng));
    const Natural n = makeNatural(randomMagnitude(rng));
    checkMixed(z, n);
    checkMixed(n, z);
  });
}

TEST(MixedOperands, BuiltinOperandsStayInTheWord) {
  EXPECT_TRUE(Natural(0) > -1 && -1 < Natural(0) && Integer(-1) < ~0ULL && Natural(5) != -5);
  // An unsigned operand of 2^63 or more never becomes a value of its own: a
  // result that is the operand itself still owns its limbs.
  const Integer big = Integer(0) + ~0ULL;
  EXPECT_TRUE(isInteger(big, Mpz(~Word{0})));
  EXPECT_TRUE(isInteger(Integer(0) - ~0ULL, mpzOf(mpz_sub, Mpz(), Mpz(~Word{0}))));
  EXPECT_TRUE(
      isInteger(Integer(-1) * (Word{1} << 63), Mpz::fromInt(std::numeric_limits<Int>::min())));
  EXPECT_TRUE(isNatural(Natural(7) & -4, Mpz(4)));
  EXPECT_TRUE(isNatural(Natural(7) + -7, Mpz(0)));
  EXPECT_THROW(static_cast<void>(Natural(1) << -1), std::domain_error);
  EXPECT_THROW(static_cast<void>(Integer(1) >> -1), std::domain_error);
}

// ---------------------------------------------------------------------------
// Construction and checked conversion.

TEST(Conversion, ConstructionRaisesOnlyForNegativeValues) {
  const Natural n = 5;
  EXPECT_TRUE(isNatural(n, Mpz(5)));
  EXPECT_THROW(Natural{-1}, num::Underflow);
  EXPECT_THROW(Natural(Integer(-1)), num::Underflow);
  EXPECT_TRUE(isNatural(Natural(Integer(Word{1} << 63)), Mpz(Word{1} << 63)));
  const Integer z = Natural(~Word{0});  // implicit
  EXPECT_TRUE(isInteger(z, Mpz(~Word{0})));
  EXPECT_TRUE(!Natural() && !Integer() && Natural(1) && Integer(-1) && z);
  EXPECT_TRUE(static_cast<bool>(makeNatural({0, 1})) &&
              static_cast<bool>(makeInteger(true, {0, 1})));
}

// fits<T> and narrow<T> agree with the range of T, on x and, when x is not
// negative, on x as a Natural.
template <class T>
void checkNarrow(const Integer& x) {
  const Mpz m = toMpz(x);
  const bool fits = mpz_cmp(m.get(), mpzOfAny(std::numeric_limits<T>::min()).get()) >= 0 &&
                    mpz_cmp(m.get(), mpzOfAny(std::numeric_limits<T>::max()).get()) <= 0;
  const auto expectNarrow = [&](const auto& v) {
    EXPECT_EQ(num::fits<T>(v), fits) << m.str();
    if (fits) {
      EXPECT_TRUE(mpzOfAny(num::narrow<T>(v)) == m) << m.str();
    } else {
      EXPECT_THROW(static_cast<void>(num::narrow<T>(v)), num::Overflow) << m.str();
    }
  };
  expectNarrow(x);
  if (!integerIsNegative(x)) expectNarrow(Natural(x));
}
template <class... T>
void checkNarrowToEach(const Integer& x) {
  (checkNarrow<T>(x), ...);
}

TEST(Conversion, FitsAndNarrowMatchTheRangeOfEveryType) {
  const auto check = checkNarrowToEach<signed char, unsigned char, short, unsigned short, int,
                                       unsigned, long long, unsigned long long>;
  for (const Signed& x : specialSigned()) check(makeInteger(x.negative, x.magnitude));
  for (const Word w : specialWords()) {
    for (const Word d : {Word{0}, Word{1}, ~Word{0}}) {
      check(Integer(w + d));
      check(Integer(static_cast<Int>(w + d)));
    }
  }
}

}  // namespace
}  // namespace numtest
