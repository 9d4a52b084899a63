// The native backend's products and divisions: schoolbook rows and Knuth's
// division on raw limbs, with the kernels of Native.hpp around them.
#include <algorithm>
#include <cassert>
#include <memory>

#include "../Overlap.hpp"
#include "NativeMulCore.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace core {

namespace {

// Scratch limbs: on the stack when few, else one heap array, freed on every
// way out (std::bad_alloc included).
class Scratch {
 public:
  explicit Scratch(Int n) {
    if (n > kStackLimbs) {
      heap_ = std::make_unique_for_overwrite<Word[]>(static_cast<std::size_t>(n));
      p_ = heap_.get();
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  Word* get() noexcept { return p_; }

 private:
  static constexpr Int kStackLimbs = 128;
  Word stack_[kStackLimbs];
  std::unique_ptr<Word[]> heap_;
  Word* p_ = stack_;
};

// {r, n} = {a, n} << s, 0 < s < 64; returns the bits shifted out.  r may be a.
Word shiftLeftLimbs(Word* r, const Word* a, Int n, int s) noexcept {
  Word out = 0;
  for (Int i = 0; i < n; ++i) {
    const Word x = a[i];
    r[i] = (x << s) | out;
    out = x >> (64 - s);
  }
  return out;
}

// {r, n} = {a, n} >> s, 0 < s < 64.  r may be a.
void shiftRightLimbs(Word* r, const Word* a, Int n, int s) noexcept {
  for (Int i = 0; i < n; ++i) {
    const Word hi = i + 1 < n ? a[i + 1] : 0;
    r[i] = (a[i] >> s) | (hi << (64 - s));
  }
}

// Schoolbook product, na >= nb >= 1.  Zero limbs of b add no row, and every
// row starts at a's lowest non-zero limb: the limbs below it contribute
// nothing.  The carry of row i lands on r[i + na], which no earlier row has
// reached, so it is stored rather than added.
void mulBasecase(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  Int j0 = 0;
  while (j0 < na && a[j0] == 0) ++j0;
  std::fill_n(r, na + nb, Word{0});
  if (j0 == na) return;
  for (Int i = 0; i < nb; ++i) {
    if (b[i] != 0) r[i + na] = addMulLimbs1(r + i + j0, a + j0, na - j0, b[i]);
  }
}

// Schoolbook square: the products a[i] a[j], i < j, once, doubled, plus the
// squares of the limbs on the diagonal.
void sqrBasecase(Word* r, const Word* a, Int n) noexcept {
  std::fill_n(r, 2 * n, Word{0});
  for (Int i = 0; i + 1 < n; ++i) {
    if (a[i] != 0) r[i + n] = addMulLimbs1(r + 2 * i + 1, a + i + 1, n - i - 1, a[i]);
  }
  const Word top = shiftLeftLimbs(r, r, 2 * n, 1);
  assert(top == 0);
  (void)top;
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Wide p = static_cast<Wide>(a[i]) * a[i];
    const Wide lo = static_cast<Wide>(r[2 * i]) + static_cast<Word>(p) + c;
    r[2 * i] = static_cast<Word>(lo);
    const Wide hi =
        static_cast<Wide>(r[2 * i + 1]) + static_cast<Word>(p >> 64) + static_cast<Word>(lo >> 64);
    r[2 * i + 1] = static_cast<Word>(hi);
    c = static_cast<Word>(hi >> 64);
  }
  assert(c == 0);
}

// Knuth's division on raw limbs, dn >= 2, d normalised, na >= dn.  Each
// quotient limb is estimated from the top two limbs of the running
// remainder and d's top limb, refined with the next limb of each (the 3-by-2
// step), which leaves it at most one too large; the row subtraction then
// finds that case and adds d back once.  Only when the top limb equals d's
// is the estimate 2^64 - 1 taken unrefined, and then up to two add-backs
// follow.
Word divBasecase(Word* q, Word* a, Int na, const Word* d, Int dn) noexcept {
  const Int qn = na - dn;
  Word qh = 0;
  if (compareLimbs(a + qn, d, dn) >= 0) {
    subLimbsN(a + qn, a + qn, d, dn);
    qh = 1;
  }
  const Word d1 = d[dn - 1];
  const Word d0 = d[dn - 2];
  for (Int j = qn - 1; j >= 0; --j) {
    Word* w = a + j;  // the window {w, dn + 1}, below d * 2^64
    const Word n2 = w[dn];
    const Word n1 = w[dn - 1];
    const Word n0 = w[dn - 2];
    Word qhat = ~Word{0};
    if (n2 < d1) {
      auto [qq, rhat] = detail::quotRemWord2(n2, n1, d1);
      qhat = qq;
      Wide p = static_cast<Wide>(qhat) * d0;
      while (p > ((static_cast<Wide>(rhat) << 64) | n0)) {
        --qhat;
        p -= d0;
        rhat += d1;
        if (rhat < d1) break;  // rhat passed 2^64: the estimate now holds
      }
    }
    Word top = n2 - subMulLimbs1(w, d, dn, qhat);
    // The window is now (top as a signed limb) * 2^(64 dn) + {w, dn}, and
    // above -2 d: add d back until it is no longer negative.
    while (top != 0) {
      top += addLimbsN(w, w, d, dn);
      --qhat;
    }
    w[dn] = 0;
    q[j] = qhat;
  }
  return qh;
}

}  // namespace

void mulLimbs(Word* r, const Word* a, Int na, const Word* b, Int nb) {
  assert(na >= nb && nb >= 1);
  mulBasecase(r, a, na, b, nb);
}

void sqrLimbs(Word* r, const Word* a, Int n) {
  assert(n >= 1);
  sqrBasecase(r, a, n);
}

Word divRemNormalized(Word* q, Word* a, Int na, const Word* d, Int dn) {
  assert(dn >= 2 && na >= dn && (d[dn - 1] >> 63) != 0);
  return divBasecase(q, a, na, d, dn);
}

Word divRemLimb(Word* q, const Word* a, Int n, Word d) noexcept {
  assert(d != 0);
  Word rho = 0;
  for (Int i = n - 1; i >= 0; --i) {
    const auto [qi, ri] = detail::quotRemWord2(rho, a[i], d);
    q[i] = qi;
    rho = ri;
  }
  return rho;
}

Word remLimb(const Word* a, Int n, Word d) noexcept {
  assert(d != 0);
  Word rho = 0;
  for (Int i = n - 1; i >= 0; --i) rho = detail::quotRemWord2(rho, a[i], d).second;
  return rho;
}

}  // namespace core

