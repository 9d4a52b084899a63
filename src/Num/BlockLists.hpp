// The class arithmetic of the thread's lists of recycled blocks, and the
// takes from them that the library's own result paths make inline, without
// the call and the class dispatch of rt::allocateBlock.  Internal to the
// library: the allocator in Runtime.cpp owns and arms the lists.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "Num/Runtime.hpp"

NUMKIT_BEGIN_NAMESPACE
namespace rt {

// Blocks of up to kLargestCachedBytes of payload are allocated with a
// power-of-two capacity of at least kMinCapacityBytes, one class per
// capacity.
inline constexpr std::size_t kClasses = kBlockClasses;
inline constexpr std::size_t kLargestCachedBytes = kMinCapacityBytes << (kClasses - 1);

// The class of a payload of `bytes` (at most kLargestCachedBytes).  Up to
// 16 times the smallest capacity (64 limbs), the common sizes, by
// comparisons: they finish sooner than the bit scan, and an inline take
// waits for the class before it can load the list's head (3 to 8 % faster
// sums and differences of 5 and 10 limbs, six instructions more).
inline std::size_t classOf(std::size_t bytes) noexcept {
  constexpr std::size_t k = kMinCapacityBytes;
  if (bytes <= 16 * k) {
    return static_cast<std::size_t>(bytes > k) + static_cast<std::size_t>(bytes > 2 * k) +
           static_cast<std::size_t>(bytes > 4 * k) + static_cast<std::size_t>(bytes > 8 * k);
  }
  return static_cast<std::size_t>(std::bit_width((bytes - 1) / k));
}

// A block for kMinCapacityBytes < bytes <= kLargestCachedBytes from its
// class's list, with one reference; null when that list is empty (or under
// AddressSanitizer, whose poisoning only the out-of-line paths do).
inline BlockHeader* takeListedBlock(std::size_t bytes) noexcept {
#if NUMKIT_ASAN
  (void)bytes;
  return nullptr;
#else
  const std::size_t c = classOf(bytes);
  BlockHeader* h = largerBlocks.head[c];
  if (h == nullptr) return nullptr;
  largerBlocks.head[c] = *reinterpret_cast<BlockHeader**>(payload(h));
  ++largerBlocks.room[c];
  h->refs.store(1, std::memory_order_relaxed);
  h->bytes = bytes;
  return h;
#endif
}

// A block of `bytes` payload bytes with one reference from the thread's
// lists; null when they hold none of its class.  Never calls, so a path
// that takes its block here and leaves the rare null to another function
// needs no frame of its own.
inline BlockHeader* takeBlock(std::size_t bytes) noexcept {
  if (bytes <= kMinCapacityBytes) return takeSmallBlock(bytes);
  return bytes <= kLargestCachedBytes ? takeListedBlock(bytes) : nullptr;
}

// A new block of `bytes` payload bytes with one reference, from the thread's
// lists without a call when they hold one; as allocateBlock otherwise.
inline BlockHeader* newBlockBytes(std::size_t bytes) {
  BlockHeader* h = takeBlock(bytes);
  return h != nullptr ? h : allocateBlock(bytes);
}

}  // namespace rt
NUMKIT_END_NAMESPACE
