#include "moviedll/MovieFrameRenderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MovieFixtures.h"

namespace orrivel {
namespace {

using media::kMediaFail;
using media::kMediaInvalidArg;
using media::kMediaOk;
using media::MakeRgb32VideoType;
using media::MediaType;
using testing::FlagDrawable;

// A bottom-up picture whose row r (counted from the top of the picture, so
// stored at the end of the buffer for r = 0) is filled with 0x00RR00GG-ish
// words that name the row.
std::vector<uint8_t> BottomUpPicture(int32_t width, int32_t height, uint32_t seed) {
  std::vector<uint8_t> bytes(size_t(width) * 4 * size_t(height));
  for (int32_t stored = 0; stored < height; ++stored) {
    const int32_t topRow = height - 1 - stored;
    const uint32_t value = seed << 24 >> 8 | uint32_t(topRow);
    for (int32_t x = 0; x < width; ++x) std::memcpy(&bytes[(size_t(stored) * width + x) * 4], &value, 4);
  }
  return bytes;
}

uint32_t PixelAt(PixelBuffer& image, int32_t x, int32_t y) {
  uint32_t v;
  std::memcpy(&v, image.GetScanLine(y) + size_t(x) * 4, 4);
  return v;
}

TEST(MovieFrameRendererTest, AcceptsOnlyRgb32VideoInfoInCheckOrder) {
  MovieFrameRenderer renderer(nullptr, nullptr);
  struct Case {
    media::MediaFormatType format;
    media::MediaMajorType major;
    media::MediaSubtype subtype;
    media::MediaResult expected;
  } cases[] = {
      {media::MediaFormatType::kWaveFormat, media::MediaMajorType::kAudio, media::MediaSubtype::kNone, kMediaInvalidArg},
      {media::MediaFormatType::kVideoInfo, media::MediaMajorType::kAudio, media::MediaSubtype::kRgb32, kMediaFail},
      {media::MediaFormatType::kVideoInfo, media::MediaMajorType::kVideo, media::MediaSubtype::kRgb24, kMediaFail},
      {media::MediaFormatType::kVideoInfo, media::MediaMajorType::kVideo, media::MediaSubtype::kRgb32, kMediaOk},
  };
  for (const Case& c : cases) {
    MediaType type = MakeRgb32VideoType(320, 240);
    type.formatType = c.format;
    type.majorType = c.major;
    type.subtype = c.subtype;
    EXPECT_EQ(renderer.CheckMediaType(type), c.expected) << int(c.format) << int(c.major) << int(c.subtype);
  }
}

TEST(MovieFrameRendererTest, FirstSampleLandsUprightInImageOneAndFrontAlternates) {
  PixelBuffer images[2];
  FlagDrawable notify;
  MovieFrameRenderer renderer(images, &notify);
  ASSERT_EQ(renderer.SetMediaType(MakeRgb32VideoType(320, 240)), kMediaOk);
  EXPECT_TRUE(renderer.IsAccepted());
  for (PixelBuffer& image : images) {
    EXPECT_EQ(image.GetWidth(), 320);
    EXPECT_EQ(image.GetHeight(), 240);
    EXPECT_EQ(image.GetBitsPerPixel(), 32);
  }
  EXPECT_EQ(PixelAt(images[0], 0, 0), 0u);
  EXPECT_EQ(PixelAt(images[0], 319, 239), 0u);
  EXPECT_EQ(renderer.GetFrontIndex(), 0);

  // The sample's last row is red: it must become the image's top row.
  std::vector<uint8_t> first = BottomUpPicture(320, 240, 1);
  const uint32_t red = 0x00FF0000u;
  for (int32_t x = 0; x < 320; ++x) std::memcpy(&first[(size_t(239) * 320 + x) * 4], &red, 4);
  media::BufferSample sample(first.data(), first.size(), 0);
  ASSERT_EQ(renderer.DoRenderSample(sample), kMediaOk);
  EXPECT_EQ(renderer.GetFrontIndex(), 1);
  EXPECT_EQ(PixelAt(images[1], 0, 0), red);
  EXPECT_EQ(PixelAt(images[1], 319, 0), red);
  EXPECT_EQ(PixelAt(images[1], 5, 1), 0x00010000u | 1u);
  EXPECT_EQ(PixelAt(images[1], 5, 239), 0x00010000u | 239u);
  EXPECT_TRUE(notify.IsChanged());
  EXPECT_TRUE(notify.IsVisible());

  std::vector<uint8_t> second = BottomUpPicture(320, 240, 2);
  media::BufferSample next(second.data(), second.size(), 1);
  ASSERT_EQ(renderer.DoRenderSample(next), kMediaOk);
  EXPECT_EQ(renderer.GetFrontIndex(), 0);
  EXPECT_EQ(PixelAt(images[0], 7, 0), 0x00020000u);
  EXPECT_EQ(PixelAt(images[0], 7, 100), 0x00020000u | 100u);
}

TEST(MovieFrameRendererTest, MediaTypeSizes) {
  struct Case {
    int32_t width;
    int32_t height;
    media::MediaResult expected;
    int32_t stride;
    int32_t storedHeight;
  } cases[] = {
      {161, 48, kMediaOk, 644, 48},
      {64, -48, kMediaOk, 256, 48},  // top-down header: only the size counts
      {16384, 1, kMediaOk, 65536, 1},
      {16385, 16, kMediaFail, 0, 0},  // a hostile size is refused before sizing
      {16, 16385, kMediaFail, 0, 0},
      {16, INT32_MIN, kMediaFail, 0, 0},
      {0, 16, kMediaFail, 0, 0},
      {-5, 16, kMediaFail, 0, 0},
  };
  for (const Case& c : cases) {
    PixelBuffer images[2];
    MovieFrameRenderer renderer(images, nullptr);
    EXPECT_EQ(renderer.SetMediaType(MakeRgb32VideoType(c.width, c.height)), c.expected) << c.width << "x" << c.height;
    EXPECT_EQ(renderer.IsAccepted(), c.expected == kMediaOk);
    if (c.expected != kMediaOk) continue;
    EXPECT_EQ(renderer.GetStride(), c.stride);
    EXPECT_EQ(renderer.GetHeight(), c.storedHeight);
    EXPECT_EQ(images[0].GetPitch(), c.stride);
    EXPECT_EQ(images[1].GetPitch(), c.stride);
  }
  MovieFrameRenderer noPair(nullptr, nullptr);
  EXPECT_EQ(noPair.SetMediaType(MakeRgb32VideoType(64, 48)), kMediaFail);
  EXPECT_FALSE(noPair.IsAccepted());
}

TEST(MovieFrameRendererTest, NullNotifyStillStoresAndAlternates) {
  PixelBuffer images[2];
  MovieFrameRenderer renderer(images, nullptr);
  ASSERT_EQ(renderer.SetMediaType(MakeRgb32VideoType(161, 3)), kMediaOk);
  std::vector<uint8_t> bytes = BottomUpPicture(161, 3, 7);
  for (uint8_t expectedFront : {1, 0, 1}) {
    media::BufferSample sample(bytes.data(), bytes.size(), 0);
    ASSERT_EQ(renderer.DoRenderSample(sample), kMediaOk);
    EXPECT_EQ(renderer.GetFrontIndex(), expectedFront);
    EXPECT_EQ(PixelAt(images[expectedFront], 160, 2), 0x00070000u | 2u);
  }
}

TEST(MovieFrameRendererTest, SamplesThatCannotBeStoredAreDroppedAndFrontStays) {
  PixelBuffer images[2];
  FlagDrawable notify;
  MovieFrameRenderer renderer(images, &notify);
  std::vector<uint8_t> bytes = BottomUpPicture(64, 48, 3);
  media::BufferSample early(bytes.data(), bytes.size(), 0);
  EXPECT_EQ(renderer.DoRenderSample(early), kMediaFail) << "no type accepted yet";

  ASSERT_EQ(renderer.SetMediaType(MakeRgb32VideoType(64, 48)), kMediaOk);
  media::BufferSample shortSample(bytes.data(), bytes.size() - 1, 0);
  EXPECT_EQ(renderer.DoRenderSample(shortSample), kMediaFail);
  media::BufferSample noBuffer(nullptr, bytes.size(), 0);
  EXPECT_EQ(renderer.DoRenderSample(noBuffer), kMediaFail);
  EXPECT_EQ(renderer.GetFrontIndex(), 0);
  EXPECT_FALSE(notify.IsChanged());

  // An image that lost its pixels drops the picture too.
  PixelBufferFree(images[1]);
  media::BufferSample whole(bytes.data(), bytes.size(), 0);
  EXPECT_EQ(renderer.DoRenderSample(whole), kMediaFail);
  EXPECT_EQ(renderer.GetFrontIndex(), 0);
}

}  // namespace
}  // namespace orrivel
