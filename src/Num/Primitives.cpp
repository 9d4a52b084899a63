// The out-of-line part of the single-word primitives: the error path of the
// range-checked byte-array encoders.
#include "Num/Primitives.hpp"

#include <stdexcept>
#include <string>

NUMKIT_BEGIN_NAMESPACE

void detail::throwByteRange(Word offset, Word n, std::size_t size) {
  throw std::out_of_range("numkit: " + std::to_string(n) + " byte(s) at offset " +
                          std::to_string(offset) + " lie outside a byte array of " +
                          std::to_string(size) + " byte(s)");
}

NUMKIT_END_NAMESPACE
