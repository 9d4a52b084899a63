/* gmp_wrappers: C limb functions on top of GMP.
 *
 * Each function adapts one GMP facility to the library's conventions: shifts
 * by arbitrary bit counts, gcd and division with size bookkeeping, modular
 * arithmetic with the library's answers for trivial moduli, byte import and
 * export.  Inputs are read in place; the integer (mpz) functions see them
 * through read-only views that own nothing.  Preconditions are checked by
 * assertions that stay on in every build type. */
#include "Num/gmp_wrappers.h"

#include <float.h>
#include <gmp.h>
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

/* glibc's assertion-failure routine: prints the diagnostic and aborts.  Called
 * directly so that NDEBUG cannot remove the checks. */
extern void __assert_fail(const char* assertion, const char* file, unsigned int line,
                          const char* function) __attribute__((__noreturn__));

#define GW_ASSERT(cond, text) \
  ((cond) ? (void)0 : __assert_fail(text, "gmp_wrappers", __LINE__, __func__))

_Static_assert(sizeof(numkit_limb_t) == sizeof(mp_limb_t), "a limb is one mp_limb_t");
_Static_assert(GMP_NAIL_BITS == 0 && GMP_NUMB_BITS == 64, "64-bit limbs without nails");
_Static_assert(sizeof(numkit_size_t) == sizeof(mp_size_t), "a size is one mp_size_t");

enum { kLimbBits = 64, kLimbBytes = 8, kStackScratchLimbs = 128 };

/* A readable limb for views of zero, which GMP may read but never uses. */
static const mp_limb_t kZeroLimb = 0;

static inline mp_size_t mp_size_abs(mp_size_t n) { return n < 0 ? -n : n; }

/* Zero is size 0, or a single zero limb with either sign. */
static inline int mp_limb_zero_p(const mp_limb_t* p, mp_size_t n) {
  return n == 0 || ((n == 1 || n == -1) && p[0] == 0);
}

/* A read-only mpz view of the signed number {p, n}; zero gets size 0 and a
 * valid limb pointer even when p is null. */
static mpz_srcptr view(mpz_ptr z, const mp_limb_t* p, mp_size_t n) {
  if (mp_limb_zero_p(p, n)) return mpz_roinit_n(z, &kZeroLimb, 0);
  return mpz_roinit_n(z, p, n);
}

/* Copies |z| (n limbs) out of an mpz result. */
static void copy_limbs(mp_limb_t* dst, mpz_srcptr z, mp_size_t n) {
  if (n > 0) memcpy(dst, mpz_limbs_read(z), (size_t)n * sizeof(mp_limb_t));
}

/* ---- Shifts ------------------------------------------------------------ */

numkit_limb_t numkit_mpn_rshift(numkit_limb_t* rp, const numkit_limb_t* sp, numkit_size_t sn,
                                uint64_t count) {
  const mp_size_t k = (mp_size_t)(count / kLimbBits);
  const unsigned b = (unsigned)(count % kLimbBits);
  const mp_size_t rn = sn - k;
  if (b != 0) {
    mpn_rshift(rp, sp + k, rn, b);
  } else {
    memmove(rp, sp + k, (size_t)rn * sizeof(mp_limb_t));
  }
  return rp[rn - 1];
}

numkit_limb_t numkit_mpn_rshift_2c(numkit_limb_t* rp, const numkit_limb_t* sp, numkit_size_t sn,
                                   uint64_t count) {
  const mp_size_t k = (mp_size_t)(count / kLimbBits);
  const unsigned b = (unsigned)(count % kLimbBits);
  mp_size_t rn = sn - k;
  /* The dropped whole limbs are looked at before anything is written, since
   * rp may be sp. */
  int inexact = 0;
  for (mp_size_t i = 0; i < k && !inexact; ++i) inexact = sp[i] != 0;
  if (b != 0) {
    if (mpn_rshift(rp, sp + k, rn, b) != 0) inexact = 1;
  } else {
    /* The extra top limb absorbs the carry when every copied limb is all ones. */
    memmove(rp, sp + k, (size_t)rn * sizeof(mp_limb_t));
    rp[rn] = 0;
    ++rn;
  }
  if (inexact && mpn_add_1(rp, rp, rn, 1) != 0) abort();
  return rp[rn - 1];
}

