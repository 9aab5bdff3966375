// The frame on a headless screen: its canvas becomes the screen image, its
// fonts and cursor strips are made at set-up, a run shows the frame and bar
// pictures and the ten bar buttons of the layout with their tooltips, and
// the end of the run takes every control, sprite and picture away again.
#include <gtest/gtest.h>

#include "../scene/PictureFolder.h"
#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "display/DisplayScreenDevice.h"
#include "elg/ElgWriter.h"
#include "frame/MessageWindowState.h"
#include "layout/LayoutWriter.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/HotSpotControl.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel {
namespace {

class TgsFrameScreen : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    test::WriteRunPictures(pictures_);
  }

  TgsFrameEnvironment Environment() {
    TgsFrameEnvironment environment = fixture_.Environment();
    environment.readGameFile = nullptr;  // the game folder's files
    environment.screen = &screen_;
    environment.controls = &controls_;
    environment.factory = &factory_;
    environment.saveAllowed = [] { return false; };
    return environment;
  }

  test::PictureFolder pictures_;
  FrameFixture fixture_;
  DisplayScreenDevice screen_;
  QuietControlHost controls_;
  ControlFactory factory_;
};

TEST_F(TgsFrameScreen, RunShowsItsPartsAndTheEndTakesThemAway) {
  CanvasDrawObject before;
  ASSERT_EQ(before.Prepare(64, 64, 32, 1), 0);
  screen_.AttachScreenImage(&before);
  {
    TgsFrame frame(fixture_.host.Space(), Environment());
    ASSERT_EQ(frame.SetupMessageWindow(nullptr), 0);
    ASSERT_TRUE(frame.OwnsCanvases());
    EXPECT_EQ(screen_.GetScreenImage(), frame.CanvasObject());
    EXPECT_EQ(DefaultFont(), frame.GetFont(TgsFrame::kPageFont1));
    EXPECT_TRUE(frame.GetFont(TgsFrame::kPageFont1)->HasFont());
    EXPECT_EQ(frame.GetFont(TgsFrame::kPageFont2)->PixelHeight(), 13);
    EXPECT_EQ(frame.GetFont(TgsFrame::kHistoryFont1)->shadowX, 2);
    ASSERT_NE(frame.CursorSurface(1), nullptr);
    EXPECT_EQ(frame.CursorSurface(1)->GetWidth(), 48);

    ASSERT_EQ(frame.BeginRun(false), 0);
    SpriteCanvas* canvas = frame.CanvasObject()->GetCanvas();
    ASSERT_NE(frame.FrameSprite(), nullptr);
    ASSERT_NE(frame.BarSprite(), nullptr);
    EXPECT_EQ(frame.BarSprite()->GetY(), 688);
    // The run's parts stand in the display's overlay list, which stays on
    // screen when a transition hands its canvas to the back display.
    ASSERT_EQ(frame.WindowList(), frame.CanvasObject()->GetOverlayList());
    const SpriteList::Node* node = frame.WindowList()->Find(frame.FrameSprite());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->order, 10000u);
    const char* const tooltips[] = {"クイックセーブ", "クイックロード", "前の選択肢に戻る", "セーブ", "ロード",
                                    "次の選択肢までスキップ", "オートプレイ", "テキスト履歴", "環境設定",
                                    "ウィンドウを消去"};
    for (uint32_t b = 0; b < TgsFrame::kBarButtons; ++b) {
      ButtonControl* button = frame.BarButtonControl(b);
      ASSERT_NE(button, nullptr) << b;
      EXPECT_EQ(std::string(button->GetName()), Sjis(tooltips[b])) << b;
      EXPECT_EQ(button->GetX(), int32_t(600 + 30 * b));
      EXPECT_EQ(button->Sprite().OwningList(), frame.WindowList());
      EXPECT_FALSE(button->IsVisible());
      // Saving is not allowed: quick save and save stay disabled; going back
      // to the previous choice and the history (no entries) too.
      const bool enabled = b != 0 && b != 2 && b != 3 && b != 7;
      EXPECT_EQ(button->IsEnabled(), enabled) << b;
    }
    ASSERT_NE(frame.HotSpot(), nullptr);
    EXPECT_EQ(factory_.Count(), 11u);

    // The bar stands hidden until something shows it, then shows on the
    // composed picture.
    Surface* picture = frame.CanvasObject()->GetSurface();
    canvas->Render(nullptr, nullptr, 0, 0);
    EXPECT_EQ(picture->GetPixel(5, 700) & 0xFFFFFF, 0u);
    frame.WindowState().SetBarVisible(true, false);
    canvas->Render(nullptr, nullptr, 0, 0);
    EXPECT_EQ(picture->GetPixel(5, 700) & 0xFFFFFF, 0x405060u);

    EXPECT_EQ(frame.EndRun(), 0);
    EXPECT_EQ(factory_.Count(), 0u);
    EXPECT_EQ(canvas->MainList().Head(), nullptr);
    EXPECT_EQ(frame.WindowList()->Head(), nullptr);
    EXPECT_EQ(frame.BarButtonControl(0), nullptr);
    canvas->Render(nullptr, nullptr, 0, 0);
    EXPECT_EQ(picture->GetPixel(5, 700) & 0xFFFFFF, 0u);
  }
  // The screen image of before comes back, and the default font goes.
  EXPECT_EQ(screen_.GetScreenImage(), &before);
  EXPECT_EQ(DefaultFont(), nullptr);
  screen_.AttachScreenImage(nullptr);
}

TEST_F(TgsFrameScreen, MissingLayoutLeavesTheRunWithoutButtons) {
  pictures_.Write("SYS/SYS_FRAM.GMP", std::vector<uint8_t>{'L', 'G', 'M'});
  TgsFrame frame(fixture_.host.Space(), Environment());
  ASSERT_EQ(frame.SetupMessageWindow(nullptr), 0);
  ASSERT_EQ(frame.BeginRun(false), 0);
  EXPECT_EQ(frame.BarButtonControl(0), nullptr);
  EXPECT_EQ(frame.ButtonState(TgsFrame::kLoad), 1);
  EXPECT_EQ(factory_.Count(), 1u);  // the hot spot
  frame.EndRun();
  EXPECT_EQ(factory_.Count(), 0u);
}

}  // namespace
}  // namespace orrivel
