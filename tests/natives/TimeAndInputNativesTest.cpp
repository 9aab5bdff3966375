// Natives 538-592 driven from assembled scripts over a headless machine:
// the clock, the scripts' stopwatches beside a frame's own, the action map,
// the keyboard, the mouse, the cursor and the joystick.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HeadlessMachine.h"
#include "base/ActionMap.h"
#include "base/Application.h"
#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "base/JoystickSlots.h"
#include "base/SystemInfoProvider.h"
#include "display/D3DImage.h"
#include "display/DisplayScreenDevice.h"
#include "platform/SoftSurface.h"
#include "raster/Image.h"
#include "frame/TimerArray.h"
#include "natives/AppNativePort.h"
#include "natives/GameControlHost.h"
#include "natives/NativeHarness.h"
#include "natives/ProcessObjects.h"
#include "platform/Clock.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeCall;
using testing::NativeHarness;

// The local time of a fixed moment; nothing else is asked of it here.
class FixedTime : public SystemInfoProvider {
 public:
  platform::LocalTime Now() override { return platform::LocalTime{2026, 12, 10, 7, 45, 59, 4}; }
  MachineFacts Machine() override { return {}; }
  std::vector<MonitorRecord> Monitors() override { return {}; }
  const ProcessorInfo& Processor() override { return CurrentSystemInfoProvider().Processor(); }
  uint32_t CpuClockMhz() override { return 0; }
  InputFacts Input() override { return {}; }
  DisplayFacts Display() override { return {}; }
  std::vector<DriveFacts> Drives() override { return {}; }
  std::optional<std::vector<std::string>> WindowTitles() override { return std::nullopt; }
  std::optional<std::vector<std::string>> Processes(bool) override { return std::nullopt; }
};

// A picture with a surface to show, as a cursor needs; nothing draws it.
class PictureImage : public Image {
 public:
  PictureImage(int32_t width, int32_t height) {
    width_ = width;
    height_ = height;
  }
  uint8_t GetKind() const override { return 4; }
  uint8_t* GetBits() override { return nullptr; }
  uint8_t* GetScanLine(int32_t) override { return nullptr; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 1; }
  int SetColorKeyAt(int32_t, int32_t) override { return 1; }
  int ClearColorKey() override { return 0; }
  int Restore(uint8_t) override { return 0; }
  bool SetClipRect(const Rect*) override { return true; }
  bool ClipToClipRect(Rect*) override { return true; }
  platform::SoftSurface* GetDisplaySurface() override { return &surface_; }

 private:
  platform::SoftSurface surface_;
};

class TimeAndInputNatives : public ::testing::Test, protected test::HeadlessMachine {
 protected:
  TimeAndInputNatives() {
    JoystickSlots::Reset();
    previousObjects_ = SetProcessObjects(&objects);
    previousPort_ = SetAppPort(&port);
    app = std::make_unique<Application>();
    EXPECT_EQ(app->input->CreateDevices(1), 0);
    app->input->SetCursorPositionTarget(&app->cursorX, &app->cursorY);
    app->input->Activate();
    EXPECT_EQ(app->input->CreateActionMap(20, &map), 0);
    InstallDefaultBindings(*map);
    app->cursorX = 100;
    app->cursorY = 50;
    objects.ControlHost().Attach(app.get(), map, nullptr);
    harness = std::make_unique<NativeHarness>();
  }
  ~TimeAndInputNatives() override {
    harness.reset();  // its host's image cursor goes while the mouse is there
    objects.ControlHost().Detach();
    app.reset();
    SetAppPort(previousPort_);
    SetProcessObjects(previousObjects_);
    JoystickSlots::Reset();
  }

  // One frame of the devices after the test set the keys and buttons.
  void Frame() { app->input->Update(); }
  int32_t Call(const char* name, const std::vector<Arg>& args = {}) {
    NativeCall call = harness->Call(name, args);
    EXPECT_TRUE(call.Ran()) << name;
    return call.Result();
  }

  ProcessObjects objects;
  AppNativePort port;
  std::unique_ptr<Application> app;
  ActionMap* map = nullptr;
  std::unique_ptr<NativeHarness> harness;

 private:
  ProcessObjects* previousObjects_ = nullptr;
  AppNativePort* previousPort_ = nullptr;
};

