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

#include "NativeLoops.hpp"
#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native::core {

using Wide = detail::DoubleWord;

// {r, n} = {a, n} * w, plus {r, n} itself when kAccumulate; returns the
// limb carried out of the top.  a * w + r + c < 2^128, so one double word
// holds every step.  r may be a.
template <bool kAccumulate>
inline Word mulRowPortable(Word* r, const Word* a, Int n, Word w) noexcept {
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    Wide t = static_cast<Wide>(a[i]) * w;
    if constexpr (kAccumulate) t += r[i];
    t += c;
    r[i] = static_cast<Word>(t);
    c = static_cast<Word>(t >> 64);
  }
  return c;
}

// {r, n} = {a, n} * w; returns the high limb.  r may be a.
inline Word mulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
  return mulRowPortable<false>(r, a, n, w);
}

// {r, n} += {a, n} * w in portable code; returns the limb carried out of
// the top.
inline Word addMulLimbs1Portable(Word* r, const Word* a, Int n, Word w) noexcept {
  return mulRowPortable<true>(r, a, n, w);
}

// {r, n} -= {a, n} * w in portable code; returns the limb borrowed from
// above the top.
inline Word subMulLimbs1Portable(Word* r, const Word* a, Int n, Word w) noexcept {
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Wide t = static_cast<Wide>(a[i]) * w + c;
    const Word lo = static_cast<Word>(t);
    const Word x = r[i];
    r[i] = x - lo;
    c = static_cast<Word>(t >> 64) + static_cast<Word>(x < lo);
  }
  return c;
}

// True when the processor has the BMI2 and ADX instructions (mulx, adcx,
// adox): two independent carry chains for the row loops.
extern const bool kHaveMulx;

#if defined(__x86_64__)
// One row with mulx: four limbs a round, then the n mod 4 left one by one.
// The carry chain of adcx adds the limbs of r, the one of adox the high
// halves of the previous products; the loop control (lea, jrcxz, mov) and
// not leave both flags alone.  The subtraction adds the product to the
// complement of r and complements the sum: ~(~r + p) = r - p modulo
// 2^(64 n), and the carry out of the sum is the borrow of the difference.
#define NUMKIT_MULX_ROW(ADD, STORE) \
  "xor %k[z], %k[z]\n\t"                                                             \
  "jmp 3f\n\t"                                                                       \
  "1:\n\t"                                                                           \
  "mulx (%[a]), %[lo], %[hi]\n\t" ADD(0)                                            \
  "adox %[c], %[lo]\n\t" STORE(0) "mulx 8(%[a]), %[lo], %[c]\n\t" ADD(8)           \
  "adox %[hi], %[lo]\n\t" STORE(8) "mulx 16(%[a]), %[lo], %[hi]\n\t" ADD(16)       \
  "adox %[c], %[lo]\n\t" STORE(16) "mulx 24(%[a]), %[lo], %[c]\n\t" ADD(24)        \
  "adox %[hi], %[lo]\n\t" STORE(24) "lea 32(%[a]), %[a]\n\t"                         \
  "lea 32(%[r]), %[r]\n\t"                                                           \
  "lea -1(%%rcx), %%rcx\n\t"                                                         \
  "3:\n\t"                                                                           \
  "jrcxz 4f\n\t"                                                                     \
  "jmp 1b\n\t"                                                                       \
  "4:\n\t"                                                                           \
  "mov %[m1], %%rcx\n\t"                                                             \
  "jmp 6f\n\t"                                                                       \
  "5:\n\t"                                                                           \
  "mulx (%[a]), %[lo], %[hi]\n\t" ADD(0)                                            \
  "adox %[c], %[lo]\n\t" STORE(0) "mov %[hi], %[c]\n\t"                              \
  "lea 8(%[a]), %[a]\n\t"                                                            \
  "lea 8(%[r]), %[r]\n\t"                                                            \
  "lea -1(%%rcx), %%rcx\n\t"                                                         \
  "6:\n\t"                                                                           \
  "jrcxz 2f\n\t"                                                                     \
  "jmp 5b\n\t"                                                                       \
  "2:\n\t"                                                                           \
  "adcx %[z], %[c]\n\t"                                                              \
  "adox %[z], %[c]"
#define NUMKIT_ADD(off) "adcx " #off "(%[r]), %[lo]\n\t"
#define NUMKIT_ADD_NOT(off) "mov " #off "(%[r]), %[x]\n\tnot %[x]\n\tadcx %[x], %[lo]\n\t"
#define NUMKIT_STORE(off) "mov %[lo], " #off "(%[r])\n\t"
#define NUMKIT_STORE_NOT(off) "not %[lo]\n\tmov %[lo], " #off "(%[r])\n\t"
#define NUMKIT_MULX_OPERANDS                                                                \
  : [r] "+&r"(r), [a] "+&r"(a), [c] "+&r"(c), [lo] "=&r"(lo), [hi] "=&r"(hi), [x] "=&r"(x), \
    [z] "=&r"(zero), "+&c"(count)                                                              \
  : "d"(w), [m1] "r"(rest)                                                                     \
  : "cc", "memory"

// {r, n} += {a, n} * w with mulx; returns the limb carried out of the top.
// Only when kHaveMulx.
inline Word addMulLimbs1Mulx(Word* r, const Word* a, Int n, Word w) noexcept {
  Word c = 0;
  Word lo = 0;
  Word hi = 0;
  Word x = 0;
  Word zero = 0;
  auto count = static_cast<Word>(n) / 4;
  const auto rest = static_cast<Word>(n) % 4;
  __asm__ volatile(NUMKIT_MULX_ROW(NUMKIT_ADD, NUMKIT_STORE) NUMKIT_MULX_OPERANDS);
  return c;
}

// {r, n} -= {a, n} * w with mulx; returns the limb borrowed from above the
// top.  Only when kHaveMulx.
inline Word subMulLimbs1Mulx(Word* r, const Word* a, Int n, Word w) noexcept {
  Word c = 0;
  Word lo = 0;
  Word hi = 0;
  Word x = 0;
  Word zero = 0;
  auto count = static_cast<Word>(n) / 4;
  const auto rest = static_cast<Word>(n) % 4;
  __asm__ volatile(NUMKIT_MULX_ROW(NUMKIT_ADD_NOT, NUMKIT_STORE_NOT) NUMKIT_MULX_OPERANDS);
  return c;
}

#undef NUMKIT_MULX_ROW
#undef NUMKIT_ADD
#undef NUMKIT_ADD_NOT
#undef NUMKIT_STORE
#undef NUMKIT_STORE_NOT
#undef NUMKIT_MULX_OPERANDS
#endif

// {r, n} += {a, n} * w; returns the limb carried out of the top.
inline Word addMulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
#if defined(__x86_64__)
  if (kHaveMulx) return addMulLimbs1Mulx(r, a, n, w);
#endif
  return addMulLimbs1Portable(r, a, n, w);
}

// {r, n} -= {a, n} * w; returns the limb borrowed from above the top.
inline Word subMulLimbs1(Word* r, const Word* a, Int n, Word w) noexcept {
#if defined(__x86_64__)
  if (kHaveMulx) return subMulLimbs1Mulx(r, a, n, w);
#endif
  return subMulLimbs1Portable(r, a, n, w);
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
