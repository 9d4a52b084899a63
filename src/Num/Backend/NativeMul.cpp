// The native backend's products and divisions: schoolbook rows and Knuth's
// division on raw limbs, with the kernels of Native.hpp around them.
#include <algorithm>
#include <cassert>
#include <memory>
#include <utility>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include "../Division.hpp"
#include "../Overlap.hpp"
#include "NativeMulCore.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace core {

namespace {

// BMI2 and ADX are bits 8 and 19 of ebx in cpuid leaf 7, subleaf 0.
bool detectMulx() noexcept {
#if defined(__x86_64__)
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return false;
  return (ebx >> 8 & 1) != 0 && (ebx >> 19 & 1) != 0;
#else
  return false;
#endif
}

}  // namespace

const bool kHaveMulx = detectMulx();

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
// nothing.  The first row is stored, the others added; the carry of row i
// lands on r[i + na], which no earlier row has reached, so it is stored too.
void mulBasecase(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  Int j0 = 0;
  while (j0 < na && a[j0] == 0) ++j0;
  Int i0 = 0;
  while (i0 < nb && b[i0] == 0) ++i0;
  if (j0 == na || i0 == nb) {
    std::fill_n(r, na + nb, Word{0});
    return;
  }
  std::fill_n(r, i0 + j0, Word{0});
  r[i0 + na] = mulLimbs1(r + i0 + j0, a + j0, na - j0, b[i0]);
  for (Int i = i0 + 1; i < nb; ++i) {
    r[i + na] = b[i] != 0 ? addMulLimbs1(r + i + j0, a + j0, na - j0, b[i]) : 0;
  }
}

// Schoolbook square: the products a[i] a[j], i < j, once, then one pass
// that doubles them and adds the squares of the limbs on the diagonal.
void sqrBasecase(Word* r, const Word* a, Int n) noexcept {
  std::fill_n(r, 2 * n, Word{0});
  for (Int i = 0; i + 1 < n; ++i) {
    if (a[i] != 0) r[i + n] = addMulLimbs1(r + 2 * i + 1, a + i + 1, n - i - 1, a[i]);
  }
  Word shifted = 0;  // the top bit of the limb below, doubled into this one
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Word lo = r[2 * i];
    const Word hi = r[2 * i + 1];
    const Wide p = static_cast<Wide>(a[i]) * a[i];
    const Wide s = static_cast<Wide>((lo << 1) | shifted) + static_cast<Word>(p) + c;
    const Wide t = static_cast<Wide>((hi << 1) | (lo >> 63)) + static_cast<Word>(p >> 64) +
                   static_cast<Word>(s >> 64);
    shifted = hi >> 63;
    r[2 * i] = static_cast<Word>(s);
    r[2 * i + 1] = static_cast<Word>(t);
    c = static_cast<Word>(t >> 64);
  }
  assert(c == 0 && shifted == 0);
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
    subLimbs(a + qn, a + qn, d, dn);
    qh = 1;
  }
  const Word d1 = d[dn - 1];
  const Word d0 = d[dn - 2];
  const detail::WordDivisor inv(d1);
  for (Int j = qn - 1; j >= 0; --j) {
    Word* w = a + j;  // the window {w, dn + 1}, below d * 2^64
    const Word n2 = w[dn];
    const Word n1 = w[dn - 1];
    const Word n0 = w[dn - 2];
    Word qhat = ~Word{0};
    if (n2 < d1) {
      Word rhat = n2;
      qhat = inv.divide(rhat, n1);
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
      top += addLimbs(w, w, d, dn);
      --qhat;
    }
    w[dn] = 0;
    q[j] = qhat;
  }
  return qh;
}

