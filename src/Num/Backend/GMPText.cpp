// The text kernels on GMP's mpn_get_str and mpn_set_str.
#include <gmp.h>

#include <bit>
#include <cassert>
#include <cstring>
#include <memory>

#include "Num/Backend/Digits.hpp"
#include "Num/WordArray.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace backend::gmp {

std::size_t bignat_to_digits(unsigned char* out, const WordArray_& a, int base) {
  const Int n = a.size();
  assert(n >= 1 && a[n - 1] != 0 && base >= 2 && base <= 36);
  // mpn_get_str clobbers its input for every base but the powers of two, and
  // the magnitude is shared and immutable: convert a scratch copy.  Its room
  // rule (mpn_sizeinbase + 1 bytes) is met by bigNatDigitsRoom, which is at
  // least the exact count plus 2, while mpn_sizeinbase is at most one more
  // than the exact count.
  // Short magnitudes are copied to the stack.
  const bool powerOfTwo = (base & (base - 1)) == 0;
  constexpr Int kStackLimbs = 64;
  Word onStack[kStackLimbs];
  std::unique_ptr<Word[]> onHeap;
  Word* src = const_cast<Word*>(a.data());  // only read when base is a power of two
  if (!powerOfTwo) {
    if (n > kStackLimbs) {
      onHeap = std::make_unique_for_overwrite<Word[]>(static_cast<std::size_t>(n));
      src = onHeap.get();
    } else {
      src = onStack;
    }
    std::memcpy(src, a.data(), static_cast<std::size_t>(n) * sizeof(Word));
  }
  std::size_t count = mpn_get_str(out, base, src, n);
  // Normalised input gives no leading zero; strip any defensively.
  std::size_t lead = 0;
  while (lead + 1 < count && out[lead] == 0) ++lead;
  if (lead != 0) {
    std::memmove(out, out + lead, count - lead);
    count -= lead;
  }
  return count;
}

WordArray_ bignat_from_digits(const unsigned char* digits, std::size_t n, int base) {
  assert(n >= 1 && base >= 2 && base <= 36);
  // mpn_set_str needs room for the largest n-digit number plus one limb:
  // n * ceil(log2 base) bits, rounded up to limbs, and two more.
  const auto bitsPerDigit =
      static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(base - 1)));
  const auto limbs =
      static_cast<Int>(n / 64 * bitsPerDigit + (n % 64 * bitsPerDigit + 63) / 64 + 2);
  MutableWordArray_ r = newWordArray_(limbs);
  const mp_size_t rn = mpn_set_str(r.data(), digits, n, base);
  // Leading zero digits may leave high zero limbs, or rn = 0 for zero.
  mwaSetSize_(r, rn);
  mwaTrimZeroes_(r);
  return std::move(r).freeze();
}

}  // namespace backend::gmp
NUMKIT_END_NAMESPACE
