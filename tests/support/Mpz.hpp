// GMP's mpz as the reference of the tests: an owning wrapper and
// conversions through limb vectors (least significant first) and word lists
// (most significant first).
#pragma once

#include <gmp.h>

#include <string>
#include <vector>

#include "Num/Runtime.hpp"

namespace numtest {

using num::Int;
using num::Word;

class Mpz {
 public:
  Mpz() { mpz_init(z_); }
  explicit Mpz(Word w) { mpz_init_set_ui(z_, w); }
  static Mpz fromInt(Int i) {
    Mpz m;
    mpz_set_si(m.z_, i);
    return m;
  }
  // The value sign * {limbs} (limbs least significant first, any top zeros).
  static Mpz fromLimbs(const std::vector<Word>& limbs, bool negative = false);
  // The value of a word list, most significant first.
  static Mpz fromWordList(const std::vector<Word>& msFirst, bool negative = false);
  Mpz(const Mpz& o) { mpz_init_set(z_, o.z_); }
  Mpz& operator=(const Mpz& o) {
    mpz_set(z_, o.z_);
    return *this;
  }
  ~Mpz() { mpz_clear(z_); }

  mpz_ptr get() { return z_; }
  mpz_srcptr get() const { return z_; }
  int sign() const { return mpz_sgn(z_); }
  // |value| as normalised limbs, least significant first (empty for zero).
  std::vector<Word> limbs() const;
  // |value| as a word list, most significant first (empty for zero).
  std::vector<Word> wordList() const;
  std::string str(int base = 16) const;

  friend bool operator==(const Mpz& a, const Mpz& b) { return mpz_cmp(a.z_, b.z_) == 0; }

 private:
  mpz_t z_;
};

// Lets gtest print Mpz values in failure messages.
void PrintTo(const Mpz& m, std::ostream* os);

}  // namespace numtest
