#include "raster/ColorBox.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/DirtyRegion.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

uint32_t& Pixel(Surface& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x];
}

class ColorBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildBlendTables();
    ASSERT_EQ(surface.Create(32, 24, 32, Surface::kWithRegion), 0);
    Paint(0xFF202020u);
  }
  void Paint(uint32_t value) {
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) Pixel(surface, x, y) = value;
  }
  Surface surface;
};

TEST_F(ColorBoxTest, DrawsByModeAndOpacity) {
  struct Case {
    uint8_t mode;
    uint32_t argb;
    uint32_t inside;
  } const cases[] = {
      {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {0, 0x80FFFFFFu, 0xFF909090u},  // toward white by 128/255
      {2, 0x80808080u, 0xFF606060u},  // (128 * 128 + 127) / 255 = 64 added
      {2, 0xFF101010u, 0xFF303030u},  // unscaled at full opacity
      {3, 0xFF101010u, 0xFF101010u},
      {3, 0x80808080u, 0xFF000000u},
  };
  for (const auto& c : cases) {
    Paint(0xFF202020u);
    ColorBox box;
    ASSERT_EQ(box.Init(10, 6, c.argb, 4, 5), 0);
    ASSERT_EQ(box.SetDrawMode(c.mode), 0);
    Rect out;
    ASSERT_EQ(box.DrawTo(&surface, &out), 0);
    EXPECT_EQ(out, (Rect{4, 5, 14, 11}));
    EXPECT_EQ(Pixel(surface, 4, 5), c.inside) << int(c.mode) << " " << std::hex << c.argb;
    EXPECT_EQ(Pixel(surface, 13, 10), c.inside);
    EXPECT_EQ(Pixel(surface, 14, 10), 0xFF202020u);
    EXPECT_EQ(Pixel(surface, 13, 11), 0xFF202020u);
  }
}

TEST_F(ColorBoxTest, StateAndGeometry) {
  ColorBox box;
  EXPECT_TRUE(box.IsVisible());
  EXPECT_EQ(box.GetOpacity(), 255);
  EXPECT_EQ(box.GetKind(), 1);
  ASSERT_EQ(box.Init(20, 10, 0x40123456u, 100, 200), 0);
  EXPECT_TRUE(box.IsChanged());
  EXPECT_EQ(box.GetOpacity(), 0x40);
  EXPECT_EQ(box.GetColor(), 0x123456u);
  box.SetChanged(0);
  EXPECT_EQ(box.SetDrawMode(4), 1);
  EXPECT_EQ(box.GetDrawMode(), 0);
  EXPECT_FALSE(box.IsChanged());
  EXPECT_FALSE(box.SetColor(0xFF123456u));  // only the low 24 bits count
  EXPECT_TRUE(box.SetArgb(0x41123456u));
  EXPECT_FALSE(box.SetPosition(100, 200));
  EXPECT_FALSE(box.MoveBy(0, 0));
  EXPECT_TRUE(box.MoveBy(-1, 2));
  EXPECT_EQ(*box.GetBoundsPtr(), (Rect{99, 202, 119, 212}));
  EXPECT_TRUE(box.SetDisplaySize(100, 50));
  EXPECT_EQ(*box.GetBoundsPtr(), (Rect{99, 202, 199, 252}));
  EXPECT_FALSE(box.SetSize(-1, 5));
  EXPECT_TRUE(box.SetSize(30, 10));  // back to the box size
  EXPECT_EQ(box.GetDrawWidth(), 0);
  EXPECT_EQ(*box.GetBoundsPtr(), (Rect{99, 202, 129, 212}));
  EXPECT_TRUE(box.SetSizeAndPosition(30, 10, 0, 0));
  EXPECT_TRUE(box.HitTest(0, 0));
  EXPECT_TRUE(box.HitTest(29, 9));
  EXPECT_FALSE(box.HitTest(30, 9));
  ColorBox other;
  other.Init(5, 5, 0xFF000000u, 29, 9);
  EXPECT_TRUE(box.Overlaps(&other));
  other.SetPosition(30, 9);  // touching is not overlapping
  EXPECT_FALSE(box.Overlaps(&other));
  EXPECT_FALSE(box.Overlaps(nullptr));
  box.SetSize(0, 10);
  EXPECT_FALSE(box.HitTest(0, 0));
  other.SetPosition(0, 0);
  EXPECT_FALSE(box.Overlaps(&other));
  // Far-off boxes keep their far edges at the end of the 32-bit range.
  ColorBox far;
  far.Init(20, 10, 0xFF000000u, INT32_MAX - 5, INT32_MIN);
  EXPECT_EQ(*far.GetBoundsPtr(), (Rect{INT32_MAX - 5, INT32_MIN, INT32_MAX, INT32_MIN + 10}));
  EXPECT_TRUE(far.MoveBy(10, -1));
  EXPECT_EQ(*far.GetBoundsPtr(), (Rect{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN + 10}));
  EXPECT_FALSE(far.HitTest(INT32_MAX, INT32_MIN));
}

TEST_F(ColorBoxTest, NothingToDrawAndRefusals) {
  ColorBox box;
  box.Init(0, 10, 0xFFFFFFFFu, 0, 0);
  EXPECT_EQ(box.DrawTo(&surface, nullptr), 0);  // width 0
  box.Init(8, 8, 0x00FFFFFFu, 0, 0);
  EXPECT_EQ(box.DrawTo(&surface, nullptr), 0);  // opacity 0
  box.Init(8, 8, 0xFFFFFFFFu, 0, 0);
  box.SetVisible(false);
  EXPECT_EQ(box.DrawTo(&surface, nullptr), 0);
  box.SetVisible(true);
  EXPECT_EQ(box.DrawTo(nullptr, nullptr), 1);
  EXPECT_EQ(box.SetDrawMode(1), 0);
  EXPECT_EQ(box.DrawTo(&surface, nullptr), 2);
  EXPECT_EQ(box.Draw(&surface, Rect{0, 0, 32, 24}), 0);
  EXPECT_EQ(Pixel(surface, 0, 0), 0xFF202020u);
  EXPECT_FALSE(surface.Changed());
  Surface indexed;
  ASSERT_EQ(indexed.Create(8, 8, 8, 0), 0);
  box.SetDrawMode(0);
  EXPECT_EQ(box.DrawTo(&indexed, nullptr), 3);  // the fill refuses the depth
  // Wholly outside the clip rectangle: the out rectangle's left is -1.
  box.SetPosition(100, 100);
  Rect out;
  EXPECT_EQ(box.DrawTo(&surface, &out), 0);
  EXPECT_EQ(out.left, -1);
}

TEST_F(ColorBoxTest, DrawToKeepsTheChangedFlagAndDrawClippedCuts) {
  ColorBox box;
  box.Init(10, 10, 0xFFFFFFFFu, 0, 0);
  box.SetChanged(0);
  EXPECT_EQ(box.DrawTo(&surface), 0);
  EXPECT_FALSE(box.IsChanged());
  Paint(0xFF202020u);
  surface.Region()->Reset();
  EXPECT_EQ(box.Draw(&surface, Rect{5, 5, 20, 20}), 0);
  EXPECT_EQ(Pixel(surface, 4, 4), 0xFF202020u);
  EXPECT_EQ(Pixel(surface, 5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(surface.Region()->Rects(), (std::vector<Rect>{{5, 5, 10, 10}}));
  EXPECT_EQ(box.Draw(&surface, Rect{20, 20, 30, 30}), 0);
}

// Stands in for the canvas: what the list reports lands in a region, null
// meaning the whole 640 x 480 target.
struct RegionOwner : SpriteListOwner {
  int AddDirty(const Rect* rect) override {
    damage.AddRect(rect != nullptr ? *rect : Rect{0, 0, 640, 480});
    return 1;
  }
  DirtyRegion damage;
};

TEST_F(ColorBoxTest, InvalidateReportsToTheOwningList) {
  RegionOwner owner;
  DirtyRegion& damage = owner.damage;
  SpriteList list;
  list.SetOwner(&owner);
  ColorBox box;
  box.Init(20, 10, 0xFFFFFFFFu, 100, 200);
  Rect r{-5, -5, 1000, 1000};
  EXPECT_FALSE(box.InvalidateSourceRect(&r));  // no list yet
  box.SetChanged(0);
  ASSERT_EQ(list.AddAfterEqual(&box, 3, 0), 0);
  EXPECT_TRUE(box.IsChanged());
  EXPECT_EQ(list.AddAfterEqual(&box, 3, 0), 2);
  EXPECT_EQ(list.AddAfterEqual(nullptr, 3, 0), 1);
  EXPECT_TRUE(box.InvalidateSourceRect(&r));
  EXPECT_EQ(r, (Rect{100, 200, 120, 210}));
  EXPECT_EQ(damage.Rects(), (std::vector<Rect>{{100, 200, 120, 210}}));
  Rect empty{25, 0, 30, 5};
  EXPECT_FALSE(box.InvalidateSourceRect(&empty));
  {
    ColorBox second;
    second.Init(1, 1, 0, 0, 0);
    ASSERT_EQ(list.AddAfterEqual(&second, 1, 0), 0);
    EXPECT_EQ(list.Items(), (std::vector<Drawable*>{&second, &box}));
  }  // leaves the list on destruction
  EXPECT_EQ(list.Items(), (std::vector<Drawable*>{&box}));
  list.AddDirty(nullptr);
  EXPECT_EQ(damage.Rects(), (std::vector<Rect>{{0, 0, 640, 480}}));
}

}  // namespace
}  // namespace orrivel
