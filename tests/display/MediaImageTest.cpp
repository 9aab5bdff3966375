// Pictures in textures: the device's size rules, the texel mapping, the
// two load routes, hostile pictures and the restore after a device loss.
#include <gtest/gtest.h>

#include <filesystem>

#include "SurfaceImageRig.h"
#include "display/MediaImage.h"
#include "raster/PixelFormat.h"

namespace orrivel::testing {
namespace {

class MediaImageTest : public SurfaceImageRig {
 protected:
  void BootWithTextureCaps(uint32_t caps, uint32_t maxWidth = 2048) {
    direct3d_ = true;
    Boot(32, -1, [&](platform::DisplayMachine& m) {
      for (platform::MachineDevice& d : m.drivers[0].devices) {
        d.caps.textureCaps = caps;
        d.caps.maxTextureWidth = maxWidth;
      }
    });
    ASSERT_TRUE(device_->HasDevice());
  }
};

uint32_t ChannelDistance(uint32_t a, uint32_t b) {
  uint32_t worst = 0;
  for (int shift : {0, 8, 16}) {
    const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
    worst = std::max(worst, uint32_t(d < 0 ? -d : d));
  }
  return worst;
}

void ExpectPicture(MediaImage& image, int32_t width, int32_t height, uint32_t tolerance) {
  ASSERT_NE(image.GetSurface(), nullptr);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t got = SurfaceRgb(image.GetSurface(), x, y);
      ASSERT_LE(ChannelDistance(got, FixtureColor(x, y)), tolerance) << x << "," << y;
    }
  }
}

TEST_F(MediaImageTest, TextureSizesFollowTheDeviceAndMapTexelsToTheirCentres) {
  BootWithTextureCaps(platform::kTextureCapsPow2 | platform::kTextureCapsSquareOnly);
  const auto bytes = FixtureElg(32, 100, 60, false);
  MediaImage padded;
  ASSERT_EQ(padded.Load(kPixelFormatX8R8G8B8, nullptr, bytes.data(), bytes.size(), 0), 0);
  EXPECT_EQ(padded.GetKind(), kImageKindMediaImage);
  EXPECT_EQ(static_cast<TextureSource&>(padded).GetKind(), kImageKindMediaImage);
  EXPECT_EQ(padded.GetWidth(), 128);
  EXPECT_EQ(padded.GetHeight(), 128);
  EXPECT_EQ(padded.GetContentWidth(), 100);
  EXPECT_EQ(padded.GetContentHeight(), 60);
  EXPECT_EQ(padded.GetPixelFormatCode(), kPixelFormatX8R8G8B8);
  EXPECT_DOUBLE_EQ(padded.TexelToU(99), 99.5 / 128);
  EXPECT_DOUBLE_EQ(padded.TexelToV(59), 59.5 / 128);
  ExpectPicture(padded, 100, 60, 0);

  // Non-power-of-two sizes pass when the device allows them conditionally.
  BootWithTextureCaps(platform::kTextureCapsPow2 | platform::kTextureCapsNonPow2Conditional);
  MediaImage exact;
  ASSERT_EQ(exact.Load(kPixelFormatX8R8G8B8, nullptr, bytes.data(), bytes.size(), 0), 0);
  EXPECT_EQ(exact.GetWidth(), 100);
  EXPECT_EQ(exact.GetHeight(), 60);

  // A picture wider than the device allows is shrunk into the widest texture.
  BootWithTextureCaps(0, 2048);
  const auto wide = FixtureElg(32, 3000, 4, false);
  MediaImage shrunk;
  ASSERT_EQ(shrunk.Load(kPixelFormatX8R8G8B8, nullptr, wide.data(), wide.size(), 0), 0);
  EXPECT_EQ(shrunk.GetWidth(), 2048);
  EXPECT_EQ(shrunk.GetContentWidth(), 3000);
  for (int32_t x : {0, 1, 1500, 2999}) {
    EXPECT_DOUBLE_EQ(shrunk.TexelToU(x), (double(x * 2048) / 3000 + 0.5) / 2048) << x;
  }
  // Texture column c shows picture column c x 3000 / 2048 (nearest pixel).
  for (int32_t c : {0, 1024, 2047}) {
    EXPECT_EQ(ChannelDistance(SurfaceRgb(shrunk.GetSurface(), c, 2), FixtureColor(c * 3000 / 2048, 2)), 0u)
        << c;
  }
}

TEST_F(MediaImageTest, PicturesLoadOnBothRoutesIntoEveryTextureFormat) {
  BootWithTextureCaps(0);
  folder_.Write("CG/PIC.BMP", FixtureBmp(5, 4));
  struct Case {
    uint32_t depth;  // 0: the bitmap file
    uint32_t format;
    uint32_t tolerance;
  };
  const Case cases[] = {
      {32, kPixelFormatX8R8G8B8, 0}, {24, kPixelFormatA8R8G8B8, 0}, {8, kPixelFormatX8R8G8B8, 0},
      {32, kPixelFormatR5G6B5, 8},   {24, kPixelFormatX1R5G5B5, 8}, {0, kPixelFormatA8R8G8B8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.depth << " bits into format " << c.format);
    MediaImage image;
    if (c.depth == 0) {
      ASSERT_EQ(image.Load(c.format, "CG\\PIC.BMP", nullptr, 0, 0), 0);
      ASSERT_TRUE(image.SourceName().has_value());
    } else {
      const auto bytes = FixtureElg(c.depth, 5, 4, true);
      ASSERT_EQ(image.Load(c.format, nullptr, bytes.data(), bytes.size(), 0), 0);
      EXPECT_FALSE(image.SourceName().has_value());
      EXPECT_EQ(image.GetUserValue1(), 3);
      EXPECT_EQ(image.GetUserValue2(), -4);
    }
    EXPECT_EQ(image.GetContentWidth(), 5);
    ExpectPicture(image, 5, 4, c.tolerance);
    if (c.format == kPixelFormatA8R8G8B8) {
      // Pictures without alpha are opaque in a texture that has it.
      platform::SurfaceLock lock;
      ASSERT_EQ(image.GetSurface()->Lock(nullptr, &lock), platform::kSurfaceOk);
      EXPECT_EQ(lock.bits[3], 0xFF);
      EXPECT_EQ(lock.bits[ptrdiff_t(3) * lock.pitch + 4 * 4 + 3], 0xFF);
      image.GetSurface()->Unlock();
    }
  }
}

