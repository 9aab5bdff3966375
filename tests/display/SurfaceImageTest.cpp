// Surface images: blank surfaces and their sizes and formats, pictures from
// files and memory on both ELG routes and through the decoders, colour keys,
// fills, restores after loss, copies of memory images, and hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/SurfaceImageRig.h"
#include "raster/DibImage.h"
#include "raster/PixelBuffer.h"
#include "raster/PixelFormat.h"
#include "resource/DecodedPicture.h"

namespace orrivel {
namespace {

using platform::DescribeSurfaceFormat;
using platform::SurfaceFormat;
using testing::FixtureBmp;
using testing::FixtureColor;
using testing::FixtureElg;
using testing::SurfaceRgb;

class SurfaceImageTest : public testing::SurfaceImageRig {};

TEST_F(SurfaceImageTest, BlankSurfacesTakeTheirSizeAndFormat) {
  struct Case {
    uint32_t displayBits;
    int32_t width;
    int32_t height;
    uint8_t texture;
    std::optional<SurfaceFormat> format;
    int result;
    int32_t surfaceWidth;
    uint32_t code;
  };
  const Case cases[] = {
      // An odd width on a 24-bit display gets one more column; the image keeps its own.
      {24, 101, 40, 0, std::nullopt, 0, 102, kPixelFormatR8G8B8},
      {24, 100, 40, 0, std::nullopt, 0, 100, kPixelFormatR8G8B8},
      {32, 101, 40, 0, std::nullopt, 0, 101, kPixelFormatX8R8G8B8},
      {16, 5, 5, 0, std::nullopt, 0, 5, kPixelFormatR5G6B5},
      // A plain surface records an alpha layout without its alpha; a texture keeps it.
      {32, 8, 8, 0, SurfaceFormat::A8R8G8B8, 0, 8, kPixelFormatX8R8G8B8},
      {32, 8, 8, 1, SurfaceFormat::A8R8G8B8, 0, 8, kPixelFormatA8R8G8B8},
      {32, 8, 8, 0, SurfaceFormat::A1R5G5B5, 0, 8, kPixelFormatX1R5G5B5},
      {32, 8, 8, 1, SurfaceFormat::A4R4G4B4, 0, 8, kPixelFormatA4R4G4B4},
      // A texture needs a format; sizes below 1 are refused.
      {32, 8, 8, 1, std::nullopt, 1, 0, 0},
      {32, 0, 8, 0, std::nullopt, 1, 0, 0},
      {32, 8, -1, 0, std::nullopt, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.displayBits << " bits " << c.width << "x" << c.height
                                      << " texture " << int(c.texture));
    Boot(c.displayBits);
    SurfaceImage image;
    platform::SurfacePixelFormat format;
    if (c.format) format = DescribeSurfaceFormat(*c.format);
    ASSERT_EQ(image.CreateBlank(c.width, c.height, 0, c.texture, c.format ? &format : nullptr),
              c.result);
    if (c.result != 0) {
      EXPECT_EQ(image.GetDisplaySurface(), nullptr);
      continue;
    }
    EXPECT_EQ(image.GetKind(), kImageKindSurfaceImage);
    EXPECT_EQ(image.GetWidth(), c.width);
    EXPECT_EQ(image.GetDisplaySurface()->Width(), c.surfaceWidth);
    EXPECT_EQ(image.FormatCode(), c.code);
    EXPECT_EQ(image.GetPitch(), image.GetDisplaySurface()->Pitch());
    Rect clip;
    EXPECT_EQ(*image.GetClipRect(&clip), (Rect{0, 0, c.width, c.height}));
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  }
  // Without a device, or with a device that has no drawing object.
  SurfaceImage::SetScreenDevice(nullptr);
  SurfaceImage lonely;
  EXPECT_EQ(lonely.CreateBlank(8, 8, 0, 0, nullptr), 1);
  DisplayScreenDevice bare;
  SurfaceImage withBare(&bare);
  EXPECT_EQ(SurfaceImage::ScreenDevice(), &bare);
  EXPECT_EQ(withBare.CreateBlank(8, 8, 0, 0, nullptr), 2);
  SurfaceImage::SetScreenDevice(nullptr);
}

TEST_F(SurfaceImageTest, ColourKeysPixelsAndFills) {
  struct Case {
    SurfaceFormat format;
    uint8_t red, green, blue;
    uint32_t key;
  };
  const Case cases[] = {
      {SurfaceFormat::R5G6B5, 0, 255, 0, 0x07E0},
      {SurfaceFormat::X1R5G5B5, 0, 255, 0, 0x03E0},
      {SurfaceFormat::X8R8G8B8, 0, 255, 0, 0x00FF00},
      {SurfaceFormat::R8G8B8, 255, 0, 128, 0xFF0080},
      {SurfaceFormat::A4R4G4B4, 255, 255, 255, 0x0FFF},
      // A palette surface takes the red argument as its index.
      {SurfaceFormat::Indexed8, 7, 200, 100, 7},
  };
  Boot(32);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.format));
    SurfaceImage image;
    const auto format = DescribeSurfaceFormat(c.format);
    ASSERT_EQ(image.CreateBlank(6, 5, 0, 0, &format), 0);
    ASSERT_EQ(image.SetColorKeyRgb(c.red, c.green, c.blue), 0);
    EXPECT_EQ(image.GetColorKey(), c.key);
    EXPECT_EQ(image.RgbColorKey(), uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
    platform::ColorKey set;
    ASSERT_EQ(image.GetDisplaySurface()->GetColorKey(&set), platform::kSurfaceOk);
    EXPECT_EQ(set, (platform::ColorKey{c.key, c.key}));
    // Outside the image there is no pixel, so nothing changes.
    EXPECT_EQ(image.ReadPixel(6, 0), -1);
    EXPECT_EQ(image.ReadPixel(0, 5), -1);
    EXPECT_EQ(image.ReadPixel(-1, 0), -1);
    EXPECT_EQ(image.SetColorKeyAt(6, 0), 1);
    EXPECT_EQ(image.GetColorKey(), c.key);
    ASSERT_EQ(image.ClearColorKey(), 0);
    EXPECT_EQ(image.GetColorKey(), kNoColorKey);
    EXPECT_EQ(image.RgbColorKey(), kNoColorKey);
  }
  // A key from a pixel: the pixel's colour bits, and no colour key.
  SurfaceImage image;
  ASSERT_EQ(image.CreateBlank(6, 5, 0, 0, nullptr), 0);
  ASSERT_EQ(image.Fill(0x12, 0x34, 0x56), 0);
  EXPECT_EQ(image.FillColor(), 0x123456u);
  EXPECT_EQ(image.ReadPixel(5, 4), 0x123456);
  ASSERT_EQ(image.SetColorKeyAt(3, 4), 0);
  EXPECT_EQ(image.GetColorKey(), 0x123456u);
  EXPECT_EQ(image.RgbColorKey(), kNoColorKey);
  EXPECT_EQ(image.KeyX(), 3);
  EXPECT_EQ(image.KeyY(), 4);
  // A refused key leaves every key field empty.
  image.GetDisplaySurface()->SetLost(true);
  EXPECT_EQ(image.SetColorKeyRgb(1, 2, 3), 3);
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  EXPECT_EQ(image.KeyX(), -1);
  EXPECT_EQ(image.ReadPixel(0, 0), -1);
  EXPECT_EQ(image.Fill(1, 2, 3), 2);
  // Nothing to work on.
  SurfaceImage empty;
  EXPECT_EQ(empty.SetColorKeyRgb(1, 2, 3), 1);
  EXPECT_EQ(empty.ClearColorKey(), 1);
  EXPECT_EQ(empty.Fill(1, 2, 3), 1);
  EXPECT_EQ(empty.ClearUnusedBits(), 1);
  EXPECT_EQ(empty.Restore(0), 0);
}

