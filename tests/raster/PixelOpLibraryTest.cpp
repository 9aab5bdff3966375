#include "raster/PixelOpLibrary.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

class PixelOpLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPixelOpEntries(); }
  void TearDown() override { ResetPixelOpEntries(); }
};

TEST_F(PixelOpLibraryTest, OurLibraryBindsAndPublishesItsEntries) {
  for (bool mmx : {false, true}) {
    auto binding = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, mmx);
    ASSERT_TRUE(binding->HasModule()) << binding->Error();
    ASSERT_NE(PixelOpEntryAddress(kPixelOpChangedRect), nullptr);
    EXPECT_EQ(PixelOpChangedRect(), Rect{});
    EXPECT_EQ(PixelOpEntryAddress(0), nullptr);
    EXPECT_EQ(PixelOpEntryAddress(kPixelOpEntryCount + 1), nullptr);
    SetCurrentPixelOpLibrary(binding.get());
    EXPECT_EQ(CurrentPixelOpLibrary(), binding.get());
    binding.reset();
    // Releasing the binding leaves no current library and no entries into
    // the released module.
    EXPECT_EQ(CurrentPixelOpLibrary(), nullptr);
    EXPECT_EQ(PixelOpEntryAddress(kPixelOpChangedRect), nullptr);
  }
}

TEST_F(PixelOpLibraryTest, AbsentOrFailingLibrariesLeaveNoneCurrent) {
  const char* const failing[] = {"no_such_tvpgl.dll", "tvpgl_missing.dll", "tvpgl_refusing.dll"};
  for (const char* name : failing) {
    PixelOpLibrary binding(name, nullptr, false);
    EXPECT_FALSE(binding.HasModule()) << name;
    EXPECT_FALSE(binding.Error().empty()) << name;
    SetCurrentPixelOpLibrary(&binding);
    EXPECT_EQ(CurrentPixelOpLibrary(), nullptr) << name;
    EXPECT_EQ(PixelOpEntryAddress(kPixelOpChangedRect), nullptr) << name;
    EXPECT_EQ(PixelOpChangedRect(), Rect{});
  }
  SetCurrentPixelOpLibrary(nullptr);
  EXPECT_EQ(CurrentPixelOpLibrary(), nullptr);
}

}  // namespace
}  // namespace orrivel
