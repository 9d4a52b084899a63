// The native backend's gcd, extended gcd, modular power and inverse kernels
// and the conversion of a magnitude to a double.  The multi-word steps go
// through the library's own BigNat, Natural and Integer operations, which run
// on whichever backend the library selected.
#include <bit>
#include <cassert>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "../Overlap.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/BigNat.hpp"
#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace {

using detail::DoubleWord;
using detail::separate;

// x * y mod m for x, y < m: the product's high limb is below m, so one
// two-by-one division finds the remainder.
Word mulModWord(Word x, Word y, Word m) noexcept {
  const DoubleWord p = static_cast<DoubleWord>(x) * y;
  return detail::quotRemWord2(static_cast<Word>(p >> 64), static_cast<Word>(p), m).second;
}

// b^e mod m for b < m, m >= 1, e the limbs {e, en}: right-to-left binary
// exponentiation.  m = 1 gives 0, also for e = 0.
Word powModWordLimbs(Word b, const Word* e, Int en, Word m) noexcept {
  Word r = m == 1 ? 0 : 1;
  for (Int i = 0; i < en; ++i) {
    Word bits = e[i];
    // The top limb needs only its significant bits; the lower ones all 64.
    for (int k = (i + 1 == en ? 64 - std::countl_zero(bits) : 64); k > 0; --k, bits >>= 1) {
      if ((bits & 1) != 0) r = mulModWord(r, b, m);
      if (k > 1 || i + 1 < en) b = mulModWord(b, b, m);
    }
  }
  return r;
}

// b^e mod m for b < m, m >= 1: the same loop on Naturals.
Natural powModNatural(Natural b, const WordArray_& e, const Natural& m) {
  Natural r = naturalRem(naturalOne(), m);
  const Int en = e.size();
  const Word* ep = e.data();
  for (Int i = 0; i < en; ++i) {
    Word bits = ep[i];
    for (int k = (i + 1 == en ? 64 - std::countl_zero(bits) : 64); k > 0; --k, bits >>= 1) {
      if ((bits & 1) != 0) r = naturalRem(naturalMul(r, b), m);
      if (k > 1 || i + 1 < en) b = naturalRem(naturalSqr(b), m);
    }
  }
  return r;
}

// The limbs of e, for an exponent given as a Natural.
WordArray_ limbsOf(const Natural& e) { return naturalToBigNat_(e); }

// Writes the magnitude of a Natural into r (room: at least its limbs) and
// shrinks r to them.
void storeNatural(MutableWordArray_& r, const Natural& x) noexcept {
  if (x.isNB()) {
    mwaInitCopyShrink_(r, x.bigNat());
  } else if (x.word() == 0) {
    r.setSize(0);
  } else {
    r[0] = x.word();
    r.setSize(1);
  }
}

int countTrailingZerosWide(DoubleWord x) noexcept {
  const auto lo = static_cast<Word>(x);
  return lo != 0 ? std::countr_zero(lo) : 64 + std::countr_zero(static_cast<Word>(x >> 64));
}

// gcd of two double words: the binary gcd while either needs two words, then
// the single-word one.
DoubleWord gcdDoubleWord(DoubleWord x, DoubleWord y) noexcept {
  if (x == 0) return y;
  if (y == 0) return x;
  const int shift = countTrailingZerosWide(x | y);
  x >>= countTrailingZerosWide(x);
  y >>= countTrailingZerosWide(y);
  while ((x >> 64) != 0 || (y >> 64) != 0) {
    if (x > y) std::swap(x, y);
    y -= x;
    if (y == 0) return x << shift;
    y >>= countTrailingZerosWide(y);
  }
  return static_cast<DoubleWord>(bignat_gcd_word_word(static_cast<Word>(x), static_cast<Word>(y)))
         << shift;
}

DoubleWord doubleWordOf(const BigNat_& a) noexcept {
  DoubleWord v = a.size() > 0 ? a[0] : 0;
  if (a.size() > 1) v |= static_cast<DoubleWord>(a[1]) << 64;
  return v;
}

// r = A x + B y over n limbs for Lehmer cofactors A, B (opposite signs or
// one of them 0, magnitudes below 2^63) whose combination is known to be
// non-negative and below 2^(64 n).
void combineLimbs(Word* r, const Word* x, const Word* y, Int n, Int a, Int b) noexcept {
  using Wide = detail::SignedDoubleWord;
  Wide carry = 0;
  for (Int i = 0; i < n; ++i) {
    // |a x[i] + b y[i]| < 2^127 - 2^63 as the products have opposite signs,
    // and |carry| < 2^63: no overflow.
    const Wide acc = static_cast<Wide>(a) * static_cast<Wide>(x[i]) +
                     static_cast<Wide>(b) * static_cast<Wide>(y[i]) + carry;
    r[i] = static_cast<Word>(acc);
    carry = acc >> 64;
  }
  assert(carry == 0);
}

