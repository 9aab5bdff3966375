#include "raster/DibImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "resource/BitmapInfoHeader.h"

namespace orrivel {
namespace {

TEST(DibImageTest, CreateLayout) {
  struct Case {
    int32_t w, h;
    uint8_t bits;
    bool section;
    int32_t pitch;
    uint32_t bufferSize;
  };
  const Case cases[] = {
      {5, 2, 32, false, 20, 47},
      {5, 2, 8, true, 8, 0},
      {3, 3, 8, false, 4, 19},
      {1, 1, 32, true, 4, 0},
  };
  for (const Case& c : cases) {
    DibImage image;
    ASSERT_EQ(image.Create(c.w, c.h, c.bits, c.section), 0);
    EXPECT_EQ(image.GetPitch(), c.pitch);
    EXPECT_EQ(image.GetBufferSize(), c.bufferSize);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.GetBits()) % 8, 0u);
    EXPECT_EQ(image.GetBitsPerPixel(), c.bits);
    EXPECT_EQ(image.IsSection(), c.section);
    EXPECT_EQ(image.GetPalette(), nullptr);  // made on first need
    // Every byte of the last row is writable.
    uint8_t* last = image.GetScanLine(c.h - 1);
    for (int32_t i = 0; i < c.pitch; ++i) last[i] = 0xAB;
  }
}

// A new picture reads as nothing drawn, whatever the allocator handed out:
// the picture made after a painted one of the same size is clear at every
// depth, kind and size (small ones and screen-sized ones), padding bytes
// included.
TEST(DibImageTest, NewPicturesStartCleared) {
  const struct {
    int32_t w, h;
  } sizes[] = {{37, 9}, {1280, 720}};
  for (const auto& size : sizes) {
    for (uint8_t bits : {uint8_t(8), uint8_t(32)}) {
      for (bool section : {false, true}) {
        SCOPED_TRACE(testing::Message() << size.w << "x" << size.h << " " << int(bits)
                                        << (section ? " section" : " plain"));
        {
          DibImage painted;
          ASSERT_EQ(painted.Create(size.w, size.h, bits, section), 0);
          std::memset(painted.GetBits(), 0x5C, size_t(painted.GetPitch()) * size_t(size.h));
        }
        DibImage fresh;
        ASSERT_EQ(fresh.Create(size.w, size.h, bits, section), 0);
        const uint8_t* bytes = fresh.GetBits();
        const size_t count = size_t(fresh.GetPitch()) * size_t(size.h);
        EXPECT_EQ(std::count(bytes, bytes + count, 0), std::ptrdiff_t(count));
      }
    }
  }
}

TEST(DibImageTest, RefusedCreateLeavesTheImageEmpty) {
  const struct {
    int32_t w, h;
    uint8_t bits;
    int result;
  } cases[] = {
      {0, 5, 8, 1},
      {5, 0, 32, 1},
      {-1, 5, 32, 1},
      {5, 5, 4, 1},
      {65535, 65535, 32, 2},  // 17 GB: refused, not allocated short
      {65535, 65535, 8, 2},
      {0x7FFFFFFF, 2, 32, 2},
  };
  for (const auto& c : cases) {
    DibImage image;
    ASSERT_EQ(image.Create(8, 8, 8, false), 0);
    ASSERT_EQ(image.SetPalette(nullptr, 0, 0, 0), 0);
    image.SetColorKeyRgb(3, 3, 3);
    EXPECT_EQ(image.Create(c.w, c.h, c.bits, true), c.result);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetColorKey(), kNoColorKey);
    EXPECT_EQ(image.Resize(4, 4), 1);
    EXPECT_FALSE(image.FillRgb(1, 2, 3, nullptr, nullptr));
    EXPECT_EQ(image.GetPixel(0, 0), kNoColorKey);
  }
}

