#include "scene/ImageSprite.h"

#include <gtest/gtest.h>

#include <climits>

#include "SceneTestSupport.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

using test::MakeSolid32;
using test::MakeSurface32;
using test::MakeSurface8;
using test::Pixel32;

class ImageSpriteTest : public test::SceneTest {};

TEST_F(ImageSpriteTest, SetImageCodesAndState) {
  auto picture = MakeSolid32(20, 10, 0xFF112233u);
  Surface bare;
  ImageSprite sprite;
  EXPECT_EQ(sprite.SetImage(nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(sprite.SetImage(&bare, nullptr, 0, 0), 1);
  const Rect outside{30, 0, 40, 5};
  EXPECT_EQ(sprite.SetImage(picture.get(), &outside, 0, 0), 3);
  EXPECT_EQ(sprite.GetSource(), nullptr);

  const Rect part{-5, 2, 9, 30};  // cut to (0, 2, 9, 10)
  ASSERT_EQ(sprite.SetImage(picture.get(), &part, 7, 8), 0);
  EXPECT_EQ(sprite.GetSourceRect(), (Rect{0, 2, 9, 10}));
  EXPECT_EQ(*sprite.GetBoundsPtr(), (Rect{7, 8, 16, 16}));
  EXPECT_EQ(sprite.GetCentreX(), 4);
  EXPECT_EQ(sprite.GetCentreY(), 4);
  EXPECT_EQ(sprite.GetDrawMode(), Drawable::kModeCopy);
  EXPECT_TRUE(sprite.IsChanged());

  picture->SetHasAlpha(true);
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 0, 0), 0);
  EXPECT_EQ(sprite.GetDrawMode(), Drawable::kModeAlpha);
  EXPECT_EQ(sprite.SetDrawMode(32), 1);
  EXPECT_EQ(sprite.GetDrawMode(), Drawable::kModeAlpha);

  UnbindLibrary();
  ImageSprite late;
  EXPECT_EQ(late.SetImage(picture.get(), nullptr, 0, 0), 2);
}

TEST_F(ImageSpriteTest, ClippingMovesTheSourceEdgeByTheSameAmount) {
  auto picture = MakeSurface32(16, 16, [](int x, int y) { return 0xFF000000u | x << 8 | y; });
  auto target = MakeSolid32(32, 32, 0);
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, -5, 3), 0);
  EXPECT_EQ(sprite.Draw(target.get(), Rect{0, 0, 32, 32}), 0);
  EXPECT_EQ(Pixel32(*target, 0, 3), 0xFF000000u | 5 << 8 | 0);  // column 5 lands at x 0
  EXPECT_EQ(Pixel32(*target, 10, 18), 0xFF000000u | 15 << 8 | 15);
  EXPECT_EQ(Pixel32(*target, 11, 3), 0u);
  Rect out;
  ASSERT_EQ(sprite.DrawTo(target.get(), &out), 0);
  EXPECT_EQ(out, (Rect{0, 3, 11, 19}));
  sprite.SetPosition(100, 100);
  ASSERT_EQ(sprite.DrawTo(target.get(), &out), 0);
  EXPECT_EQ(out.left, -1);
}

TEST_F(ImageSpriteTest, SourceRectanglesOffThePictureAreCutBeforeReading) {
  // A protected subclass reaches the unclipped source rectangle that source
  // offsets produce; the draw must never read outside the picture.
  struct Panned : ImageSprite {
    void Pan(const Rect& r) {
      sourceRect_ = r;
      RecomputeBounds();
    }
  };
  auto picture = MakeSolid32(8, 8, 0xFFABCDEFu);
  auto target = MakeSolid32(40, 40, 0);
  Panned sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 10, 10), 0);
  sprite.Pan(Rect{-4, -4, 12, 12});  // 16 x 16, the picture in its middle
  ASSERT_EQ(sprite.DrawTo(target.get(), nullptr), 0);
  EXPECT_EQ(Pixel32(*target, 13, 13), 0u);
  EXPECT_EQ(Pixel32(*target, 14, 14), 0xFFABCDEFu);
  EXPECT_EQ(Pixel32(*target, 21, 21), 0xFFABCDEFu);
  EXPECT_EQ(Pixel32(*target, 22, 22), 0u);
  sprite.Pan(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  EXPECT_EQ(sprite.DrawTo(target.get(), nullptr), 0);
  EXPECT_EQ(sprite.Draw(target.get(), Rect{0, 0, 40, 40}), 0);
}