// Several Euclid steps at once on x > y of the same n >= 3 limbs (Lehmer):
// the quotients are found from the top 63 bits of x and the bits of y at
// the same place, as long as both ends of the interval the dropped bits
// allow give the same quotient; the pair after those steps is then
// (A x + B y, C x + D y).  Nothing when not even the first quotient is
// certain (the caller divides instead).
std::optional<std::pair<BigNat_, BigNat_>> lehmerSteps(const BigNat_& x, const BigNat_& y) {
  using Wide = detail::SignedDoubleWord;
  const Int n = x.size();
  const int lz = std::countl_zero(x[n - 1]);
  const auto top = [&](const BigNat_& v) {
    const DoubleWord t = (static_cast<DoubleWord>(v[n - 1]) << 64) | v[n - 2];
    return static_cast<Wide>((t << lz) >> 65);
  };
  Wide xh = top(x);
  Wide yh = top(y);
  Wide a = 1;
  Wide b = 0;
  Wide c = 0;
  Wide d = 1;
  for (;;) {
    const Wide yc = yh + c;
    const Wide yd = yh + d;
    const Wide xa = xh + a;
    const Wide xb = xh + b;
    if (yc <= 0 || yd <= 0 || xa < 0 || xb < 0) break;
    // Every term is below 2^64 here: one-word divisions.
    const Word q = static_cast<Word>(xa) / static_cast<Word>(yc);
    if (q != static_cast<Word>(xb) / static_cast<Word>(yd)) break;
    Wide t = a - q * c;
    a = c;
    c = t;
    t = b - q * d;
    b = d;
    d = t;
    t = xh - q * yh;
    xh = yh;
    yh = t;
  }
  if (b == 0) return std::nullopt;
  MutableWordArray_ u = MutableWordArray_::allocate(n);
  MutableWordArray_ v = MutableWordArray_::allocate(n);
  combineLimbs(u.data(), x.data(), y.data(), n, static_cast<Int>(a), static_cast<Int>(b));
  combineLimbs(v.data(), x.data(), y.data(), n, static_cast<Int>(c), static_cast<Int>(d));
  mwaTrimZeroes_(u);
  mwaTrimZeroes_(v);
  return std::pair{std::move(u).freeze(), std::move(v).freeze()};
}

}  // namespace

// ---------------------------------------------------------------------------
// Greatest common divisor.

Word bignat_gcd_word_word(Word x, Word y) noexcept {
  if (x == 0) return y;
  if (y == 0) return x;
  // Binary gcd: the common power of two aside, odd numbers stay odd under
  // subtraction and halving.
  const int shift = std::countr_zero(x | y);
  x >>= std::countr_zero(x);
  do {
    y >>= std::countr_zero(y);
    if (x > y) std::swap(x, y);
    y -= x;
  } while (y != 0);
  return x << shift;
}

Word bignat_gcd_word(const WordArray_& a, Word w) {
  if (w == 0) raiseDivZero();
  if (w == 1) return 1;
  return bignat_gcd_word_word(w, bigNatRemWord_(a, w));
}

void bignat_gcd(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) {
  assert(a.size() >= b.size() && b.size() >= 1 && r.size() == b.size());
  assert(separate(r, a) && separate(r, b));
  BigNat_ x = a;
  BigNat_ y = b;
  // A lone zero limb stands for zero: gcd(a, 0) = a (then a has one limb).
  if (y.size() == 1 && y[0] == 0) y = bigNatZero_();
  // Euclid on magnitudes while the divisor has more than two limbs; where
  // both operands have the same length, Lehmer's steps do many of its steps
  // in one pass over the limbs.
  while (y.size() > 2) {
    if (x.size() == y.size() && bigNatCompare(x, y) == Ordering::GT) {
      std::optional<std::pair<BigNat_, BigNat_>> next = lehmerSteps(x, y);
      if (next) {
        x = std::move(next->first);
        y = std::move(next->second);
        continue;
      }
    }
    BigNat_ t = bigNatRem(x, y);
    x = std::exchange(y, std::move(t));
  }
  if (y.size() == 0) {
    mwaInitCopyShrink_(r, x);
    return;
  }
  Word* rp = r.data();
  if (y.size() == 1) {
    rp[0] = bignat_gcd_word_word(y[0], bigNatRemWord_(x, y[0]));
    r.setSize(1);
    return;
  }
  // Both remaining operands fit two limbs: finish in registers.
  const DoubleWord g = gcdDoubleWord(doubleWordOf(y), doubleWordOf(bigNatRem(x, y)));
  rp[0] = static_cast<Word>(g);
  rp[1] = static_cast<Word>(g >> 64);
  r.setSize(rp[1] != 0 ? 2 : 1);
}

// ---------------------------------------------------------------------------
// Modular powers.

