// Pages of the message window with the outline font, composed on a canvas
// the way the frame shows them: a horizontal page with a speaker's name
// plate, ruby and a hanging indent, a vertical page, and a reveal at three
// fixed ticks. Every pixel a reveal frame changes lies inside what the
// window reported to its canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../scene/SceneTestSupport.h"
#include "MessagePageSupport.h"
#include "frame/MessageTextWindow.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawImage.h"
#include "scene/SpriteCanvas.h"
#include "text/FontSettings.h"
#include "text/FontTestSupport.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

std::string Command(uint32_t opcode) { return test::PageCommand(opcode); }

class MessageWindowGoldenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ResetFontSettings();
    ASSERT_EQ(body.SetFont(18, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    ASSERT_EQ(rubyFont.SetFont(9, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    rubyFont.textRed = 255, rubyFont.textGreen = 220, rubyFont.textBlue = 120;
    body.effectMode = kEffectShadow;
    body.shadowX = body.shadowY = 1;
  }
  void TearDown() override {
    ResetFontSettings();
    test::SceneTest::TearDown();
  }
  void Make(int32_t w, int32_t h, bool vertical) {
    ASSERT_EQ(canvas.Load(w + 20, h + 50, 32, 1), 0);
    SpriteList& list = canvas.GetCanvas()->MainList();
    ASSERT_EQ(window.Create(&list, 2, w, h, 10, 40, &body, &rubyFont, 0), 0);
    window.SetBackground(0, 0x102040, 0xE0);
    window.SetMargins(10, 10, 10, 10, false);
    window.SetGaps(2, 0, 1);
    window.SetRubyEnabled(true);
    ASSERT_EQ(window.SetVertical(vertical, true), 0);
    ASSERT_EQ(plate.Create(&list, 3, 100, 26, 16, 8, &body, nullptr, 0), 0);
    plate.SetBackground(0, 0x304870, 0xFF);
    plate.SetMargins(4, 4, 4, 4, true);
    window.SetNameWindow(&plate);
    window.SetIndentChars(Sjis("「").c_str());
    window.SetCommandRunner([this](const uint8_t* record, size_t, size_t& taken) {
      uint32_t words[2];
      std::memcpy(words, record, sizeof words);
      taken = words[0];
      if (words[1] == 1) window.BeginRuby();
      if (words[1] == 2) window.DrawRuby(Sjis("わがはい").c_str(), nullptr);
      return 0;
    });
  }
  void ShowStory() {
    const std::string page = Sjis("「") + Command(1) + Sjis("吾輩") + Command(2) +
                             Sjis("は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。」");
    ASSERT_EQ(window.SetPageText(page.data(), page.size()), 0);
    window.SetNames(Sjis("猫").c_str(), "V001");
    ASSERT_EQ(window.ShowPage(true), 0);
    window.SetVisible(true);
  }
  Surface& Composed() {
    canvas.GetCanvas()->Render(nullptr, nullptr, 0, 0);
    return *canvas.GetSurface();
  }

  OutlineFont body;
  OutlineFont rubyFont;
  CanvasDrawImage canvas;
  MessageTextWindow window;
  WindowControl plate;
};

TEST_F(MessageWindowGoldenTest, HorizontalPageWithNameAndRuby) {
  Make(300, 100, false);
  ShowStory();
  EXPECT_TRUE(plate.IsVisible());
  test::ExpectGolden(Composed(), "message_page", "frame");
}

TEST_F(MessageWindowGoldenTest, VerticalPage) {
  Make(150, 200, true);
  ShowStory();
  test::ExpectGolden(Composed(), "message_vertical", "frame");
}

TEST_F(MessageWindowGoldenTest, RevealAtThreeTicks) {
  Make(300, 100, false);
  window.SetTimePerChar(20);
  ASSERT_EQ(window.SetRevealEdge(24), 0);
  ShowStory();
  const uint32_t duration = window.RevealDuration();
  ASSERT_GT(duration, 0u);
  window.Tick(1000);
  test::DamageRecorder damage;
  SpriteList* list = window.Sprite().OwningList();
  ASSERT_NE(list, nullptr);
  const char* names[] = {"message_reveal_1", "message_reveal_2", "message_reveal_3"};
  for (int step = 1; step <= 3; ++step) {
    Surface before;
    ASSERT_EQ(before.CreateLike(&window.GetSurface(), 0), 0);
    SpriteListOwner* owner = list->Owner();
    list->SetOwner(&damage);
    damage.rects.clear();
    window.Tick(1000 + duration * uint32_t(step) / 4);
    list->SetOwner(owner);
    // The canvas learns of the same rectangles.
    for (Rect rect : damage.rects) owner->AddDirty(&rect);
    Surface& after = window.GetSurface();
    for (int32_t y = 0; y < after.GetHeight(); ++y) {
      for (int32_t x = 0; x < after.GetWidth(); ++x) {
        if (test::Pixel32(after, x, y) != test::Pixel32(before, x, y)) {
          ASSERT_TRUE(damage.Covers(x + window.GetX(), y + window.GetY())) << x << "," << y;
        }
      }
    }
    test::ExpectGolden(Composed(), names[step - 1], "frame");
  }
}

}  // namespace
}  // namespace orrivel