TEST_F(TimeAndInputNatives, TicksAndTheFiveLocalTimeFields) {
  clock.Advance(1234);
  EXPECT_EQ(Call("GetTicks"), 6234);
  FixedTime time;
  ScopedSystemInfoProvider scoped(time);
  NativeCall call = harness->Call("GetLocalTimeFields", {Arg::OutInt(), Arg::OutInt(), Arg::OutInt(), Arg::OutInt(),
                                                         Arg::OutInt()});
  ASSERT_TRUE(call.Ran());
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints, (std::map<size_t, uint32_t>{{0, 2026}, {1, 12}, {2, 10}, {3, 7}, {4, 45}}));
}

// The scripts' stopwatches are the process-wide array; a frame's own array
// keeps running whatever the scripts do to theirs.
TEST_F(TimeAndInputNatives, StopwatchesAreTheProcessWideArrayAndLeaveTheFramesAlone) {
  TimerArray& timers = objects.Timers();
  EXPECT_EQ(Call("TimerArrayCreate", {Arg::Int(0)}), TimerArray::kNoTimers);
  EXPECT_EQ(timers.Count(), 0);
  EXPECT_EQ(Call("TimerStart", {Arg::Int(0)}), 0);  // nothing to start

  TimerArray frameTimers;
  ASSERT_EQ(frameTimers.Create(2), TimerArray::kOk);
  EXPECT_EQ(Call("TimerArrayCreate", {Arg::Int(0x10003)}), TimerArray::kOk);  // 16 bits count
  EXPECT_EQ(timers.Count(), 3);
  EXPECT_EQ(Call("TimerStart", {Arg::Int(1)}), 1);
  clock.Advance(40);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 40);
  EXPECT_EQ(Call("TimerSetElapsed", {Arg::Int(1), Arg::Int(500)}), 0);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 500);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(3)}), 0);  // past the array
  EXPECT_EQ(Call("TimerSetElapsed", {Arg::Int(3), Arg::Int(9)}), 0);

  // Paused twice, resumed twice before it counts again.
  Call("TimerPause", {Arg::Int(1)});
  Call("TimerPause", {Arg::Int(1)});
  clock.Advance(100);
  Call("TimerResume", {Arg::Int(1)});
  clock.Advance(100);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 500);
  Call("TimerResume", {Arg::Int(1)});
  clock.Advance(10);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 510);

  Call("TimerPauseAll");
  EXPECT_TRUE(timers.AllPaused());
  EXPECT_FALSE(frameTimers.AllPaused());
  clock.Advance(30);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 510);
  EXPECT_EQ(frameTimers.Elapsed(0), 40u + 200u + 10u + 30u);
  Call("TimerResumeAll");
  EXPECT_FALSE(timers.AllPaused());
  clock.Advance(5);
  EXPECT_EQ(Call("TimerElapsed", {Arg::Int(1)}), 515);

  // Freeing the scripts' array leaves the frame's timers counting.
  EXPECT_EQ(Call("TimerArrayCreate", {Arg::Int(0)}), TimerArray::kNoTimers);
  EXPECT_EQ(frameTimers.Count(), 2);
}

TEST_F(TimeAndInputNatives, ActionQueriesAndBindingCodes) {
  // Nothing pressed: every query answers no.
  Frame();
  EXPECT_EQ(Call("FindPressedAction", {Arg::Int(0), Arg::Int(19)}), -1);
  EXPECT_EQ(Call("FindHeldAction", {Arg::Int(0), Arg::Int(19)}), -1);

  source.SetKey(platform::DIK_ESCAPE, true);  // cancel (5)
  source.SetKey(platform::DIK_DOWN, true);    // navigation 1
  Frame();
  EXPECT_EQ(Call("IsActionPressed", {Arg::Int(5)}), 1);
  EXPECT_EQ(Call("FindPressedAction", {Arg::Int(2), Arg::Int(19)}), 5);
  EXPECT_EQ(Call("FindPressedAction", {Arg::Int(0), Arg::Int(19)}), 1);
  EXPECT_EQ(Call("FindPressedAction", {Arg::Int(6), Arg::Int(19)}), -1);
  EXPECT_EQ(Call("FindPressedAction", {Arg::Int(5), Arg::Int(4)}), -1);  // empty range
  Frame();  // held now, no longer new
  EXPECT_EQ(Call("IsActionPressed", {Arg::Int(5)}), 0);
  EXPECT_EQ(Call("FindHeldAction", {Arg::Int(2), Arg::Int(19)}), 5);

  // Setting, adding and changing, with each refusal.
  EXPECT_EQ(Call("SetActionBinding", {Arg::Int(7), Arg::Int(0), Arg::Int(0x1F)}), 0);
  EXPECT_EQ(Call("SetActionBinding", {Arg::Int(20), Arg::Int(0), Arg::Int(0x1F)}), 1);
  EXPECT_EQ(Call("AddActionBinding", {Arg::Int(7), Arg::Int(9), Arg::Int(0x1F)}), 2);
  EXPECT_EQ(Call("AddActionBinding", {Arg::Int(7), Arg::Int(1), Arg::Int(2)}), 0);
  EXPECT_EQ(Call("ChangeActionBinding", {Arg::Int(7), Arg::Int(0), Arg::Int(0x20), Arg::Int(0x21)}), 3);
  EXPECT_EQ(Call("ChangeActionBinding", {Arg::Int(7), Arg::Int(0), Arg::Int(0x1F), Arg::Int(0x21)}), 0);
  source.ReleaseAllKeys();
  Frame();
  source.SetKey(0x21, true);
  Frame();
  EXPECT_EQ(Call("IsActionPressed", {Arg::Int(7)}), 1);
  EXPECT_EQ(Call("ClearAction", {Arg::Int(7)}), 0);
  EXPECT_EQ(map->CountBindings(7, -1), 0u);
  EXPECT_EQ(Call("ClearAction", {Arg::Int(25)}), 1);
}

