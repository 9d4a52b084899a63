// Construction from built-in integers, conversions between Natural and
// Integer, checked conversions to built-in types, numeric_limits, and the
// operators on mixed operands: a compile-time matrix of result types and a
// differential check of every mixed form against mpz.
#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "Num/Limits.hpp"
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
Mpz mpzOfAny(const T& v) {
  if constexpr (std::same_as<T, Natural> || std::same_as<T, Integer>) {
    return toMpz(v);
  } else if constexpr (std::signed_integral<T>) {
    return Mpz::fromInt(static_cast<Int>(v));
  } else {
    return Mpz(static_cast<Word>(v));
  }
}
template <class T>
constexpr bool kIsNumber = std::same_as<T, Natural> || std::same_as<T, Integer>;

enum class Op { Add, Sub, Mul, Quot, Rem, And, Or, Xor };
constexpr Op kOps[] = {Op::Add, Op::Sub, Op::Mul, Op::Quot, Op::Rem, Op::And, Op::Or, Op::Xor};

template <class A, class B>
auto apply(Op op, const A& a, const B& b) {
  switch (op) {
    case Op::Add:
      return a + b;
    case Op::Sub:
      return a - b;
    case Op::Mul:
      return a * b;
    case Op::Quot:
      return a / b;
    case Op::Rem:
      return a % b;
    case Op::And:
      return a & b;
    case Op::Or:
      return a | b;
    case Op::Xor:
      return a ^ b;
  }
  return a + b;
}
template <class A, class B>
void applyCompound(Op op, A& a, const B& b) {
  switch (op) {
    case Op::Add:
      a += b;
      break;
    case Op::Sub:
      a -= b;
      break;
    case Op::Mul:
      a *= b;
      break;
    case Op::Quot:
      a /= b;
      break;
    case Op::Rem:
      a %= b;
      break;
    case Op::And:
      a &= b;
      break;
    case Op::Or:
      a |= b;
      break;
    case Op::Xor:
      a ^= b;
      break;
  }
}
Mpz reference(Op op, const Mpz& a, const Mpz& b) {
  constexpr void (*kFns[])(mpz_ptr, mpz_srcptr, mpz_srcptr) = {
      mpz_add, mpz_sub, mpz_mul, mpz_tdiv_q, mpz_tdiv_r, mpz_and, mpz_ior, mpz_xor};
  return mpzOf(kFns[static_cast<int>(op)], a, b);
}

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

template <class A, class B>
void checkMixed(const A& a, const B& b) {
  const Mpz ma = mpzOfAny(a);
  const Mpz mb = mpzOfAny(b);
  SCOPED_TRACE(::testing::Message() << "a 0x" << ma.str() << ", b 0x" << mb.str());
  for (const Op op : kOps) {
    SCOPED_TRACE(static_cast<int>(op));
    const bool zero = (op == Op::Quot || op == Op::Rem) && mb.sign() == 0;
    const Mpz want = zero ? Mpz() : reference(op, ma, mb);
    expectResult<MixedResult<A, B>>(want, zero, [&] { return apply(op, a, b); });
    if constexpr (kIsNumber<A>) {
      A c = a;
      expectResult<A>(want, zero, [&] {
        applyCompound(op, c, b);
        return c;
      });
      if (!(toMpz(c) == want)) {
        EXPECT_TRUE(toMpz(c) == ma) << "changed by a raising operation";
      }
    }
  }
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
  Mpz q;
  mpz_mul_2exp(q.get(), toMpz(n).get(), static_cast<mp_bitcnt_t>(s));
  EXPECT_TRUE(isNatural(n << s, q));
  mpz_fdiv_q_2exp(q.get(), toMpz(z).get(), static_cast<mp_bitcnt_t>(s));
  EXPECT_TRUE(isInteger(z >> s, q));
  mpz_mul_2exp(q.get(), toMpz(z).get(), static_cast<mp_bitcnt_t>(s));
  EXPECT_TRUE(isInteger(z << s, q));
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
    checkWithBuiltin<signed char>(rng);
    checkWithBuiltin<unsigned char>(rng);
    checkWithBuiltin<short>(rng);
    checkWithBuiltin<int>(rng);
    checkWithBuiltin<unsigned>(rng);
    checkWithBuiltin<long>(rng);
    checkWithBuiltin<unsigned long long>(rng);
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

template <class T>
void checkNarrow(const Integer& x) {
  const Mpz m = toMpz(x);
  const bool fits = mpz_cmp(m.get(), mpzOfAny(std::numeric_limits<T>::min()).get()) >= 0 &&
                    mpz_cmp(m.get(), mpzOfAny(std::numeric_limits<T>::max()).get()) <= 0;
  EXPECT_EQ(num::fits<T>(x), fits) << m.str();
  if (fits) {
    EXPECT_TRUE(mpzOfAny(num::narrow<T>(x)) == m);
  } else {
    EXPECT_THROW(static_cast<void>(num::narrow<T>(x)), num::Overflow);
  }
  if (integerIsNegative(x)) return;
  const Natural n(x);
  EXPECT_EQ(num::fits<T>(n), fits);
  if (fits) {
    EXPECT_TRUE(mpzOfAny(num::narrow<T>(n)) == m);
  } else {
    EXPECT_THROW(static_cast<void>(num::narrow<T>(n)), num::Overflow);
  }
}

TEST(Conversion, FitsAndNarrowMatchTheRangeOfEveryType) {
  auto check = [](const Integer& x) {
    checkNarrow<signed char>(x);
    checkNarrow<unsigned char>(x);
    checkNarrow<short>(x);
    checkNarrow<unsigned short>(x);
    checkNarrow<int>(x);
    checkNarrow<unsigned>(x);
    checkNarrow<long long>(x);
    checkNarrow<unsigned long long>(x);
  };
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
