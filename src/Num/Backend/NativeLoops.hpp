// The native backend's carry and borrow loops over equal-length runs of
// limbs.  Internal to the library.
#pragma once

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

#if defined(__x86_64__)
// One carry chain through the whole run: the odd limbs one at a time, then
// four a round.  Only lea, dec, jrcxz and jnz sit between the adc (sbb)
// instructions, and none of them touches the carry flag.  Each round reads
// its limbs of a and b before it writes the same limbs of r, so r may be a
// or b itself.
#define NUMKIT_CARRY_CHAIN(op)                                         \
  "test %[rest], %[rest]\n\t" /* clears the carry */                   \
  "jz 2f\n"                                                            \
  "1:\n\t"                                                             \
  "mov (%[a],%[i],8), %[t0]\n\t" op                                    \
  " (%[b],%[i],8), %[t0]\n\t"                                          \
  "mov %[t0], (%[r],%[i],8)\n\t"                                       \
  "lea 1(%[i]), %[i]\n\t"                                              \
  "dec %[rest]\n\t"                                                    \
  "jnz 1b\n"                                                           \
  "2:\n\t"                                                             \
  "jrcxz 4f\n"                                                         \
  "3:\n\t"                                                             \
  "mov (%[a],%[i],8), %[t0]\n\t"                                       \
  "mov 8(%[a],%[i],8), %[t1]\n\t" op " (%[b],%[i],8), %[t0]\n\t" op    \
  " 8(%[b],%[i],8), %[t1]\n\t"                                         \
  "mov %[t0], (%[r],%[i],8)\n\t"                                       \
  "mov %[t1], 8(%[r],%[i],8)\n\t"                                      \
  "mov 16(%[a],%[i],8), %[t0]\n\t"                                     \
  "mov 24(%[a],%[i],8), %[t1]\n\t" op " 16(%[b],%[i],8), %[t0]\n\t" op \
  " 24(%[b],%[i],8), %[t1]\n\t"                                        \
  "mov %[t0], 16(%[r],%[i],8)\n\t"                                     \
  "mov %[t1], 24(%[r],%[i],8)\n\t"                                     \
  "lea 4(%[i]), %[i]\n\t"                                              \
  "dec %[blocks]\n\t"                                                  \
  "jnz 3b\n"                                                           \
  "4:\n\t"                                                             \
  "sbb %[t0], %[t0]\n\t" /* 0, or all ones after a carry */

inline Word carryChain(bool subtract, Word* r, const Word* a, const Word* b, Int n) noexcept {
  Word t0 = 0;
  Word t1 = 0;
  Int i = 0;
  Int rest = n % 4;
  Int blocks = n / 4;
  if (subtract) {
    __asm__ volatile(
        NUMKIT_CARRY_CHAIN("sbb")
        : [t0] "=&r"(t0), [t1] "=&r"(t1), [i] "+&r"(i), [rest] "+&r"(rest), [blocks] "+&c"(blocks)
        : [r] "r"(r), [a] "r"(a), [b] "r"(b)
        : "cc", "memory");
  } else {
    __asm__ volatile(
        NUMKIT_CARRY_CHAIN("adc")
        : [t0] "=&r"(t0), [t1] "=&r"(t1), [i] "+&r"(i), [rest] "+&r"(rest), [blocks] "+&c"(blocks)
        : [r] "r"(r), [a] "r"(a), [b] "r"(b)
        : "cc", "memory");
  }
  return t0 & 1;
}
#undef NUMKIT_CARRY_CHAIN
#endif

// {r, n} = {a, n} + {b, n}; returns the carry out of the top, 0 or 1.  r is
// a or b itself, or separate from both.  n >= 0.
inline Word addLimbs(Word* r, const Word* a, const Word* b, Int n) noexcept {
#if defined(__x86_64__)
  return carryChain(false, r, a, b, n);
#else
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const detail::DoubleWord s = static_cast<detail::DoubleWord>(a[i]) + b[i] + c;
    r[i] = static_cast<Word>(s);
    c = static_cast<Word>(s >> 64);
  }
  return c;
#endif
}

// {r, n} = {a, n} - {b, n} mod 2^(64 n); returns the borrow out of the top,
// 0 or 1.  The same overlap rule as addLimbs.
inline Word subLimbs(Word* r, const Word* a, const Word* b, Int n) noexcept {
#if defined(__x86_64__)
  return carryChain(true, r, a, b, n);
#else
  Word c = 0;
  for (Int i = 0; i < n; ++i) {
    const Word x = a[i];
    const Word y = b[i];
    r[i] = x - y - c;
    c = (x < y || (x == y && c != 0)) ? 1 : 0;
  }
  return c;
#endif
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
