// Stretching, turning, moving the source rectangle, cloning and sharing of
// image sprites.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "SceneTestSupport.h"
#include "raster/SpriteList.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::MakeSolid32;
using test::MakeSurface32;
using test::MakeSurface8;
using test::Pixel32;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Records what a list reports to its canvas.
struct DamageLog : SpriteListOwner {
  int AddDirty(const Rect* r) override {
    rects.push_back(*r);
    return 1;
  }
  std::vector<Rect> rects;
};

class ImageSpriteTransformTest : public test::SceneTest {};

// A 100 x 50 picture whose pixels tell their place.
std::unique_ptr<Surface> Wide() {
  return MakeSurface32(100, 50, [](int x, int y) { return 0xFF000000u | uint32_t(x) << 8 | uint32_t(y); });
}

// Everything the sprite remembers of its transform, for "nothing changed".
struct State {
  explicit State(const ImageSprite& s)
      : bounds(*s.GetBoundsPtr()), source(s.GetSourceRect()), angle(s.GetAngle()), scale(s.GetScale()),
        displayWidth(s.GetDisplayWidth()), rotatedWidth(s.GetRotatedWidth()), copy(s.GetOwnedCopy()) {}
  bool operator==(const State& o) const {
    return bounds == o.bounds && source == o.source && angle == o.angle &&
           (scale == o.scale || (std::isnan(scale) && std::isnan(o.scale))) && displayWidth == o.displayWidth &&
           rotatedWidth == o.rotatedWidth && copy == o.copy;
  }
  Rect bounds, source;
  int32_t angle;
  double scale;
  int32_t displayWidth, rotatedWidth;
  Surface* copy;
};