// Only an opaque copy of a 32-bit picture without key, whose picture holds
// every pixel of the area, may let the canvas leave out what lies under it.
TEST_F(ImageSpriteTest, CoversWholeOnlyWhereAnOpaqueCopyOfThePictureLands) {
  struct Panned : ImageSprite {
    void Pan(const Rect& r) {
      sourceRect_ = r;
      RecomputeBounds();
    }
  };
  auto picture = MakeSolid32(16, 16, 0x80ABCDEFu);
  auto indexed = MakeSurface8(16, 16, [](int x, int) { return x; });
  struct Case {
    const char* name;
    void (*setUp)(Panned&);
    Rect area;
    bool covers;
  } const cases[] = {
      {"the whole picture", [](Panned&) {}, {10, 10, 26, 26}, true},
      {"a part", [](Panned&) {}, {12, 14, 20, 15}, true},
      {"beyond the bounds", [](Panned&) {}, {9, 10, 26, 26}, false},
      {"empty", [](Panned&) {}, {12, 12, 12, 20}, false},
      {"alpha mode", [](Panned& s) { s.SetDrawMode(Drawable::kModeAlpha); }, {10, 10, 26, 26}, false},
      {"add mode", [](Panned& s) { s.SetDrawMode(Drawable::kModeAdd); }, {10, 10, 26, 26}, false},
      {"partial opacity", [](Panned& s) { s.SetOpacity(254); }, {10, 10, 26, 26}, false},
      {"hidden", [](Panned& s) { s.SetVisible(0); }, {10, 10, 26, 26}, false},
      {"panned past the picture", [](Panned& s) { s.Pan(Rect{-4, -4, 12, 12}); }, {10, 10, 26, 26}, false},
      {"panned, inside the picture", [](Panned& s) { s.Pan(Rect{-4, -4, 12, 12}); }, {14, 14, 26, 26}, true},
  };
  for (const Case& c : cases) {
    picture->ClearColorKey();
    Panned sprite;
    ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 10, 10), 0);
    c.setUp(sprite);
    EXPECT_EQ(sprite.CoversWhole(c.area), c.covers) << c.name;
  }

  Panned sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 10, 10), 0);
  picture->SetColorKeyRgb(0xAB, 0xCD, 0xEF);
  EXPECT_FALSE(sprite.CoversWhole(Rect{10, 10, 26, 26})) << "keyed";
  picture->ClearColorKey();
  ImageSprite eight;
  ASSERT_EQ(eight.SetImage(indexed.get(), nullptr, 0, 0), 0);
  EXPECT_FALSE(eight.CoversWhole(Rect{0, 0, 16, 16})) << "8-bit picture";
  UnbindLibrary();
  EXPECT_FALSE(sprite.CoversWhole(Rect{10, 10, 26, 26})) << "no library";
}

TEST_F(ImageSpriteTest, DrawToCodes) {
  auto picture = MakeSolid32(4, 4, 0xFF445566u);
  auto target = MakeSolid32(8, 8, 0);
  ImageSprite sprite;
  EXPECT_EQ(sprite.DrawTo(target.get(), nullptr), 1);  // no source
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 0, 0), 0);
  EXPECT_EQ(sprite.DrawTo(nullptr, nullptr), 1);
  EXPECT_EQ(sprite.SetDrawMode(7), 0);
  EXPECT_EQ(sprite.DrawTo(target.get(), nullptr), 2);  // a mode no blit knows
  EXPECT_EQ(Pixel32(*target, 0, 0), 0u);
  sprite.SetDrawMode(0);
  sprite.SetOpacity(0);
  EXPECT_EQ(sprite.DrawTo(target.get(), nullptr), 0);
  EXPECT_EQ(Pixel32(*target, 0, 0), 0u);
  sprite.SetOpacity(255);
  sprite.SetChanged(0);
  EXPECT_EQ(sprite.DrawTo(target.get()), 0);
  EXPECT_FALSE(sprite.IsChanged());
  EXPECT_EQ(Pixel32(*target, 3, 3), 0xFF445566u);
  // A 32-bit picture cannot go onto an 8-bit target through the library.
  Surface indexed;
  ASSERT_EQ(indexed.Create(8, 8, 8, 0), 0);
  EXPECT_EQ(sprite.DrawTo(&indexed, nullptr), 3);
}

TEST_F(ImageSpriteTest, EightBitPicturesAreCopiedWhateverModeAndOpacity) {
  auto picture = MakeSurface8(4, 4, [](int x, int) { return 10 + x; });
  Surface indexed;
  ASSERT_EQ(indexed.Create(8, 8, 8, 0), 0);
  std::fill(indexed.GetBits(), indexed.GetBits() + indexed.GetPitch() * 8, 0);
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 2, 2), 0);
  sprite.SetDrawMode(Drawable::kModeSubtract);
  sprite.SetOpacity(9);
  ASSERT_EQ(sprite.DrawTo(&indexed, nullptr), 0);
  EXPECT_EQ(indexed.GetScanLine(2)[2], 10);
  EXPECT_EQ(indexed.GetScanLine(5)[5], 13);
}

