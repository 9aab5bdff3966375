// The window's pictures from files: frame and item-state pictures (and
// what a missing or damaged file leaves), the item sprites following the
// window, re-creating and resizing with a tiled frame, the background's
// placement rectangle, and picture files drawn inline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "WindowTestSupport.h"
#include "elg/ElgWriter.h"
#include "raster/SpriteList.h"
#include "scene/WindowControl.h"

namespace orrivel {
namespace {

constexpr uint32_t kFrame = 0xFF402010, kNormal = 0xFF00C000, kLit = 0xFF0000E0, kGlyph = 0xFFE0E000;

// A 32-bit ELG picture of one colour.
std::vector<uint8_t> SolidElg(uint16_t width, uint16_t height, uint32_t argb) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  for (int i = 0; i < width * height; ++i)
    image.pixels.insert(image.pixels.end(),
                        {uint8_t(argb), uint8_t(argb >> 8), uint8_t(argb >> 16), uint8_t(argb >> 24)});
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

class WindowPicturesTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    folder_.Write("WIN/FRAME.ELG", SolidElg(120, 60, kFrame));
    folder_.Write("WIN/TILES.ELG", SolidElg(30, 30, kFrame));
    folder_.Write("WIN/OFF.ELG", SolidElg(120, 60, kNormal));
    folder_.Write("WIN/ON.ELG", SolidElg(120, 60, kLit));
    folder_.Write("WIN/GLYPH.ELG", SolidElg(12, 10, kGlyph));
    std::vector<uint8_t> damaged = SolidElg(120, 60, kLit);
    damaged.resize(damaged.size() / 3);
    folder_.Write("WIN/DAMAGED.ELG", damaged);
    ASSERT_EQ(window.Create(&list, 1, 200, 100, 100, 50, &font, nullptr, 0), 0);
    window.SetMargins(10, 10, 10, 10, true);
  }
  void TearDown() override {
    window.Release();
    test::SceneTest::TearDown();
  }
  uint32_t At(int32_t x, int32_t y) { return window.GetSurface().GetPixel(x, y); }
  // An item over "AB" (window 10..26 x 10..26) when pictures are loaded.
  void OneItem() {
    ASSERT_EQ(window.SetItemsEnabled(true), 0);
    ASSERT_EQ(window.AddItem(WindowItemOptions{}), 0);
    const char* text = "AB";
    while (*text != '\0') window.PutNext(&text);
    window.EndItem();
  }
  const ImageSprite& ItemSprite() { return *window.Item(0)->sprites.at(0); }
  uint32_t SpriteColour(const ImageSprite& sprite) {
    return sprite.GetSource()->GetPixel(sprite.GetSourceRect().left, sprite.GetSourceRect().top);
  }

  test::PictureFolder folder_;
  SpriteList list;
  test::CellFont font{16};
  WindowControl window;
};

TEST_F(WindowPicturesTest, EachPictureThatFailsToLoadHasItsCodeAndChangesNothing) {
  const struct {
    const char *frame, *normal, *lit;
    int32_t code;
  } cases[] = {
      {"WIN\\NONE.ELG", nullptr, nullptr, 1},
      {"WIN\\DAMAGED.ELG", "WIN\\OFF.ELG", "WIN\\ON.ELG", 1},
      {"WIN\\FRAME.ELG", "WIN\\DAMAGED.ELG", "WIN\\ON.ELG", 2},
      {"", "WIN\\OFF.ELG", "WIN\\NONE.ELG", 3},
      {"WIN\\FRAME.ELG", "WIN\\OFF.ELG", "WIN\\ON.ELG", 0},
  };
  for (const auto& c : cases) {
    WindowControl w;
    ASSERT_EQ(w.Create(&list, 1, 200, 100, 0, 0, &font, nullptr, 0), 0);
    EXPECT_EQ(w.LoadFrameImages(c.frame, c.normal, c.lit, 0, 0, 0, 0, 0, 0), c.code) << c.frame;
    w.ClearPage();
    EXPECT_EQ(w.GetSurface().GetPixel(5, 5), c.code == 0 ? kFrame : 0u) << c.frame;
  }
}

