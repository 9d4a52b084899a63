// The additive kernels on GMP's mpn layer.
#include "Num/Backend/GMP.hpp"

#include <gmp.h>

#include <algorithm>
#include <cassert>

#include "../Overlap.hpp"
#include "Num/WordArray.hpp"

static_assert(sizeof(mp_limb_t) == sizeof(num::Word) && GMP_NUMB_BITS == 64 && GMP_NAIL_BITS == 0,
              "limbs must be whole 64-bit words");
static_assert(sizeof(mp_size_t) == sizeof(num::Int), "GMP sizes must be machine words");

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

namespace {

using detail::sameOrSeparate;
using detail::separate;

}  // namespace

// mpn_add and mpn_sub as GMP defines them, spelled out over mpn_add_n and
// mpn_sub_n and the word arrays' carry and borrow loops: the header's inline
// versions carry general-purpose copy loops that cost more than the addition
// itself on short operands.
Word c_mpn_add(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  assert(na >= nb && nb >= 1);
  assert(sameOrSeparate(r, na, a, na) && sameOrSeparate(r, na, b, nb));
  const Word c = mpn_add_n(r, a, b, nb);
  return na == nb ? c : wordsAddWord(r + nb, a + nb, na - nb, c);
}
Word c_mpn_add_1(Word* r, const Word* a, Int na, Word w) noexcept {
  assert(na >= 1 && sameOrSeparate(r, na, a, na));
  return mpn_add_1(r, a, na, w);
}
Word c_mpn_sub(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  assert(na >= nb && nb >= 1);
  assert(sameOrSeparate(r, na, a, na) && sameOrSeparate(r, na, b, nb));
  const Word c = mpn_sub_n(r, a, b, nb);
  return na == nb ? c : wordsSubWord(r + nb, a + nb, na - nb, c);
}
Word c_mpn_sub_1(Word* r, const Word* a, Int na, Word w) noexcept {
  assert(na >= 1 && sameOrSeparate(r, na, a, na));
  return mpn_sub_1(r, a, na, w);
}
// mpn_cmp's result, found four limbs at a time from the top: long equal runs
// (comparisons of equal values read every limb) go at memory speed.
int c_mpn_cmp(const Word* a, const Word* b, Int n) noexcept {
  assert(n >= 1);
  Int i = n;
  while (i >= 4 && ((a[i - 1] ^ b[i - 1]) | (a[i - 2] ^ b[i - 2]) | (a[i - 3] ^ b[i - 3]) |
                    (a[i - 4] ^ b[i - 4])) == 0) {
    i -= 4;
  }
  while (i > 0) {
    --i;
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
  }
  return 0;
}

namespace {

// Keeps a carry in the spare top limb of r, or drops that limb.
void storeCarry(MutableWordArray_& r, Word c) noexcept {
  if (c != 0) {
    r[r.size() - 1] = c;
  } else {
    r.setSize(r.size() - 1);
  }
}

}  // namespace

void bignat_add(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int na = a.size();
  const Int nb = b.size();
  assert(na >= 1 && nb >= 1 && r.size() == std::max(na, nb) + 1);
  assert(separate(r.data(), r.size(), a.data(), na) && separate(r.data(), r.size(), b.data(), nb));
  // GMP wants the longer operand first; ties take a first.
  storeCarry(r, nb <= na ? c_mpn_add(r.data(), a.data(), na, b.data(), nb)
                         : c_mpn_add(r.data(), b.data(), nb, a.data(), na));
}

void bignat_add_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(a.size() >= 1 && r.size() == a.size() + 1);
  assert(separate(r.data(), r.size(), a.data(), a.size()));
  storeCarry(r, c_mpn_add_1(r.data(), a.data(), a.size(), w));
}

Word bignat_add_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  return c_mpn_add(r, a, na, b, nb);
}
Word bignat_sub_into(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  return c_mpn_sub(r, a, na, b, nb);
}

Int bignat_sub(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() >= b.size() && b.size() >= 1 && r.size() == a.size());
  assert(separate(r.data(), r.size(), a.data(), a.size()) &&
         separate(r.data(), r.size(), b.data(), b.size()));
  return c_mpn_sub(r.data(), a.data(), a.size(), b.data(), b.size()) == 1 ? 0 : 1;
}

Int bignat_sub_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  assert(a.size() >= 1 && r.size() == a.size());
  assert(separate(r.data(), r.size(), a.data(), a.size()));
  return c_mpn_sub_1(r.data(), a.data(), a.size(), w) == 1 ? 0 : 1;
}

Int bignat_compare(const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() == b.size());
  return narrowCInt_(static_cast<Word>(c_mpn_cmp(a.data(), b.data(), a.size())));
}

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
