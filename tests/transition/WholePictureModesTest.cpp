// The whole-picture modes: the cross-fade's weights, the mosaic's block
// size at both ends, the negative that does not change with progress, on
// surfaces and on blit surfaces, and the lock and unlock failures of the
// blit path.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "raster/BlendTables.h"
#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr uint32_t kBackground = 0xFF204060u;
constexpr int32_t kSize = 64;

// A picture whose pixel (x, y) is a colour of its own, alpha opaque.
uint32_t Coded(int32_t x, int32_t y) { return 0xFF000000u | uint32_t(y * 3) << 16 | uint32_t(x * 2) << 8 | uint32_t(x + y); }

using PixelRule = std::function<uint32_t(int32_t x, int32_t y)>;

// The two kinds of picture pair the whole-picture modes draw on, 32 bits a
// pixel: surfaces (back ends 0 and 1) and blit surfaces (back end 2).
class PicturePair {
 public:
  virtual ~PicturePair() = default;
  virtual Image* Destination() = 0;
  virtual Image* Source() = 0;
  virtual uint32_t Pixel(int32_t x, int32_t y) = 0;
  // True when every destination pixel follows the rule.
  bool Matches(const PixelRule& rule) {
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x)
        if (Pixel(x, y) != rule(x, y)) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Pixel(x, y) << ", not " << rule(x, y);
          return false;
        }
    return true;
  }
};

class SurfacePair : public PicturePair {
 public:
  SurfacePair() {
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) source_->SetPixel(x, y, Coded(x, y));
  }
  Image* Destination() override { return destination_.get(); }
  Image* Source() override { return source_.get(); }
  uint32_t Pixel(int32_t x, int32_t y) override { return destination_->GetPixel(x, y); }

 private:
  std::unique_ptr<Surface> destination_ = MakeSurface32(kSize, kSize, kBackground);
  std::unique_ptr<Surface> source_ = MakeSurface32(kSize, kSize, 0);
};

class BlitPair : public PicturePair {
 public:
  BlitPair(tools::OffscreenDisplay& display, uint8_t sourceKind)
      : destination_(display.MakeImage(kSize, kSize, platform::SurfaceFormat::X8R8G8B8)),
        source_(display.MakeImage(kSize, kSize, platform::SurfaceFormat::X8R8G8B8, sourceKind)) {
    Target().ColorFill(nullptr, kBackground);
    platform::SurfaceLock lock;
    EXPECT_EQ(source_->GetDisplaySurface()->Lock(nullptr, &lock), platform::kSurfaceOk);
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) {
        const uint32_t value = Coded(x, y);
        std::memcpy(lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * 4, &value, 4);
      }
    source_->GetDisplaySurface()->Unlock();
  }
  Image* Destination() override { return destination_.get(); }
  Image* Source() override { return source_.get(); }
  platform::SoftSurface& Target() { return *destination_->GetDisplaySurface(); }
  // The X8 byte of a blit pixel carries nothing; the rules speak of opaque pixels.
  uint32_t Pixel(int32_t x, int32_t y) override {
    platform::SurfaceLock lock;
    EXPECT_EQ(Target().Lock(nullptr, &lock), platform::kSurfaceOk);
    uint32_t value = 0;
    std::memcpy(&value, lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * 4, 4);
    Target().Unlock();
    return value | 0xFF000000u;
  }

 private:
  std::unique_ptr<SurfaceImage> destination_;
  std::unique_ptr<SurfaceImage> source_;
};

class WholePictureModesTest : public testing::Test {
 protected:
  // One pair per drawing path: surfaces, then blit surfaces with a surface
  // image source and with a texture source (whose format is read from the
  // locked target).
  std::vector<std::unique_ptr<PicturePair>> Pairs() {
    std::vector<std::unique_ptr<PicturePair>> pairs;
    pairs.push_back(std::make_unique<SurfacePair>());
    pairs.push_back(std::make_unique<BlitPair>(display_, kImageKindSurfaceImage));
    pairs.push_back(std::make_unique<BlitPair>(display_, kImageKindDdSurface));
    return pairs;
  }
  static int32_t BackendOf(size_t pair) { return pair == 0 ? BackendCopy : BackendDirectDraw; }

  tools::OffscreenDisplay display_;
};

uint8_t Product(uint32_t a, uint32_t b) { return uint8_t((a * b + 127) / 255); }

