#include "platform/LargePages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ResidentPagesSupport.h"

namespace orrivel::platform {
namespace {

using test::ResidentPages;

bool AllZero(const uint8_t* data, size_t bytes) {
  return std::all_of(data, data + bytes, [](uint8_t b) { return b == 0; });
}

// Every size, small ones from the heap and screen-sized ones on their own
// pages, comes zeroed and usable to its last byte, also when it takes the
// place of a block that was written all over and given back.
TEST(LargePagesTest, BlocksStartZeroedWhateverCameBefore) {
  const size_t sizes[] = {1, 4096, 1000000, 1572800, 1572900, 1280 * 720 * 4 + 7, size_t(4) << 20, size_t(9) << 20};
  for (const size_t size : sizes) {
    SCOPED_TRACE(size);
    for (int round = 0; round < 2; ++round) {
      uint8_t* block = AllocateZeroedBlock(size);
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
      EXPECT_TRUE(AllZero(block, size));
      std::memset(block, 0xA5, size);
      ReleaseZeroedBlock(block);
    }
  }
  ReleaseZeroedBlock(nullptr);
}

// A screen-sized block is not cleared by a pass over it: what is never
// written is never brought into memory.
TEST(LargePagesTest, UntouchedPartsOfALargeBlockStayOutOfMemory) {
  const size_t third = size_t(2) << 20;
  uint8_t* block = AllocateZeroedBlock(3 * third);
  ASSERT_NE(block, nullptr);
  block[3 * third - 1] = 1;  // the last third only
  EXPECT_EQ(ResidentPages(block + third, third), 0u);
  EXPECT_EQ(block[third + 12345], 0);
  ReleaseZeroedBlock(block);
}

// The hint for memory from elsewhere never changes what it holds.
TEST(LargePagesTest, PreparingMemoryKeepsItsContents) {
  for (const size_t size : {size_t(100), size_t(3) << 20}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + 3);
    const std::vector<uint8_t> before = bytes;
    PrepareForFirstTouch(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, before);
  }
}

}  // namespace
}  // namespace orrivel::platform