// ---------------------------------------------------------------------------
// Thresholds, in limbs, from which the next algorithm is the faster one.
// Measured on the development machine (AMD EPYC, 2 cores shared with other
// work, mulx/adcx/adox available), Release build: a throw-away driver timed
// the kernel (thread CPU time, best of 15 rounds, candidate thresholds
// interleaved within each round) for operand sizes from 16 to 1000 limbs,
// divisions of 2n by n limbs.  The crossings found: Karatsuba products from
// about 50 limbs, Toom-3 from 250 to 300; squares (whose schoolbook form
// needs only half the limb products) from about 150 and 300 to 500;
// recursive division from 30 to 60.  Below about 20 limbs the doubling pass
// of the schoolbook square costs more than the products it saves (minimum
// cycle counts of both forms).  The curves are flat near each crossing, so
// a few limbs either way make no measurable difference.  Products compare
// the shorter operand's size, divisions the divisor's.
constexpr Int mulKaratsubaThreshold = 48;
constexpr Int mulToom3Threshold = 280;
constexpr Int sqrBasecaseThreshold = 20;
constexpr Int sqrKaratsubaThreshold = 144;
constexpr Int sqrToom3Threshold = 400;
constexpr Int divRecursiveThreshold = 40;

// {r, rn} += {a, an}, an <= rn; returns the carry out of the top.
Word addInto(Word* r, Int rn, const Word* a, Int an) noexcept {
  assert(an <= rn);
  return incLimbs(r + an, rn - an, addLimbs(r, r, a, an));
}

// {r, rn} -= {a, an}, an <= rn; returns the borrow out of the top.
Word subFrom(Word* r, Int rn, const Word* a, Int an) noexcept {
  assert(an <= rn);
  return decLimbs(r + an, rn - an, subLimbs(r, r, a, an));
}

// {r, rn} += {a, an} * 2^(64 off) for a sum known to fit rn limbs: the limbs
// of a that would land above r are zero and no carry leaves the top.
void addAt(Word* r, Int rn, Int off, const Word* a, Int an) noexcept {
  Int n = an < rn - off ? an : rn - off;
  assert(std::all_of(a + n, a + an, [](Word w) { return w == 0; }));
  const Word c = addInto(r + off, rn - off, a, n);
  assert(c == 0);
  (void)c;
  (void)n;
}

// {r, an} = |{a, an} - {b, bn}|, an >= bn; returns 1 when a < b, else 0.
Word absDiff(Word* r, const Word* a, Int an, const Word* b, Int bn) noexcept {
  assert(an >= bn);
  Int top = an;
  while (top > bn && a[top - 1] == 0) --top;
  if (top == bn && compareLimbs(a, b, bn) < 0) {
    subLimbs(r, b, a, bn);
    std::fill(r + bn, r + an, Word{0});
    return 1;
  }
  const Word borrow = subLimbs(r, a, b, bn);
  std::copy(a + bn, a + an, r + bn);
  decLimbs(r + bn, an - bn, borrow);
  return 0;
}

// {r, n} = {a, n} / 3 for a multiple of 3: by the inverse of 3 modulo
// 2^64, one limb at a time from the bottom.
void divExact3(Word* r, const Word* a, Int n) noexcept {
  constexpr Word kInverse3 = 0xaaaaaaaaaaaaaaabULL;  // 3 * kInverse3 = 1 mod 2^64
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Word x = a[i];
    const Word q = (x - c) * kInverse3;
    r[i] = q;
    c = static_cast<Word>((static_cast<Wide>(q) * 3) >> 64) + static_cast<Word>(x < c);
  }
  assert(c == 0);
}

// x * y, or x^2 when squaring (then y is x).
void product(Word* r, const Word* x, Int xn, const Word* y, Int yn, bool square) {
  if (square) {
    sqrLimbs(r, x, xn);
  } else if (xn >= yn) {
    mulLimbs(r, x, xn, y, yn);
  } else {
    mulLimbs(r, y, yn, x, xn);
  }
}

