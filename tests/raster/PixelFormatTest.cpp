#include "raster/PixelFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orrivel {
namespace {

using platform::SoftSurface;
using platform::SurfaceFormat;
using platform::SurfacePixelFormat;

struct ClassCase {
  uint32_t bits, red, green, blue, alpha;
  PixelFormatCode code;
};

TEST(GetSurfacePixelFormatTest, MaskRules) {
  const ClassCase cases[] = {
      {8, 0, 0, 0, 0, kPixelFormatIndexed8},
      {8, 0xE0, 0x1C, 0x03, 0, kPixelFormatIndexed8},
      {16, 0x7C00, 0x03E0, 0x001F, 0, kPixelFormatX1R5G5B5},
      {16, 0x7C00, 0x03E0, 0x001F, 0x8000, kPixelFormatA1R5G5B5},
      {16, 0xF800, 0x07E0, 0x001F, 0, kPixelFormatR5G6B5},
      {16, 0xF800, 0x07E0, 0x001F, 0x8000, kPixelFormatOther},
      {16, 0x0F00, 0x00F0, 0x000F, 0xF000, kPixelFormatA4R4G4B4},
      {16, 0x7C00, 0x03E0, 0x001F, 0xF000, kPixelFormatOther},
      {16, 0x0F00, 0x00F0, 0x000F, 0, kPixelFormatOther},
      {16, 0x001F, 0x03E0, 0x7C00, 0, kPixelFormatOther},
      {24, 0xFF0000, 0xFF00, 0xFF, 0, kPixelFormatR8G8B8},
      {24, 0xFF, 0xFF00, 0xFF0000, 0, kPixelFormatOther},
      {32, 0xFF0000, 0xFF00, 0xFF, 0, kPixelFormatX8R8G8B8},
      {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, kPixelFormatA8R8G8B8},
      {32, 0xFF0000, 0xFF00, 0xFF, 0x00FF0000, kPixelFormatOther},
      {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u, kPixelFormatOther},
      {12, 0xF00, 0xF0, 0xF, 0, kPixelFormatOther},
  };
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits " << std::hex << c.red << "/" << c.green
                                      << "/" << c.blue << "/" << c.alpha);
    const SurfacePixelFormat f{0, c.bits, c.red, c.green, c.blue, c.alpha};
    EXPECT_EQ(GetSurfacePixelFormat(nullptr, nullptr, &f), c.code);
  }
}

TEST(GetSurfacePixelFormatTest, DescriptionFromSurfaceAndFailures) {
  SoftSurface surface;
  ASSERT_EQ(surface.Create(4, 4, SurfaceFormat::A4R4G4B4), 0);
  PixelFormatInfo info;
  EXPECT_EQ(GetSurfacePixelFormat(&surface, &info, nullptr), kPixelFormatA4R4G4B4);
  EXPECT_EQ(info.bitCount, 16);
  EXPECT_EQ(info.alphaMask, 0xF000u);
  EXPECT_EQ(info.redBits, 4);
  EXPECT_EQ(info.redShift, 8);
  EXPECT_EQ(info.greenShift, 4);
  EXPECT_EQ(info.blueShift, 0);
  EXPECT_EQ(info.alphaShift, 12);

  // An empty mask has no bits and the shift 32.
  ASSERT_EQ(surface.Create(4, 4, SurfaceFormat::X8R8G8B8), 0);
  EXPECT_EQ(GetSurfacePixelFormat(&surface, &info, nullptr), kPixelFormatX8R8G8B8);
  EXPECT_EQ(info.alphaBits, 0);
  EXPECT_EQ(info.alphaShift, 32);
  EXPECT_EQ(info.redShift, 16);

  EXPECT_EQ(GetSurfacePixelFormat(nullptr, &info, nullptr), kPixelFormatUnreadable);
  EXPECT_EQ(info.bitCount, 0);  // filled whatever the code
  SoftSurface empty;
  EXPECT_EQ(GetSurfacePixelFormat(&empty, nullptr, nullptr), kPixelFormatUnreadable);

  // A format given explicitly wins over the surface's own.
  const SurfacePixelFormat f565 = platform::DescribeSurfaceFormat(SurfaceFormat::R5G6B5);
  EXPECT_EQ(GetSurfacePixelFormat(&surface, nullptr, &f565), kPixelFormatR5G6B5);
}

uint32_t ReadPixel(SoftSurface& s, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  EXPECT_EQ(s.Lock(nullptr, &lock), 0);
  const uint32_t bytes = lock.format.bitCount / 8;
  uint32_t v = 0;
  std::memcpy(&v, lock.bits + size_t(y) * lock.pitch + size_t(x) * bytes, bytes);
  s.Unlock();
  return v;
}

