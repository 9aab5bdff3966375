#include "raster/PixelBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "base/ScopedLock.h"

namespace orrivel {
namespace {

// The movie's frame store reads as black before the first frame lands.
TEST(PixelBufferTest, NewPixelsStartCleared) {
  PixelBuffer image;
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(PixelBufferCreate(image, 33, 7, 32), 0);
    uint8_t* bits = image.GetBits();
    EXPECT_EQ(std::count(bits, bits + image.GetSize(), 0), std::ptrdiff_t(image.GetSize())) << round;
    std::memset(bits, 0x5C, image.GetSize());
  }
}

TEST(PixelBufferTest, CreateLayoutPerDepth) {
  const struct {
    int32_t w, h;
    uint8_t bits;
    int32_t pitch;
    uint32_t size;
  } cases[] = {
      {3, 1, 8, 4, 4}, {3, 1, 16, 8, 8}, {3, 1, 32, 12, 12}, {3, 5, 24, 12, 60}, {5, 2, 12, 8, 16},
  };
  for (const auto& c : cases) {
    PixelBuffer image;
    ASSERT_EQ(PixelBufferCreate(image, c.w, c.h, c.bits), 0);
    EXPECT_EQ(image.GetPitch(), c.pitch);
    EXPECT_EQ(image.GetSize(), c.size);
    EXPECT_EQ(image.GetBitsPerPixel(), c.bits);
    std::memset(image.GetBits(), 0x5A, image.GetSize());
  }
}

TEST(PixelBufferTest, RefusedCreateEmptiesTheImage) {
  const struct {
    int32_t w, h;
    uint8_t bits;
    int result;
  } cases[] = {{0, 10, 32, 1}, {10, -1, 32, 1}, {10, 10, 7, 1}, {65535, 65535, 32, 2}, {65535, 65535, 8, 2}};
  for (const auto& c : cases) {
    PixelBuffer image;
    ASSERT_EQ(PixelBufferCreate(image, 4, 4, 32), 0);
    image.SetColorKeyRgb(1, 2, 3);
    EXPECT_EQ(PixelBufferCreate(image, c.w, c.h, c.bits), c.result);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetSize(), 0u);
    EXPECT_EQ(image.GetColorKey(), kNoColorKey);
    EXPECT_EQ(image.Resize(2, 2), 1);
  }
}

TEST(PixelBufferTest, GetPixelPerDepth) {
  PixelBuffer b8, b16, b32, b24;
  ASSERT_EQ(PixelBufferCreate(b8, 3, 2, 8), 0);
  ASSERT_EQ(PixelBufferCreate(b16, 3, 2, 16), 0);
  ASSERT_EQ(PixelBufferCreate(b32, 3, 2, 32), 0);
  ASSERT_EQ(PixelBufferCreate(b24, 3, 2, 24), 0);
  b8.GetScanLine(1)[2] = 0xC8;
  const uint16_t w = 0xF81F;
  std::memcpy(b16.GetScanLine(1) + 4, &w, 2);
  const uint32_t d = 0x80112233u;
  std::memcpy(b32.GetScanLine(1) + 8, &d, 4);
  const uint32_t white = 0xFFFFFFFFu;
  std::memcpy(b32.GetScanLine(0), &white, 4);

  EXPECT_EQ(PixelBufferGetPixel(b8, 2, 1), 0xC8u);
  EXPECT_EQ(PixelBufferGetPixel(b16, 2, 1), 0xF81Fu);
  EXPECT_EQ(PixelBufferGetPixel(b32, 2, 1), 0x80112233u);
  EXPECT_EQ(PixelBufferGetPixel(b24, 0, 0), kNoColorKey);  // no pixel operation reads 24 bits
  for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}}) {
    EXPECT_EQ(PixelBufferGetPixel(b32, x, y), kNoColorKey);
  }
  // Opaque white reads like a point outside, so it cannot become a key.
  EXPECT_EQ(PixelBufferGetPixel(b32, 0, 0), kNoColorKey);
  EXPECT_EQ(b32.SetColorKeyAt(0, 0), 1);
  EXPECT_EQ(b32.SetColorKeyAt(2, 1), 0);
  EXPECT_EQ(b32.GetColorKey(), 0x80112233u);
  EXPECT_EQ(b16.SetColorKeyAt(2, 1), 0);
  EXPECT_EQ(b16.GetColorKey(), 0xF81Fu);
}

