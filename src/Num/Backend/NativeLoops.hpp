// The native backend's carry and borrow loops over equal-length runs of
// limbs.  Internal to the library.
#pragma once

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

// {r, n} = {a, n} + {b, n}; returns the carry out of the top, 0 or 1.  r is
// a or b itself, or separate from both.  n >= 0.
inline Word addLimbs(Word* r, const Word* a, const Word* b, Int n) noexcept {
#if defined(__x86_64__)
  unsigned char c = 0;
  Int i = 0;
  // Four limbs a round keep the carry flag in a register chain.
  for (; i + 4 <= n; i += 4) {
    unsigned long long s0 = 0;
    unsigned long long s1 = 0;
    unsigned long long s2 = 0;
    unsigned long long s3 = 0;
    c = _addcarry_u64(c, a[i], b[i], &s0);
    c = _addcarry_u64(c, a[i + 1], b[i + 1], &s1);
    c = _addcarry_u64(c, a[i + 2], b[i + 2], &s2);
    c = _addcarry_u64(c, a[i + 3], b[i + 3], &s3);
    r[i] = s0;
    r[i + 1] = s1;
    r[i + 2] = s2;
    r[i + 3] = s3;
  }
  for (; i < n; ++i) {
    unsigned long long s = 0;
    c = _addcarry_u64(c, a[i], b[i], &s);
    r[i] = s;
  }
  return c;
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
  unsigned char c = 0;
  Int i = 0;
  for (; i + 4 <= n; i += 4) {
    unsigned long long s0 = 0;
    unsigned long long s1 = 0;
    unsigned long long s2 = 0;
    unsigned long long s3 = 0;
    c = _subborrow_u64(c, a[i], b[i], &s0);
    c = _subborrow_u64(c, a[i + 1], b[i + 1], &s1);
    c = _subborrow_u64(c, a[i + 2], b[i + 2], &s2);
    c = _subborrow_u64(c, a[i + 3], b[i + 3], &s3);
    r[i] = s0;
    r[i + 1] = s1;
    r[i + 2] = s2;
    r[i + 3] = s3;
  }
  for (; i < n; ++i) {
    unsigned long long s = 0;
    c = _subborrow_u64(c, a[i], b[i], &s);
    r[i] = s;
  }
  return c;
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
