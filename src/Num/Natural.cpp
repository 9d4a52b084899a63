// Natural core: demotion, conversion, validity, and the multi-word cases of
// comparison, addition and subtraction.
#include "Num/Natural.hpp"

#include "Borrowed.hpp"
#include "InPlace.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

Natural naturalFromBigNat_(BigNat_ p) noexcept {
  switch (p.size()) {
    case 0:
      return naturalZero();
    case 1:
      return NS(p[0]);
    default:
      return NB(std::move(p));
  }
}

BigNat_ naturalToBigNat_(const Natural& n) {
  if (n.isNS()) return bigNatFromWord_(n.word());
  return n.bigNat();
}

Natural naturalFromWord2_(Word hi, Word lo) {
  if (hi == 0) return NS(lo);
  return NB(wordArrayFromWord2_(hi, lo));
}

Natural naturalFromWordList(std::span<const Word> msFirst) {
  return naturalFromBigNat_(bigNatFromWordList(msFirst));
}

Int naturalCheck_(const Natural& n) noexcept {
  if (n.isNS()) return 1;
  const BigNat_& p = n.bigNat();
  const Int limbs = p.size();
  if (limbs == 0 || p.sizeBytes() % kWordBytes != 0 || p[limbs - 1] == 0) return 0;
  return limbs > 1 ? 1 : 0;
}

