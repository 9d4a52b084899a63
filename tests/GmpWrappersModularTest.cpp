// The C limb functions for modular powers, modular inverses and primes,
// against GMP's mpz.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "Num/gmp_wrappers.h"
#include "support/LimbBuffer.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"

namespace {

using numtest::LimbBuffer;
using numtest::Mpz;
using numtest::Rng;
using Limbs = std::vector<num::Word>;
using num::Int;
using num::Word;

constexpr Word kOnes = ~Word{0};

Int sz(const Limbs& v) { return static_cast<Int>(v.size()); }
std::size_t uz(Int n) { return static_cast<std::size_t>(n); }

// A signed operand as the C functions take it: limbs and a signed size.  The
// constructor (rather than aggregate initialisation) keeps GCC 12 at -O2/-O3
// from reporting the limbs of table rows as maybe uninitialized on the
// cleanup path of the table's initializer list.
struct Signed {
  Signed(Limbs l = {}, bool neg = false) : limbs(std::move(l)), negative(neg) {}
  Limbs limbs;
  bool negative = false;
  Int size() const { return negative ? -sz(limbs) : sz(limbs); }
  Mpz mpz() const { return Mpz::fromLimbs(limbs, negative); }
};

// Moduli biased towards the special ones: 1, 2, even, a single limb, many limbs.
Limbs randomModulus(Rng& rng) {
  switch (rng.range(0, 5)) {
    case 0:
      return {static_cast<Word>(rng.range(1, 2))};
    case 1: {
      Limbs m = rng.limbs(1, 40);
      m[0] &= ~Word{1};
      return m[0] == 0 && m.size() == 1 ? Limbs{4} : m;
    }
    case 2:
      return {rng.specialWord() | 1};
    default:
      return rng.limbs(1, 40);
  }
}

// ---- Modular power ---------------------------------------------------------

struct PowmCase {
  Signed b;
  Limbs e, m, r;
};

const std::vector<PowmCase>& powmCases() {
  static const std::vector<PowmCase> cases = {
      {{{5}}, {3}, {1}, {}},         // modulus 1: zero, nothing written
      {{{5}}, {}, {1}, {}},          // modulus 1 wins over exponent 0
      {{{5}}, {}, {7}, {1}},         // exponent 0
      {{{}}, {}, {7}, {1}},          // 0^0 = 1
      {{{0}}, {0}, {7}, {1}},        // zeros spelt as one zero limb
      {{{}}, {5}, {7}, {}},          // 0^5 = 0
      {{{2}, true}, {3}, {5}, {2}},  // (-2)^3 mod 5
      {{{3}, true}, {3}, {7}, {1}},  // (-3)^3 mod 7
      {{{kOnes, kOnes}}, {2}, {0, 1}, {1}},
  };
  return cases;
}

TEST(GmpWrappersPowm, SmallCases) {
  for (const auto& c : powmCases()) {
    LimbBuffer r(c.m.size());
    EXPECT_EQ(numkit_powm(r.data(), c.b.limbs.data(), c.b.size(), c.e.data(), sz(c.e), c.m.data(),
                          sz(c.m)),
              sz(c.r));
    EXPECT_EQ(r.prefix(c.r.size()), c.r);
    if (c.r.empty()) {
      EXPECT_EQ(r[0], LimbBuffer::kGarbage) << "nothing written for zero";
    }
    EXPECT_TRUE(r.guardsIntact());
    if (c.m.size() == 1) {
      EXPECT_EQ(numkit_powm1(c.b.limbs.data(), c.b.size(), c.e.data(), sz(c.e), c.m[0]),
                c.r.empty() ? 0 : c.r[0]);
    }
    if ((c.m[0] & 1) != 0) {
      LimbBuffer s(c.m.size());
      EXPECT_EQ(numkit_powm_sec(s.data(), c.b.limbs.data(), c.b.size(), c.e.data(), sz(c.e),
                                c.m.data(), sz(c.m)),
                sz(c.r));
      EXPECT_EQ(s.prefix(c.r.size()), c.r);
    }
  }
  EXPECT_EQ(numkit_powm_word(0, 0, 7), 1U);
  EXPECT_EQ(numkit_powm_word(0, 5, 7), 0U);
  EXPECT_EQ(numkit_powm_word(0, 0, 1), 0U);
  EXPECT_EQ(numkit_powm_word(kOnes, kOnes, kOnes), 0U);
  EXPECT_EQ(numkit_powm_word(2, 64, kOnes), 1U);
}

TEST(GmpWrappersPowm, MatchesMpz) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(300); ++i) {
    const Signed b{rng.limbsOrZero(40), rng.coin()};
    const Limbs e = rng.limbsOrZero(3);
    const Limbs m = randomModulus(rng);
    const Mpz mm = Mpz::fromLimbs(m);
    Mpz expected;
    mpz_powm(expected.get(), b.mpz().get(), Mpz::fromLimbs(e).get(), mm.get());

    LimbBuffer r(m.size());
    const Int rn =
        numkit_powm(r.data(), b.limbs.data(), b.size(), e.data(), sz(e), m.data(), sz(m));
    EXPECT_EQ(r.prefix(uz(rn)), expected.limbs());
    EXPECT_TRUE(r.guardsIntact());
    LimbBuffer overB(std::max(b.limbs.size(), m.size()));
    std::copy(b.limbs.begin(), b.limbs.end(), overB.data());
    EXPECT_EQ(numkit_powm(overB.data(), overB.data(), b.size(), e.data(), sz(e), m.data(), sz(m)),
              rn);
    EXPECT_EQ(overB.prefix(uz(rn)), expected.limbs()) << "in place over the base";

    if ((m[0] & 1) != 0) {
      LimbBuffer s(m.size());
      const Int sn =
          numkit_powm_sec(s.data(), b.limbs.data(), b.size(), e.data(), sz(e), m.data(), sz(m));
      EXPECT_EQ(s.prefix(uz(sn)), expected.limbs()) << "powm_sec";
      EXPECT_TRUE(s.guardsIntact());
    }

    const Word m0 = m.size() == 1 ? m[0] : rng.specialWord() | 1;
    mpz_powm(expected.get(), b.mpz().get(), Mpz::fromLimbs(e).get(), Mpz(m0).get());
    EXPECT_EQ(numkit_powm1(b.limbs.data(), b.size(), e.data(), sz(e), m0),
              mpz_getlimbn(expected.get(), 0));

    const Word bw = rng.specialWord(), ew = rng.specialWord(), mw = rng.specialWord() | 1;
    mpz_powm(expected.get(), Mpz(bw).get(), Mpz(ew).get(), Mpz(mw).get());
    EXPECT_EQ(numkit_powm_word(bw, ew, mw), mpz_getlimbn(expected.get(), 0));
  }
}

