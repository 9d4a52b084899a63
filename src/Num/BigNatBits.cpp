// BigNat bit operations, shifts, bit counts, logarithms and digit counts.
//
// Zero operands and operands whose answer is an argument are settled first;
// one-limb operands are computed in registers; only multi-limb work reaches
// a backend kernel, into one array allocated at the result's bound and
// trimmed in place.
#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "Num/Backend.hpp"
#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

constexpr Word kBits = kWordBits;

Word limbIndex(Word i) noexcept { return i / kBits; }
Word bitMask(Word i) noexcept { return Word{1} << (i % kBits); }

// A fresh copy of a (its na limbs) with limb j replaced by w: not frozen, so
// that a caller whose change may clear the top limb can trim it first.
MutableWordArray_ copyWithLimb(const BigNat_& a, Int j, Word w) {
  MutableWordArray_ r = newWordArray_(a.size());
  std::memcpy(r.data(), a.data(), static_cast<std::size_t>(a.size()) * sizeof(Word));
  r[j] = w;
  return r;
}

// a with limb 0 replaced by l0, for a of two or more limbs: its top limb is
// untouched, so the result stays normalised.  This is every combination of a
// multi-limb magnitude with one word.
BigNat_ withLowLimb(const BigNat_& a, Word l0) { return copyWithLimb(a, 0, l0).freeze(); }

// a (any size, bit i beyond its top limb) with bit i set: limbs size a .. wi - 1
// are zero, limb wi holds the bit.
BigNat_ grownWithBit(const BigNat_& a, Word i) {
  const auto wi = static_cast<Int>(limbIndex(i));
  MutableWordArray_ r = newWordArray_(wi + 1);
  mwaArrayCopy_(r, 0, a, 0, a.size());
  mwaFill_(r, 0, a.size(), wi - a.size());
  r[wi] = bitMask(i);
  return std::move(r).freeze();
}

// Multi-limb logic through a kernel: allocate n limbs, fill, trim or not.
template <class Kernel>
BigNat_ logicKernel(Int n, bool trim, Kernel kernel) {
  MutableWordArray_ r = newWordArray_(n);
  kernel(r);
  if (trim) mwaTrimZeroes_(r);
  return std::move(r).freeze();
}

}  // namespace

// ---------------------------------------------------------------------------
// Logic on two magnitudes.

BigNat_ bigNatAnd(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0) return a;
  if (b.size() == 0) return b;
  if (a.size() == 1 || b.size() == 1) return bigNatFromWord_(a[0] & b[0]);
  return logicKernel(std::min(a.size(), b.size()), true,
                     [&](MutableWordArray_& r) { backend::bignat_and(r, a, b); });
}

BigNat_ bigNatAndNot(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0 || b.size() == 0) return a;
  if (a.size() == 1) return bigNatFromWord_(a[0] & ~b[0]);
  if (b.size() == 1) return withLowLimb(a, a[0] & ~b[0]);
  return logicKernel(a.size(), true,
                     [&](MutableWordArray_& r) { backend::bignat_and_not(r, a, b); });
}

BigNat_ bigNatOr(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0) return b;
  if (b.size() == 0) return a;
  if (a.size() == 1 && b.size() == 1) return wordArrayFromWord_(a[0] | b[0]);
  if (a.size() == 1 || b.size() == 1) return withLowLimb(a.size() == 1 ? b : a, a[0] | b[0]);
  // The longer operand's top limb survives: no trim.
  return logicKernel(std::max(a.size(), b.size()), false,
                     [&](MutableWordArray_& r) { backend::bignat_or(r, a, b); });
}

BigNat_ bigNatXor(const BigNat_& a, const BigNat_& b) {
  if (a.size() == 0) return b;
  if (b.size() == 0) return a;
  if (a.size() == 1 && b.size() == 1) return bigNatFromWord_(a[0] ^ b[0]);
  if (a.size() == 1 || b.size() == 1) return withLowLimb(a.size() == 1 ? b : a, a[0] ^ b[0]);
  return logicKernel(std::max(a.size(), b.size()), true,
                     [&](MutableWordArray_& r) { backend::bignat_xor(r, a, b); });
}

// ---------------------------------------------------------------------------
// Logic with a word: only limb 0 changes.

BigNat_ bigNatAndWord_(const BigNat_& a, Word w) {
  if (a.size() == 0) return a;
  return bigNatFromWord_(a[0] & w);
}

