// BigNat memory export and import: the magnitude as a base-256 byte string,
// least or most significant byte first, at an address or in a byte array.
//
// In both orders the partial word, if any, lies at the significant end of
// the string: at its end for little-endian, at its start for big-endian.
// Full limbs move as 8-byte words; on a little-endian host the
// little-endian ones are one block copy.
#include <bit>
#include <cstring>

#include "Num/BigNat.hpp"
#include "Num/Primitives.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

constexpr bool kLittleHost = std::endian::native == std::endian::little;

// The length of a's string: 8 (na - 1) bytes of full limbs plus the
// significant bytes of the top limb; 0 for zero.
Word stringLength(const BigNat_& a) noexcept {
  const Int n = a.size();
  if (n == 0) return 0;
  return static_cast<Word>(n - 1) * kWordBytes + detail::significantBytes(a[n - 1]);
}

// Limbs 0 .. count - 1 of src as 8 little-endian bytes each at dst.
void storeLimbsLE(unsigned char* dst, const Word* src, Int count) noexcept {
  if constexpr (kLittleHost) {
    if (count > 0) std::memcpy(dst, src, static_cast<std::size_t>(count) * kWordBytes);
  } else {
    for (Int i = 0; i < count; ++i) wordWriteAddrLE_(src[i], dst + i * 8);
  }
}

// count little-endian 8-byte words at src into limbs 0 .. count - 1 of dst.
void loadLimbsLE(Word* dst, const unsigned char* src, Int count) noexcept {
  if constexpr (kLittleHost) {
    if (count > 0) std::memcpy(dst, src, static_cast<std::size_t>(count) * kWordBytes);
  } else {
    for (Int i = 0; i < count; ++i) dst[i] = wordFromAddrLE_(8, src + i * 8);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Export.

Word bigNatToAddrLE_(const BigNat_& a, void* p) noexcept {
  const Int n = a.size();
  if (n == 0) return 0;
  auto* b = static_cast<unsigned char*>(p);
  const Word full = static_cast<Word>(n - 1) * kWordBytes;
  const Word k = wordToAddrLE_(a[n - 1], b + full);
  storeLimbsLE(b, a.data(), n - 1);
  return full + k;
}

Word bigNatToAddrBE_(const BigNat_& a, void* p) noexcept {
  const Int n = a.size();
  if (n == 0) return 0;
  auto* b = static_cast<unsigned char*>(p);
  const Word k = wordToAddrBE_(a[n - 1], b);
  unsigned char* q = b + k;
  for (Int i = n - 2; i >= 0; --i, q += kWordBytes) wordWriteAddrBE_(a[i], q);
  return k + static_cast<Word>(n - 1) * kWordBytes;
}

Word bigNatToMutableByteArrayLE_(const BigNat_& a, MutableByteArray_& arr, Word offset) {
  detail::checkByteRange(offset, stringLength(a), arr.size());
  return bigNatToAddrLE_(a, arr.data() + offset);
}

Word bigNatToMutableByteArrayBE_(const BigNat_& a, MutableByteArray_& arr, Word offset) {
  detail::checkByteRange(offset, stringLength(a), arr.size());
  return bigNatToAddrBE_(a, arr.data() + offset);
}

// ---------------------------------------------------------------------------
// Import.  One array of ceil(n / 8) limbs, trimmed of the zero limbs that
// zero bytes at the significant end leave.

BigNat_ bigNatFromAddrLE_(Word n, const void* p) {
  if (n == 0) return bigNatZero_();
  const auto* b = static_cast<const unsigned char*>(p);
  const auto full = static_cast<Int>(n / kWordBytes);
  const Word rest = n % kWordBytes;
  return withNewWordArrayTrimmed_(full + (rest != 0 ? 1 : 0), [&](MutableWordArray_& r) {
    if (rest != 0) r[full] = wordFromAddrLE_(rest, b + n - rest);
    loadLimbsLE(r.data(), b, full);
  });
}

BigNat_ bigNatFromAddrBE_(Word n, const void* p) {
  if (n == 0) return bigNatZero_();
  const auto* b = static_cast<const unsigned char*>(p);
  const auto full = static_cast<Int>(n / kWordBytes);
  const Word rest = n % kWordBytes;
  return withNewWordArrayTrimmed_(full + (rest != 0 ? 1 : 0), [&](MutableWordArray_& r) {
    if (rest != 0) r[full] = wordFromAddrBE_(rest, b);
    const unsigned char* q = b + rest;
    for (Int i = full - 1; i >= 0; --i, q += kWordBytes) r[i] = wordFromAddrBE_(8, q);
  });
}

BigNat_ bigNatFromByteArrayLE_(Word n, const ByteArray_& arr, Word offset) {
  detail::checkByteRange(offset, n, arr.size());
  return bigNatFromAddrLE_(n, arr.data() + offset);
}

BigNat_ bigNatFromByteArrayBE_(Word n, const ByteArray_& arr, Word offset) {
  detail::checkByteRange(offset, n, arr.size());
  return bigNatFromAddrBE_(n, arr.data() + offset);
}

NUMKIT_END_NAMESPACE
