// Clipped blits and the negate and mosaic effects on locked surface pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/SurfacePixelOps.h"
#include "raster/PixelFormat.h"

namespace orrivel {
namespace {

using platform::SoftSurface;
using platform::SurfaceFormat;

struct NegateCase {
  uint32_t code;
  uint8_t mode;
  int result;
  uint32_t mask;  // XOR expected on each pixel (24-bit: on the three bytes)
};

int BytesOf(uint32_t code) {
  return code == kPixelFormatR8G8B8 ? 3 : (code == kPixelFormatX8R8G8B8 || code == kPixelFormatA8R8G8B8) ? 4 : 2;
}

uint32_t Load(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, size_t(bytes));
  return v;
}

TEST(SurfacePixelOpsTest, NegateXorsEachFormatAndModeByTheTable) {
  const NegateCase cases[] = {
      {kPixelFormatX1R5G5B5, 0, 0, 0x7FFF},      {kPixelFormatX1R5G5B5, 1, 1, 0},
      {kPixelFormatR5G6B5, 0, 0, 0xFFFF},        {kPixelFormatR5G6B5, 2, 1, 0},
      {kPixelFormatR8G8B8, 0, 0, 0xFFFFFF},      {kPixelFormatR8G8B8, 3, 1, 0},
      {kPixelFormatX8R8G8B8, 0, 0, 0x00FFFFFF},  {kPixelFormatX8R8G8B8, 1, 1, 0},
      {kPixelFormatA1R5G5B5, 0, 0, 0x7FFF},      {kPixelFormatA1R5G5B5, 1, 0, 0xFFFF},
      {kPixelFormatA1R5G5B5, 2, 0, 0x8000},      {kPixelFormatA1R5G5B5, 7, 0, 0x7FFF},
      {kPixelFormatA4R4G4B4, 0, 0, 0x0FFF},      {kPixelFormatA4R4G4B4, 1, 0, 0xFFFF},
      {kPixelFormatA4R4G4B4, 2, 0, 0xF000},      {kPixelFormatA4R4G4B4, 9, 0, 0x0FFF},
      {kPixelFormatA8R8G8B8, 0, 0, 0x00FFFFFF},  {kPixelFormatA8R8G8B8, 1, 0, 0xFFFFFFFF},
      {kPixelFormatA8R8G8B8, 2, 0, 0xFF000000},  {kPixelFormatA8R8G8B8, 5, 0, 0xFF000000},
      {kPixelFormatIndexed8, 0, 2, 0},           {kPixelFormatOther, 0, 2, 0},
  };
  for (const NegateCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "code " << c.code << " mode " << int(c.mode));
    const int bytes = c.code == kPixelFormatIndexed8 || c.code == kPixelFormatOther ? 4 : BytesOf(c.code);
    const int pitch = ((5 * bytes + 3) & ~3) + 4;  // a pitch wider than the row
    std::vector<uint8_t> bits(size_t(pitch) * 4);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(i * 29 + 3);
    const std::vector<uint8_t> before = bits;
    const Rect rect{1, 1, 4, 3};
    EXPECT_EQ(NegateSurfaceRect(c.mode, c.code, bits.data(), pitch, &rect, nullptr), c.result);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) {
        const size_t at = size_t(y) * pitch + size_t(x) * bytes;
        const bool inside = c.result == 0 && x >= 1 && x < 4 && y >= 1 && y < 3;
        ASSERT_EQ(Load(&bits[at], bytes), Load(&before[at], bytes) ^ (inside ? c.mask : 0)) << x << "," << y;
      }
    }
  }
}