TEST(PixelBufferTest, ColourKeysByDepth) {
  const struct {
    uint8_t bits;
    uint8_t r, g, b;
    uint32_t key;
    int result;
  } cases[] = {
      {8, 255, 255, 255, 255, 0},
      {8, 7, 200, 100, 7, 0},
      {16, 255, 255, 255, 0xFFFF, 0},
      {16, 0x12, 0x34, 0x56, 0x11AA, 0},
      {32, 0x12, 0x34, 0x56, 0x123456, 0},
      {24, 0x12, 0x34, 0x56, kNoColorKey, 1},  // other depths keep the key
  };
  for (const auto& c : cases) {
    PixelBuffer image;
    ASSERT_EQ(PixelBufferCreate(image, 2, 2, c.bits), 0);
    EXPECT_EQ(image.SetColorKeyRgb(c.r, c.g, c.b), c.result);
    EXPECT_EQ(image.GetColorKey(), c.key);
    EXPECT_EQ(image.ClearColorKey(), 0);
    EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  }
}

TEST(PixelBufferTest, ResizeKeepsTheBlockWhenItFits) {
  PixelBuffer image;
  ASSERT_EQ(PixelBufferCreate(image, 4, 4, 16), 0);  // pitch 8, 32 bytes
  for (uint32_t i = 0; i < image.GetSize(); ++i) image.GetBits()[i] = uint8_t(i);
  image.SetColorKeyRgb(255, 255, 255);
  uint8_t* bits = image.GetBits();
  EXPECT_EQ(image.Resize(4, 4), 0);
  EXPECT_EQ(image.Resize(6, 2), 0);  // pitch 12, 24 bytes: fits
  EXPECT_EQ(image.GetBits(), bits);
  EXPECT_EQ(image.GetPitch(), 12);
  EXPECT_EQ(image.GetSize(), 32u);
  EXPECT_EQ(image.GetColorKey(), 0xFFFFu);
  EXPECT_EQ(PixelBufferGetPixel(image, 0, 1), 0x0D0Cu);  // old bytes under the new pitch
  Rect clip;
  EXPECT_EQ(*image.GetClipRect(&clip), (Rect{0, 0, 6, 2}));

  EXPECT_EQ(image.Resize(8, 8), 0);  // too big: allocated anew
  EXPECT_EQ(image.GetSize(), 128u);
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  EXPECT_EQ(image.GetBitsPerPixel(), 16);
  EXPECT_EQ(image.Resize(8, 0), 1);
}

TEST(PixelBufferTest, LockIsHeldAcrossThreads) {
  PixelBuffer image;
  ASSERT_EQ(PixelBufferCreate(image, 16, 16, 32), 0);
  uint32_t* p = reinterpret_cast<uint32_t*>(image.GetBits());
  std::memset(p, 0, image.GetSize());
  // A writer fills whole frames under the lock; the reader must never see a
  // frame half written.
  std::thread writer([&] {
    for (uint32_t frame = 1; frame <= 200; ++frame) {
      ScopedLock lock(image.Lock());
      for (int i = 0; i < 256; ++i) p[i] = frame;
    }
  });
  for (int n = 0; n < 200; ++n) {
    ScopedLock lock(image.Lock());
    EXPECT_TRUE(image.Lock().GetOwnerThread());
    const uint32_t first = p[0];
    for (int i = 1; i < 256; ++i) ASSERT_EQ(p[i], first);
  }
  writer.join();
  EXPECT_FALSE(image.Lock().GetOwnerThread());
}

}  // namespace
}  // namespace orrivel
