// Compound assignment (+=, -=, *=) and temporary operands rewrite a value's limbs in
// place only when nothing else holds them: results match mpz, and every
// other holder of the old limbs keeps its value.
#include <gtest/gtest.h>

#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

Mpz sumOrDifference(const Mpz& a, const Mpz& b, bool subtract) {
  Mpz r;
  (subtract ? mpz_sub : mpz_add)(r.get(), a.get(), b.get());
  return r;
}

Mpz product(const Mpz& a, const Mpz& b) {
  Mpz r;
  mpz_mul(r.get(), a.get(), b.get());
  return r;
}

// x *= y on a value holding its own limbs and on one a copy shares (the
// copy keeps its value).
template <class Value, class Check>
void checkProduct(Value own, Value shared, const Value& y, Check isValue) {
  const Mpz mx = toMpz(own);
  const Mpz want = product(mx, toMpz(y));
  own *= y;
  EXPECT_TRUE(isValue(own, want));
  const Value copy = shared;
  shared *= y;
  EXPECT_TRUE(isValue(shared, want));
  EXPECT_TRUE(isValue(copy, mx));
}

// x op= y three ways: on a value holding its own limbs, on one whose limbs a
// copy shares (the copy must keep its value), and as a temporary operand.
void checkInteger(bool nx, const std::vector<Word>& x, bool ny, const std::vector<Word>& y) {
  const Mpz mx = toMpz(makeInteger(nx, x));
  const Integer b = makeInteger(ny, y);
  for (const bool subtract : {false, true}) {
    SCOPED_TRACE(subtract ? "-=" : "+=");
    const Mpz want = sumOrDifference(mx, toMpz(b), subtract);
    Integer own = makeInteger(nx, x);
    if (subtract) {
      own -= b;
    } else {
      own += b;
    }
    EXPECT_TRUE(isInteger(own, want));

    Integer shared = makeInteger(nx, x);
    const Integer copy = shared;
    if (subtract) {
      shared -= b;
    } else {
      shared += b;
    }
    EXPECT_TRUE(isInteger(shared, want));
    EXPECT_TRUE(isInteger(copy, mx));

    const Integer fromTemporary = subtract ? makeInteger(nx, x) - b : makeInteger(nx, x) + b;
    EXPECT_TRUE(isInteger(fromTemporary, want));
  }
  EXPECT_TRUE(isInteger(b, toMpz(makeInteger(ny, y))));
  checkProduct(makeInteger(nx, x), makeInteger(nx, x), b, isInteger);
}

void checkNatural(const std::vector<Word>& x, const std::vector<Word>& y) {
  const Mpz mx = toMpz(makeNatural(x));
  const Natural b = makeNatural(y);
  for (const bool subtract : {false, true}) {
    SCOPED_TRACE(subtract ? "-=" : "+=");
    const Mpz want = sumOrDifference(mx, toMpz(b), subtract);
    Natural own = makeNatural(x);
    const Natural copy = own;
    Natural alone = makeNatural(x);
    if (subtract && mpz_sgn(want.get()) < 0) {
      // An underflow leaves the value as it was.
      EXPECT_THROW(own -= b, num::Underflow);
      EXPECT_THROW(alone -= b, num::Underflow);
      EXPECT_TRUE(isNatural(own, mx));
      EXPECT_TRUE(isNatural(alone, mx));
      continue;
    }
    if (subtract) {
      own -= b;
      alone -= b;
    } else {
      own += b;
      alone += b;
    }
    EXPECT_TRUE(isNatural(own, want));
    EXPECT_TRUE(isNatural(alone, want));
    EXPECT_TRUE(isNatural(copy, mx));
  }
  checkProduct(makeNatural(x), makeNatural(x), b, isNatural);
}

TEST(InPlace, CompoundAssignmentMatchesMpzAndSparesSharedLimbs) {
  for (const Signed& x : specialSigned()) {
    for (const Signed& y : specialSigned()) {
      checkInteger(x.negative, x.magnitude, y.negative, y.magnitude);
      if (!x.negative && !y.negative) checkNatural(x.magnitude, y.magnitude);
    }
  }
  forRandomOperands(20000, [](Rng& rng) {
    const std::vector<Word> x = rng.limbs(1, 12);
    const std::vector<Word> y =
        rng.coin() ? rng.limbs(1, 12) : std::vector<Word>{rng.specialWord()};
    checkInteger(rng.coin(), x, rng.coin(), y);
    checkNatural(x, y);
  });
  // Around the length where the sums in place leave the carry chain for the
  // kernel.
  forRandomOperands(2000, [](Rng& rng) {
    const std::vector<Word> x = rng.limbs(28, 40);
    const std::vector<Word> y = rng.limbs(28, 40);
    checkInteger(rng.coin(), x, rng.coin(), y);
    checkNatural(x, y);
  });
}

// A running sum stays exact across the block boundaries it grows and shrinks
// through, and x op= x reads its own limbs correctly.
TEST(InPlace, RunningSumsAndSelfAssignment) {
  forRandomOperands(500, [](Rng& rng) {
    Integer acc = makeInteger(rng.coin(), rng.limbs(1, 6));
    Natural nacc = makeNatural(rng.limbs(1, 6));
    Mpz want = toMpz(acc);
    Mpz nwant = toMpz(nacc);
    for (int step = 0; step < 64; ++step) {
      const Integer term = makeInteger(rng.coin(), rng.limbs(1, step % 8 + 1));
      const bool subtract = rng.coin();
      if (subtract) {
        acc -= term;
      } else {
        acc += term;
      }
      want = sumOrDifference(want, toMpz(term), subtract);
      ASSERT_TRUE(isInteger(acc, want)) << "step " << step;
      const Natural nterm = makeNatural(rng.limbs(1, step % 8 + 1));
      nacc += nterm;
      nwant = sumOrDifference(nwant, toMpz(nterm), false);
      ASSERT_TRUE(isNatural(nacc, nwant)) << "step " << step;
    }
    // The operand is the target itself, reached through a reference.
    const Mpz doubled = sumOrDifference(want, want, false);
    const Integer& self = acc;
    const Natural& nself = nacc;
    acc += self;
    EXPECT_TRUE(isInteger(acc, doubled));
    acc -= self;
    EXPECT_TRUE(isInteger(acc, Mpz(0)));
    nacc -= nself;
    EXPECT_TRUE(isNatural(nacc, Mpz(0)));
  });
}

}  // namespace
}  // namespace numtest
