// The shared special values: magnitudes (limbs, least significant first)
// around every boundary the library cares about.
#pragma once

#include <cstddef>
#include <vector>

#include "Num/Runtime.hpp"

namespace numtest {

using num::Int;
using num::Word;

// 0, 1, 2, 2^63 - 1, 2^63, 2^63 + 1, 2^64 - 1, 2^64, 2^64 + 1, 2^65,
// 2^127, 2^128 - 1, 2^128, all-one limbs of 3 and 5 limbs, powers of two
// around limb boundaries, and a few fixed multi-limb values.
const std::vector<std::vector<Word>>& specialMagnitudes();

// Signed special values as (negative, magnitude): every special magnitude
// with both signs (zero once).
struct Signed {
  bool negative;
  std::vector<Word> magnitude;
};
const std::vector<Signed>& specialSigned();

// Magnitudes of one to five limbs in three patterns (all-one limbs, a lone
// top limb of 1, a top limb of 2^63 over fixed limbs), each with two twins
// that differ from it in the lowest limb only (by 1, by 2^63): every pairing
// of sizes and the carries, borrows and cancellations of short sums,
// differences and products.  Normalised (a twin may be shorter, or zero).
const std::vector<std::vector<Word>>& shortShapes();
// The same patterns for magnitudes of the given sizes (each at least 1).
std::vector<std::vector<Word>> shapesOfSizes(const std::vector<std::size_t>& sizes);

// Special single words: 0, 1, 2, 3, 2^32, 2^63 - 1, 2^63, 2^63 + 1, 2^64 - 2,
// 2^64 - 1 and powers of two.
const std::vector<Word>& specialWords();

}  // namespace numtest
