// Pages laid out by the window with the outline font, in horizontal and in
// vertical writing, each with ruby, an upright two-digit run, an inline
// picture glyph, a wrapped line with a hanging closing mark and a finished
// item; checked against golden pictures, and every drawn pixel inside the
// area reported to the canvas.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "raster/SpriteList.h"
#include "scene/WindowControl.h"
#include "text/FontSettings.h"
#include "text/FontTestSupport.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

// One picture cell of 20 x 20: a ring.
std::unique_ptr<Surface> RingStrip() {
  auto s = std::make_unique<Surface>();
  EXPECT_EQ(s->Create(20, 20, 8, 0), 0);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const int d = (2 * x - 19) * (2 * x - 19) + (2 * y - 19) * (2 * y - 19);
      s->GetScanLine(y)[x] = d <= 19 * 19 && d >= 11 * 11 ? 255 : 0;
    }
  return s;
}

class WindowGoldenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ResetFontSettings();
    ASSERT_EQ(body.SetFont(20, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    ASSERT_EQ(rubyFont.SetFont(10, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    rubyFont.textRed = 255, rubyFont.textGreen = 220, rubyFont.textBlue = 120;
    strip = RingStrip();
    ASSERT_EQ(body.LoadPictureGlyphs(*strip, 1, 20, 20, kPictureFirstArray), 0);
  }
  void TearDown() override {
    ResetFontSettings();
    test::SceneTest::TearDown();
  }
  // Lays the page out; every pixel it changes lies inside what the sprite
  // reported to the canvas.
  void Page(WindowControl& window) {
    Surface before;
    ASSERT_EQ(before.CreateLike(&window.GetSurface(), 0), 0);
    list.SetOwner(&damage);
    damage.rects.clear();
    Lay(window);
    Surface& after = window.GetSurface();
    for (int32_t y = 0; y < after.GetHeight(); ++y) {
      for (int32_t x = 0; x < after.GetWidth(); ++x) {
        if (test::Pixel32(after, x, y) != test::Pixel32(before, x, y)) {
          ASSERT_TRUE(damage.Covers(x, y)) << x << "," << y;
        }
      }
    }
    list.SetOwner(nullptr);
  }
  void Lay(WindowControl& window) {
    const std::string ruby = Sjis("わが");
    const std::string text1 = Sjis("は猫である。名前は");
    const std::string text2 = Sjis("まだ無い。どこで、「生れたか」とんと見当がつかぬ。");
    window.SetRuby(ruby.c_str());
    Put(window, Sjis("吾輩"));
    Put(window, text1);
    Put(window, "@0");
    Put(window, text2);
    window.NewLine();
    if (window.IsVertical()) window.DrawHorizontalRun("12");
    else Put(window, "12");
    Put(window, Sjis("月の"));
    WindowItemOptions options;
    ASSERT_EQ(window.AddItem(options), 0);
    Put(window, Sjis("選択肢"));
    window.EndItem();
  }
  void Put(WindowControl& window, const std::string& text) {
    const char* p = text.c_str();
    while (*p != '\0') ASSERT_NE(window.PutNext(&p), 1);
  }
  WindowControl& Make(bool vertical, int32_t w, int32_t h) {
    EXPECT_EQ(window.Create(&list, 1, w, h, 0, 0, &body, &rubyFont, 0), 0);
    window.SetItemsEnabled(true);
    window.SetBackground(0, 0x102040, 0xFF);
    window.SetGaps(vertical ? 12 : 2, 0, 1);
    window.SetRubyEnabled(true);
    window.SetHangCount(2);
    window.SetMargins(8, 8, vertical ? 20 : 8, 8, false);
    EXPECT_EQ(window.SetVertical(vertical, true), 0);
    return window;
  }

  OutlineFont body;
  OutlineFont rubyFont;
  std::unique_ptr<Surface> strip;
  test::DamageRecorder damage;
  SpriteList list;
  WindowControl window;
};

TEST_F(WindowGoldenTest, HorizontalPage) {
  Page(Make(false, 236, 180));
  test::ExpectGolden(window.GetSurface(), "window_horizontal");
}

TEST_F(WindowGoldenTest, VerticalPage) {
  Page(Make(true, 200, 236));
  test::ExpectGolden(window.GetSurface(), "window_vertical");
}

}  // namespace
}  // namespace orrivel
