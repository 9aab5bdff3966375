// The dispatcher's choice of back end and the skeleton every mode shares:
// refused images and modes, the screen's back surface and content
// rectangle, the two surface back ends, and the last frame as one operation
// whose result is the routine's.
#include "transition/RunTransition.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/ScreenDevice.h"
#include "transition/FragmentRecorder.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionRig.h"
#include "transition/TransitionScreen.h"

namespace orrivel::test {
namespace {

constexpr uint32_t kBackground = 0xFF102030u;
constexpr uint32_t kModeMinusOne = 0xFFFFFFFFu;

// A display-surface image of a format with every pixel at one value.
struct BlitPicture {
  BlitPicture(tools::OffscreenDisplay& display, int32_t width, int32_t height,
              uint8_t kind = kImageKindSurfaceImage,
              platform::SurfaceFormat format = platform::SurfaceFormat::X8R8G8B8, uint32_t value = 0)
      : image(display.MakeImage(width, height, format, kind)),
        surface(image ? *image->GetDisplaySurface() : none) {
    EXPECT_NE(image, nullptr);
    surface.ColorFill(nullptr, value);
  }
  uint32_t Pixel(int32_t x, int32_t y) {
    platform::SurfaceLock lock;
    EXPECT_EQ(surface.Lock(nullptr, &lock), platform::kSurfaceOk);
    uint32_t value = 0;
    std::memcpy(&value, lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * 4, 4);
    surface.Unlock();
    return value;
  }
  platform::SoftSurface none;
  std::unique_ptr<SurfaceImage> image;
  platform::SoftSurface& surface;
};

class RunTransitionTest : public testing::Test {
 protected:
  tools::OffscreenDisplay display_;
};

// A 32-bit surface whose pixel (x, y) is 0xFF000000 | y << 8 | x.
std::unique_ptr<Surface> CodedSource(int32_t width, int32_t height) {
  auto surface = MakeSurface32(width, height, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) surface->SetPixel(x, y, 0xFF000000u | uint32_t(y) << 8 | uint32_t(x));
  return surface;
}

bool Untouched(Surface& surface, uint32_t value) {
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x)
      if (surface.GetPixel(x, y) != value) return false;
  return true;
}

TEST_F(RunTransitionTest, ModesPastTheTableGiveMinusOneOnlyAfterTheImagesPass) {
  auto destination = MakeSurface32(8, 8, kBackground);
  auto source = CodedSource(4, 4);
  for (uint32_t mode : {87u, 200u, kModeMinusOne}) {
    for (int32_t progress : {-1, 0, 128, 256}) {
      EXPECT_EQ(RunTransition(mode, destination.get(), source.get(), progress, 0, 0, BackendCopy, nullptr), -1)
          << "mode " << int32_t(mode) << ", progress " << progress;
    }
    EXPECT_EQ(RunTransition(mode, destination.get(), nullptr, 128, 0, 0, BackendCopy, nullptr), 1);
  }
  EXPECT_TRUE(Untouched(*destination, kBackground));
}

TEST_F(RunTransitionTest, MissingImagesAndUnsupportedPairsGiveOne) {
  auto dib = MakeSurface32(8, 8, kBackground);
  auto dibSource = CodedSource(4, 4);
  BlitPicture surfaceImage(display_, 8, 8), texture(display_, 4, 4, kImageKindDdSurface), surfaceSource(display_, 4, 4);
  platform::SoftSurface back;
  ASSERT_EQ(back.Create(8, 8, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  ScreenDevice device;
  device.SetContentSize(8, 8);
  ScreenStandIn screen(device, &back);

  struct Case {
    const char* what;
    Image* destination;
    Image* source;
    TransitionScreen* screen;
    int expected;
  };
  const Case cases[] = {
      {"null source", dib.get(), nullptr, nullptr, 1},
      {"null source, screen", nullptr, nullptr, &screen, 1},
      {"null destination", nullptr, dibSource.get(), nullptr, 1},
      {"device-independent destination, surface source", dib.get(), surfaceSource.image.get(), nullptr, 1},
      {"device-independent destination, texture source", dib.get(), texture.image.get(), nullptr, 1},
      {"surface destination, device-independent source", surfaceImage.image.get(), dibSource.get(), nullptr, 1},
      {"texture destination, surface source", texture.image.get(), surfaceSource.image.get(), nullptr, 1},
      {"screen, device-independent source", dib.get(), dibSource.get(), &screen, 1},
      {"surface pair", surfaceImage.image.get(), surfaceSource.image.get(), nullptr, 0},
      {"surface destination, texture source", surfaceImage.image.get(), texture.image.get(), nullptr, 0},
      {"screen, texture source, no destination", nullptr, texture.image.get(), &screen, 0},
  };
  for (const Case& c : cases) {
    for (uint32_t mode : {0u, 53u, 86u, 87u, kModeMinusOne}) {
      const int expected = c.expected == 0 && mode >= kTransitionModeCount ? -1 : c.expected;
      EXPECT_EQ(RunTransition(mode, c.destination, c.source, 256, 0, 0, BackendCopy, c.screen), expected)
          << c.what << ", mode " << int32_t(mode);
    }
  }
}

TEST_F(RunTransitionTest, ScreenWithoutBackSurfaceFailsAtAnyProgressAboveZero) {
  BlitPicture source(display_, 4, 4);
  ScreenDevice device;
  device.SetContentSize(16, 16);
  ScreenStandIn screen(device, nullptr);
  for (uint32_t mode : {0u, 11u, 53u, 86u}) {
    EXPECT_EQ(RunTransition(mode, nullptr, source.image.get(), 0, 0, 0, 0, &screen), 0);
    EXPECT_EQ(RunTransition(mode, nullptr, source.image.get(), -3, 0, 0, 0, &screen), 0);
    for (int32_t progress : {1, 128, 255, 256, 1000})
      EXPECT_EQ(RunTransition(mode, nullptr, source.image.get(), progress, 0, 0, 0, &screen), 1)
          << "mode " << mode << ", progress " << progress;
  }
}

TEST_F(RunTransitionTest, ScreenTakesTheSourceIntoItsBackSurfaceClippedToTheContent) {
  BlitPicture back(display_, 32, 24, kImageKindSurfaceImage, platform::SurfaceFormat::X8R8G8B8, kBackground);
  BlitPicture other(display_, 32, 24, kImageKindSurfaceImage, platform::SurfaceFormat::X8R8G8B8, kBackground);
  BlitPicture source(display_, 8, 8);
  {
    platform::SurfaceLock lock;
    ASSERT_EQ(source.surface.Lock(nullptr, &lock), platform::kSurfaceOk);
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 8; ++x) {
        const uint32_t value = uint32_t(y) << 8 | uint32_t(x);
        std::memcpy(lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * 4, &value, 4);
      }
    source.surface.Unlock();
  }
  ScreenDevice device;
  device.SetContentSize(20, 10);
  ScreenStandIn screen(device, &back.surface);
  for (Image* destination : {static_cast<Image*>(nullptr), static_cast<Image*>(other.image.get())}) {
    back.surface.ColorFill(nullptr, kBackground);
    ASSERT_EQ(RunTransition(5, destination, source.image.get(), 256, 16, 6, BackendCopy, &screen), 0);
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const bool drawn = x >= 16 && x < 20 && y >= 6 && y < 10;
        ASSERT_EQ(back.Pixel(x, y), drawn ? uint32_t(y - 6) << 8 | uint32_t(x - 16) : kBackground)
            << "(" << x << ", " << y << ")";
        ASSERT_EQ(other.Pixel(x, y), kBackground);
      }
  }
}

TEST_F(RunTransitionTest, BlendOneDrawsThroughTheAlphaBackEnd) {
  auto source = MakeSurface32(2, 1, 0x80FFFFFFu);
  source->SetPixel(1, 0, 0x00FF0000u);
  auto viaTransition = MakeSurface32(4, 2, kBackground);
  auto blended = MakeSurface32(4, 2, kBackground);
  auto copied = MakeSurface32(4, 2, kBackground);
  ASSERT_EQ(RunTransition(31, viaTransition.get(), source.get(), 256, 1, 1, BackendAlphaBlend, nullptr), 0);
  ASSERT_EQ(blended->AlphaBlend(source.get(), 1, 1, nullptr, false), 0);
  ASSERT_EQ(copied->Copy(source.get(), 1, 1, nullptr, false), 0);
  for (int32_t x = 0; x < 4; ++x)
    for (int32_t y = 0; y < 2; ++y) EXPECT_EQ(viaTransition->GetPixel(x, y), blended->GetPixel(x, y));
  EXPECT_NE(viaTransition->GetPixel(1, 1), copied->GetPixel(1, 1));
  // A fully transparent source pixel leaves the colour.
  EXPECT_EQ(viaTransition->GetPixel(2, 1) & 0xFFFFFFu, kBackground & 0xFFFFFFu);
}

TEST_F(RunTransitionTest, BlendZeroCopiesAndHonoursTheColourKey) {
  auto source = CodedSource(3, 2);
  source->SetPixel(1, 0, 0x0000FF00u);
  ASSERT_EQ(source->SetColorKeyRgb(0, 255, 0), 0);
  auto destination = MakeSurface32(5, 4, kBackground);
  ASSERT_EQ(RunTransition(0, destination.get(), source.get(), 1000, 1, 1, BackendCopy, nullptr), 0);
  EXPECT_EQ(destination->GetPixel(1, 1), 0xFF000000u);
  EXPECT_EQ(destination->GetPixel(2, 1), kBackground);  // the keyed pixel
  EXPECT_EQ(destination->GetPixel(3, 2), 0xFF000102u);
}

// Device-independent images have no blit surface: a blend that names back
// end 2 draws nothing, as every value outside 0 and 1 does.
TEST_F(RunTransitionTest, BlendsOtherThanCopyAndAlphaDrawNothingOnDeviceIndependentImages) {
  auto source = CodedSource(4, 4);
  auto destination = MakeSurface32(8, 8, kBackground);
  for (int32_t blend : {2, 3, -1, 1000}) {
    for (uint32_t mode : {0u, 45u, 86u}) {
      for (int32_t progress : {1, 128, 256, 1000}) {
        FragmentRecorder recorder;
        EXPECT_EQ(RunTransition(mode, destination.get(), source.get(), progress, 2, 2, blend, nullptr, &recorder),
                  0)
            << "blend " << blend << ", mode " << mode << ", progress " << progress;
        // The mode may still cut its pieces (a watcher sees them), but no
        // whole-picture operation is asked for and no pixel changes.
        for (const RecordedFragment& fragment : recorder.fragments)
          EXPECT_NE(fragment.kind, RecordedFragment::kWhole) << fragment;
      }
    }
  }
  EXPECT_TRUE(Untouched(*destination, kBackground));
}

TEST_F(RunTransitionTest, LastFrameIsOneOperationWhoseResultIsReturned) {
  auto source32 = CodedSource(4, 4);
  auto destination32 = MakeSurface32(8, 8, kBackground);
  Surface source8, destination8, empty;
  ASSERT_EQ(source8.Create(4, 4, 8, 0), 0);
  ASSERT_EQ(destination8.Create(8, 8, 8, 0), 0);
  BlitPicture blitDestination(display_, 8, 8), blitSource(display_, 4, 4);
  BlitPicture blitSource16(display_, 4, 4, kImageKindSurfaceImage, platform::SurfaceFormat::R5G6B5);

  struct Case {
    const char* what;
    Image* destination;
    Image* source;
    int32_t blend;
    int expected;
  };
  const Case cases[] = {
      {"copy", destination32.get(), source32.get(), BackendCopy, 0},
      {"copy of a 32-bit source onto 8 bits", &destination8, source32.get(), BackendCopy, 2},
      {"copy from a source without pixels", destination32.get(), &empty, BackendCopy, 1},
      {"alpha blend", destination32.get(), source32.get(), BackendAlphaBlend, 0},
      {"alpha blend of 8-bit images", &destination8, &source8, BackendAlphaBlend, 2},
      {"blit", blitDestination.image.get(), blitSource.image.get(), 0, 0},
      {"blit between formats", blitDestination.image.get(), blitSource16.image.get(), 0, 2},
  };
  for (const Case& c : cases) {
    for (uint32_t mode : {0u, 27u, 53u, 86u}) {
      for (int32_t progress : {256, 1000}) {
        FragmentRecorder recorder;
        EXPECT_EQ(RunTransition(mode, c.destination, c.source, progress, 3, -1, c.blend, nullptr, &recorder),
                  c.expected)
            << c.what << ", mode " << mode << ", progress " << progress;
        EXPECT_EQ(recorder.fragments,
                  (std::vector<RecordedFragment>{{RecordedFragment::kWhole, Rect{}, 3, -1, Size{}}}))
            << c.what;
      }
    }
  }
}

TEST_F(RunTransitionTest, BlitLastFrameTakesTheSourcesClipRectangleToThePoint) {
  BlitPicture destination(display_, 8, 8, kImageKindSurfaceImage, platform::SurfaceFormat::X8R8G8B8, kBackground);
  BlitPicture source(display_, 4, 4, kImageKindSurfaceImage, platform::SurfaceFormat::X8R8G8B8, 0x00ABCDEFu);
  const Rect sourceClip{1, 1, 4, 4};
  ASSERT_TRUE(source.image->SetClipRect(&sourceClip));
  const Rect destinationClip{0, 0, 7, 8};
  ASSERT_TRUE(destination.image->SetClipRect(&destinationClip));
  ASSERT_EQ(RunTransition(40, destination.image.get(), source.image.get(), 256, 5, 2, 0, nullptr), 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const bool drawn = x >= 5 && x < 7 && y >= 2 && y < 5;  // 2 x 3, cut at column 7
      EXPECT_EQ(destination.Pixel(x, y), drawn ? 0x00ABCDEFu : kBackground) << "(" << x << ", " << y << ")";
    }
}

TEST_F(RunTransitionTest, RoutinesRefuseTargetsTheirBackEndCannotDrawOn) {
  auto source = CodedSource(4, 4);
  DibImage bare;
  ASSERT_EQ(bare.Create(8, 8, 32, false), 0);
  BlitPicture blitSource(display_, 4, 4);
  for (int32_t progress : {1, 256}) {
    // Back end 2 without a screen needs the destination's blit surface.
    EXPECT_EQ(RunTransitionRoutine(0, source.get(), blitSource.image.get(), progress, 0, 0, BackendDirectDraw,
                                   nullptr),
              1);
    EXPECT_EQ(RunTransitionRoutine(0, nullptr, blitSource.image.get(), progress, 0, 0, BackendDirectDraw, nullptr),
              1);
    // The surface back ends draw between surfaces only.
    EXPECT_EQ(RunTransition(0, &bare, source.get(), progress, 0, 0, BackendCopy, nullptr), 1);
    EXPECT_EQ(RunTransitionRoutine(0, nullptr, source.get(), progress, 0, 0, BackendAlphaBlend, nullptr), 1);
  }
  EXPECT_EQ(RunTransitionRoutine(87, nullptr, source.get(), 1, 0, 0, BackendCopy, nullptr), -1);
}

}  // namespace
}  // namespace orrivel::test
