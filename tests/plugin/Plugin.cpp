// A plugin built on numkit for a host that does not link numkit and loads the
// plugin with dlopen, so libnumkit.so comes in at run time too and its
// thread-local block lists must fit in what the host's threads can still
// take.  The one entry point runs multi-word Integer arithmetic, which
// allocates and frees blocks through the calling thread's lists.
#include <cstdint>
#include <vector>

#include "numkit.hpp"

namespace {

using num::Integer;
using num::Word;

// The limbs of x's magnitude, most significant first.
std::vector<Word> limbs(const Integer& x) {
  if (x.isIS()) return {static_cast<Word>(x.intValue())};
  return num::bigNatToWordList(x.magnitude());
}

}  // namespace

// Adds 2^64 `rounds` times as (2^63 - 1) + (2^63 - 1) + 2, checks the sum's
// limbs, then subtracts it back to zero the same way.  Returns 0 when every
// result is right, the number of the first wrong check otherwise.
extern "C" __attribute__((visibility("default"))) int numkit_plugin_run(long rounds) {
  const Integer top = INT64_MAX;
  const Integer two = 2;
  Integer acc;
  for (long i = 0; i < rounds; ++i) acc = acc + top + top + two;
  if (!acc.isIP()) return 1;
  if (limbs(acc) != std::vector<Word>{static_cast<Word>(rounds), 0}) return 2;
  Integer back = acc;
  for (long i = 0; i < rounds; ++i) back = back - top - top - two;
  if (!back.isIS() || back.intValue() != 0) return 3;
  if (-acc + acc != Integer(0) || !(-acc < back) || !(back < acc)) return 4;
  return 0;
}