TEST_F(WholePictureModesTest, CrossFadeWeighsDestinationAndSourceByProgress) {
  BuildBlendTables();
  SurfacePair pair;
  ASSERT_EQ(RunTransition(53, pair.Destination(), pair.Source(), 1, 0, 0, BackendCopy, nullptr), 0);
  EXPECT_TRUE(pair.Matches([](int32_t, int32_t) { return kBackground; }));
  ASSERT_EQ(RunTransition(53, pair.Destination(), pair.Source(), 255, 0, 0, BackendCopy, nullptr), 0);
  EXPECT_TRUE(pair.Matches([](int32_t x, int32_t y) {
    uint32_t value = kBackground & 0xFF000000u;  // alpha kept
    for (int shift : {0, 8, 16}) {
      const uint32_t channel = Product(1, (kBackground >> shift) & 255) + Product(254, (Coded(x, y) >> shift) & 255);
      value |= channel << shift;
    }
    return value;
  }));
  // The alpha back end at level 0 draws nothing either.
  SurfacePair alpha;
  EXPECT_EQ(RunTransition(53, alpha.Destination(), alpha.Source(), 1, 0, 0, BackendAlphaBlend, nullptr), 0);
  EXPECT_TRUE(alpha.Matches([](int32_t, int32_t) { return kBackground; }));
}

TEST_F(WholePictureModesTest, CrossFadeHasNoPartialFramesOnBlitSurfaces) {
  BlitPair pair(display_, kImageKindSurfaceImage);
  EXPECT_EQ(RunTransition(53, pair.Destination(), pair.Source(), 128, 0, 0, BackendCopy, nullptr), -1);
  EXPECT_TRUE(pair.Matches([](int32_t, int32_t) { return kBackground; }));
  EXPECT_EQ(RunTransition(53, pair.Destination(), pair.Source(), 256, 0, 0, BackendCopy, nullptr), 0);
  EXPECT_TRUE(pair.Matches(Coded));
}

TEST_F(WholePictureModesTest, MosaicBlocksShrinkFrom64ToOnePixel) {
  auto pairs = Pairs();
  for (size_t p = 0; p < pairs.size(); ++p) {
    PicturePair& pair = *pairs[p];
    for (uint32_t mode : {68u, 69u}) {
      SCOPED_TRACE(testing::Message() << "pair " << p << ", mode " << mode);
      // Progress 1: one block of 64 covers the whole 64 x 64 picture.
      ASSERT_EQ(RunTransition(mode, pair.Destination(), pair.Source(), 1, 0, 0, BackendOf(p), nullptr), 0);
      EXPECT_TRUE(pair.Matches([](int32_t, int32_t) { return Coded(0, 0); }));
      // Progress 248: blocks of 2, from the corner or centred (the centred
      // grid starts at ((64 - 2) / 2) mod 2 = 1, after a block of one).
      ASSERT_EQ(RunTransition(mode, pair.Destination(), pair.Source(), 248, 0, 0, BackendOf(p), nullptr), 0);
      const int32_t first = mode == 68 ? 1 : 0;
      EXPECT_TRUE(pair.Matches([first](int32_t x, int32_t y) {
        const auto blockStart = [first](int32_t v) { return v < first ? 0 : ((v - first) & ~1) + first; };
        return Coded(blockStart(x), blockStart(y));
      }));
      // Progress 252: blocks of 1 leave the source as drawn.
      ASSERT_EQ(RunTransition(mode, pair.Destination(), pair.Source(), 252, 0, 0, BackendOf(p), nullptr), 0);
      EXPECT_TRUE(pair.Matches(Coded));
    }
  }
}

TEST_F(WholePictureModesTest, NegativeIsTheSameFromTheFirstToTheLastPartialFrame) {
  auto pairs = Pairs();
  for (size_t p = 0; p < pairs.size(); ++p) {
    PicturePair& pair = *pairs[p];
    for (int32_t progress : {1, 128, 255}) {
      SCOPED_TRACE(testing::Message() << "pair " << p << ", progress " << progress);
      ASSERT_EQ(RunTransition(70, pair.Destination(), pair.Source(), progress, 0, 0, BackendOf(p), nullptr), 0);
      EXPECT_TRUE(pair.Matches([](int32_t x, int32_t y) { return Coded(x, y) ^ 0x00FFFFFFu; }));
    }
  }
}

TEST_F(WholePictureModesTest, BlitTargetThatCannotBeLockedOrUnlockedGivesThreeOrFour) {
  for (uint32_t mode : {68u, 69u, 70u}) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    BlitPair lost(display_, kImageKindSurfaceImage);
    lost.Target().SetLost(true);
    EXPECT_EQ(RunTransition(mode, lost.Destination(), lost.Source(), 100, 0, 0, BackendCopy, nullptr), 3);
    lost.Target().SetLost(false);

    BlitPair pair(display_, kImageKindSurfaceImage);
    pair.Target().SetUnlockFailures(1);
    EXPECT_EQ(RunTransition(mode, pair.Destination(), pair.Source(), 100, 0, 0, BackendCopy, nullptr), 4);
    EXPECT_FALSE(pair.Target().IsLocked());
  }
}

}  // namespace
}  // namespace orrivel::test