namespace {

using detail::separate;

// {q, na - dn + 1} = a div d and {r, dn} = a mod d, for dn >= 1 and a top
// limb of d that is not zero.  The dividend is copied with one spare limb
// and both operands shifted by d's leading zero count, so the divisor is
// normalised; the remainder is shifted back.
void quotRemLimbs(Word* q, Word* r, const Word* a, Int na, const Word* d, Int dn) {
  assert(na >= dn && dn >= 1 && d[dn - 1] != 0);
  if (dn == 1) {
    r[0] = core::divRemLimb(q, a, na, d[0]);
    return;
  }
  const int s = countLeadingZeros(d[dn - 1]);
  core::Scratch buf(na + 1 + (s != 0 ? dn : 0));
  Word* an = buf.get();
  const Word* dnorm = d;
  if (s != 0) {
    an[na] = core::shiftLeftLimbs(an, a, na, s);
    Word* ds = an + na + 1;
    core::shiftLeftLimbs(ds, d, dn, s);
    dnorm = ds;
  } else {
    std::copy_n(a, na, an);
    an[na] = 0;
  }
  // The top dn limbs of the shifted dividend are below d: no quotient limb
  // beyond na - dn.
  const Word qh = core::divRemNormalized(q, an, na + 1, dnorm, dn);
  assert(qh == 0);
  (void)qh;
  if (s != 0) {
    core::shiftRightLimbs(r, an, dn, s);
  } else {
    std::copy_n(an, dn, r);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Products.

void bignat_mul(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) {
  assert(a.size() >= b.size() && b.size() >= 1 && r.size() == a.size() + b.size());
  assert(separate(r, a) && separate(r, b));
  core::mulLimbs(r.data(), a.data(), a.size(), b.data(), b.size());
}

void bignat_sqr(MutableWordArray_& r, const WordArray_& a) {
  assert(a.size() >= 1 && r.size() == 2 * a.size() && separate(r, a));
  core::sqrLimbs(r.data(), a.data(), a.size());
}

void bignat_mul_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(a.size() >= 1 && r.size() == a.size() + 1 && separate(r, a));
  mwaWriteMostSignificant(r, core::mulLimbs1(r.data(), a.data(), a.size(), w));
}

void bignat_mul_mul(MutableWordArray_& r, const WordArray_& a, Word w, Int off, Int k0) noexcept {
  const Int na = a.size();
  assert(off >= 0 && k0 >= 0 && k0 <= na && r.size() >= na + off + 1 && separate(r, a));
  const Word c = core::addMulLimbs1(r.data() + off + k0, a.data() + k0, na - k0, w);
  const Word out = core::incLimbs(r.data() + na + off, r.size() - na - off, c);
  assert(out == 0);
  (void)out;
}

// ---------------------------------------------------------------------------
// Division.

void bignat_quotrem(MutableWordArray_& q, MutableWordArray_& r, const WordArray_& n,
                    const WordArray_& d) {
  assert(n.size() >= d.size() && d.size() >= 1 && d[d.size() - 1] != 0);
  assert(q.size() == n.size() - d.size() + 1 && r.size() == d.size());
  assert(separate(q, n) && separate(q, d) && separate(r, n) && separate(r, d));
  quotRemLimbs(q.data(), r.data(), n.data(), n.size(), d.data(), d.size());
  mwaTrimZeroes_(r);
}

void bignat_quotrem_normalized(MutableWordArray_& q, MutableWordArray_& a, const WordArray_& b) {
  const Int na = a.size();
  const Int nb = b.size();
  assert(na >= nb && nb >= 1 && (b[nb - 1] >> 63) != 0);
  assert(q.size() == na - nb + 1 || q.size() == na - nb);
  assert(separate(q.data(), q.size(), a.data(), na) && separate(q, b));
  assert(separate(a.data(), na, b.data(), nb));
  if (nb == 1) {
    // Without room for the top quotient limb the caller knows it is zero:
    // the top limb of a is then below the divisor and starts the chain.
    const Word d0 = b[0];
    const Int top = q.size() == na ? na : na - 1;
    Word rho = top == na ? 0 : a[na - 1];
    for (Int i = top - 1; i >= 0; --i) {
      const auto [qi, ri] = detail::quotRemWord2(rho, a[i], d0);
      q[i] = qi;
      rho = ri;
    }
    a[0] = rho;
    std::fill_n(a.data() + 1, na - 1, Word{0});
    return;
  }
  const Word qh = core::divRemNormalized(q.data(), a.data(), na, b.data(), nb);
  if (q.size() > na - nb) {
    q[na - nb] = qh;
  } else {
    assert(qh == 0);
  }
}

void bignat_quot(MutableWordArray_& q, const WordArray_& n, const WordArray_& d) {
  assert(n.size() >= d.size() && d.size() >= 1 && q.size() == n.size() - d.size() + 1);
  assert(separate(q, n) && separate(q, d));
  core::Scratch r(d.size());
  quotRemLimbs(q.data(), r.get(), n.data(), n.size(), d.data(), d.size());
}

void bignat_rem(MutableWordArray_& r, const WordArray_& n, const WordArray_& d) {
  assert(n.size() >= d.size() && d.size() >= 1 && r.size() == d.size());
  assert(separate(r, n) && separate(r, d));
  core::Scratch q(n.size() - d.size() + 1);
  quotRemLimbs(q.get(), r.data(), n.data(), n.size(), d.data(), d.size());
}

Word bignat_quotrem_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept {
  assert(q.size() == n.size() && separate(q, n));
  return core::divRemLimb(q.data(), n.data(), n.size(), d0);
}

void bignat_quot_word(MutableWordArray_& q, const WordArray_& n, Word d0) noexcept {
  assert(q.size() == n.size() && separate(q, n));
  core::divRemLimb(q.data(), n.data(), n.size(), d0);
}

Word bignat_rem_word(const WordArray_& n, Word d0) noexcept {
  return core::remLimb(n.data(), n.size(), d0);
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