// ---- Modular inverse ----------------------------------------------------------

TEST(GmpWrappersInvert, SmallCases) {
  struct Case {
    Signed x;
    Limbs m, r;
  };
  const std::vector<Case> cases = {
      {{{3}}, {7}, {5}},
      {{{2}}, {4}, {}},
      {{{3}, true}, {7}, {2}},
      {{{3}}, {1}, {}},
      {{{}}, {1}, {}},
      {{{}}, {7}, {}},
      {{{0}}, {7}, {}},
      {{{1}}, {}, {}},
      {{{1}, true}, {2}, {1}},
      {{{1}}, {0, 1}, {1}},
      {{{kOnes}}, {0, 1}, {kOnes}},
  };
  for (const auto& c : cases) {
    LimbBuffer r(c.m.empty() ? 1 : c.m.size());
    EXPECT_EQ(numkit_invert(r.data(), c.x.limbs.data(), c.x.size(), c.m.data(), sz(c.m)), sz(c.r));
    EXPECT_EQ(r.prefix(c.r.size()), c.r);
    EXPECT_TRUE(r.guardsIntact());
  }
  EXPECT_EQ(numkit_invert_word(3, 7), 5U);
  EXPECT_EQ(numkit_invert_word(2, 4), 0U);
  EXPECT_EQ(numkit_invert_word(1, 1), 0U);
  EXPECT_EQ(numkit_invert_word(1, 9), 1U);
  EXPECT_EQ(numkit_invert_word(0, 9), 0U);
  EXPECT_EQ(numkit_invert_word(5, 0), 0U);
  EXPECT_EQ(numkit_invert_word(kOnes, kOnes - 1), 1U);
}

TEST(GmpWrappersInvert, MatchesMpzAndInverts) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(400); ++i) {
    const Signed x{rng.limbsOrZero(40), rng.coin()};
    const Limbs m = randomModulus(rng);
    const Mpz mm = Mpz::fromLimbs(m);
    Mpz expected;
    const bool exists = x.limbs.size() > 0 && mpz_cmp_ui(mm.get(), 1) > 0 &&
                        mpz_invert(expected.get(), x.mpz().get(), mm.get()) != 0;

    const Word xw = rng.specialWord(), mw = rng.specialWord();
    Mpz ew;
    const bool wexists =
        xw != 0 && mw > 1 && mpz_invert(ew.get(), Mpz(xw).get(), Mpz(mw).get()) != 0;
    EXPECT_EQ(numkit_invert_word(xw, mw), wexists ? mpz_getlimbn(ew.get(), 0) : 0)
        << xw << " mod " << mw;

    LimbBuffer r(m.size());
    const Int rn = numkit_invert(r.data(), x.limbs.data(), x.size(), m.data(), sz(m));
    EXPECT_TRUE(r.guardsIntact());
    LimbBuffer overX(std::max(x.limbs.size(), m.size()));
    std::copy(x.limbs.begin(), x.limbs.end(), overX.data());
    EXPECT_EQ(numkit_invert(overX.data(), overX.data(), x.size(), m.data(), sz(m)), rn);
    EXPECT_EQ(overX.prefix(uz(rn)), r.prefix(uz(rn))) << "in place over x";
    if (!exists) {
      EXPECT_EQ(rn, 0);
      continue;
    }
    ASSERT_GT(rn, 0);
    const Mpz inv = Mpz::fromLimbs(r.prefix(uz(rn)));
    EXPECT_EQ(inv, expected);
    Mpz product;
    mpz_mul(product.get(), inv.get(), x.mpz().get());
    mpz_mod(product.get(), product.get(), mm.get());
    EXPECT_EQ(product, Mpz(1));
  }
}

