// Hashes of multi-limb magnitudes.
#include "Num/Hash.hpp"

NUMKIT_BEGIN_NAMESPACE

namespace {

// A full-avalanche bijection of a word (the finaliser of a well-known
// 64-bit hash): every input bit flips each output bit with probability
// about one half.
constexpr Word mix64(Word h) noexcept {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdU;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53U;
  h ^= h >> 33;
  return h;
}

}  // namespace

namespace detail {

std::size_t hashMagnitude(const BigNat_& m, bool negative) noexcept {
  const Int n = m.size();
  // A magnitude of one limb or none is a single word, whichever form holds it.
  if (n <= 1) {
    const Word w = n == 0 ? 0 : m[0];
    if (!negative) return hashWord(w);
    // -w as a signed word when it is one (as an IS holds it), else its low
    // word marked as below the range.
    constexpr Word kTop = Word{1} << 63;
    return static_cast<std::size_t>(w <= kTop ? Word{0} - w : (Word{0} - w) ^ kHashBelow);
  }
  // A sum of one mixed term per limb: each term is a bijection of its limb
  // (salted by the limb's position), so values of the same length that
  // differ in one limb never collide, and the terms do not wait for each
  // other, so the limbs are hashed side by side, not one after another.
  const Word* p = m.data();
  Word h = static_cast<Word>(n) * 0x9e3779b97f4a7c15U;
  Word salt = 0;
  for (Int i = 0; i < n; ++i) {
    salt += 0xc2b2ae3d27d4eb4fU;
    h += mix64(p[i] ^ salt);
  }
  return static_cast<std::size_t>(negative ? ~h : h);
}

}  // namespace detail

NUMKIT_END_NAMESPACE
