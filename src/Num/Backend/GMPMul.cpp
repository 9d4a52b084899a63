// The multiplicative kernels on GMP's mpn layer and the C limb wrappers.
#include <gmp.h>

#include <algorithm>
#include <cassert>

#include "../Overlap.hpp"
#include "Num/Backend/GMP.hpp"
#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/gmp_wrappers.h"

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

namespace {

using detail::separate;

// The signed size of a magnitude of n limbs whose sign flag is s.
Int signedSize(Int s, Int n) noexcept { return s != 0 ? -n : n; }

}  // namespace

// ---------------------------------------------------------------------------
// Bindings.

Word c_mpn_mul(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  assert(na >= nb && nb >= 1);
  assert(separate(r, na + nb, a, na) && separate(r, na + nb, b, nb));
  // Equal lengths go straight to the equal-length product, which mpn_mul
  // would reach only after its own dispatch.
  if (na == nb) {
    mpn_mul_n(r, a, b, na);
    return r[2 * na - 1];
  }
  return mpn_mul(r, a, na, b, nb);
}

void c_mpn_sqr(Word* r, const Word* a, Int n) noexcept {
  assert(n >= 1 && separate(r, 2 * n, a, n));
  mpn_sqr(r, a, n);
}

Word c_mpn_mul_1(Word* r, const Word* a, Int na, Word w) noexcept {
  assert(na >= 1 && (r == a || separate(r, na, a, na)));
  return mpn_mul_1(r, a, na, w);
}

void c_mpn_tdiv_qr(Word* q, Word* r, Int qxn, const Word* n, Int nn, const Word* d,
                   Int dn) noexcept {
  assert(qxn == 0 && nn >= dn && dn >= 1 && d[dn - 1] != 0);
  assert(separate(q, nn - dn + 1, n, nn) && separate(q, nn - dn + 1, d, dn) &&
         separate(q, nn - dn + 1, r, dn));
  assert((r == n || separate(r, dn, n, nn)) && separate(r, dn, d, dn));
  mpn_tdiv_qr(q, r, qxn, n, nn, d, dn);
}

void c_mpn_tdiv_q(Word* q, const Word* n, Int nn, const Word* d, Int dn) noexcept {
  assert(separate(q, nn - dn + 1, n, nn) && separate(q, nn - dn + 1, d, dn));
  numkit_mpn_tdiv_q(q, n, nn, d, dn);
}

void c_mpn_tdiv_r(Word* r, const Word* n, Int nn, const Word* d, Int dn) noexcept {
  assert((r == n || separate(r, dn, n, nn)) && separate(r, dn, d, dn));
  numkit_mpn_tdiv_r(r, n, nn, d, dn);
}

Word c_mpn_divrem_1(Word* q, Int qxn, const Word* n, Int nn, Word d0) noexcept {
  assert(d0 != 0 && qxn >= 0 && nn >= 0);
  assert((q == n && qxn == 0) || separate(q, qxn + nn, n, nn));
  return mpn_divrem_1(q, qxn, n, nn, d0);
}

Word c_mpn_mod_1(const Word* n, Int nn, Word d0) noexcept {
  assert(d0 != 0 && nn >= 0);
  return mpn_mod_1(n, nn, d0);
}

Int c_mpn_gcd_(Word* r, const Word* x, Int xn, const Word* y, Int yn) noexcept {
  assert(separate(r, yn, x, xn) && separate(r, yn, y, yn));
  return narrowGmpSize_(numkit_mpn_gcd(r, x, xn, y, yn));
}

Word c_mpn_gcd_1_(const Word* x, Int xn, Word y) noexcept { return numkit_mpn_gcd_1(x, xn, y); }

void numkit_gcdext_(Word* s0, std::int32_t* ssn, Word* t0, std::int32_t* stn, Word* g0,
                    std::int32_t* gn, const Word* x0, Int xn, const Word* y0, Int yn) noexcept {
  ::numkit_gcdext(s0, ssn, t0, stn, g0, gn, x0, xn, y0, yn);
}

Int numkit_invert_(Word* r, const Word* x, Int xn, const Word* m, Int mn) noexcept {
  return narrowGmpSize_(::numkit_invert(r, x, xn, m, mn));
}

Int numkit_powm_(Word* r, const Word* b, Int bn, const Word* e, Int en, const Word* m,
                 Int mn) noexcept {
  return narrowGmpSize_(::numkit_powm(r, b, bn, e, en, m, mn));
}

Word numkit_powm1_(const Word* b, Int bn, const Word* e, Int en, Word m0) noexcept {
  return ::numkit_powm1(b, bn, e, en, m0);
}

double c_mpn_get_d(const Word* a, Int an, Int e) noexcept { return numkit_mpn_get_d(a, an, e); }

// ---------------------------------------------------------------------------
// Products.

void bignat_mul(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() >= b.size() && b.size() >= 1 && r.size() == a.size() + b.size());
  assert(separate(r, a) && separate(r, b));
  c_mpn_mul(r.data(), a.data(), a.size(), b.data(), b.size());
}

