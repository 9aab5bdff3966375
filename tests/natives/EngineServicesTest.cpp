#include "natives/EngineServices.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "../base/AppTestSupport.h"
#include "base/CursorMoveTask.h"
#include "base/TimerList.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "sound/SoundManager.h"

namespace orrivel::test {
namespace {

using namespace platform;

class EngineServicesTest : public HeadlessTest {
 protected:
  EngineServicesTest() : scopedClock_(clock) {
    EXPECT_EQ(app.Init(), 0);
    app.isActive = true;
  }
  ~EngineServicesTest() override {
    list.Clear();
    app.Exit(0);
  }
  Point Cursor() {
    Point p;
    backend.GetCursorPos(p);
    return p;
  }
  Point Screen(int32_t x, int32_t y) {
    Point p{x, y};
    app.GameToScreen(p);
    return p;
  }

  ManualClock clock;
  RecordingApp app;
  TimerList list;

 private:
  ScopedClock scopedClock_;
};

TEST_F(EngineServicesTest, CursorGlideStartsOnlyWhenItHasSomewhereToGo) {
  uint32_t handle = 7;
  // The cursor already rests at the point: nothing starts unless forced.
  app.cursorX = 40;
  app.cursorY = 50;
  EXPECT_EQ(StartCursorMoveTask(&list, &app, 40, 50, 100, false, 0, &handle), 0);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(list.Size(), 0u);
  // An application that does not have the cursor starts nothing.
  app.isActive = false;
  EXPECT_EQ(StartCursorMoveTask(&list, &app, 300, 200, 100, true, 0, &handle), 0);
  EXPECT_EQ(list.Size(), 0u);
  app.isActive = true;

  EXPECT_EQ(StartCursorMoveTask(&list, &app, 40, 50, 100, true, 0, &handle), 0);
  ASSERT_NE(handle, 0u);
  EXPECT_TRUE(IsTimerTaskRunning(&list, handle));
  // No duration: the glide is at its end on its first step.
  uint32_t quick = 0;
  ASSERT_EQ(StartCursorMoveTask(&list, &app, 300, 200, 0, true, 0, &quick), 0);
  EXPECT_NE(quick, handle);
  list.Step(clock.TickMs());
  EXPECT_FALSE(IsTimerTaskRunning(&list, handle));  // the new glide replaced the old one
  EXPECT_EQ(Cursor(), Screen(300, 200));
  EXPECT_FALSE(IsTimerTaskRunning(&list, quick));

  // The handle of a task that ended: the cell is cleared and nothing is
  // stopped (the handle may not reach another task).
  uint32_t cell = quick;
  EXPECT_FALSE(StopTimerTaskByHandle(&list, &cell));
  EXPECT_EQ(cell, 0u);
  EXPECT_FALSE(StopTimerTaskByHandle(&list, nullptr));

  uint32_t running = 0;
  ASSERT_EQ(StartCursorMoveTask(&list, &app, 10, 10, 1000, true, CursorMoveTask::kAlwaysMove, &running), 0);
  cell = running;
  EXPECT_TRUE(StopTimerTaskByHandle(&list, &cell));
  EXPECT_EQ(cell, 0u);
  // Stopped in mode 2, the cursor is put on the end point.
  EXPECT_EQ(Cursor(), Screen(10, 10));
}

TEST(AppCommands, CommandsGoOutAsTheirMessagesWhenTheyAreOpen) {
  struct Sent {
    bool send;
    uint32_t message;
    uintptr_t wParam;
  };
  std::vector<Sent> sent;
  std::vector<std::string> steps;
  AppCommandSink sink = [&](bool send, uint32_t message, uintptr_t wParam, intptr_t) {
    sent.push_back({send, message, wParam});
    steps.push_back("message");
    return true;
  };
  AppCommandGates closed;
  AppCommandGates open{true, true, true, true, true};
  struct Case {
    int32_t command;
    int32_t value;
    uint32_t message;
    uintptr_t wParam;
    bool openWhenClosed;  // available whatever the gates say
  };
  const Case cases[] = {
      {0, 0, WM_COMMAND, 40005, false}, {1, 0, WM_COMMAND, 40007, false}, {2, 0, WM_COMMAND, 40008, false},
      {3, 0, WM_CLOSE, 0, true},        {4, 0, WM_COMMAND, 40001, false}, {5, 0, WM_COMMAND, 40004, true},
      {6, 0, WM_COMMAND, 40002, false}, {7, 9, 36873, 9, true},
  };
  for (const Case& c : cases) {
    sent.clear();
    EXPECT_EQ(PostAppCommand(c.command, false, c.value, closed, sink), c.openWhenClosed ? 1 : 0) << c.command;
    EXPECT_EQ(sent.size(), c.openWhenClosed ? 1u : 0u);
    sent.clear();
    EXPECT_EQ(PostAppCommand(c.command, false, c.value, open, sink), 1) << c.command;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(sent[0].send);
    EXPECT_EQ(sent[0].message, c.message);
    EXPECT_EQ(sent[0].wParam, c.wParam);
  }
  sent.clear();
  EXPECT_EQ(PostAppCommand(7, false, 0, open, sink), 0);
  EXPECT_EQ(PostAppCommand(8, false, 1, open, sink), 0);
  EXPECT_TRUE(sent.empty());

  // A sent command waits between the pause and the resume.
  steps.clear();
  EXPECT_EQ(PostAppCommand(5, true, 0, closed, sink, [&] { steps.push_back("pause"); },
                           [&] { steps.push_back("resume"); }),
            1);
  EXPECT_EQ(steps, (std::vector<std::string>{"pause", "message", "resume"}));
  EXPECT_TRUE(sent.back().send);
}

TEST(Clipboard, TextRoundTripsThroughTheHeadlessClipboard) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend use(backend);
  const std::string text = platform::Utf8ToCp932Lossy("セーブしました\r\nok");
  EXPECT_EQ(CopyTextToClipboard(nullptr, 0), 1);
  EXPECT_EQ(CopyTextToClipboard(text.c_str(), 0), 0);
  EXPECT_EQ(platform::CurrentClipboard().GetText(), text);
  // A length counts bytes; the text still ends at a zero byte.
  EXPECT_EQ(CopyTextToClipboard(text.c_str(), 4), 0);
  EXPECT_EQ(platform::CurrentClipboard().GetText(), text.substr(0, 4));
  EXPECT_EQ(CopyTextToClipboard(text.c_str(), uint32_t(text.size() + 1)), 0);
  EXPECT_EQ(platform::CurrentClipboard().GetText(), text);
}

TEST(ChannelDucking, TheLevelComesFromTheTextOrTheSetting) {
  EXPECT_DOUBLE_EQ(DuckingLevel("0.25", 50), 0.25);
  EXPECT_DOUBLE_EQ(DuckingLevel(nullptr, 50), -1.0);
  EXPECT_DOUBLE_EQ(DuckingLevel(nullptr, 30), 0.3);
  EXPECT_EQ(StartChannelDucking(nullptr, nullptr, 0, nullptr, 50), nullptr);
  TimerList timers;
  SoundManager sounds;
  sounds.SetTimerList(&timers);
  ASSERT_EQ(sounds.SetChannelCount(2), 0);
  // Nothing plays on the channel: the manager refuses.
  EXPECT_EQ(StartChannelDucking(&sounds, &timers, 1, "0.5", 0), nullptr);
  EXPECT_FALSE(sounds.IsDucking());
}

}  // namespace
}  // namespace orrivel::test
