#include "platform/LargePages.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace orrivel::platform {

namespace {

constexpr size_t kLargePage = size_t(2) << 20;
constexpr size_t kSmallPage = 4096;
// From here on a block is rounded up to whole large pages: at most a
// quarter of its mapping is spare.
constexpr size_t kLargeBlock = kLargePage * 3 / 4;
// The block's own bookkeeping sits in front of it: the length of its
// mapping, 0 for a block from calloc. 64 bytes keep the block on a cache
// line.
constexpr size_t kHeader = 64;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;  // calloc keeps overruns visible
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

size_t RoundUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

uint8_t* WithHeader(uint8_t* start, size_t mapped) {
  std::memcpy(start, &mapped, sizeof mapped);
  return start + kHeader;
}

// Asks that the whole 2 MiB stretches inside [data, data + bytes) be backed
// by large pages when first touched.
void PreferLargePages(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  const uintptr_t first = RoundUp(reinterpret_cast<uintptr_t>(data), kLargePage);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) / kLargePage * kLargePage;
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// A mapping of whole large pages starting on a large-page boundary: a
// larger one is made and the ends that do not fit are handed back.
uint8_t* MapLargeBlock(size_t length) {
  const size_t reach = length + kLargePage;
  void* mapped = mmap(nullptr, reach, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t first = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = RoundUp(first, kLargePage);
  if (aligned > first) munmap(mapped, aligned - first);
  const uintptr_t end = first + reach;
  if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
  auto* start = reinterpret_cast<uint8_t*>(aligned);
  PreferLargePages(start, length);
  return start;
}

}  // namespace

uint8_t* AllocateZeroedBlock(size_t bytes) {
  if (bytes > SIZE_MAX - kHeader - kLargePage * 2) return nullptr;
  const size_t whole = bytes + kHeader;
  if (kMapLargeBlocks && whole >= kLargeBlock) {
    const size_t length = RoundUp(whole, kLargePage);
    if (uint8_t* start = MapLargeBlock(length)) return WithHeader(start, length);
  }
  auto* start = static_cast<uint8_t*>(std::calloc(whole, 1));
  return start != nullptr ? WithHeader(start, 0) : nullptr;
}

void ReleaseZeroedBlock(uint8_t* block) {
  if (block == nullptr) return;
  uint8_t* start = block - kHeader;
  size_t mapped = 0;
  std::memcpy(&mapped, start, sizeof mapped);
  if (mapped != 0) {
    munmap(start, mapped);
  } else {
    std::free(start);
  }
}

void PrepareForFirstTouch(void* data, size_t bytes) {
  // Small blocks mostly reuse pages that are already there: not worth the calls.
  if (bytes < kLargePage / 8) return;
  PreferLargePages(data, bytes);
#ifdef MADV_POPULATE_WRITE
  const uintptr_t first = reinterpret_cast<uintptr_t>(data) / kSmallPage * kSmallPage;
  const uintptr_t end = RoundUp(reinterpret_cast<uintptr_t>(data) + bytes, kSmallPage);
  // Pages already there are left as they are; older systems refuse the call.
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#endif
}

}  // namespace orrivel::platform
