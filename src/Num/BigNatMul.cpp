// BigNat multiplication, division, gcd, lcm and modular powers.
//
// Each operation settles its trivial operands first (zero, one, equal
// operands, one-limb operands, in that order), so the multi-limb kernels
// only see the general case; their results are allocated once at the
// largest size they can need and trimmed in place.
#include <tuple>
#include <utility>

#include "Division.hpp"
#include "Num/Backend.hpp"
#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

using Wide = detail::DoubleWord;

// x * y for non-zero words: one or two limbs from the machine product.
BigNat_ productOfWords(Word x, Word y) {
  const Wide p = static_cast<Wide>(x) * y;
  return bigNatFromWord2_(static_cast<Word>(p >> 64), static_cast<Word>(p));
}

// a * w for a of two or more limbs and w >= 2.
BigNat_ mulWordKernel(const BigNat_& a, Word w) {
  return withNewWordArrayTrimmed_(a.size() + 1,
                                  [&](MutableWordArray_& r) { backend::bignat_mul_word(r, a, w); });
}

// a * a for a of two or more limbs.
BigNat_ sqrKernel(const BigNat_& a) {
  return withNewWordArrayTrimmed_(2 * a.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_sqr(r, a); });
}

// The fresh [w], or the shared zero for w = 0.
BigNat_ fromRemainder(Word w) { return bigNatFromWord_(w); }

// Whether a / b, a > b, goes to the inline 3-by-2 steps of Division.hpp
// rather than the kernel: a divisor of two limbs, whose steps cost less
// than the kernel's call and set-up and measured faster per limb too.  (One
// limb divisors take the inline 2-by-1 steps likewise.)
bool byTwoLimbs(const BigNat_& a, const BigNat_& b) noexcept {
  return b.size() == 2 && a.size() >= 3;
}

}  // namespace

// ---------------------------------------------------------------------------
// Products.

BigNat_ bigNatMul(const BigNat_& a, const BigNat_& b) {
  const bool swap = a.size() < b.size();
  const BigNat_& x = swap ? b : a;  // the longer operand; a on a tie
  const BigNat_& y = swap ? a : b;
  if (x.size() == 0) return x;
  if (y.size() == 0) return y;
  if (bigNatIsOne(x)) return y;
  if (bigNatIsOne(y)) return x;
  if (x.size() == 1) return productOfWords(x[0], y[0]);
  if (y.size() == 1) return mulWordKernel(x, y[0]);
  // The same value twice (as mpz_mul does, a shared block is squared).
  if (x.sameBlock(y)) return sqrKernel(x);
  return withNewWordArrayTrimmed_(x.size() + y.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_mul(r, x, y); });
}

BigNat_ bigNatSqr(const BigNat_& a) {
  if (a.size() == 0 || bigNatIsOne(a)) return a;
  if (a.size() == 1) return productOfWords(a[0], a[0]);
  return sqrKernel(a);
}

BigNat_ bigNatMulWord_(const BigNat_& a, Word w) {
  if (w == 0) return bigNatZero_();
  if (w == 1) return a;
  if (a.size() == 0) return bigNatZero_();
  if (a.size() == 1) return a[0] == 1 ? wordArrayFromWord_(w) : productOfWords(a[0], w);
  return mulWordKernel(a, w);
}

// ---------------------------------------------------------------------------
// Division.

BigNat_ raiseDivZero_BigNat() { raiseDivZero(); }

std::pair<BigNat_, BigNat_> bigNatQuotRem_(const BigNat_& a, const BigNat_& b) {
  if (b.size() == 0) raiseDivZero();
  if (a.size() == 0) return {bigNatZero_(), bigNatZero_()};
  if (bigNatIsOne(b)) return {a, bigNatZero_()};
  switch (bigNatCompare(a, b)) {
    case Ordering::LT:
      return {bigNatZero_(), a};
    case Ordering::EQ:
      return {bigNatOne_(), bigNatZero_()};
    case Ordering::GT:
      break;
  }
  if (b.size() == 1) {
    std::pair<BigNat_, Word> qr = bigNatQuotRemWord_(a, b[0]);
    BigNat_ r = fromRemainder(qr.second);
    return {std::move(qr.first), std::move(r)};
  }
  return withNewWordArray2Trimmed_(
      a.size() - b.size() + 1, b.size(), [&](MutableWordArray_& q, MutableWordArray_& r) {
        if (byTwoLimbs(a, b)) {
          std::tie(r[1], r[0]) = detail::divideByTwoLimbs(q.data(), a.data(), a.size(), b.data());
        } else {
          backend::bignat_quotrem(q, r, a, b);
        }
      });
}