// Karatsuba, na >= nb > h = ceil(na / 2): with a = a1 2^(64h) + a0 and b
// alike, a b = z2 2^(128h) + (z0 + z2 - (a0 - a1)(b0 - b1)) 2^(64h) + z0
// where z0 = a0 b0 and z2 = a1 b1: three products of about half the size.
void mulKaratsuba(Word* r, const Word* a, Int na, const Word* b, Int nb, bool square) {
  const Int h = (na + 1) / 2;
  const Int rn = na + nb;
  assert(nb > h);
  Scratch s(6 * h + 1);
  Word* da = s.get();    // |a0 - a1|
  Word* db = da + h;     // |b0 - b1|
  Word* zm = db + h;     // their product
  Word* t = zm + 2 * h;  // the middle coefficient
  const Word sa = absDiff(da, a, h, a + h, na - h);
  const Word sb = square ? sa : absDiff(db, b, h, b + h, nb - h);
  product(r, a, h, b, h, square);
  product(r + 2 * h, a + h, na - h, b + h, nb - h, square);
  product(zm, da, h, square ? da : db, h, square);
  std::copy_n(r, 2 * h, t);
  t[2 * h] = addInto(t, 2 * h, r + 2 * h, rn - 2 * h);
  if (sa == sb) {
    subFrom(t, 2 * h + 1, zm, 2 * h);
  } else {
    addInto(t, 2 * h + 1, zm, 2 * h);
  }
  addAt(r, rn, h, t, 2 * h + 1);
}

// The three Toom-3 evaluation operands of a = a2 2^(128k) + a1 2^(64k) + a0
// (a2 of n2 limbs), k + 1 limbs each: p1 = a(1), pm = |a(-1)|, p2 = a(2).
// Returns 1 when a(-1) < 0.
Word toom3Evaluate(Word* p1, Word* pm, Word* p2, const Word* a, Int k, Int n2) noexcept {
  const Word* a1 = a + k;
  const Word* a2 = a + 2 * k;
  std::copy_n(a, k, p1);
  p1[k] = addInto(p1, k, a2, n2);
  const Word sign = absDiff(pm, p1, k + 1, a1, k);
  p1[k] += addLimbs(p1, p1, a1, k);
  std::copy_n(a2, n2, p2);
  std::fill(p2 + n2, p2 + k + 1, Word{0});
  shiftLeftLimbs(p2, p2, k + 1, 1);
  addInto(p2, k + 1, a1, k);
  shiftLeftLimbs(p2, p2, k + 1, 1);
  addInto(p2, k + 1, a, k);
  return sign;
}