numkit_limb_t numkit_mpn_lshift(numkit_limb_t* rp, const numkit_limb_t* sp, numkit_size_t sn,
                                uint64_t count) {
  const mp_size_t k = (mp_size_t)(count / kLimbBits);
  const unsigned b = (unsigned)(count % kLimbBits);
  /* The low limbs are zeroed last, since rp may be sp: the shift moves the
   * limbs up first (mpn_lshift and memmove allow that). */
  mp_limb_t top;
  if (b != 0) {
    top = mpn_lshift(rp + k, sp, sn, b);
    rp[k + sn] = top;
  } else {
    memmove(rp + k, sp, (size_t)sn * sizeof(mp_limb_t));
    top = rp[k + sn - 1];
  }
  if (k > 0) memset(rp, 0, (size_t)k * sizeof(mp_limb_t));
  return top;
}

/* ---- Floating point ---------------------------------------------------- */

double numkit_mpn_get_d(const numkit_limb_t* sp, numkit_size_t sn, int64_t exponent) {
  if (mp_limb_zero_p(sp, sn)) return 0.0;
  mpz_t z;
  view(z, sp, sn);
  if (exponent == 0) return mpz_get_d(z);
  long e = 0;
  const double d = mpz_get_d_2exp(&e, z); /* 0.5 <= |d| < 1, already truncated */
  int64_t sum; /* the result is d * 2^sum; saturating keeps huge ones out of range */
  if (__builtin_add_overflow((int64_t)e, exponent, &sum))
    sum = exponent > 0 ? INT64_MAX : INT64_MIN;
  if (sum > DBL_MAX_EXP) return copysign(HUGE_VAL, d);
  if (sum >= DBL_MIN_EXP) return ldexp(d, (int)sum); /* a normal double: exact */
  /* Below the normal range the result has fewer than 53 bits: those under
   * 2^(DBL_MIN_EXP - DBL_MANT_DIG) are cut off here, since ldexp would round
   * them. */
  const int64_t keep = sum - (DBL_MIN_EXP - DBL_MANT_DIG); /* bits of d that remain */
  if (keep <= 0) return copysign(0.0, d);
  return ldexp(trunc(ldexp(d, (int)keep)), DBL_MIN_EXP - DBL_MANT_DIG);
}

/* ---- Greatest common divisor ------------------------------------------- */

numkit_limb_t numkit_gcd_word(numkit_limb_t x, numkit_limb_t y) {
  if (x == 0) return y;
  if (y == 0) return x;
  const mp_limb_t xs[1] = {x};
  return mpn_gcd_1(xs, 1, y);
}

numkit_limb_t numkit_mpn_gcd_1(const numkit_limb_t* xp, numkit_size_t xn, numkit_limb_t y) {
  GW_ASSERT(xn > 0, "xn > 0");
  GW_ASSERT(xn == 1 || y != 0, "xn == 1 || y != 0");
  if (xn == 1) return numkit_gcd_word(xp[0], y);
  return mpn_gcd_1(xp, xn, y);
}

numkit_size_t numkit_mpn_gcd(numkit_limb_t* rp, const numkit_limb_t* xp, numkit_size_t xn,
                             const numkit_limb_t* yp, numkit_size_t yn) {
  GW_ASSERT(xn >= yn, "xn >= yn");
  GW_ASSERT(yn > 0, "yn > 0");
  GW_ASSERT(xn == yn || yn > 1 || yp[0] != 0, "xn == yn || yn > 1 || y0[0] != 0");
  if (yn == 1) {
    if (yp[0] != 0) {
      rp[0] = numkit_mpn_gcd_1(xp, xn, yp[0]);
    } else {
      GW_ASSERT(xn == yn, "xn==yn");
      rp[0] = xp[0]; /* gcd(x, 0) = x */
    }
    return 1;
  }
  /* mpz_gcd works on copies of its own, so the caller's arrays stay intact and
   * no parity or zero special case is needed. */
  mpz_t x, y, r;
  mpz_init(r);
  mpz_gcd(r, view(x, xp, xn), view(y, yp, yn));
  const mp_size_t rn = (mp_size_t)mpz_size(r);
  GW_ASSERT(rn > 0, "rn > 0");
  GW_ASSERT(rn <= xn, "rn <= xn");
  copy_limbs(rp, r, rn);
  mpz_clear(r);
  return rn;
}