void bignat_sqr(MutableWordArray_& r, const WordArray_& a) noexcept {
  assert(a.size() >= 1 && r.size() == 2 * a.size() && separate(r, a));
  c_mpn_sqr(r.data(), a.data(), a.size());
}

Word bignat_mul_word_into(Word* r, const Word* a, Int n, Word w) noexcept {
  return c_mpn_mul_1(r, a, n, w);
}

void bignat_mul_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(a.size() >= 1 && r.size() == a.size() + 1 && separate(r, a));
  const Word c = c_mpn_mul_1(r.data(), a.data(), a.size(), w);
  if (c != 0) {
    r[r.size() - 1] = c;
  } else {
    r.setSize(r.size() - 1);
  }
}

// ---------------------------------------------------------------------------
// Division.

void bignat_quotrem(MutableWordArray_& q, MutableWordArray_& r, const WordArray_& n,
                    const WordArray_& d) noexcept {
  assert(q.size() == n.size() - d.size() + 1 && r.size() == d.size());
  assert(separate(q, n) && separate(q, d) && separate(r, n) && separate(r, d));
  c_mpn_tdiv_qr(q.data(), r.data(), 0, n.data(), n.size(), d.data(), d.size());
}

void bignat_quot(MutableWordArray_& q, const WordArray_& n, const WordArray_& d) noexcept {
  assert(n.size() >= d.size() && d.size() >= 1 && q.size() == n.size() - d.size() + 1);
  assert(d[d.size() - 1] != 0 && separate(q, n) && separate(q, d));
  // A divisor of up to a few hundred limbs leaves its remainder on the
  // stack: the quotient is then the only block the division takes.
  constexpr Int kStackRemainder = 256;
  if (d.size() <= kStackRemainder) {
    Word r[kStackRemainder];
    c_mpn_tdiv_qr(q.data(), r, 0, n.data(), n.size(), d.data(), d.size());
    return;
  }
  // mpz_tdiv_q finds a short quotient from the top limbs alone, where
  // mpn_tdiv_qr would also build the whole remainder: on a large dividend
  // with a quotient of a limb or two that is most of the work.
  mpz_t nz;
  mpz_t dz;
  mpz_t qz;
  mpz_init(qz);
  mpz_tdiv_q(qz, mpz_roinit_n(nz, n.data(), n.size()), mpz_roinit_n(dz, d.data(), d.size()));
  const auto qn = static_cast<Int>(mpz_size(qz));
  std::copy_n(mpz_limbs_read(qz), qn, q.data());
  std::fill(q.data() + qn, q.data() + q.size(), Word{0});
  mpz_clear(qz);
}

void bignat_rem(MutableWordArray_& r, const WordArray_& n, const WordArray_& d) noexcept {
  assert(n.size() >= d.size() && d.size() >= 1 && r.size() == d.size());
  assert(d[d.size() - 1] != 0 && separate(r, n) && separate(r, d));
  c_mpn_tdiv_r(r.data(), n.data(), n.size(), d.data(), d.size());
}

Word bignat_quotrem_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept {
  assert(q.size() == n.size() && separate(q, n));
  return c_mpn_divrem_1(q.data(), 0, n.data(), n.size(), d0);
}

void bignat_quot_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept {
  assert(q.size() == n.size() && separate(q, n));
  c_mpn_divrem_1(q.data(), 0, n.data(), n.size(), d0);
}

Word bignat_rem_word(const WordArray_& n, Word d0) noexcept {
  return c_mpn_mod_1(n.data(), n.size(), d0);
}

// ---------------------------------------------------------------------------
// Greatest common divisor.

void bignat_gcd(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() >= b.size() && b.size() >= 1 && r.size() == b.size());
  assert(separate(r, a) && separate(r, b));
  r.setSize(c_mpn_gcd_(r.data(), a.data(), a.size(), b.data(), b.size()));
}

Word bignat_gcd_word(const WordArray_& a, Word w) noexcept {
  return c_mpn_gcd_1_(a.data(), a.size(), w);
}

Word bignat_gcd_word_word(Word x, Word y) noexcept { return numkit_gcd_word(x, y); }

// ---------------------------------------------------------------------------
// Modular power and inverse, conversion to a double.

void sbignat_powmod(MutableWordArray_& r, Int sb, const WordArray_& b, const WordArray_& e,
                    const WordArray_& m) noexcept {
  assert((sb == b.size() || sb == -b.size()) && m.size() >= 1 && r.size() == m.size());
  assert(separate(r, b) && separate(r, e) && separate(r, m));
  r.setSize(numkit_powm_(r.data(), b.data(), sb, e.data(), e.size(), m.data(), m.size()));
}

void bignat_powmod(MutableWordArray_& r, const WordArray_& b, const WordArray_& e,
                   const WordArray_& m) noexcept {
  sbignat_powmod(r, b.size(), b, e, m);
}

Word bignat_powmod_word(const WordArray_& b, const WordArray_& e, Word m0) noexcept {
  return numkit_powm1_(b.data(), b.size(), e.data(), e.size(), m0);
}

Word bignat_powmod_words(Word b0, Word e0, Word m0) noexcept {
  return numkit_powm_word(b0, e0, m0);
}

