// BigNat core: constants, construction, conversion, comparison, addition
// and subtraction.
#include "Num/BigNat.hpp"

#include <algorithm>

#include "Num/Backend.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

constinit rt::StaticBlock<1> oneBlock{{rt::kImmortal, kWordBytes}, {1}};

using Wide = detail::DoubleWord;

// Operands of at most two limbs are added and subtracted in registers: a call
// into the kernel and the trim that follows cost more than the arithmetic.
// The results are the same as the kernels give, in one fresh array of
// exactly the size needed.
inline Wide wide(const BigNat_& a) noexcept { return a.size() == 0 ? 0 : detail::wideValue(a); }

BigNat_ fromLimbs(Word l0, Word l1, Word l2) {
  const Int n = l2 != 0 ? 3 : l1 != 0 ? 2 : l0 != 0 ? 1 : 0;
  MutableWordArray_ r = newWordArray_(n);
  Word* p = r.data();
  if (n > 0) p[0] = l0;
  if (n > 1) p[1] = l1;
  if (n > 2) p[2] = l2;
  return std::move(r).freeze();
}

BigNat_ fromWide(Wide x, Word top = 0) {
  return fromLimbs(static_cast<Word>(x), static_cast<Word>(x >> 64), top);
}

}  // namespace

BigNat_ bigNatOne_() noexcept { return BigNat_::fromStatic(oneBlock); }
BigNat bigNatZero() noexcept { return BN_(bigNatZero_()); }
BigNat bigNatOne() noexcept { return BN_(bigNatOne_()); }

Int bigNatCheck_(const BigNat_& a) noexcept {
  const Int n = a.size();
  if (n == 0) return 1;
  if (a.sizeBytes() % kWordBytes != 0) return 0;
  return a[n - 1] != 0 ? 1 : 0;
}

BigNat_ bigNatFromAbsInt_(Int i) { return bigNatFromWord_(wordFromAbsInt_(i)); }

BigNat_ bigNatFromWord2_(Word hi, Word lo) {
  if (hi == 0) return bigNatFromWord_(lo);
  return wordArrayFromWord2_(hi, lo);
}

BigNat_ bigNatFromWordList(std::span<const Word> msFirst) {
  const auto first = std::find_if(msFirst.begin(), msFirst.end(), [](Word w) { return w != 0; });
  return bigNatFromWordListUnsafe(
      msFirst.subspan(static_cast<std::size_t>(first - msFirst.begin())));
}

BigNat_ bigNatFromWordListUnsafe(std::span<const Word> msFirst) {
  if (msFirst.empty()) return bigNatZero_();
  const Int n = static_cast<Int>(msFirst.size());
  return withNewWordArray_(n, [&](MutableWordArray_& r) {
    std::reverse_copy(msFirst.begin(), msFirst.end(), r.data());
  });
}

BigNat_ bigNatFromWordArray_(const WordArray_& wa, Word n) {
  Int i = static_cast<Int>(n);
  const Word* p = wa.data();
  while (i != 0 && p[i - 1] == 0) --i;
  if (i == 0) return bigNatZero_();
  if (wa.sizeBytes() % kWordBytes == 0 && i == wa.size()) return wa;
  return withNewWordArray_(i, [&](MutableWordArray_& r) { mwaArrayCopy_(r, 0, wa, 0, i); });
}

std::vector<Word> bigNatToWordList(const BigNat_& a) {
  std::vector<Word> v(static_cast<std::size_t>(a.size()));
  std::reverse_copy(a.data(), a.data() + a.size(), v.begin());
  return v;
}

Ordering bigNatCompare(const BigNat_& a, const BigNat_& b) noexcept {
  const Int na = a.size();
  const Int nb = b.size();
  if (nb < na) return Ordering::GT;
  if (na < nb) return Ordering::LT;
  if (na == 0) return Ordering::EQ;
  if (na <= 2) {
    const Wide x = wide(a);
    const Wide y = wide(b);
    return x < y ? Ordering::LT : x > y ? Ordering::GT : Ordering::EQ;
  }
  const Int c = backend::bignat_compare(a, b);
  return c < 0 ? Ordering::LT : c > 0 ? Ordering::GT : Ordering::EQ;
}

Int bigNatEq_(const BigNat_& a, const BigNat_& b) noexcept {
  const Int n = a.size();
  if (n != b.size()) return 0;
  return n == 0 || backend::bignat_compare(a, b) == 0 ? 1 : 0;
}