// Toom-3 with k = ceil(na / 3) and nb > 2k: the product polynomial
// c4 x^4 + ... + c0 at x = 2^(64k) is found from its values at 0, 1, -1, 2
// and infinity, five products of about a third of the size.  The
// interpolation runs modulo 2^(64w), w = 2k + 2: every coefficient lies in
// [0, 2^(64w)), so the wrapped intermediate differences come out exact.
void mulToom3(Word* r, const Word* a, Int na, const Word* b, Int nb, bool square) {
  const Int k = (na + 2) / 3;
  const Int an2 = na - 2 * k;
  const Int bn2 = nb - 2 * k;
  const Int rn = na + nb;
  const Int w = 2 * k + 2;
  assert(an2 >= 1 && bn2 >= 1 && an2 >= bn2);
  Scratch s(6 * (k + 1) + 4 * w);
  Word* pa1 = s.get();
  Word* pam = pa1 + (k + 1);
  Word* pa2 = pam + (k + 1);
  Word* pb1 = pa2 + (k + 1);
  Word* pbm = pb1 + (k + 1);
  Word* pb2 = pbm + (k + 1);
  Word* v1 = pb2 + (k + 1);
  Word* vm = v1 + w;
  Word* v2 = vm + w;
  Word* t = v2 + w;
  const Word sa = toom3Evaluate(pa1, pam, pa2, a, k, an2);
  const Word sb = square ? sa : toom3Evaluate(pb1, pbm, pb2, b, k, bn2);
  if (square) {
    pb1 = pa1;
    pbm = pam;
    pb2 = pa2;
  }
  Word* v0 = r;          // c0, 2k limbs
  Word* vi = r + 4 * k;  // c4, rn - 4k limbs
  const Int nvi = rn - 4 * k;
  product(v0, a, k, b, k, square);
  product(vi, a + 2 * k, an2, b + 2 * k, bn2, square);
  product(v1, pa1, k + 1, pb1, k + 1, square);
  product(vm, pam, k + 1, pbm, k + 1, square);
  product(v2, pa2, k + 1, pb2, k + 1, square);
  if (sa != sb) {
    // a(-1) b(-1) < 0: negate modulo 2^(64w).
    std::fill_n(t, w, Word{0});
    subLimbs(vm, t, vm, w);
  }
  // vm = c1 + c3 = (v1 - v(-1)) / 2.
  subLimbs(vm, v1, vm, w);
  shiftRightLimbs(vm, vm, w, 1);
  // v1 = c2 = v1 - (c1 + c3) - c0 - c4.
  subLimbs(v1, v1, vm, w);
  subFrom(v1, w, v0, 2 * k);
  subFrom(v1, w, vi, nvi);
  // v2 = c3 = (v2 - c0 - 4 c2 - 16 c4 - 2 (c1 + c3)) / 6.
  subFrom(v2, w, v0, 2 * k);
  shiftLeftLimbs(t, v1, w, 2);
  subLimbs(v2, v2, t, w);
  std::copy_n(vi, nvi, t);
  std::fill(t + nvi, t + w, Word{0});
  shiftLeftLimbs(t, t, w, 4);
  subLimbs(v2, v2, t, w);
  shiftLeftLimbs(t, vm, w, 1);
  subLimbs(v2, v2, t, w);
  shiftRightLimbs(v2, v2, w, 1);
  divExact3(v2, v2, w);
  // vm = c1 = (c1 + c3) - c3.
  subLimbs(vm, vm, v2, w);
  std::fill(r + 2 * k, r + 4 * k, Word{0});
  addAt(r, rn, k, vm, w);
  addAt(r, rn, 2 * k, v1, w);
  addAt(r, rn, 3 * k, v2, w);
}

// na >= 2 nb - 1: a in pieces of nb limbs, each multiplied by b and added
// at its place.
void mulByPieces(Word* r, const Word* a, Int na, const Word* b, Int nb) {
  mulLimbs(r, a, nb, b, nb);
  Scratch s(2 * nb);
  Word* t = s.get();
  for (Int off = nb; off < na; off += nb) {
    const Int len = na - off < nb ? na - off : nb;
    if (len == nb) {
      mulLimbs(t, a + off, nb, b, nb);
    } else {
      mulLimbs(t, b, nb, a + off, len);
    }
    // r[off, off + nb) holds the top of the products so far; above it
    // nothing is written yet.
    const Word c = addLimbs(r + off, r + off, t, nb);
    std::copy_n(t + nb, len, r + off + nb);
    const Word out = incLimbs(r + off + nb, len, c);
    assert(out == 0);
    (void)out;
  }
}

// Division by recursion on halves of the quotient.  divPart divides
// {np, dn + c}, whose top dn limbs are below d, by {d, dn} for c <= dn
// quotient limbs: the top 2c limbs by d's top c limbs (a recursive division
// that may overestimate), then the product of that quotient and d's low
// dn - c limbs subtracted, adding d back while the remainder is negative
// (a few times at most: d is normalised).  divRecursive divides {np, 2n} by
// {d, n} as two such halves.  Both leave the remainder at the bottom of np
// and zeros above it, and return the quotient's top limb beyond q (0 or 1).
Word divRecursive(Word* q, Word* np, const Word* d, Int n);

