// The bitwise, shift and population-count kernels on GMP's mpn layer and the
// C limb wrappers.
#include <gmp.h>

#include <cassert>
#include <cstring>

#include "../Overlap.hpp"
#include "Num/Backend/GMP.hpp"
#include "Num/gmp_wrappers.h"

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

namespace {

using detail::sameOrSeparate;
using detail::separate;

// The overlap the limb-wise bindings allow: r is a or b itself, or apart.
[[maybe_unused]] bool logicOverlapOk(const Word* r, const Word* a, const Word* b,
                                     Int count) noexcept {
  return sameOrSeparate(r, count, a, count) && sameOrSeparate(r, count, b, count);
}

constexpr Word kLimbBits = 64;

// The limbs a left shift by n bits needs for na input limbs.
[[maybe_unused]] Int shiftedLeftSize(Int na, Word n) noexcept {
  return na + static_cast<Int>(n / kLimbBits) + (n % kLimbBits != 0 ? 1 : 0);
}

void copyLimbs(Word* r, const Word* a, Int n) noexcept {
  if (n > 0) std::memcpy(r, a, static_cast<std::size_t>(n) * sizeof(Word));
}

using LogicBinding = void (*)(Word*, const Word*, const Word*, Int) noexcept;

// r = a op b for an op that keeps a limb combined with 0 (OR, XOR): the
// common limbs through the binding, longer operand first, then the longer
// operand's own limbs above the shorter one, copied as one block.
void combineKeepingLonger(MutableWordArray_& r, const WordArray_& a, const WordArray_& b,
                          LogicBinding op) noexcept {
  const bool swap = a.size() < b.size();
  const WordArray_& x = swap ? b : a;
  const WordArray_& y = swap ? a : b;
  assert(y.size() >= 1 && r.size() == x.size());
  assert(separate(r, a) && separate(r, b));
  op(r.data(), x.data(), y.data(), y.size());
  copyLimbs(r.data() + y.size(), x.data() + y.size(), x.size() - y.size());
}

}  // namespace

// ---------------------------------------------------------------------------
// Bindings.

Word c_mpn_lshift(Word* r, const Word* a, Int na, Word n) noexcept {
  assert(na >= 1 && (r == a || separate(r, shiftedLeftSize(na, n), a, na)));
  return numkit_mpn_lshift(r, a, na, n);
}

Word c_mpn_rshift(Word* r, const Word* a, Int na, Word n) noexcept {
  assert(na >= 1 && n / kLimbBits < static_cast<Word>(na));
  assert(r == a || separate(r, na - static_cast<Int>(n / kLimbBits), a, na));
  return numkit_mpn_rshift(r, a, na, n);
}

Word c_mpn_rshift_2c(Word* r, const Word* a, Int na, Word n) noexcept {
  assert(na >= 1 && n / kLimbBits < static_cast<Word>(na));
  assert(r == a ||
         separate(r, na - static_cast<Int>(n / kLimbBits) + (n % kLimbBits == 0 ? 1 : 0), a, na));
  return numkit_mpn_rshift_2c(r, a, na, n);
}

void c_mpn_and_n(Word* r, const Word* a, const Word* b, Int count) noexcept {
  assert(count >= 1 && logicOverlapOk(r, a, b, count));
  numkit_mpn_and_n(r, a, b, count);
}

void c_mpn_andn_n(Word* r, const Word* a, const Word* b, Int count) noexcept {
  assert(count >= 1 && logicOverlapOk(r, a, b, count));
  numkit_mpn_andn_n(r, a, b, count);
}

void c_mpn_ior_n(Word* r, const Word* a, const Word* b, Int count) noexcept {
  assert(count >= 1 && logicOverlapOk(r, a, b, count));
  numkit_mpn_ior_n(r, a, b, count);
}

void c_mpn_xor_n(Word* r, const Word* a, const Word* b, Int count) noexcept {
  assert(count >= 1 && logicOverlapOk(r, a, b, count));
  numkit_mpn_xor_n(r, a, b, count);
}

Word c_mpn_popcount(const Word* a, Int count) noexcept {
  assert(count >= 1);
  return mpn_popcount(a, count);
}

// ---------------------------------------------------------------------------
// Shifts.

void bignat_shiftl(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  assert(a.size() >= 1 && n >= 1 && r.size() == shiftedLeftSize(a.size(), n) && separate(r, a));
  c_mpn_lshift(r.data(), a.data(), a.size(), n);
}

void bignat_shiftr(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  assert(n >= 1 && n / kLimbBits < static_cast<Word>(a.size()));
  assert(r.size() == a.size() - static_cast<Int>(n / kLimbBits) && separate(r, a));
  c_mpn_rshift(r.data(), a.data(), a.size(), n);
}

void bignat_shiftr_neg(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  assert(n >= 1 && n / kLimbBits < static_cast<Word>(a.size()));
  assert(r.size() == a.size() - static_cast<Int>((n - 1) / kLimbBits) && separate(r, a));
  c_mpn_rshift_2c(r.data(), a.data(), a.size(), n);
}

// ---------------------------------------------------------------------------
// Logic.

void bignat_and(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int m = a.size() < b.size() ? a.size() : b.size();
  assert(m >= 1 && r.size() == m && separate(r, a) && separate(r, b));
  c_mpn_and_n(r.data(), a.data(), b.data(), m);
}

void bignat_and_not(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int na = a.size();
  const Int m = na < b.size() ? na : b.size();
  assert(m >= 1 && r.size() == na && separate(r, a) && separate(r, b));
  c_mpn_andn_n(r.data(), a.data(), b.data(), m);
  // b's limbs above a cannot set a bit; a's above b are kept as they are.
  copyLimbs(r.data() + m, a.data() + m, na - m);
}

void bignat_or(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  combineKeepingLonger(r, a, b, c_mpn_ior_n);
}

void bignat_xor(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  combineKeepingLonger(r, a, b, c_mpn_xor_n);
}

Word bignat_popcount(const WordArray_& a) noexcept { return c_mpn_popcount(a.data(), a.size()); }

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