TEST_F(WindowPicturesTest, RebuildTakesTheSizeOfAnUntiledFramePicture) {
  window.SetVisible(false);
  window.SetDrawFlags(77);
  ASSERT_EQ(window.LoadFrameImages("WIN\\FRAME.ELG", nullptr, nullptr, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(window.Rebuild(), 0);
  EXPECT_EQ(window.GetWidth(), 120);
  EXPECT_EQ(window.GetHeight(), 60);
  EXPECT_EQ(window.GetX(), 100);
  EXPECT_FALSE(window.IsVisible());
  EXPECT_EQ(window.IsReady(), 77);
  EXPECT_EQ(At(119, 59), kFrame);
  window.ClearFrameImages();
  window.ClearPage();
  EXPECT_EQ(At(5, 5), 0u);
  WindowControl unmade;
  EXPECT_EQ(unmade.Rebuild(), 3);
}

TEST_F(WindowPicturesTest, ResizeRoundsATiledFrameToWholeTiles) {
  ASSERT_EQ(window.LoadFrameImages("WIN\\TILES.ELG", nullptr, nullptr, 10, 10, 10, 10, 10, 10), 0);
  const struct {
    int32_t width, height, code, wantWidth, wantHeight;
  } cases[] = {
      {104, 66, 0, 100, 70},  // inner 84 -> 80, 46 -> 50
      {21, 5, 0, 30, 30},     // at least one tile
      {0, 50, 1, 30, 30},
      {50, -1, 1, 30, 30},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window.Resize(c.width, c.height), c.code) << c.width;
    EXPECT_EQ(window.GetWidth(), c.wantWidth) << c.width;
    EXPECT_EQ(window.GetHeight(), c.wantHeight) << c.width;
  }
  EXPECT_EQ(At(29, 29), kFrame);
  window.ClearFrameImages();
  EXPECT_EQ(window.Resize(33, 44), 0);
  EXPECT_EQ(window.GetWidth(), 33);
}

TEST_F(WindowPicturesTest, ItemSpritesShowTheStatePicturesAndFollowTheWindow) {
  ASSERT_EQ(window.LoadFrameImages(nullptr, "WIN\\OFF.ELG", "WIN\\ON.ELG", 0, 0, 0, 0, 0, 0), 0);
  OneItem();
  ASSERT_EQ(window.Item(0)->sprites.size(), 1u);
  const ImageSprite& sprite = ItemSprite();
  EXPECT_EQ(sprite.GetSourceRect(), (Rect{10, 10, 26, 26}));
  EXPECT_EQ(sprite.GetX(), 110);
  EXPECT_EQ(sprite.GetY(), 60);
  EXPECT_TRUE(sprite.IsVisible());
  EXPECT_EQ(SpriteColour(sprite), kNormal);
  EXPECT_EQ(window.EnterItem(0), 1);
  EXPECT_EQ(SpriteColour(sprite), kLit);
  window.LeaveItem(0);
  EXPECT_EQ(SpriteColour(sprite), kNormal);

  window.SetPosition(130, 40);
  EXPECT_EQ(sprite.GetX(), 140);
  EXPECT_EQ(sprite.GetY(), 50);
  window.SetDrawFlags(90);
  EXPECT_EQ(sprite.GetOpacity(), 90);
  window.SetVisible(false);
  EXPECT_FALSE(sprite.IsVisible());
  window.SetVisible(true);
  EXPECT_TRUE(sprite.IsVisible());

  // A page clear takes the items and their sprites out of the list.
  const Drawable* gone = &sprite;
  ASSERT_NE(list.Find(gone), nullptr);
  window.ClearPage();
  EXPECT_EQ(list.Find(gone), nullptr);
}

// A window shown over another canvas for a while takes its item sprites
// along, still over it, and what it adds later goes there too; a window in
// no list or a missing list is refused.
TEST_F(WindowPicturesTest, MovingToAnotherListTakesTheItemSpritesAlong) {
  ASSERT_EQ(window.LoadFrameImages(nullptr, "WIN\\OFF.ELG", "WIN\\ON.ELG", 0, 0, 0, 0, 0, 0), 0);
  OneItem();
  const std::vector<Drawable*> before = list.Items();
  ASSERT_EQ(before.size(), 2u);
  SpriteList other;
  EXPECT_EQ(window.MoveToList(nullptr), 1);
  ASSERT_EQ(window.MoveToList(&other), 0);
  EXPECT_TRUE(list.Items().empty());
  // The same drawing order in the new list.
  EXPECT_EQ(other.Items(), before);
  EXPECT_EQ(other.Find(&window.WindowSprite())->order, 1u);
  OneItem();
  EXPECT_EQ(other.Items().size(), 3u);
  ASSERT_EQ(window.MoveToList(&list), 0);
  EXPECT_TRUE(other.Items().empty());
  EXPECT_EQ(list.Items().size(), 3u);
  window.LeaveSpriteList();
  EXPECT_EQ(window.MoveToList(&other), 1);
}

TEST_F(WindowPicturesTest, AStateWithoutAFittingPictureHidesTheSprites) {
  const struct {
    const char *normal, *lit;
    bool atRest, onHover;
  } cases[] = {
      {nullptr, "WIN\\ON.ELG", false, true},
      {"WIN\\OFF.ELG", "WIN\\GLYPH.ELG", true, false},  // too small for the item
  };
  for (const auto& c : cases) {
    window.SetItemsEnabled(false);
    ASSERT_EQ(window.LoadFrameImages(nullptr, c.normal, c.lit, 0, 0, 0, 0, 0, 0), 0);
    window.ClearPage();
    OneItem();
    EXPECT_EQ(ItemSprite().IsVisible(), c.atRest) << c.lit;
    window.EnterItem(0);
    EXPECT_EQ(ItemSprite().IsVisible(), c.onHover) << c.lit;
    window.LeaveItem(0);
    EXPECT_EQ(ItemSprite().IsVisible(), c.atRest) << c.lit;
  }
}

TEST_F(WindowPicturesTest, TheBackgroundFillsOnlyThePlacementRectangle) {
  window.SetFrameRect(20, 10, 60, 30);
  ASSERT_EQ(window.SetBackground(1, 0x102030, 200), 0);
  EXPECT_EQ(At(20, 10), 0xC8102030u);
  EXPECT_EQ(At(59, 29), 0xC8102030u);
  EXPECT_EQ(At(60, 29), 0u);
  EXPECT_EQ(At(5, 5), 0u);
}

TEST_F(WindowPicturesTest, PictureFilesAreDrawnAsGlyphs) {
  window.SetGaps(0, 2, 0);
  // Standing on the line's bottom (line 10..26, picture 10 tall).
  EXPECT_EQ(window.DrawPictureFile("WIN\\GLYPH.ELG", 0), 0);
  EXPECT_EQ(At(10, 16) & 0xFFFFFF, kGlyph & 0xFFFFFF);
  EXPECT_EQ(At(21, 25) & 0xFFFFFF, kGlyph & 0xFFFFFF);
  EXPECT_EQ(At(10, 15), 0u);
  EXPECT_EQ(window.CursorX(), 10 + 12 + 2);

  for (const char* bad : {"WIN\\NONE.ELG", "WIN\\DAMAGED.ELG", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(window.DrawPictureFile(bad, 0), 2);
    EXPECT_EQ(window.CursorX(), 24);
    EXPECT_EQ(At(24, 20), 0u);
  }

  // Past the wrap limit it breaks the line first; on a full page it draws
  // nothing.
  window.SetCursor(175, -1);
  EXPECT_EQ(window.DrawPictureFile("WIN\\GLYPH.ELG", 0), -1);
  EXPECT_EQ(window.CursorY(), 26);
  while (!window.NewLine()) {
  }
  window.SetCursor(175, -1);
  const int32_t y = window.CursorY();
  EXPECT_EQ(window.DrawPictureFile("WIN\\GLYPH.ELG", 0), 1);
  EXPECT_EQ(window.CursorY(), y);

  WindowControl unmade;
  EXPECT_EQ(unmade.DrawPictureFile("WIN\\GLYPH.ELG", 0), 2);
}

}  // namespace
}  // namespace orrivel