Word divPart(Word* q, Word* np, Int c, const Word* d, Int dn) {
  assert(c <= dn);
  if (c < divRecursiveThreshold) return divBasecase(q, np, dn + c, d, dn);
  const Int k = dn - c;
  Word qh = divRecursive(q, np + k, d + k, c);
  if (k == 0) return qh;
  Scratch s(dn);
  Word* t = s.get();
  if (c >= k) {
    mulLimbs(t, q, c, d, k);
  } else {
    mulLimbs(t, d, k, q, c);
  }
  Word top = Word{0} - subLimbs(np, np, t, dn);
  if (qh != 0) top -= subFrom(np + c, k, d, k);
  while (top != 0) {
    top += addLimbs(np, np, d, dn);
    qh -= decLimbs(q, c, 1);
  }
  return qh;
}

Word divRecursive(Word* q, Word* np, const Word* d, Int n) {
  if (n < divRecursiveThreshold) return divBasecase(q, np, 2 * n, d, n);
  const Int lo = n / 2;
  const Int hi = n - lo;
  const Word qh = divPart(q + lo, np + lo, hi, d, n);
  const Word ql = divPart(q, np, lo, d, n);
  assert(ql == 0);
  (void)ql;
  return qh;
}

}  // namespace

void mulLimbs(Word* r, const Word* a, Int na, const Word* b, Int nb) {
  assert(na >= nb && nb >= 1);
  if (nb < mulKaratsubaThreshold) {
    mulBasecase(r, a, na, b, nb);
  } else if (nb <= (na + 1) / 2) {
    mulByPieces(r, a, na, b, nb);
  } else if (nb < mulToom3Threshold || nb <= 2 * ((na + 2) / 3)) {
    mulKaratsuba(r, a, na, b, nb, false);
  } else {
    mulToom3(r, a, na, b, nb, false);
  }
}

void sqrLimbs(Word* r, const Word* a, Int n) {
  assert(n >= 1);
  if (n < sqrBasecaseThreshold) {
    mulBasecase(r, a, n, a, n);
  } else if (n < sqrKaratsubaThreshold) {
    sqrBasecase(r, a, n);
  } else if (n < sqrToom3Threshold) {
    mulKaratsuba(r, a, n, a, n, true);
  } else {
    mulToom3(r, a, n, a, n, true);
  }
}

Word divRemNormalized(Word* q, Word* a, Int na, const Word* d, Int dn) {
  assert(dn >= 2 && na >= dn && (d[dn - 1] >> 63) != 0);
  const Int qn = na - dn;
  if (dn < divRecursiveThreshold || qn < divRecursiveThreshold) {
    return divBasecase(q, a, na, d, dn);
  }
  Word qh = 0;
  if (compareLimbs(a + qn, d, dn) >= 0) {
    subLimbs(a + qn, a + qn, d, dn);
    qh = 1;
  }
  // From the top: a short block of qn mod dn quotient limbs, then blocks of
  // dn; each starts with a remainder below d on top.
  Int j = qn;
  if (const Int c = qn % dn; c != 0) {
    j -= c;
    const Word x = divPart(q + j, a + j, c, d, dn);
    assert(x == 0);
    (void)x;
  }
  while (j > 0) {
    j -= dn;
    const Word x = divRecursive(q + j, a + j, d, dn);
    assert(x == 0);
    (void)x;
  }
  return qh;
}

Word divRemLimb(Word* q, const Word* a, Int n, Word d) noexcept {
  return n == 0 ? 0 : detail::divideByWord(q, a, n, d);
}

Word remLimb(const Word* a, Int n, Word d) noexcept {
  return n == 0 ? 0 : detail::divideByWord<false>(nullptr, a, n, d);
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

Word bignat_mul_word_into(Word* r, const Word* a, Int n, Word w) noexcept {
  assert(n >= 1 && (r == a || separate(r, n, a, n)));
  return core::mulLimbs1(r, a, n, w);
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
