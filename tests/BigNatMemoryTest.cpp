// BigNat byte-string export and import in both byte orders, at raw
// addresses and at range-checked byte-array offsets.  GMP's
// mpz_export/mpz_import (one byte per word, either order) is the reference;
// guard bytes around every buffer show that nothing outside the string is
// written.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "Num/BigNat.hpp"
#include "support/BigNatMpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using num::BigNat_;
using num::ByteArray_;
using num::Int;
using num::MutableByteArray_;
using num::Word;
using numtest::bigNatFromLimbs;
using numtest::isBigNat;
using numtest::Mpz;
using numtest::toMpz;
using Bytes = std::vector<unsigned char>;

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kGuards = 16;
constexpr Word kOnes = ~Word{0};
// Byte-order flags: every non-zero value selects big-endian.
constexpr Int kFlags[] = {0, 1, -1, 2, std::numeric_limits<Int>::min()};

// The shortest byte string of m in the given order, by mpz_export.
Bytes exportBytes(const Mpz& m, bool msbf) {
  Bytes out(mpz_sizeinbase(m.get(), 256));
  std::size_t count = 0;
  mpz_export(out.data(), &count, msbf ? 1 : -1, 1, 0, 0, m.get());
  out.resize(count);
  return out;
}

Mpz importBytes(const Bytes& bytes, bool msbf) {
  Mpz m;
  mpz_import(m.get(), bytes.size(), msbf ? 1 : -1, 1, 0, 0, bytes.data());
  return m;
}