BigNat_ bigNatQuot(const BigNat_& a, const BigNat_& b) {
  if (b.size() == 0) raiseDivZero();
  if (a.size() == 0) return bigNatZero_();
  if (bigNatIsOne(b)) return a;
  switch (bigNatCompare(a, b)) {
    case Ordering::LT:
      return bigNatZero_();
    case Ordering::EQ:
      return bigNatOne_();
    case Ordering::GT:
      break;
  }
  if (b.size() == 1) return bigNatQuotWord_(a, b[0]);
  return withNewWordArrayTrimmed_(a.size() - b.size() + 1, [&](MutableWordArray_& q) {
    if (byTwoLimbs(a, b)) {
      detail::divideByTwoLimbs(q.data(), a.data(), a.size(), b.data());
    } else {
      backend::bignat_quot(q, a, b);
    }
  });
}

BigNat_ bigNatRem(const BigNat_& a, const BigNat_& b) {
  if (b.size() == 0) raiseDivZero();
  if (a.size() == 0 || bigNatIsOne(b)) return bigNatZero_();
  switch (bigNatCompare(a, b)) {
    case Ordering::LT:
      return a;
    case Ordering::EQ:
      return bigNatZero_();
    case Ordering::GT:
      break;
  }
  if (b.size() == 1) return fromRemainder(backend::bignat_rem_word(a, b[0]));
  return withNewWordArrayTrimmed_(b.size(), [&](MutableWordArray_& r) {
    if (byTwoLimbs(a, b)) {
      std::tie(r[1], r[0]) = detail::divideByTwoLimbs<false>(nullptr, a.data(), a.size(), b.data());
    } else {
      backend::bignat_rem(r, a, b);
    }
  });
}

std::pair<BigNat_, Word> bigNatQuotRemWord_(const BigNat_& a, Word w) {
  if (w == 0) raiseDivZero();
  if (w == 1) return {a, 0};
  if (a.size() == 0) return {bigNatZero_(), 0};
  if (a.size() == 1) {
    const Word a0 = a[0];
    if (a0 < w) return {bigNatZero_(), a0};
    if (a0 == w) return {bigNatOne_(), 0};
    return {wordArrayFromWord_(a0 / w), a0 % w};
  }
  if (a.size() == 2) {
    const auto [q1, q0, r] = quotRemWord3_(a[1], a[0], w);
    return {bigNatFromWord2_(q1, q0), r};
  }
  Word r = 0;
  BigNat_ q = withNewWordArrayTrimmed_(a.size(), [&](MutableWordArray_& m) {
    r = detail::divideByWord(m.data(), a.data(), a.size(), w);
  });
  return {std::move(q), r};
}

BigNat_ bigNatQuotWord_(const BigNat_& a, Word w) {
  if (w == 0) raiseDivZero();
  if (w == 1) return a;
  if (a.size() == 0) return bigNatZero_();
  if (a.size() == 1) return bigNatFromWord_(a[0] / w);
  if (a.size() == 2) {
    const auto qr = quotRemWord3_(a[1], a[0], w);
    return bigNatFromWord2_(std::get<0>(qr), std::get<1>(qr));
  }
  return withNewWordArrayTrimmed_(a.size(), [&](MutableWordArray_& q) {
    detail::divideByWord(q.data(), a.data(), a.size(), w);
  });
}

Word bigNatRemWord_(const BigNat_& a, Word w) {
  if (w == 0) raiseDivZero();
  if (w == 1 || a.size() == 0) return 0;
  if (a.size() == 1) return a[0] % w;
  // Two limbs take two machine divisions; the kernel would first work out an
  // inverse of w, which costs more than that.
  if (a.size() == 2) return std::get<2>(quotRemWord3_(a[1], a[0], w));
  return backend::bignat_rem_word(a, w);
}

// ---------------------------------------------------------------------------
// Greatest common divisor and least common multiple.

