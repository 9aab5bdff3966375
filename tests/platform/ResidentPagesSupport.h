#pragma once
// How much of a block the system has brought into memory: for tests that a
// fresh picture costs no pages until it is drawn on.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrivel::test {

// How many of the whole pages inside [data, data + bytes) are in memory.
inline size_t ResidentPages(const uint8_t* data, size_t bytes) {
  const size_t page = size_t(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) / page * page;
  if (end <= first) return 0;
  std::vector<unsigned char> resident((end - first) / page);
  if (mincore(reinterpret_cast<void*>(first), end - first, resident.data()) != 0) return SIZE_MAX;
  return size_t(std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; }));
}

}  // namespace orrivel::test