BigNat_ bigNatAndInt_(const BigNat_& a, Int i) {
  if (a.size() == 0) return a;
  const Word l0 = a[0] & static_cast<Word>(i);
  // A non-negative i clears every limb above 0, a negative one keeps them.
  if (i >= 0 || a.size() == 1) return bigNatFromWord_(l0);
  return withLowLimb(a, l0);
}

BigNat_ bigNatAndNotWord_(const BigNat_& a, Word w) {
  if (a.size() == 0) return a;
  if (a.size() == 1) return bigNatFromWord_(a[0] & ~w);
  return withLowLimb(a, a[0] & ~w);
}

BigNat_ bigNatOrWord_(const BigNat_& a, Word w) {
  if (a.size() == 0) return bigNatFromWord_(w);
  if (w == 0) return a;
  if (a.size() == 1) return wordArrayFromWord_(a[0] | w);
  return withLowLimb(a, a[0] | w);
}

BigNat_ bigNatXorWord_(const BigNat_& a, Word w) {
  if (a.size() == 0) return bigNatFromWord_(w);
  if (w == 0) return a;
  if (a.size() == 1) return bigNatFromWord_(a[0] ^ w);
  return withLowLimb(a, a[0] ^ w);
}

// ---------------------------------------------------------------------------
// Shifts.

BigNat_ bigNatShiftL_(const BigNat_& a, Word n) {
  if (n == 0 || a.size() == 0) return a;
  if (a.size() == 1 && n < kBits) return bigNatFromWord2_(a[0] >> (kBits - n), a[0] << n);
  const Int size = a.size() + static_cast<Int>(limbIndex(n)) + (n % kBits != 0 ? 1 : 0);
  return withNewWordArrayTrimmed_(size,
                                  [&](MutableWordArray_& r) { backend::bignat_shiftl(r, a, n); });
}

BigNat_ bigNatShiftR_(const BigNat_& a, Word n) {
  if (n == 0 || a.size() == 0) return a;
  const Word k = limbIndex(n);
  if (k >= static_cast<Word>(a.size())) return bigNatZero_();
  if (a.size() == 1) return bigNatFromWord_(a[0] >> n);
  return withNewWordArrayTrimmed_(a.size() - static_cast<Int>(k),
                                  [&](MutableWordArray_& r) { backend::bignat_shiftr(r, a, n); });
}

BigNat_ bigNatShiftRNeg_(const BigNat_& a, Word n) {
  if (n == 0 || a.size() == 0) return a;
  // Every limb shifted out gives zero, not the rounded-up 1: the mark the
  // signed shift turns into -1.
  if (limbIndex(n) >= static_cast<Word>(a.size())) return bigNatZero_();
  if (a.size() == 1) {
    const Word a0 = a[0];
    // 0 < n < 64 here, so the quotient is below 2^63 and the rounding cannot
    // carry out of the word.
    return wordArrayFromWord_((a0 >> n) + ((a0 & (bitMask(n) - 1)) != 0 ? 1 : 0));
  }
  return withNewWordArrayTrimmed_(
      a.size() - static_cast<Int>(limbIndex(n - 1)),
      [&](MutableWordArray_& r) { backend::bignat_shiftr_neg(r, a, n); });
}

// ---------------------------------------------------------------------------
// Single bits.

BigNat_ bigNatBit_(Word i) {
  if (i == 0) return bigNatOne_();
  if (i < kBits) return wordArrayFromWord_(bitMask(i));
  return grownWithBit(bigNatZero_(), i);
}

BigNat_ bigNatSetBit_(const BigNat_& a, Word i) {
  if (bigNatTestBit_(a, i) != 0) return a;
  const Word wi = limbIndex(i);
  if (wi >= static_cast<Word>(a.size())) return grownWithBit(a, i);
  if (a.size() == 1) return wordArrayFromWord_(a[0] | bitMask(i));
  const auto j = static_cast<Int>(wi);
  return copyWithLimb(a, j, a[j] | bitMask(i)).freeze();
}