TEST(DibImageTest, PaletteCopiesOnlyWhatTheTableHolds) {
  DibImage image;
  ASSERT_EQ(image.Create(4, 4, 8, false), 0);
  std::vector<uint32_t> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i] = 0x10000000u + i;

  ASSERT_EQ(image.SetPalette(nullptr, 0, 0, 0), 0);  // grey ramp
  EXPECT_EQ(image.GetPalette()[0x80], 0x808080u);
  // Indexed like the palette; stops after entry 255.
  ASSERT_EQ(image.SetPalette(table.data(), table.size(), 10, 250), 0);
  EXPECT_EQ(image.GetPalette()[249], 249u * 0x010101u);
  for (uint32_t i = 250; i < 256; ++i) EXPECT_EQ(image.GetPalette()[i], table[i]);

  // A short table is never read past its end: entries beyond it stay.
  ASSERT_EQ(image.SetPalette(nullptr, 0, 0, 0), 0);
  const uint32_t shortTable[4] = {1, 2, 3, 4};
  ASSERT_EQ(image.SetPalette(shortTable, 4, 8, 2), 0);
  EXPECT_EQ(image.GetPalette()[1], 0x010101u);
  EXPECT_EQ(image.GetPalette()[2], 3u);
  EXPECT_EQ(image.GetPalette()[3], 4u);
  EXPECT_EQ(image.GetPalette()[4], 0x040404u);

  DibImage deep;
  ASSERT_EQ(deep.Create(4, 4, 32, false), 0);
  EXPECT_EQ(deep.SetPalette(nullptr, 0, 0, 0), 1);
}

TEST(DibImageTest, PaletteEntriesAndLookUp) {
  DibImage image;
  ASSERT_EQ(image.Create(4, 4, 8, false), 0);
  EXPECT_FALSE(image.SetPaletteEntry(1, 0x123456, true));
  EXPECT_FALSE(image.FillPalette(0, true));
  EXPECT_EQ(image.FindPaletteIndex(0, 0, 0), -1);

  ASSERT_EQ(image.SetPalette(nullptr, 0, 0, 0), 0);
  EXPECT_TRUE(image.SetPaletteEntry(256 + 7, 0xFF123456u, false));  // modulo 256
  EXPECT_EQ(image.GetPalette()[7], 0xFF123456u);
  EXPECT_EQ(image.FindPaletteIndex(0x12, 0x34, 0x56), 7);  // the fourth byte is not compared
  EXPECT_EQ(image.FindPaletteIndex(9, 9, 9), 9);
  EXPECT_EQ(image.SetColorKeyRgb(0x12, 0x34, 0x56), 0);
  EXPECT_EQ(image.GetColorKey(), 7u);
  EXPECT_EQ(image.SetColorKeyRgb(1, 2, 3), 1);  // not in the palette
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);

  EXPECT_TRUE(image.FillPalette(0x00010203, true));
  EXPECT_EQ(image.FindPaletteIndex(1, 2, 3), 0);
  EXPECT_EQ(image.FindPaletteIndex(9, 9, 9), -1);
}

TEST(DibImageTest, ColourKeysAndPixelReads) {
  DibImage image;
  ASSERT_EQ(image.Create(3, 2, 32, false), 0);
  EXPECT_EQ(image.SetColorKeyRgb(0x11, 0x22, 0x33), 0);
  EXPECT_EQ(image.GetColorKey(), 0x112233u);
  ASSERT_TRUE(image.FillColor(0x80ABCDEFu, nullptr, nullptr));
  EXPECT_EQ(image.GetPixel(2, 1), 0x80ABCDEFu);
  EXPECT_EQ(image.SetColorKeyAt(1, 1), 0);
  EXPECT_EQ(image.GetColorKey(), 0x80ABCDEFu);
  EXPECT_EQ(image.SetColorKeyAt(3, 0), 1);
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  EXPECT_EQ(image.GetPixel(-1, 0), kNoColorKey);
  EXPECT_EQ(image.GetPixel(0, 2), kNoColorKey);
  EXPECT_EQ(image.ClearColorKey(), 0);

  DibImage odd;
  ASSERT_EQ(odd.Create(3, 2, 16, false), 0);  // accepted, but no pixel operation reads it
  EXPECT_EQ(odd.GetPitch(), 8);
  EXPECT_EQ(odd.GetPixel(0, 0), kNoColorKey);
  EXPECT_FALSE(odd.FillRgb(1, 2, 3, nullptr, nullptr));
  EXPECT_FALSE(odd.FillColor(1, nullptr, nullptr));
}