// Pixels of a loaded picture, read back as colours.
void ExpectFixture(SurfaceImage& image, int32_t width, int32_t height, uint32_t tolerance) {
  ASSERT_NE(image.GetDisplaySurface(), nullptr);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t got = SurfaceRgb(image.GetDisplaySurface(), x, y);
      const uint32_t want = FixtureColor(x, y);
      for (int shift : {0, 8, 16}) {
        const int d = int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF);
        ASSERT_LE(uint32_t(d < 0 ? -d : d), tolerance) << x << "," << y << " got " << std::hex << got;
      }
    }
  }
}

TEST_F(SurfaceImageTest, PicturesLoadOnEveryRoute) {
  folder_.Write("CG/PIC32.ELG", FixtureElg(32, 5, 4, true));
  folder_.Write("CG/PIC24.ELG", FixtureElg(24, 5, 4, false));
  folder_.Write("CG/PIC8.ELG", FixtureElg(8, 5, 4, true));
  folder_.Write("CG/PIC.BMP", FixtureBmp(5, 4));
  struct Case {
    uint32_t displayBits;
    const char* name;
    int32_t offsetX;
    int32_t offsetY;
    uint32_t tolerance;
  };
  const Case cases[] = {
      // The direct route (32-bit display) keeps the offset read from the header.
      {32, "CG\\PIC32.ELG", 3, -4, 0},
      {32, "cg\\pic24.elg", 0, 0, 0},
      {32, "CG\\PIC8.ELG", 3, -4, 0},
      // The decoder route: the decoded picture's offset.
      {16, "CG\\PIC32.ELG", 3, -4, 8},
      {24, "CG\\PIC8.ELG", 3, -4, 0},
      // Other formats through the decoders, and through the device context on 8 bits.
      {32, "CG\\PIC.BMP", 0, 0, 0},
      {16, "CG\\PIC.BMP", 0, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " on " << c.displayBits << " bits");
    Boot(c.displayBits);
    SurfaceImage image;
    image.SetUserValue1(99);
    ASSERT_EQ(image.LoadFile(c.name, nullptr, 0, 0), 0);
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(image.GetHeight(), 4);
    EXPECT_EQ(image.GetUserValue1(), c.offsetX);
    EXPECT_EQ(image.GetUserValue2(), c.offsetY);
    ASSERT_TRUE(image.FileName().has_value());
    ExpectFixture(image, 5, 4, c.tolerance);
  }
  // An 8-bit display maps the colours onto its palette through the device context.
  Boot(8);
  SurfaceImage indexed;
  ASSERT_EQ(indexed.LoadFile("CG\\PIC.BMP", nullptr, 0, 0), 0);
  EXPECT_EQ(indexed.FormatCode(), kPixelFormatIndexed8);
  // From memory: no name to keep.
  Boot(32);
  const auto bytes = FixtureElg(24, 5, 4, false);
  SurfaceImage memory;
  ASSERT_EQ(memory.LoadFile(nullptr, bytes.data(), bytes.size(), 0), 0);
  EXPECT_FALSE(memory.FileName().has_value());
  ExpectFixture(memory, 5, 4, 0);
}