void numkit_gcdext(numkit_limb_t* s0, int32_t* ssn, numkit_limb_t* t0, int32_t* stn,
                   numkit_limb_t* g0, int32_t* gn, const numkit_limb_t* x0, numkit_size_t xn,
                   const numkit_limb_t* y0, numkit_size_t yn) {
  mpz_t x, y, g, s, t;
  view(x, x0, xn);
  view(y, y0, yn);
  mpz_init(g);
  mpz_init(s);
  mpz_init(t);
  mpz_gcdext(g, s, t, x, y);

  const mp_size_t absXn = mp_size_abs(xn);
  const mp_size_t absYn = mp_size_abs(yn);
  const mp_size_t gn0 = absXn < absYn ? absXn : absYn;
  *gn = g->_mp_size;
  GW_ASSERT(0 <= *gn && *gn <= gn0, "0 <= *gn && *gn <= gn0");
  copy_limbs(g0, g, *gn);
  mpz_clear(g);

  *ssn = s->_mp_size;
  const mp_size_t sn = mp_size_abs(*ssn);
  GW_ASSERT(sn <= mp_size_abs(yn), "sn <= mp_size_abs(yn)");
  copy_limbs(s0, s, sn);
  mpz_clear(s);

  *stn = t->_mp_size;
  const mp_size_t tn = mp_size_abs(*stn);
  GW_ASSERT(tn <= mp_size_abs(xn), "tn <= mp_size_abs(xn)");
  copy_limbs(t0, t, tn);
  mpz_clear(t);
}

/* ---- Division ---------------------------------------------------------- */

/* Scratch for the discarded part of a division: on the stack up to
 * kStackScratchLimbs, from the heap above. */
static mp_limb_t* scratch_get(mp_limb_t* onStack, mp_size_t n) {
  if (n <= kStackScratchLimbs) return onStack;
  mp_limb_t* p = malloc((size_t)n * sizeof(mp_limb_t));
  if (p == NULL) abort(); /* as GMP itself does when memory runs out */
  return p;
}

static void scratch_release(mp_limb_t* p, mp_limb_t* onStack) {
  if (p != onStack) free(p);
}

void numkit_mpn_tdiv_q(numkit_limb_t* qp, const numkit_limb_t* np, numkit_size_t nn,
                       const numkit_limb_t* dp, numkit_size_t dn) {
  GW_ASSERT(nn >= dn, "nn>=dn");
  mp_limb_t stack[kStackScratchLimbs];
  mp_limb_t* r = scratch_get(stack, dn);
  mpn_tdiv_qr(qp, r, 0, np, nn, dp, dn);
  scratch_release(r, stack);
}

void numkit_mpn_tdiv_r(numkit_limb_t* rp, const numkit_limb_t* np, numkit_size_t nn,
                       const numkit_limb_t* dp, numkit_size_t dn) {
  GW_ASSERT(nn >= dn, "nn>=dn");
  mp_limb_t stack[kStackScratchLimbs];
  mp_limb_t* q = scratch_get(stack, nn - dn + 1);
  mpn_tdiv_qr(q, rp, 0, np, nn, dp, dn);
  scratch_release(q, stack);
}

/* ---- Modular power and inverse ----------------------------------------- */

