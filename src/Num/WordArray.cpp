// Word arrays: trimming, comparison and in-place carry and borrow propagation.
#include "Num/WordArray.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "Overlap.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

Int clzFrom(const Word* p, Int i) noexcept {
  Int z = 0;
  for (; i >= 0 && p[i] == 0; --i) ++z;
  return z;
}

}  // namespace

void mwaFill_(MutableWordArray_& a, Word value, Int offset, Int count) noexcept {
  if (count > 0) std::fill_n(a.data() + offset, count, value);
}

void mwaArrayCopy_(MutableWordArray_& dst, Int doff, const WordArray_& src, Int soff,
                   Int count) noexcept {
  if (count > 0) {
    std::memcpy(dst.data() + doff, src.data() + soff, static_cast<std::size_t>(count) * kWordBytes);
  }
}

void mwaInitCopyShrink_(MutableWordArray_& a, const WordArray_& src) noexcept {
  const Int n = src.size();
  mwaArrayCopy_(a, 0, src, 0, n);
  a.setSize(n);
}

Int mwaClz(const MutableWordArray_& a) noexcept { return clzFrom(a.data(), a.size() - 1); }

Int mwaClzAt(const MutableWordArray_& a, Int i) noexcept { return clzFrom(a.data(), i); }

Int waClzAt(const WordArray_& a, Int i) noexcept { return clzFrom(a.data(), i); }

Ordering wordArrayCompareMSWords(const WordArray_& wa, const WordArray_& wb) noexcept {
  Int i = wa.size() - 1;
  Int j = wb.size() - 1;
  if (i < 0) return j < 0 ? Ordering::EQ : Ordering::LT;
  if (j < 0) return Ordering::GT;
  const Word* a = wa.data();
  const Word* b = wb.data();
  for (; i >= 0 && j >= 0; --i, --j) {
    if (a[i] != b[j]) return a[i] > b[j] ? Ordering::GT : Ordering::LT;
  }
  return Ordering::EQ;
}

Ordering mwaTrimCompare(Int k, const MutableWordArray_& a, const WordArray_& b) noexcept {
  const Int n = a.size() - k;
  const Int nb = b.size();
  if (n < nb) return Ordering::LT;
  const Word* ap = a.data() + k;
  const Word* bp = b.data();
  for (Int i = n - 1; i >= 0; --i) {
    const Word x = ap[i];
    const Word y = i < nb ? bp[i] : 0;
    if (x != y) return x > y ? Ordering::GT : Ordering::LT;
  }
  return Ordering::EQ;
}

Word wordsAddWord(Word* r, const Word* a, Int n, Word c) noexcept {
  assert(detail::sameOrSeparate(r, n, a, n));
  Int i = 0;
  for (; c != 0 && i < n; ++i) {
    const Word s = a[i] + c;
    c = s < c ? 1 : 0;
    r[i] = s;
  }
  if (r != a && i < n) std::memcpy(r + i, a + i, static_cast<std::size_t>(n - i) * kWordBytes);
  return c;
}

Word wordsSubWord(Word* r, const Word* a, Int n, Word c) noexcept {
  assert(detail::sameOrSeparate(r, n, a, n));
  Int i = 0;
  for (; c != 0 && i < n; ++i) {
    const Word x = a[i];  // read before r[i] is written: r may be a
    r[i] = x - c;
    c = x < c ? 1 : 0;
  }
  if (r != a && i < n) std::memcpy(r + i, a + i, static_cast<std::size_t>(n - i) * kWordBytes);
  return c;
}

Word wordsAddN(Word* r, const Word* a, const Word* b, Int n, Word c) noexcept {
  assert(detail::sameOrSeparate(r, n, a, n) && detail::sameOrSeparate(r, n, b, n));
  assert(c <= 1);
  return wordsAddNInline(r, a, b, n, c);
}

Word wordsSubN(Word* r, const Word* a, const Word* b, Int n, Word c) noexcept {
  assert(detail::sameOrSeparate(r, n, a, n) && detail::sameOrSeparate(r, n, b, n));
  assert(c <= 1);
  return wordsSubNInline(r, a, b, n, c);
}

// The caller guarantees that the carry stays inside the array.
void mwaAddInplaceWord_(MutableWordArray_& a, Int i, Word w) noexcept {
  if (w != 0) (void)wordsAddWord(a.data() + i, a.data() + i, a.size() - i, w);
}

void mwaAddInplaceArray(MutableWordArray_& a, Int off, const WordArray_& b) noexcept {
  Word* p = a.data() + off;
  const Word* q = b.data();
  const Int nb = b.size();
  Word c = 0;
  for (Int j = 0; j < nb; ++j) {
    const Word s = p[j] + q[j];
    const Word c1 = s < q[j] ? 1 : 0;
    const Word t = s + c;
    const Word c2 = t < c ? 1 : 0;
    p[j] = t;
    c = c1 + c2;  // never both 1
  }
  mwaAddInplaceWord_(a, off + nb, c);
}

Int mwaSubInplaceWord_(MutableWordArray_& a, Int i, Word w) noexcept {
  if (w == 0) return 1;
  if (i >= a.size()) return 0;
  return wordsSubWord(a.data() + i, a.data() + i, a.size() - i, w) == 0 ? 1 : 0;
}

namespace {

template <class Src>
bool subInplace(MutableWordArray_& a, Int off, const Src& b) noexcept {
  // Most significant word first, so an underflow shows up early; when the
  // whole difference is non-negative no partial step can underflow.
  const Word* q = b.data();
  for (Int i = b.size() - 1; i >= 0; --i) {
    if (mwaSubInplaceWord_(a, off + i, q[i]) == 0) return false;
  }
  return true;
}

}  // namespace

bool mwaSubInplaceArray(MutableWordArray_& a, Int off, const WordArray_& b) noexcept {
  return subInplace(a, off, b);
}

bool mwaSubInplaceMutableArray(MutableWordArray_& a, Int off, const MutableWordArray_& b) noexcept {
  return subInplace(a, off, b);
}

void mwaSubInplaceArrayTrim(MutableWordArray_& a, Int off, const WordArray_& b) noexcept {
  (void)mwaSubInplaceArray(a, off, b);
  mwaTrimZeroes_(a);
}

void mwaInitArrayPlusWord(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  const Int na = a.size();
  mwaWriteOrShrink(r, wordsAddWord(r.data(), a.data(), na, w), na);
}

NUMKIT_END_NAMESPACE
