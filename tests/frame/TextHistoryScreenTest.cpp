// The history screen headless: a window of fixed-cell glyphs, the engine's
// input path in memory with scripted keys per frame, and a manual clock
// that the frame pump advances.
#include "frame/TextHistoryScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../scene/ControlTestSupport.h"
#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "FramePictures.h"
#include "base/ActionMap.h"
#include "frame/MessageTextWindow.h"
#include "platform/TextCodec.h"
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
    // The game's pictures of the screen: without them it does not open.
    test::WriteHistoryPictures(pictures);
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
      input.source.SetMouseButtons(0);
      if (auto pointer = pointerAt.find(frames); pointer != pointerAt.end()) {
        host.pointerX = pointer->second.x;
        host.pointerY = pointer->second.y;
        input.source.SetMouseButtons(pointer->second.buttons);
        if (pointer->second.wheel) input.input.OnMouseWheel(uintptr_t(uint16_t(pointer->second.wheel)) << 16);
      }
      input.input.Update();
      if (auto step = actionsAt.find(frames); step != actionsAt.end()) step->second();
      return frames < quitAt;
    };
    hooks.now = [this] { return input.clock.TickMs(); };
    hooks.replayVoice = [this](const std::string& voice) { replayed.push_back(voice); };
    hooks.showScene = [this](const HistorySceneRecord& scene) {
      scenes.push_back(scene.background);
      return sceneList;
    };
    hooks.closeSound = [this] { ++closeSounds; };
    hooks.log = [this](const std::string& line) { log.push_back(line); };
    return hooks;
  }
  // Where the pointer is at a frame, the buttons held and a wheel turn
  // (120 away from the player, -120 towards).
  struct PointerStep {
    int32_t x, y;
    uint32_t buttons = 0;
    int32_t wheel = 0;
  };

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
  std::map<int32_t, PointerStep> pointerAt;
  std::vector<std::string> log;
  test::PictureFolder pictures;
  int32_t frames = 0;
  int32_t quitAt = 1 << 30;
  std::vector<std::string> replayed;
  std::vector<std::string> scenes;
  // Where the parts go when a scene shows (null: they stay).
  SpriteList* sceneList = nullptr;
  int32_t closeSounds = 0;
};

TEST_F(TextHistoryScreenTest, EmptyHistoryOpensAtZeroAndClosesWithAFade) {
  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(false), 0);
  EXPECT_EQ(screen.Position(), 0);
  EXPECT_EQ(screen.Maximum(), 0);
  EXPECT_EQ(screen.LinesInUse(), 0);
  EXPECT_TRUE(window.IsVisible());
  // The line controls, the close button and the bar with its two arrows.
  EXPECT_EQ(host.Controls().size(), size_t(TextHistoryScreen::kLineCount) + 4);
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

  SpriteList behind;
  sceneList = &behind;
  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(true), 0);
  EXPECT_EQ(frames, int32_t(TextHistoryScreen::kFadeMs / kFrameMs) + 1);  // the fade-in
  EXPECT_EQ(screen.PartsList(), &list);
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
  script[f + 1] = {TextHistoryScreen::kKeyPageUp};
  script[f + 3] = {kKeyUp};
  script[f + 5] = {kKeyDown};
  script[f + 7] = {TextHistoryScreen::kKeyHome};  // the first block with its voice at the top
  actionsAt[f + 9] = [&] {
    ASSERT_GE(screen.LinesInUse(), 1);
    EXPECT_EQ(screen.Plan().lines[0].voice, "V_FIRST");
    const_cast<TextHistoryLine*>(screen.Line(0))->Activate();
  };
  // The scene shown, the list and its line controls stand over it.
  actionsAt[f + 10] = [&] {
    EXPECT_EQ(screen.PartsList(), &behind);
    EXPECT_NE(behind.Find(&window.WindowSprite()), nullptr);
    EXPECT_EQ(list.Find(&window.WindowSprite()), nullptr);
    EXPECT_EQ(screen.Line(0)->GetSpriteList(), &behind);
  };
  script[f + 11] = {kKeyHide};
  actionsAt[f + 12] = [&] {
    EXPECT_TRUE(screen.ListHidden());
    EXPECT_FALSE(window.IsVisible());
    EXPECT_FALSE(screen.Line(0)->IsVisible());
  };
  script[f + 13] = {TextHistoryScreen::kKeyPageDown};  // ignored while hidden
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
  // The window is back where it stood; nothing of the screen stays behind.
  EXPECT_NE(list.Find(&window.WindowSprite()), nullptr);
  EXPECT_TRUE(behind.Items().empty());
  sceneList = nullptr;
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