TEST_F(SurfaceImageTest, ACachedPictureOutlivesEveryUser) {
  folder_.Write("CG/PIC.BMP", FixtureBmp(5, 4));
  Boot(16);
  loader_.SetCacheLimit(16);
  std::string key;
  ASSERT_TRUE(ImageLoaderManager::ResolveCacheName("CG\\PIC.BMP", &key));
  {
    SurfaceImage first;
    ASSERT_EQ(first.LoadFile("CG\\PIC.BMP", nullptr, 0, 0), 0);
    EXPECT_EQ(*first.FileName(), key);
  }
  // The loader let go of its hold; the cache still holds the picture alone.
  DecodedPicture* cached = loader_.FindCachedImage(key);
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(cached->ExtraHolders(), 1u);
  for (int i = 0; i < 3; ++i) {
    SurfaceImage again;
    ASSERT_EQ(again.LoadFile("CG\\PIC.BMP", nullptr, 0, 0), 0);
    ExpectFixture(again, 5, 4, 8);
  }
  EXPECT_EQ(cached->ExtraHolders(), 1u);
  DecodedPicture::Release(cached);
  // Dropping the cache's hold leaves the picture to whoever still holds it.
  DecodedPicture* held = loader_.FindCachedImage(key);
  loader_.SetCacheLimit(0);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->Width(), 5);
  DecodedPicture::Release(held);
}

