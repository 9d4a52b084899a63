#include "support/Special.hpp"

namespace numtest {

namespace {

constexpr Word kTop = Word{1} << 63;
constexpr Word kOnes = ~Word{0};

std::vector<Word> powerOfTwo(int k) {
  std::vector<Word> v(static_cast<std::size_t>(k / 64) + 1, 0);
  v.back() = Word{1} << (k % 64);
  return v;
}

}  // namespace

const std::vector<std::vector<Word>>& specialMagnitudes() {
  static const std::vector<std::vector<Word>> values = [] {
    std::vector<std::vector<Word>> v = {
        {},
        {1},
        {2},
        {kTop - 1},
        {kTop},
        {kTop + 1},
        {kOnes - 1},
        {kOnes},
        {0, 1},
        {1, 1},
        {kOnes, 1},
        {0, 2},
        {0, kTop},
        {kOnes, (Word{1} << 62) - 1},  // 2^126 - 1 and 2^126: where the
        {0, Word{1} << 62},            // 128-bit sum paths stop
        {kOnes, kOnes},
        {0, 0, 1},
        {kOnes, kOnes, kOnes},
        {kOnes, kOnes, kOnes, kOnes, kOnes},
        {1, 0, 0, 1},
        {0, 0, 0, kTop},
        {0x0123456789abcdefULL, 0xfedcba9876543210ULL, 0x1ULL},
        {kOnes, 0, kOnes, 0, 7},
    };
    for (int k : {95, 96, 127, 191, 192, 255, 256, 319, 640}) v.push_back(powerOfTwo(k));
    return v;
  }();
  return values;
}

const std::vector<Signed>& specialSigned() {
  static const std::vector<Signed> values = [] {
    std::vector<Signed> v;
    for (const auto& m : specialMagnitudes()) {
      v.push_back({false, m});
      if (!m.empty()) v.push_back({true, m});
    }
    return v;
  }();
  return values;
}

std::vector<std::vector<Word>> shapesOfSizes(const std::vector<std::size_t>& sizes) {
  std::vector<std::vector<Word>> v;
  for (const std::size_t n : sizes) {
    std::vector<Word> lone(n - 1, 0);
    lone.push_back(1);
    std::vector<Word> high(n - 1, 0x0123456789abcdefULL);
    high.push_back(kTop);
    for (const std::vector<Word>& m : {std::vector<Word>(n, kOnes), lone, high}) {
      for (const Word flip : {Word{0}, Word{1}, kTop}) {
        std::vector<Word> t = m;
        t[0] ^= flip;
        while (!t.empty() && t.back() == 0) t.pop_back();
        v.push_back(t);
      }
    }
  }
  return v;
}

const std::vector<std::vector<Word>>& shortShapes() {
  static const std::vector<std::vector<Word>> values = shapesOfSizes({1, 2, 3, 4, 5});
  return values;
}

const std::vector<Word>& specialWords() {
  static const std::vector<Word> values = [] {
    std::vector<Word> v = {0,        1,    2,        3,         10,   255, 256, Word{1} << 32,
                           kTop - 1, kTop, kTop + 1, kOnes - 1, kOnes};
    for (int k = 1; k < 64; k += 7) v.push_back(Word{1} << k);
    return v;
  }();
  return values;
}

}  // namespace numtest
