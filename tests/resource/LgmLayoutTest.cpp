#include "resource/LgmLayout.h"

#include <gtest/gtest.h>

#include "LayoutTestFakes.h"
#include "LayoutTestFolder.h"
#include "layout/LayoutWriter.h"

namespace orrivel {
namespace {

using testing::FakeCanvas;
using testing::FakeDevice;
using testing::FakeSprite;
using tools::LgmDocument;
using tools::LgmForm;

class LgmLayoutTest : public testing::LayoutFolderTest {
 protected:
  void SetUp() override {
    LayoutFolderTest::SetUp();
    folder_.Write("ui/base.elg", testing::MakeElgPicture(32, 24));
    folder_.Write("ui/a.elg", testing::MakeElgPicture(16, 8));
    folder_.Write("ui/b.elg", testing::MakeElgPicture(10, 6));
    screen_.baseName = "base.elg";
    // A kind-0 part takes its size from its picture; a stored size crops.
    screen_.parts.push_back({"a.elg", 0, 5, -3, 200, 1, 0, 0, 0});
    screen_.parts.push_back({"b.elg", 2, 100, 50, 128, 0, 4, 3, 7});
    folder_.Write("ui/screen.lgm", tools::WriteLgm(screen_, LgmForm::kSprite));
  }

  void ExpectNothingLeft(const LgmLayout& layout) {
    EXPECT_TRUE(device_.surfaces.empty());
    EXPECT_TRUE(device_.sprites.empty());
    EXPECT_EQ(canvas_.background, nullptr);
    EXPECT_EQ(layout.PartCount(), 0u);
    EXPECT_TRUE(layout.PartSprites().empty());
    EXPECT_EQ(layout.BaseSurface(), nullptr);
  }

