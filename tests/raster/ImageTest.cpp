// The Image contract as every memory image implements it: bounds, clip
// rectangle, scan lines and the owner's free words.
#include <gtest/gtest.h>

#include <memory>

#include "raster/DibImage.h"
#include "raster/PixelBuffer.h"

namespace orrivel {
namespace {

std::unique_ptr<Image> MakeImage(int kind, int32_t w, int32_t h) {
  if (kind == kImageKindDib) {
    auto dib = std::make_unique<DibImage>();
    EXPECT_EQ(dib->Create(w, h, 32, false), 0);
    return dib;
  }
  auto pb = std::make_unique<PixelBuffer>();
  EXPECT_EQ(PixelBufferCreate(*pb, w, h, 32), 0);
  return pb;
}

class ImageContractTest : public ::testing::TestWithParam<int> {};

TEST_P(ImageContractTest, KindBoundsAndFreeWords) {
  auto image = MakeImage(GetParam(), 64, 32);
  EXPECT_EQ(image->GetKind(), GetParam());
  Rect r;
  EXPECT_EQ(image->GetBounds(&r), &r);
  EXPECT_EQ(r, (Rect{0, 0, 64, 32}));
  EXPECT_EQ(*image->GetClipRect(&r), (Rect{0, 0, 64, 32}));
  EXPECT_EQ(image->GetColorKey(), kNoColorKey);
  EXPECT_EQ(image->GetUserValue1(), 0);
  EXPECT_EQ(image->GetUserValue2(), 0);
  EXPECT_EQ(image->SetUserValue1(-7), -7);
  EXPECT_EQ(image->SetUserValue2(9), 9);
  EXPECT_EQ(image->SetGroupId(3), 3);
  EXPECT_EQ(image->GetUserValue1(), -7);
  EXPECT_EQ(image->GetUserValue2(), 9);
  EXPECT_EQ(image->GetGroupId(), 3);
  EXPECT_EQ(image->Restore(0), 0);
}

TEST_P(ImageContractTest, ScanLinesRefuseRowsOutside) {
  auto image = MakeImage(GetParam(), 5, 3);
  EXPECT_EQ(image->GetScanLine(0), image->GetBits());
  EXPECT_EQ(image->GetScanLine(2), image->GetBits() + 2 * image->GetPitch());
  EXPECT_EQ(image->GetScanLine(-1), nullptr);
  EXPECT_EQ(image->GetScanLine(3), nullptr);
}

TEST_P(ImageContractTest, SetClipRectRules) {
  auto image = MakeImage(GetParam(), 100, 80);
  Rect clip{10, 10, 50, 50};
  ASSERT_TRUE(image->SetClipRect(&clip));

  const Rect refused[] = {{20, 20, 20, 40}, {20, 40, 30, 40}, {30, 20, 20, 40}};
  for (const Rect& r : refused) {
    EXPECT_FALSE(image->SetClipRect(&r));
    EXPECT_EQ(*image->GetClipRectPtr(), clip);
  }

  const Rect partly{-20, 30, 500, 700};
  EXPECT_TRUE(image->SetClipRect(&partly));
  EXPECT_EQ(*image->GetClipRectPtr(), (Rect{0, 30, 100, 80}));

  // Wholly outside: accepted, but the clip is empty and refuses every rectangle.
  const Rect outside{200, 200, 300, 300};
  EXPECT_TRUE(image->SetClipRect(&outside));
  Rect any{0, 0, 100, 80};
  EXPECT_FALSE(image->ClipToClipRect(&any));

  EXPECT_TRUE(image->SetClipRect(nullptr));
  EXPECT_EQ(*image->GetClipRectPtr(), (Rect{0, 0, 100, 80}));
}

TEST_P(ImageContractTest, ClipToClipRectLeavesVerticalSidesWhenEmptyAcross) {
  auto image = MakeImage(GetParam(), 100, 80);
  Rect clip{10, 10, 50, 50};
  ASSERT_TRUE(image->SetClipRect(&clip));
  Rect r{60, -5, 70, 200};
  EXPECT_FALSE(image->ClipToClipRect(&r));
  EXPECT_EQ(r.top, -5);
  EXPECT_EQ(r.bottom, 200);
  Rect inside{0, 0, 20, 30};
  EXPECT_TRUE(image->ClipToClipRect(&inside));
  EXPECT_EQ(inside, (Rect{10, 10, 20, 30}));
}

INSTANTIATE_TEST_SUITE_P(MemoryImages, ImageContractTest,
                         ::testing::Values(int(kImageKindDib), int(kImageKindPixelBuffer)));

}  // namespace
}  // namespace orrivel
