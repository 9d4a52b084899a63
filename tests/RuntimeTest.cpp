// The memory service, the float helpers and the exceptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "Num/Runtime.hpp"

namespace {

using num::Int;
using num::MutableWordArray_;
using num::Word;
using num::WordArray_;

TEST(Runtime, CopiesShareTheBlockAndCountReferences) {
  MutableWordArray_ m = MutableWordArray_::allocate(3);
  m[0] = 1;
  m[1] = 2;
  m[2] = 3;
  const auto* block = m.block();
  WordArray_ a = std::move(m).freeze();
  EXPECT_EQ(a.block(), block) << "freezing must not copy";
  EXPECT_EQ(a.block()->refs.load(), 1);
  {
    WordArray_ b = a;
    EXPECT_TRUE(b.sameBlock(a));
    EXPECT_EQ(a.block()->refs.load(), 2);
  }
  EXPECT_EQ(a.block()->refs.load(), 1);
  EXPECT_EQ(a.size(), 3);
  EXPECT_EQ(a[2], 3U);
}

TEST(Runtime, ShrinkingLowersTheRecordedSizeInPlace) {
  MutableWordArray_ m = MutableWordArray_::allocate(4);
  const auto* block = m.block();
  m.setSize(1);
  EXPECT_EQ(m.size(), 1);
  EXPECT_EQ(m.sizeBytes(), 8U);
  EXPECT_EQ(m.block(), block);
  auto bytes = MutableWordArray_::allocateBytes(13);
  EXPECT_EQ(bytes.size(), 1) << "13 bytes hold one whole word";
}

TEST(Runtime, EmptyArraysAreImmortalAndNeverCounted) {
  WordArray_ e;
  const auto before = e.block()->refs.load();
  std::vector<WordArray_> copies(1000, e);
  EXPECT_EQ(e.block()->refs.load(), before);
  EXPECT_EQ(e.size(), 0);
  EXPECT_TRUE(copies.back().sameBlock(WordArray_()));
}

TEST(Runtime, ConcurrentCopiesKeepTheCountExact) {
  WordArray_ a = MutableWordArray_::allocate(2).freeze();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&a] {
      for (int i = 0; i < 100000; ++i) {
        WordArray_ c = a;
        WordArray_ d = std::move(c);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(a.block()->refs.load(), 1);
}

TEST(Runtime, EveryBlockHasRoomForItsSizeAndFourWords) {
  // Under AddressSanitizer every block comes straight from malloc, so a write
  // past the room a block promises is reported.
  for (std::size_t bytes : {0, 1, 8, 31, 32, 33, 100, 512, 513, 4096, 16384, 16385, 40000}) {
    num::rt::BlockHeader* h = num::rt::allocateBlock(bytes);
    const std::size_t room = std::max(bytes, num::rt::kMinCapacityBytes);
    std::memset(num::rt::payload(h), 0xA5, room);
    EXPECT_EQ(h->bytes, bytes);
    EXPECT_EQ(h->refs.load(), 1);
    num::rt::freeBlock(h);
  }
}

TEST(Runtime, BlocksRecycledAcrossThreadsStayIntact) {
  // Threads allocate blocks of every size class, hand half of them to the
  // next thread and free the rest; every block keeps its contents until freed.
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::vector<std::vector<WordArray_>> handOff(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &handOff] {
      std::vector<WordArray_> mine;
      for (int r = 0; r < kRounds; ++r) {
        const Int n = 1 + (r * 7 + t) % 700;
        MutableWordArray_ m = MutableWordArray_::allocate(n);
        for (Int i = 0; i < n; ++i) m[i] = static_cast<Word>(n + i);
        mine.push_back(std::move(m).freeze());
        if (mine.size() > 16) mine.erase(mine.begin(), mine.begin() + 8);
        for (const WordArray_& a : mine) {
          ASSERT_EQ(a[a.size() - 1], static_cast<Word>(2 * a.size() - 1));
        }
      }
      handOff[static_cast<std::size_t>((t + 1) % kThreads)] = mine;
    });
  }
  for (auto& t : threads) t.join();
  for (const auto& v : handOff) {
    for (const WordArray_& a : v) EXPECT_EQ(a[0], static_cast<Word>(a.size()));
  }
}

// The blocks on a thread's free list, walked through their links.
[[maybe_unused]] int listLength(const num::rt::BlockHeader* h) {
  int n = 0;
  for (; h != nullptr; ++n) {
    h = *reinterpret_cast<const num::rt::BlockHeader* const*>(num::rt::payload(h));
  }
  return n;
}

TEST(Runtime, DroppedBlocksFillTheirListsOnlyUpToTheirRoom) {
#if NUMKIT_ASAN
  GTEST_SKIP() << "cached payloads are poisoned, links included";
#else
  // On a fresh thread, drop many blocks of the smallest class, of a class of
  // 32 blocks and of a class of 2: each list fills to its limit (no room
  // left, at most 32 blocks) and the rest goes back to malloc.
  std::thread([] {
    for (Int n : {3, 10, 300}) {
      std::vector<WordArray_> held;
      held.reserve(100);
      for (int i = 0; i < 100; ++i) held.push_back(MutableWordArray_::allocate(n).freeze());
    }
    const num::rt::SmallBlockList& small = num::rt::smallBlocks;
    if (small.head == nullptr) GTEST_SKIP() << "the block cache is off";
    EXPECT_EQ(small.room, 0);
    EXPECT_EQ(listLength(small.head), 32);
    const num::rt::LargerBlockLists& larger = num::rt::largerBlocks;
    for (std::size_t c : {2, 7}) {
      EXPECT_EQ(static_cast<int>(larger.room[c]), 0) << "class " << c;
      EXPECT_EQ(listLength(larger.head[c]), c == 2 ? 32 : 2) << "class " << c;
    }
  }).join();
#endif
}

