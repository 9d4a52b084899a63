// The text kernels of the native backend: divide and conquer over powers of
// the base, with single-word arithmetic below a threshold.
//
// Call B = base^k the largest power of the base that fits a word (k digits
// per word) and P[i] = B^(2^i) = base^(k 2^i).  A magnitude above the
// threshold is split by one division by a P[i] of about half its size: the
// remainder gives exactly k 2^i digits (leading zeros kept), the quotient
// the digits above them.  Digits are turned into a magnitude the other way
// round: the high part times P[i] plus the low part of k 2^i digits.  The
// products and quotients are the BigNat layer's, so with subquadratic
// multiplication and division the conversion is subquadratic too.  Bases
// that are powers of two need no arithmetic: their digits are bit fields.
//
// The P[i] are cached per base up to a size (the table is shared between
// threads behind a mutex and never changes an entry once published); larger
// powers are squared per call, which costs little beside the divisions that
// use them and keeps the cache from holding the largest number ever printed.
#include <bit>
#include <cassert>
#include <cstring>
#include <mutex>
#include <vector>

#include "Num/Backend/Digits.hpp"
#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::native {

namespace {

// Limb counts at and below which a magnitude is converted by repeated word
// division, and digit counts at and below which digits are combined by
// repeated word multiplication.
constexpr Int kToDigitsThreshold = 24;
constexpr std::size_t kFromDigitsWords = 24;
// Powers of at most this many limbs are kept in the shared table.
constexpr Int kCachedLimbs = Int{1} << 14;

// B = base^k, the largest power of the base that fits a word.
struct BaseInfo {
  int base;
  int k;
  Word big;
};

BaseInfo baseInfo(int base) noexcept {
  const auto b = static_cast<Word>(base);
  Word big = b;
  int k = 1;
  while (big <= ~Word{0} / b) {
    big *= b;
    ++k;
  }
  return {base, k, big};
}

// ---------------------------------------------------------------------------
// Single words.

// Writes exactly n digits of w (w < base^n) ending at `end`.
template <Word B>
void wordDigitsFixed(Word w, unsigned char* end, int n) noexcept {
  for (int i = 0; i < n; ++i) {
    *--end = static_cast<unsigned char>(w % B);
    w /= B;
  }
}
void wordDigitsFixed(Word w, unsigned char* end, int n, Word base) noexcept {
  if (base == 10) return wordDigitsFixed<10>(w, end, n);
  for (int i = 0; i < n; ++i) {
    *--end = static_cast<unsigned char>(w % base);
    w /= base;
  }
}
// Writes the digits of w without leading zeros (none for 0) ending at
// `end`; returns where they start.
unsigned char* wordDigits(Word w, unsigned char* end, Word base) noexcept {
  while (w != 0) {
    *--end = static_cast<unsigned char>(w % base);
    w /= base;
  }
  return end;
}

// The value of n digits (n <= k).
Word wordFromDigits(const unsigned char* d, std::size_t n, Word base) noexcept {
  Word w = 0;
  for (std::size_t i = 0; i < n; ++i) w = w * base + d[i];
  return w;
}

// Writes `count` zero digits below `end`; returns the new start.
unsigned char* zeros(unsigned char* end, std::size_t count) noexcept {
  std::memset(end - count, 0, count);
  return end - count;
}

// ---------------------------------------------------------------------------
// Bases that are powers of two: bit fields, least significant digit last.

std::size_t bitFieldDigits(unsigned char* out, const Word* a, Int n, int bitsPerDigit) noexcept {
  const Word bits = static_cast<Word>(n) * 64 - static_cast<Word>(std::countl_zero(a[n - 1]));
  const auto s = static_cast<Word>(bitsPerDigit);
  const Word count = (bits + s - 1) / s;
  const Word mask = (Word{1} << s) - 1;
  for (Word i = 0; i < count; ++i) {
    const Word pos = i * s;
    const Word limb = pos / 64;
    const Word shift = pos % 64;
    Word v = a[limb] >> shift;
    if (shift + s > 64 && static_cast<Int>(limb) + 1 < n) v |= a[limb + 1] << (64 - shift);
    out[count - 1 - i] = static_cast<unsigned char>(v & mask);
  }
  return count;
}

WordArray_ bitFieldMagnitude(const unsigned char* d, std::size_t n, int bitsPerDigit) {
  const auto s = static_cast<Word>(bitsPerDigit);
  const auto limbs = static_cast<Int>((n * s + 63) / 64);
  MutableWordArray_ r = newWordArray_(limbs);
  mwaFill_(r, 0, 0, limbs);
  Word* rp = r.data();
  for (std::size_t i = 0; i < n; ++i) {
    const Word v = d[n - 1 - i];
    const Word pos = i * s;
    const Word limb = pos / 64;
    const Word shift = pos % 64;
    rp[limb] |= v << shift;
    if (shift + s > 64) rp[limb + 1] |= v >> (64 - shift);
  }
  mwaTrimZeroes_(r);
  return std::move(r).freeze();
}

// ---------------------------------------------------------------------------
// The power table.

struct PowerCache {
  std::mutex mutex;
  std::vector<WordArray_> powers;  // P[0], P[1], ... while they are small enough
};

PowerCache& powerCache(int base) {
  // Never destroyed: a conversion on another thread may still run while the
  // program exits, and the blocks stay reachable for leak checkers.
  static PowerCache* const caches = new PowerCache[37];
  return caches[base];
}

// P[0 .. count), from the shared cache as far as it goes, squared beyond.
std::vector<WordArray_> powerTable(const BaseInfo& bi, std::size_t count) {
  assert(count >= 1);
  PowerCache& cache = powerCache(bi.base);
  std::vector<WordArray_> table;
  table.reserve(count);
  {
    const std::lock_guard<std::mutex> lock(cache.mutex);
    for (std::size_t i = 0; i < count && i < cache.powers.size(); ++i) {
      table.push_back(cache.powers[i]);
    }
  }
  const std::size_t known = table.size();
  if (table.empty()) table.push_back(bigNatFromWord_(bi.big));
  while (table.size() < count) table.push_back(bigNatSqr(table.back()));
  if (table.size() > known) {
    const std::lock_guard<std::mutex> lock(cache.mutex);
    // Another thread may have published some of these meanwhile; equal
    // values either way.
    for (std::size_t i = cache.powers.size(); i < table.size(); ++i) {
      if (table[i].size() > kCachedLimbs) break;
      cache.powers.push_back(table[i]);
    }
  }
  return table;
}

// ---------------------------------------------------------------------------
// Magnitude to digits.

// Writes the digits of {a, n} (n <= kToDigitsThreshold, n = 0 for zero)
// ending at `end`, at least `pad` of them (leading zeros fill up to pad);
// returns where they start.
unsigned char* smallToDigits(const Word* a, Int n, unsigned char* end, std::size_t pad,
                             const BaseInfo& bi) noexcept {
  Word t[kToDigitsThreshold];
  std::memcpy(t, a, static_cast<std::size_t>(n) * sizeof(Word));
  unsigned char* p = end;
  const auto base = static_cast<Word>(bi.base);
  while (n > 0) {
    Word r = 0;
    for (Int i = n - 1; i >= 0; --i) {
      const auto [q, rem] = num::detail::quotRemWord2(r, t[i], bi.big);
      t[i] = q;
      r = rem;
    }
    if (t[n - 1] == 0) --n;
    if (n > 0) {
      wordDigitsFixed(r, p, bi.k, base);
      p -= bi.k;
    } else {
      p = wordDigits(r, p, base);
    }
  }
  const auto written = static_cast<std::size_t>(end - p);
  return written < pad ? zeros(p, pad - written) : p;
}

// As smallToDigits for a magnitude of any size; powers[i] is P[i].
unsigned char* toDigits(const WordArray_& a, unsigned char* end, std::size_t pad,
                        const std::vector<WordArray_>& powers, const BaseInfo& bi) {
  const Int n = a.size();
  if (n <= kToDigitsThreshold) return smallToDigits(a.data(), n, end, pad, bi);
  // The largest P[i] of at most (n + 1) / 2 limbs: below a, so the quotient
  // is not zero and the digits above the remainder's have no leading zero.
  std::size_t i = powers.size() - 1;
  while (2 * powers[i].size() - 1 > n) --i;
  const auto [q, r] = bigNatQuotRem_(a, powers[i]);
  const std::size_t low = static_cast<std::size_t>(bi.k) << i;
  toDigits(r, end, low, powers, bi);
  return toDigits(q, end - low, pad > low ? pad - low : 0, powers, bi);
}

// ---------------------------------------------------------------------------
// Digits to magnitude.

// The magnitude of n digits (at most kFromDigitsWords words of them).
WordArray_ smallFromDigits(const unsigned char* d, std::size_t n, const BaseInfo& bi) {
  const auto k = static_cast<std::size_t>(bi.k);
  const auto base = static_cast<Word>(bi.base);
  MutableWordArray_ r = newWordArray_(static_cast<Int>((n + k - 1) / k));
  Word* rp = r.data();
  Int len = 0;
  std::size_t first = n % k == 0 ? k : n % k;
  for (std::size_t pos = 0; pos < n; pos += first, first = k) {
    Word carry = wordFromDigits(d + pos, first, base);
    // The first chunk may be short: its multiplier is base^first, but the
    // array is still empty then, so only B ever multiplies.
    for (Int j = 0; j < len; ++j) {
      const num::detail::DoubleWord t =
          static_cast<num::detail::DoubleWord>(rp[j]) * bi.big + carry;
      rp[j] = static_cast<Word>(t);
      carry = static_cast<Word>(t >> 64);
    }
    if (carry != 0) rp[len++] = carry;
  }
  mwaSetSize_(r, len);
  return std::move(r).freeze();
}

WordArray_ fromDigits(const unsigned char* d, std::size_t n, const std::vector<WordArray_>& powers,
                      const BaseInfo& bi) {
  const auto k = static_cast<std::size_t>(bi.k);
  if (n <= kFromDigitsWords * k) return smallFromDigits(d, n, bi);
  // The largest k 2^i below n: the low part, at least as long as the high.
  std::size_t i = powers.size() - 1;
  while ((k << i) >= n) --i;
  const std::size_t low = k << i;
  const WordArray_ hi = fromDigits(d, n - low, powers, bi);
  const WordArray_ lo = fromDigits(d + (n - low), low, powers, bi);
  return bigNatAdd(bigNatMul(hi, powers[i]), lo);
}

int bitsPerDigitOfPowerOfTwo(int base) noexcept {
  return (base & (base - 1)) == 0 ? std::countr_zero(static_cast<unsigned>(base)) : 0;
}

}  // namespace