TEST(SurfacePixelOpsTest, NegateClipsAndRefusesEmptyAreas) {
  std::vector<uint32_t> bits(8 * 8, 0);
  const Rect rect{2, 2, 6, 6};
  Rect clip{4, 0, 8, 3};
  EXPECT_EQ(NegateSurfaceRect(0, kPixelFormatX8R8G8B8, bits.data(), 32, &rect, &clip), 0);
  EXPECT_EQ(clip, (Rect{4, 2, 6, 3}));  // the area is written back
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      ASSERT_EQ(bits[size_t(y * 8 + x)], (x >= 4 && x < 6 && y == 2) ? 0x00FFFFFFu : 0u);
    }
  }
  Rect apart{7, 7, 8, 8};
  EXPECT_EQ(NegateSurfaceRect(0, kPixelFormatX8R8G8B8, bits.data(), 32, &rect, &apart), -1);
  EXPECT_EQ(bits[2 * 8 + 2], 0u);
  EXPECT_EQ(NegateSurfaceRect(0, kPixelFormatX8R8G8B8, nullptr, 32, &rect, nullptr), 1);
  EXPECT_EQ(NegateSurfaceRect(0, kPixelFormatX8R8G8B8, bits.data(), 32, nullptr, nullptr), 1);
  const Rect empty{3, 3, 3, 5};
  EXPECT_EQ(NegateSurfaceRect(0, kPixelFormatX8R8G8B8, bits.data(), 32, &empty, nullptr), -1);
}

// Widths of the blocks in the first row of a mosaic of 10 x 10 pixels of
// distinct values, told from where the values change.
std::vector<int> BlockWidths(const std::vector<uint32_t>& bits, int row) {
  std::vector<int> widths;
  int run = 1;
  for (int x = 1; x < 10; ++x) {
    if (bits[size_t(row * 10 + x)] == bits[size_t(row * 10 + x - 1)]) {
      ++run;
    } else {
      widths.push_back(run);
      run = 1;
    }
  }
  widths.push_back(run);
  return widths;
}

TEST(SurfacePixelOpsTest, MosaicPlacesBlocksByAlignment) {
  struct Case {
    uint32_t mode;
    std::vector<int> columns;
    std::vector<int> rows;
  };
  const Case cases[] = {
      {1, {4, 4, 2}, {4, 4, 2}},   {2, {2, 4, 4}, {4, 4, 2}},      {3, {4, 4, 2}, {2, 4, 4}},
      {4, {2, 4, 4}, {2, 4, 4}},   {0, {3, 4, 3}, {3, 4, 3}},      {0x105, {3, 4, 3}, {3, 4, 3}},
      {0x101, {4, 4, 2}, {4, 4, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::vector<uint32_t> bits(100);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint32_t(i) | 0xAB000000u;
    const Rect rect{0, 0, 10, 10};
    ASSERT_EQ(MosaicSurfaceRect(kPixelFormatA8R8G8B8, bits.data(), 40, &rect, nullptr, 4, c.mode), 0);
    EXPECT_EQ(BlockWidths(bits, 0), c.columns);
    std::vector<uint32_t> column(100);
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 10; ++x) column[size_t(x * 10 + y)] = bits[size_t(y * 10 + x)];
    }
    EXPECT_EQ(BlockWidths(column, 0), c.rows);
    // Every block takes its top-left pixel, alpha included.
    EXPECT_EQ(bits[99], bits[size_t((10 - c.rows.back()) * 10 + 10 - c.columns.back())]);
  }
}

TEST(SurfacePixelOpsTest, MosaicEdgeCasesAndPixelSizes) {
  std::vector<uint8_t> bits(30 * 10);
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(i);
  const std::vector<uint8_t> before = bits;
  const Rect narrow{0, 0, 2, 10};
  EXPECT_EQ(MosaicSurfaceRect(kPixelFormatR8G8B8, bits.data(), 30, &narrow, nullptr, 4, 1), 0);
  const Rect rect{0, 0, 10, 10};
  EXPECT_EQ(MosaicSurfaceRect(kPixelFormatR8G8B8, bits.data(), 30, &rect, nullptr, 1, 1), 0);
  EXPECT_EQ(bits, before);
  Rect apart{20, 20, 30, 30};
  EXPECT_EQ(MosaicSurfaceRect(kPixelFormatR8G8B8, bits.data(), 30, &rect, &apart, 4, 1), -1);
  EXPECT_EQ(MosaicSurfaceRect(kPixelFormatIndexed8, bits.data(), 30, &rect, nullptr, 4, 1), 2);
  EXPECT_EQ(MosaicSurfaceRect(kPixelFormatR8G8B8, nullptr, 30, &rect, nullptr, 4, 1), 1);
  EXPECT_EQ(bits, before);
  // 24-bit pixels move as three bytes: pixel (3, 0) takes pixel (0, 0).
  ASSERT_EQ(MosaicSurfaceRect(kPixelFormatR8G8B8, bits.data(), 30, &rect, nullptr, 4, 1), 0);
  EXPECT_EQ(std::vector<uint8_t>(bits.begin() + 9, bits.begin() + 12), std::vector<uint8_t>({0, 1, 2}));
  EXPECT_EQ(bits[12], 12);  // the next block starts at pixel 4
  // 16-bit pixels: a clip cuts the area and is written back.
  std::vector<uint16_t> px(10 * 10);
  for (size_t i = 0; i < px.size(); ++i) px[i] = uint16_t(i);
  Rect clip{0, 0, 6, 6};
  ASSERT_EQ(MosaicSurfaceRect(kPixelFormatR5G6B5, px.data(), 20, &rect, &clip, 3, 1), 0);
  EXPECT_EQ(clip, (Rect{0, 0, 6, 6}));
  EXPECT_EQ(px[5 * 10 + 5], 3 * 10 + 3);
  EXPECT_EQ(px[5 * 10 + 6], 5 * 10 + 6);  // outside the clip
}

