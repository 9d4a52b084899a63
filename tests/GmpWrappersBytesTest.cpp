// The C functions for digit counts, byte export and import and byte scans,
// and the assertions that guard the C functions' preconditions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Num/gmp_wrappers.h"
#include "support/LimbBuffer.hpp"
#include "support/Mpz.hpp"
#include "support/Random.hpp"

namespace {

using numtest::LimbBuffer;
using numtest::Mpz;
using numtest::Rng;
using Bytes = std::vector<unsigned char>;
using Limbs = std::vector<num::Word>;
using num::Int;
using num::Word;

constexpr Word kOnes = ~Word{0};

Int sz(const Limbs& v) { return static_cast<Int>(v.size()); }

// ---- Digit counts -------------------------------------------------------------

// The exact number of digits of m > 0 in base b.
std::size_t exactDigits(const Mpz& m, unsigned long b) {
  Mpz q = m;
  std::size_t n = 0;
  while (q.sign() != 0) {
    mpz_tdiv_q_ui(q.get(), q.get(), b);
    ++n;
  }
  return n;
}

TEST(GmpWrappersDigits, SmallCases) {
  const Word zero[] = {0};
  for (Int base : {2, 10, 62, 63, 256}) {
    EXPECT_EQ(numkit_mpn_sizeinbase(nullptr, 0, base), 1U);
    EXPECT_EQ(numkit_mpn_sizeinbase(zero, 1, base), 1U);
    EXPECT_EQ(numkit_mpn_sizeinbase(zero, -1, base), 1U);
  }
  EXPECT_EQ(numkit_mpn_sizeinbase1(0, 1), 1U) << "zero skips the base check";
  EXPECT_EQ(numkit_mpn_sizeinbase1(255, 16), 2U);
  EXPECT_EQ(numkit_mpn_sizeinbase1(256, 16), 3U);
  EXPECT_EQ(numkit_mpn_sizeinbase1(kOnes, 2), 64U);
  EXPECT_EQ(numkit_mpn_sizeinbase1(kOnes, 256), 8U);
}

TEST(GmpWrappersDigits, ExactOrOneTooManyInEveryBase) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(60); ++i) {
    const Limbs s = rng.limbs(1, 40);
    const Mpz m = Mpz::fromLimbs(s);
    for (int base = 2; base <= 256; base += static_cast<int>(rng.range(1, 9))) {
      const std::size_t got = numkit_mpn_sizeinbase(s.data(), rng.coin() ? sz(s) : -sz(s), base);
      const std::size_t exact = exactDigits(m, static_cast<unsigned long>(base));
      const bool powerOfTwo = (base & (base - 1)) == 0;
      EXPECT_TRUE(got == exact || (!powerOfTwo && got == exact + 1))
          << "base " << base << ": " << got << " for " << exact;
      EXPECT_EQ(got, mpz_sizeinbase(m.get(), base));
    }
  }
}

// ---- Export and import ----------------------------------------------------------

