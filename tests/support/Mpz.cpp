#include "support/Mpz.hpp"

#include <algorithm>
#include <ostream>

namespace numtest {

Mpz Mpz::fromLimbs(const std::vector<Word>& limbs, bool negative) {
  Mpz m;
  if (!limbs.empty()) mpz_import(m.z_, limbs.size(), -1, sizeof(Word), 0, 0, limbs.data());
  if (negative) mpz_neg(m.z_, m.z_);
  return m;
}

Mpz Mpz::fromWordList(const std::vector<Word>& msFirst, bool negative) {
  std::vector<Word> ls(msFirst.rbegin(), msFirst.rend());
  return fromLimbs(ls, negative);
}

std::vector<Word> Mpz::limbs() const {
  std::vector<Word> v(mpz_size(z_));
  size_t count = 0;
  if (!v.empty()) mpz_export(v.data(), &count, -1, sizeof(Word), 0, 0, z_);
  v.resize(count);
  return v;
}

std::vector<Word> Mpz::wordList() const {
  std::vector<Word> v = limbs();
  std::reverse(v.begin(), v.end());
  return v;
}

std::string Mpz::str(int base) const {
  std::string s(mpz_sizeinbase(z_, base) + 2, '\0');
  mpz_get_str(s.data(), base, z_);
  s.resize(std::char_traits<char>::length(s.c_str()));
  return s;
}

void PrintTo(const Mpz& m, std::ostream* os) { *os << "0x" << m.str(16); }

}  // namespace numtest