// ---- Primes ---------------------------------------------------------------------

TEST(GmpWrappersPrimes, SmallCases) {
  EXPECT_EQ(numkit_test_prime1(0, 25), 0);
  EXPECT_EQ(numkit_test_prime1(1, 25), 0);
  EXPECT_EQ(numkit_test_prime1(97, 25), 2);
  EXPECT_EQ(numkit_test_prime1(91, 25), 0);
  EXPECT_EQ(numkit_test_prime1(kOnes - 58, 25), 1) << "the largest prime below 2^64";
  const Limbs mersenne127 = {kOnes, kOnes >> 1};
  EXPECT_EQ(numkit_test_prime(mersenne127.data(), 2, 30), 1);
  EXPECT_EQ(numkit_test_prime(mersenne127.data(), -2, 30), 1) << "the sign is ignored";
  EXPECT_EQ(numkit_test_prime(nullptr, 0, 25), 0);

  EXPECT_EQ(numkit_next_prime1(0), 2U);
  EXPECT_EQ(numkit_next_prime1(1), 2U);
  EXPECT_EQ(numkit_next_prime1(2), 3U);
  EXPECT_EQ(numkit_next_prime1(kOnes - 59), kOnes - 58);
  EXPECT_EQ(numkit_next_prime1(kOnes), 13U) << "2^64 + 13 modulo 2^64";

  const Limbs top = {kOnes};
  LimbBuffer r(1);
  EXPECT_EQ(numkit_next_prime(r.data(), top.data(), 1), 1U);
  EXPECT_EQ(r.all(), Limbs{13});
  LimbBuffer none(0);
  EXPECT_EQ(numkit_next_prime(none.data(), nullptr, 0), 2U);
  EXPECT_TRUE(none.guardsIntact());
  // Every limb count gets the low sn limbs written and limb sn returned, zero
  // spelt with one limb included.
  for (const Limbs& small : {Limbs{0}, Limbs{1}}) {
    LimbBuffer s(1);
    EXPECT_EQ(numkit_next_prime(s.data(), small.data(), 1), 0U);
    EXPECT_EQ(s.all(), Limbs{2});
  }
}

TEST(GmpWrappersPrimes, MatchMpz) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(100); ++i) {
    Limbs s = rng.limbs(1, 8);
    if (rng.range(0, 3) == 0) std::fill(s.begin(), s.end(), kOnes);  // the carry into a new limb
    const Mpz ms = Mpz::fromLimbs(s);
    EXPECT_EQ(numkit_test_prime(s.data(), sz(s), 25), mpz_probab_prime_p(ms.get(), 25));

    Mpz next;
    mpz_nextprime(next.get(), ms.get());
    EXPECT_EQ(numkit_test_prime(next.limbs().data(), static_cast<Int>(mpz_size(next.get())), 25),
              mpz_probab_prime_p(next.get(), 25));
    LimbBuffer r(s.size());
    const Word above = numkit_next_prime(r.data(), s.data(), sz(s));
    EXPECT_EQ(above, mpz_getlimbn(next.get(), sz(s)));
    Limbs got = r.all();
    got.push_back(above);
    EXPECT_EQ(Mpz::fromLimbs(got), next);
    EXPECT_TRUE(r.guardsIntact());
    LimbBuffer over(s.size());
    std::copy(s.begin(), s.end(), over.data());
    EXPECT_EQ(numkit_next_prime(over.data(), over.data(), sz(s)), above);
    EXPECT_EQ(over.all(), r.all()) << "in place";

    const Word w = rng.specialWord();
    mpz_nextprime(next.get(), Mpz(w).get());
    EXPECT_EQ(numkit_next_prime1(w), mpz_getlimbn(next.get(), 0));
    EXPECT_EQ(numkit_test_prime1(w, 30), w == 0 ? 0 : mpz_probab_prime_p(Mpz(w).get(), 30));
  }
}

}  // namespace