numkit_size_t numkit_powm(numkit_limb_t* rp, const numkit_limb_t* bp, numkit_size_t bn,
                          const numkit_limb_t* ep, numkit_size_t en, const numkit_limb_t* mp,
                          numkit_size_t mn) {
  GW_ASSERT(!mp_limb_zero_p(mp, mn), "!mp_limb_zero_p(mp,mn)");
  mn = mp_size_abs(mn);
  if (mn == 1 && mp[0] == 1) return 0;
  if (mp_limb_zero_p(ep, en)) {
    rp[0] = 1;
    return 1;
  }
  mpz_t b, e, m, r;
  mpz_init(r);
  mpz_powm(r, view(b, bp, bn), view(e, ep, en), view(m, mp, mn));
  const mp_size_t rn = r->_mp_size;
  if (rn != 0) {
    GW_ASSERT(0 < rn && rn <= mn, "0 < rn && rn <= mn");
    copy_limbs(rp, r, rn);
  }
  mpz_clear(r);
  return rn;
}

numkit_limb_t numkit_powm1(const numkit_limb_t* bp, numkit_size_t bn, const numkit_limb_t* ep,
                           numkit_size_t en, numkit_limb_t m0) {
  GW_ASSERT(m0 != 0, "m0");
  if (m0 == 1) return 0;
  if (mp_limb_zero_p(ep, en)) return 1;
  const mp_limb_t ms[1] = {m0};
  mpz_t b, e, m, r;
  mpz_init(r);
  mpz_powm(r, view(b, bp, bn), view(e, ep, en), view(m, ms, 1));
  GW_ASSERT(r[0]._mp_size == 0 || r[0]._mp_size == 1, "r[0]._mp_size == 0 || r[0]._mp_size == 1");
  const mp_limb_t result = r[0]._mp_size == 0 ? 0 : mpz_getlimbn(r, 0);
  mpz_clear(r);
  return result;
}

numkit_limb_t numkit_powm_word(numkit_limb_t b0, numkit_limb_t e0, numkit_limb_t m0) {
  const mp_limb_t bs[1] = {b0};
  const mp_limb_t es[1] = {e0};
  return numkit_powm1(bs, b0 != 0 ? 1 : 0, es, e0 != 0 ? 1 : 0, m0);
}

numkit_size_t numkit_invert(numkit_limb_t* rp, const numkit_limb_t* xp, numkit_size_t xn,
                            const numkit_limb_t* mp, numkit_size_t mn) {
  mn = mp_size_abs(mn);
  if (mp_limb_zero_p(xp, xn) || mn == 0 || (mn == 1 && mp[0] <= 1)) return 0;
  mpz_t x, m, r;
  mpz_init(r);
  mp_size_t rn = 0;
  if (mpz_invert(r, view(x, xp, xn), view(m, mp, mn)) != 0) {
    rn = r->_mp_size;
    if (rn != 0) {
      GW_ASSERT(0 < rn && rn <= mn, "0 < rn && rn <= mn");
      copy_limbs(rp, r, rn);
    }
  }
  mpz_clear(r);
  return rn;
}

/* ---- Limb-wise logic --------------------------------------------------- */

void numkit_mpn_and_n(numkit_limb_t* rp, const numkit_limb_t* s1p, const numkit_limb_t* s2p,
                      numkit_size_t n) {
  mpn_and_n(rp, s1p, s2p, n);
}

void numkit_mpn_andn_n(numkit_limb_t* rp, const numkit_limb_t* s1p, const numkit_limb_t* s2p,
                       numkit_size_t n) {
  mpn_andn_n(rp, s1p, s2p, n);
}

void numkit_mpn_ior_n(numkit_limb_t* rp, const numkit_limb_t* s1p, const numkit_limb_t* s2p,
                      numkit_size_t n) {
  mpn_ior_n(rp, s1p, s2p, n);
}

void numkit_mpn_xor_n(numkit_limb_t* rp, const numkit_limb_t* s1p, const numkit_limb_t* s2p,
                      numkit_size_t n) {
  mpn_xor_n(rp, s1p, s2p, n);
}

/* ---- Digits ------------------------------------------------------------ */