TEST_F(MediaImageTest, MissingAndHostilePicturesAreRefusedAndLeaveNothing) {
  const auto good = FixtureElg(32, 5, 4, false);
  {
    MediaImage image;
    EXPECT_EQ(image.Load(kPixelFormatX8R8G8B8, nullptr, good.data(), good.size(), 0),
              MediaImage::kLoadNoDevice);
  }
  BootWithTextureCaps(0);
  // An ELG header that claims more than the bytes hold is refused before
  // any texture is made for it.
  auto truncated = good;
  truncated.resize(12);
  auto huge = good;
  huge[4] = 0xFF;
  huge[5] = 0xFF;
  const std::vector<uint8_t> garbage{'X', 'Y', 'Z', 1, 2, 3};
  struct Case {
    uint32_t format;
    const char* name;
    const std::vector<uint8_t>* data;
    int code;
  };
  const Case cases[] = {
      {2, nullptr, &good, MediaImage::kLoadNoTextureFormat},
      {kPixelFormatX8R8G8B8, nullptr, nullptr, MediaImage::kLoadNoSource},
      {kPixelFormatX8R8G8B8, "CG\\NONE.ELG", nullptr, MediaImage::kLoadNoSource},
      {kPixelFormatX8R8G8B8, nullptr, &truncated, MediaImage::kLoadUndecodable},
      {kPixelFormatX8R8G8B8, nullptr, &huge, MediaImage::kLoadUndecodable},
      {kPixelFormatX8R8G8B8, nullptr, &garbage, MediaImage::kLoadUndecodable},
  };
  for (const Case& c : cases) {
    MediaImage image;
    const uint8_t* data = c.data != nullptr ? c.data->data() : nullptr;
    const uint64_t size = c.data != nullptr ? c.data->size() : 0;
    EXPECT_EQ(image.Load(c.format, c.name, data, size, 0), c.code) << c.code;
    EXPECT_EQ(image.GetSurface(), nullptr);
    EXPECT_EQ(image.GetContentWidth(), 0);
  }
}

TEST_F(MediaImageTest, AfterALossFilePicturesComeBackAndMemoryPicturesFailAlone) {
  BootWithTextureCaps(0);
  folder_.Write("CG/PIC.ELG", FixtureElg(24, 5, 4, false));
  const auto bytes = FixtureElg(32, 5, 4, false);
  device_->SetImageGroupId(7);
  uint32_t fromMemory = 0;
  uint32_t fromFile = 0;
  ASSERT_EQ(device_->CreateMediaImage(&fromMemory, kPixelFormatX8R8G8B8, nullptr, bytes.data(),
                                      bytes.size(), 0),
            0);
  ASSERT_EQ(device_->CreateMediaImage(&fromFile, kPixelFormatR5G6B5, "CG\\PIC.ELG", nullptr, 0, 0), 0);
  uint32_t refused = 123;
  EXPECT_EQ(device_->CreateMediaImage(&refused, kPixelFormatX8R8G8B8, "CG\\NONE.ELG", nullptr, 0, 0),
            MediaImage::kLoadNoSource);
  EXPECT_EQ(refused, 0u);
  EXPECT_EQ(device_->ImageCount(), 2u);
  TextureSource* memory = device_->GetTextureSource(fromMemory);
  auto* file = dynamic_cast<MediaImage*>(device_->GetTextureSource(fromFile));
  ASSERT_NE(memory, nullptr);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->GetGroupId(), 7);
  ASSERT_EQ(file->SetColorKeyRgb(0, 255, 0), 0);

  // Nothing lost: the check leaves both alone.
  platform::SoftSurface* before = file->GetSurface();
  EXPECT_EQ(device_->RestoreAllObjects(1), 0);
  EXPECT_EQ(file->GetSurface(), before);

  memory->GetSurface()->SetLost(true);
  file->GetSurface()->SetLost(true);
  EXPECT_EQ(device_->RestoreAllObjects(1), 1);
  EXPECT_EQ(memory->GetSurface(), nullptr);
  ASSERT_NE(file->GetSurface(), nullptr);
  EXPECT_FALSE(file->GetSurface()->IsLost());
  EXPECT_EQ(file->GetColorKey(), 0x07E0u);
  ExpectPicture(*file, 5, 4, 8);
  // The memory picture, now empty, has nothing left to restore.
  EXPECT_EQ(device_->RestoreAllObjects(0), 0);

  // A file that went away cannot come back.
  std::filesystem::remove(folder_.HostPath("CG/PIC.ELG"));
  EXPECT_EQ(file->Restore(0), 1);
  EXPECT_EQ(file->GetSurface(), nullptr);
}

}  // namespace
}  // namespace orrivel::testing
