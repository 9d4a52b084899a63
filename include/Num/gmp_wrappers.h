/* C limb functions on raw arrays and byte buffers, exported from libnumkit.so.
 *
 * Conventions shared by every function below:
 * - A limb is one 64-bit word; a number is passed as a pointer to its least
 *   significant limb and a limb count.
 * - Where a size is signed, its sign is the sign of the number and its
 *   absolute value the limb count.  A number is zero when its size is 0, or
 *   when its size is 1 or -1 and its only limb is 0.
 * - Inputs are otherwise normalised (no zero limb at the top) unless a
 *   function says so; outputs are not trimmed and the caller provides the
 *   room each function states.
 * - Overlap: an output limb array is either the very same array as an input
 *   (same first limb; the result then replaces that input) or shares no limb
 *   with it.  Partial overlap is never allowed, several outputs of one call
 *   are separate from each other, and byte buffers overlap no limb array.
 *   The division functions below are stricter, as they say.
 * - Byte buffers are a base address plus a byte offset, without alignment
 *   requirement.  A byte-order flag msbf is 1 for most significant byte first
 *   and 0 for least significant byte first.
 * - Broken preconditions that are checked abort the process with an assertion
 *   diagnostic naming the unit gmp_wrappers; nothing is reported by return
 *   codes except where a function says so.
 * - No function keeps state; all are safe to call concurrently on distinct
 *   outputs. */
#ifndef NUMKIT_GMP_WRAPPERS_H
#define NUMKIT_GMP_WRAPPERS_H

#include <stddef.h>
#include <stdint.h>

#include "Num/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t numkit_limb_t; /* one limb of a magnitude */
typedef int64_t numkit_size_t;  /* a limb count, signed where stated */

/* ---- Shifts ------------------------------------------------------------ */

/* {rp, rn} = {sp, sn} >> count, rn = sn - count / 64 (the caller guarantees
 * count / 64 < sn).  Returns rp[rn - 1]. */
NUMKIT_API numkit_limb_t numkit_mpn_rshift(numkit_limb_t* rp, const numkit_limb_t* sp,
                                           numkit_size_t sn, uint64_t count);

/* The magnitude of the arithmetic right shift of the negative number -S,
 * S = {sp, sn}: ceil(S / 2^count).  rp needs rn = sn - count / 64 limbs when
 * count % 64 != 0 and rn + 1 limbs when count % 64 == 0 (room for the carry of
 * the rounding, also when rp is sp).  count / 64 < sn.  Returns the most
 * significant limb written. */
NUMKIT_API numkit_limb_t numkit_mpn_rshift_2c(numkit_limb_t* rp, const numkit_limb_t* sp,
                                              numkit_size_t sn, uint64_t count);

/* {rp, ...} = {sp, sn} << count.  rp needs count / 64 + sn limbs, plus one more
 * when count % 64 != 0.  Returns the limb shifted out at the top (also stored
 * as the last limb) when count % 64 != 0, else the most significant limb. */
NUMKIT_API numkit_limb_t numkit_mpn_lshift(numkit_limb_t* rp, const numkit_limb_t* sp,
                                           numkit_size_t sn, uint64_t count);

/* ---- Floating point ---------------------------------------------------- */

/* sign(sn) * {sp, |sn|} * 2^exponent as a double, truncated towards zero like
 * GMP's conversions, to the precision the result has: 53 bits for normal
 * doubles, fewer for subnormal ones.  Any exponent is accepted: results
 * beyond the double range are the correctly signed infinity, results below
 * the smallest subnormal the correctly signed zero. */
NUMKIT_API double numkit_mpn_get_d(const numkit_limb_t* sp, numkit_size_t sn, int64_t exponent);

/* ---- Greatest common divisor ------------------------------------------- */

/* gcd(x, y); a zero argument gives the other one, gcd(0, 0) = 0. */
NUMKIT_API numkit_limb_t numkit_gcd_word(numkit_limb_t x, numkit_limb_t y);

/* gcd({xp, xn}, y) as one limb.  xn > 0, and y != 0 unless xn == 1. */
NUMKIT_API numkit_limb_t numkit_mpn_gcd_1(const numkit_limb_t* xp, numkit_size_t xn,
                                          numkit_limb_t y);

/* Writes gcd({xp, xn}, {yp, yn}) to rp and returns its limb count (at most
 * yn; the caller provides yn limbs).  xn >= yn > 0; a one-limb zero y is
 * accepted only when xn == 1. */
