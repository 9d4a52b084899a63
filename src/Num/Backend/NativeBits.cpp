// The shift, logic and population-count kernels of the native backend.
#include <bit>
#include <cassert>
#include <cstring>

#include "../Overlap.hpp"
#include "Num/Backend/Native.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace {

using detail::separate;

constexpr Word kLimbBits = 64;

void copyLimbs(Word* r, const Word* a, Int n) noexcept {
  if (n > 0) std::memcpy(r, a, static_cast<std::size_t>(n) * sizeof(Word));
}

// Two limbs in one vector register: the shift loops move two at a time.
typedef Word Pair __attribute__((vector_size(16)));

Pair loadPair(const Word* p) noexcept {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
void storePair(Word* p, Pair v) noexcept { std::memcpy(p, &v, sizeof v); }

// {r, n - k} = {a, n} div 2^(64 k + s), 0 < s < 64 when s is not 0; returns
// the bits shifted out of a[k] (non-zero when any of them was set).  r and
// a are separate.
Word shiftRightInto(Word* r, const Word* a, Int n, Int k, unsigned s) noexcept {
  const Int rn = n - k;
  if (s == 0) {
    copyLimbs(r, a + k, rn);
    return 0;
  }
  const Word* p = a + k;
  // Each limb takes the bits the one above it shifts out.
  Int i = 0;
  for (; i + 2 < rn; i += 2) {
    storePair(r + i, (loadPair(p + i) >> s) | (loadPair(p + i + 1) << (kLimbBits - s)));
  }
  for (; i + 1 < rn; ++i) r[i] = (p[i] >> s) | (p[i + 1] << (kLimbBits - s));
  r[rn - 1] = p[rn - 1] >> s;
  return p[0] << (kLimbBits - s);
}

// r = a op b over the common limbs, then the longer operand's own limbs (op
// keeps a limb combined with 0).
template <class Op>
void combineKeepingLonger(MutableWordArray_& r, const WordArray_& a, const WordArray_& b,
                          Op op) noexcept {
  const bool swap = a.size() < b.size();
  const WordArray_& x = swap ? b : a;
  const WordArray_& y = swap ? a : b;
  const Int ny = y.size();
  assert(ny >= 1 && r.size() == x.size() && separate(r, a) && separate(r, b));
  Word* rp = r.data();
  const Word* xp = x.data();
  const Word* yp = y.data();
  for (Int i = 0; i < ny; ++i) rp[i] = op(xp[i], yp[i]);
  copyLimbs(rp + ny, xp + ny, x.size() - ny);
}

}  // namespace

// ---------------------------------------------------------------------------
// Shifts.

void bignat_shiftl(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  const Int na = a.size();
  const auto [kw, sw] = count_words_bits(n);
  const auto k = static_cast<Int>(kw);
  const auto s = static_cast<unsigned>(sw);
  assert(na >= 1 && n >= 1 && r.size() == na + k + (s != 0 ? 1 : 0) && separate(r, a));
  Word* rp = r.data();
  if (k > 0) std::memset(rp, 0, static_cast<std::size_t>(k) * sizeof(Word));
  if (s == 0) {
    copyLimbs(rp + k, a.data(), na);
    return;
  }
  const Word* ap = a.data();
  Word* q = rp + k;
  // Each limb takes the bits the one below it shifts out.
  q[0] = ap[0] << s;
  Int i = 1;
  for (; i + 1 < na; i += 2) {
    storePair(q + i, (loadPair(ap + i) << s) | (loadPair(ap + i - 1) >> (kLimbBits - s)));
  }
  for (; i < na; ++i) q[i] = (ap[i] << s) | (ap[i - 1] >> (kLimbBits - s));
  // The carry limb is kept only when bits reached it.
  mwaWriteOrShrink(r, ap[na - 1] >> (kLimbBits - s), na + k);
}

void bignat_shiftr(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  const auto [kw, sw] = count_words_bits(n);
  const auto k = static_cast<Int>(kw);
  assert(n >= 1 && kw < static_cast<Word>(a.size()));
  assert(r.size() == a.size() - k && separate(r, a));
  (void)shiftRightInto(r.data(), a.data(), a.size(), k, static_cast<unsigned>(sw));
}

void bignat_shiftr_neg(MutableWordArray_& r, const WordArray_& a, Word n) noexcept {
  const Int na = a.size();
  const auto [kw, sw] = count_words_bits(n);
  const auto k = static_cast<Int>(kw);
  assert(n >= 1 && kw < static_cast<Word>(na));
  assert(r.size() == na - static_cast<Int>((n - 1) / kLimbBits) && separate(r, a));
  // The top limb is the spare one a whole-limb shift needs for the carry of
  // the rounding; a bit shift overwrites it.
  r[r.size() - 1] = 0;
  const Word* ap = a.data();
  bool lost = shiftRightInto(r.data(), ap, na, k, static_cast<unsigned>(sw)) != 0;
  for (Int i = 0; i < k && !lost; ++i) lost = ap[i] != 0;
  // Rounding towards minus infinity of -a: a lost set bit makes the
  // magnitude one larger.  After a bit shift the top limb is below 2^63,
  // and otherwise the spare limb takes the carry, so it stays inside r.
  if (lost) mwaAddInplaceWord_(r, 0, 1);
}

// ---------------------------------------------------------------------------
// Logic.

void bignat_and(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  assert(a.size() >= 1 && b.size() >= 1 && separate(r, a) && separate(r, b));
  assert(r.size() == (a.size() < b.size() ? a.size() : b.size()));
  mwaInitArrayBinOp(r, a, b, [](Word x, Word y) { return x & y; });
}

void bignat_and_not(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  const Int na = a.size();
  const Int m = na < b.size() ? na : b.size();
  assert(m >= 1 && r.size() == na && separate(r, a) && separate(r, b));
  mwaInitArrayBinOp(r, a, b, [](Word x, Word y) { return x & ~y; });
  // b's limbs above a cannot set a bit; a's above b are kept as they are.
  copyLimbs(r.data() + m, a.data() + m, na - m);
}

void bignat_or(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  combineKeepingLonger(r, a, b, [](Word x, Word y) { return x | y; });
}

void bignat_xor(MutableWordArray_& r, const WordArray_& a, const WordArray_& b) noexcept {
  combineKeepingLonger(r, a, b, [](Word x, Word y) { return x ^ y; });
}

Word bignat_popcount(const WordArray_& a) noexcept {
  const Word* p = a.data();
  Word c = 0;
  for (Int i = 0; i < a.size(); ++i) c += static_cast<Word>(std::popcount(p[i]));
  return c;
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