// The pictures make the screen's parts, and the pointer works them: the
// voice mark lights under the pointer and a click on its line replays the
// voice, the bar's arrow and the wheel move the list (the wheel once, also
// over the bar), and the close button ends the screen.
TEST_F(TextHistoryScreenTest, PicturesMakeThePartsThatThePointerWorks) {
  for (int i = 0; i < 30; ++i) Page(40, "", i % 2 ? "V_ODD" : "", 0);
  TextHistoryScreen screen(history, window, list, host, Hooks());
  ASSERT_EQ(screen.Open(false), 0);
  EXPECT_TRUE(log.empty());
  ASSERT_NE(screen.Base(), nullptr);
  EXPECT_EQ(screen.Base()->OwningList(), &list);
  ASSERT_NE(screen.CloseButton(), nullptr);
  EXPECT_EQ(screen.CloseButton()->GetX(), TextHistoryScreen::kCloseX);
  EXPECT_EQ(screen.CloseButton()->GetY(), TextHistoryScreen::kCloseY);
  EXPECT_STREQ(screen.CloseButton()->GetName(), platform::Utf8ToCp932Lossy("テキスト履歴を閉じる").c_str());
  ASSERT_NE(screen.Bar(), nullptr);
  EXPECT_EQ(screen.Bar()->GetX(), TextHistoryScreen::kBarX);
  EXPECT_EQ(screen.Bar()->GetY(), TextHistoryScreen::kBarY);
  const int32_t end = screen.Maximum();
  ASSERT_GT(end, 0);
  EXPECT_EQ(screen.Bar()->GetMaximum(), end);
  EXPECT_EQ(screen.Bar()->GetValue(), end);
  ASSERT_GT(screen.LinesInUse(), 1);
  for (int32_t i = 0; i < screen.LinesInUse(); ++i) {
    const ImageSprite* mark = screen.Line(i)->VoiceMark();
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(mark->IsVisible());
    EXPECT_EQ(mark->GetX(), TextHistoryLine::kMarkX);
    EXPECT_EQ(mark->GetY(), screen.Line(i)->GetY());
  }
  EXPECT_FALSE(screen.Line(TextHistoryScreen::kLineCount - 1)->VoiceMark()->IsVisible());

  const TextHistoryLine& line = *screen.Line(1);
  const int32_t lineX = line.GetX() + 100, lineY = line.GetY() + 10;
  const int32_t f = frames;
  int32_t markOffset = -1;
  std::vector<int32_t> positions;
  pointerAt[f + 1] = {lineX, lineY};
  actionsAt[f + 2] = [&] { markOffset = line.VoiceMark()->GetSourceOffsetX(); };
  pointerAt[f + 2] = {lineX, lineY, 1};
  // The bar's up arrow, then the wheel over the list and over the bar.
  const int32_t arrowX = TextHistoryScreen::kBarX + 12, arrowY = TextHistoryScreen::kBarY + 12;
  pointerAt[f + 15] = {arrowX, arrowY};
  pointerAt[f + 16] = {arrowX, arrowY, 1};
  pointerAt[f + 18] = {lineX, lineY, 0, 120};
  pointerAt[f + 20] = {TextHistoryScreen::kBarX + 12, TextHistoryScreen::kBarY + 300};
  pointerAt[f + 21] = {TextHistoryScreen::kBarX + 12, TextHistoryScreen::kBarY + 300, 0, 120};
  for (int32_t at : {f + 14, f + 17, f + 19, f + 22}) actionsAt[at] = [&] { positions.push_back(screen.Position()); };
  const int32_t closeX = TextHistoryScreen::kCloseX + 5, closeY = TextHistoryScreen::kCloseY + 5;
  pointerAt[f + 24] = {closeX, closeY};
  pointerAt[f + 25] = {closeX, closeY, 1};
  EXPECT_EQ(screen.Run(false), 0);
  EXPECT_EQ(markOffset, TextHistoryLine::kMarkCell);
  EXPECT_EQ(replayed, (std::vector<std::string>{"V_ODD"}));
  EXPECT_EQ(positions, (std::vector<int32_t>{end, end - 10, end - 20, end - 30}));
  EXPECT_EQ(screen.Bar(), nullptr);
  EXPECT_EQ(closeSounds, 1);
  EXPECT_TRUE(host.Controls().empty());
  // Everything the pictures made has left the list but the window.
  EXPECT_EQ(list.Items().size(), 1u);
}

// The separator between blocks stands on the clear list as its picture
// has it: with the picture's own alpha, or whole when the picture carries
// none.
TEST_F(TextHistoryScreenTest, TheSeparatorStandsWithItsPicturesAlphaOrWhole) {
  Page(40, "", "");
  Page(40, "", "");
  struct Case {
    uint32_t depth;
    uint32_t shown;  // the list's pixel under the separator
  };
  for (const Case c : {Case{32, 0x80B0C0E0u}, Case{24, 0xFFB0C0E0u}}) {
    SCOPED_TRACE(c.depth);
    tools::ElgImage line;
    line.depth = c.depth;
    line.width = TextHistoryScreen::kListWidth;
    line.height = 2;
    for (int i = 0; i < line.width * line.height; ++i) {
      for (uint8_t channel : {0xE0, 0xC0, 0xB0}) line.pixels.push_back(channel);
      if (c.depth == 32) line.pixels.push_back(0x80);
    }
    pictures.Write(TextHistoryScreen::kLinePicture, tools::EncodeElg(line, tools::ElgHeaderVariant::kDepthOnly));
    TextHistoryScreen screen(history, window, list, host, Hooks());
    ASSERT_EQ(screen.Open(false), 0);
    const auto& items = screen.Plan().items;
    const auto separator = std::find_if(items.begin(), items.end(), [](const TextHistoryDrawItem& item) {
      return item.kind == TextHistoryDrawItem::kSeparator;
    });
    ASSERT_NE(separator, items.end());
    EXPECT_EQ(test::Pixel32(window.GetSurface(), 100, separator->y), c.shown);
    EXPECT_EQ(test::Pixel32(window.GetSurface(), 100, separator->y - 1), 0u);
  }
}

