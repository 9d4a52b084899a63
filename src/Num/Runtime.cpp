// The memory service, the floating-point helpers and the exceptions.
#include "Num/Runtime.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

NUMKIT_BEGIN_NAMESPACE

const char* ArithmeticError::what() const noexcept { return "arithmetic error"; }
const char* DivideByZero::what() const noexcept { return "divide by zero"; }
const char* Underflow::what() const noexcept { return "arithmetic underflow"; }
const char* Overflow::what() const noexcept { return "arithmetic overflow"; }

void raiseDivZero() { throw DivideByZero(); }
void raiseUnderflow() { throw Underflow(); }
void raiseOverflow() { throw Overflow(); }

namespace {
// Beyond this magnitude every exponent gives an infinity or zero for any
// 64-bit mantissa, so clamping it keeps ldexp's int argument exact.
constexpr Int kExponentClamp = 4096;

int clampExponent(Int e) noexcept {
  return static_cast<int>(std::clamp(e, -kExponentClamp, kExponentClamp));
}
}  // namespace

double encodeDoubleInt(Int m, Int e) noexcept {
  return std::ldexp(static_cast<double>(m), clampExponent(e));
}

double encodeDoubleWord(Word m, Int e) noexcept {
  return std::ldexp(static_cast<double>(m), clampExponent(e));
}

std::pair<Int, Int> decodeDouble(double d) noexcept {
  if (d == 0.0 || !std::isfinite(d)) return {0, 0};
  int e = 0;
  const double f = std::frexp(d, &e);  // 0.5 <= |f| < 1
  // f * 2^53 is an integer below 2^53 in magnitude: exact.
  return {static_cast<Int>(std::ldexp(f, 53)), static_cast<Int>(e) - 53};
}

namespace rt {
constinit StaticBlock<0> emptyBlock{{kImmortal, 0}, {0}};

BlockHeader* allocateBlock(std::size_t bytes) {
  void* p = std::malloc(sizeof(BlockHeader) + bytes);
  if (p == nullptr) throw std::bad_alloc();
  return new (p) BlockHeader{1, bytes};
}

void freeBlock(BlockHeader* h) noexcept {
  assert(!isImmortal(h));
  h->~BlockHeader();
  std::free(h);
}
}  // namespace rt

NUMKIT_END_NAMESPACE