void bignat_powmod(MutableWordArray_& r, const WordArray_& b, const WordArray_& e,
                   const WordArray_& m) {
  assert(m.size() >= 1 && r.size() == m.size());
  assert(separate(r, b) && separate(r, e) && separate(r, m));
  const Natural mn = naturalFromBigNat_(m);
  storeNatural(r, powModNatural(naturalRem(naturalFromBigNat_(b), mn), e, mn));
}

Word bignat_powmod_word(const WordArray_& b, const WordArray_& e, Word m0) {
  if (m0 == 0) raiseDivZero();
  return powModWordLimbs(bigNatRemWord_(b, m0), e.data(), e.size(), m0);
}

Word bignat_powmod_words(Word b0, Word e0, Word m0) {
  if (m0 == 0) raiseDivZero();
  return powModWordLimbs(b0 % m0, &e0, e0 != 0 ? 1 : 0, m0);
}

// ---------------------------------------------------------------------------
// Conversion to a double.

double bignat_encode_double(const WordArray_& a, Int e) noexcept {
  const Word* p = a.data();
  Int n = a.size();
  while (n > 0 && p[n - 1] == 0) --n;
  if (n == 0) return 0.0;
  // The top 53 bits of a (fewer when a is shorter, then exact): a =
  // m * 2^x + (bits below), 2^52 <= m < 2^53.  Dropping the bits below is
  // the truncation towards zero.
  const int lz = std::countl_zero(p[n - 1]);
  Word top = p[n - 1] << lz;
  if (lz != 0 && n >= 2) top |= p[n - 2] >> (64 - lz);
  const Word m = top >> 11;
  const Int x = 64 * n - lz - 53;
  // The result is m * 2^ex; a sum beyond the Int range is far outside the
  // double range either way.
  Int ex = 0;
  if (__builtin_add_overflow(x, e, &ex)) {
    ex = e > 0 ? std::numeric_limits<Int>::max() : std::numeric_limits<Int>::min();
  }
  // m * 2^ex >= 2^(ex + 52): from 2^1024 on the value is out of range.
  if (ex > 1024 - 53) return HUGE_VAL;
  // Normal range: m * 2^ex is a double as it stands.
  if (ex >= -1074) return std::ldexp(static_cast<double>(m), static_cast<int>(ex));
  // Below it only multiples of 2^-1074 exist: cut the bits under that once
  // here, as ldexp would round them.
  const Int cut = -1074 - ex;
  if (cut >= 53) return 0.0;
  return std::ldexp(static_cast<double>(m >> cut), -1074);
}

// ---------------------------------------------------------------------------
// Whole numbers.

std::tuple<Integer, Integer, Integer> integer_gcde(const Integer& a, const Integer& b) {
  Integer r0 = a;
  Integer r1 = b;
  Integer s0 = integerOne();
  Integer s1 = integerZero();
  Integer t0 = integerZero();
  Integer t1 = integerOne();
  while (!integerIsZero(r1)) {
    std::pair<Integer, Integer> qr = integerQuotRem(r0, r1);
    Integer s2 = integerSub(s0, integerMul(qr.first, s1));
    Integer t2 = integerSub(t0, integerMul(qr.first, t1));
    r0 = std::move(r1);
    r1 = std::move(qr.second);
    s0 = std::move(s1);
    s1 = std::move(s2);
    t0 = std::move(t1);
    t1 = std::move(t2);
  }
  if (integerIsNegative(r0)) return {integerNegate(r0), integerNegate(s0), integerNegate(t0)};
  return {std::move(r0), std::move(s0), std::move(t0)};
}

std::optional<Natural> integer_recip_mod(const Integer& x, const Natural& m) {
  const Integer mi = integerFromNatural(m);
  // The extended Euclid of integer_gcde, keeping only the cofactor of x.
  Integer r0 = x;
  Integer r1 = mi;
  Integer s0 = integerOne();
  Integer s1 = integerZero();
  while (!integerIsZero(r1)) {
    std::pair<Integer, Integer> qr = integerQuotRem(r0, r1);
    Integer s2 = integerSub(s0, integerMul(qr.first, s1));
    r0 = std::move(r1);
    r1 = std::move(qr.second);
    s0 = std::move(s1);
    s1 = std::move(s2);
  }
  // g = |r0|; an inverse exists exactly when g = 1.
  if (!integerIsOne(integerAbs(r0))) return std::nullopt;
  return integerToNatural(integerMod(integerIsNegative(r0) ? integerNegate(s0) : s0, mi));
}

Natural integer_powmod(const Integer& b, const Natural& e, const Natural& m) {
  const Integer mi = integerFromNatural(m);
  // b mod m, non-negative: the residue a negative base stands for.
  const Natural base = integerToNatural(integerMod(b, mi));
  if (m.isNS()) {
    const WordArray_ el = limbsOf(e);
    return NS(powModWordLimbs(naturalToWord_(base), el.data(), el.size(), m.word()));
  }
  return powModNatural(base, limbsOf(e), m);
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