// a + b for non-zero operands of at most two limbs each.
static BigNat_ addTwoLimbs(const BigNat_& a, const BigNat_& b) {
  const detail::SmallSum s = detail::smallSum(a, b);
  MutableWordArray_ r = newWordArray_(static_cast<Int>(s.bytes / kWordBytes));
  detail::storeSmallSum(r.data(), s);
  return std::move(r).freeze();
}

// x + y for words x, y with x + y > 0: [x + y], or [low word, 1] on a carry.
static BigNat_ sumOfWords(Word x, Word y) {
  Word s = 0;
  const bool carry = __builtin_add_overflow(x, y, &s);
  MutableWordArray_ r = newWordArray_(carry ? 2 : 1);
  // Every block has room for two limbs, so the carry limb is written
  // unconditionally and only counted when there is a carry.
  static_assert(rt::kMinCapacityBytes >= 2 * kWordBytes);
  r.data()[0] = s;
  r.data()[1] = 1;
  return std::move(r).freeze();
}

// The functions below that (nearly) always reach a kernel are flattened:
// allocation, kernel call and trim fold into one function, since on operands
// of a few limbs each call level costs about as much as the arithmetic.
// Small operands reach bigNatAddSlow only when the inline path in the header
// found no cached block.
[[gnu::flatten]] BigNat_ detail::bigNatAddSlow(const BigNat_& a, const BigNat_& b) {
  const Int na = a.size();
  const Int nb = b.size();
  if (na == 0) return b;
  if (nb == 0) return a;
  if (na <= 2 && nb <= 2) return addTwoLimbs(a, b);
  return withNewWordArrayTrimmed_(std::max(na, nb) + 1,
                                  [&](MutableWordArray_& r) { backend::bignat_add(r, a, b); });
}

BigNat_ bigNatAddWord_(const BigNat_& a, Word w) {
  if (w == 0) return a;
  if (a.size() == 0) return wordArrayFromWord_(w);
  if (a.size() == 1) return sumOfWords(a.data()[0], w);
  if (a.size() <= 2) {
    const Wide x = wide(a);
    const Wide s = x + w;
    return fromWide(s, s < x ? 1 : 0);
  }
  return withNewWordArrayTrimmed_(a.size() + 1,
                                  [&](MutableWordArray_& r) { backend::bignat_add_word(r, a, w); });
}

// Whether a - b is negative, decided from the sizes and, for equal sizes,
// the top limbs, so that no subtraction allocates before it knows.
static bool differenceIsNegative(const BigNat_& a, const BigNat_& b) noexcept {
  return a.size() < b.size() || (a.size() == b.size() && backend::bignat_compare(a, b) < 0);
}

std::optional<BigNat_> bigNatSub(const BigNat_& a, const BigNat_& b) {
  if (b.size() == 0) return a;
  if (a.size() < b.size()) return std::nullopt;
  if (a.size() <= 2) {
    const Wide x = wide(a);
    const Wide y = wide(b);
    if (x < y) return std::nullopt;
    return fromWide(x - y);
  }
  if (differenceIsNegative(a, b)) return std::nullopt;
  return withNewWordArrayTrimmed_(a.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_sub(r, a, b); });
}

std::optional<BigNat_> bigNatSubWord_(const BigNat_& a, Word w) {
  if (w == 0) return a;
  if (a.size() == 0) return std::nullopt;
  if (a.size() <= 2) {
    const Wide x = wide(a);
    if (x < w) return std::nullopt;
    return fromWide(x - w);
  }
  return withNewWordArrayTrimmedMaybe_(
      a.size(), [&](MutableWordArray_& r) { return backend::bignat_sub_word(r, a, w); });
}

[[gnu::flatten]] BigNat_ bigNatSubUnsafe(const BigNat_& a, const BigNat_& b) {
  if (b.size() == 0) return a;
  if (differenceIsNegative(a, b)) raiseUnderflow();
  return withNewWordArrayTrimmed_(a.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_sub(r, a, b); });
}

[[gnu::flatten]] BigNat_ bigNatSubWordUnsafe_(const BigNat_& a, Word w) {
  if (w == 0 || a.size() == 0) return a;
  return withNewWordArrayTrimmed_(a.size(),
                                  [&](MutableWordArray_& r) { backend::bignat_sub_word(r, a, w); });
}

NUMKIT_END_NAMESPACE
