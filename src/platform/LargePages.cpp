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
// mapping, 0 for a block from calloc. A mapped block has a small page of
// its own for it, so that writing it does not bring in the block's first
// large page; a block from calloc has 64 bytes, which keep it on a cache
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

void WriteHeader(uint8_t* block, size_t mapped) { std::memcpy(block - kHeader, &mapped, sizeof mapped); }

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

// Whole large pages starting on a large-page boundary, with one small page
// in front for the bookkeeping: a larger mapping is made and the ends that
// do not fit are handed back. Returns the block, null when refused.
uint8_t* MapLargeBlock(size_t length) {
  const size_t reach = kSmallPage + length + kLargePage;
  void* mapped = mmap(nullptr, reach, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t first = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t block = RoundUp(first + kSmallPage, kLargePage);
  const uintptr_t kept = block - kSmallPage;
  if (kept > first) munmap(mapped, kept - first);
  const uintptr_t end = first + reach;
  if (end > block + length) munmap(reinterpret_cast<void*>(block + length), end - (block + length));
  PreferLargePages(reinterpret_cast<void*>(block), length);
  return reinterpret_cast<uint8_t*>(block);
}

}  // namespace

uint8_t* AllocateZeroedBlock(size_t bytes) {
  if (bytes > SIZE_MAX - kSmallPage - kLargePage * 2) return nullptr;
  if (kMapLargeBlocks && bytes >= kLargeBlock) {
    const size_t length = RoundUp(bytes, kLargePage);
    if (uint8_t* block = MapLargeBlock(length)) {
      WriteHeader(block, length);
      return block;
    }
  }
  auto* start = static_cast<uint8_t*>(std::calloc(bytes + kHeader, 1));
  if (start == nullptr) return nullptr;
  WriteHeader(start + kHeader, 0);
  return start + kHeader;
}

void ReleaseZeroedBlock(uint8_t* block) {
  if (block == nullptr) return;
  size_t mapped = 0;
  std::memcpy(&mapped, block - kHeader, sizeof mapped);
  if (mapped != 0) {
    munmap(block - kSmallPage, kSmallPage + mapped);
  } else {
    std::free(block - kHeader);
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
