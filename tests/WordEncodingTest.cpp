// The byte-order encoding of one word: readers of n bytes, significant-byte
// writers, full-word writers, in both byte orders, at raw addresses and at
// range-checked byte-array offsets.  GMP's mpz_import/mpz_export (one byte
// per word, either order) is the reference.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "Num/Primitives.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"
#include "support/Special.hpp"

namespace {

using num::ByteArray_;
using num::Int;
using num::MutableByteArray_;
using num::Word;
using numtest::Mpz;
using numtest::Rng;
using Bytes = std::vector<unsigned char>;

constexpr Word kOnes = ~Word{0};
constexpr unsigned char kGuard = 0xA5;
// Byte-order flags: every non-zero value selects big-endian.
constexpr Int kFlags[] = {0, 1, -1, 2, std::numeric_limits<Int>::min()};

// The significant bytes of w in the given order, by mpz_export.
Bytes exportBytes(Word w, bool msbf) {
  Bytes out(8);
  std::size_t count = 0;
  const Mpz m(w);
  mpz_export(out.data(), &count, msbf ? 1 : -1, 1, 0, 0, m.get());
  out.resize(w == 0 ? 0 : count);
  return out;
}

// The word formed by n bytes at p, by mpz_import.
Word importBytes(const unsigned char* p, Word n, bool msbf) {
  Mpz m;
  mpz_import(m.get(), n, msbf ? 1 : -1, 1, 0, 0, p);
  return mpz_get_ui(m.get());
}

std::vector<Word> sampleWords(Rng& rng) {
  std::vector<Word> v = numtest::specialWords();
  for (int k = 0; k <= 8; ++k) {
    const Word top = k == 8 ? kOnes : (Word{1} << (8 * k)) - 1;  // largest of k bytes
    v.push_back(top);
    v.push_back(top + 1);
  }
  for (long i = 0; i < numtest::iterations(300); ++i) {
    v.push_back(rng.specialWord() >> (8 * rng.range(0, 7)));
  }
  return v;
}

ByteArray_ byteArrayOf(const Bytes& bytes) {
  MutableByteArray_ m = MutableByteArray_::allocate(bytes.size());
  if (!bytes.empty()) std::memcpy(m.data(), bytes.data(), bytes.size());
  return std::move(m).freeze();
}

MutableByteArray_ guardedArray(std::size_t n) {
  MutableByteArray_ m = MutableByteArray_::allocate(n);
  std::memset(m.data(), kGuard, n);
  return m;
}

Bytes contents(const MutableByteArray_& m) { return Bytes(m.data(), m.data() + m.size()); }

TEST(WordEncoding, EdgeCases) {
  struct WriteCase {
    Word w;
    Int msbf;
    Bytes expected;
  };
  const WriteCase writes[] = {
      {0, 0, {}},
      {0, 1, {}},
      {0x0102, 1, {0x01, 0x02}},
      {0x0102, 0, {0x02, 0x01}},
      {Word{1} << 56, 0, {0, 0, 0, 0, 0, 0, 0, 1}},
      {Word{1} << 56, 1, {1, 0, 0, 0, 0, 0, 0, 0}},
      {0xff, 0, {0xff}},
      {0x80, 1, {0x80}},
  };
  for (const WriteCase& c : writes) {
    SCOPED_TRACE(testing::Message() << c.w << " msbf " << c.msbf);
    Bytes buf(10, kGuard);
    const Word k = num::wordToAddr_(c.w, buf.data(), c.msbf);
    EXPECT_EQ(k, c.expected.size());
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + static_cast<long>(k)), c.expected);
    for (std::size_t i = k; i < buf.size(); ++i) EXPECT_EQ(buf[i], kGuard) << "byte " << i;
  }
  const unsigned char b123[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(num::wordFromAddrBE_(3, b123), 0x010203U);
  EXPECT_EQ(num::wordFromAddrLE_(3, b123), 0x030201U);
  // n = 0 must not touch memory: a null address is fine.
  EXPECT_EQ(num::wordFromAddrLE_(0, nullptr), 0U);
  EXPECT_EQ(num::wordFromAddrBE_(0, nullptr), 0U);
}

TEST(WordEncoding, SignificantByteWritersMatchMpzAndTouchNothingElse) {
  Rng rng;
  for (Word w : sampleWords(rng)) {
    for (Int flag : kFlags) {
      SCOPED_TRACE(testing::Message() << w << " flag " << flag);
      const Bytes expected = exportBytes(w, flag != 0);
      for (std::size_t at = 0; at < 8; ++at) {
        Bytes buf(24, kGuard);
        const Word k = num::wordToAddr_(w, buf.data() + at, flag);
        ASSERT_EQ(k, expected.size());
        Bytes want(24, kGuard);
        std::copy(expected.begin(), expected.end(), want.begin() + static_cast<long>(at));
        ASSERT_EQ(buf, want);
        Bytes buf2(24, kGuard);
        ASSERT_EQ(flag != 0 ? num::wordToAddrBE_(w, buf2.data() + at)
                            : num::wordToAddrLE_(w, buf2.data() + at),
                  k);
        ASSERT_EQ(buf2, buf) << "flag form differs from the fixed-order form";
      }
    }
  }
}

