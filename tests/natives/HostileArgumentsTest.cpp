// Cells a hostile script passes to the font and memory natives answer the
// natives' failure values: no overflow, no allocation the machine cannot
// give, and the objects keep what they had.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "DisplayNativeRig.h"
#include "NativeSession.h"
#include "display/DrawObjectManager.h"
#include "text/Font.h"

namespace orrivel::testing {
namespace {

class HostileArgumentsTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    session_ = std::make_unique<NativeSession>();
  }
  void TearDown() override {
    session_.reset();
    DisplayNativeRig::TearDown();
  }
  std::unique_ptr<NativeSession> session_;
};

TEST_F(HostileArgumentsTest, FontHeightsBeyondAPictureAreRefused) {
  const uint32_t face = session_->Text("");
  for (const char* native : {"NativeCreateOutlineFont", "NativeCreateGdiFont"}) {
    for (int32_t height : {INT_MIN, -100000, -4097, 4097, 100000, INT_MAX}) {
      EXPECT_EQ(session_->Call(native, {face, uint32_t(height)}), 0u) << native << " at " << height;
    }
    for (int32_t height : {-4096, -16, 0, 16, 4096}) {
      EXPECT_NE(session_->Call(native, {face, uint32_t(height)}), 0u) << native << " at " << height;
    }
    // A font made keeps its height when asked for one it cannot have.
    const uint32_t font = session_->Call(native, {face, 24});
    ASSERT_NE(font, 0u);
    for (int32_t height : {INT_MIN, 100000}) {
      EXPECT_NE(session_->CallInt("NativeSetFontHeight", {font, uint32_t(height)}), 0) << native << " at " << height;
      EXPECT_EQ(Display().GetFont(font)->Logical().height, -24) << native;
    }
  }
}

TEST_F(HostileArgumentsTest, MemoryBlocksTheArenaCannotHoldAnswerZero) {
  for (int64_t size : {int64_t(INT_MIN), int64_t(-1), int64_t(0), int64_t(INT_MAX), int64_t(0x40000000),
                       int64_t(0x3FFFFFF0)}) {
    for (const char* native : {"MemAlloc", "MemAllocZero"}) {
      EXPECT_EQ(session_->Call(native, {uint32_t(size)}), 0u) << native << " of " << size;
      EXPECT_FALSE(session_->LastFailed()) << native << " of " << size;
    }
  }
  // A block that fits comes zeroed, whichever of the two made it.
  const uint32_t block = session_->Call("MemAllocZero", {4096});
  ASSERT_NE(block, 0u);
  for (uint32_t offset : {0u, 2048u, 4092u}) EXPECT_EQ(session_->Word(block + offset), 0u);
}

}  // namespace
}  // namespace orrivel::testing
