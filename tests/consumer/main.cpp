// Uses the installed headers and library: 2^64 - 1 + 1 has the limbs [0, 1].
#include <cstdio>
#include <vector>

#include "Num/BigNat.hpp"

int main() {
  const num::BigNat_ sum = num::bigNatAddWord(num::bigNatFromWord(~num::Word{0}), 1);
  const std::vector<num::Word> words = num::bigNatToWordList(sum);
  const bool ok = words == std::vector<num::Word>{1, 0};
  std::puts(ok ? "consumer ok" : "consumer FAILED");
  return ok ? 0 : 1;
}
