// The thread's lists of recycled blocks above the smallest class, as the
// library's own code sees them.  Internal to the library: the allocator in
// Runtime.cpp owns and arms the lists; the result paths of a few to a few
// hundred limbs take their block from them inline, without the call and the
// class dispatch of rt::allocateBlock.
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
inline constexpr std::size_t kClasses = 12;  // 32 bytes (4 limbs) .. 64 KiB (8192 limbs)
inline constexpr std::size_t kLargestCachedBytes = kMinCapacityBytes << (kClasses - 1);

// The class of a payload of `bytes` (at most kLargestCachedBytes).
inline std::size_t classOf(std::size_t bytes) noexcept {
  return bytes <= kMinCapacityBytes
             ? 0
             : static_cast<std::size_t>(std::bit_width((bytes - 1) / kMinCapacityBytes));
}

// The lists of the classes above the smallest, linked through their payload;
// with AddressSanitizer the smallest class's list lives here too, out of
// reach of the inline paths.  Trivially constructed, so every access is one
// load relative to the thread pointer.  Zero room means "full", as for
// smallBlocks.
struct OtherLists {
  BlockHeader* head[kClasses];
  std::int8_t room[kClasses];  // at most the largest limit, 32: one byte keeps static TLS small
  bool armed;                  // the thread's lists have been given room and a cleanup
};
extern __thread OtherLists otherLists __attribute__((tls_model("initial-exec")));

// A block for kMinCapacityBytes < bytes <= kLargestCachedBytes from its
// class's list, with one reference; null when that list is empty (or under
// AddressSanitizer, whose poisoning only the out-of-line paths do).
inline BlockHeader* takeListedBlock(std::size_t bytes) noexcept {
#if NUMKIT_ASAN
  (void)bytes;
  return nullptr;
#else
  const std::size_t c = classOf(bytes);
  BlockHeader* h = otherLists.head[c];
  if (h == nullptr) return nullptr;
  otherLists.head[c] = *reinterpret_cast<BlockHeader**>(payload(h));
  ++otherLists.room[c];
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