// Natives 555-566 are 548 and 549 for actions 4, 5, 0, 1, 2 and 3.
TEST_F(TimeAndInputNatives, TheFixedActionNativesNameTheirActions) {
  struct Row {
    const char* pressed;
    const char* clear;
    uint32_t action;
    uint8_t key;
  };
  const Row rows[] = {
      {"QueryActionState4", "ClearAction4", 4, platform::DIK_RETURN},
      {"IsAction5Pressed", "ClearAction5", 5, platform::DIK_ESCAPE},
      {"IsAction0Pressed", "ClearAction0", 0, platform::DIK_UP},
      {"IsAction1Pressed", "ClearAction1", 1, platform::DIK_DOWN},
      {"IsAction2Pressed", "ClearAction2", 2, platform::DIK_LEFT},
      {"IsAction3Pressed", "ClearAction3", 3, platform::DIK_RIGHT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pressed);
    source.ReleaseAllKeys();
    Frame();
    EXPECT_EQ(Call(row.pressed), 0);
    source.SetKey(row.key, true);
    Frame();
    EXPECT_EQ(Call(row.pressed), 1);
    for (const Row& other : rows) {
      if (other.action != row.action) {
        EXPECT_EQ(Call(other.pressed), 0) << other.pressed;
      }
    }
    EXPECT_EQ(Call(row.clear), 0);
    EXPECT_EQ(map->CountBindings(row.action, -1), 0u);
    EXPECT_EQ(Call(row.pressed), 0);
  }
}

TEST_F(TimeAndInputNatives, SkipKeyFollowsThePlayersSettingAndKeysAnswerDirectly) {
  struct Row {
    uint8_t setting;
    uint8_t key;
    int32_t pressed;
  };
  const Row rows[] = {
      {0, platform::DIK_LCONTROL, 0}, {0, platform::DIK_RCONTROL, 0}, {0, platform::DIK_LSHIFT, 1},
      {0, platform::DIK_RSHIFT, 1},   {1, platform::DIK_LCONTROL, 1}, {1, platform::DIK_RCONTROL, 1},
      {1, platform::DIK_LSHIFT, 0},   {1, platform::DIK_RSHIFT, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "setting " << int(row.setting) << " key " << int(row.key));
    port.appConfig[130] = row.setting;
    source.ReleaseAllKeys();
    Frame();
    source.SetKey(row.key, true);
    Frame();
    EXPECT_EQ(Call("IsSkipKeyPressed"), row.pressed);
    EXPECT_EQ(Call("IsSkipKeyDown"), row.pressed);
    Frame();
    EXPECT_EQ(Call("IsSkipKeyPressed"), 0);
    EXPECT_EQ(Call("IsSkipKeyDown"), row.pressed);
  }

  source.ReleaseAllKeys();
  Frame();
  source.SetKey(0x2C, true);  // Z
  Frame();
  EXPECT_EQ(Call("IsKeyPressed", {Arg::Int(0x12C)}), 1);  // the byte counts
  EXPECT_EQ(Call("IsKeyDown", {Arg::Int(0x2C)}), 1);
  EXPECT_EQ(Call("IsKeyDown", {Arg::Int(0x2D)}), 0);
  Frame();
  EXPECT_EQ(Call("IsKeyPressed", {Arg::Int(0x2C)}), 0);

  // The state bytes are the lock keys; the fourth the repeat switch.
  source.SetLock(platform::VK_CAPITAL, true);
  app->input->Keyboard()->RefreshLockStates();
  EXPECT_EQ(Call("GetKeyboardByteA"), 0);
  EXPECT_EQ(Call("GetKeyboardByteB"), 1);
  EXPECT_EQ(Call("GetKeyboardByteC"), 0);
  EXPECT_EQ(Call("SetKeyboardByteD", {Arg::Int(0x100)}), 0);
  EXPECT_FALSE(app->input->Keyboard()->AutoRepeatCounts());
  EXPECT_EQ(Call("SetKeyboardByteD", {Arg::Int(1)}), 0);
  EXPECT_TRUE(app->input->Keyboard()->AutoRepeatCounts());
  EXPECT_EQ(Call("KeyboardQueryCode", {Arg::Int(0x2C)}), 0);
}