TEST(GmpWrappersBytes, SmallCases) {
  Bytes buf(4, 0xee);
  EXPECT_EQ(numkit_mpn_export1(0x0102, buf.data(), 1, 1), 2U);
  EXPECT_EQ(buf, (Bytes{0xee, 0x01, 0x02, 0xee}));
  EXPECT_EQ(numkit_mpn_export1(0x0102, buf.data(), 0, 0), 2U);
  EXPECT_EQ(buf, (Bytes{0x02, 0x01, 0x02, 0xee}));
  const Word zero[] = {0};
  Bytes untouched(4, 0xee);
  EXPECT_EQ(numkit_mpn_export(zero, 1, untouched.data(), 0, 1), 0U);
  EXPECT_EQ(numkit_mpn_export(nullptr, 0, untouched.data(), 0, 0), 0U);
  EXPECT_EQ(numkit_mpn_export1(0, untouched.data(), 0, 0), 0U);
  EXPECT_EQ(untouched, Bytes(4, 0xee));

  const Bytes nine = {0xaa, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  LimbBuffer be(2), le(2);
  numkit_mpn_import(be.data(), nine.data(), 1, 9, 1);
  numkit_mpn_import(le.data(), nine.data(), 1, 9, 0);
  EXPECT_EQ(be.all(), (Limbs{0x0203040506070809ULL, 0x01}));
  EXPECT_EQ(le.all(), (Limbs{0x0807060504030201ULL, 0x09}));
  EXPECT_TRUE(be.guardsIntact() && le.guardsIntact());
  LimbBuffer none(0);
  numkit_mpn_import(none.data(), nine.data(), 0, 0, 1);
  EXPECT_TRUE(none.guardsIntact());

  EXPECT_EQ(numkit_mpn_import1(nine.data(), 1, 3, 1), 0x010203U);
  EXPECT_EQ(numkit_mpn_import1(nine.data(), 1, 3, 0), 0x030201U);
  EXPECT_EQ(numkit_mpn_import1(nine.data(), 1, 0, 1), 0U);
  EXPECT_EQ(numkit_mpn_import1(nine.data(), 2, 8, 1), 0x0203040506070809ULL);
}

TEST(GmpWrappersBytes, ExportMatchesMpzAndImportRoundTrips) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(400); ++i) {
    const Limbs s = rng.limbs(1, 40);
    const Mpz m = Mpz::fromLimbs(s);
    for (const Int msbf : {0, 1}) {
      const std::size_t ofs = static_cast<std::size_t>(rng.range(0, 9));
      Bytes buf(ofs + 8 * s.size() + 4, 0xee);
      const std::size_t n =
          numkit_mpn_export(s.data(), rng.coin() ? sz(s) : -sz(s), buf.data(), ofs, msbf);
      Bytes expected(8 * s.size());
      std::size_t count = 0;
      mpz_export(expected.data(), &count, msbf == 1 ? 1 : -1, 1, 0, 0, m.get());
      expected.resize(count);
      ASSERT_EQ(n, count);
      EXPECT_TRUE(
          std::equal(expected.begin(), expected.end(), buf.begin() + static_cast<long>(ofs)));
      EXPECT_TRUE(std::all_of(buf.begin(), buf.begin() + static_cast<long>(ofs),
                              [](unsigned char b) { return b == 0xee; }));
      EXPECT_TRUE(std::all_of(buf.begin() + static_cast<long>(ofs + n), buf.end(),
                              [](unsigned char b) { return b == 0xee; }));

      const std::size_t limbs = (n + 7) / 8;
      LimbBuffer back(limbs);
      numkit_mpn_import(back.data(), buf.data(), ofs, n, msbf);
      EXPECT_EQ(back.all(), s) << "round trip, msbf " << msbf;
      EXPECT_TRUE(back.guardsIntact());
    }
    if (s.size() == 1 || rng.range(0, 3) == 0) {
      const Word w = s[0];
      Bytes one(12, 0xee);
      const std::size_t n = numkit_mpn_export1(w, one.data(), 3, 1);
      EXPECT_EQ(numkit_mpn_import1(one.data(), 3, n, 1), w);
      EXPECT_EQ(n, numkit_mpn_export1(w, one.data(), 3, 0));
      EXPECT_EQ(numkit_mpn_import1(one.data(), 3, n, 0), w);
    }
  }
}

TEST(GmpWrappersBytes, ImportOfAnyBytesMatchesMpz) {
  Rng rng;
  for (long i = 0; i < numtest::iterations(400); ++i) {
    const std::size_t len = static_cast<std::size_t>(rng.range(0, 330));
    const std::size_t ofs = static_cast<std::size_t>(rng.range(0, 9));
    Bytes buf = rng.bytes(ofs + len);
    if (rng.coin()) std::fill(buf.begin(), buf.begin() + static_cast<long>(ofs + len / 3), 0);
    for (const Int msbf : {0, 1}) {
      Mpz expected;
      mpz_import(expected.get(), len, msbf == 1 ? 1 : -1, 1, 0, 0, buf.data() + ofs);
      const std::size_t limbs = (len + 7) / 8;
      LimbBuffer r(limbs);
      numkit_mpn_import(r.data(), buf.data(), ofs, len, msbf);
      EXPECT_EQ(r.trimmed(limbs), expected.limbs()) << "len " << len << " msbf " << msbf;
      EXPECT_TRUE(r.guardsIntact());
      if (len <= 8) {
        EXPECT_EQ(numkit_mpn_import1(buf.data(), ofs, len, msbf), mpz_getlimbn(expected.get(), 0));
      }
    }
  }
}

// ---- Byte scans -------------------------------------------------------------------

TEST(GmpWrappersScan, FindsTheFirstAndLastNonZeroByte) {
  struct Case {
    Bytes bytes;
    std::size_t first, length;  // first: offset 10 + index
  };
  const std::vector<Case> cases = {
      {{0, 0, 5}, 12, 3}, {{0, 0, 0}, 13, 0},       {{5, 0, 0}, 10, 1},
      {{}, 10, 0},        {{0, 7, 0, 9, 0}, 11, 4},
  };
  for (const auto& c : cases) {
    // Non-zero bytes before the offset and after the range must not count.
    Bytes buf(10 + c.bytes.size() + 1, 0xff);
    std::copy(c.bytes.begin(), c.bytes.end(), buf.begin() + 10);
    EXPECT_EQ(numkit_scan_nzbyte(buf.data(), 10, c.bytes.size()), c.first);
    EXPECT_EQ(numkit_rscan_nzbyte(buf.data(), 10, c.bytes.size()), c.length);
  }
  Rng rng;
  for (long i = 0; i < numtest::iterations(200); ++i) {
    Bytes body(static_cast<std::size_t>(rng.range(0, 200)), 0);
    for (auto& b : body) b = rng.range(0, 5) == 0 ? static_cast<unsigned char>(rng.word()) : 0;
    const auto nz = [](unsigned char b) { return b != 0; };
    const auto first = std::find_if(body.begin(), body.end(), nz) - body.begin();
    const auto last = body.rend() - std::find_if(body.rbegin(), body.rend(), nz);
    const std::size_t ofs = static_cast<std::size_t>(rng.range(0, 9));
    Bytes buf(ofs + body.size() + 1, 0xff);
    std::copy(body.begin(), body.end(), buf.begin() + static_cast<long>(ofs));
    EXPECT_EQ(numkit_scan_nzbyte(buf.data(), ofs, body.size()),
              ofs + static_cast<std::size_t>(first));
    EXPECT_EQ(numkit_rscan_nzbyte(buf.data(), ofs, body.size()), static_cast<std::size_t>(last));
  }
}