TEST(Runtime, AbsurdSizesRaiseBadAllocInsteadOfWrapping) {
  // Each of these sizes wraps to a small number somewhere on the way to
  // malloc unless it is checked first.
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  for (std::size_t bytes : {kMax, kMax - 7, kMax - 30, num::rt::kMaxBlockBytes + 1}) {
    EXPECT_THROW(num::rt::allocateBlock(bytes), std::bad_alloc) << bytes;
    EXPECT_THROW(num::MutableByteArray_::allocate(bytes), std::bad_alloc) << bytes;
    EXPECT_THROW(MutableWordArray_::allocateBytes(bytes), std::bad_alloc) << bytes;
  }
  for (Int words : {Int{1} << 61, (Int{1} << 61) + 1, std::numeric_limits<Int>::max(),
                    static_cast<Int>(num::rt::kMaxBlockBytes / 8 + 1)}) {
    EXPECT_THROW(MutableWordArray_::allocate(words), std::bad_alloc) << words;
  }
}

// Use after free through a block the cache recycled: the cached payload is
// poisoned, so AddressSanitizer reports the stale read.
TEST(RuntimeDeathTest, UseAfterFreeOfACachedBlockIsReported) {
#if NUMKIT_ASAN
  for (Int n : {1, 3, 40}) {
    EXPECT_DEATH(
        {
          const Word* stale = nullptr;
          {
            WordArray_ a = MutableWordArray_::allocate(n).freeze();
            stale = a.data();
          }
          WordArray_ keep = MutableWordArray_::allocate(n + 100).freeze();
          std::printf("%lu\n", static_cast<unsigned long>(stale[0]));
        },
        "use-after-poison")
        << n << " words";
  }
#else
  GTEST_SKIP() << "AddressSanitizer is what reports it";
#endif
}

#if !NUMKIT_ASAN
// With NUMKIT_BLOCK_CACHE=0 at start-up no freed block is kept: the inline
// list stays empty, with no room.  Run in a fresh process, as the setting is
// read once.
TEST(RuntimeDeathTest, TheCacheCanBeTurnedOffAtStartUp) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto freeSmallBlocks = [] {
    for (int i = 0; i < 3; ++i) WordArray_ a = MutableWordArray_::allocate(2).freeze();
    return num::rt::smallBlocks.head != nullptr;
  };
  EXPECT_EXIT(
      {
        setenv("NUMKIT_BLOCK_CACHE", "0", 1);
        std::exit(freeSmallBlocks() || num::rt::smallBlocks.room != 0 ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        unsetenv("NUMKIT_BLOCK_CACHE");
        std::exit(freeSmallBlocks() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "")
      << "the cache is on by default";
}
#endif

TEST(Runtime, ExceptionsAreDistinctArithmeticErrors) {
  EXPECT_THROW(num::raiseDivZero(), num::DivideByZero);
  EXPECT_THROW(num::raiseUnderflow(), num::Underflow);
  EXPECT_THROW(num::raiseOverflow(), num::Overflow);
  EXPECT_THROW(num::raiseOverflow(), num::ArithmeticError);
  try {
    num::raiseUnderflow();
  } catch (const num::DivideByZero&) {
    FAIL() << "underflow caught as divide by zero";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "arithmetic underflow");
  }
}

TEST(Runtime, EncodeDoubleHandlesEveryExponent) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Int m, e;
    double want;
  } cases[] = {
      {3, 2, 12.0},
      {-3, -1, -1.5},
      {1, 1023, std::ldexp(1.0, 1023)},
      {1, 1024, inf},
      {-1, 1024, -inf},
      {1, -1074, std::ldexp(1.0, -1074)},
      {1, -1075, 0.0},
      {1, Int{1} << 40, inf},
      {-1, Int{1} << 62, -inf},
      {1, -(Int{1} << 62), 0.0},
      {std::numeric_limits<Int>::min(), std::numeric_limits<Int>::min(), -0.0},
      {0, Int{1} << 40, 0.0},
  };
  for (const auto& c : cases) {
    const double got = num::encodeDoubleInt(c.m, c.e);
    EXPECT_EQ(got, c.want) << c.m << " * 2^" << c.e;
    EXPECT_EQ(std::signbit(got), std::signbit(c.want)) << c.m << " * 2^" << c.e;
  }
  EXPECT_EQ(num::encodeDoubleWord(~Word{0}, -64), 1.0);  // rounds to 2^64 first
  EXPECT_EQ(num::encodeDoubleWord(Word{1} << 63, -63), 1.0);
}

TEST(Runtime, DecodeDoubleIsExact) {
  for (double d : {1.0, -1.0, 0.75, 12.0, 1e300, -1e-300, 5e-324, 3.141592653589793}) {
    const auto [m, e] = num::decodeDouble(d);
    EXPECT_EQ(num::encodeDoubleInt(m, e), d) << d;
    EXPECT_LT(m < 0 ? -m : m, Int{1} << 53);
  }
  EXPECT_EQ(num::decodeDouble(0.0), (std::pair<Int, Int>{0, 0}));
}

}  // namespace