BigNat_ bigNatGcd(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0) return b;
  if (b.size() == 0) return a;
  if (bigNatIsOne(a)) return a;
  if (bigNatIsOne(b)) return b;
  if (a.size() == 1 && b.size() == 1) {
    return wordArrayFromWord_(backend::bignat_gcd_word_word(a[0], b[0]));
  }
  if (a.size() == 1) return wordArrayFromWord_(bigNatGcdWord_(b, a[0]));
  if (b.size() == 1) return wordArrayFromWord_(bigNatGcdWord_(a, b[0]));
  switch (bigNatCompare(a, b)) {
    case Ordering::EQ:
      return a;
    case Ordering::GT:
      return bigNatGcd_go(a, b);
    case Ordering::LT:
      break;
  }
  return bigNatGcd_go(b, a);
}

BigNat_ bigNatGcd_go(const BigNat_& x, const BigNat_& y) {
  return withNewWordArrayTrimmed_(y.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_gcd(r, x, y); });
}

Word bigNatGcdWord_(const BigNat_& a, Word w) noexcept {
  if (bigNatIsOne(a) || w == 1) return 1;
  if (bigNatCompareWord_(a, w) == Ordering::EQ) return w;
  // Zero operands never reach the kernel, which has no answer for them.
  if (a.size() == 0) return w;
  if (w == 0) return a.size() == 1 ? a[0] : 0;
  return backend::bignat_gcd_word(a, w);
}

Word gcdWord_(Word x, Word y) noexcept { return backend::bignat_gcd_word_word(x, y); }

Int gcdInt_(Int x, Int y) noexcept {
  return static_cast<Int>(gcdWord_(wordFromAbsInt_(x), wordFromAbsInt_(y)));
}

BigNat_ bigNatLcmWordWord_(Word x, Word y) {
  if (x == 0 || y == 0) return bigNatZero_();
  if (x == 1) return wordArrayFromWord_(y);
  if (y == 1) return wordArrayFromWord_(x);
  return productOfWords(x / gcdWord_(x, y), y);
}

BigNat_ bigNatLcmWord_(const BigNat_& a, Word w) {
  if (a.size() == 0 || w == 0) return bigNatZero_();
  if (bigNatIsOne(a)) return wordArrayFromWord_(w);
  if (w == 1) return a;
  if (a.size() == 1) return bigNatLcmWordWord_(a[0], w);
  // a * (w / g): one product, no intermediate quotient array.
  return bigNatMulWord_(a, w / bigNatGcdWord_(a, w));
}

BigNat_ bigNatLcm(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0 || b.size() == 0) return bigNatZero_();
  if (bigNatIsOne(a)) return b;
  if (bigNatIsOne(b)) return a;
  if (a.size() == 1 && b.size() == 1) return bigNatLcmWordWord_(a[0], b[0]);
  if (a.size() == 1) return bigNatLcmWord_(b, a[0]);
  if (b.size() == 1) return bigNatLcmWord_(a, b[0]);
  // The shorter operand is divided by the gcd: the cheaper division.
  const BigNat_ g = bigNatGcd(a, b);
  if (b.size() < a.size()) return bigNatMul(a, bigNatQuot(b, g));
  return bigNatMul(bigNatQuot(a, g), b);
}

// ---------------------------------------------------------------------------
// Modular powers and conversion to a double.

BigNat_ bigNatPowMod(const BigNat_& b, const BigNat_& e, const BigNat_& m) {
  if (m.size() == 0) raiseDivZero();
  if (m.size() == 1) return fromRemainder(bigNatPowModWord_(b, e, m[0]));
  if (e.size() == 0) return wordArrayFromWord_(1);
  if (b.size() == 0) return bigNatZero_();
  if (bigNatIsOne(b)) return wordArrayFromWord_(1);
  return withNewWordArrayTrimmed_(
      m.size(), [&](MutableWordArray_& r) { backend::bignat_powmod(r, b, e, m); });
}

Word bigNatPowModWord_(const BigNat_& b, const BigNat_& e, Word m) {
  if (m == 0) raiseDivZero();
  if (m == 1) return 0;
  if (e.size() == 0) return 1;
  if (b.size() == 0) return 0;
  if (bigNatIsOne(b)) return 1;
  return backend::bignat_powmod_word(b, e, m);
}

Word powModWord_(Word b, Word e, Word m) {
  if (m == 0) raiseDivZero();
  return backend::bignat_powmod_words(b, e, m);
}

double bigNatEncodeDouble_(const BigNat_& a, Int e) noexcept {
  if (a.size() == 0) return wordToDouble(0);
  return backend::bignat_encode_double(a, e);
}

NUMKIT_END_NAMESPACE
