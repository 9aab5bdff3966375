#include "natives/ProcessObjects.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../scene/WindowTestSupport.h"
#include "base/TimerList.h"
#include "natives/GameControlHost.h"
#include "natives/ObjectPool.h"
#include "scene/SpriteCanvas.h"
#include "sound/SoundManager.h"

namespace orrivel {
namespace {

using Record = std::vector<std::pair<std::string, bool>>;

ProcessObjects::Recorder RecordInto(Record& record) {
  return [&record](const char* name, bool built) { record.emplace_back(name, built); };
}

TEST(ProcessObjects, BuiltInTheirOrderAndDestroyedInReverse) {
  const std::vector<std::string> order = {
      "timer array",        "preloader",          "file pool",             "folder listing",
      "LAG animation pool", "LAD animation pool", "system-menu layout",    "animation player pool",
      "game control host",  "control factory",    "sprite layout"};
  Record record;
  {
    ProcessObjects objects(RecordInto(record));
    ASSERT_EQ(record.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
      EXPECT_EQ(record[i].first, order[i]);
      EXPECT_TRUE(record[i].second);
    }
    record.clear();
  }
  ASSERT_EQ(record.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(record[i].first, order[order.size() - 1 - i]);
    EXPECT_FALSE(record[i].second);
  }
}

TEST(ProcessObjects, ResetStartsAgainEmptyAndTheCurrentOneIsForgottenWithIt) {
  Record record;
  TimerList timers;
  auto objects = std::make_unique<ProcessObjects>(RecordInto(record));
  ProcessObjects* previous = SetProcessObjects(objects.get());
  objects->StoreFileNameString("DATA0101.SAV");
  FilePool::Object* file = nullptr;
  ASSERT_EQ(objects->Files().Create(&file), 0);
  SoundManager* sounds = objects->StartSoundManager(&timers);
  ASSERT_NE(sounds, nullptr);
  EXPECT_EQ(GetSoundManager(), sounds);
  EXPECT_EQ(sounds->GetTimerList(), &timers);
  EXPECT_EQ(objects->SaveFileName(), "DATA0101.SAV");
  objects->StoreFileNameString(nullptr);
  EXPECT_EQ(objects->SaveFileName(), "");
  objects->StoreFileNameString("DATA0102.SAV");

  record.clear();
  objects->Reset();
  // The sound manager goes first, and is withdrawn as the process-wide one.
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.front(), std::make_pair(std::string("sound manager"), false));
  EXPECT_EQ(GetSoundManager(), nullptr);
  EXPECT_EQ(objects->Sounds(), nullptr);
  EXPECT_EQ(objects->Files().Count(), 0u);
  EXPECT_EQ(objects->SaveFileName(), "");
  EXPECT_EQ(GetProcessObjects(), objects.get());
  objects.reset();
  EXPECT_EQ(GetProcessObjects(), nullptr);
  SetProcessObjects(previous);
}

TEST(GameControlHost, CursorKindsSetTheTipOffsetAndRefuseKindsAboveSix) {
  GameControlHost host;
  EXPECT_EQ(host.GetCursorKind(), 0);
  EXPECT_EQ(host.TipOffsetY(), 22);
  const int32_t offsets[] = {20, 24, 20, 22, 9, 4, 22};
  const int32_t shapes[] = {0, 13, 0, 5, 3, 14, 7};
  // From kind 1 on, then kind 0 again, so each is a change.
  for (int32_t kind : {1, 2, 3, 4, 5, 6, 0}) {
    EXPECT_TRUE(host.SetCursorKind(kind)) << kind;
    EXPECT_EQ(host.GetCursorKind(), kind);
    EXPECT_EQ(host.TipOffsetY(), offsets[kind]) << kind;
    EXPECT_EQ(GameControlHost::kCursorTable[size_t(kind)].shape, shapes[kind]);
  }
  EXPECT_TRUE(host.SetCursorKind(0));  // the same kind: nothing changes
  EXPECT_EQ(host.TipOffsetY(), 20);
  EXPECT_FALSE(host.SetCursorKind(7));
  EXPECT_FALSE(host.SetCursorKind(-1));
  EXPECT_EQ(host.GetCursorKind(), 0);
}

// A control's sound plays its channel; the default sounds (-4 activate, -3
// hover, -2 leave) of a control without sounds of its own play nothing,
// since the game names no channels for them.
TEST(GameControlHost, ControlSoundsPlayTheirChannelsAndTheDefaultsStaySilent) {
  GameControlHost host;
  EXPECT_EQ(host.PlaySound(nullptr, 0, 0, 0), GameControlHost::kNoSound);  // no sound manager

  TimerList timers;
  SoundManager sounds;
  sounds.SetTimerList(&timers);
  ASSERT_EQ(sounds.SetChannelCount(3), 0);
  host.SetSoundManager(&sounds);
  struct Case {
    int32_t code;
    int32_t result;
    int32_t channel;  // the channel that records a play, or -1
  };
  const Case cases[] = {
      {1, 0, 1},                             // directly
      {7, 1, -1},                            // the manager's answer for a channel it has not
      {-4, GameControlHost::kNoSound, -1},   // activate
      {-3, GameControlHost::kNoSound, -1},   // hover
      {-2, GameControlHost::kNoSound, -1},   // leave
      {-1, GameControlHost::kNoSound, -1},   // not a default sound
      {-5, GameControlHost::kNoSound, -1},
  };
  for (const Case& c : cases) {
    for (int32_t ch = 0; ch < 3; ++ch) sounds.GetChannel(ch)->playState = 0;
    EXPECT_EQ(host.PlaySound(nullptr, c.code, 0, 0), c.result) << c.code;
    for (int32_t ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(sounds.GetChannel(ch)->playState, ch == c.channel ? 1 : 0) << c.code << " channel " << ch;
    }
  }
  host.SetSelected(4);
  host.ResetInput();
  EXPECT_EQ(host.Selected(), -1);
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

TEST(GameControlHostTip, TheTipIsFramedShadowedAndKeptInsideTheScreen) {
  test::CellFont font{12};
  Surface tip;
  ASSERT_EQ(GameControlHost::BuildTipImage(tip, &font, "Save"), 0);
  // Text 24 x 12, margins 4 and 2, the border, one pixel of shadow.
  ASSERT_EQ(tip.GetWidth(), 24 + 8 + 2 + 1);
  ASSERT_EQ(tip.GetHeight(), 12 + 4 + 2 + 1);
  auto pixel = [&](int32_t x, int32_t y) {
    return reinterpret_cast<const uint32_t*>(tip.GetScanLine(y))[x];
  };
  const int32_t w = tip.GetWidth(), h = tip.GetHeight();
  EXPECT_EQ(pixel(0, 0), GameControlHost::kTipBorder);
  EXPECT_EQ(pixel(w - 2, h - 2), GameControlHost::kTipBorder);
  EXPECT_EQ(pixel(1, 1), GameControlHost::kTipFill);
  EXPECT_EQ(pixel(w - 1, h / 2), GameControlHost::kTipShadow);
  EXPECT_EQ(pixel(w / 2, h - 1), GameControlHost::kTipShadow);
  EXPECT_EQ(pixel(w - 1, 0), GameControlHost::kTipClear);
  EXPECT_EQ(pixel(0, h - 1), GameControlHost::kTipClear);
  ASSERT_EQ(font.draws.size(), 1u);
  EXPECT_EQ(font.draws[0].x, 5);
  EXPECT_EQ(font.draws[0].y, 3);
  test::ExpectGolden(tip, "game_control_host_tip", "natives");

  struct Case {
    int32_t px, py, x, y;
  };
  const Case cases[] = {{100, 100, 100, 122}, {1270, 100, 1280 - 35, 122}, {100, 710, 100, 720 - 19}};
  for (const Case& c : cases) {
    int32_t x = 0, y = 0;
    GameControlHost::PlaceTip(c.px, c.py, 22, 35, 19, 1280, 720, &x, &y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

// The scripts' control canvas shows the tip above its controls; a canvas
// deleted while it shows the tip lets it go, and the next canvas takes it.
TEST(GameControlHostTip, TheTipGoesOnTheControlCanvas) {
  GameControlHost host;
  {
    SpriteCanvas first;
    host.SetCanvas(&first);
    EXPECT_EQ(host.TipSprite().OwningList(), &first.MainList());
  }
  EXPECT_EQ(host.TipSprite().OwningList(), nullptr);
  SpriteCanvas second;
  host.SetCanvas(&second);
  EXPECT_EQ(host.TipSprite().OwningList(), &second.MainList());
  host.SetCanvas(nullptr);
  EXPECT_EQ(host.TipSprite().OwningList(), nullptr);
  EXPECT_EQ(host.Canvas(), nullptr);
}

}  // namespace
}  // namespace orrivel