TEST(WordEncoding, ReadersMatchMpzForEveryLengthAndAlignment) {
  Rng rng;
  for (long iter = 0; iter < numtest::iterations(200); ++iter) {
    const Bytes buf = rng.bytes(24);
    for (Word n = 0; n <= 8; ++n) {
      for (std::size_t at = 0; at < 16; ++at) {
        const unsigned char* p = buf.data() + at;
        const Word le = importBytes(p, n, false);
        const Word be = importBytes(p, n, true);
        ASSERT_EQ(num::wordFromAddrLE_(n, p), le) << n << "@" << at;
        ASSERT_EQ(num::wordFromAddrBE_(n, p), be) << n << "@" << at;
        for (Int flag : kFlags) ASSERT_EQ(num::wordFromAddr_(n, p, flag), flag != 0 ? be : le);
      }
    }
  }
}

TEST(WordEncoding, RoundTripsForEveryLength) {
  Rng rng;
  for (Word w0 : sampleWords(rng)) {
    for (Word n = 0; n <= 8; ++n) {
      const Word w = n == 8 ? w0 : w0 & ((Word{1} << (8 * n)) - 1);  // fits n bytes
      SCOPED_TRACE(testing::Message() << w << " n " << n);
      unsigned char buf[8];
      for (Int flag : {Int{0}, Int{1}}) {
        const Word k = num::wordToAddr_(w, buf, flag);
        EXPECT_LE(k, n);
        EXPECT_EQ(num::wordFromAddr_(k, buf, flag), w);
      }
      num::wordWriteAddrLE_(w, buf);
      EXPECT_EQ(num::wordFromAddrLE_(8, buf), w);
      EXPECT_EQ(num::wordFromAddrLE_(n, buf), w) << "the low bytes come first";
      num::wordWriteAddrBE_(w, buf);
      EXPECT_EQ(num::wordFromAddrBE_(8, buf), w);
      EXPECT_EQ(num::wordFromAddrBE_(n, buf + (8 - n)), w) << "the low bytes come last";
    }
  }
}

TEST(WordEncoding, FullWordWritersStoreAllEightBytes) {
  Rng rng;
  for (Word w : sampleWords(rng)) {
    SCOPED_TRACE(w);
    Bytes le(12, kGuard), be(12, kGuard);
    num::wordWriteAddrLE_(w, le.data() + 3);
    num::wordWriteAddrBE_(w, be.data() + 3);
    Bytes sig = exportBytes(w, false);
    sig.resize(8, 0);  // the significant bytes, then zeros
    EXPECT_EQ(Bytes(le.begin() + 3, le.begin() + 11), sig);
    EXPECT_EQ(Bytes(be.rbegin() + 1, be.rbegin() + 9), sig) << "BE is LE reversed";
    for (std::size_t i : {0, 1, 2, 11}) {
      EXPECT_EQ(le[i], kGuard);
      EXPECT_EQ(be[i], kGuard);
    }
  }
}

// In range, the byte-array forms read and write exactly the bytes that the
// address forms do at the same position, whatever the alignment.
TEST(WordEncoding, ByteArrayFormsMatchAddressFormsAtEveryOffset) {
  Rng rng;
  const std::size_t size = 24;
  for (long iter = 0; iter < numtest::iterations(20); ++iter) {
    const Bytes src = rng.bytes(size);
    const ByteArray_ a = byteArrayOf(src);
    for (Word n = 0; n <= 8; ++n) {
      for (Word off = 0; off + n <= size; ++off) {
        const unsigned char* p = src.data() + off;
        ASSERT_EQ(num::wordFromByteArrayLE_(n, a, off), num::wordFromAddrLE_(n, p));
        ASSERT_EQ(num::wordFromByteArrayBE_(n, a, off), num::wordFromAddrBE_(n, p));
        for (Int flag : kFlags) {
          ASSERT_EQ(num::wordFromByteArray_(n, a, off, flag), num::wordFromAddr_(n, p, flag));
        }
      }
    }
  }
  for (Word w : sampleWords(rng)) {
    SCOPED_TRACE(w);
    const Word k = num::detail::significantBytes(w);
    for (Word off = 0; off + 8 <= size; ++off) {
      for (Int flag : kFlags) {
        MutableByteArray_ m = guardedArray(size);
        Bytes want(size, kGuard);
        const Word wrote = num::wordToMutableByteArray_(w, m, off, flag);
        ASSERT_EQ(wrote, num::wordToAddr_(w, want.data() + off, flag));
        ASSERT_EQ(wrote, k);
        ASSERT_EQ(contents(m), want);
      }
      MutableByteArray_ le = guardedArray(size), be = guardedArray(size);
      Bytes wantLe(size, kGuard), wantBe(size, kGuard);
      EXPECT_EQ(num::wordToMutableByteArrayLE_(w, le, off),
                num::wordToAddrLE_(w, wantLe.data() + off));
      EXPECT_EQ(num::wordToMutableByteArrayBE_(w, be, off),
                num::wordToAddrBE_(w, wantBe.data() + off));
      EXPECT_EQ(contents(le), wantLe);
      EXPECT_EQ(contents(be), wantBe);
      le = guardedArray(size);
      be = guardedArray(size);
      num::wordWriteMutableByteArrayLE_(w, le, off);
      num::wordWriteMutableByteArrayBE_(w, be, off);
      num::wordWriteAddrLE_(w, wantLe.data() + off);
      num::wordWriteAddrBE_(w, wantBe.data() + off);
      EXPECT_EQ(contents(le), wantLe);
      EXPECT_EQ(contents(be), wantBe);
    }
    // The significant-byte writers need room only for the bytes they write.
    MutableByteArray_ m = guardedArray(size);
    EXPECT_EQ(num::wordToMutableByteArrayLE_(w, m, size - k), k);
    EXPECT_EQ(num::wordToMutableByteArrayBE_(w, m, size - k), k);
  }
}