WordArray_ sbignat_recip_mod(Int s, const WordArray_& x, const WordArray_& m) {
  MutableWordArray_ r = MutableWordArray_::allocate(m.size());
  r.setSize(numkit_invert_(r.data(), x.data(), signedSize(s, x.size()), m.data(), m.size()));
  return std::move(r).freeze();
}

double bignat_encode_double(const WordArray_& a, Int e) noexcept {
  return c_mpn_get_d(a.data(), a.size(), e);
}

// ---------------------------------------------------------------------------
// Whole numbers.  A single-word operand is read from a limb on the stack, so
// no operand is converted into a fresh array just to be passed to C.

namespace {

// The limbs and signed size of an Integer or a Natural, borrowed: a
// multi-word value's own limbs, or a copy of a single word in `limb`.
struct Limbs {
  Word limb = 0;
  const Word* p = &limb;
  Int n = 0;  // signed size: negative for a negative value

  explicit Limbs(const Integer& x) noexcept {
    if (x.isIS()) {
      const Int v = x.intValue();
      limb = wordFromAbsInt_(v);
      n = v < 0 ? -1 : v > 0 ? 1 : 0;
    } else {
      p = x.magnitude().data();
      n = signedSize(x.isIN() ? 1 : 0, x.magnitude().size());
    }
  }
  explicit Limbs(const Natural& x) noexcept {
    if (x.isNS()) {
      limb = x.word();
      n = limb != 0 ? 1 : 0;
    } else {
      p = x.bigNat().data();
      n = x.bigNat().size();
    }
  }
  Limbs(const Limbs&) = delete;  // p may point into the object itself
  Limbs& operator=(const Limbs&) = delete;
  Int size() const noexcept { return n < 0 ? -n : n; }
};

}  // namespace

std::tuple<Integer, Integer, Integer> integer_gcde(const Integer& a, const Integer& b) {
  const Limbs la(a);
  const Limbs lb(b);
  const Int na = la.size();
  const Int nb = lb.size();
  assert(na >= 1 && nb >= 1);
  // The sizes of s, t and g, written by the C function.
  MutableByteArray_ sizes = MutableByteArray_::allocate(3 * sizeof(std::int32_t));
  std::int32_t* sz = reinterpret_cast<std::int32_t*>(sizes.data());
  if (na == 1 && nb == 1) {
    // Every result fits one limb: no array is needed.
    Word g = 0;
    Word s = 0;
    Word t = 0;
    numkit_gcdext_(&s, &sz[0], &t, &sz[1], &g, &sz[2], la.p, la.n, lb.p, lb.n);
    return {integerFromWordSign_(0, g), integerFromWordSign_(sz[0] < 0 ? 1 : 0, sz[0] == 0 ? 0 : s),
            integerFromWordSign_(sz[1] < 0 ? 1 : 0, sz[1] == 0 ? 0 : t)};
  }
  // Each array at the bound the extended gcd proves for it, shrunk afterwards.
  MutableWordArray_ gs = MutableWordArray_::allocate(na < nb ? na : nb);
  MutableWordArray_ ss = MutableWordArray_::allocate(nb);
  MutableWordArray_ ts = MutableWordArray_::allocate(na);
  numkit_gcdext_(ss.data(), &sz[0], ts.data(), &sz[1], gs.data(), &sz[2], la.p, la.n, lb.p, lb.n);
  ss.setSize(sz[0] < 0 ? -sz[0] : sz[0]);
  ts.setSize(sz[1] < 0 ? -sz[1] : sz[1]);
  gs.setSize(sz[2]);
  return {integerFromBigNat_(std::move(gs).freeze()),
          integerFromBigNatSign_(sz[0] < 0 ? 1 : 0, std::move(ss).freeze()),
          integerFromBigNatSign_(sz[1] < 0 ? 1 : 0, std::move(ts).freeze())};
}

std::optional<Natural> integer_recip_mod(const Integer& x, const Natural& m) {
  const Limbs lx(x);
  const Limbs lm(m);
  if (lm.n <= 1) {
    // A modulus of one word: the inverse is a word too.
    Word r = 0;
    if (numkit_invert_(&r, lx.p, lx.n, lm.p, lm.n) == 0) return std::nullopt;
    return NS(r);
  }
  MutableWordArray_ r = MutableWordArray_::allocate(lm.n);
  const Int rn = numkit_invert_(r.data(), lx.p, lx.n, lm.p, lm.n);
  if (rn == 0) return std::nullopt;
  r.setSize(rn);
  return naturalFromBigNat_(std::move(r).freeze());
}

Natural integer_powmod(const Integer& b, const Natural& e, const Natural& m) {
  const Limbs lb(b);
  const Limbs le(e);
  const Limbs lm(m);
  assert(lm.n >= 1);
  if (lm.n == 1) return NS(numkit_powm1_(lb.p, lb.n, le.p, le.n, lm.limb));
  MutableWordArray_ r = MutableWordArray_::allocate(lm.n);
  r.setSize(numkit_powm_(r.data(), lb.p, lb.n, le.p, le.n, lm.p, lm.n));
  return naturalFromBigNat_(std::move(r).freeze());
}

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
