#include "raster/Surface.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "../resource/TempFolder.h"
#include "elg/ElgWriter.h"
#include "lpk/LpkWriter.h"
#include "raster/BlendTables.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"
#include "resource/LpkSettings.h"

namespace orrivel {
namespace {

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
};

TEST_F(SurfaceTest, CreationRefusalsAndLikeCopies) {
  Surface s;
  EXPECT_EQ(s.Create(4, 4, 16, Surface::kWithRegion), 1);
  EXPECT_EQ(s.Create(4, 4, 24, 0), 1);
  EXPECT_EQ(s.GetBits(), nullptr);
  EXPECT_EQ(s.Create(0, 4, 32, 0), 2);
  ASSERT_EQ(s.Create(5, 3, 8, Surface::kWithRegion | Surface::kWithDeviceContext), 0);
  ASSERT_NE(s.Region(), nullptr);
  EXPECT_EQ(s.Region()->Count(), 0);
  EXPECT_FALSE(s.Changed());
  EXPECT_EQ(s.GetPitch(), 8);
  const uint32_t pal[2] = {0x00010203u, 0x00040506u};
  s.SetPalette(pal, 2, 2, 0);
  s.SetPixel(4, 2, 1);
  s.SetColorKeyAt(4, 2);
  s.SetUserValue1(7);
  s.SetHasAlpha(true);
  // Like the source: device context and region follow it.
  Surface like;
  ASSERT_EQ(like.CreateLike(&s, Surface::kLikeSource), 0);
  EXPECT_TRUE(like.IsSection());
  EXPECT_NE(like.Region(), nullptr);
  EXPECT_EQ(like.GetPixel(4, 2), 1u);
  EXPECT_EQ(like.GetPalette()[1], 0x00040506u);
  EXPECT_EQ(like.GetColorKey(), 1u);
  EXPECT_EQ(like.GetUserValue1(), 7);
  EXPECT_TRUE(like.HasAlpha());
  // Other flags keep only the device-context bit; a source without region
  // gives a copy without one.
  Surface bare, copy;
  ASSERT_EQ(bare.Create(2, 2, 32, 0), 0);
  ASSERT_EQ(copy.CreateLike(&bare, Surface::kLikeSource), 0);
  EXPECT_EQ(copy.Region(), nullptr);
  ASSERT_EQ(copy.CreateLike(&s, Surface::kWithRegion | Surface::kWithDeviceContext), 0);
  EXPECT_EQ(copy.Region(), nullptr);
  EXPECT_TRUE(copy.IsSection());
  Surface none;
  EXPECT_EQ(copy.CreateLike(&none, 0), 1);
  EXPECT_EQ(copy.CreateLike(nullptr, 0), 1);
  // Row table and release.
  EXPECT_EQ(none.BuildRowTable(), 1);
  ASSERT_EQ(s.BuildRowTable(), 0);
  EXPECT_EQ(s.RowTable()[2], s.GetBits() + 16);
  s.FreeBuffers();
  EXPECT_EQ(s.GetBits(), nullptr);
  EXPECT_EQ(s.Region(), nullptr);
  EXPECT_FALSE(s.HasAlpha() || s.Changed());
}

TEST_F(SurfaceTest, FillsPixelsAndPaletteMarkWhatChanged) {
  Surface s;
  ASSERT_EQ(s.Create(10, 8, 32, Surface::kWithRegion), 0);
  EXPECT_TRUE(s.FillRgbBox(-2, -2, 5, 4, 1, 2, 3));
  EXPECT_EQ(s.GetPixel(2, 1), 0x010203u);
  EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 3, 2})});
  EXPECT_TRUE(s.Changed());
  s.Region()->Reset();
  const Rect clip{2, 2, 6, 6};
  s.SetClipRect(&clip);
  EXPECT_TRUE(s.FillRect(0xAA000000u, nullptr));
  EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{clip});
  EXPECT_TRUE(s.FillColorKeepAlpha(0x11, 0x22, 0x33, nullptr));
  EXPECT_EQ(s.GetPixel(3, 3), 0xAA112233u);
  const Rect away{8, 8, 9, 9};
  EXPECT_FALSE(s.FillColorKeepAlpha(1, 1, 1, &away));
  EXPECT_FALSE(s.FillBox(20, 20, 2, 2, 5));
  // Boxes whose far edge lies beyond the 32-bit range hold it there.
  EXPECT_FALSE(s.FillBox(INT32_MAX - 1, 0, 10, 2, 5));
  s.SetClipRect(nullptr);
  EXPECT_TRUE(s.FillRgbBox(-4, 7, INT32_MAX, INT32_MAX, 9, 9, 9));
  EXPECT_EQ(s.GetPixel(9, 7), 0x090909u);
  // Pixels: only inside, only 8 and 32 bits.
  s.Region()->Reset();
  EXPECT_EQ(s.SetPixel(9, 7, 0x12345678u), 1);
  EXPECT_EQ(s.SetPixel(10, 0, 1), 0);
  EXPECT_EQ(s.SetPixel(0, -1, 1), 0);
  EXPECT_EQ(s.GetPixel(9, 7), 0x12345678u);
  EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{(Rect{9, 7, 10, 8})});
  // Palette entries mark the whole surface only when applied.
  Surface p;
  ASSERT_EQ(p.Create(4, 4, 8, Surface::kWithRegion), 0);
  EXPECT_FALSE(p.SetPaletteEntry(1, 5, true));  // no palette yet
  ASSERT_EQ(p.SetPalette(nullptr, 0, 0, 0), 0);
  p.Region()->Reset();
  p.ClearChanged();
  EXPECT_TRUE(p.SetPaletteEntry(1, 0x00FF0000u, false));
  EXPECT_FALSE(p.Changed());
  EXPECT_EQ(p.Region()->Count(), 0);
  EXPECT_TRUE(p.FillPalette(0x00112233u, true));
  EXPECT_EQ(p.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 4, 4})});
  Surface wide;
  ASSERT_EQ(wide.Create(2, 2, 32, 0), 0);
  EXPECT_FALSE(p.CopyPalette(&wide));
}