// A buffer of `room` bytes at offset kGuards inside guard bytes on both sides.
struct Guarded {
  explicit Guarded(std::size_t room) : bytes(room + 2 * kGuards, kGuard) {}
  unsigned char* at() { return bytes.data() + kGuards; }
  // The written prefix, checked against the guard bytes around it.
  ::testing::AssertionResult holds(const Bytes& want) const {
    Bytes expected(bytes.size(), kGuard);
    std::copy(want.begin(), want.end(), expected.begin() + kGuards);
    if (bytes == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bytes outside the string changed or string wrong";
  }
  Bytes bytes;
};

ByteArray_ byteArrayOf(const Bytes& bytes) {
  MutableByteArray_ m = MutableByteArray_::allocate(bytes.size());
  if (!bytes.empty()) std::memcpy(m.data(), bytes.data(), bytes.size());
  return std::move(m).freeze();
}

// An array of `size` bytes, all guards, with kGuards more guard bytes past
// its recorded size.
MutableByteArray_ guardedArray(std::size_t size) {
  MutableByteArray_ m = MutableByteArray_::allocate(size + kGuards);
  std::memset(m.data(), kGuard, size + kGuards);
  m.shrink(size);
  return m;
}
Bytes allBytes(const MutableByteArray_& m) {
  return Bytes(m.data(), m.data() + m.size() + kGuards);
}

// Export of a in both orders, through every form, against mpz; then import
// of the written bytes gives a back.
void checkRoundTrip(const BigNat_& a, Word offset) {
  const Mpz ma = toMpz(a);
  for (bool msbf : {false, true}) {
    const Bytes want = exportBytes(ma, msbf);
    const Word len = want.size();
    Guarded g(8 * static_cast<std::size_t>(a.size()));
    ASSERT_EQ(msbf ? num::bigNatToAddrBE_(a, g.at()) : num::bigNatToAddrLE_(a, g.at()), len);
    ASSERT_TRUE(g.holds(want)) << (msbf ? "BE" : "LE");
    for (Int flag : kFlags) {
      if ((flag != 0) != msbf) continue;
      Guarded h(len);
      ASSERT_EQ(num::bigNatToAddr(a, h.at(), flag), len);
      ASSERT_TRUE(h.holds(want));
      // The exact room at an unaligned offset: the string ends at the end.
      MutableByteArray_ m = guardedArray(offset + len);
      ASSERT_EQ(num::bigNatToMutableByteArray_(a, m, offset, flag), len);
      Bytes expected(offset + len + kGuards, kGuard);
      std::copy(want.begin(), want.end(), expected.begin() + static_cast<std::ptrdiff_t>(offset));
      ASSERT_EQ(allBytes(m), expected);
      ASSERT_TRUE(isBigNat(num::bigNatFromAddr_(len, want.data(), flag), ma));
    }
    MutableByteArray_ m = guardedArray(offset + len);
    ASSERT_EQ(msbf ? num::bigNatToMutableByteArrayBE_(a, m, offset)
                   : num::bigNatToMutableByteArrayLE_(a, m, offset),
              len);
    const ByteArray_ frozen = std::move(m).freeze();
    ASSERT_TRUE(isBigNat(msbf ? num::bigNatFromByteArrayBE_(len, frozen, offset)
                              : num::bigNatFromByteArrayLE_(len, frozen, offset),
                         ma));
    ASSERT_TRUE(isBigNat(num::bigNatFromByteArray_(len, frozen, offset, msbf ? 1 : 0), ma));
  }
}

// Import of any byte string (zero bytes at the significant end included)
// against mpz_import, at an address and at an offset of a byte array.
void checkImport(const Bytes& bytes, Word offset) {
  Bytes padded(offset, kGuard);
  padded.insert(padded.end(), bytes.begin(), bytes.end());
  const ByteArray_ arr = byteArrayOf(padded);
  const Word n = bytes.size();
  for (Int flag : kFlags) {
    const Mpz want = importBytes(bytes, flag != 0);
    ASSERT_TRUE(isBigNat(num::bigNatFromAddr_(n, bytes.data(), flag), want)) << n << " " << flag;
    ASSERT_TRUE(isBigNat(num::bigNatFromByteArray_(n, arr, offset, flag), want));
  }
  ASSERT_TRUE(isBigNat(num::bigNatFromAddrLE_(n, bytes.data()), importBytes(bytes, false)));
  ASSERT_TRUE(isBigNat(num::bigNatFromAddrBE_(n, bytes.data()), importBytes(bytes, true)));
  ASSERT_TRUE(isBigNat(num::bigNatFromByteArrayLE_(n, arr, offset), importBytes(bytes, false)));
  ASSERT_TRUE(isBigNat(num::bigNatFromByteArrayBE_(n, arr, offset), importBytes(bytes, true)));
}

// Every size from 0 to 40 limbs in turn, with top limbs of every
// significant-byte count (odd string lengths), at offsets 0 to 9.
TEST(BigNatMemory, RoundTrips) {
  numtest::Rng rng;
  for (const auto& l : numtest::specialMagnitudes()) checkRoundTrip(bigNatFromLimbs(l), 3);
  for (long it = 0; it < numtest::iterations(100000) && !HasFatalFailure(); ++it) {
    const Int n = it % 41;
    std::vector<Word> limbs = n == 0 ? std::vector<Word>{} : rng.limbs(n, n);
    if (n > 0) limbs.back() = (rng.word() | 1) >> (8 * rng.range(0, 7));
    checkRoundTrip(bigNatFromLimbs(limbs), static_cast<Word>(rng.range(0, 9)));
  }
}

TEST(BigNatMemory, ImportOfEveryLengthUpToFortyOneLimbs) {
  numtest::Rng rng;
  for (std::size_t n = 0; n <= 8 * 41; ++n) {
    Bytes bytes = rng.bytes(n);
    checkImport(bytes, n % 11);
    // Zero bytes at both ends: only the significant end is trimmed away.
    for (std::size_t i = 0; i < n / 3; ++i) bytes[i] = bytes[n - 1 - i] = 0;
    checkImport(bytes, 5);
    checkImport(Bytes(n, 0), 1);
    if (HasFatalFailure()) return;
  }
}

TEST(BigNatMemory, EmptyStringsGiveTheSharedZeroWithoutReading) {
  EXPECT_TRUE(num::bigNatFromAddrLE_(0, nullptr).sameBlock(num::bigNatZero_()));
  EXPECT_TRUE(num::bigNatFromAddrBE_(0, nullptr).sameBlock(num::bigNatZero_()));
  EXPECT_TRUE(num::bigNatFromByteArray_(0, ByteArray_(), 0, 1).sameBlock(num::bigNatZero_()));
}

// Strings that do not fit the array, including offsets where offset + length
// wraps around 2^64, throw before any byte is touched.
TEST(BigNatMemory, ByteArrayFormsRejectStringsOutsideTheArray) {
  const std::size_t size = 24;
  const BigNat_ values[] = {num::bigNatZero_(), bigNatFromLimbs({0x0102}),
                            bigNatFromLimbs({kOnes, kOnes}), bigNatFromLimbs({1, 2, 3})};
  const Word farOffsets[] = {size + 1, 1000, kOnes - 8, kOnes - 1, kOnes};
  for (const BigNat_& a : values) {
    Bytes le(8 * static_cast<std::size_t>(a.size()));
    const Word len = num::bigNatToAddrLE_(a, le.data());
    std::vector<Word> offsets(std::begin(farOffsets), std::end(farOffsets));
    if (len > 0) offsets.push_back(size - len + 1);  // one byte too far
    for (Word off : offsets) {
      SCOPED_TRACE(::testing::Message() << len << " bytes at " << off);
      MutableByteArray_ m = guardedArray(size);
      const Bytes before = allBytes(m);
      for (Int flag : kFlags) {
        EXPECT_THROW(num::bigNatToMutableByteArray_(a, m, off, flag), std::out_of_range);
      }
      EXPECT_THROW(num::bigNatToMutableByteArrayLE_(a, m, off), std::out_of_range);
      EXPECT_THROW(num::bigNatToMutableByteArrayBE_(a, m, off), std::out_of_range);
      EXPECT_EQ(allBytes(m), before) << "nothing may be written before the throw";
    }
    // Right at the end it fits.
    MutableByteArray_ m = guardedArray(size);
    EXPECT_EQ(num::bigNatToMutableByteArrayBE_(a, m, size - len), len);
  }
  const ByteArray_ arr = byteArrayOf(Bytes(size, 7));
  struct Read {
    Word n, offset;
  };
  std::vector<Read> reads = {{size + 1, 0}, {1, size}, {9, size - 8}, {0, size + 1}};
  for (Word off : farOffsets) {
    for (Word n : {Word{0}, Word{1}, Word{9}, kOnes}) reads.push_back({n, off});
  }
  reads.push_back({kOnes, 0});
  reads.push_back({kOnes, 1});
  for (const Read& r : reads) {
    SCOPED_TRACE(::testing::Message() << r.n << " bytes at " << r.offset);
    for (Int flag : kFlags) {
      EXPECT_THROW(num::bigNatFromByteArray_(r.n, arr, r.offset, flag), std::out_of_range);
    }
    EXPECT_THROW(num::bigNatFromByteArrayLE_(r.n, arr, r.offset), std::out_of_range);
    EXPECT_THROW(num::bigNatFromByteArrayBE_(r.n, arr, r.offset), std::out_of_range);
  }
  // A shrunk array is checked against its recorded size, not its capacity.
  MutableByteArray_ m = guardedArray(size);
  m.shrink(8);
  EXPECT_THROW(num::bigNatToMutableByteArrayLE_(bigNatFromLimbs({kOnes}), m, 1), std::out_of_range);
  EXPECT_EQ(num::bigNatToMutableByteArrayLE_(bigNatFromLimbs({kOnes}), m, 0), 8U);
}

}  // namespace