std::size_t bignat_to_digits(unsigned char* out, const WordArray_& a, int base) {
  const Int n = a.size();
  assert(n >= 1 && a[n - 1] != 0 && base >= 2 && base <= 36);
  if (const int s = bitsPerDigitOfPowerOfTwo(base); s != 0) {
    return bitFieldDigits(out, a.data(), n, s);
  }
  const BaseInfo bi = baseInfo(base);
  // Digits are written backwards from the end of the room, then moved down.
  unsigned char* const end = out + bigNatDigitsRoom(n, a[n - 1], base);
  unsigned char* start = nullptr;
  if (n <= kToDigitsThreshold) {
    start = smallToDigits(a.data(), n, end, 0, bi);
  } else {
    // P[i] has at most 2^i limbs; the split needs those of up to (n + 1) / 2.
    std::size_t count = 1;
    while ((Int{1} << count) <= (n + 1) / 2) ++count;
    start = toDigits(a, end, 0, powerTable(bi, count), bi);
  }
  const auto count = static_cast<std::size_t>(end - start);
  std::memmove(out, start, count);
  return count;
}

WordArray_ bignat_from_digits(const unsigned char* digits, std::size_t n, int base) {
  assert(n >= 1 && base >= 2 && base <= 36);
  if (const int s = bitsPerDigitOfPowerOfTwo(base); s != 0) {
    return bitFieldMagnitude(digits, n, s);
  }
  const BaseInfo bi = baseInfo(base);
  const auto k = static_cast<std::size_t>(bi.k);
  if (n <= kFromDigitsWords * k) return smallFromDigits(digits, n, bi);
  // The split needs P[i] for every k 2^i below n.
  std::size_t count = 1;
  while ((k << count) < n) ++count;
  return fromDigits(digits, n, powerTable(bi, count), bi);
}

}  // namespace backend::native
NUMKIT_END_NAMESPACE
