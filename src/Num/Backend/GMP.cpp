// The additive kernels on GMP's mpn layer.
#include "Num/Backend/GMP.hpp"

#include <gmp.h>

#include <cstring>

static_assert(sizeof(mp_limb_t) == sizeof(num::Word) && GMP_NUMB_BITS == 64 && GMP_NAIL_BITS == 0,
              "limbs must be whole 64-bit words");
static_assert(sizeof(mp_size_t) == sizeof(num::Int), "GMP sizes must be machine words");

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

namespace {

// {r, n} = {a, n} + c for a carry c of 0 or 1; returns the carry out.  The
// carry stops at the first limb that does not wrap; the rest is copied.
Word carryThrough(Word* r, const Word* a, Int n, Word c) noexcept {
  Int i = 0;
  for (; c != 0 && i < n; ++i) {
    r[i] = a[i] + 1;
    c = r[i] == 0 ? 1 : 0;
  }
  if (r != a && i < n) std::memcpy(r + i, a + i, static_cast<std::size_t>(n - i) * sizeof(Word));
  return c;
}

// {r, n} = {a, n} - c for a borrow c of 0 or 1; returns the borrow out.
Word borrowThrough(Word* r, const Word* a, Int n, Word c) noexcept {
  Int i = 0;
  for (; c != 0 && i < n; ++i) {
    r[i] = a[i] - 1;
    c = a[i] == 0 ? 1 : 0;
  }
  if (r != a && i < n) std::memcpy(r + i, a + i, static_cast<std::size_t>(n - i) * sizeof(Word));
  return c;
}

}  // namespace

// mpn_add and mpn_sub as GMP defines them, spelled out over mpn_add_n and
// mpn_sub_n: the header's inline versions carry general-purpose copy loops
// that cost more than the addition itself on short operands.
Word c_mpn_add(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  const Word c = mpn_add_n(r, a, b, nb);
  return na == nb ? c : carryThrough(r + nb, a + nb, na - nb, c);
}
Word c_mpn_add_1(Word* r, const Word* a, Int na, Word w) noexcept { return mpn_add_1(r, a, na, w); }
Word c_mpn_sub(Word* r, const Word* a, Int na, const Word* b, Int nb) noexcept {
  const Word c = mpn_sub_n(r, a, b, nb);
  return na == nb ? c : borrowThrough(r + nb, a + nb, na - nb, c);
}
Word c_mpn_sub_1(Word* r, const Word* a, Int na, Word w) noexcept { return mpn_sub_1(r, a, na, w); }
// mpn_cmp's result, found four limbs at a time from the top: long equal runs
// (comparisons of equal values read every limb) go at memory speed.
int c_mpn_cmp(const Word* a, const Word* b, Int n) noexcept {
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

// For operands of one limb a call into GMP costs more than the addition.
inline Word addOneLimb(Word* r, Word x, Word y) noexcept {
  Word s = 0;
  const bool carry = __builtin_add_overflow(x, y, &s);
  r[0] = s;
  return carry ? 1 : 0;
}

inline Word subOneLimb(Word* r, Word x, Word y) noexcept {
  Word d = 0;
  const bool borrow = __builtin_sub_overflow(x, y, &d);
  r[0] = d;
  return borrow ? 1 : 0;
}

}  // namespace

void bignat_add(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int na = a.size();
  const Int nb = b.size();
  // GMP wants the longer operand first; ties take a first.
  const Word c = (na | nb) == 1 ? addOneLimb(r.data(), a.data()[0], b.data()[0])
                 : nb <= na     ? c_mpn_add(r.data(), a.data(), na, b.data(), nb)
                                : c_mpn_add(r.data(), b.data(), nb, a.data(), na);
  if (c != 0) {
    r[r.size() - 1] = c;
  } else {
    r.setSize(r.size() - 1);
  }
}

void bignat_add_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  const Word c = a.size() == 1 ? addOneLimb(r.data(), a.data()[0], w)
                               : c_mpn_add_1(r.data(), a.data(), a.size(), w);
  if (c != 0) {
    r[r.size() - 1] = c;
  } else {
    r.setSize(r.size() - 1);
  }
}

Int bignat_sub(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Word c = (a.size() | b.size()) == 1
                     ? subOneLimb(r.data(), a.data()[0], b.data()[0])
                     : c_mpn_sub(r.data(), a.data(), a.size(), b.data(), b.size());
  return c == 1 ? 0 : 1;
}

Int bignat_sub_word(MutableWordArray_& r, const WordArray_& a, Word w) noexcept {
  const Word c = a.size() == 1 ? subOneLimb(r.data(), a.data()[0], w)
                               : c_mpn_sub_1(r.data(), a.data(), a.size(), w);
  return c == 1 ? 0 : 1;
}

Int bignat_compare(const WordArray_& a, const WordArray_& b) noexcept {
  return narrowCInt_(static_cast<Word>(c_mpn_cmp(a.data(), b.data(), a.size())));
}

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