TEST_F(SurfaceTest, Brightness) {
  Surface s;
  ASSERT_EQ(s.Create(4, 2, 32, Surface::kWithRegion), 0);
  s.FillRect(0x80A05010u, nullptr);
  s.Region()->Reset();
  s.ClearChanged();
  EXPECT_TRUE(s.SetBrightness(255, nullptr));
  EXPECT_EQ(s.GetPixel(0, 0), 0x80A05010u);
  EXPECT_FALSE(s.SetBrightness(511, nullptr));
  const Rect left{0, 0, 2, 2};
  EXPECT_TRUE(s.SetBrightness(128, &left));
  EXPECT_EQ(s.GetPixel(1, 1), 0x80000000u | uint32_t(ProductTable[128][0xA0]) << 16 |
                                  uint32_t(ProductTable[128][0x50]) << 8 | ProductTable[128][0x10]);
  EXPECT_EQ(s.GetPixel(2, 0), 0x80A05010u);
  EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{left});
  EXPECT_TRUE(s.SetBrightness(510, nullptr));
  EXPECT_EQ(s.GetPixel(3, 0), 0x80FFFFFFu);
  // 8 bits: the palette from the saved one; no rectangle.
  Surface p;
  ASSERT_EQ(p.Create(2, 2, 8, Surface::kWithRegion), 0);
  EXPECT_FALSE(p.SetBrightness(100, nullptr));  // no palette
  const uint32_t pal[2] = {0x7F804020u, 0x00FFFFFFu};
  p.SetPalette(pal, 2, 2, 0);
  EXPECT_FALSE(p.SetBrightness(100, &left));
  ASSERT_TRUE(p.SetBrightness(128, nullptr));
  const std::vector<uint32_t> once(p.GetPalette(), p.GetPalette() + 256);
  ASSERT_TRUE(p.SetBrightness(128, nullptr));
  EXPECT_EQ(std::vector<uint32_t>(p.GetPalette(), p.GetPalette() + 256), once);
  EXPECT_EQ(once[0], 0x7F000000u | uint32_t(ProductTable[128][0x80]) << 16 |
                         uint32_t(ProductTable[128][0x40]) << 8 | ProductTable[128][0x20]);
  ASSERT_TRUE(p.SetBrightness(300, nullptr));
  const uint32_t k = 45;
  EXPECT_EQ(p.GetPalette()[0], 0x7F000000u | (ProductTable[255 - k][0x80] + k) << 16 |
                                   (ProductTable[255 - k][0x40] + k) << 8 | (ProductTable[255 - k][0x20] + k));
  ASSERT_TRUE(p.SetBrightness(255, nullptr));
  EXPECT_EQ(p.GetPalette()[0], pal[0]);
  EXPECT_EQ(p.GetPalette()[1], pal[1]);
}