NUMKIT_API numkit_size_t numkit_mpn_gcd(numkit_limb_t* rp, const numkit_limb_t* xp,
                                        numkit_size_t xn, const numkit_limb_t* yp,
                                        numkit_size_t yn);

/* Extended gcd of the signed numbers x = {x0, xn} and y = {y0, yn}:
 * g = gcd(x, y) and coefficients s, t with x*s + y*t = g, as GMP's mpz_gcdext
 * chooses them.  g goes to g0 (room: min(|xn|, |yn|) limbs) with its size in
 * *gn; |s| goes to s0 (room: |yn| limbs) with its signed size in *ssn; |t|
 * goes to t0 (room: |xn| limbs) with its signed size in *stn.  Both operands
 * must be non-zero unless g fits min(|xn|, |yn|) limbs. */
NUMKIT_API void numkit_gcdext(numkit_limb_t* s0, int32_t* ssn, numkit_limb_t* t0, int32_t* stn,
                              numkit_limb_t* g0, int32_t* gn, const numkit_limb_t* x0,
                              numkit_size_t xn, const numkit_limb_t* y0, numkit_size_t yn);

/* ---- Division ---------------------------------------------------------- */

/* {qp, nn - dn + 1} = trunc({np, nn} / {dp, dn}), the remainder discarded.
 * nn >= dn > 0 and dp[dn - 1] != 0.  qp shares no limb with np or dp. */
NUMKIT_API void numkit_mpn_tdiv_q(numkit_limb_t* qp, const numkit_limb_t* np, numkit_size_t nn,
                                  const numkit_limb_t* dp, numkit_size_t dn);

/* {rp, dn} = {np, nn} mod {dp, dn}, the quotient discarded.  nn >= dn > 0 and
 * dp[dn - 1] != 0.  rp may be np but shares no limb with dp. */
NUMKIT_API void numkit_mpn_tdiv_r(numkit_limb_t* rp, const numkit_limb_t* np, numkit_size_t nn,
                                  const numkit_limb_t* dp, numkit_size_t dn);

/* ---- Modular power and inverse ----------------------------------------- */

/* b^e mod m for a signed base b = {bp, bn} and non-negative e = {ep, en},
 * m = {mp, mn}, m != 0.  Writes the result (0 <= r < m) to rp, which needs mn
 * limbs, and returns its limb count; 0 means the result is zero and nothing
 * was written.  e = 0 gives 1 unless m = 1. */
NUMKIT_API numkit_size_t numkit_powm(numkit_limb_t* rp, const numkit_limb_t* bp, numkit_size_t bn,
                                     const numkit_limb_t* ep, numkit_size_t en,
                                     const numkit_limb_t* mp, numkit_size_t mn);

/* b^e mod m0 for a one-limb modulus m0 != 0 (b signed, e non-negative). */
NUMKIT_API numkit_limb_t numkit_powm1(const numkit_limb_t* bp, numkit_size_t bn,
                                      const numkit_limb_t* ep, numkit_size_t en, numkit_limb_t m0);

/* b0^e0 mod m0 on words, m0 != 0; 0^0 is 1 (unless m0 = 1). */
NUMKIT_API numkit_limb_t numkit_powm_word(numkit_limb_t b0, numkit_limb_t e0, numkit_limb_t m0);

/* The inverse of the signed number x = {xp, xn} modulo m = {mp, mn}, in
 * [1, m), written to rp (room: mn limbs).  Returns its limb count, or 0 when
 * no inverse exists: x = 0, m <= 1, or gcd(x, m) > 1. */
NUMKIT_API numkit_size_t numkit_invert(numkit_limb_t* rp, const numkit_limb_t* xp, numkit_size_t xn,
                                       const numkit_limb_t* mp, numkit_size_t mn);

/* ---- Limb-wise logic over exactly n >= 1 limbs ------------------------- */

/* rp = s1 AND s2. */
NUMKIT_API void numkit_mpn_and_n(numkit_limb_t* rp, const numkit_limb_t* s1p,
                                 const numkit_limb_t* s2p, numkit_size_t n);
/* rp = s1 AND NOT s2. */
NUMKIT_API void numkit_mpn_andn_n(numkit_limb_t* rp, const numkit_limb_t* s1p,
                                  const numkit_limb_t* s2p, numkit_size_t n);
/* rp = s1 OR s2. */
NUMKIT_API void numkit_mpn_ior_n(numkit_limb_t* rp, const numkit_limb_t* s1p,
                                 const numkit_limb_t* s2p, numkit_size_t n);
