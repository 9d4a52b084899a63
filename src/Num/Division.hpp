// Division of limb arrays by a divisor of one or two limbs through its
// reciprocal, without a call: shared by the native kernels and the BigNat
// and Integer divisions by such divisors.  Internal to the library.
#pragma once

#include <bit>
#include <cassert>
#include <utility>

#include "Num/Primitives.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace detail {

// A normalised word divisor d (top bit set) with its reciprocal
// v = floor((2^128 - 1) / d) - 2^64: each quotient limb then costs a
// product, an addition and at most two corrections instead of a hardware
// division (the 2-by-1 division of Moller and Granlund).
class WordDivisor {
 public:
  explicit WordDivisor(Word d) noexcept : d_(d), v_(detail::quotRemWord2(~d, ~Word{0}, d).first) {
    assert((d >> 63) != 0);
  }
  // The quotient limb of (u1, u0) / d, u1 < d; u1 becomes the remainder.
  // The sum wraps modulo 2^128 by design: only its high limb, modulo 2^64,
  // is the candidate quotient.
  Word divide(Word& u1, Word u0) const noexcept {
    using Wide = detail::DoubleWord;
    const Wide p = static_cast<Wide>(v_) * u1 + ((static_cast<Wide>(u1 + 1) << 64) | u0);
    auto q = static_cast<Word>(p >> 64);
    Word r = u0 - q * d_;
    if (r > static_cast<Word>(p)) {
      --q;
      r += d_;
    }
    if (r >= d_) [[unlikely]] {
      ++q;
      r -= d_;
    }
    u1 = r;
    return q;
  }

 private:
  Word d_;
  Word v_;
};

// {q, n} = {a, n} / d, n >= 1, d != 0, when kQuotient (else q is not written
// and may be null); returns the remainder.  Each limb of a is shifted as it
// is read, and a[i] and a[i - 1] are read before q[i] is written, so q may
// be a.
template <bool kQuotient = true>
[[gnu::always_inline]] inline Word divideByWord(Word* q, const Word* a, Int n, Word d) noexcept {
  assert(n >= 1 && d != 0);
  const int s = std::countl_zero(d);
  // The bits that x << s pushes out, as the low bits of the next limb: a
  // shift by 64 - s would be undefined when s is 0.
  const auto out = [s](Word x) { return (x >> 1) >> (63 - s); };
  const WordDivisor div(d << s);
  Word u1 = out(a[n - 1]);  // below 2^s, so below d << s
  for (Int i = n - 1; i > 0; --i) {
    const Word qi = div.divide(u1, (a[i] << s) | out(a[i - 1]));
    if constexpr (kQuotient) q[i] = qi;
  }
  const Word q0 = div.divide(u1, a[0] << s);
  if constexpr (kQuotient) q[0] = q0;
  return u1 >> s;
}

// A two-limb divisor d1 * 2^64 + d0, normalised (the top bit of d1 set),
// with its reciprocal v = floor((2^192 - 1) / d) - 2^64: each quotient limb
// then costs two products and at most two corrections instead of a hardware
// division (the 3-by-2 division of Moller and Granlund).
class TwoLimbDivisor {
 public:
  TwoLimbDivisor(Word d1, Word d0) noexcept : d1_(d1), d0_(d0) {
    assert((d1 >> 63) != 0);
    // The reciprocal of d1 alone, then lowered for d0.
    Word v = detail::quotRemWord2(~d1, ~Word{0}, d1).first;
    Word p = d1 * v + d0;
    if (p < d0) {
      --v;
      if (p >= d1) {
        --v;
        p -= d1;
      }
      p -= d1;
    }
    const Wide t = static_cast<Wide>(v) * d0;
    const auto t1 = static_cast<Word>(t >> 64);
    p += t1;
    if (p < t1) {
      --v;
      if (p > d1 || (p == d1 && static_cast<Word>(t) >= d0)) --v;
    }
    v_ = v;
  }

  // The quotient limb of (u2, u1, u0) / d, (u2, u1) < d; (u2, u1) becomes
  // the remainder.  The sums wrap by design: the candidate and the
  // remainder are known modulo 2^64 and 2^128, and the corrections make
  // them exact.
  Word divide(Word& u2, Word& u1, Word u0) const noexcept {
    const Wide d = (static_cast<Wide>(d1_) << 64) | d0_;
    const Wide c = static_cast<Wide>(v_) * u2 + ((static_cast<Wide>(u2) << 64) | u1);
    auto q = static_cast<Word>(c >> 64);
    const Word r1 = u1 - q * d1_;
    Wide r = ((static_cast<Wide>(r1) << 64) | u0) - static_cast<Wide>(d0_) * q - d;
    ++q;
    if (static_cast<Word>(r >> 64) >= static_cast<Word>(c)) {
      --q;
      r += d;
    }
    if (r >= d) [[unlikely]] {
      ++q;
      r -= d;
    }
    u2 = static_cast<Word>(r >> 64);
    u1 = static_cast<Word>(r);
    return q;
  }

 private:
  using Wide = detail::DoubleWord;
  Word d1_;
  Word d0_;
  Word v_;
};

// {q, n - 1} = {a, n} / {d, 2}, n >= 3, d[1] != 0, when kQuotient (else q
// is not written and may be null); returns the remainder as (high, low).  The divisor and each limb
// of a are shifted as they are read, so that nothing is copied.  (The double-shift instruction
// saves instructions here but measured slower: 33 against 32 ns a 4-by-2 division.)
template <bool kQuotient = true>
[[gnu::always_inline]] inline std::pair<Word, Word> divideByTwoLimbs(Word* q, const Word* a, Int n,
                                                                     const Word* d) noexcept {
  assert(n >= 3 && d[1] != 0);
  const int s = std::countl_zero(d[1]);
  // The bits that x << s pushes out, as the low bits of the next limb: a
  // shift by 64 - s would be undefined when s is 0.
  const auto out = [s](Word x) { return (x >> 1) >> (63 - s); };
  const TwoLimbDivisor div((d[1] << s) | out(d[0]), d[0] << s);
  Word u2 = out(a[n - 1]);  // below 2^s, so (u2, u1) < d
  Word u1 = (a[n - 1] << s) | out(a[n - 2]);
  for (Int i = n - 2; i > 0; --i) {
    const Word qi = div.divide(u2, u1, (a[i] << s) | out(a[i - 1]));
    if constexpr (kQuotient) q[i] = qi;
  }
  const Word q0 = div.divide(u2, u1, a[0] << s);
  if constexpr (kQuotient) q[0] = q0;
  return {u2 >> s, (u1 >> s) | ((u2 << 1) << (63 - s))};
}

}  // namespace detail
NUMKIT_END_NAMESPACE