TEST_F(SurfaceTest, ConvertDepthKeepsTheRegion) {
  Surface s;
  ASSERT_EQ(s.Create(3, 2, 8, Surface::kWithRegion), 0);
  EXPECT_EQ(s.ConvertDepth(8), 2);
  EXPECT_EQ(s.ConvertDepth(16), 2);
  const uint32_t pal[3] = {0xFF000000u, 0xAA112233u, 0x55445566u};
  s.SetPalette(pal, 3, 3, 0);
  s.SetPixel(1, 0, 1);
  s.SetPixel(2, 1, 2);
  s.SetColorKeyAt(2, 1);
  DirtyRegion* region = s.Region();
  region->Reset();
  ASSERT_EQ(s.ConvertDepth(32), 0);
  EXPECT_EQ(s.Region(), region);
  EXPECT_EQ(region->Rects(), std::vector<Rect>{(Rect{0, 0, 3, 2})});
  EXPECT_TRUE(s.Changed());
  EXPECT_EQ(s.GetBitsPerPixel(), 32);
  EXPECT_EQ(s.GetPixel(1, 0), 0x00112233u);  // alpha byte 0
  EXPECT_EQ(s.GetColorKey(), 0x00445566u);
  EXPECT_EQ(s.GetPalette(), nullptr);
  ASSERT_EQ(s.ConvertDepth(8), 0);
  EXPECT_EQ(s.GetPixel(1, 0), (29u * 0x33 + 150u * 0x22 + 77u * 0x11) >> 8);
  EXPECT_EQ(s.GetColorKey(), kNoColorKey);
  EXPECT_EQ(s.GetPitch(), 4);
  // Without a palette the indices are grey levels.
  ASSERT_EQ(s.ConvertDepth(32), 0);
  EXPECT_EQ(s.GetPixel(1, 0), 0x00010101u * ((29u * 0x33 + 150u * 0x22 + 77u * 0x11) >> 8));
  Surface empty;
  EXPECT_EQ(empty.ConvertDepth(32), 1);
}

// --- pictures ----------------------------------------------------------------------------

