// What the bit, logarithm, floating-point and memory tests of Natural and
// Integer share: exact references computed on mpz (floor logarithms in any
// base, the double of v * 2^e truncated toward zero or rounded to nearest,
// the byte string of a magnitude), tables of result checks, the bit indices,
// bases and exponents to try, and the loop over seeded operands.
#pragma once

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "support/BigNatMpz.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {

// floor(log_b n) for n >= 1 and b >= 2: a floating estimate, then corrected
// with exact powers.
inline Word floorLog(const Mpz& b, const Mpz& n) {
  long eb = 0;
  long en = 0;
  const double db = mpz_get_d_2exp(&eb, b.get());
  const double dn = mpz_get_d_2exp(&en, n.get());
  const double estimate =
      (static_cast<double>(en) + std::log2(dn)) / (static_cast<double>(eb) + std::log2(db));
  auto k = static_cast<unsigned long>(std::max(0.0, std::floor(estimate)));
  Mpz p;
  const auto powerAbove = [&](unsigned long e) {
    mpz_pow_ui(p.get(), b.get(), e);
    return mpz_cmp(p.get(), n.get()) > 0;
  };
  while (k > 0 && powerAbove(k)) --k;
  while (!powerAbove(k + 1)) ++k;
  return k;
}

namespace detail {

constexpr Int kExponentBound = 1 << 20;  // far beyond any double for 2560-bit values
constexpr Int kSubnormalExponent = DBL_MIN_EXP - DBL_MANT_DIG;  // -1074, the last bit
// What the memory checks put around the bytes they expect to be written.
constexpr unsigned char kFill = 0xa5;
constexpr Word kOffset = 5;

// |v| div 2^t, rounded to nearest with ties to even when `nearest`, else
// truncated.
inline Mpz shiftDown(const Mpz& v, Int t, bool nearest) {
  Mpz q;
  mpz_abs(q.get(), v.get());
  if (t <= 0) return q;
  Mpz a = q;
  mpz_fdiv_q_2exp(q.get(), a.get(), static_cast<mp_bitcnt_t>(t));
  if (!nearest || mpz_tstbit(a.get(), static_cast<mp_bitcnt_t>(t - 1)) == 0) return q;
  const bool above = mpz_scan1(a.get(), 0) < static_cast<mp_bitcnt_t>(t - 1);
  if (above || mpz_odd_p(q.get())) mpz_add_ui(q.get(), q.get(), 1);
  return q;
}

// (q, s) as the double q * 2^s with q < 2^54, exact unless it overflows.
inline double scaled(const Mpz& q, Int s) {
  if (mpz_sgn(q.get()) == 0) return 0.0;
  if (static_cast<Int>(mpz_sizeinbase(q.get(), 2)) + s > DBL_MAX_EXP) {
    return std::numeric_limits<double>::infinity();
  }
  return std::ldexp(mpz_get_d(q.get()), static_cast<int>(s));
}

}  // namespace detail

// v * 2^e truncated toward zero: to the 53 highest bits of |v|, and below
// the normal range to the bits a subnormal keeps; beyond the range an
// infinity.  The sign is v's.
inline double truncatedDouble(const Mpz& v, Int e) {
  if (v.sign() == 0) return 0.0;
  e = std::clamp(e, -detail::kExponentBound, detail::kExponentBound);
  const auto bits = static_cast<Int>(mpz_sizeinbase(v.get(), 2));
  const Int drop = std::max({bits - DBL_MANT_DIG, detail::kSubnormalExponent - e, Int{0}});
  const double d = drop >= bits ? 0.0 : detail::scaled(detail::shiftDown(v, drop, false), drop + e);
  return v.sign() < 0 ? -d : d;
}

// v * 2^e for |v| < 2^64 as the library's word encoders compute it: v
// rounded to nearest (ties to even) to 53 bits, then the scaled value rounded
// once more to the subnormal grid where it falls below the normal range.
inline double roundedTwiceDouble(const Mpz& v, Int e) {
  if (v.sign() == 0) return 0.0;
  e = std::clamp(e, -detail::kExponentBound, detail::kExponentBound);
  const auto bits = static_cast<Int>(mpz_sizeinbase(v.get(), 2));
  const Int drop = std::max<Int>(bits - DBL_MANT_DIG, 0);
  Mpz q = detail::shiftDown(v, drop, true);
  Int s = drop + e;
  if (s < detail::kSubnormalExponent) {
    const Int t = detail::kSubnormalExponent - s;
    q = t > 64 ? Mpz() : detail::shiftDown(q, t, true);
    s = detail::kSubnormalExponent;
  }
  const double d = detail::scaled(q, s);
  return v.sign() < 0 ? -d : d;
}

