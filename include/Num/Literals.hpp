// Literals of any length: 123_n is a Natural and 123_z an Integer.
//
//   using namespace num::literals;
//   const num::Natural big = 340282366920938463463374607431768211456_n;  // 2^128
//   const num::Integer mask = -0xffff'ffff'ffff'ffff'ffff_z;
//
// The digits follow C++ integer literals: decimal, 0x or 0X hexadecimal, 0b
// or 0B binary, octal after a leading 0, with ' between digits; the
// compiler checks that spelling.  A minus sign is the unary operator -
// applied to the literal.  A floating literal such as 1.5_n does not
// compile.  The value is built at run time (each evaluation converts the
// digits); bind a literal used in a loop to a variable.  The operators raise
// std::invalid_argument for a spelling no integer literal has, which the
// compiler never passes them.
#pragma once

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace literals {

NUMKIT_API Natural operator""_n(const char* literal);
NUMKIT_API Integer operator""_z(const char* literal);
// Floating literals have no Natural or Integer value.
Natural operator""_n(long double) = delete;
Integer operator""_z(long double) = delete;

}  // namespace literals
NUMKIT_END_NAMESPACE