// Fills go several pixels a store: every width up to a few steps, at every
// left offset within a step, sets exactly the rectangle's pixels.
TEST(DibImageTest, FillColorSetsExactlyTheRectangleAtEveryWidthAndOffset) {
  DibImage image;
  ASSERT_EQ(image.Create(48, 3, 32, false), 0);
  for (int32_t left = 0; left < 5; ++left)
    for (int32_t width = 0; width <= 40; ++width) {
      ASSERT_TRUE(image.FillColor(0x11223344u, nullptr, nullptr));
      const Rect r{left, 1, left + width, 2};
      image.FillColor(0x8899AABBu, &r, nullptr);
      for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 48; ++x) {
          const bool inside = y == 1 && x >= left && x < left + width;
          ASSERT_EQ(image.GetPixel(x, y), inside ? 0x8899AABBu : 0x11223344u)
              << "left " << left << " width " << width << " at " << x << "," << y;
        }
    }
}

TEST(DibImageTest, FillsClipAndReportWhatTheyFilled) {
  DibImage image;
  ASSERT_EQ(image.Create(8, 6, 32, false), 0);
  ASSERT_TRUE(image.FillColor(0xFFFFFFFFu, nullptr, nullptr));
  const Rect clip{2, 1, 6, 5};
  ASSERT_TRUE(image.SetClipRect(&clip));

  Rect out;
  EXPECT_TRUE(image.FillRgb(0x12, 0x34, 0x56, nullptr, &out));  // no rectangle: the clip
  EXPECT_EQ(out, clip);
  EXPECT_EQ(image.GetPixel(2, 1), 0x00123456u);  // alpha byte 0
  EXPECT_EQ(image.GetPixel(5, 4), 0x00123456u);
  EXPECT_EQ(image.GetPixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(image.GetPixel(6, 4), 0xFFFFFFFFu);

  const Rect partly{4, 0, 20, 2};
  EXPECT_TRUE(image.FillRgb(1, 1, 1, &partly, &out));
  EXPECT_EQ(out, (Rect{4, 1, 6, 2}));
  const Rect outside{6, 0, 8, 6};
  out = Rect{9, 9, 9, 9};
  EXPECT_FALSE(image.FillRgb(1, 1, 1, &outside, &out));
  EXPECT_EQ(out, (Rect{9, 9, 9, 9}));

  EXPECT_TRUE(image.FillColor(0x01020304u, nullptr, &out));  // no rectangle: the whole image
  EXPECT_EQ(out, (Rect{0, 0, 8, 6}));
  EXPECT_EQ(image.GetPixel(0, 0), 0x01020304u);
  EXPECT_TRUE(image.FillColor(0xAA000000u, &partly, &out));
  EXPECT_EQ(out, (Rect{4, 1, 6, 2}));
  EXPECT_EQ(image.GetPixel(4, 0), 0x01020304u);

  DibImage indexed;
  ASSERT_EQ(indexed.Create(5, 3, 8, true), 0);
  EXPECT_TRUE(indexed.FillRgb(0, 0, 0, nullptr, nullptr));
  const Rect r{1, 1, 4, 2};
  EXPECT_TRUE(indexed.FillRgb(200, 1, 2, &r, nullptr));  // the index is the red byte
  EXPECT_EQ(indexed.GetPixel(1, 1), 200u);
  EXPECT_EQ(indexed.GetPixel(3, 1), 200u);
  EXPECT_EQ(indexed.GetPixel(4, 1), 0u);
  EXPECT_EQ(indexed.GetPixel(1, 0), 0u);
  EXPECT_FALSE(indexed.FillColor(1, nullptr, nullptr));  // 32 bits only
}

TEST(DibImageTest, ResizeKeepsPlainBlocksAndRenewsSections) {
  DibImage plain;
  ASSERT_EQ(plain.Create(10, 10, 8, false), 0);
  ASSERT_EQ(plain.SetPalette(nullptr, 0, 0, 0), 0);
  ASSERT_EQ(plain.SetColorKeyRgb(5, 5, 5), 0);
  uint8_t* bits = plain.GetBits();
  EXPECT_EQ(plain.Resize(10, 10), 0);
  EXPECT_EQ(plain.Resize(6, 4), 0);
  EXPECT_EQ(plain.GetBits(), bits);
  EXPECT_EQ(plain.GetPitch(), 8);
  EXPECT_EQ(plain.GetBufferSize(), 127u);  // 12 * 10 + 7, kept
  EXPECT_NE(plain.GetPalette(), nullptr);
  EXPECT_EQ(plain.GetColorKey(), 5u);
  Rect clip;
  EXPECT_EQ(*plain.GetClipRect(&clip), (Rect{0, 0, 6, 4}));
  EXPECT_EQ(plain.Resize(40, 40), 0);  // does not fit: a new block
  EXPECT_EQ(plain.GetWidth(), 40);
  EXPECT_EQ(plain.GetPalette(), nullptr);
  EXPECT_EQ(plain.GetColorKey(), kNoColorKey);
  EXPECT_EQ(plain.Resize(0, 4), 1);
  EXPECT_EQ(plain.Resize(65535, 65535), 2);
  EXPECT_EQ(plain.GetBits(), nullptr);

  DibImage section;
  ASSERT_EQ(section.Create(10, 10, 8, true), 0);
  ASSERT_EQ(section.SetPalette(nullptr, 0, 0, 0), 0);
  ASSERT_EQ(section.SetColorKeyRgb(5, 5, 5), 0);
  EXPECT_EQ(section.Resize(6, 4), 0);
  EXPECT_TRUE(section.IsSection());
  EXPECT_EQ(section.GetPalette(), nullptr);
  EXPECT_EQ(section.GetColorKey(), kNoColorKey);
  EXPECT_EQ(section.GetWidth(), 6);
}

TEST(DibImageTest, SectionColourTableFollowsPushedPalettes) {
  DibImage section;
  ASSERT_EQ(section.Create(4, 2, 8, true), 0);
  const uint32_t* colours = section.GetSectionColors();
  ASSERT_NE(colours, nullptr);
  EXPECT_EQ(section.GetPalette(), nullptr);
  EXPECT_EQ(colours[0], 0u);
  EXPECT_EQ(colours[0x80], 0x808080u);  // grey ramp from creation
  EXPECT_EQ(colours[255], 0xFFFFFFu);

  const uint32_t table[256] = {0x112233, 0x445566};
  ASSERT_EQ(section.SetPalette(nullptr, 0, 0, 0), 0);
  ASSERT_EQ(section.SetPalette(table, 256, 2, 0), 0);  // always sent
  EXPECT_EQ(colours[1], 0x445566u);
  EXPECT_EQ(colours[2], 0x020202u);

  ASSERT_TRUE(section.SetPaletteEntry(3, 0xABCDEF, false));  // kept back
  EXPECT_EQ(colours[3], 0x030303u);
  ASSERT_TRUE(section.SetPaletteEntry(4, 0x123456, true));  // sends every entry
  EXPECT_EQ(colours[3], 0xABCDEFu);
  EXPECT_EQ(colours[4], 0x123456u);
  ASSERT_TRUE(section.FillPalette(0x00FF00, false));
  EXPECT_EQ(colours[0], 0x112233u);
  ASSERT_TRUE(section.FillPalette(0x00FF00, true));
  EXPECT_EQ(colours[0], 0x00FF00u);

  // A resized section is new: grey again.
  ASSERT_EQ(section.Resize(8, 8), 0);
  ASSERT_NE(section.GetSectionColors(), nullptr);
  EXPECT_EQ(section.GetSectionColors()[0x40], 0x404040u);

  // Plain buffers and 32-bit sections have no colour table.
  DibImage plain, deep;
  ASSERT_EQ(plain.Create(4, 2, 8, false), 0);
  ASSERT_EQ(deep.Create(4, 2, 32, true), 0);
  EXPECT_EQ(plain.GetSectionColors(), nullptr);
  EXPECT_EQ(deep.GetSectionColors(), nullptr);
  section.Free();
  EXPECT_EQ(section.GetSectionColors(), nullptr);
}

TEST(MakeBitmapInfoTest, HeaderAndColourTableByDepth) {
  const struct {
    int32_t w, h;
    uint8_t bits;
    size_t size;
    uint32_t colorsUsed;
  } cases[] = {{5, 2, 8, 1064, 256}, {5, 2, 32, 44, 0}, {640, 480, 32, 44, 0}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> block = MakeBitmapInfo(c.w, c.h, c.bits);
    ASSERT_EQ(block.size(), c.size);
    const BitmapInfoHeader h = BitmapInfoHeader::Read(block.data());
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, c.w);
    EXPECT_EQ(h.height, -c.h);  // top-down
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, c.bits);
    EXPECT_EQ(h.compression, BitmapInfoHeader::kCompressionRgb);
    EXPECT_EQ(h.colorsUsed, c.colorsUsed);
    EXPECT_EQ(h.imageSize, 0u);
    for (size_t i = 40; i < block.size(); ++i) ASSERT_EQ(block[i], 0) << i;
  }
}

}  // namespace
}  // namespace orrivel