// The shortest base-256 string of |m|, least or most significant byte first.
inline std::vector<unsigned char> bytesOf(const Mpz& m, bool bigEndian) {
  std::vector<unsigned char> v(mpz_sizeinbase(m.get(), 256) + 1);
  size_t count = 0;
  mpz_export(v.data(), &count, bigEndian ? 1 : -1, 1, 0, 0, m.get());
  v.resize(count);
  return v;
}

// Word bases: small ones, powers of two, and ones around 2^32 and 2^64.
inline const std::vector<Word>& logBases() {
  constexpr Word k = 0x1'0000'0000U, top = k << 31, ones = ~Word{0};
  static const std::vector<Word> v = {2,   3,   4,   7,    8,   10,       16,   32, 36,    100,
                                      255, 256, 257, 1000, top, ones - 1, ones, k,  k + 15};
  return v;
}

// Exponents e around zero and far beyond the double range, and those that
// put the top bit of a value of `length` bits times 2^e at the top of the
// double range and just above it, at the smallest normal and the smallest
// subnormal, and just below that.
inline std::vector<Int> encodeExponents(Word length) {
  constexpr Int kMax = std::numeric_limits<Int>::max();
  constexpr Int kMin = std::numeric_limits<Int>::min();
  const auto top = static_cast<Int>(length) - 1;  // e + top is the top bit's exponent
  return {0,           1,           -1,          52,         -52,  53,         -53,
          64,          -64,         -1022,       -1074,      900,  1023,       1024,
          1100,        5000,        -5000,       kMax,       kMin, 1023 - top, 1024 - top,
          -1022 - top, -1074 - top, -1075 - top, -1076 - top};
}

// One element of v, chosen by rng.
template <class T>
const T& pick(Rng& rng, const std::vector<T>& v) {
  return v[static_cast<std::size_t>(rng.range(0, static_cast<Int>(v.size()) - 1))];
}

// The value, normal-form and form check of either value type.
inline ::testing::AssertionResult isValue(const num::Natural& got, const Mpz& want) {
  return isNatural(got, want);
}
inline ::testing::AssertionResult isValue(const num::Integer& got, const Mpz& want) {
  return isInteger(got, want);
}

inline Mpz absOf(const Mpz& m) {
  Mpz r;
  mpz_abs(r.get(), m.get());
  return r;
}
// Left shifts and new bits only up to a bound, so the results stay small.
constexpr Word kGrowBound = 4096;

inline Word bitLength(const Mpz& m) { return m.sign() == 0 ? 0 : mpz_sizeinbase(m.get(), 2); }

// Bit indices and shift counts around the word and limb boundaries and a
// value's length, plus counts far beyond any value.
inline std::vector<Word> indicesAround(Word length) {
  std::vector<Word> v = {
      0, 1, 2, 62, 63, 64, 65, 127, 128, 129, 191, 192, 256, 640, Word{1} << 63, ~Word{0}};
  for (const Word d : {Word{0}, Word{1}, Word{2}}) {
    v.push_back(length + d);
    if (length >= d) v.push_back(length - d);
  }
  return v;
}
inline Word randomIndex(Rng& rng, Word length) {
  if (rng.coin()) return pick(rng, indicesAround(length));
  return static_cast<Word>(rng.range(0, static_cast<Int>(length) + 130));
}

// The memory forms of a value type: export to an address and into a byte
// array, import from an address and from a byte array.
template <class Value>
struct MemoryForms {
  Word (*toAddr)(const Value&, void*, Int);
  Value (*fromAddr)(Word, const void*, Int);
  Word (*toArray)(const Value&, num::MutableByteArray_&, Word, Int);
  Value (*fromArray)(Word, const num::ByteArray_&, Word, Int);
};

