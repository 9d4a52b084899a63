// The native backend's products and divisions on raw limb runs: the loops
// of one row, and the whole-number algorithms the kernels of NativeMul.cpp
// wrap.  Internal to the library.
//
// Rules for every function here: sizes are limb counts (Int); an output run
// shares no limb with an input run unless the comment allows it; none of
// the loops allocates; the functions that do (products and divisions above
// their thresholds) may raise std::bad_alloc and leave their outputs
// undefined, never their inputs.
#pragma once

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native::core {

using Wide = detail::DoubleWord;

// {r, n} = {a, n} * w; returns the high limb.  r may be a.
inline Word mulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Wide t = static_cast<Wide>(a[i]) * w + c;
    r[i] = static_cast<Word>(t);
    c = static_cast<Word>(t >> 64);
  }
  return c;
}

// {r, n} += {a, n} * w in portable code; returns the limb carried out of
// the top.
inline Word addMulLimbs1Portable(Word* r, const Word* a, Int n, Word w, Word c = 0) noexcept {
  for (Int i = 0; i < n; ++i) {
    const Wide t = static_cast<Wide>(a[i]) * w + r[i] + c;
    r[i] = static_cast<Word>(t);
    c = static_cast<Word>(t >> 64);
  }
  return c;
}

// True when the processor has the BMI2 and ADX instructions (mulx, adcx,
// adox): two independent carry chains for the row loops.
extern const bool kHaveMulx;

#if defined(__x86_64__)
// {r, 4 m} += {a, 4 m} * w + c with mulx, adcx and adox; returns the limb
// carried out of the top.  Only when kHaveMulx.
Word addMulLimbs1Mulx(Word* r, const Word* a, Int m, Word w, Word c) noexcept;
#endif

// {r, n} += {a, n} * w; returns the limb carried out of the top.
inline Word addMulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
#if defined(__x86_64__)
  if (kHaveMulx && n >= 4) {
    const Int k = n % 4;
    const Word c = addMulLimbs1Portable(r, a, k, w);
    return addMulLimbs1Mulx(r + k, a + k, n / 4, w, c);
  }
#endif
  return addMulLimbs1Portable(r, a, n, w);
}

// {r, n} -= {a, n} * w + c in portable code; returns the limb borrowed
// from above the top.
inline Word subMulLimbs1Portable(Word* r, const Word* a, Int n, Word w, Word c = 0) noexcept {
  for (Int i = 0; i < n; ++i) {
    const Wide t = static_cast<Wide>(a[i]) * w + c;
    const Word lo = static_cast<Word>(t);
    const Word x = r[i];
    r[i] = x - lo;
    c = static_cast<Word>(t >> 64) + static_cast<Word>(x < lo);
  }
  return c;
}

#if defined(__x86_64__)
// {r, 4 m} -= {a, 4 m} * w + c with mulx, adcx and adox; returns the limb
// borrowed from above the top.  Only when kHaveMulx.
Word subMulLimbs1Mulx(Word* r, const Word* a, Int m, Word w, Word c) noexcept;
#endif

// {r, n} -= {a, n} * w; returns the limb borrowed from above the top.
inline Word subMulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
#if defined(__x86_64__)
  if (kHaveMulx && n >= 4) {
    const Int k = n % 4;
    const Word c = subMulLimbs1Portable(r, a, k, w);
    return subMulLimbs1Mulx(r + k, a + k, n / 4, w, c);
  }
#endif
  return subMulLimbs1Portable(r, a, n, w);
}

// {r, n} = {a, n} + {b, n}; returns the carry, 0 or 1.  r may be a or b.
inline Word addLimbsN(Word* r, const Word* a, const Word* b, Int n) noexcept {
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Wide s = static_cast<Wide>(a[i]) + b[i] + c;
    r[i] = static_cast<Word>(s);
    c = static_cast<Word>(s >> 64);
  }
  return c;
}

// {r, n} = {a, n} - {b, n} mod 2^(64 n); returns the borrow, 0 or 1.  r may
// be a or b.
inline Word subLimbsN(Word* r, const Word* a, const Word* b, Int n) noexcept {
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Word x = a[i];
    const Word y = b[i];
    const Word d = x - y;
    r[i] = d - c;
    c = static_cast<Word>(x < y) | static_cast<Word>(d < c);
  }
  return c;
}

// {r, n} += c; returns the carry out of the top.
inline Word incLimbs(Word* r, Int n, Word c) noexcept {
  for (Int i = 0; i < n && c != 0; ++i) {
    const Word s = r[i] + c;
    c = static_cast<Word>(s < c);
    r[i] = s;
  }
  return c;
}

// {r, n} -= c; returns the borrow out of the top.
inline Word decLimbs(Word* r, Int n, Word c) noexcept {
  for (Int i = 0; i < n && c != 0; ++i) {
    const Word x = r[i];
    r[i] = x - c;
    c = static_cast<Word>(x < c);
  }
  return c;
}

// Negative, zero or positive as {a, n} <, =, > {b, n}.
inline int compareLimbs(const Word* a, const Word* b, Int n) noexcept {
  for (Int i = n - 1; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// {r, na + nb} = {a, na} * {b, nb}, na >= nb >= 1; r separate from a and b.
// Schoolbook below the Karatsuba threshold, Karatsuba and Toom-3 above.
void mulLimbs(Word* r, const Word* a, Int na, const Word* b, Int nb);
// {r, 2 n} = {a, n}^2, n >= 1; r separate from a.
void sqrLimbs(Word* r, const Word* a, Int n);

// Division by a normalised divisor {d, dn} (top bit set, dn >= 2), na >= dn:
// {q, na - dn} receives the low limbs of the quotient, which is returned
// (0 or 1) and {a, dn} the remainder; a's limbs from dn up are left zero.
// q is separate from a and d.
Word divRemNormalized(Word* q, Word* a, Int na, const Word* d, Int dn);

// {q, n} = {a, n} div d and the remainder returned; d != 0, q may be a.
Word divRemLimb(Word* q, const Word* a, Int n, Word d) noexcept;
// {a, n} mod d, d != 0.
Word remLimb(const Word* a, Int n, Word d) noexcept;

}  // namespace backend::native::core
NUMKIT_END_NAMESPACE