  LgmDocument screen_;
  FakeDevice device_;
  FakeCanvas canvas_;
};

TEST_F(LgmLayoutTest, PlacesSpritesOnTheCanvas) {
  LgmLayout layout;
  ASSERT_EQ(layout.Load(&device_, &canvas_, "ui\\screen.lgm", 5, false, false), kLgmOk);
  EXPECT_EQ(device_.log, (std::vector<std::string>{"surface ui\\base.elg", "surface ui\\a.elg", "sprite",
                                                    "surface ui\\b.elg", "sprite"}));
  ASSERT_NE(layout.BaseSurface(), nullptr);
  EXPECT_EQ(canvas_.background, layout.BaseSurface());
  ASSERT_EQ(canvas_.backgroundCalls.size(), 1u);
  EXPECT_EQ(canvas_.backgroundCalls[0].x, 0);
  EXPECT_TRUE(canvas_.backgroundCalls[0].redraw);

  ASSERT_EQ(layout.PartCount(), 2u);
  const auto& sizes = layout.PartSizes();
  EXPECT_EQ(sizes[0].width, 16);
  EXPECT_EQ(sizes[0].height, 8);
  EXPECT_EQ(sizes[0].flag, 1);
  EXPECT_EQ(sizes[1].width, 4);
  EXPECT_EQ(sizes[1].height, 3);
  EXPECT_EQ(sizes[1].flag, 7);

  struct Expected {
    platform::Rect source;
    int32_t x, y;
    int opacity, visible;
  };
  const Expected expected[] = {{{0, 0, 16, 8}, 5, -3, 200, 1}, {{0, 0, 4, 3}, 100, 50, 128, 0}};
  ASSERT_EQ(canvas_.main.members.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    auto* sprite = static_cast<FakeSprite*>(layout.PartSprites()[i]);
    EXPECT_EQ(canvas_.main.members[i], sprite);
    EXPECT_EQ(sprite->surface, layout.PartSurfaces()[i]);
    EXPECT_EQ(sprite->source, expected[i].source);
    EXPECT_EQ(sprite->x, expected[i].x);
    EXPECT_EQ(sprite->y, expected[i].y);
    EXPECT_EQ(sprite->opacity, expected[i].opacity);
    EXPECT_EQ(sprite->visible, expected[i].visible);
    EXPECT_EQ(sprite->order, 5u);
  }

  // A layout only forgets its tables: the objects stay the device's.
  layout.Clear();
  EXPECT_EQ(device_.surfaces.size(), 3u);
  EXPECT_EQ(device_.sprites.size(), 2u);
}

TEST_F(LgmLayoutTest, OverlayIndexedBaseAndNoBase) {
  {
    LgmLayout layout;
    canvas_.hasOverlay = true;
    ASSERT_EQ(layout.Load(&device_, &canvas_, "ui\\screen.lgm", 1, true, true), kLgmOk);
    EXPECT_EQ(device_.log[0], "surface8 ui\\base.elg");
    EXPECT_EQ(device_.log[1], "surface ui\\a.elg");  // parts stay 32-bit
    EXPECT_EQ(canvas_.overlay.members.size(), 2u);
    EXPECT_TRUE(canvas_.main.members.empty());
  }
  {
    // Overlay asked of a canvas without one: the sprites join no list.
    FakeCanvas plain;
    LgmLayout layout;
    ASSERT_EQ(layout.Load(&device_, &plain, "ui\\screen.lgm", 1, true, false), kLgmOk);
    EXPECT_TRUE(plain.main.members.empty());
    EXPECT_EQ(static_cast<FakeSprite*>(layout.PartSprites()[0])->list, "");
  }
  {
    LgmDocument bare = screen_;
    bare.baseName.clear();
    folder_.Write("ui/bare.lgm", tools::WriteLgm(bare, LgmForm::kSprite));
    FakeCanvas canvas;
    LgmLayout layout;
    ASSERT_EQ(layout.Load(&device_, &canvas, "ui\\bare.lgm", 0, false, false), kLgmOk);
    EXPECT_EQ(layout.BaseSurface(), nullptr);
    EXPECT_TRUE(canvas.backgroundCalls.empty());
    EXPECT_EQ(layout.PartCount(), 2u);
  }
}

TEST_F(LgmLayoutTest, FailuresUndoEverything) {
  struct Case {
    const char* what;
    int expected;
    void (*damage)(LgmDocument&, FakeDevice&);
  };
  const Case cases[] = {
      {"base picture missing", kLgmBaseFailed, [](LgmDocument& d, FakeDevice&) { d.baseName = "none.elg"; }},
      {"second part missing", kLgmPartFailed, [](LgmDocument& d, FakeDevice&) { d.parts[1].name = "none.elg"; }},
      {"sprite refused", kLgmPartFailed, [](LgmDocument&, FakeDevice& device) { device.refuseSprites = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDevice device;
    FakeCanvas canvas;
    LgmDocument document = screen_;
    c.damage(document, device);
    folder_.Write("ui/bad.lgm", tools::WriteLgm(document, LgmForm::kSprite));
    LgmLayout layout;
    EXPECT_EQ(layout.Load(&device, &canvas, "ui\\bad.lgm", 0, false, false), c.expected);
    EXPECT_TRUE(device.surfaces.empty());
    EXPECT_TRUE(device.sprites.empty());
    EXPECT_EQ(canvas.background, nullptr);
    EXPECT_EQ(layout.PartCount(), 0u);
    EXPECT_EQ(layout.BaseSurface(), nullptr);
  }
  // The earlier part's sprite and surface and the base picture went back.
  FakeDevice device;
  FakeCanvas canvas;
  LgmDocument document = screen_;
  document.parts[1].name = "none.elg";
  folder_.Write("ui/bad.lgm", tools::WriteLgm(document, LgmForm::kSprite));
  LgmLayout layout;
  ASSERT_EQ(layout.Load(&device, &canvas, "ui\\bad.lgm", 0, false, false), kLgmPartFailed);
  EXPECT_EQ(canvas.backgroundCalls.size(), 2u);
  EXPECT_EQ(std::count(device.log.begin(), device.log.end(), "delete sprite"), 1);
  EXPECT_EQ(std::count(device.log.begin(), device.log.end(), "delete image ui\\a.elg"), 1);
  EXPECT_EQ(std::count(device.log.begin(), device.log.end(), "delete image ui\\base.elg"), 1);
}

TEST_F(LgmLayoutTest, ArgumentsMissingFileAndDamagedBytes) {
  LgmLayout layout;
  EXPECT_EQ(layout.Load(nullptr, &canvas_, "ui\\screen.lgm", 0, false, false), kLgmMissingArgument);
  EXPECT_EQ(layout.Load(&device_, nullptr, "ui\\screen.lgm", 0, false, false), kLgmMissingArgument);
  EXPECT_EQ(layout.Load(&device_, &canvas_, "", 0, false, false), kLgmMissingArgument);
  EXPECT_EQ(layout.Load(&device_, &canvas_, "ui\\none.lgm", 0, false, false), kLgmCannotOpen);

  // Every cut of the file is refused before anything is made.
  const std::vector<uint8_t> good = tools::WriteLgm(screen_, LgmForm::kSprite);
  for (size_t size = 0; size < good.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_EQ(layout.LoadFromMemory(&device_, &canvas_, good.data(), size, "ui\\cut.lgm", 0, false, false),
              kLgmBadFile);
    EXPECT_TRUE(device_.log.empty());
  }
  std::vector<uint8_t> badMagic = good;
  badMagic[3] = 'X';
  EXPECT_EQ(layout.LoadFromMemory(&device_, &canvas_, badMagic.data(), badMagic.size(), "x.lgm", 0, false, false),
            kLgmBadFile);
  // A part count far above what the file holds.
  std::vector<uint8_t> bigCount = good;
  const size_t countAt = 4 + 1 + screen_.baseName.size();
  bigCount[countAt] = bigCount[countAt + 1] = 0xFF;
  EXPECT_EQ(layout.LoadFromMemory(&device_, &canvas_, bigCount.data(), bigCount.size(), "x.lgm", 0, false, false),
            kLgmBadFile);
  ExpectNothingLeft(layout);
}

TEST_F(LgmLayoutTest, NamesStopAtZeroAndJoinTheLayoutFolder) {
  LgmDocument document;
  document.parts.push_back({std::string("a.elg\0junk", 10), 0, 0, 0, 255, 1, 0, 0, 0});
  const auto bytes = tools::WriteLgm(document, LgmForm::kSprite);
  LgmLayout layout;
  ASSERT_EQ(layout.LoadFromMemory(&device_, &canvas_, bytes.data(), bytes.size(), "ui\\x.lgm", 0, false, false),
            kLgmOk);
  EXPECT_EQ(device_.log[0], "surface ui\\a.elg");
  EXPECT_EQ(ResolveLgmName("top.lgm", "p.elg"), "p.elg");
  EXPECT_EQ(ResolveLgmName("a/b\\c.lgm", "p.elg"), "a/b\\p.elg");
}

}  // namespace
}  // namespace orrivel