TEST_F(SurfaceImageTest, RestoreBringsBackPicturesFillsAndKeys) {
  folder_.Write("CG/PIC.ELG", FixtureElg(32, 5, 4, false));
  Boot(16);
  // A live surface with the check is left alone.
  SurfaceImage picture;
  ASSERT_EQ(picture.LoadFile("CG\\PIC.ELG", nullptr, 0, 0), 0);
  ASSERT_EQ(picture.SetColorKeyRgb(0, 255, 0), 0);
  platform::SoftSurface* before = picture.GetDisplaySurface();
  EXPECT_EQ(picture.Restore(1), 0);
  EXPECT_EQ(picture.GetDisplaySurface(), before);
  // A lost picture is loaded again with its RGB key.
  picture.GetDisplaySurface()->SetLost(true);
  ASSERT_EQ(picture.Restore(1), 0);
  EXPECT_FALSE(picture.GetDisplaySurface()->IsLost());
  ExpectFixture(picture, 5, 4, 8);
  EXPECT_EQ(picture.GetColorKey(), 0x07E0u);
  // A fill drops the name: the restore makes it blank in the fill colour.
  ASSERT_EQ(picture.Fill(255, 0, 0), 0);
  EXPECT_FALSE(picture.FileName().has_value());
  ASSERT_EQ(picture.SetColorKeyAt(3, 2), 0);
  ASSERT_EQ(picture.Restore(0), 0);
  EXPECT_EQ(SurfaceRgb(picture.GetDisplaySurface(), 4, 3), 0xFF0000u);
  EXPECT_EQ(picture.FillColor(), 0xFF0000u);
  EXPECT_EQ(picture.GetColorKey(), 0xF800u);
  EXPECT_EQ(picture.KeyX(), 3);
  EXPECT_EQ(picture.RgbColorKey(), kNoColorKey);
  // A picture from memory has no source: it comes back blank, and that is no failure.
  const auto bytes = FixtureElg(24, 5, 4, false);
  SurfaceImage memory;
  ASSERT_EQ(memory.LoadFile(nullptr, bytes.data(), bytes.size(), 0), 0);
  memory.GetDisplaySurface()->SetLost(true);
  EXPECT_EQ(memory.Restore(1), 0);
  EXPECT_EQ(memory.GetWidth(), 5);
  EXPECT_EQ(SurfaceRgb(memory.GetDisplaySurface(), 0, 0), 0u);
  // A picture whose file went away cannot come back.
  folder_.Write("CG/GONE.ELG", bytes);
  SurfaceImage gone;
  ASSERT_EQ(gone.LoadFile("CG\\GONE.ELG", nullptr, 0, 0), 0);
  std::filesystem::remove(folder_.HostPath("CG/GONE.ELG"));
  EXPECT_EQ(gone.Restore(0), 1);
}

TEST_F(SurfaceImageTest, HostileAndMissingPicturesAreRefused) {
  Boot(32);
  auto good = FixtureElg(32, 40, 30, true);
  std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
  std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 6);
  // A header that claims far more pixels than the bytes could describe.
  std::vector<uint8_t> oversized = FixtureElg(32, 2, 2, false);
  oversized[4] = oversized[5] = oversized[6] = oversized[7] = 0xFF;
  auto bogusBmp = FixtureBmp(4, 4);
  bogusBmp[14] = 0xFF;  // header size
  bogusBmp[18] = 0xFF;
  bogusBmp[19] = 0xFF;
  bogusBmp[20] = 0xFF;
  bogusBmp[21] = 0x7F;  // width
  const std::vector<uint8_t> noise = {'E', 'L'};
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {{"truncated ELG", truncated},   {"ELG header only", headerOnly},
                        {"oversized ELG", oversized},    {"bogus BMP header", bogusBmp},
                        {"two bytes", noise}};
  for (uint32_t bits : {32u, 16u}) {
    Boot(bits);
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.what << " on " << bits << " bits");
      SurfaceImage image;
      EXPECT_EQ(image.LoadFile(nullptr, c.bytes.data(), c.bytes.size(), 0), 2);
      EXPECT_EQ(image.GetDisplaySurface(), nullptr);
      EXPECT_EQ(image.FormatCode(), 0u);
    }
  }
  SurfaceImage image;
  EXPECT_EQ(image.LoadFile("CG\\MISSING.ELG", nullptr, 0, 0), 1);
  EXPECT_EQ(image.LoadFile(nullptr, nullptr, 0, 0), 1);
  Surface::SetLoaderManager(nullptr);
  EXPECT_EQ(image.LoadFile(nullptr, good.data(), good.size(), 0), 2);
  Surface::SetLoaderManager(&loader_);
  // A failure before the surface is made keeps what the image held.
  ASSERT_EQ(image.LoadFile(nullptr, good.data(), good.size(), 0), 0);
  EXPECT_EQ(image.LoadFile("CG\\MISSING.ELG", nullptr, 0, 0), 1);
  EXPECT_NE(image.GetDisplaySurface(), nullptr);
  // A surface that cannot be made releases the image.
  Boot(32, 0);
  EXPECT_EQ(image.LoadFile(nullptr, good.data(), good.size(), 0), 3);
  EXPECT_EQ(image.GetDisplaySurface(), nullptr);
}

