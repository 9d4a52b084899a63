// The GMP backend's additive bindings and kernels against GMP's own mpn
// functions: every binding separate and in place, every kernel with its
// output sizing, on carry and borrow chains and seeded random operands.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Num/Backend/GMP.hpp"
#include "Num/WordArray.hpp"
#include "support/Random.hpp"

namespace {

namespace be = num::backend::gmp;
using num::Int;
using num::MutableWordArray_;
using num::Word;
using num::WordArray_;
using Limbs = std::vector<Word>;

constexpr Word kOnes = ~Word{0};
constexpr Word kGarbage = 0x5a5a5a5a5a5a5a5aULL;
constexpr std::size_t kGuards = 2;

Int sz(const Limbs& v) { return static_cast<Int>(v.size()); }

// Operands that make carries and borrows run far: all ones, all zeros, a lone
// top or bottom limb, at lengths around the kernels' unrolling; then seeded
// random ones (runs of zero and all-one limbs, up to 40 limbs).
std::vector<Limbs> operands() {
  std::vector<Limbs> v;
  for (const std::size_t n : {1, 2, 3, 4, 5, 8, 17, 40}) {
    Limbs zeros(n, 0), ones(n, kOnes), top(n, 0), bottom(n, 0);
    top.back() = 1;
    bottom.front() = 1;
    Limbs topOnes = ones;
    topOnes.back() = 0;
    for (Limbs* l : {&zeros, &ones, &top, &bottom, &topOnes}) v.push_back(*l);
  }
  numtest::Rng rng;
  for (long i = 0; i < numtest::iterations(60); ++i) v.push_back(rng.limbs(1, 40));
  return v;
}

// Where the output goes: its own buffer, or over the first or both operands.
enum class Place { Separate, OverA, OverB, OverBoth };

// Runs a two-operand binding and the GMP function on identical buffers laid
// out as `place` says, and compares results, outputs and the limbs past them.
template <typename Ours, typename Gmp>
void checkTwoOperand(const char* name, Ours ours, Gmp gmp, const Limbs& a, const Limbs& b,
                     Place place) {
  const Int na = sz(a), nb = sz(b);
  struct Run {
    Limbs out, a, b;  // out has guard limbs past na
    Word ret = 0;
  };
  auto lay = [&]() {
    Run r{Limbs(a.size() + kGuards, kGarbage), a, b};
    r.a.resize(a.size() + kGuards, kGarbage);
    r.b.resize(a.size() + kGuards, kGarbage);
    return r;
  };
  auto ptrs = [&](Run& r) {
    Word* out = place == Place::Separate ? r.out.data()
                : place == Place::OverB  ? r.b.data()
                                         : r.a.data();
    const Word* bp = place == Place::OverBoth ? r.a.data() : r.b.data();
    return std::pair<Word*, const Word*>(out, bp);
  };
  Run x = lay(), y = lay();
  auto [xo, xb] = ptrs(x);
  auto [yo, yb] = ptrs(y);
  x.ret = ours(xo, x.a.data(), na, xb, nb);
  y.ret = gmp(yo, y.a.data(), na, yb, nb);
  const auto placeId = static_cast<int>(place);
  ASSERT_EQ(x.ret, y.ret) << name << " na=" << na << " nb=" << nb << " place " << placeId;
  ASSERT_EQ(x.out, y.out) << name << " na=" << na << " nb=" << nb << " place " << placeId;
  ASSERT_EQ(x.a, y.a) << name << " na=" << na << " nb=" << nb << " place " << placeId;
  ASSERT_EQ(x.b, y.b) << name << " na=" << na << " nb=" << nb << " place " << placeId;
}

TEST(BackendBindings, AddAndSubMatchGmpSeparateAndInPlace) {
  const auto ops = operands();
  auto gmpAdd = [](Word* r, const Word* a, Int na, const Word* b, Int nb) {
    return mpn_add(r, a, na, b, nb);
  };
  auto gmpSub = [](Word* r, const Word* a, Int na, const Word* b, Int nb) {
    return mpn_sub(r, a, na, b, nb);
  };
  for (const Limbs& a : ops) {
    for (const Limbs& b : ops) {
      if (b.size() > a.size()) continue;
      for (const Place p : {Place::Separate, Place::OverA, Place::OverB}) {
        checkTwoOperand("add", be::c_mpn_add, gmpAdd, a, b, p);
        checkTwoOperand("sub", be::c_mpn_sub, gmpSub, a, b, p);
      }
    }
    // The same array as both operands, and as the output too.
    for (const Place p : {Place::Separate, Place::OverBoth}) {
      checkTwoOperand("add", be::c_mpn_add, gmpAdd, a, a, p);
      checkTwoOperand("sub", be::c_mpn_sub, gmpSub, a, a, p);
    }
  }
}

TEST(BackendBindings, OneLimbFormsMatchGmpSeparateAndInPlace) {
  numtest::Rng rng;
  std::vector<Word> words = {0, 1, 2, kOnes, kOnes - 1, Word{1} << 63};
  for (int i = 0; i < 8; ++i) words.push_back(rng.word());
  auto ours1 = [](auto f) {
    return [f](Word* r, const Word* a, Int na, const Word* w, Int) { return f(r, a, na, *w); };
  };
  auto add1 = [](Word* r, const Word* a, Int na, const Word* w, Int) {
    return mpn_add_1(r, a, na, *w);
  };
  auto sub1 = [](Word* r, const Word* a, Int na, const Word* w, Int) {
    return mpn_sub_1(r, a, na, *w);
  };
  for (const Limbs& a : operands()) {
    for (const Word w : words) {
      for (const Place p : {Place::Separate, Place::OverA}) {
        checkTwoOperand("add_1", ours1(be::c_mpn_add_1), add1, a, {w}, p);
        checkTwoOperand("sub_1", ours1(be::c_mpn_sub_1), sub1, a, {w}, p);
      }
    }
  }
}

TEST(BackendBindings, CompareHasTheSignOfMpnCmp) {
  const auto ops = operands();
  numtest::Rng rng;
  for (const Limbs& a : ops) {
    // Equal to a, then differing in one limb, high or low.
    Limbs b = a;
    ASSERT_EQ(be::c_mpn_cmp(a.data(), b.data(), sz(a)), 0);
    ASSERT_EQ(be::c_mpn_cmp(a.data(), a.data(), sz(a)), 0);
    for (const std::size_t i : {std::size_t{0}, a.size() / 2, a.size() - 1}) {
      b = a;
      b[i] += rng.coin() ? 1 : kOnes;
      const int want = mpn_cmp(a.data(), b.data(), sz(a));
      ASSERT_EQ(be::c_mpn_cmp(a.data(), b.data(), sz(a)), (want > 0) - (want < 0)) << i;
      ASSERT_EQ(be::c_mpn_cmp(b.data(), a.data(), sz(a)), (want < 0) - (want > 0)) << i;
    }
  }
}

#ifndef NDEBUG
// Debug builds refuse an output that overlaps an input only in part.
TEST(BackendBindingsDeathTest, PartialOverlapIsAsserted) {
  Limbs buf(8, 1);
  EXPECT_DEATH(be::c_mpn_add(buf.data() + 1, buf.data(), 4, buf.data() + 5, 2), "sameOrSeparate");
  EXPECT_DEATH(be::c_mpn_sub(buf.data(), buf.data() + 4, 4, buf.data() + 2, 1), "sameOrSeparate");
  EXPECT_DEATH(be::c_mpn_add_1(buf.data() + 1, buf.data(), 4, 1), "sameOrSeparate");
  EXPECT_DEATH(be::c_mpn_sub_1(buf.data(), buf.data() + 3, 4, 1), "sameOrSeparate");
}
#endif

// ---- Kernels ---------------------------------------------------------------

WordArray_ array(const Limbs& l) {
  return num::withNewWordArray_(
      sz(l), [&](MutableWordArray_& a) { std::copy(l.begin(), l.end(), a.data()); });
}

Limbs contents(const MutableWordArray_& r) { return Limbs(r.data(), r.data() + r.size()); }

// The limbs of GMP's sum over n limbs with the carry appended when it is 1,
// which is what the add kernels leave.
Limbs withCarry(Limbs sum, Word carry) {
  if (carry != 0) sum.push_back(carry);
  return sum;
}

TEST(BackendKernels, AdditiveKernelsMatchGmpAndSizeTheirOutput) {
  std::vector<Limbs> ops;
  for (Limbs& l : operands()) {
    if (l.back() != 0) ops.push_back(std::move(l));  // kernels take normalised magnitudes
  }
  for (const Limbs& a : ops) {
    const WordArray_ wa = array(a);
    for (const Limbs& b : ops) {
      const WordArray_ wb = array(b);
      const Limbs& longer = a.size() >= b.size() ? a : b;
      const Limbs& shorter = a.size() >= b.size() ? b : a;
      Limbs sum(longer.size());
      const Word carry =
          mpn_add(sum.data(), longer.data(), sz(longer), shorter.data(), sz(shorter));
      MutableWordArray_ r = num::newWordArray_(sz(longer) + 1);
      be::bignat_add(r, wa, wb);
      ASSERT_EQ(contents(r), withCarry(sum, carry)) << a.size() << " + " << b.size();

      if (b.size() > a.size()) continue;
      Limbs diff(a.size());
      const Word borrow = mpn_sub(diff.data(), a.data(), sz(a), b.data(), sz(b));
      MutableWordArray_ d = num::newWordArray_(sz(a));
      ASSERT_EQ(be::bignat_sub(d, wa, wb), borrow == 0 ? 1 : 0);
      ASSERT_EQ(contents(d), diff) << a.size() << " - " << b.size();

      if (b.size() == a.size()) {
        const int want = mpn_cmp(a.data(), b.data(), sz(a));
        const Int got = be::bignat_compare(wa, wb);
        ASSERT_EQ((got > 0) - (got < 0), (want > 0) - (want < 0));
      }
    }
    for (const Word w : {Word{0}, Word{1}, kOnes, a.front(), a.front() + 1}) {
      Limbs sum(a.size()), diff(a.size());
      const Word carry = mpn_add_1(sum.data(), a.data(), sz(a), w);
      const Word borrow = mpn_sub_1(diff.data(), a.data(), sz(a), w);
      MutableWordArray_ r = num::newWordArray_(sz(a) + 1), d = num::newWordArray_(sz(a));
      be::bignat_add_word(r, wa, w);
      ASSERT_EQ(contents(r), withCarry(sum, carry)) << a.size() << " + word";
      ASSERT_EQ(be::bignat_sub_word(d, wa, w), borrow == 0 ? 1 : 0);
      ASSERT_EQ(contents(d), diff) << a.size() << " - word";
    }
  }
}

}  // namespace