BigNat_ bigNatComplementBit_(const BigNat_& a, Word i) {
  const Word wi = limbIndex(i);
  if (wi >= static_cast<Word>(a.size())) return grownWithBit(a, i);
  if (a.size() == 1) return bigNatFromWord_(a[0] ^ bitMask(i));
  const auto j = static_cast<Int>(wi);
  MutableWordArray_ r = copyWithLimb(a, j, a[j] ^ bitMask(i));
  // Inverting the top limb's only set bit removes limbs.
  mwaTrimZeroes_(r);
  return std::move(r).freeze();
}

BigNat_ bigNatClearBit_(const BigNat_& a, Word i) {
  if (bigNatTestBit_(a, i) == 0) return a;
  const Int n = a.size();
  const auto j = static_cast<Int>(limbIndex(i));
  const Word c = a[j];
  const Word d = c & ~bitMask(i);
  if (n == 1) return bigNatFromWord_(d);
  if (d != 0 || j != n - 1) return copyWithLimb(a, j, d).freeze();
  // The top limb's only bit goes: the result is exactly the limbs below the
  // zero run under the top, copied without a trim.
  const Int rest = n - 1 - waClzAt(a, n - 2);
  if (rest == 0) return bigNatZero_();
  return withNewWordArray_(rest, [&](MutableWordArray_& r) { mwaArrayCopy_(r, 0, a, 0, rest); });
}

// ---------------------------------------------------------------------------
// Counts.

Word bigNatPopCount_(const BigNat_& a) noexcept {
  if (a.size() == 0) return 0;
  if (a.size() == 1) return static_cast<Word>(popCount(a[0]));
  return backend::bignat_popcount(a);
}

Word bigNatCtzWord_(const BigNat_& a) noexcept {
  // A normalised non-zero value has a non-zero top limb, so the scan stops.
  const Word* p = a.data();
  Word i = 0;
  if (a.size() != 0) {
    while (p[i] == 0) ++i;
  }
  return i;
}

Word bigNatCtz_(const BigNat_& a) noexcept {
  if (a.size() == 0) return 0;
  const Word i = bigNatCtzWord_(a);
  return i * kBits + static_cast<Word>(countTrailingZeros(a.data()[i]));
}

std::optional<Word> bigNatIsPowerOf2_(const BigNat_& a) noexcept {
  const Int n = a.size();
  if (n == 0) return std::nullopt;
  const Word top = a[n - 1];
  if (!std::has_single_bit(top)) return std::nullopt;
  for (Int j = n - 2; j >= 0; --j) {
    if (a[j] != 0) return std::nullopt;
  }
  return static_cast<Word>(n - 1) * kBits + static_cast<Word>(countTrailingZeros(top));
}

// ---------------------------------------------------------------------------
// Logarithms and digit counts.

Word bigNatLogBase_(const BigNat_& base, const BigNat_& a) {
  if (base.size() == 0 || bigNatIsOne(base)) raiseOverflow();
  if (bigNatIsTwo(base)) return bigNatLog2_(a);
  if (base.size() == 1 && a.size() <= 1) return wordLogBase_(base[0], bigNatToWord_(a));
  // Square the base until it passes a, keeping every power p, p^2, p^4, ...
  // not above a; then rebuild the exponent one bit per power, most
  // significant first, dividing by every power that still fits.  A power of
  // np limbs squares to at least 2 np - 1 limbs: once that is more than a
  // has, the square is above a without being computed.
  std::vector<BigNat_> powers;
  BigNat_ p = base;
  while (!bigNatLt(a, p)) {
    const bool squareAbove = 2 * p.size() - 1 > a.size();
    powers.push_back(p);
    if (squareAbove) break;
    p = bigNatSqr(powers.back());
  }
  BigNat_ r = a;
  Word k = 0;
  for (auto q = powers.rbegin(); q != powers.rend(); ++q) {
    k *= 2;
    if (bigNatLt(r, *q)) continue;
    r = bigNatQuot(r, *q);
    k += 1;
  }
  return k;
}

Word bigNatLogBaseWord_(Word base, const BigNat_& a) {
  if (base < 2) raiseOverflow();
  if (base == 2) return bigNatLog2_(a);
  if (a.size() <= 1) return wordLogBase_(base, bigNatToWord_(a));
  return bigNatLogBase_(wordArrayFromWord_(base), a);
}

Word bigNatSizeInBase_(Word base, const BigNat_& a) {
  if (base < 2) raiseOverflow();
  if (a.size() == 0) return 0;
  return bigNatLogBaseWord_(base, a) + 1;
}

NUMKIT_END_NAMESPACE