TEST_F(SurfaceImageTest, MemoryImagesCopyIntoEveryFormat) {
  Boot(32);
  DibImage source;
  ASSERT_EQ(source.Create(4, 3, 32, false), 0);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x)
      reinterpret_cast<uint32_t*>(source.GetScanLine(y))[x] = 0xFF000000u | FixtureColor(x, y);
  DibImage indexed;
  ASSERT_EQ(indexed.Create(4, 3, 8, false), 0);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) indexed.GetScanLine(y)[x] = uint8_t(x * 60 + y);
  struct Case {
    SurfaceFormat format;
    uint32_t tolerance;
  };
  const Case cases[] = {{SurfaceFormat::X8R8G8B8, 0}, {SurfaceFormat::R8G8B8, 0},
                        {SurfaceFormat::R5G6B5, 8},   {SurfaceFormat::X1R5G5B5, 8},
                        {SurfaceFormat::A8R8G8B8, 0}, {SurfaceFormat::A4R4G4B4, 17}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.format));
    SurfaceImage image;
    const auto format = DescribeSurfaceFormat(c.format);
    ASSERT_EQ(image.CreateBlank(6, 5, 0, 1, &format), 0);
    // Placed at (3, 3): the part beyond the clip rectangle is cut.
    ASSERT_EQ(image.CopyToImage(&source, 3, 3, nullptr, nullptr), 0);
    for (int32_t y = 3; y < 5; ++y)
      for (int32_t x = 3; x < 6; ++x) {
        const uint32_t got = SurfaceRgb(image.GetDisplaySurface(), x, y);
        const uint32_t want = FixtureColor(x - 3, y - 3);
        for (int shift : {0, 8, 16}) {
          const int d = int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF);
          ASSERT_LE(uint32_t(d < 0 ? -d : d), c.tolerance) << x << "," << y;
        }
      }
    EXPECT_EQ(SurfaceRgb(image.GetDisplaySurface(), 2, 2), 0u);
    // An 8-bit source without a palette is given the grey ramp.
    ASSERT_EQ(image.CopyToImage(&indexed, 0, 0, nullptr, nullptr), 0);
    EXPECT_NE(indexed.GetPalette(), nullptr);
    const uint32_t grey = SurfaceRgb(image.GetDisplaySurface(), 2, 1);
    EXPECT_NEAR(double(grey & 0xFF), 121.0, c.tolerance + 0.0);
  }
  SurfaceImage image;
  ASSERT_EQ(image.CreateBlank(6, 5, 0, 0, nullptr), 0);
  // Nothing left after clipping, a source rectangle outside the source.
  EXPECT_EQ(image.CopyToImage(&source, 6, 0, nullptr, nullptr), 0);
  const Rect outside{10, 10, 12, 12};
  EXPECT_EQ(image.CopyToImage(&source, 0, 0, &outside, nullptr), 0);
  // No source, no pixels, a depth that cannot be converted, a busy surface.
  EXPECT_EQ(image.CopyToImage(nullptr, 0, 0, nullptr, nullptr), 1);
  DibImage none;
  EXPECT_EQ(image.CopyToImage(&none, 0, 0, nullptr, nullptr), 1);
  PixelBuffer wide;
  ASSERT_EQ(PixelBufferCreate(wide, 2, 2, 16), 0);
  EXPECT_EQ(image.CopyToImage(&wide, 0, 0, nullptr, nullptr), 3);
  PixelBuffer frame;
  ASSERT_EQ(PixelBufferCreate(frame, 2, 2, 32), 0);
  reinterpret_cast<uint32_t*>(frame.GetScanLine(1))[1] = 0x00ABCDEFu;
  ASSERT_EQ(image.CopyToImage(&frame, 0, 0, nullptr, nullptr), 0);
  EXPECT_EQ(image.ReadPixel(1, 1), 0xABCDEF);
  image.GetDisplaySurface()->SetBusy(1);
  EXPECT_EQ(image.CopyToImage(&source, 0, 0, nullptr, nullptr), 2);
  SurfaceImage released;
  EXPECT_EQ(released.CopyToImage(&source, 0, 0, nullptr, nullptr), 1);
}

}  // namespace
}  // namespace orrivel
