// Integer core: shared constants, demotion, construction and conversion,
// validity, and the multi-word and overflowing cases of comparison,
// equality, addition, subtraction, negation and absolute value.
#include "Num/Integer.hpp"

#include <algorithm>
#include <limits>

#include "Borrowed.hpp"
#include "InPlace.hpp"
#include "Num/Backend.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

constexpr Word kTop = Word{1} << 63;  // 2^63, the magnitude of the most negative Int

constinit rt::StaticBlock<1> twoPow63Block{{rt::kImmortal, kWordBytes}, {kTop}};
constinit rt::StaticBlock<2> twoPow64Block{{rt::kImmortal, 2 * kWordBytes}, {0, 1}};

}  // namespace

Integer integerTwoPow63() noexcept { return IP(WordArray_::fromStatic(twoPow63Block)); }
Integer integerNegTwoPow64() noexcept { return IN(WordArray_::fromStatic(twoPow64Block)); }

Int integerCheck_(const Integer& x) noexcept {
  if (x.isIS()) return 1;
  const BigNat_& m = x.magnitude();
  const Int n = m.size();
  if (n == 0 || m.sizeBytes() % kWordBytes != 0 || m[n - 1] == 0) return 0;
  if (n > 1) return 1;
  return (x.isIP() ? m[0] >= kTop : m[0] > kTop) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Construction.

Integer integerFromWordNeg_(Word w) {
  if (w <= kTop) return IS(static_cast<Int>(Word{0} - w));
  return IN(bigNatFromWord_(w));
}

Integer integerFromWordSign_(Int s, Word w) {
  return s != 0 ? integerFromWordNeg_(w) : integerFromWord_(w);
}

Integer integerFromBigNat_(BigNat_ m) noexcept {
  const Int n = m.size();
  if (n == 0) return integerZero();
  if (n > 1 || m[0] >= kTop) return IP(std::move(m));
  return IS(static_cast<Int>(m[0]));
}

Integer integerFromBigNatNeg_(BigNat_ m) noexcept {
  const Int n = m.size();
  if (n == 0) return integerZero();
  if (n > 1 || m[0] > kTop) return IN(std::move(m));
  return IS(static_cast<Int>(Word{0} - m[0]));
}

Integer integerFromBigNatSign_(Int s, BigNat_ m) noexcept {
  return s != 0 ? integerFromBigNatNeg_(std::move(m)) : integerFromBigNat_(std::move(m));
}

Integer integerFromNatural(const Natural& n) {
  if (n.isNS()) return integerFromWord_(n.word());
  return IP(n.bigNat());
}

Integer integerFromWordList(bool negative, std::span<const Word> msFirst) {
  BigNat_ m = bigNatFromWordList(msFirst);
  return negative ? integerFromBigNatNeg_(std::move(m)) : integerFromBigNat_(std::move(m));
}

// ---------------------------------------------------------------------------
// Conversion.

std::pair<Int, BigNat_> integerToBigNatSign_(const Integer& x) {
  if (x.isIS()) {
    const Int i = x.intValue();
    return {i < 0 ? 1 : 0, bigNatFromWord_(wordFromAbsInt_(i))};
  }
  return {x.isIN() ? 1 : 0, x.magnitude()};
}

BigNat_ integerToBigNatClamp_(const Integer& x) {
  if (x.isIP()) return x.magnitude();
  if (x.isIS() && x.intValue() > 0) return bigNatFromWord_(static_cast<Word>(x.intValue()));
  return bigNatZero_();
}

Natural integerToNatural(const Integer& x) noexcept {
  if (x.isIS()) return NS(wordFromAbsInt_(x.intValue()));
  return naturalFromBigNat_(x.magnitude());
}

Natural integerToNaturalClamp(const Integer& x) noexcept {
  if (integerIsNegative(x)) return naturalZero();
  return integerToNatural(x);
}

Natural integerToNaturalThrow(const Integer& x) {
  if (integerIsNegative(x)) raiseUnderflow();
  return integerToNatural(x);
}

// ---------------------------------------------------------------------------
// Equality and ordering.

namespace detail {

namespace {

using Borrowed = BorrowedValue<Integer, IntegerAccess, IntegerRep>;

Ordering compareImpl(const Integer& x, const Integer& y) noexcept {
  if (x.isIS()) {
    if (y.isIS()) {
      const Int a = x.intValue();
      const Int b = y.intValue();
      return a < b ? Ordering::LT : a == b ? Ordering::EQ : Ordering::GT;
    }
    return y.isIP() ? Ordering::LT : Ordering::GT;
  }
  if (x.isIP()) {
    if (!y.isIP()) return Ordering::GT;
    const BigNat_& a = x.magnitude();
    const BigNat_& b = y.magnitude();
    if (a.size() == 1 && b.size() == 1) {
      return a[0] < b[0] ? Ordering::LT : a[0] == b[0] ? Ordering::EQ : Ordering::GT;
    }
    return bigNatCompare(a, b);
  }
  if (!y.isIN()) return Ordering::LT;
  // Both negative: the larger magnitude is the smaller value.
  return bigNatCompare(y.magnitude(), x.magnitude());
}

}  // namespace

Ordering integerCompareSlow(IntegerRep xr, IntegerRep yr) noexcept {
  const Borrowed x(xr), y(yr);
  if (xr.h != nullptr && yr.h != nullptr) {
    // Two multi-word values: the signs, then the magnitudes, the larger of
    // which is the smaller value when both are negative.
    const bool negative = x.get().isIN();
    if (negative != y.get().isIN()) return negative ? Ordering::LT : Ordering::GT;
    const BigNat_& a = negative ? y.get().magnitude() : x.get().magnitude();
    const BigNat_& b = negative ? x.get().magnitude() : y.get().magnitude();
    return compareWords(a.data(), a.size(), b.data(), b.size());
  }
  return compareImpl(x.get(), y.get());
}

bool integerEqSlow(IntegerRep xr, IntegerRep yr) noexcept {
  const Borrowed bx(xr), by(yr);
  const Integer& x = bx.get();
  const Integer& y = by.get();
  if (x.isIS() || y.isIS()) return x.isIS() && y.isIS() && x.intValue() == y.intValue();
  const BigNat_& a = x.magnitude();
  const BigNat_& b = y.magnitude();
  return x.isIN() == y.isIN() && a.size() == b.size() && equalWords(a.data(), b.data(), a.size());
}

// ---------------------------------------------------------------------------
// Addition and subtraction.
//
// Once the single-word cases are settled, every sum or difference with a
// multi-word operand is a signed sum of two magnitudes, the first of them
// multi-word.  Sums of same-signed magnitudes only grow and are wrapped
// directly; differences are demoted.

namespace {

// The value of sign * m, demoted.
Integer fromMagnitude(bool negative, BigNat_ m) noexcept {
  return negative ? integerFromBigNatNeg_(std::move(m)) : integerFromBigNat_(std::move(m));
}

// (-1)^na * a + (-1)^nb * w, where a is the magnitude of an IP or IN and w
// that of an IS, so a >= 2^63 >= w and a - w cannot borrow.
Integer addMagWord(bool na, const BigNat_& a, bool nb, Word w) {
  if (na == nb) {
    BigNat_ s = bigNatAddWord_(a, w);
    return na ? IN(std::move(s)) : IP(std::move(s));
  }
  return fromMagnitude(na, bigNatSubWordUnsafe_(a, w));
}

// (-1)^na * a + (-1)^nb * b for two multi-word magnitudes.
Integer addMagMag(bool na, const BigNat_& a, bool nb, const BigNat_& b) {
  if (na == nb) {
    BigNat_ s = bigNatAdd(a, b);
    return na ? IN(std::move(s)) : IP(std::move(s));
  }
  switch (bigNatCompare(a, b)) {
    case Ordering::GT:
      return fromMagnitude(na, bigNatSubUnsafe(a, b));
    case Ordering::EQ:
      return integerZero();
    case Ordering::LT:
      break;
  }
  return fromMagnitude(nb, bigNatSubUnsafe(b, a));
}

// x + (-1)^negateY * y where at least one operand is multi-word.
Integer addBig(const Integer& x, const Integer& y, bool negateY) {
  const bool nx = integerIsNegative(x);
  const bool ny = integerIsNegative(y) != negateY;
  if (x.isIS()) return addMagWord(ny, y.magnitude(), nx, wordFromAbsInt_(x.intValue()));
  if (y.isIS()) return addMagWord(nx, x.magnitude(), ny, wordFromAbsInt_(y.intValue()));
  return addMagMag(nx, x.magnitude(), ny, y.magnitude());
}

// Operands whose magnitude has at most one limb, the common case around the
// word boundary, are summed exactly in 128 bits: no magnitude is built and
// then demoted, and a result that leaves the word costs one allocation.
using I128 = detail::SignedDoubleWord;

bool smallValue(const Integer& x, I128& v) noexcept {
  if (x.isIS()) {
    v = x.intValue();
    return true;
  }
  const BigNat_& m = x.magnitude();
  if (m.size() != 1) return false;
  v = x.isIN() ? -static_cast<I128>(m[0]) : static_cast<I128>(m[0]);
  return true;
}

// The value v, |v| < 2^65.
Integer fromI128(I128 v) {
  if (v >= std::numeric_limits<Int>::min() && v <= std::numeric_limits<Int>::max()) {
    return IS(static_cast<Int>(v));
  }
  const bool negative = v < 0;
  const auto mag = static_cast<detail::DoubleWord>(negative ? -v : v);
  const auto hi = static_cast<Word>(mag >> 64);
  const auto lo = static_cast<Word>(mag);
  BigNat_ m = hi != 0 ? wordArrayFromWord2_(hi, lo) : wordArrayFromWord_(lo);
  return negative ? IN(std::move(m)) : IP(std::move(m));
}

Integer addImpl(const Integer& x, const Integer& y) {
  if (integerIsZero(y)) return x;
  if (integerIsZero(x)) return y;
  if (detail::bothIS_(x, y)) {
    const Int a = x.intValue();
    Int d;
    if (!__builtin_add_overflow(a, y.intValue(), &d)) return IS(d);
    // The wrapped sum d tells the exact result apart: 0 only for -2^63 - 2^63;
    // a negative d from two positives is the sum itself read as a word; a
    // positive d from two negatives is the sum plus 2^64.
    if (d == 0) return integerNegTwoPow64();
    if (a >= 0) return IP(bigNatFromWord_(static_cast<Word>(d)));
    return IN(bigNatFromWord_(Word{0} - static_cast<Word>(d)));
  }
  I128 a, b;
  if (smallValue(x, a) && smallValue(y, b)) return fromI128(a + b);
  return addBig(x, y, false);
}

Integer subImpl(const Integer& x, const Integer& y) {
  if (integerIsZero(y)) return x;
  if (detail::bothIS_(x, y)) {
    const Int a = x.intValue();
    Int d;
    if (!__builtin_sub_overflow(a, y.intValue(), &d)) return IS(d);
    // The difference lies in [2^63, 2^64 - 1] or [-(2^64 - 1), -2^63 - 1].
    if (a >= 0) return IP(bigNatFromWord_(static_cast<Word>(d)));
    return IN(bigNatFromWord_(Word{0} - static_cast<Word>(d)));
  }
  // 0 - y is left to the general case, which shares y's magnitude.
  I128 a, b;
  if (!integerIsZero(x) && smallValue(x, a) && smallValue(y, b)) return fromI128(a - b);
  return addBig(x, y, true);
}

// ---------------------------------------------------------------------------
// Negation and absolute value.

Integer negateImpl(const Integer& x) noexcept {
  if (x.isIS()) {
    if (x.intValue() == kIntMin) return integerTwoPow63();
    return IS(-x.intValue());
  }
  if (x.isIN()) return IP(x.magnitude());
  const BigNat_& m = x.magnitude();
  if (m.size() == 1 && m[0] == kTop) return integerMinInt();
  return IN(m);
}

Integer absImpl(const Integer& x) noexcept {
  if (x.isIS()) {
    const Int i = x.intValue();
    if (i == kIntMin) return integerTwoPow63();
    return i < 0 ? IS(-i) : x;
  }
  if (x.isIN()) return IP(x.magnitude());
  return x;
}

}  // namespace

namespace {

// x + (-1)^negateY y written into x's block; false, with x untouched, when x
// is a single word, its block is shared or has no room, or y is x itself.
[[gnu::always_inline]] inline bool assignInPlace(Integer& x, const Integer& y,
                                                 bool negateY) noexcept {
  if (x.isIS()) return false;
  const BigNat_& m = x.magnitude();
  rt::BlockHeader* h = writableBlock(m);
  if (!rt::isUnique(h)) return false;
  const bool nx = x.isIN();
  bool negative = nx;
  Int n;
  if (y.isIS()) {
    const Int i = y.intValue();
    if (i == 0) return true;
    // |x| >= 2^63 >= |i|: the difference of magnitudes is never negative.
    const bool subtract = ((i < 0) != negateY) != nx;
    n = addWordInPlace(h, rt::payload(h), m.size(), wordFromAbsInt_(i), subtract);
  } else {
    if (y.magnitude().sameBlock(m)) return false;
    const Int cap = static_cast<Int>(rt::blockCapacity(h) / kWordBytes);
    n = addSignedInPlace(rt::payload(h), m.size(), cap, negative, y.magnitude().data(),
                         y.magnitude().size(), y.isIN() != negateY);
  }
  if (n < 0) return false;
  h->bytes = static_cast<std::size_t>(n) * kWordBytes;
  // A result of one limb may fit a signed word, and a sign change needs a
  // new tag: both are rebuilt around the same block.
  if (n <= 1 || negative != nx) {
    x = fromMagnitude(negative, WordArray_::adopt(IntegerAccess::release(std::move(x)).h));
  }
  return true;
}

}  // namespace

namespace {

// x + y for an x of one or two limbs below 2^126 and a signed word y (given
// in 128 bits, so that -(-2^63) needs no care), the usual step of a sum
// around the word boundary: the exact sum in 128 bits, a signed word when it
// fits, else written into x's block when x holds it alone.  False, with x
// untouched, for a larger x.
[[gnu::always_inline]] inline bool addSmallToShort(Integer& x, I128 y) {
  const BigNat_& m = x.magnitude();
  const Int n = m.size();
  if (static_cast<Word>(n - 1) > 1) return false;
  // The signs and the limb counts of such sums are as good as random, so
  // both are handled with masks rather than branches the processor would
  // mispredict: the top limb is m[n - 1] kept only when n = 2.
  const Word hi = m[n - 1] & (Word{0} - static_cast<Word>(n == 2));
  if (hi >> 62 != 0) return false;
  const I128 mag = static_cast<I128>((static_cast<detail::DoubleWord>(hi) << 64) | m[0]);
  const I128 xs = -static_cast<I128>(x.isIN());  // 0 or -1
  const I128 s = ((mag ^ xs) - xs) + y;
  if (s >= std::numeric_limits<Int>::min() && s <= std::numeric_limits<Int>::max()) {
    x = IS(static_cast<Int>(s));
    return true;
  }
  rt::BlockHeader* h = writableBlock(m);
  if (!rt::isUnique(h)) {
    x = fromI128(s);
    return true;
  }
  // Every block has room for two limbs.  |x| >= 2^63 >= |y|, so a sum that
  // is not zero keeps x's sign, and x its tag.
  const I128 ss = s >> 127;  // 0 or -1
  const auto sm = static_cast<detail::DoubleWord>((s ^ ss) - ss);
  Word* p = rt::payload(h);
  p[0] = static_cast<Word>(sm);
  p[1] = static_cast<Word>(sm >> 64);
  h->bytes = (p[1] != 0 ? 2 : 1) * kWordBytes;
  return true;
}

// The general x += (-1)^negateY y, apart so that the short paths keep light
// frames.
template <bool negateY>
[[gnu::noinline]] void assignGeneral(Integer& x, IntegerRep yr) {
  const Borrowed by(yr);
  if (assignInPlace(x, by.get(), negateY)) return;
  x = negateY ? subImpl(x, by.get()) : addImpl(x, by.get());
}

// x += (-1)^negateY y for a multi-word x and a signed word y: the short path;
// for a longer x, the word added into x's block when x holds it alone.  Such
// an x exceeds 2^126 > 2^64 |y|, so the result keeps x's sign and at least
// two limbs: nothing to demote.
template <bool negateY>
[[gnu::noinline]] void addWordAssign(Integer& x, IntegerRep yr) {
  if (addSmallToShort(x, negateY ? -static_cast<I128>(yr.w) : static_cast<I128>(yr.w))) return;
  const BigNat_& m = x.magnitude();
  rt::BlockHeader* h = writableBlock(m);
  if (rt::isUnique(h)) {
    const bool subtract = ((yr.w < 0) != negateY) != x.isIN();
    const Int n = addWordInPlace(h, rt::payload(h), m.size(), wordFromAbsInt_(yr.w), subtract);
    if (n >= 0) {
      h->bytes = static_cast<std::size_t>(n) * kWordBytes;
      return;
    }
  }
  assignGeneral<negateY>(x, yr);
}

// x += (-1)^negateY y for two multi-word values whose terms have one sign,
// the step of a running sum of products or of large terms: the magnitudes
// added in x's block when x holds it alone and it has room.  Anything else
// takes the general path.
template <bool negateY>
[[gnu::noinline]] void addMultiWordAssign(Integer& x, IntegerRep yr) {
  const Borrowed by(yr);
  const Integer& y = by.get();
  const BigNat_& m = x.magnitude();
  rt::BlockHeader* h = writableBlock(m);
  bool negative = x.isIN();
  if (negative == (y.isIN() != negateY) && rt::isUnique(h) && !y.magnitude().sameBlock(m)) {
    const Int cap = static_cast<Int>(rt::blockCapacity(h) / kWordBytes);
    const Int n = addSignedInPlace(rt::payload(h), m.size(), cap, negative, y.magnitude().data(),
                                   y.magnitude().size(), negative);
    if (n >= 0) {
      h->bytes = static_cast<std::size_t>(n) * kWordBytes;
      return;
    }
  }
  assignGeneral<negateY>(x, yr);
}

}  // namespace

// Only dispatch, so that each path is reached by a jump and pays for no frame
// it does not use.
void integerAddAssignSlow(Integer& x, IntegerRep yr) {
  if (!x.isIS()) {
    if (yr.h == nullptr) return addWordAssign<false>(x, yr);
    return addMultiWordAssign<false>(x, yr);
  }
  assignGeneral<false>(x, yr);
}

void integerSubAssignSlow(Integer& x, IntegerRep yr) {
  if (!x.isIS()) {
    if (yr.h == nullptr) return addWordAssign<true>(x, yr);
    return addMultiWordAssign<true>(x, yr);
  }
  assignGeneral<true>(x, yr);
}

namespace {

// The value of (l - s), negated when `negative`, for multi-word magnitudes
// l > s too long for the borrow chain: the sum of two values of opposite
// signs, demoted.
[[gnu::noinline]] Integer signedDifference(bool negative, const BigNat_& l, const BigNat_& s) {
  BigNat_ m = differenceByKernel(l, s);
  // Only a difference of one limb or none can fit a signed word.
  if (m.size() <= 1) return fromMagnitude(negative, std::move(m));
  return negative ? IN(std::move(m)) : IP(std::move(m));
}

// The difference in block h (trimmed, possibly empty) with sign tag `tag`,
// as a rep: demoted to a signed word, its block recycled, when it fits one.
[[gnu::always_inline]] inline IntegerRep demotedRep(Int tag, rt::BlockHeader* h) noexcept {
  const bool negative = Borrowed(IntegerRep{tag, h}).get().isIN();
  const Word low = rt::payload(h)[0];  // 0 for an empty difference
  // Zero and one limb below 2^63 (at 2^63 when negative) fit a signed word.
  if (h->bytes <= kWordBytes && low <= kTop - static_cast<Word>(!negative)) {
    rt::recycle(h);
    return {static_cast<Int>(negative ? Word{0} - low : low), nullptr};
  }
  return {tag, h};
}

// The sum of two multi-word values of opposite signs, |x| > |y| when
// xLarger, |x| < |y| otherwise, by the kernel: what differenceOfSigns
// leaves.
[[gnu::noinline]] IntegerRep differenceOfSignsByKernel(IntegerRep x, IntegerRep y, bool xLarger) {
  const Borrowed bx(x), by(y);
  const BigNat_& a = bx.get().magnitude();
  const BigNat_& b = by.get().magnitude();
  return IntegerAccess::release(
      signedDifference(bx.get().isIN() == xLarger, xLarger ? a : b, xLarger ? b : a));
}

// The sum of two multi-word values of opposite signs, straight on the
// reps' blocks: the larger magnitude less the smaller, with the larger's
// sign, in a block from the thread's lists.  Any pair that
// differenceOfShortSigns turns down; longer ones, and an empty list, go to
// the kernel's form.
[[gnu::noinline]] IntegerRep differenceOfSigns(IntegerRep x, IntegerRep y) {
  const Ordering o = compareBlocks(x.h, y.h);
  if (o == Ordering::EQ) return {0, nullptr};
  const bool xLarger = o == Ordering::GT;
  rt::BlockHeader* h = differenceOfBlocks(xLarger ? x.h : y.h, xLarger ? y.h : x.h);
  if (h == nullptr) return differenceOfSignsByKernel(x, y, xLarger);
  // The larger magnitude's sign: x's tag, flipped when y's is larger.
  return demotedRep(x.w ^ static_cast<Int>(!xLarger), h);
}

// demotedRep out of line, for the paths that keep no frame.
[[gnu::noinline]] IntegerRep demotedDifference(Int tag, rt::BlockHeader* h) noexcept {
  return demotedRep(tag, h);
}

// differenceOfSigns for magnitudes of one size, up to kChainSumLimbs limbs,
// whose top limbs differ, with no frame: the order from the top limbs, the
// block from the thread's lists without a call.  Other pairs, and an empty
// list, go to the general form.
[[gnu::noinline]] IntegerRep differenceOfMidSigns(IntegerRep x, IntegerRep y) {
  bool swapped;
  rt::BlockHeader* h = midDifferenceOfBlocks(x.h, y.h, swapped);
  if (h == nullptr) return differenceOfSigns(x, y);
  // The larger magnitude's sign: x's tag, flipped when y's is larger.
  const Int tag = x.w ^ static_cast<Int>(swapped);
  if (h->bytes <= kWordBytes) return demotedDifference(tag, h);
  return {tag, h};
}

// differenceOfSigns for magnitudes of up to four limbs, the common case:
// the block comes from the thread's list without a call and the order from
// the subtraction itself.  Longer pairs, and an empty list, go to
// differenceOfMidSigns.
[[gnu::noinline]] IntegerRep differenceOfShortSigns(IntegerRep x, IntegerRep y) {
  bool swapped;
  rt::BlockHeader* h = shortDifferenceOfBlocks(x.h, y.h, swapped);
  if (h == nullptr) return differenceOfMidSigns(x, y);
  // The larger magnitude's sign: x's tag, flipped when y's is larger.
  return demotedRep(x.w ^ static_cast<Int>(swapped), h);
}

// x + (-1)^negateY y with a signed word among the operands.
template <bool negateY>
[[gnu::noinline]] IntegerRep addGeneral(IntegerRep x, IntegerRep y) {
  const Borrowed bx(x), by(y);
  return IntegerAccess::release(negateY ? subImpl(bx.get(), by.get())
                                        : addImpl(bx.get(), by.get()));
}

// The sum of two multi-word magnitudes of one sign, by the kernel: what
// sumOfOtherSameSigns leaves.
[[gnu::noinline]] IntegerRep sumOfSameSignsByKernel(IntegerRep x, IntegerRep y) {
  const Borrowed bx(x), by(y);
  BigNat_ m = sumByKernel(bx.get().magnitude(), by.get().magnitude());
  return IntegerAccess::release(bx.get().isIN() ? IN(std::move(m)) : IP(std::move(m)));
}

// The sums of two multi-word magnitudes of one sign that
// sumOfSameSigns<false> leaves: operands of two sizes by sumOfAnyBlocks;
// longer ones, and an empty list, by the kernel.
[[gnu::noinline]] IntegerRep sumOfOtherSameSigns(IntegerRep x, IntegerRep y) {
  if (rt::BlockHeader* h = sumOfAnyBlocks(x.h, y.h)) return {x.w, h};
  return sumOfSameSignsByKernel(x, y);
}

// The sum of two multi-word magnitudes of one sign, x's, straight on the
// reps' blocks: one new block from the thread's lists, nothing to demote, no
// view and no screening.  kShort: operands of up to four limbs, the common
// case; any other sum jumps to the form for operands of one size, and the
// rest to sumOfOtherSameSigns.
template <bool kShort>
[[gnu::noinline]] IntegerRep sumOfSameSigns(IntegerRep x, IntegerRep y) {
  if (rt::BlockHeader* h = sumOfBlocks<kShort>(x.h, y.h)) return {x.w, h};  // x's sign and tag
  if constexpr (kShort) {
    return sumOfSameSigns<false>(x, y);
  } else {
    return sumOfOtherSameSigns(x, y);
  }
}

}  // namespace

// Only dispatch, by jumps.  A multi-word rep's word is its sign tag, equal
// for equal signs.
IntegerRep integerAddSlow(IntegerRep x, IntegerRep y) {
  if (x.h == nullptr || y.h == nullptr) return addGeneral<false>(x, y);
  return x.w == y.w ? sumOfSameSigns<true>(x, y) : differenceOfShortSigns(x, y);
}

IntegerRep integerSubSlow(IntegerRep x, IntegerRep y) {
  if (x.h == nullptr || y.h == nullptr) return addGeneral<true>(x, y);
  return x.w != y.w ? sumOfSameSigns<true>(x, y) : differenceOfShortSigns(x, y);
}

IntegerRep integerNegateSlow(IntegerRep x) noexcept {
  const Borrowed bx(x);
  return IntegerAccess::release(negateImpl(bx.get()));
}

IntegerRep integerAbsSlow(IntegerRep x) noexcept {
  const Borrowed bx(x);
  return IntegerAccess::release(absImpl(bx.get()));
}

}  // namespace detail

NUMKIT_END_NAMESPACE
