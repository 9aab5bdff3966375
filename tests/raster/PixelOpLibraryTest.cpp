#include "raster/PixelOpLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/CompositeKernels32.h"
#include "raster/Kernels32.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"
#include "pixelops/RecordedDraw.h"

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

TEST_F(PixelOpLibraryTest, HandsOverTheKernelsAndTheRecordAndCopiesEveryWord) {
  const int record = 7;
  struct Kernels {
    bool mmx;
    PixelOpCopyKernel copy, colorOnly, alphaOnly;
  };
  const Kernels cases[] = {
      {false, &CopyPixels32, &CopyColorKeepAlpha32, &CopyAlphaKeepColor32},
      {true, &CopyPixels32Packed, &CopyColorKeepAlpha32Mmx, &CopyAlphaKeepColor32Mmx},
  };
  for (const Kernels& c : cases) {
    SCOPED_TRACE(c.mmx ? "packed" : "plain");
    PixelOpLibrary binding("tvpgl_recording.dll", &record, c.mmx);
    ASSERT_TRUE(binding.HasModule()) << binding.Error();
    EXPECT_EQ(PixelOpEntryAddress(2), reinterpret_cast<void*>(c.copy));
    EXPECT_EQ(PixelOpEntryAddress(3), reinterpret_cast<void*>(c.colorOnly));
    EXPECT_EQ(PixelOpEntryAddress(4), reinterpret_cast<void*>(c.alphaOnly));
    EXPECT_EQ(PixelOpEntryAddress(5), &record);
    ASSERT_NE(PixelOpEntryAddress(6), nullptr);
    EXPECT_EQ(*static_cast<const int32_t*>(PixelOpEntryAddress(6)), 0);
    ASSERT_NE(PixelOpEntryAddress(kPixelOpEntryCount), nullptr);
    EXPECT_EQ(*static_cast<const int32_t*>(PixelOpEntryAddress(kPixelOpEntryCount)), 234);
  }
}

TEST_F(PixelOpLibraryTest, StartUpBindsOurLibraryFromTheProgramFolder) {
  int record = 0;
  std::unique_ptr<PixelOpLibrary> binding = BindPixelOpLibrary(&record, true);
  ASSERT_NE(binding, nullptr);
  EXPECT_EQ(CurrentPixelOpLibrary(), binding.get());
  EXPECT_NE(PixelOpEntryAddress(kPixelOpChangedRect), nullptr);
  binding.reset();
  EXPECT_EQ(CurrentPixelOpLibrary(), nullptr);
}

TEST_F(PixelOpLibraryTest, TransformedDrawTakesSourceRectanglesOfAnyWidth) {
  PixelOpLibrary binding("tvpgl.dll", nullptr, false);
  ASSERT_TRUE(binding.HasModule()) << binding.Error();
  auto draw = PixelOpEntryAs<PixelOpTransformDrawFn>(kPixelOpTransformDrawImage);
  ASSERT_NE(draw, nullptr);
  std::vector<uint32_t> target(16, 0), source(16, 0xFF112233u);
  const PixelOpImage t{reinterpret_cast<uint8_t*>(target.data()), 4, 4, 16, 32};
  const PixelOpImage s{reinterpret_cast<uint8_t*>(source.data()), 4, 4, 16, 32};
  const Rect rects[] = {{INT32_MIN, 0, INT32_MAX, 4}, {0, INT32_MIN, 4, INT32_MAX}, {0, 0, 4, 4}};
  for (const Rect& r : rects) {
    std::fill(target.begin(), target.end(), 0u);
    EXPECT_EQ(draw(&t, &s, 0, 0, 4, 0, 0, 4, &r, 0, 0, 255, 0, 0, 0, nullptr), 0);
    // Texels outside the source are skipped; those inside are copied.
    for (uint32_t p : target) EXPECT_TRUE(p == 0u || p == 0xFF112233u) << std::hex << p;
  }
  EXPECT_EQ(target[5], 0xFF112233u);
}

// The transformed draws hand the library every word the scripts give them,
// in their order, with the source rectangle before them and the clip last.
TEST_F(PixelOpLibraryTest, TransformedDrawsHandTheirWordsOnInOrder) {
  PixelOpLibrary binding("tvpgl_recording.dll", nullptr, false);
  ASSERT_TRUE(binding.HasModule()) << binding.Error();
  SetCurrentPixelOpLibrary(&binding);
  Surface target, source;
  ASSERT_EQ(target.Create(4, 4, 32, 0), 0);
  ASSERT_EQ(source.Create(4, 4, 32, 0), 0);
  const Rect part{0, 0, 2, 2}, clip{1, 1, 3, 3};
  const auto* seen = static_cast<const test::RecordedDraw*>(PixelOpEntryAddress(test::kRecordedDrawEntry));
  ASSERT_NE(seen, nullptr);
  ASSERT_EQ(TransformDrawImageOp(&target, &source, 0, 0, 4, 0, 0, 4, 2, 5, 200, &part, &clip, 1, 1, 9), 0);
  EXPECT_EQ(seen->entry, 11);
  EXPECT_EQ(std::vector<int32_t>(std::begin(seen->words), std::end(seen->words)),
            (std::vector<int32_t>{2, 5, 200, 1, 1, 9}));
  EXPECT_EQ(seen->sourceRect, &part);
  EXPECT_EQ(seen->clip, &clip);
  ASSERT_EQ(ApplyPixelOp12(&target, &source, 65536, 0, 0, 65536, 0, 0, 0, 3, 128, nullptr, nullptr, 0, 1, -4), 0);
  EXPECT_EQ(seen->entry, 12);
  EXPECT_EQ(std::vector<int32_t>(std::begin(seen->words), std::end(seen->words)),
            (std::vector<int32_t>{0, 3, 128, 0, 1, -4}));
  EXPECT_EQ(seen->sourceRect, nullptr);
  EXPECT_EQ(seen->clip, nullptr);
  SetCurrentPixelOpLibrary(nullptr);
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
