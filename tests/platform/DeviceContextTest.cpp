// The device context over memory pixels: non-antialiased text output,
// opaque backgrounds, fills and block copies, with palette matching on 8
// bits and alpha 0 on 32 bits.
#include "platform/font/DeviceContext.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace orrivel::platform {
namespace {

struct Pixels {
  Pixels(int32_t w, int32_t h, uint8_t bpp, uint32_t fill) : bytes(size_t(w * h * (bpp / 8)), 0) {
    target = MemoryDc(bytes.data(), w, h, w * (bpp / 8), bpp, nullptr);
    for (int32_t i = 0; i < w * h; ++i) {
      if (bpp == 32) reinterpret_cast<uint32_t*>(bytes.data())[i] = fill;
      else bytes[size_t(i)] = uint8_t(fill);
    }
  }
  uint32_t At(int32_t x, int32_t y) const {
    return target.format.bitCount == 32 ? reinterpret_cast<const uint32_t*>(bytes.data())[y * target.width + x]
                                     : bytes[size_t(y * target.width + x)];
  }
  std::vector<uint8_t> bytes;
  SurfaceDc target;
};

std::unique_ptr<FontFace> Face(int32_t escapement = 0) {
  FontRequest request;
  request.height = -16;
  request.escapement = escapement;
  return FontFace::Open(request);
}

TEST(DeviceContextTest, TextIsTwoLevelAndClearsAlphaOn32Bits) {
  auto face = Face();
  ASSERT_NE(face, nullptr);
  Pixels p(40, 20, 32, 0xFF102030u);
  DeviceContext dc;
  dc.SelectTarget(p.target);
  const uint16_t codes[] = {'A', 0x82A0};
  EXPECT_FALSE(dc.TextOut(0, 0, codes, 2)) << "no face selected";
  dc.SelectFont(face.get());
  dc.SetTextColor(0xC08040);
  ASSERT_TRUE(dc.TextOut(2, 2, codes, 2));
  std::set<uint32_t> values;
  int32_t right = 0, bottom = 0;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      values.insert(p.At(x, y));
      if (p.At(x, y) == 0xC08040u) {
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
      }
    }
  EXPECT_EQ(values, (std::set<uint32_t>{0xFF102030u, 0x00C08040u}));
  const TextExtent extent = dc.GetTextExtent(codes, 2);
  EXPECT_EQ(extent.width, face->Advance('A') + face->Advance(0x82A0));
  EXPECT_LE(right, 2 + extent.width);
  EXPECT_LE(bottom, 2 + extent.height);
}

TEST(DeviceContextTest, EightBitsTakeTheNearestPaletteEntry) {
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = uint32_t(i) << 16;  // a red ramp
  palette[77] = 0x0000FF;
  // Without a palette the grey ramp: white is 255, grey 15 is 15.
  Pixels grey(4, 1, 8, 0);
  DeviceContext greyDc;
  greyDc.SelectTarget(grey.target);
  ASSERT_TRUE(greyDc.FillRect(Rect{0, 0, 1, 1}, 0xFFFFFF));
  ASSERT_TRUE(greyDc.FillRect(Rect{1, 0, 2, 1}, 0x0F0F0F));
  EXPECT_EQ(grey.At(0, 0), 255u);
  EXPECT_EQ(grey.At(1, 0), 15u);
  auto face = Face();
  Pixels p(40, 20, 8, 0);
  p.target.palette = palette;
  DeviceContext dc;
  dc.SelectTarget(p.target);
  dc.SelectFont(face.get());
  dc.SetTextColor(0x0000FF);
  dc.SetBackgroundOpaque(true);
  dc.SetBackgroundColor(0x050000);
  const uint16_t codes[] = {'W'};
  ASSERT_TRUE(dc.TextOut(1, 1, codes, 1));
  std::set<uint32_t> values;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 40; ++x) values.insert(p.At(x, y));
  EXPECT_EQ(values, (std::set<uint32_t>{0, 5, 77})) << "untouched, background, text";
  EXPECT_EQ(p.At(1, 1), 5u);
}

TEST(DeviceContextTest, TurnedTextLiesLeftOfThePenAt2700) {
  auto face = Face(2700);
  Pixels p(40, 60, 32, 0);
  DeviceContext dc;
  dc.SelectTarget(p.target);
  dc.SelectFont(face.get());
  dc.SetTextColor(0xFFFFFF);
  const uint16_t codes[] = {0x82A0, 0x82A0};
  ASSERT_TRUE(dc.TextOut(30, 4, codes, 2));
  int32_t left = 40, right = 0, bottom = 0;
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 40; ++x)
      if (p.At(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
      }
  EXPECT_LE(right, 30);
  EXPECT_GE(left, 30 - 17);
  EXPECT_GT(bottom, 4 + 20) << "the second character lies below the first";
}

TEST(DeviceContextTest, FillsAndBlockCopiesClip) {
  Pixels dst(10, 10, 32, 0xFF000000u);
  DeviceContext dc;
  EXPECT_FALSE(dc.FillRect(Rect{0, 0, 2, 2}, 0x123456)) << "no pixels";
  dc.SelectTarget(dst.target);
  EXPECT_TRUE(dc.FillRect(Rect{-5, 8, 3, 20}, 0x123456));
  EXPECT_EQ(dst.At(0, 9), 0x123456u);
  EXPECT_EQ(dst.At(3, 9), 0xFF000000u);
  EXPECT_FALSE(dc.FillRect(Rect{10, 0, 12, 4}, 0x123456));
  Pixels src(4, 4, 8, 0);
  uint32_t palette[256] = {};
  palette[0] = 0xABCDEF;
  src.target.palette = palette;
  EXPECT_TRUE(dc.BitBlt(8, -1, 4, 4, src.target, 0, 0));
  EXPECT_EQ(dst.At(8, 0), 0xABCDEFu);
  EXPECT_EQ(dst.At(9, 2), 0xABCDEFu);
  EXPECT_EQ(dst.At(9, 3), 0xFF000000u) << "the copy moved up by one and was cut";
  Pixels eight(4, 4, 8, 0);
  DeviceContext narrow;
  narrow.SelectTarget(eight.target);
  Pixels none(0, 0, 8, 0);
  none.target.bits = nullptr;
  EXPECT_FALSE(narrow.BitBlt(0, 0, 2, 2, none.target, 0, 0)) << "no source pixels";
  Pixels same(4, 4, 8, 9);
  EXPECT_TRUE(narrow.BitBlt(1, 1, 8, 8, same.target, 0, 0));
  EXPECT_EQ(eight.At(0, 0), 0u);
  EXPECT_EQ(eight.At(3, 3), 9u);
}

}  // namespace
}  // namespace orrivel::platform