// Offsets that would run past the recorded size, including ones where
// offset + n wraps around 2^64, throw before any byte is touched.
TEST(WordEncoding, ByteArrayFormsRejectLocationsOutsideTheArray) {
  const std::size_t size = 16;
  const Word farOffsets[] = {size + 1, 1000, kOnes - 6, kOnes - 3, kOnes};
  const ByteArray_ a = byteArrayOf(Bytes(size, 7));
  struct ReadCase {
    Word n, offset;
  };
  std::vector<ReadCase> reads = {{8, size - 7}, {8, size}, {1, size}, {0, size + 1}, {3, size - 2}};
  for (Word off : farOffsets) {
    for (Word n : {Word{0}, Word{1}, Word{8}}) reads.push_back({n, off});
  }
  for (const ReadCase& r : reads) {
    SCOPED_TRACE(testing::Message() << r.n << " bytes at " << r.offset);
    for (Int flag : kFlags) {
      EXPECT_THROW(num::wordFromByteArray_(r.n, a, r.offset, flag), std::out_of_range);
    }
    EXPECT_THROW(num::wordFromByteArrayLE_(r.n, a, r.offset), std::out_of_range);
    EXPECT_THROW(num::wordFromByteArrayBE_(r.n, a, r.offset), std::out_of_range);
  }
  // The edges themselves are fine: nothing at the end, 8 bytes ending at it.
  EXPECT_EQ(num::wordFromByteArrayLE_(0, a, size), 0U);
  EXPECT_EQ(num::wordFromByteArrayBE_(8, a, size - 8), 0x0707070707070707U);
  EXPECT_THROW(num::wordFromByteArrayLE_(0, ByteArray_(), 1), std::out_of_range);
  EXPECT_EQ(num::wordFromByteArrayLE_(0, ByteArray_(), 0), 0U);

  struct WriteCase {
    Word w, offset;
  };
  std::vector<WriteCase> writes = {
      {0x0102, size - 1}, {kOnes, size - 7}, {Word{1} << 56, size - 5}, {0, size + 1}, {1, size}};
  for (Word off : farOffsets) {
    for (Word w : {Word{0}, Word{1}, kOnes}) writes.push_back({w, off});
  }
  for (const WriteCase& c : writes) {
    SCOPED_TRACE(testing::Message() << c.w << " at " << c.offset);
    MutableByteArray_ m = guardedArray(size);
    const Bytes before = contents(m);
    for (Int flag : kFlags) {
      EXPECT_THROW(num::wordToMutableByteArray_(c.w, m, c.offset, flag), std::out_of_range);
    }
    EXPECT_THROW(num::wordToMutableByteArrayLE_(c.w, m, c.offset), std::out_of_range);
    EXPECT_THROW(num::wordToMutableByteArrayBE_(c.w, m, c.offset), std::out_of_range);
    EXPECT_EQ(contents(m), before) << "nothing may be written before the throw";
  }
  for (Word off : {size - 7, size - 1, size, Word{1000}, kOnes - 7, kOnes - 3, kOnes}) {
    SCOPED_TRACE(off);
    MutableByteArray_ m = guardedArray(size);
    const Bytes before = contents(m);
    EXPECT_THROW(num::wordWriteMutableByteArrayLE_(0, m, off), std::out_of_range);
    EXPECT_THROW(num::wordWriteMutableByteArrayBE_(0, m, off), std::out_of_range);
    EXPECT_EQ(contents(m), before);
  }
  // A shrunk array is checked against its recorded size, not its capacity.
  MutableByteArray_ m = guardedArray(size);
  m.shrink(8);
  EXPECT_THROW(num::wordWriteMutableByteArrayLE_(1, m, 1), std::out_of_range);
  num::wordWriteMutableByteArrayLE_(1, m, 0);
  EXPECT_EQ(num::wordToMutableByteArrayBE_(0, m, 8), 0U) << "zero writes nothing, even at the end";
}

}  // namespace