struct FillCase {
  SurfaceFormat format;
  uint8_t r, g, b, a;
  uint32_t want;
};

TEST(BlitConvertFormatTest, FillValuePerFormatOnBothPaths) {
  const FillCase cases[] = {
      {SurfaceFormat::R5G6B5, 255, 255, 255, 0, 0xFFFF},
      {SurfaceFormat::R5G6B5, 8, 4, 8, 0, 0x0821},
      {SurfaceFormat::X1R5G5B5, 255, 0, 255, 255, 0x7C1F},
      {SurfaceFormat::A1R5G5B5, 0, 255, 0, 255, 0x83E0},
      {SurfaceFormat::A4R4G4B4, 0x12, 0x34, 0x56, 0x78, 0x7135},
      {SurfaceFormat::R8G8B8, 0x12, 0x34, 0x56, 0, 0x123456},
      {SurfaceFormat::A8R8G8B8, 0x12, 0x34, 0x56, 0x78, 0x78123456},
      {SurfaceFormat::Indexed8, 0x9A, 0, 0, 0, 0x9A},
      // A format without alpha never takes the alpha byte into a colour.
      {SurfaceFormat::X8R8G8B8, 0x12, 0x34, 0x56, 0xFF, 0x00123456},
  };
  for (bool colorFill : {true, false}) {
    for (const FillCase& c : cases) {
      SCOPED_TRACE(::testing::Message() << "format " << int(c.format) << " colour fill " << colorFill);
      SoftSurface s;
      ASSERT_EQ(s.Create(6, 4, c.format), 0);
      s.SetColorFillSupported(colorFill);
      const Rect r{1, 1, 4, 3};
      EXPECT_EQ(BlitConvertFormat(&s, nullptr, c.r, c.g, c.b, &r, c.a), 0);
      EXPECT_EQ(ReadPixel(s, 1, 1), c.want);
      EXPECT_EQ(ReadPixel(s, 3, 2), c.want);
      EXPECT_EQ(ReadPixel(s, 0, 0), 0u);
      EXPECT_EQ(ReadPixel(s, 4, 2), 0u);
      EXPECT_EQ(ReadPixel(s, 1, 3), 0u);
      EXPECT_FALSE(s.IsLocked());
    }
  }
}

TEST(BlitConvertFormatTest, WholeSurfaceAndFailures) {
  SoftSurface s;
  ASSERT_EQ(s.Create(3, 2, SurfaceFormat::X8R8G8B8), 0);
  s.SetColorFillSupported(false);
  EXPECT_EQ(BlitConvertFormat(&s, nullptr, 1, 2, 3, nullptr, 0), 0);
  EXPECT_EQ(ReadPixel(s, 0, 0), 0x010203u);
  EXPECT_EQ(ReadPixel(s, 2, 1), 0x010203u);

  // The lock path cuts a rectangle that reaches outside the surface.
  const Rect wide{-5, 1, 50, 50};
  EXPECT_EQ(BlitConvertFormat(&s, nullptr, 9, 9, 9, &wide, 0), 0);
  EXPECT_EQ(ReadPixel(s, 2, 1), 0x090909u);
  EXPECT_EQ(ReadPixel(s, 2, 0), 0x010203u);

  EXPECT_EQ(BlitConvertFormat(nullptr, nullptr, 1, 2, 3, nullptr, 0), 1);
  SoftSurface empty;
  EXPECT_EQ(BlitConvertFormat(&empty, nullptr, 1, 2, 3, nullptr, 0), 1);
  s.SetLost(true);
  EXPECT_EQ(BlitConvertFormat(&s, nullptr, 1, 2, 3, nullptr, 0), 2);
  EXPECT_FALSE(s.IsLocked());
}

TEST(BlitConvertFormatTest, WritesAtTheSurfaceDepthWhateverTheDescription) {
  SoftSurface s;
  ASSERT_EQ(s.Create(4, 1, SurfaceFormat::Indexed8), 0);
  s.SetColorFillSupported(false);
  PixelFormatInfo wide;
  const SurfacePixelFormat f32 = platform::DescribeSurfaceFormat(SurfaceFormat::X8R8G8B8);
  GetSurfacePixelFormat(nullptr, &wide, &f32);
  EXPECT_EQ(BlitConvertFormat(&s, &wide, 0, 0, 7, nullptr, 0), 0);
  EXPECT_EQ(ReadPixel(s, 3, 0), 7u);
}

}  // namespace
}  // namespace orrivel