// ---- Assertions ---------------------------------------------------------------------

// The glibc diagnostic of a failed check: unit, line, function and text.
std::string diagnostic(const std::string& function, const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return "gmp_wrappers:[0-9]+: " + function + ": Assertion `" + escaped + "' failed";
}

class GmpWrappersDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { ::testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(GmpWrappersDeathTest, BrokenPreconditionsAbortWithTheirCheck) {
  const Word zero[] = {0};
  const Word seven[] = {7};
  const Word eight[] = {8};
  const Bytes bytes(16, 1);
  Word out[4] = {};
  std::int32_t sizes[3] = {};
  EXPECT_DEATH(numkit_powm(out, seven, 1, seven, 1, zero, 1),
               diagnostic("numkit_powm", "!mp_limb_zero_p(mp,mn)"));
  EXPECT_DEATH(numkit_powm(out, seven, 1, seven, 1, zero, 0),
               diagnostic("numkit_powm", "!mp_limb_zero_p(mp,mn)"));
  EXPECT_DEATH(numkit_powm1(seven, 1, seven, 1, 0), diagnostic("numkit_powm1", "m0"));
  EXPECT_DEATH(numkit_powm_sec(out, seven, 1, seven, 1, zero, 1),
               diagnostic("numkit_powm_sec", "!mp_limb_zero_p(mp,mn)"));
  EXPECT_DEATH(numkit_powm_sec(out, seven, 1, seven, 1, eight, 1),
               diagnostic("numkit_powm_sec", "mp[0] & 1"));
  EXPECT_DEATH(numkit_powm_sec(out, seven, 1, seven, -1, seven, 1),
               diagnostic("numkit_powm_sec", "en > 0"));
  for (const Int base : {Int{1}, Int{257}, Int{0}, Int{-2}, Int{1} << 32}) {
    EXPECT_DEATH(numkit_mpn_sizeinbase(seven, 1, base),
                 diagnostic("numkit_mpn_sizeinbase", "2 <= base && base <= 256"));
  }
  EXPECT_DEATH(numkit_mpn_sizeinbase1(7, 1),
               diagnostic("numkit_mpn_sizeinbase", "2 <= base && base <= 256"));
  Bytes dst(16);
  EXPECT_DEATH(numkit_mpn_export(seven, 1, dst.data(), 0, 2),
               diagnostic("numkit_mpn_export", "msbf == 0 || msbf == 1"));
  EXPECT_DEATH(numkit_mpn_export(zero, 0, dst.data(), 0, -1),
               diagnostic("numkit_mpn_export", "msbf == 0 || msbf == 1"));
  EXPECT_DEATH(numkit_mpn_import(out, bytes.data(), 0, 9, 2),
               diagnostic("numkit_mpn_import", "msbf == 0 || msbf == 1"));
  EXPECT_DEATH(numkit_mpn_import1(bytes.data(), 0, 9, 1),
               diagnostic("numkit_mpn_import1", "srclen <= SIZEOF_KTWORD"));
  EXPECT_DEATH(numkit_mpn_tdiv_q(out, seven, 1, eight, 2),
               diagnostic("numkit_mpn_tdiv_q", "nn>=dn"));
  EXPECT_DEATH(numkit_mpn_tdiv_r(out, seven, 1, eight, 2),
               diagnostic("numkit_mpn_tdiv_r", "nn>=dn"));
  EXPECT_DEATH(numkit_mpn_gcd_1(seven, 0, 3), diagnostic("numkit_mpn_gcd_1", "xn > 0"));
  EXPECT_DEATH(numkit_mpn_gcd(out, seven, 1, eight, 2), diagnostic("numkit_mpn_gcd", "xn >= yn"));
  EXPECT_DEATH(numkit_next_prime(out, seven, -1), diagnostic("numkit_next_prime", "sn>=0"));
  EXPECT_DEATH(
      numkit_gcdext(out, &sizes[0], out + 1, &sizes[1], out + 2, &sizes[2], seven, 1, zero, 0),
      diagnostic("numkit_gcdext", "0 <= *gn && *gn <= gn0"));
}

}  // namespace