size_t numkit_mpn_sizeinbase(const numkit_limb_t* sp, numkit_size_t sn, int64_t base) {
  GW_ASSERT(2 <= base && base <= 256, "2 <= base && base <= 256");
  if (mp_limb_zero_p(sp, sn)) return 1;
  mpz_t s;
  return mpz_sizeinbase(view(s, sp, sn), (int)base);
}

size_t numkit_mpn_sizeinbase1(numkit_limb_t s, int64_t base) {
  if (s == 0) return 1;
  const mp_limb_t ss[1] = {s};
  return numkit_mpn_sizeinbase(ss, 1, base);
}

/* ---- Bytes ------------------------------------------------------------- */

size_t numkit_mpn_export(const numkit_limb_t* sp, numkit_size_t sn, void* dst, size_t ofs,
                         int64_t msbf) {
  GW_ASSERT(msbf == 0 || msbf == 1, "msbf == 0 || msbf == 1");
  if (mp_limb_zero_p(sp, sn)) return 0;
  mpz_t s;
  size_t written = 0;
  /* Words of one byte: the word order alone decides the byte order. */
  mpz_export((unsigned char*)dst + ofs, &written, msbf == 1 ? 1 : -1, 1, 0, 0, view(s, sp, sn));
  return written;
}

size_t numkit_mpn_export1(numkit_limb_t s, void* dst, size_t ofs, int64_t msbf) {
  const mp_limb_t ss[1] = {s};
  return numkit_mpn_export(ss, 1, dst, ofs, msbf);
}

static mp_limb_t limb_be(const unsigned char* p, size_t len) {
  mp_limb_t w = 0;
  for (size_t i = 0; i < len; ++i) w = (w << 8) | p[i];
  return w;
}

static mp_limb_t limb_le(const unsigned char* p, size_t len) {
  mp_limb_t w = 0;
  for (size_t i = len; i > 0; --i) w = (w << 8) | p[i - 1];
  return w;
}

numkit_limb_t numkit_mpn_import1(const void* src, size_t ofs, size_t srclen, int64_t msbf) {
  enum { SIZEOF_KTWORD = kLimbBytes };
  GW_ASSERT(msbf == 0 || msbf == 1, "msbf == 0 || msbf == 1");
  GW_ASSERT(srclen <= SIZEOF_KTWORD, "srclen <= SIZEOF_KTWORD");
  const unsigned char* p = (const unsigned char*)src + ofs;
  return msbf == 1 ? limb_be(p, srclen) : limb_le(p, srclen);
}

void numkit_mpn_import(numkit_limb_t* rp, const void* src, size_t ofs, size_t len, int64_t msbf) {
  GW_ASSERT(msbf == 0 || msbf == 1, "msbf == 0 || msbf == 1");
  const unsigned char* p = (const unsigned char*)src + ofs;
  const size_t c = len / kLimbBytes;
  const size_t t = len % kLimbBytes;
  if (msbf == 1) {
    /* The partial limb comes first and is the most significant one. */
    if (t != 0) {
      rp[c] = limb_be(p, t);
      p += t;
    }
    for (size_t i = 0; i < c; ++i, p += kLimbBytes) rp[c - 1 - i] = limb_be(p, kLimbBytes);
  } else {
    for (size_t i = 0; i < c; ++i, p += kLimbBytes) rp[i] = limb_le(p, kLimbBytes);
    if (t != 0) rp[c] = limb_le(p, t);
  }
}

size_t numkit_scan_nzbyte(const void* src, size_t ofs, size_t n) {
  const unsigned char* p = (const unsigned char*)src + ofs;
  for (size_t i = 0; i < n; ++i) {
    if (p[i] != 0) return ofs + i;
  }
  return ofs + n;
}

size_t numkit_rscan_nzbyte(const void* src, size_t ofs, size_t n) {
  const unsigned char* p = (const unsigned char*)src + ofs;
  for (size_t i = n; i > 0; --i) {
    if (p[i - 1] != 0) return i;
  }
  return 0;
}

/* ---- Primes ------------------------------------------------------------ */

