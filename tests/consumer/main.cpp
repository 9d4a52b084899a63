// A program built against the installed headers and library, with every
// warning an application may turn on (see CMakeLists.txt beside it).  It runs
// the inline paths a caller compiles in (single-word sums that carry into a
// second limb, multi-word comparisons, the operators) and the out-of-line
// ones they fall back to, and checks each result by its limbs.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "numkit.hpp"

namespace {

using num::Integer;
using num::Natural;
using num::Word;
using Limbs = std::vector<Word>;  // most significant first

constexpr Word kMax = ~Word{0};

int failures = 0;

void check(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAILED: %s\n", what);
    ++failures;
  }
}

Limbs limbsOf(const Natural& n) {
  return n.isNS() ? Limbs{n.word()} : num::bigNatToWordList(n.bigNat());
}

Limbs limbsOf(const Integer& x) {
  return x.isIS() ? Limbs{static_cast<Word>(x.intValue())} : num::bigNatToWordList(x.magnitude());
}

Natural natural(std::initializer_list<Word> msFirst) {
  return num::naturalFromWordList(std::vector<Word>(msFirst));
}

Integer integer(bool negative, std::initializer_list<Word> msFirst) {
  return num::integerFromWordList(negative, std::vector<Word>(msFirst));
}

void naturals() {
  const Natural max = kMax;
  const Natural two64 = max + Natural(1U);  // carries out of the word
  check(two64.isNB() && limbsOf(two64) == Limbs{1, 0}, "2^64-1 + 1 = 2^64");
  check(two64 - Natural(1U) == max && (two64 - Natural(1U)).isNS(), "2^64 - 1 is one word again");
  check(max + max == natural({1, kMax - 1}), "(2^64-1) * 2");

  const Natural wide = natural({kMax, kMax});
  const Natural three = wide + Natural(1U);  // carries past two limbs
  check(limbsOf(three) == Limbs{1, 0, 0}, "2^128-1 + 1 = 2^128");
  check(three - wide == Natural(1U), "2^128 - (2^128-1)");

  check(wide < three && three > wide && wide != three, "two limbs < three limbs");
  check(natural({1, 0}) < natural({1, 1}) && natural({2, 0}) > natural({1, kMax}),
        "two-limb values ordered by the high limb, then the low");
  check(max < two64 && !(two64 < max), "a word below a two-limb value");

  Natural acc;
  for (int i = 0; i < 4; ++i) acc += max;
  check(limbsOf(acc) == Limbs{3, kMax - 3}, "four times 2^64-1 by +=");
  for (int i = 0; i < 4; ++i) acc -= max;
  check(acc == Natural(0U) && acc.isNS(), "back to zero by -=");
}

void integers() {
  const Integer top = INT64_MAX;
  const Integer bottom = INT64_MIN;
  const Integer two63 = top + Integer(1);
  check(two63.isIP() && limbsOf(two63) == Limbs{Word{1} << 63}, "2^63-1 + 1 = 2^63");
  const Integer below = bottom - Integer(1);
  check(below.isIN() && limbsOf(below) == Limbs{(Word{1} << 63) + 1}, "-2^63 - 1");
  check(two63 - Integer(1) == top && (two63 - Integer(1)).isIS(), "2^63 - 1 is one word again");
  check(-two63 + two63 == Integer(0), "-2^63 + 2^63 = 0");

  const Integer big = integer(false, {1, 0, 0});
  const Integer bigger = integer(false, {1, 0, 1});
  check(big < bigger && -bigger < -big && -big < big, "three-limb values ordered with signs");
  check(below < bottom && bottom < top && top < two63, "words between multi-word values");
  check(bigger - big == Integer(1) && big + big - big == big, "multi-word differences");
  check(limbsOf(integer(false, {kMax, kMax}) + Integer(1)) == Limbs{1, 0, 0},
        "2^128-1 + 1 = 2^128");

  Integer acc = bottom;
  for (int i = 0; i < 3; ++i) acc -= top;
  check(acc.isIN() && limbsOf(acc) == Limbs{1, kMax - 2}, "-2^63 - 3 (2^63-1) by -=");
  for (int i = 0; i < 3; ++i) acc += top;
  check(acc == bottom && acc.isIS(), "back to -2^63 by +=");
}

}  // namespace

int main() {
  naturals();
  integers();
  std::puts(failures == 0 ? "consumer ok" : "consumer FAILED");
  return failures == 0 ? 0 : 1;
}
