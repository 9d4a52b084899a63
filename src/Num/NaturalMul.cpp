// Natural multiplication, division, gcd and modular power: the cases with a
// multi-word operand, a two-word product or a zero divisor.
#include <type_traits>

#include "Borrowed.hpp"
#include "InPlace.hpp"
#include "Num/BigNat.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace detail {

namespace {

template <auto f, class... Args>
auto onBorrowed(Args... args) {
  return callBorrowed<f, NaturalAccess, NaturalRep>(args...);
}

// A product with a multi-word factor and a factor of at least 2 is at least
// 2^65, so it is wrapped as NB without demotion.
Natural mulImpl(const Natural& a, const Natural& b) {
  if (a.isNS()) {
    const Word x = a.word();
    if (x == 0) return naturalZero();
    if (x == 1) return b;
    if (b.isNB()) return NB(bigNatMulWord_(b.bigNat(), x));
    const Word y = b.word();
    if (y == 0) return naturalZero();
    if (y == 1) return a;
    const DoubleWord p = static_cast<DoubleWord>(x) * y;
    return naturalFromWord2_(static_cast<Word>(p >> 64), static_cast<Word>(p));
  }
  if (b.isNS()) {
    const Word y = b.word();
    if (y == 0) return naturalZero();
    if (y == 1) return a;
    return NB(bigNatMulWord_(a.bigNat(), y));
  }
  return NB(bigNatMul(a.bigNat(), b.bigNat()));
}

// A single-word dividend below a multi-word divisor: the invariant makes the
// divisor the larger, so the quotient is 0 and the remainder the dividend.
std::pair<Natural, Natural> quotRemImpl(const Natural& n, const Natural& d) {
  if (d.isNS()) {
    const Word y = d.word();
    if (y == 0) raiseDivZero();
    if (n.isNS()) return {NS(n.word() / y), NS(n.word() % y)};
    std::pair<BigNat_, Word> qr = bigNatQuotRemWord_(n.bigNat(), y);
    return {naturalFromBigNat_(std::move(qr.first)), NS(qr.second)};
  }
  if (n.isNS()) return {naturalZero(), n};
  std::pair<BigNat_, BigNat_> qr = bigNatQuotRem_(n.bigNat(), d.bigNat());
  return {naturalFromBigNat_(std::move(qr.first)), naturalFromBigNat_(std::move(qr.second))};
}

Natural quotImpl(const Natural& n, const Natural& d) {
  if (d.isNS()) {
    const Word y = d.word();
    if (y == 0) raiseDivZero();
    if (n.isNS()) return NS(n.word() / y);
    return naturalFromBigNat_(bigNatQuotWord_(n.bigNat(), y));
  }
  if (n.isNS()) return naturalZero();
  return naturalFromBigNat_(bigNatQuot(n.bigNat(), d.bigNat()));
}

// A remainder by a single word needs no quotient array.
Natural remImpl(const Natural& n, const Natural& d) {
  if (d.isNS()) {
    const Word y = d.word();
    if (y == 0) raiseDivZero();
    if (n.isNS()) return NS(n.word() % y);
    if (y == 1) return naturalZero();
    return NS(bigNatRemWord_(n.bigNat(), y));
  }
  if (n.isNS()) return n;
  return naturalFromBigNat_(bigNatRem(n.bigNat(), d.bigNat()));
}

}  // namespace

NaturalRep naturalMulSlow(NaturalRep a, NaturalRep b) { return onBorrowed<mulImpl>(a, b); }

void naturalMulAssignSlow(Natural& a, NaturalRep br) {
  if (a.isNB() && br.h == nullptr && br.w > 1) {
    rt::BlockHeader* h = writableBlock(a.bigNat());
    if (rt::isUnique(h)) {
      const Int n = mulWordInPlace(h, rt::payload(h), a.bigNat().size(), br.w);
      if (n >= 0) {
        h->bytes = static_cast<std::size_t>(n) * kWordBytes;
        return;
      }
    }
  }
  a = NaturalAccess::adopt(naturalMulSlow(NaturalAccess::borrow(a), br));
}
std::pair<Natural, Natural> naturalQuotRemSlow(NaturalRep n, NaturalRep d) {
  return onBorrowed<quotRemImpl>(n, d);
}
NaturalRep naturalQuotSlow(NaturalRep n, NaturalRep d) { return onBorrowed<quotImpl>(n, d); }
NaturalRep naturalRemSlow(NaturalRep n, NaturalRep d) { return onBorrowed<remImpl>(n, d); }

}  // namespace detail

// A gcd with a single-word operand is at most that word: it stays NS.
Natural naturalGcd(const Natural& a, const Natural& b) {
  if (naturalIsZero(a)) return b;
  if (naturalIsZero(b)) return a;
  if (naturalIsOne(a) || naturalIsOne(b)) return naturalOne();
  if (a.isNS()) {
    if (b.isNS()) return NS(gcdWord_(a.word(), b.word()));
    return NS(bigNatGcdWord_(b.bigNat(), a.word()));
  }
  if (b.isNS()) return NS(bigNatGcdWord_(a.bigNat(), b.word()));
  return naturalFromBigNat_(bigNatGcd(a.bigNat(), b.bigNat()));
}

Natural naturalLcm(const Natural& a, const Natural& b) {
  if (naturalIsZero(a) || naturalIsZero(b)) return naturalZero();
  if (naturalIsOne(a)) return b;
  if (naturalIsOne(b)) return a;
  if (a.isNS()) {
    if (b.isNS()) return naturalFromBigNat_(bigNatLcmWordWord_(a.word(), b.word()));
    return naturalFromBigNat_(bigNatLcmWord_(b.bigNat(), a.word()));
  }
  if (b.isNS()) return naturalFromBigNat_(bigNatLcmWord_(a.bigNat(), b.word()));
  return naturalFromBigNat_(bigNatLcm(a.bigNat(), b.bigNat()));
}

// The base is not reduced first: the kernels take it at any size.  A
// single-word modulus keeps the result in a word.
Natural naturalPowMod(const Natural& b, const Natural& e, const Natural& m) {
  if (naturalIsZero(m)) raiseDivZero();
  if (naturalIsOne(m)) return naturalZero();
  if (naturalIsZero(e)) return naturalOne();
  if (naturalIsZero(b)) return naturalZero();
  if (naturalIsOne(b)) return naturalOne();
  if (b.isNS() && e.isNS() && m.isNS()) return NS(powModWord_(b.word(), e.word(), m.word()));
  const BigNat_ exponent = naturalToBigNat_(e);
  const BigNat_ base = naturalToBigNat_(b);
  if (m.isNS()) return NS(bigNatPowModWord_(base, exponent, m.word()));
  return naturalFromBigNat_(bigNatPowMod(base, exponent, m.bigNat()));
}

NUMKIT_END_NAMESPACE