TEST_F(ImageSpriteTest, HitTestByBoundsAlphaAndKey) {
  auto picture = MakeSurface32(4, 4, [](int x, int) { return x == 0 ? 0x00FFFFFFu : 0xFF0000FFu; });
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 10, 10), 0);
  EXPECT_TRUE(sprite.HitTest(10, 10, 0));
  EXPECT_FALSE(sprite.HitTest(10, 10, 1));  // alpha 0
  EXPECT_TRUE(sprite.HitTest(11, 10, 1));
  EXPECT_FALSE(sprite.HitTest(14, 10, 0));
  // Keys carry alpha 0 and are compared with the whole pixel.
  picture->SetColorKeyRgb(0xFF, 0xFF, 0xFF);
  EXPECT_FALSE(sprite.HitTest(10, 10, 1));  // the key
  Pixel32(*picture, 1, 0) = 0x00000000u;
  EXPECT_TRUE(sprite.HitTest(11, 10, 1));  // not the key, whatever its alpha
  ImageSprite other;
  EXPECT_FALSE(other.Overlaps(&sprite));
  ASSERT_EQ(other.SetImage(picture.get(), nullptr, 13, 13), 0);
  EXPECT_TRUE(other.Overlaps(&sprite));
  other.SetPosition(14, 10);
  EXPECT_FALSE(other.Overlaps(&sprite));  // touching edges share no area
}

TEST_F(ImageSpriteTest, SourceRectAnchorAndInvalidation) {
  auto picture = MakeSolid32(20, 20, 0xFF000000u);
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 100, 50), 0);
  const Rect cell{4, 2, 14, 10};
  EXPECT_EQ(sprite.SetSourceRect(&cell), 0);
  EXPECT_EQ(*sprite.GetBoundsPtr(), (Rect{100, 50, 110, 58}));
  EXPECT_EQ(sprite.GetCentreX(), 5);
  const Rect away{40, 40, 50, 50};
  EXPECT_EQ(sprite.SetSourceRect(&away), 2);
  EXPECT_TRUE(sprite.SetAnchor(3, 0, 0));
  EXPECT_EQ(sprite.GetCentreX(), 10);
  EXPECT_FALSE(sprite.SetAnchor(9, 10, 8));
  EXPECT_FALSE(sprite.SetBlendMode(4));
  EXPECT_TRUE(sprite.SetBlendMode(0x13));
  EXPECT_FALSE(sprite.SetBlendMode(0x20));

  struct Owner : SpriteListOwner {
    int AddDirty(const Rect* r) override {
      last = *r;
      return 1;
    }
    Rect last;
  } owner;
  SpriteList list;
  list.SetOwner(&owner);
  Rect r{0, 0, 3, 3};  // left of and above the source rectangle: nothing
  EXPECT_FALSE(sprite.InvalidateSourceRect(&r));
  ASSERT_EQ(list.Add(&sprite, 0, 0), 0);
  EXPECT_FALSE(sprite.InvalidateSourceRect(&r));
  r = {0, 0, 6, 5};  // the part (4, 2, 6, 5) lies at (100, 50, 102, 53)
  EXPECT_TRUE(sprite.InvalidateSourceRect(&r));
  EXPECT_EQ(owner.last, (Rect{100, 50, 102, 53}));
}

TEST_F(ImageSpriteTest, DisplaySizeStretchesIntoTheOwnedCopy) {
  auto picture = MakeSurface32(4, 2, [](int x, int) { return x < 2 ? 0xFFFF0000u : 0xFF0000FFu; });
  auto target = MakeSolid32(16, 8, 0);
  ImageSprite sprite;
  EXPECT_FALSE(sprite.SetDisplaySize(8, 4));  // no source
  ASSERT_EQ(sprite.SetImage(picture.get(), nullptr, 0, 0), 0);
  EXPECT_TRUE(sprite.SetDisplaySize(8, 4));
  EXPECT_FALSE(sprite.SetDisplaySize(8, 4));
  EXPECT_TRUE(sprite.SetDisplaySize(-1, 4));  // the source width
  EXPECT_EQ(*sprite.GetBoundsPtr(), (Rect{0, 0, 4, 4}));
  EXPECT_TRUE(sprite.SetDisplaySize(8, 4));
  EXPECT_EQ(*sprite.GetBoundsPtr(), (Rect{0, 0, 8, 4}));
  ASSERT_NE(sprite.GetOwnedCopy(), nullptr);
  ASSERT_EQ(sprite.DrawTo(target.get(), nullptr), 0);
  EXPECT_EQ(Pixel32(*target, 3, 3), 0xFFFF0000u);
  EXPECT_EQ(Pixel32(*target, 4, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel32(*target, 8, 0), 0u);
  EXPECT_TRUE(sprite.SetDisplaySize(0, 0));
  EXPECT_EQ(*sprite.GetBoundsPtr(), (Rect{0, 0, 4, 2}));
}

}  // namespace
}  // namespace orrivel