std::vector<uint8_t> MakeElg(uint32_t depth, uint16_t w, uint16_t h, tools::ElgHeaderVariant variant) {
  tools::ElgImage image;
  image.depth = depth;
  image.width = w;
  image.height = h;
  image.offsetX = 3;
  image.offsetY = -4;
  image.chunks = {{2, {9, 8, 7}}};
  const uint32_t bytes = depth / 8;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (uint32_t b = 0; b < bytes; ++b) image.pixels.push_back(uint8_t(x * 16 + y * 3 + b * 50));
  if (depth == 8) {
    for (int i = 0; i < 256; ++i) {
      image.palette.insert(image.palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
    }
  }
  return tools::EncodeElg(image, variant);
}

// The pixel the pictures above carry at (x, y), as a 32-bit surface shows it.
uint32_t ElgPixel(uint32_t depth, uint32_t x, uint32_t y) {
  auto b = [&](uint32_t i) { return uint32_t(uint8_t(x * 16 + y * 3 + i * 50)); };
  if (depth == 8) {
    const uint32_t i = b(0);
    return (i / 2) << 16 | (255 - i) << 8 | i;
  }
  const uint32_t rgb = b(2) << 16 | b(1) << 8 | b(0);
  return depth == 32 ? rgb | b(3) << 24 : rgb;
}

class SurfaceLoadingTest : public SurfaceTest {
 protected:
  void SetUp() override {
    SurfaceTest::SetUp();
    ResetLpkSettings();
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldArchives_ = SetArchiveManager(&archives_);
    archives_.RegisterLpkDecoder();
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
    std::vector<tools::LpkWriterMember> members = {
        {"CG\\PIC32.ELG", MakeElg(32, 7, 5, tools::ElgHeaderVariant::kChunked), false, false},
        {"CG\\PIC24.ELG", MakeElg(24, 6, 4, tools::ElgHeaderVariant::kOffset), false, false},
        {"CG\\PIC8.ELG", MakeElg(8, 5, 3, tools::ElgHeaderVariant::kDepthOnly), false, false},
    };
    tools::LpkWriterOptions options;
    std::string error;
    ASSERT_TRUE(tools::WriteLpkFile(folder_.HostPath("DATA.LPK"), options, members, &error)) << error;
    ASSERT_EQ(archives_.Mount("DATA.LPK", kNoMountId, false, true, nullptr), 0);
  }
  void TearDown() override {
    Surface::SetLoaderManager(oldLoader_);
    SetArchiveManager(oldArchives_);
    SetBaseFolderForTest(oldBase_);
  }

  void ExpectPicture(Surface& s, uint32_t depth, int w, int h, bool keepsAlpha) {
    ASSERT_EQ(s.GetWidth(), w);
    ASSERT_EQ(s.GetHeight(), h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t want = ElgPixel(depth, uint32_t(x), uint32_t(y));
        if (!keepsAlpha) want &= 0x00FFFFFFu;
        ASSERT_EQ(s.GetPixel(x, y) & (keepsAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu), want) << x << "," << y;
      }
  }

  testing::TempFolder folder_;
  ArchiveManager archives_;
  ImageLoaderManager loader_;
  std::string oldBase_;
  ArchiveManager* oldArchives_ = nullptr;
  ImageLoaderManager* oldLoader_ = nullptr;
};

TEST_F(SurfaceLoadingTest, PicturesFromAMountedArchive) {
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "through the cache" : "decoded by name");
    loader_.SetCacheLimit(cached ? 16 : 0);
    if (cached) {
      // Fill the cache first, the way a preloaded picture sits there.
      for (const char* name : {"CG\\PIC32.ELG", "CG\\PIC24.ELG", "CG\\PIC8.ELG"}) {
        DecodedPicture* p = loader_.LoadPicture(name);
        ASSERT_NE(p, nullptr);
        DecodedPicture::Release(p);
      }
    }
    const struct {
      const char* name;
      uint32_t depth;
      int w, h;
    } pictures[] = {{"cg\\pic32.elg", 32, 7, 5}, {"CG\\PIC24.ELG", 24, 6, 4}, {"CG\\PIC8.ELG", 8, 5, 3}};
    for (const auto& p : pictures) {
      SCOPED_TRACE(p.name);
      Surface s;
      ASSERT_EQ(s.LoadImage(p.name, nullptr, 0, Surface::kWithRegion), 0);
      EXPECT_EQ(s.GetBitsPerPixel(), 32);
      ExpectPicture(s, p.depth, p.w, p.h, p.depth == 32);
      EXPECT_EQ(s.HasAlpha(), p.depth == 32);
      EXPECT_TRUE(s.Changed());
      EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, p.w, p.h})});
      if (p.depth != 8) {
        EXPECT_EQ(s.GetUserValue1(), 3);
        EXPECT_EQ(s.GetUserValue2(), -4);
      }
      // ConvertDepth keeps the region; the loaded picture stays marked.
      ASSERT_EQ(s.ConvertDepth(8), 0);
      EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, p.w, p.h})});
    }
    // The chunked picture hands its chunks over as attached data.
    Surface withData;
    ASSERT_EQ(withData.LoadImage("CG\\PIC32.ELG", nullptr, 0, 0), 0);
    EXPECT_GT(withData.AttachedSize(), 0u);
    // Indexed: 8 bits with the palette.
    Surface indexed;
    ASSERT_EQ(indexed.LoadImageIndexed("CG\\PIC8.ELG", nullptr, 0, Surface::kWithRegion), 0);
    EXPECT_EQ(indexed.GetBitsPerPixel(), 8);
    ASSERT_NE(indexed.GetPalette(), nullptr);
    EXPECT_EQ(indexed.GetPixel(2, 1), uint32_t(uint8_t(2 * 16 + 3)));
    EXPECT_EQ(indexed.GetPalette()[35] & 0x00FFFFFFu, ElgPixel(8, 2, 1));
    EXPECT_EQ(indexed.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 5, 3})});
    Surface missing;
    EXPECT_NE(missing.LoadImage("CG\\NONE.ELG", nullptr, 0, 0), 0);
    EXPECT_EQ(missing.GetBits(), nullptr);
  }
  // From memory, and without a manager.
  const auto bytes = MakeElg(24, 6, 4, tools::ElgHeaderVariant::kDepthOnly);
  Surface m;
  ASSERT_EQ(m.LoadImage(nullptr, bytes.data(), bytes.size(), 0), 0);
  ExpectPicture(m, 24, 6, 4, false);
  Surface::SetLoaderManager(nullptr);
  EXPECT_EQ(m.LoadImage(nullptr, bytes.data(), bytes.size(), 0), 1);
  EXPECT_EQ(m.LoadByName(nullptr, bytes.data(), bytes.size(), 0, 0, false), 3);
}