// A picture that does not load ends the screen before it shows: Open
// answers -1 and says which picture, and nothing of the screen stays (the
// host's controls and the window are as they were).
TEST_F(TextHistoryScreenTest, AMissingPictureKeepsTheScreenFromOpening) {
  for (int i = 0; i < 30; ++i) Page(40, "", "V", 0);
  test::LoggingControl previous("before", &host);
  host.AddControl(&previous, -1);
  for (const char* missing : test::kHistoryPictures) {
    SCOPED_TRACE(missing);
    log.clear();
    test::PictureFolder folder;
    test::WriteHistoryPictures(folder, missing);
    const std::string name = missing;
    {
      TextHistoryScreen screen(history, window, list, host, Hooks());
      EXPECT_EQ(screen.Open(true), -1);
      ASSERT_EQ(log.size(), 1u);
      EXPECT_EQ(log[0].rfind(name, 0), 0u) << log[0];
      EXPECT_EQ(screen.Base(), nullptr);
      EXPECT_EQ(screen.CloseButton(), nullptr);
      EXPECT_EQ(screen.Bar(), nullptr);
      EXPECT_EQ(frames, 0) << "no fade, no frame";
    }
    EXPECT_EQ(host.Controls(), (std::vector<Control*>{&previous}));
    EXPECT_EQ(list.Items().size(), 1u);
    EXPECT_FALSE(window.IsVisible());
  }
  host.RemoveControl(&previous);
}

// A click on the scroll bar's track beside the thumb pages by the thumb's
// length, one screenful of the list, towards the click; near an end the
// thumb stops at it.
TEST_F(TextHistoryScreenTest, AClickOnTheTrackPagesByTheThumbsLength) {
  for (int i = 0; i < 60; ++i) Page(40, "", "", 0);
  // Where the thumb lands: a thumb's length back or on, or stopped at the
  // track's top or its end.
  enum Lands { kBack, kOn, kTop, kEnd };
  struct Case {
    const char* name;
    int32_t startOffset;  // where the thumb stands: track pixels from the top (>= 0) or the end (< 0)
    bool above;           // the click lands above the thumb, else below it
    Lands lands;
  };
  const Case cases[] = {
      {"above, from the end", -1, true, kBack},
      {"below, from the top", 0, false, kOn},
      {"above, near the top", 30, true, kTop},
      {"below, near the end", -31, false, kEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextHistoryScreen screen(history, window, list, host, Hooks());
    ASSERT_EQ(screen.Open(false), 0);
    const ScrollBar& bar = *screen.Bar();
    const int32_t track = bar.GetTrackLength(), thumb = bar.GetThumbLength(), end = screen.Maximum();
    ASSERT_GT(track, 2 * thumb);
    const int32_t wanted = c.startOffset >= 0 ? c.startOffset : track + c.startOffset + 1;
    screen.DrawHistoryPage(end * wanted / track);
    const int32_t start = bar.GetThumbOffset();
    const int32_t startPosition = screen.Position();
    const int32_t expected = c.lands == kBack ? start - thumb : c.lands == kOn ? start + thumb
                             : c.lands == kTop ? 0 : track;
    // The thumb's top on the screen: the bar's place and its back arrow.
    const int32_t top = TextHistoryScreen::kBarY + bar.BackButton()->GetHeight() + start;
    const int32_t x = TextHistoryScreen::kBarX + 12, y = c.above ? top - 5 : top + thumb + 5;
    const int32_t f = frames;
    pointerAt[f + 1] = {x, y};
    pointerAt[f + 2] = {x, y, 1};
    pointerAt[f + 3] = {x, y};
    script[f + 5] = {kKeyClose};
    int32_t position = -1, offset = -1;
    actionsAt[f + 4] = [&] { position = screen.Position(), offset = bar.GetThumbOffset(); };
    EXPECT_EQ(screen.Run(false), 0);
    EXPECT_EQ(offset, expected);
    EXPECT_EQ(position, end * expected / track);
    if (c.lands == kBack || c.lands == kOn) {
      // One screenful, as far as the thumb's pixels tell.
      EXPECT_NEAR(std::abs(position - startPosition), TextHistoryScreen::kVisibleHeight, end / track + 1);
    }
    pointerAt.clear();
    actionsAt.clear();
  }
}

}  // namespace
}  // namespace orrivel