namespace detail {

namespace {

using Borrowed = BorrowedValue<Natural, NaturalAccess, NaturalRep>;

}  // namespace

Ordering naturalCompareSlow(NaturalRep ar, NaturalRep br) noexcept {
  const Borrowed ba(ar), bb(br);
  const Natural& a = ba.get();
  const Natural& b = bb.get();
  if (a.isNS()) {
    if (b.isNB()) return Ordering::LT;
    const Word x = a.word();
    const Word y = b.word();
    return x < y ? Ordering::LT : x == y ? Ordering::EQ : Ordering::GT;
  }
  if (b.isNS()) return Ordering::GT;
  const BigNat_& p = a.bigNat();
  const BigNat_& q = b.bigNat();
  return compareWords(p.data(), p.size(), q.data(), q.size());
}

bool naturalEqSlow(NaturalRep ar, NaturalRep br) noexcept {
  const Borrowed ba(ar), bb(br);
  const Natural& a = ba.get();
  const Natural& b = bb.get();
  if (a.isNS() || b.isNS()) return a.isNS() && b.isNS() && a.word() == b.word();
  const BigNat_& p = a.bigNat();
  const BigNat_& q = b.bigNat();
  return p.size() == q.size() && equalWords(p.data(), q.data(), p.size());
}

namespace {

Natural addImpl(const Natural& a, const Natural& b) {
  if (a.isNS()) {
    if (b.isNB()) return NB(bigNatAddWord_(b.bigNat(), a.word()));
    Word s;
    if (!__builtin_add_overflow(a.word(), b.word(), &s)) return NS(s);
    return NB(wordArrayFromWord2_(1, s));
  }
  // A sum with a multi-word operand keeps at least two limbs: no demotion.
  if (b.isNS()) return NB(bigNatAddWord_(a.bigNat(), b.word()));
  return NB(sumOfMagnitudes(a.bigNat(), b.bigNat()));
}

// The cases shared by the three subtractions: both single words, or a
// multi-word minuend less a single word.  The unchecked word subtraction is
// safe for the latter since the minuend is at least 2^64 and the word below it.
std::optional<Natural> subExact(const Natural& a, const Natural& b) {
  if (a.isNS()) {
    if (b.isNB()) return std::nullopt;
    Word d;
    if (__builtin_sub_overflow(a.word(), b.word(), &d)) return std::nullopt;
    return NS(d);
  }
  if (b.isNS()) return naturalFromBigNat_(bigNatSubWordUnsafe_(a.bigNat(), b.word()));
  std::optional<BigNat_> r = bigNatSub(a.bigNat(), b.bigNat());
  if (!r) return std::nullopt;
  return naturalFromBigNat_(std::move(*r));
}

}  // namespace

std::optional<Natural> naturalSubSlow(const Natural& a, const Natural& b) { return subExact(a, b); }

namespace {

// a + b (subtract false) or a - b (subtract true, a >= b) written into a's
// block; false, with a untouched, when a is a single word, its block is
// shared or has no room, or b is a itself.
[[gnu::always_inline]] inline bool assignInPlace(Natural& a, const Natural& b,
                                                 bool subtract) noexcept {
  if (a.isNS()) return false;
  const BigNat_& m = a.bigNat();
  rt::BlockHeader* h = writableBlock(m);
  if (!rt::isUnique(h)) return false;
  Int n;
  if (b.isNS()) {
    if (b.word() == 0) return true;
    n = addWordInPlace(h, rt::payload(h), m.size(), b.word(), subtract);
  } else {
    if (b.bigNat().sameBlock(m)) return false;
    bool negative = false;
    const Int cap = static_cast<Int>(rt::blockCapacity(h) / kWordBytes);
    n = addSignedInPlace(rt::payload(h), m.size(), cap, negative, b.bigNat().data(),
                         b.bigNat().size(), subtract);
  }
  if (n < 0) return false;
  h->bytes = static_cast<std::size_t>(n) * kWordBytes;
  if (n <= 1) a = naturalFromBigNat_(WordArray_::adopt(NaturalAccess::release(std::move(a)).h));
  return true;
}

}  // namespace

void naturalAddAssignSlow(Natural& a, NaturalRep br) {
  const Borrowed bb(br);
  if (!assignInPlace(a, bb.get(), false)) a = addImpl(a, bb.get());
}

void naturalSubAssignSlow(Natural& a, NaturalRep br) {
  const Borrowed bb(br);
  const Natural& b = bb.get();
  // Decided before anything is written: an underflow leaves a as it was.
  if (naturalLt(a, b)) raiseUnderflow();
  if (assignInPlace(a, b, true)) return;
  std::optional<Natural> r = subExact(a, b);
  a = std::move(*r);
}

namespace {

// a + b, the general path of naturalAddSlow.
[[gnu::noinline]] NaturalRep addGeneral(NaturalRep a, NaturalRep b) {
  const Borrowed ba(a), bb(b);
  return NaturalAccess::release(addImpl(ba.get(), bb.get()));
}

// What sumOfMultiWords<false> leaves: values of two sizes by
// sumOfAnyBlocks, longer ones, and an empty list, by the general form.
[[gnu::noinline]] NaturalRep sumOfOtherMultiWords(NaturalRep a, NaturalRep b) {
  if (rt::BlockHeader* h = sumOfAnyBlocks(a.h, b.h)) return {0, h};
  return addGeneral(a, b);
}

// a + b for two multi-word values, straight on their blocks, with no frame;
// kShort: the short sums, others jumping to the form for values of one size,
// and the rest to sumOfOtherMultiWords.
template <bool kShort>
[[gnu::noinline]] NaturalRep sumOfMultiWords(NaturalRep a, NaturalRep b) {
  if (rt::BlockHeader* h = sumOfBlocks<kShort>(a.h, b.h)) return {0, h};
  if constexpr (kShort) {
    return sumOfMultiWords<false>(a, b);
  } else {
    return sumOfOtherMultiWords(a, b);
  }
}

}  // namespace

// Only dispatch, by jumps.
NaturalRep naturalAddSlow(NaturalRep a, NaturalRep b) {
  if (a.h != nullptr && b.h != nullptr) return sumOfMultiWords<true>(a, b);
  return addGeneral(a, b);
}

namespace {

// a - b for multi-word values a > b by the kernel: what
// differenceOfMultiWords leaves.
[[gnu::noinline]] NaturalRep differenceOfMultiWordsByKernel(NaturalRep a, NaturalRep b) {
  const Borrowed ba(a), bb(b);
  return NaturalAccess::release(
      naturalFromBigNat_(differenceByKernel(ba.get().bigNat(), bb.get().bigNat())));
}

// a - b for two multi-word values, raising num::Underflow when a < b,
// straight on their blocks, in a block from the thread's lists: any pair
// that differenceOfShortMultiWords turns down; longer ones, and an empty
// list, go to the kernel's form.
[[gnu::noinline]] NaturalRep differenceOfMultiWords(NaturalRep a, NaturalRep b) {
  switch (compareBlocks(a.h, b.h)) {
    case Ordering::LT:
      raiseUnderflow();
    case Ordering::EQ:
      return {0, nullptr};
    case Ordering::GT:
      break;
  }
  rt::BlockHeader* h = differenceOfBlocks(a.h, b.h);
  if (h == nullptr) return differenceOfMultiWordsByKernel(a, b);
  if (h->bytes > kWordBytes) return {0, h};
  const Word w = rt::payload(h)[0];
  rt::recycle(h);
  return {w, nullptr};
}

// The difference in block h when it has at most one limb, or, when
// `swapped`, any: as a word, its block recycled, or num::Underflow when
// swapped.  Out of line, for the paths that keep no frame.
[[gnu::noinline]] NaturalRep demotedOrRaised(rt::BlockHeader* h, bool swapped) {
  const Word w = rt::payload(h)[0];  // 0 for a zero difference
  rt::recycle(h);
  if (swapped) raiseUnderflow();
  return {w, nullptr};
}

// differenceOfMultiWords for values of one size, up to kChainSumLimbs
// limbs, whose top limbs differ, with no frame: the order from the top
// limbs, the block from the thread's lists without a call.  Other pairs,
// and an empty list, go to the general form.
[[gnu::noinline]] NaturalRep differenceOfMidMultiWords(NaturalRep a, NaturalRep b) {
  bool swapped;
  rt::BlockHeader* h = midDifferenceOfBlocks(a.h, b.h, swapped);
  if (h == nullptr) return differenceOfMultiWords(a, b);
  if (!swapped && h->bytes > kWordBytes) return {0, h};
  return demotedOrRaised(h, swapped);
}

// differenceOfMultiWords for values of up to four limbs, the common case:
// the block comes from the thread's list without a call and the order from
// the subtraction itself.  Longer pairs, and an empty list, go to
// differenceOfMidMultiWords.
[[gnu::noinline]] NaturalRep differenceOfShortMultiWords(NaturalRep a, NaturalRep b) {
  bool swapped;
  rt::BlockHeader* h = shortDifferenceOfBlocks(a.h, b.h, swapped);
  if (h == nullptr) return differenceOfMidMultiWords(a, b);
  if (!swapped && h->bytes > kWordBytes) return {0, h};
  return demotedOrRaised(h, swapped);
}

}  // namespace

NaturalRep naturalSubThrowSlow(NaturalRep ar, NaturalRep br) {
  if (ar.h != nullptr && br.h != nullptr) return differenceOfShortMultiWords(ar, br);
  const Borrowed ba(ar), bb(br);
  std::optional<Natural> r = subExact(ba.get(), bb.get());
  if (!r) raiseUnderflow();
  return NaturalAccess::release(std::move(*r));
}

NaturalRep naturalSubUnsafeSlow(NaturalRep ar, NaturalRep br) {
  const Borrowed ba(ar), bb(br);
  const Natural& a = ba.get();
  const Natural& b = bb.get();
  if (a.isNS() && b.isNS()) return NaturalAccess::release(NS(a.word() - b.word()));
  std::optional<Natural> r = subExact(a, b);
  if (!r) return NaturalAccess::release(naturalZero());
  return NaturalAccess::release(std::move(*r));
}

}  // namespace detail

NUMKIT_END_NAMESPACE