TEST_F(SurfaceLoadingTest, WrittenPicturesLoadBackAsTheyWere) {
  Surface s;
  ASSERT_EQ(s.Create(5, 3, 32, 0), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) s.SetPixel(x, y, 0x80000000u | uint32_t(y * 40 + x * 7) * 0x010203u);
  // Mode 1 keeps the 32-bit rows, alpha included; top row stays on top.
  ASSERT_EQ(s.DecodeWithLoader("SHOT.BMP", 1, 0), 0);
  Surface back;
  ASSERT_EQ(back.LoadImage("SHOT.BMP", nullptr, 0, 0), 0);
  ASSERT_EQ(back.GetWidth(), 5);
  ASSERT_EQ(back.GetHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(back.GetPixel(x, y), s.GetPixel(x, y)) << x << "," << y;
  // An 8-bit surface writes its indices and palette.
  Surface p;
  ASSERT_EQ(p.Create(3, 2, 8, 0), 0);
  const uint32_t pal[3] = {0x00102030u, 0x00405060u, 0x00708090u};
  p.SetPalette(pal, 3, 3, 0);
  p.SetPixel(2, 0, 1);
  p.SetPixel(0, 1, 2);
  ASSERT_EQ(p.DecodeWithLoader("SHOT8.BMP", 0, 0), 0);
  Surface back8;
  ASSERT_EQ(back8.LoadImageIndexed("SHOT8.BMP", nullptr, 0, 0), 0);
  EXPECT_EQ(back8.GetPixel(2, 0), 1u);
  EXPECT_EQ(back8.GetPixel(0, 1), 2u);
  ASSERT_NE(back8.GetPalette(), nullptr);
  EXPECT_EQ(back8.GetPalette()[2] & 0x00FFFFFFu, pal[2]);
  // Refusals: no pixels, no name, no writer for the name, no manager.
  Surface empty;
  EXPECT_EQ(empty.DecodeWithLoader("NONE.BMP", 0, 0), -4);
  EXPECT_EQ(s.DecodeWithLoader(nullptr, 0, 0), 1);
  EXPECT_EQ(s.DecodeWithLoader("SHOT.ELG", 0, 0), 1);
  Surface::SetLoaderManager(nullptr);
  EXPECT_EQ(s.DecodeWithLoader("SHOT.BMP", 0, 0), 1);
}

TEST_F(SurfaceLoadingTest, DrawIntoAnExistingSurface) {
  // Every header variant takes the direct path into a surface as wide as
  // the picture and at least as high.
  for (auto variant : {tools::ElgHeaderVariant::kDepthOnly, tools::ElgHeaderVariant::kOffset,
                       tools::ElgHeaderVariant::kChunked}) {
    for (uint32_t depth : {8u, 24u, 32u}) {
      SCOPED_TRACE(::testing::Message() << "variant " << int(variant) << " depth " << depth);
      const auto bytes = MakeElg(depth, 6, 4, variant);
      Surface s;
      ASSERT_EQ(s.Create(6, 5, 32, Surface::kWithRegion), 0);
      s.FillRect(0x01020304u, nullptr);
      s.Region()->Reset();
      ASSERT_EQ(s.LoadByName(nullptr, bytes.data(), bytes.size(), 0, 0, false), 0);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
          const uint32_t want = ElgPixel(depth, uint32_t(x), uint32_t(y));
          ASSERT_EQ(s.GetPixel(x, y) & (depth == 32 ? ~0u : 0x00FFFFFFu), want) << x << "," << y;
        }
      EXPECT_EQ(s.GetPixel(0, 4), 0x01020304u);
      EXPECT_EQ(s.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 6, 4})});
      // An 8-bit surface takes grey levels, or the indices and, with
      // keep-palette, the palette.
      Surface g;
      ASSERT_EQ(g.Create(6, 4, 8, 0), 0);
      ASSERT_EQ(g.LoadByName(nullptr, bytes.data(), bytes.size(), 0, 0, true), 0);
      if (depth == 8) {
        EXPECT_EQ(g.GetPixel(1, 2), uint32_t(uint8_t(16 + 6)));
        ASSERT_NE(g.GetPalette(), nullptr);
        EXPECT_EQ(g.GetPalette()[22] & 0x00FFFFFFu, ElgPixel(8, 1, 2));
      } else {
        const uint32_t p = ElgPixel(depth, 1, 2);
        EXPECT_EQ(g.GetPixel(1, 2), ((p >> 16 & 0xFF) * 77 + (p >> 8 & 0xFF) * 150 + (p & 0xFF) * 29) >> 8);
      }
    }
  }
  // A damaged header or stream is refused and nothing is marked.
  auto bytes = MakeElg(32, 6, 4, tools::ElgHeaderVariant::kChunked);
  Surface s;
  ASSERT_EQ(s.Create(6, 4, 32, Surface::kWithRegion), 0);
  for (size_t cut : {size_t(5), size_t(12), bytes.size() - 3}) {
    EXPECT_EQ(s.LoadByName(nullptr, bytes.data(), cut, 0, 0, false), 3) << cut;
  }
  EXPECT_EQ(s.Region()->Count(), 0);
  // Elsewhere, or a different width: decoded and clipped at (x, y).
  Surface big;
  ASSERT_EQ(big.Create(8, 8, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(big.LoadByName(nullptr, bytes.data(), bytes.size(), 4, -1, false), 0);
  EXPECT_EQ(big.Region()->Rects(), std::vector<Rect>{(Rect{4, 0, 8, 3})});
  EXPECT_EQ(big.GetPixel(5, 0), ElgPixel(32, 1, 1));
  EXPECT_EQ(big.LoadByName(nullptr, bytes.data(), bytes.size(), 9, 0, false), -1);
  // By name from the archive, with and without the cache.
  for (int limit : {0, 16}) {
    loader_.SetCacheLimit(limit);
    Surface named;
    ASSERT_EQ(named.Create(7, 5, 32, 0), 0);
    ASSERT_EQ(named.LoadByName("CG\\PIC32.ELG", nullptr, 0, 0, 0, false), 0);
    EXPECT_EQ(named.GetPixel(6, 4), ElgPixel(32, 6, 4));
    ASSERT_EQ(named.LoadByName("CG\\PIC24.ELG", nullptr, 0, 1, 1, false), 0);
    EXPECT_EQ(named.GetPixel(1, 1) & 0x00FFFFFFu, ElgPixel(24, 0, 0));
    EXPECT_EQ(named.LoadByName("CG\\NONE.ELG", nullptr, 0, 0, 0, false), 2);
  }
  Surface empty;
  EXPECT_EQ(empty.LoadByName(nullptr, bytes.data(), bytes.size(), 0, 0, false), 1);
  EXPECT_EQ(big.LoadByName(nullptr, nullptr, 0, 0, 0, false), 2);
}

}  // namespace
}  // namespace orrivel
