// The additive kernels of the native backend: sums, differences and
// comparisons on word arrays, with explicit carries.
#include <cassert>
#include <cstring>

#include "../Overlap.hpp"
#include "NativeLoops.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace {

using detail::separate;

}  // namespace

void bignat_add(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  // The longer operand first; ties take a first.
  const bool swap = a.size() < b.size();
  const WordArray_& x = swap ? b : a;
  const WordArray_& y = swap ? a : b;
  const Int nx = x.size();
  const Int ny = y.size();
  assert(ny >= 1 && r.size() == nx + 1 && separate(r, a) && separate(r, b));
  Word* rp = r.data();
  if (nx == 1) {
    // One limb each: the sum in registers, without the carry chain's set-up.
    Word s = 0;
    const bool carry = __builtin_add_overflow(x[0], y[0], &s);
    rp[0] = s;
    mwaWriteOrShrink(r, carry ? 1 : 0, 1);
    return;
  }
  Word c = addLimbs(rp, x.data(), y.data(), ny);
  // Above the shorter operand only the carry is added; once it is spent the
  // rest of the longer operand is copied in one block.
  c = wordsAddWord(rp + ny, x.data() + ny, nx - ny, c);
  mwaWriteOrShrink(r, c, nx);
}

void bignat_add_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(r.size() == a.size() + 1 && separate(r, a));
  mwaInitArrayPlusWord(r, a, w);
}

Word bignat_add_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  assert(na >= nb && nb >= 1);
  return wordsAddWord(r + nb, a + nb, na - nb, addLimbs(r, a, b, nb));
}
Word bignat_sub_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  assert(na >= nb && nb >= 1);
  return wordsSubWord(r + nb, a + nb, na - nb, subLimbs(r, a, b, nb));
}

Int bignat_sub(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int na = a.size();
  const Int nb = b.size();
  assert(na >= nb && nb >= 1 && r.size() == na && separate(r, a) && separate(r, b));
  Word* rp = r.data();
  Word c = subLimbs(rp, a.data(), b.data(), nb);
  c = wordsSubWord(rp + nb, a.data() + nb, na - nb, c);
  return c == 0 ? 1 : 0;
}

Int bignat_sub_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(r.size() == a.size() && separate(r, a));
  // An empty a leaves the whole of w as the borrow: underflow unless w = 0.
  return wordsSubWord(r.data(), a.data(), a.size(), w) == 0 ? 1 : 0;
}

Int bignat_compare(const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() == b.size());
  const Word* ap = a.data();
  const Word* bp = b.data();
  for (Int i = a.size() - 1; i >= 0; --i) {
    if (ap[i] != bp[i]) return ap[i] > bp[i] ? 1 : -1;
  }
  return 0;
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
