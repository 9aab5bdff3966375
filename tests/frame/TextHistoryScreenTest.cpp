// The history screen headless: a window of fixed-cell glyphs, the engine's
// input path in memory with scripted keys per frame, and a manual clock
// that the frame pump advances.
#include "frame/TextHistoryScreen.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../scene/ControlTestSupport.h"
#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "base/ActionMap.h"
#include "frame/MessageTextWindow.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

// Keys bound to the screen's actions for the test.
constexpr uint8_t kKeyClose = 'X', kKeyHide = 'H', kKeyUp = 'W', kKeyDown = 'D';
constexpr uint32_t kFrameMs = 16;

class TextHistoryScreenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(window.Create(&list, 3998, TextHistoryScreen::kListWidth, TextHistoryScreen::kVisibleHeight,
                            TextHistoryScreen::kListX, TextHistoryScreen::kListY, &font, nullptr, 0),
              0);
    window.SetMargins(0, 0, 0, 0, false);
    window.SetVisible(false);
    input.Connect(host);
    actions.Create(20);
    for (auto [action, key] : {std::pair{TextHistoryScreen::kActionClose, kKeyClose},
                               {TextHistoryScreen::kActionHideList, kKeyHide},
                               {TextHistoryScreen::kActionUp, kKeyUp},
                               {TextHistoryScreen::kActionDown, kKeyDown}})
      ASSERT_EQ(actions.SetBinding(action, 0, key), 0);
    host.actions = &actions;
    history.SetCapacity(256);
  }

  void Page(int32_t height, const char* name, const char* voice, uint8_t group = 0) {
    const std::string text = "ab";
    ASSERT_EQ(history.AddEntry(reinterpret_cast<const uint8_t*>(text.data()), 2, height, name, voice, group), 0);
  }

  TextHistoryScreen::Hooks Hooks() {
    TextHistoryScreen::Hooks hooks;
    hooks.pumpFrame = [this] {
      ++frames;
      input.clock.Advance(kFrameMs);
      input.source.ReleaseAllKeys();
      if (auto keys = script.find(frames); keys != script.end())
        for (uint8_t key : keys->second) input.source.SetKey(key, true);
      input.input.Update();
      if (auto step = actionsAt.find(frames); step != actionsAt.end()) step->second();
      return frames < quitAt;
    };
    hooks.now = [this] { return input.clock.TickMs(); };
    hooks.replayVoice = [this](const std::string& voice) { replayed.push_back(voice); };
    hooks.showScene = [this](const HistorySceneRecord& scene) { scenes.push_back(scene.background); };
    hooks.closeSound = [this] { ++closeSounds; };
    return hooks;
  }

  test::CellFont font{16};
  SpriteList list;
  MessageTextWindow window;
  test::RecordingHost host;
  test::HeadlessControlInput input;
  ActionMap actions{&input.input};
  TextHistoryBuffer history;
  // Keys held at a frame, and work done at a frame (after the input poll).
  std::map<int32_t, std::vector<uint8_t>> script;
  std::map<int32_t, std::function<void()>> actionsAt;
  int32_t frames = 0;
  int32_t quitAt = 1 << 30;
  std::vector<std::string> replayed;
  std::vector<std::string> scenes;
  int32_t closeSounds = 0;
};

TEST_F(TextHistoryScreenTest, EmptyHistoryOpensAtZeroAndClosesWithAFade) {
  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(false), 0);
  EXPECT_EQ(screen.Position(), 0);
  EXPECT_EQ(screen.Maximum(), 0);
  EXPECT_EQ(screen.LinesInUse(), 0);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_EQ(host.Controls().size(), size_t(TextHistoryScreen::kLineCount));
  script[2] = {kKeyClose};
  EXPECT_EQ(screen.Run(true), 0);
  EXPECT_EQ(closeSounds, 1);
  // The fade-out took 200 ms of frames after the close.
  EXPECT_EQ(frames, 2 + int32_t((TextHistoryScreen::kFadeMs + kFrameMs - 1) / kFrameMs));
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_FALSE(window.IsVisible());
}

