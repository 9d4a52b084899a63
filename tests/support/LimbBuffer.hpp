// Output buffers for C limb functions: the stated room filled with garbage,
// followed by guard limbs that must survive the call.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "Num/Runtime.hpp"

namespace numtest {

class LimbBuffer {
 public:
  static constexpr num::Word kGarbage = 0x5a5a5a5a5a5a5a5aULL;
  static constexpr num::Word kGuard = 0xdeadbeefcafef00dULL;
  static constexpr std::size_t kGuards = 2;

  explicit LimbBuffer(std::size_t room) : room_(room), v_(room + kGuards, kGarbage) {
    for (std::size_t i = room; i < v_.size(); ++i) v_[i] = kGuard;
  }

  num::Word* data() { return v_.data(); }
  num::Word operator[](std::size_t i) const { return v_[i]; }
  // The first n limbs written, or the whole stated room.
  std::vector<num::Word> prefix(std::size_t n) const {
    return {v_.begin(), v_.begin() + static_cast<std::ptrdiff_t>(n)};
  }
  std::vector<num::Word> all() const { return prefix(room_); }
  // The first n limbs without their top zero limbs.
  std::vector<num::Word> trimmed(std::size_t n) const {
    std::vector<num::Word> r = prefix(n);
    while (!r.empty() && r.back() == 0) r.pop_back();
    return r;
  }
  // True when nothing was written past the stated room.
  bool guardsIntact() const {
    for (std::size_t i = room_; i < v_.size(); ++i) {
      if (v_[i] != kGuard) return false;
    }
    return true;
  }

 private:
  std::size_t room_;
  std::vector<num::Word> v_;
};

}  // namespace numtest
