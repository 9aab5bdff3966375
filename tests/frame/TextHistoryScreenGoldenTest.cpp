// The history screen as the player sees it, composed on a screen-sized
// canvas with the outline font and the screen's pictures: names, pages, a
// choice taken and the voice marks beside the voiced blocks, the text with
// its shadow over the scene. Scrolling and a voice mark lighting up report
// every pixel they change to the canvas.
#include <gtest/gtest.h>

#include <string>

#include "../scene/GoldenSupport.h"
#include "../scene/ControlTestSupport.h"
#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "frame/MessageTextWindow.h"
#include "frame/TextHistoryScreen.h"
#include "raster/DirtyRegion.h"
#include "raster/RectNodePool.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawImage.h"
#include "scene/SpriteCanvas.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

class TextHistoryScreenGoldenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ResetFontSettings();
    test::WriteHistoryPictures(pictures);
    ASSERT_EQ(font.SetFont(22, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    font.textRed = font.textGreen = font.textBlue = 255;
    font.effectMode = kEffectShadow;
    font.shadowX = font.shadowY = 2;
    ASSERT_EQ(canvas.Load(1280, 720, 32, 1), 0);
    ASSERT_EQ(window.Create(&List(), TextHistoryScreen::kLineOrder - 2, TextHistoryScreen::kListWidth,
                            TextHistoryScreen::kVisibleHeight, TextHistoryScreen::kListX, TextHistoryScreen::kListY,
                            &font, nullptr, 0),
              0);
    window.SetMargins(TextHistoryScreen::kTextInset, 0, 0, 0, false);
    window.SetIndentChars(Sjis("「").c_str());
    window.SetVisible(false);
    history.SetCapacity(64);
    // Behind the screen: the game's picture.
    canvas.GetCanvas()->SetBackgroundValue(0xFF305070, true);
  }
  void TearDown() override {
    ResetFontSettings();
    test::SceneTest::TearDown();
  }
  SpriteList& List() { return canvas.GetCanvas()->MainList(); }

  // A page as the frame records it: measured in the history window.
  void Page(const char* utf8, const char* name, const char* voice, uint8_t group = 0) {
    const std::string text = Sjis(utf8);
    Rect extent;
    ASSERT_GT(window.MeasurePage(text.data(), text.size(), &extent, true, true), 0);
    ASSERT_EQ(history.AddEntry(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()),
                               extent.Height() + 4, Sjis(name).c_str(), voice, group),
              0);
  }
  void Story() {
    Page("雨の音で目が覚めた。", "", "");
    Page("窓の外は、まだ暗い。\n遠くで汽笛が鳴っている。", "", "");
    Page("「どうしよう。もう一度、眠ろうか。」", "わたし", "V001", 1);
    Page("「……いや。」", "", "", 1);
    ASSERT_EQ(history.BeginChoices(3), 0);
    ASSERT_EQ(history.AddChoice(Sjis("眠る").c_str(), true), 0);
    ASSERT_EQ(history.AddChoice(Sjis("起きる").c_str(), true), 0);
    ASSERT_EQ(history.AddChoice(Sjis("窓を開ける").c_str(), false), 0);
    uint32_t serial = 0;
    ASSERT_EQ(history.EndChoices(&serial), 0);
    history.SetChoiceTaken(serial, 1);
    Page("「起きよう。」", "わたし", "V002");
    Page("朝が来た。", "", "");
  }
  Surface& Composed() {
    canvas.GetCanvas()->Render(nullptr, nullptr, 0, 0);
    return *canvas.GetSurface();
  }
  Surface& ComposedAfresh() {
    canvas.GetCanvas()->MarkAllChanged();
    return Composed();
  }

  test::PictureFolder pictures;
  OutlineFont font;
  CanvasDrawImage canvas;
  MessageTextWindow window;
  test::RecordingHost host;
  TextHistoryBuffer history;
};

TEST_F(TextHistoryScreenGoldenTest, TextChoiceAndVoiceMarks) {
  Story();
  TextHistoryScreen screen(history, window, List(), host, {});
  ASSERT_EQ(screen.Open(false), 0);
  ASSERT_EQ(screen.Maximum(), 0);  // all of it fits
  ASSERT_EQ(screen.LinesInUse(), 2);
  // The text's black shadow stands over the scene as solidly as the text.
  int32_t solidShadow = 0;
  Surface& list = window.GetSurface();
  for (int32_t y = 0; y < list.GetHeight(); ++y)
    for (int32_t x = 0; x < list.GetWidth(); ++x) solidShadow += test::Pixel32(list, x, y) == 0xFF000000u;
  EXPECT_GT(solidShadow, 100);
  Surface& composed = ComposedAfresh();
  // The list and its parts; the rest is the background picture.
  Surface shown;
  ASSERT_EQ(shown.Create(860, 460, 32, 0), 0);
  const Rect area{200, 20, 1060, 480};
  ASSERT_EQ(shown.Copy(&composed, 0, 0, &area, false), 0);
  test::ExpectGolden(shown, "history_screen", "frame");
}

TEST_F(TextHistoryScreenGoldenTest, ScrollingAndHoverReportWhatTheyChange) {
  for (int i = 0; i < 6; ++i) Story();
  TextHistoryScreen screen(history, window, List(), host, {});
  ASSERT_EQ(screen.Open(false), 0);
  ASSERT_GT(screen.Maximum(), 100);
  Surface before;
  ASSERT_EQ(before.CreateLike(&ComposedAfresh(), 0), 0);
  ASSERT_EQ(before.Copy(canvas.GetSurface(), 0, 0, nullptr, false), 0);

  ASSERT_EQ(screen.DrawHistoryPage(screen.Maximum() - 100), 0);
  ASSERT_GE(screen.LinesInUse(), 1);
  const_cast<TextHistoryLine*>(screen.Line(0))->SetState(PushControl::kHover);
  DirtyRegion painted;
  canvas.GetCanvas()->Render(&painted, nullptr, 0, 0);
  auto reported = [&painted](int32_t x, int32_t y) {
    for (const RectNode* r = painted.First(); r; r = r->next)
      if (x >= r->left && x < r->right && y >= r->top && y < r->bottom) return true;
    return false;
  };

  // Drawn from what was reported, the screen equals one drawn afresh, and
  // every pixel that changed lies in a reported rectangle.
  Surface incremental;
  ASSERT_EQ(incremental.CreateLike(canvas.GetSurface(), 0), 0);
  ASSERT_EQ(incremental.Copy(canvas.GetSurface(), 0, 0, nullptr, false), 0);
  Surface& afresh = ComposedAfresh();
  int32_t changed = 0;
  for (int32_t y = 0; y < afresh.GetHeight(); ++y) {
    for (int32_t x = 0; x < afresh.GetWidth(); ++x) {
      ASSERT_EQ(test::Pixel32(incremental, x, y), test::Pixel32(afresh, x, y)) << x << "," << y;
      if (test::Pixel32(afresh, x, y) == test::Pixel32(before, x, y)) continue;
      ++changed;
      ASSERT_TRUE(reported(x, y)) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 1000);
}

}  // namespace
}  // namespace orrivel