// The magnitude of x exported and imported in both byte orders (msbf 0, 1
// and another non-zero flag): the bytes are mpz's, nothing around them is
// written, and with `bounds` a byte string outside its array throws
// std::out_of_range before any byte of the array changes.
template <class Value>
void checkMemory(const Value& x, const MemoryForms<Value>& f, bool bounds) {
  using detail::kFill;
  using detail::kOffset;
  Mpz magnitude;
  mpz_abs(magnitude.get(), toMpz(x).get());
  const auto untouched = [](const unsigned char* p, std::size_t n) {
    return static_cast<std::size_t>(std::count(p, p + n, kFill));
  };
  for (const Int msbf : {0, 1, -7}) {
    const std::vector<unsigned char> want = bytesOf(magnitude, msbf != 0);
    const Word size = want.size();
    std::vector<unsigned char> buffer(size + 2 * kOffset, kFill);
    EXPECT_EQ(f.toAddr(x, buffer.data() + kOffset, msbf), size) << msbf;
    EXPECT_TRUE(std::equal(want.begin(), want.end(), buffer.begin() + kOffset)) << msbf;
    EXPECT_EQ(untouched(buffer.data(), buffer.size()), 2 * kOffset + untouched(want.data(), size));
    EXPECT_TRUE(isValue(f.fromAddr(size, buffer.data() + kOffset, msbf), magnitude)) << msbf;
    // Zero bytes at the significant end are accepted.
    std::vector<unsigned char> padded = want;
    padded.insert(msbf != 0 ? padded.begin() : padded.end(), 9, 0);
    EXPECT_TRUE(isValue(f.fromAddr(padded.size(), padded.data(), msbf), magnitude)) << msbf;

    num::MutableByteArray_ array = num::MutableByteArray_::allocate(kOffset + size);
    EXPECT_EQ(f.toArray(x, array, kOffset, msbf), size) << msbf;
    EXPECT_TRUE(std::equal(want.begin(), want.end(), array.data() + kOffset)) << msbf;
    if (bounds && size > 0) {
      num::MutableByteArray_ small = num::MutableByteArray_::allocate(kOffset + size - 1);
      std::fill(small.data(), small.data() + small.size(), kFill);
      EXPECT_THROW(f.toArray(x, small, kOffset, msbf), std::out_of_range);
      EXPECT_EQ(untouched(small.data(), small.size()), small.size());
    }
    const num::ByteArray_ frozen = std::move(array).freeze();
    EXPECT_TRUE(isValue(f.fromArray(size, frozen, kOffset, msbf), magnitude)) << msbf;
    if (bounds) {
      EXPECT_THROW(f.fromArray(size + 1, frozen, kOffset, msbf), std::out_of_range);
      EXPECT_THROW(f.fromArray(1, frozen, kOffset + size + 1, msbf), std::out_of_range);
    }
  }
}

// The mpz differential of every family over a value type, given by Ops:
// every pair of special values, then seeded operands.
template <class Ops, class Value>
void differentialOnSpecialValues(const std::vector<Value>& values) {
  for (const Value& a : values) {
    for (const Value& b : values) {
      Ops::bitwise(a, b);
      if (!Ops::isWord(b)) Ops::logBase(b, a);
    }
    for (const Word i : indicesAround(bitLength(toMpz(a)))) {
      Ops::shifts(a, i);
      Ops::bits(a, i);
    }
    Ops::counts(a);
    for (const Word base : logBases()) Ops::logs(base, a);
    for (const Int e : encodeExponents(bitLength(toMpz(a)))) Ops::encode(a, e);
    checkMemory(a, Ops::kMemory, true);
  }
}

template <class Ops>
void differentialOnRandomOperands() {
  forRandomOperands(100000, [](Rng& rng) {
    const auto a = Ops::random(rng);
    const Word length = bitLength(toMpz(a));
    Ops::bitwise(a, Ops::random(rng));
    Ops::shifts(a, randomIndex(rng, length));
    Ops::bits(a, randomIndex(rng, length));
    Ops::counts(a);
    const Word base = rng.coin() ? pick(rng, logBases()) : rng.specialWord();
    if (base >= 2) Ops::logs(base, a);
    Ops::logBase(Ops::randomMultiWord(rng), a);
    // Half of the exponents put the value near the bottom of the range.
    Ops::encode(a, rng.coin() ? pick(rng, encodeExponents(length))
                              : rng.range(-1140, -1000) - static_cast<Int>(length));
    double d = 0;
    const Word bits = rng.word();
    std::memcpy(&d, &bits, sizeof d);
    Ops::fromDouble(d);
    checkMemory(a, Ops::kMemory, rng.range(0, 15) == 0);
  });
}

}  // namespace numtest
