// Natural and Integer values shared between threads: copying, computing
// with and dropping the same values (and the shared constants) at the same
// time must leave every value intact and every reference count where it was.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"
#include "support/Random.hpp"
#include "support/ValueMpz.hpp"

namespace numtest {
namespace {

using num::Integer;
using num::Natural;

constexpr int kThreads = 4;
constexpr auto kRunTime = std::chrono::milliseconds(1500);

// What a value looked like before the threads started.
struct Snapshot {
  bool negative;
  std::vector<Word> wordList;
  std::int64_t refs;
};

Snapshot snapshot(const Integer& x) {
  return {x.isIN(), num::bigNatToWordList(x.magnitude()),
          x.magnitude().block()->refs.load(std::memory_order_relaxed)};
}
Snapshot snapshot(const Natural& n) {
  return {false, num::bigNatToWordList(n.bigNat()),
          n.bigNat().block()->refs.load(std::memory_order_relaxed)};
}

// Values handed from thread to thread, so blocks allocated on one thread are
// released on another.
class Exchange {
 public:
  explicit Exchange(std::size_t n) : slots_(n) {}
  void swap(std::size_t i, Integer& x) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::swap(slots_[i % slots_.size()], x);
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Integer& x : slots_) x = Integer();
  }

 private:
  std::mutex mutex_;
  std::vector<Integer> slots_;
};

TEST(Concurrency, SharedValuesStayIntactAndCountsBalance) {
  Rng rng;
  std::vector<Integer> ints;
  std::vector<Natural> nats;
  for (int i = 0; i < 24; ++i) {
    const std::vector<Word> limbs = rng.limbs(2, 20);
    ints.push_back(makeInteger(i % 2 == 1, limbs));
    nats.push_back(makeNatural(limbs));
  }
  // The shared constants, with multi-word values next to them.
  ints.push_back(num::integerTwoPow63());
  ints.push_back(num::integerNegTwoPow64());
  ints.push_back(num::integerMinInt());

  std::vector<Snapshot> intsBefore, natsBefore;
  for (const Integer& x : ints) {
    if (!x.isIS()) intsBefore.push_back(snapshot(x));
  }
  for (const Natural& n : nats) natsBefore.push_back(snapshot(n));

  Exchange exchange(16);
  std::atomic<long> wrong{0};
  std::atomic<long> steps{0};
  const auto deadline = std::chrono::steady_clock::now() + kRunTime;
  auto work = [&](unsigned seed) {
    std::mt19937_64 gen(seed);
    std::vector<Integer> held(8);  // copies kept for a while, then dropped
    std::vector<Natural> heldNats(8);
    long local = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      for (int k = 0; k < 256; ++k, ++local) {
        const Integer& x = ints[gen() % ints.size()];
        const Integer& y = ints[gen() % ints.size()];
        const Integer a = x;  // a copy sharing x's block
        const Integer s = a + y;
        if (s - y != x || -(-a) != x || num::integerAbs(a) != num::integerAbs(-x)) ++wrong;
        // A copy's compound assignment must never write into the limbs it
        // shares with x; once it has limbs of its own they are rewritten.
        Integer acc = a;
        acc += y;
        acc -= y;
        if (acc != x) ++wrong;
        held[gen() % held.size()] = (gen() & 1) != 0 ? a : s;
        Integer passed = s - a;  // equals y; fresh or one of the shared values
        exchange.swap(gen(), passed);

        const Natural& m = nats[gen() % nats.size()];
        const Natural& n = nats[gen() % nats.size()];
        const Natural t = m + n;
        if (num::naturalSubThrow(t, n) != m || num::naturalSub(m, t).has_value() != (n == 0u)) {
          ++wrong;
        }
        Natural nacc = m;
        nacc += n;
        nacc -= n;
        if (nacc != m) ++wrong;
        heldNats[gen() % heldNats.size()] = (gen() & 1) != 0 ? m : t;
      }
    }
    steps += local;
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, static_cast<unsigned>(t + 1));
  for (std::thread& t : threads) t.join();
  exchange.clear();

  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(steps.load(), 0);
  std::size_t i = 0;
  for (const Integer& x : ints) {
    if (x.isIS()) continue;
    const Snapshot now = snapshot(x);
    EXPECT_EQ(now.negative, intsBefore[i].negative) << "integer " << i;
    EXPECT_EQ(now.wordList, intsBefore[i].wordList) << "integer " << i;
    EXPECT_EQ(now.refs, intsBefore[i].refs) << "integer " << i;
    ++i;
  }
  for (std::size_t j = 0; j < nats.size(); ++j) {
    const Snapshot now = snapshot(nats[j]);
    EXPECT_EQ(now.wordList, natsBefore[j].wordList) << "natural " << j;
    EXPECT_EQ(now.refs, natsBefore[j].refs) << "natural " << j;
  }
  // The immortal constants were never counted.
  EXPECT_EQ(num::integerTwoPow63().magnitude().block()->refs.load(), num::rt::kImmortal);
  EXPECT_EQ(num::integerNegTwoPow64().magnitude().block()->refs.load(), num::rt::kImmortal);
}

}  // namespace
}  // namespace numtest