TEST(SurfacePixelOpsTest, ClippedBlitsCutToTheClipAndHonourKeys) {
  SoftSurface dst, src;
  ASSERT_EQ(dst.Create(8, 8, SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  ASSERT_EQ(src.Create(4, 4, SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  src.ColorFill(nullptr, 0x111111);
  const Rect hole{1, 1, 2, 2};
  src.ColorFill(&hole, 0xFF00FF);
  const platform::ColorKey key{0xFF00FF, 0xFF00FF};
  src.SetColorKey(&key);
  auto at = [&](int x, int y) {
    platform::SurfaceLock lock;
    dst.Lock(nullptr, &lock);
    uint32_t v;
    std::memcpy(&v, lock.bits + y * lock.pitch + x * 4, 4);
    dst.Unlock();
    return v;
  };
  const Rect whole{0, 0, 4, 4};
  const Rect clip{0, 0, 5, 5};
  // A destination wholly outside the clip rectangle draws nothing: 0.
  dst.ColorFill(nullptr, 0);
  EXPECT_EQ(BltFastClipped(&dst, &src, 6, 6, &whole, &clip, -1), 0);
  EXPECT_EQ(at(6, 6), 0u);
  EXPECT_EQ(BltFastClipped(&dst, &src, 3, 3, &whole, &clip, -1), 0);
  EXPECT_EQ(at(3, 3), 0x111111u);
  EXPECT_EQ(at(4, 4), 0xFF00FFu);
  EXPECT_EQ(at(5, 5), 0u);  // cut at the clip
  // Keyed: the key pixel leaves the destination alone.
  dst.ColorFill(nullptr, 0);
  EXPECT_EQ(BltFastClipped(&dst, &src, 0, 0, &whole, &clip, 0xFF00FF), 0);
  EXPECT_EQ(at(1, 1), 0u);
  EXPECT_EQ(at(2, 2), 0x111111u);
  // Stretched: 4 x 4 to 8 x 8, cut at (5, 5).
  dst.ColorFill(nullptr, 0);
  const Size size{8, 8};
  EXPECT_EQ(BltClipped(&dst, &src, &size, 0, 0, &whole, &clip, -1), 0);
  EXPECT_EQ(at(0, 0), 0x111111u);
  EXPECT_EQ(at(2, 2), 0xFF00FFu);  // no key asked: the key colour is copied
  EXPECT_NE(at(4, 4), 0u);
  EXPECT_EQ(at(5, 5), 0u);
  const Size none{0, 8};
  EXPECT_EQ(BltClipped(&dst, &src, &none, 0, 0, &whole, &clip, -1), 0);
  EXPECT_EQ(BltFastClipped(nullptr, &src, 0, 0, &whole, &clip, -1), 1);
  EXPECT_EQ(BltFastClipped(&dst, &src, 0, 0, &whole, nullptr, -1), 1);
  EXPECT_EQ(BltClipped(&dst, &src, nullptr, 0, 0, nullptr, &clip, -1), 1);
  // A blit the surface refuses: 2.
  src.SetLost(true);
  EXPECT_EQ(BltFastClipped(&dst, &src, 0, 0, &whole, &clip, -1), 2);
}

}  // namespace
}  // namespace orrivel