int64_t numkit_test_prime(const numkit_limb_t* sp, numkit_size_t sn, int64_t reps) {
  if (mp_limb_zero_p(sp, sn)) return 0;
  /* Saturate rather than wrap: a huge count must not turn into a small one. */
  const int r = reps > INT_MAX ? INT_MAX : reps < INT_MIN ? INT_MIN : (int)reps;
  mpz_t s;
  return mpz_probab_prime_p(view(s, sp, sn), r);
}

int64_t numkit_test_prime1(numkit_limb_t s, int64_t reps) {
  if (s == 0) return 0;
  const mp_limb_t ss[1] = {s};
  return numkit_test_prime(ss, 1, reps);
}

numkit_limb_t numkit_next_prime(numkit_limb_t* rp, const numkit_limb_t* sp, numkit_size_t sn) {
  GW_ASSERT(sn >= 0, "sn>=0");
  if (sn == 0) return 2; /* 2 lies wholly in limb sn */
  if (sn == 1 && sp[0] < 2) {
    rp[0] = 2;
    return 0;
  }
  mpz_t s, r;
  mpz_init(r);
  mpz_nextprime(r, view(s, sp, sn));
  const mp_size_t rn = r->_mp_size;
  mp_limb_t top = 0;
  if (rn != sn) {
    GW_ASSERT(rn == sn || rn == sn + 1, "rn == sn || rn == sn+1");
    top = mpz_getlimbn(r, sn);
  }
  copy_limbs(rp, r, sn);
  mpz_clear(r);
  return top;
}

numkit_limb_t numkit_next_prime1(numkit_limb_t s) {
  if (s < 2) return 2;
  const mp_limb_t ss[1] = {s};
  mpz_t v, rop;
  mpz_init(rop);
  mpz_nextprime(rop, view(v, ss, 1));
  GW_ASSERT(rop[0]._mp_size > 0, "rop[0]._mp_size > 0");
  const mp_limb_t low = mpz_getlimbn(rop, 0);
  mpz_clear(rop);
  return low;
}

/* ---- Side-channel-silent power and word inverse ------------------------ */

numkit_size_t numkit_powm_sec(numkit_limb_t* rp, const numkit_limb_t* bp, numkit_size_t bn,
                              const numkit_limb_t* ep, numkit_size_t en, const numkit_limb_t* mp,
                              numkit_size_t mn) {
  GW_ASSERT(!mp_limb_zero_p(mp, mn), "!mp_limb_zero_p(mp,mn)");
  GW_ASSERT(mp[0] & 1, "mp[0] & 1");
  mn = mp_size_abs(mn);
  if (mn == 1 && mp[0] == 1) return 0;
  if (mp_limb_zero_p(ep, en)) {
    rp[0] = 1;
    return 1;
  }
  GW_ASSERT(en > 0, "en > 0");
  mpz_t b, e, m, r;
  mpz_init(r);
  mpz_powm_sec(r, view(b, bp, bn), view(e, ep, en), view(m, mp, mn));
  const mp_size_t rn = r->_mp_size;
  if (rn != 0) {
    GW_ASSERT(0 < rn && rn <= mn, "0 < rn && rn <= mn");
    copy_limbs(rp, r, rn);
  }
  mpz_clear(r);
  return rn;
}

numkit_limb_t numkit_invert_word(numkit_limb_t x0, numkit_limb_t m0) {
  if (x0 == 0 || m0 <= 1) return 0;
  if (x0 == 1) return 1;
  const mp_limb_t xs[1] = {x0};
  const mp_limb_t ms[1] = {m0};
  mpz_t x, m, r;
  mpz_init(r);
  mp_limb_t result = 0;
  if (mpz_invert(r, view(x, xs, 1), view(m, ms, 1)) != 0) {
    const int rn = r->_mp_size;
    GW_ASSERT(rn == 0 || rn == 1, "rn == 0 || rn == 1");
    result = rn == 0 ? 0 : mpz_getlimbn(r, 0);
  }
  mpz_clear(r);
  return result;
}