/* rp = s1 XOR s2. */
NUMKIT_API void numkit_mpn_xor_n(numkit_limb_t* rp, const numkit_limb_t* s1p,
                                 const numkit_limb_t* s2p, numkit_size_t n);

/* ---- Digits, bytes ----------------------------------------------------- */

/* The number of digits of {sp, sn} (sign ignored) in base 2..256, as GMP
 * estimates it: exact for powers of two, otherwise exact or one too many.
 * Zero has one digit. */
NUMKIT_API size_t numkit_mpn_sizeinbase(const numkit_limb_t* sp, numkit_size_t sn, int64_t base);

/* The same for one limb; 0 gives 1 for any base. */
NUMKIT_API size_t numkit_mpn_sizeinbase1(numkit_limb_t s, int64_t base);

/* Writes the minimal byte string of |{sp, sn}| to dst + ofs in the order msbf
 * selects and returns its length (0 for zero, nothing written).  The caller
 * provides room for the length, at most 8 * |sn| bytes. */
NUMKIT_API size_t numkit_mpn_export(const numkit_limb_t* sp, numkit_size_t sn, void* dst,
                                    size_t ofs, int64_t msbf);

/* The same for one limb (at most 8 bytes). */
NUMKIT_API size_t numkit_mpn_export1(numkit_limb_t s, void* dst, size_t ofs, int64_t msbf);

/* Reads len bytes at src + ofs in the order msbf selects and writes the number
 * to rp, ceil(len / 8) limbs, least significant first, not trimmed. */
NUMKIT_API void numkit_mpn_import(numkit_limb_t* rp, const void* src, size_t ofs, size_t len,
                                  int64_t msbf);

/* The limb of len <= 8 bytes at src + ofs in the order msbf selects; 0 for
 * len = 0. */
NUMKIT_API numkit_limb_t numkit_mpn_import1(const void* src, size_t ofs, size_t len, int64_t msbf);

/* ofs + the index of the first non-zero byte of the n bytes at src + ofs, or
 * ofs + n when all are zero. */
NUMKIT_API size_t numkit_scan_nzbyte(const void* src, size_t ofs, size_t n);

/* The length of the n bytes at src + ofs without their trailing zero bytes
 * (0 when all are zero). */
NUMKIT_API size_t numkit_rscan_nzbyte(const void* src, size_t ofs, size_t n);

/* ---- Primes ------------------------------------------------------------ */

/* Primality of |{sp, sn}|: 0 composite (also 0 and 1), 1 probably prime,
 * 2 certainly prime.  reps > 24 adds reps - 24 Miller-Rabin rounds. */
NUMKIT_API int64_t numkit_test_prime(const numkit_limb_t* sp, numkit_size_t sn, int64_t reps);

/* The same for one limb. */
NUMKIT_API int64_t numkit_test_prime1(numkit_limb_t s, int64_t reps);

/* The smallest (probable) prime above {sp, sn}, sn >= 0: its low sn limbs go
 * to rp (room: sn limbs) and its limb at index sn (0 when there is none) is
 * returned, for every sn: a zero of size 0 writes nothing and returns 2, a
 * zero of one limb gets rp[0] = 2 and returns 0. */
NUMKIT_API numkit_limb_t numkit_next_prime(numkit_limb_t* rp, const numkit_limb_t* sp,
                                           numkit_size_t sn);

/* The smallest (probable) prime above s, modulo 2^64. */
NUMKIT_API numkit_limb_t numkit_next_prime1(numkit_limb_t s);

/* ---- Side-channel-silent power and word inverse ------------------------ */

/* As numkit_powm, computed with constant timing and memory access.  m must be
 * odd and non-zero and e must not be negative. */
NUMKIT_API numkit_size_t numkit_powm_sec(numkit_limb_t* rp, const numkit_limb_t* bp,
                                         numkit_size_t bn, const numkit_limb_t* ep,
                                         numkit_size_t en, const numkit_limb_t* mp,
                                         numkit_size_t mn);

/* x0^-1 mod m0, or 0 when no inverse exists (x0 = 0, m0 <= 1 or
 * gcd(x0, m0) > 1). */
NUMKIT_API numkit_limb_t numkit_invert_word(numkit_limb_t x0, numkit_limb_t m0);

#ifdef __cplusplus
}
#endif

#endif /* NUMKIT_GMP_WRAPPERS_H */
