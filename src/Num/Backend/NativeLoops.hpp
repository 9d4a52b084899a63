// The native backend's carry and borrow loops over equal-length runs of
// limbs.  Internal to the library.
#pragma once

#include "Num/Runtime.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

// {r, n} = {a, n} + {b, n}; returns the carry out of the top, 0 or 1.  r is
// a or b itself, or separate from both.  n >= 0.  The word-array layer's
// carry chain, so the whole library adds runs of words in one place.
inline Word addLimbs(Word* r, const Word* a, const Word* b, Int n) noexcept {
  return wordsAddNInline(r, a, b, n);
}

// {r, n} = {a, n} - {b, n} mod 2^(64 n); returns the borrow out of the top,
// 0 or 1.  The same overlap rule as addLimbs; the word-array layer's borrow
// chain.
inline Word subLimbs(Word* r, const Word* a, const Word* b, Int n) noexcept {
  return wordsSubNInline(r, a, b, n);
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