TEST_F(TextHistoryScreenTest, ScrollsHidesAndReplaysVoicedBlocks) {
  test::LoggingControl previous("bar", &host);
  host.AddControl(&previous, -1);
  Page(40, "Aki", "V_FIRST", 1);
  Page(40, "", "", 1);
  SceneLayerSource layer;
  layer.name = "BG_FIRST";
  ASSERT_EQ(history.AddSceneEntry(&layer, {}, {}, {}), 0);
  for (int i = 0; i < 30; ++i) Page(40, "", i % 2 ? "V_ODD" : "", 0);

  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(true), 0);
  EXPECT_EQ(frames, int32_t(TextHistoryScreen::kFadeMs / kFrameMs) + 1);  // the fade-in
  const int32_t end = screen.Maximum();
  EXPECT_EQ(end, screen.Page().ScrollRange() - TextHistoryScreen::kVisibleHeight);
  EXPECT_EQ(screen.Position(), end);
  EXPECT_LE(screen.LinesInUse(), TextHistoryScreen::kLineCount);
  for (int32_t i = 0; i < screen.LinesInUse(); ++i) {
    EXPECT_TRUE(screen.Line(i)->IsVisible());
    EXPECT_EQ(screen.Line(i)->GetTag(), i + 1);
  }
  EXPECT_FALSE(screen.Line(TextHistoryScreen::kLineCount - 1)->IsVisible());

  const int32_t f = frames;
  std::vector<int32_t> positions;
  auto record = [&] { positions.push_back(screen.Position()); };
  script[f + 1] = {0x21};  // Page Up
  script[f + 3] = {kKeyUp};
  script[f + 5] = {kKeyDown};
  script[f + 7] = {0x24};  // Home: the first block with its voice at the top
  actionsAt[f + 9] = [&] {
    ASSERT_GE(screen.LinesInUse(), 1);
    EXPECT_EQ(screen.Plan().lines[0].voice, "V_FIRST");
    const_cast<TextHistoryLine*>(screen.Line(0))->Activate();
  };
  script[f + 11] = {kKeyHide};
  actionsAt[f + 12] = [&] {
    EXPECT_TRUE(screen.ListHidden());
    EXPECT_FALSE(window.IsVisible());
    EXPECT_FALSE(screen.Line(0)->IsVisible());
  };
  script[f + 13] = {0x22};  // ignored while hidden
  script[f + 15] = {kKeyHide};
  script[f + 17] = {kKeyClose};
  for (int32_t at : {f + 2, f + 4, f + 6, f + 8, f + 14})
    actionsAt[at] = [&, inner = actionsAt[at]] {
      if (inner) inner();
      record();
    };
  EXPECT_EQ(screen.Run(false), 0);
  // Each recorded position is read at the pump before the step of that frame.
  EXPECT_EQ(positions, (std::vector<int32_t>{end - 24, end - 34, end - 24, 0, 0}));
  EXPECT_EQ(replayed, (std::vector<std::string>{"V_FIRST"}));
  EXPECT_EQ(scenes, (std::vector<std::string>{"BG_FIRST"}));
  // The controls before the screen are back, and only they.
  EXPECT_EQ(host.Controls(), (std::vector<Control*>{&previous}));
  host.RemoveControl(&previous);
}

TEST_F(TextHistoryScreenTest, QuitWhileOpenFreesEverything) {
  for (int i = 0; i < 5; ++i) Page(30, "Ren", "V", 0);
  {
    TextHistoryScreen screen(history, window, list, host, Hooks());
    quitAt = 3;  // during the fade-in
    EXPECT_EQ(screen.Open(true), -1);
    EXPECT_TRUE(host.Controls().empty());
  }
  quitAt = frames + 4;
  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(false), 0);
  EXPECT_EQ(screen.LinesInUse(), 5);
  EXPECT_EQ(screen.Run(true), -1);
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_EQ(closeSounds, 0);
}

}  // namespace
}  // namespace orrivel