TEST_F(TimeAndInputNatives, CursorShapesPositionsAndTheImageCursor) {
  // 0-12 the system's shapes, 13 and above the program's cursors 120-123.
  source.AddResourceCursor(121);
  EXPECT_EQ(Call("SetCursorShape", {Arg::Int(3)}), 0);
  EXPECT_EQ(source.ShownCursor(), 0x100u + 3);
  EXPECT_EQ(Call("SetCursorShape", {Arg::Int(14)}), 0);
  EXPECT_EQ(source.ShownCursor(), 0x10000u + 121);
  EXPECT_EQ(app->input->Mouse()->CursorShape(), 14);

  // The recorded position, a move, and whether the pointer is on the game.
  NativeCall call = harness->Call("GetCursorClientPos", {Arg::OutInt(), Arg::OutInt()});
  EXPECT_EQ(call.ints, (std::map<size_t, uint32_t>{{0, 100}, {1, 50}}));
  EXPECT_EQ(Call("GetCursorInClient"), 1);
  app->gameWidth = 1280;
  app->gameHeight = 720;
  EXPECT_EQ(Call("SetCursorClientPos", {Arg::Int(300), Arg::Int(200)}), 0);
  EXPECT_EQ(app->cursorX, 300);
  EXPECT_EQ(app->cursorY, 200);
  EXPECT_FALSE(backend.CursorMoves().empty());
  EXPECT_EQ(Call("SetCursorClientPos", {Arg::Int(-5), Arg::Int(200)}), 0);
  EXPECT_EQ(Call("GetCursorInClient"), 0);
  app->cursorX = 300;
  app->cursorY = 200;

  // The image cursor, from the display's scene objects: one without a
  // picture cannot serve; one with a picture follows the pointer; a deleted
  // one is no cursor; a cursor shape or handle 0 turns it off.
  auto display = std::make_unique<DisplayScreenDevice>();
  DisplayScreenDevice& objects = *display;
  app->SetScreenDevice(std::move(display));
  PictureImage picture(64, 16);
  uint32_t bare = 0;
  uint32_t drawn = 0;
  ASSERT_EQ(objects.CreateSceneObject<D3DImage>(&bare, 1, [](D3DImage&) { return 0; }), 0);
  const Rect frame{0, 0, 16, 16};
  ASSERT_EQ(objects.CreateSceneObject<D3DImage>(&drawn, 1,
                                                [&](D3DImage& image) { return image.Create(&picture, &frame, 0, 0); }),
            0);
  auto* drawnImage = static_cast<D3DImage*>(objects.GetSceneObject(drawn));
  Call("GetTicks");
  GameScriptHost& host = harness->Host();
  auto direct = [&host](uint32_t gameNumber, const std::vector<uint32_t>& cells) {
    const uint32_t block = host.Space().Allocate(cells.size() * 4);
    for (size_t i = 0; i < cells.size(); ++i) host.Space().Write32(block + uint32_t(i) * 4, cells[i]);
    NativeArgs args(host.Space(), nullptr, block);
    const uint32_t result = host.Natives()[gameNumber + 3](args);
    host.Space().Free(block);
    return int32_t(result);
  };
  MouseDevice& mouse = *app->input->Mouse();
  EXPECT_EQ(direct(577, {bare, 4, 100, 1, 2, 3}), 1);
  EXPECT_EQ(mouse.ImageCursor(), nullptr);
  EXPECT_EQ(direct(577, {drawn, 4, 100, 0x100, 2, 3}), 0);  // the ping-pong cell is a byte
  ASSERT_NE(mouse.ImageCursor(), nullptr);
  EXPECT_TRUE(mouse.ImageCursorVisible());
  mouse.UpdateImageCursor();
  EXPECT_EQ(drawnImage->GetX(), 300 - 2);
  EXPECT_EQ(drawnImage->GetY(), 200 - 3);
  clock.Advance(250);  // the third of four frames
  mouse.UpdateImageCursor();
  EXPECT_EQ(drawnImage->SourceRect(), (Rect{32, 0, 48, 16}));
  EXPECT_EQ(direct(576, {0}), 0);
  EXPECT_EQ(mouse.ImageCursor(), nullptr);
  EXPECT_EQ(direct(577, {drawn, 0, 0, 0, 0, 0}), 0);
  ASSERT_NE(mouse.ImageCursor(), nullptr);
  // Deleted behind the mouse's back: the cursor goes quiet, then refuses.
  EXPECT_EQ(objects.RemoveSceneObject(drawn), 0);
  mouse.UpdateImageCursor();
  EXPECT_EQ(direct(577, {drawn, 4, 100, 1, 2, 3}), 3);
  EXPECT_EQ(mouse.ImageCursor(), nullptr);
  EXPECT_EQ(direct(577, {0, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(mouse.ImageCursor(), nullptr);
}

TEST_F(TimeAndInputNatives, MouseButtonsAndTheWheel) {
  struct Row {
    const char* pressed;
    const char* down;
    uint32_t bit;
  };
  const Row rows[] = {
      {"QueryInputDevice0", "IsMouseButton0Down", 1},
      {"QueryInputDevice1", "IsMouseButton1Down", 2},
      {"IsMouseButton2Pressed", "IsMouseButton2Down", 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pressed);
    source.SetMouseButtons(0);
    Frame();
    source.SetMouseButtons(row.bit);
    Frame();
    for (const Row& other : rows) {
      EXPECT_EQ(Call(other.pressed), &other == &row ? 1 : 0) << other.pressed;
      EXPECT_EQ(Call(other.down), &other == &row ? 1 : 0) << other.down;
    }
    Frame();
    EXPECT_EQ(Call(row.pressed), 0);
    EXPECT_EQ(Call(row.down), 1);
  }
  source.SetMouseButtons(0);

  // The wheel value goes to the optional output first.
  app->input->OnMouseWheel(uintptr_t(120) << 16);
  Frame();
  NativeCall up = harness->Call("GetWheelUp", {Arg::OutInt(7)});
  EXPECT_EQ(up.result, 1u);
  EXPECT_EQ(up.ints[0], 120u);
  EXPECT_EQ(Call("GetWheelDown", {Arg::Absent()}), 0);
  EXPECT_EQ(Call("GetWheelDown", {Arg::Int(0)}), 0);
  app->input->OnMouseWheel(uintptr_t(uint16_t(-240)) << 16);
  Frame();
  NativeCall down = harness->Call("GetWheelDown", {Arg::OutInt(7)});
  EXPECT_EQ(down.result, 1u);
  EXPECT_EQ(int32_t(down.ints[0]), -240);

  // Off the game the mouse reports nothing.
  source.SetMouseButtons(1);
  app->cursorX = -1;
  Frame();
  EXPECT_EQ(Call("IsMouseButton0Down"), 0);
}

TEST_F(TimeAndInputNatives, JoystickQueriesWithAndWithoutADevice) {
  EXPECT_EQ(Call("GetJoystickValue"), 0);
  EXPECT_EQ(Call("IsJoystickButtonPressed", {Arg::Int(4)}), 0);
  EXPECT_EQ(Call("IsJoystickButtonDown", {Arg::Int(4)}), 0);

  platform::JoystickCaps caps;
  caps.buttons = 6;
  source.PlugJoystick(0, caps);
  ASSERT_EQ(app->input->AddJoystick(-1), 0);
  EXPECT_EQ(Call("GetJoystickValue"), 6);
  source.SetJoystickButtons(0, 1u << 1);  // button 1 is code 5
  Frame();
  EXPECT_EQ(Call("IsJoystickButtonPressed", {Arg::Int(5)}), 1);
  EXPECT_EQ(Call("IsJoystickButtonDown", {Arg::Int(5)}), 1);
  EXPECT_EQ(Call("IsJoystickButtonDown", {Arg::Int(4)}), 0);
  Frame();
  EXPECT_EQ(Call("IsJoystickButtonPressed", {Arg::Int(5)}), 0);
  EXPECT_EQ(Call("IsJoystickButtonDown", {Arg::Int(5)}), 1);
}

}  // namespace
}  // namespace orrivel
