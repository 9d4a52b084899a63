// How an output array may lie relative to an input: the checks behind the
// overlap assertions of the word-array loops and the backend kernels.
// Internal to the library.
#pragma once

#include <functional>

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace detail {

// True when {p, pn} and {q, qn} share no word.  std::less_equal orders
// pointers into unrelated arrays too, where the built-in <= does not.
inline bool separate(const Word* p, Int pn, const Word* q, Int qn) noexcept {
  return std::less_equal<>{}(p + pn, q) || std::less_equal<>{}(q + qn, p);
}
inline bool separate(const MutableWordArray_& r, const WordArray_& a) noexcept {
  return separate(r.data(), r.size(), a.data(), a.size());
}

// The aliasing GMP allows between an output and an input: the very same
// array, or no common word.
inline bool sameOrSeparate(const Word* r, Int rn, const Word* a, Int an) noexcept {
  return r == a || separate(r, rn, a, an);
}

}  // namespace detail
NUMKIT_END_NAMESPACE