TEST_F(ImageSpriteTransformTest, CaseTable) {
  struct Case {
    const char* name;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"quarter turn of 100 x 50 about its centre",
       [] {
         auto picture = Wide();
         ImageSprite s;
         ASSERT_EQ(s.SetImage(picture.get(), nullptr, 10, 10), 0);
         ASSERT_EQ(s.GetCentreX(), 50);
         ASSERT_EQ(s.GetCentreY(), 25);
         ASSERT_TRUE(s.SetRotation(128, 1.0));
         EXPECT_TRUE(s.IsRotated());
         EXPECT_EQ(s.GetRotatedWidth(), 50);
         EXPECT_EQ(s.GetRotatedHeight(), 100);
         EXPECT_EQ(s.GetRotatedOffsetX(), 25);
         const Rect b = *s.GetBoundsPtr();
         EXPECT_EQ(b, (Rect{35, 10 + s.GetRotatedOffsetY(), 85, 110 + s.GetRotatedOffsetY()}));
         ASSERT_NE(s.GetOwnedCopy(), nullptr);
         EXPECT_EQ(s.GetOwnedCopy()->GetBitsPerPixel(), 32);
         // Anticlockwise as seen: the picture's right edge is now on top,
         // its top edge on the left.
         const uint32_t topLeft = s.GetOwnedCopy()->GetPixel(0, 0);
         EXPECT_EQ(topLeft, 0xFF000000u | 99u << 8 | 0u);
         const uint32_t bottomLeft = s.GetOwnedCopy()->GetPixel(0, 99);
         EXPECT_EQ(bottomLeft, 0xFF000000u | 0u << 8 | 0u);
       }},
      {"SetSourceOffset(32, 0) shows the next cell in the same place",
       [] {
         auto strip = MakeSolid32(96, 32, 0xFF102030u);
         ImageSprite s;
         const Rect cell{0, 0, 32, 32};
         ASSERT_EQ(s.SetImage(strip.get(), &cell, 10, 10), 0);
         s.SetChanged(0);
         EXPECT_EQ(s.SetSourceOffset(32, 0), 0);
         EXPECT_EQ(s.GetSourceRect(), (Rect{32, 0, 64, 32}));
         EXPECT_EQ(*s.GetBoundsPtr(), (Rect{10, 10, 42, 42}));
         EXPECT_TRUE(s.IsChanged());
         s.SetChanged(0);
         EXPECT_EQ(s.SetSourceOffset(32, 0), 0);  // unchanged
         EXPECT_FALSE(s.IsChanged());
         ImageSprite empty;
         EXPECT_EQ(empty.SetSourceOffset(1, 1), 1);
       }},
      {"SetRotation(512, 1.0) drops the rotation",
       [] {
         auto picture = Wide();
         ImageSprite s;
         ASSERT_EQ(s.SetImage(picture.get(), nullptr, 10, 10), 0);
         ASSERT_TRUE(s.SetRotation(100, 1.5));
         EXPECT_FALSE(s.SetRotation(100, 1.5));  // the stored angle and scale
         EXPECT_TRUE(s.SetRotation(512, 1.0));
         EXPECT_FALSE(s.IsRotated());
         EXPECT_EQ(s.GetDisplayWidth(), 0);
         EXPECT_EQ(*s.GetBoundsPtr(), (Rect{10, 10, 110, 60}));
       }},
      {"a rotation ends a stretch and a stretch ends a rotation",
       [] {
         auto picture = Wide();
         ImageSprite s;
         ASSERT_EQ(s.SetImage(picture.get(), nullptr, 0, 0), 0);
         ASSERT_TRUE(s.SetDisplaySize(200, 20));
         ASSERT_TRUE(s.SetRotation(128, 1.0));
         EXPECT_EQ(s.GetDisplayWidth(), 0);
         EXPECT_FALSE(s.IsStretched());
         ASSERT_TRUE(s.SetDisplaySize(200, 20));
         EXPECT_FALSE(s.IsRotated());
         EXPECT_EQ(s.GetAngle(), 0);
         EXPECT_EQ(*s.GetBoundsPtr(), (Rect{0, 0, 200, 20}));
       }},
      {"SetDisplaySize(0, 0) keeps the copy; (0, 50) means the source width",
       [] {
         auto picture = Wide();
         ImageSprite s;
         ASSERT_EQ(s.SetImage(picture.get(), nullptr, 0, 0), 0);
         ASSERT_TRUE(s.SetDisplaySize(30, 30));
         Surface* copy = s.GetOwnedCopy();
         ASSERT_TRUE(s.SetDisplaySize(0, 0));
         EXPECT_EQ(*s.GetBoundsPtr(), (Rect{0, 0, 100, 50}));
         EXPECT_EQ(s.GetOwnedCopy(), copy);
         ASSERT_TRUE(s.SetDisplaySize(0, 50));
         EXPECT_EQ(s.GetDisplayWidth(), 100);
         EXPECT_EQ(s.GetDisplayHeight(), 50);
         EXPECT_EQ(*s.GetBoundsPtr(), (Rect{0, 0, 100, 50}));
       }},
      {"scale 0, NaN, infinity and unholdable sizes are refused",
       [] {
         auto picture = Wide();
         ImageSprite s;
         ASSERT_EQ(s.SetImage(picture.get(), nullptr, 0, 0), 0);
         ASSERT_TRUE(s.SetRotation(40, 1.25));
         const State before(s);
         for (double scale : {0.0, -0.0, kNan, kInf, -kInf, 1e300, 1e6, 1e-9}) {
           EXPECT_FALSE(s.SetRotation(41, scale)) << scale;
           EXPECT_TRUE(State(s) == before) << scale;
         }
         for (double scale : {0.0, kNan, kInf, 1e300}) EXPECT_EQ(s.ReserveRotationBuffer(scale), 2) << scale;
         EXPECT_EQ(s.ReserveRotationBuffer(1e5), 4);  // a side of 11 million pixels
         EXPECT_FALSE(s.SetDisplaySize(INT32_MAX, INT32_MAX));
         EXPECT_EQ(s.SetStretchSize(INT32_MAX, 2), 3);
         EXPECT_TRUE(State(s) == before);
         ImageSprite fresh;
         ASSERT_EQ(fresh.SetImage(picture.get(), nullptr, 0, 0), 0);
         EXPECT_EQ(fresh.SetStretchSize(INT32_MAX, INT32_MAX), 2);
       }},
      {"only 32-bit pictures turn",
       [] {
         auto indexed = MakeSurface8(16, 16, [](int x, int y) { return x + y; });
         ImageSprite s;
         ASSERT_EQ(s.SetImage(indexed.get(), nullptr, 0, 0), 0);
         EXPECT_FALSE(s.SetRotation(64, 1.0));
         EXPECT_TRUE(s.SetDisplaySize(32, 8));  // stretches keep the depth
         EXPECT_EQ(s.GetOwnedCopy()->GetBitsPerPixel(), 8);
         ImageSprite none;
         EXPECT_FALSE(none.SetRotation(64, 1.0));
         EXPECT_EQ(none.ReserveRotationBuffer(1.0), 1);
         EXPECT_EQ(none.SetStretchSize(4, 4), 1);
       }},
      {"a borrower refuses every change of the shared copy",
       [] {
         auto picture = Wide();
         ImageSprite lender, borrower;
         ASSERT_EQ(lender.SetImage(picture.get(), nullptr, 5, 6), 0);
         ASSERT_TRUE(lender.SetRotation(64, 1.0));
         borrower.SetTag(77);
         EXPECT_EQ(borrower.ShareImage(nullptr), 1);
         ASSERT_EQ(borrower.ShareImage(&lender), 0);
         EXPECT_TRUE(borrower.IsBorrowing());
         EXPECT_EQ(borrower.GetTag(), 77u);
         EXPECT_EQ(borrower.GetOwnedCopy(), lender.GetOwnedCopy());
         EXPECT_EQ(*borrower.GetBoundsPtr(), *lender.GetBoundsPtr());
         EXPECT_TRUE(borrower.IsChanged());
         const State before(borrower);
         EXPECT_FALSE(borrower.SetDisplaySize(10, 10));
         EXPECT_FALSE(borrower.SetRotation(20, 1.0));
         EXPECT_EQ(borrower.SetSourceRect(nullptr), 1);
         EXPECT_EQ(borrower.SetSourceOffset(3, 3), 1);
         EXPECT_FALSE(borrower.SetBlendMode(1));
         EXPECT_EQ(borrower.SetStretchSize(5, 5), 1);
         EXPECT_EQ(borrower.ReserveRotationBuffer(1.0), 1);
         EXPECT_TRUE(State(borrower) == before);
         // Sharing a sprite without a copy borrows nothing.
         ImageSprite plain, other;
         ASSERT_EQ(plain.SetImage(picture.get(), nullptr, 0, 0), 0);
         ASSERT_EQ(other.ShareImage(&plain), 0);
         EXPECT_FALSE(other.IsBorrowing());
         EXPECT_TRUE(other.SetDisplaySize(10, 10));
       }},
      {"a borrower keeps showing the copy after the lender goes",
       [] {
         auto picture = Wide();
         auto target = MakeSolid32(160, 160, 0);
         ImageSprite borrower;
         {
           ImageSprite lender;
           ASSERT_EQ(lender.SetImage(picture.get(), nullptr, 20, 40), 0);
           ASSERT_TRUE(lender.SetRotation(128, 1.0));
           ASSERT_EQ(borrower.ShareImage(&lender), 0);
         }
         ASSERT_EQ(borrower.DrawTo(target.get(), nullptr), 0);
         const Rect b = *borrower.GetBoundsPtr();
         EXPECT_EQ(Pixel32(*target, b.left, b.top), 0xFF000000u | 99u << 8);
       }},
      {"CopyFrom clones every field and gives the clone its own copy",
       [] {
         auto picture = Wide();
         ImageSprite original, clone;
         EXPECT_EQ(clone.CopyFrom(nullptr), 1);
         EXPECT_EQ(clone.CopyFrom(&clone), 1);  // no source yet
         ASSERT_EQ(original.SetImage(picture.get(), nullptr, 3, 4), 0);
         original.SetTag(9);
         original.SetOpacity(100);
         ASSERT_TRUE(original.SetBlendMode(1));
         ASSERT_TRUE(original.SetRotation(200, 0.75));
         DamageLog log;
         SpriteList list;
         list.SetOwner(&log);
         ASSERT_EQ(list.Add(&clone, 0, 0), 0);
         ASSERT_EQ(clone.CopyFrom(&original), 0);
         EXPECT_EQ(clone.OwningList(), nullptr);
         EXPECT_EQ(list.Head(), nullptr);
         EXPECT_FALSE(clone.IsChanged());
         EXPECT_EQ(clone.GetTag(), 9u);
         EXPECT_EQ(clone.GetOpacity(), 100);
         EXPECT_EQ(clone.GetBlendMode(), 1);
         EXPECT_EQ(clone.GetAngle(), 200);
         EXPECT_EQ(clone.GetScale(), 0.75);
         EXPECT_EQ(*clone.GetBoundsPtr(), *original.GetBoundsPtr());
         EXPECT_FALSE(clone.IsBorrowing());
         ASSERT_NE(clone.GetOwnedCopy(), nullptr);
         EXPECT_NE(clone.GetOwnedCopy(), original.GetOwnedCopy());
         EXPECT_EQ(test::Bytes(*clone.GetOwnedCopy()), test::Bytes(*original.GetOwnedCopy()));
         // A stretch to the source size is no stretch in the clone.
         ImageSprite same, sameClone;
         ASSERT_EQ(same.SetImage(picture.get(), nullptr, 0, 0), 0);
         ASSERT_TRUE(same.SetDisplaySize(100, 50));
         ASSERT_EQ(sameClone.CopyFrom(&same), 0);
         EXPECT_FALSE(sameClone.IsStretched());
         EXPECT_EQ(sameClone.GetOwnedCopy(), nullptr);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.run();
  }
}

// An animation reserves once; every later turn at up to the reserved scale
// reuses the same pixel block, even for long thin pictures whose widest
// turn is not the eighth turn.
TEST_F(ImageSpriteTransformTest, ReservedRotationBufferIsReusedForEveryAngle) {
  auto thin = MakeSolid32(100, 10, 0xFF808080u);
  ImageSprite s;
  ASSERT_EQ(s.SetImage(thin.get(), nullptr, 50, 50), 0);
  ASSERT_EQ(s.ReserveRotationBuffer(2.0), 0);
  EXPECT_FALSE(s.IsRotated());
  Surface* copy = s.GetOwnedCopy();
  ASSERT_NE(copy, nullptr);
  const uint8_t* block = copy->GetBits();
  for (int32_t angle = 1; angle < 512; angle += 3) {
    const double scale = 0.5 + 1.5 * double(angle % 7) / 6.0;
    ASSERT_TRUE(s.SetRotation(angle, scale)) << angle;
    ASSERT_EQ(s.GetOwnedCopy(), copy) << angle;
    ASSERT_EQ(copy->GetBits(), block) << angle;
    ASSERT_EQ(copy->GetWidth(), s.GetRotatedWidth());
  }
  // Past the reserved scale the copy grows once, beside the old one.
  ASSERT_TRUE(s.SetRotation(64, 3.0));
  EXPECT_EQ(s.GetOwnedCopy()->GetWidth(), s.GetRotatedWidth());
  EXPECT_EQ(s.SetStretchSize(0, 0), 0);
  EXPECT_FALSE(s.IsRotated());
  EXPECT_EQ(s.GetOwnedCopy()->GetWidth(), 100);
}

// A source rectangle moved partly off its picture: a stretched or turned
// copy shows the part that is there at its place, the rest holds nothing,
// and no pixel outside the picture is read (the sanitizers watch).
TEST_F(ImageSpriteTransformTest, MovedSourceRectanglesAreCutToThePictureBeforeTransforming) {
  auto picture = MakeSolid32(8, 8, 0xFFFF0000u);
  ImageSprite s;
  ASSERT_EQ(s.SetImage(picture.get(), nullptr, 0, 0), 0);
  ASSERT_TRUE(s.SetDisplaySize(16, 8));
  ASSERT_EQ(s.SetSourceOffset(4, 0), 0);  // (4, 0, 12, 8): half of it is there
  Surface* copy = s.GetOwnedCopy();
  EXPECT_EQ(copy->GetPixel(0, 4), 0xFFFF0000u);
  EXPECT_EQ(copy->GetPixel(7, 4), 0xFFFF0000u);
  EXPECT_EQ(copy->GetPixel(8, 4), 0u);
  EXPECT_EQ(copy->GetPixel(15, 4), 0u);

  ASSERT_TRUE(s.SetRotation(256, 2.0));  // half a turn, twice the size
  copy = s.GetOwnedCopy();
  ASSERT_EQ(copy->GetWidth(), 16);
  EXPECT_EQ(copy->GetPixel(0, 8), 0u);  // the missing right half, now on the left
  EXPECT_EQ(copy->GetPixel(7, 8), 0u);
  EXPECT_EQ(copy->GetPixel(8, 8), 0xFFFF0000u);
  EXPECT_EQ(copy->GetPixel(15, 8), 0xFFFF0000u);

  ASSERT_EQ(s.SetSourceOffset(40, 40), 0);  // nothing left on the picture
  EXPECT_EQ(copy->GetPixel(12, 8), 0u);
  auto target = MakeSolid32(32, 32, 0xFF00FF00u);
  EXPECT_EQ(s.DrawTo(target.get(), nullptr), 0);
}

TEST_F(ImageSpriteTransformTest, SourceChangesRebuildTheCopyAndReachTheCanvas) {
  auto picture = MakeSolid32(20, 10, 0xFF000010u, Surface::kWithRegion);
  auto target = MakeSolid32(64, 64, 0);
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  ImageSprite direct, turned;
  ASSERT_EQ(direct.SetImage(picture.get(), nullptr, 30, 40), 0);
  ASSERT_EQ(turned.SetImage(picture.get(), nullptr, 10, 10), 0);
  ASSERT_TRUE(turned.SetRotation(128, 1.0));

  // A turned sprite needs no list: its copy is built again and the whole
  // bounds reported.
  const Rect b = *turned.GetBoundsPtr();
  picture->FillRect(0xFF0000F0u, nullptr);
  Rect r{0, 0, 2, 2};
  turned.SetChanged(0);
  EXPECT_TRUE(turned.InvalidateSourceRect(&r));
  EXPECT_EQ(r, b);
  EXPECT_TRUE(turned.IsChanged());
  EXPECT_EQ(turned.GetOwnedCopy()->GetPixel(3, 3), 0xFF0000F0u);
  r = {20, 0, 30, 5};  // beside the source rectangle
  EXPECT_FALSE(turned.InvalidateSourceRect(&r));

  // The source's own region carried over, moved to the sprite's place.
  EXPECT_FALSE(direct.SyncSourceDirty(1));  // in no list
  ASSERT_EQ(canvas.MainList().Add(&direct, 0, 0), 0);
  canvas.ResetChanges();
  picture->Region()->Reset();
  const Rect spot{2, 3, 6, 5}, outside{25, 0, 30, 4};
  picture->FillRect(0xFF00FF00u, &spot);
  picture->Region()->AddRect(outside);  // off the source rectangle: dropped
  ASSERT_TRUE(picture->Changed());
  EXPECT_TRUE(direct.SyncSourceDirty(1));
  EXPECT_EQ(canvas.Region().Rects(), (std::vector<Rect>{{32, 43, 36, 45}}));
  EXPECT_EQ(picture->Region()->Count(), 0);
  EXPECT_FALSE(picture->Changed());
  EXPECT_FALSE(direct.IsChanged());

  auto plain = MakeSolid32(4, 4, 0);  // keeps no region
  ImageSprite other;
  ASSERT_EQ(other.SetImage(plain.get(), nullptr, 0, 0), 0);
  ASSERT_EQ(canvas.MainList().Add(&other, 0, 0), 0);
  EXPECT_FALSE(other.SyncSourceDirty(1));
  canvas.MainList().Clear();
}

// A resampling or centre change turns the picture again with the same
// angle and scale.
TEST_F(ImageSpriteTransformTest, CentreSourceRectAndResamplingChangesTurnAgain) {
  auto picture = Wide();
  ImageSprite s;
  ASSERT_EQ(s.SetImage(picture.get(), nullptr, 0, 0), 0);
  ASSERT_TRUE(s.SetRotation(128, 1.0));
  EXPECT_EQ(s.GetRotatedOffsetX(), 25);
  ASSERT_TRUE(s.SetAnchor(0, 0, 0));  // about the top-left corner
  EXPECT_EQ(s.GetAngle(), 128);
  EXPECT_EQ(s.GetRotatedOffsetX(), 0);
  EXPECT_EQ(s.GetRotatedOffsetY(), -99);  // -99.5 truncated toward zero
  const Rect half{0, 0, 50, 50};
  ASSERT_EQ(s.SetSourceRect(&half), 0);
  EXPECT_EQ(s.GetRotatedWidth(), 50);
  EXPECT_EQ(s.GetAngle(), 128);
  ASSERT_TRUE(s.SetRotation(100, 1.0));
  const std::vector<uint8_t> turned = test::Bytes(*s.GetOwnedCopy());
  ASSERT_TRUE(s.SetBlendMode(1));
  EXPECT_EQ(s.GetAngle(), 100);
  EXPECT_NE(test::Bytes(*s.GetOwnedCopy()), turned);
}

}  // namespace
}  // namespace orrivel
