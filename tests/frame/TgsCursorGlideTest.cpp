// The frame's pointer glide: the cursor reaches the game point over
// 140 ms of the system timer list, and the wait ends with the glide.
#include <gtest/gtest.h>

#include "../base/AppTestSupport.h"
#include "TgsFrameTestSupport.h"
#include "base/TimerList.h"
#include "platform/Clock.h"

namespace orrivel {
namespace {

class TgsCursorGlideTest : public test::HeadlessTest {
 protected:
  TgsCursorGlideTest() : scopedClock_(clock_) {
    EXPECT_EQ(app_.Init(), 0);
    app_.isActive = true;
    fixture_.RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.systemTimers = [this] { return &list_; };
      environment.setMenuState = [this](bool on) { menuOn_ = on; };
    });
    fixture_.onPump = [this] {
      clock_.Advance(16);
      list_.Step(clock_.TickMs());
    };
  }
  ~TgsCursorGlideTest() override {
    fixture_.frame.reset();
    list_.Clear();
    app_.Exit(0);
  }

  platform::ManualClock clock_{5000};
  test::RecordingApp app_;
  TimerList list_;
  FrameFixture fixture_;
  bool menuOn_ = false;

 private:
  platform::ScopedClock scopedClock_;
};

TEST_F(TgsCursorGlideTest, TheWaitEndsWhenTheCursorArrives) {
  platform::Point target{300, 200};
  app_.GameToScreen(target);
  EXPECT_EQ(fixture_.frame->MoveCursorAndWait(300, 200), 0);
  // The first frame starts the glide; 140 ms at 16 ms a frame later, the
  // tenth ends it.
  EXPECT_EQ(fixture_.pumps, 10);
  platform::Point cursor;
  backend.GetCursorPos(cursor);
  EXPECT_EQ(cursor.x, target.x);
  EXPECT_EQ(cursor.y, target.y);

  // The program closing during the glide ends the wait with -1.
  fixture_.pumpsBeforeClose = fixture_.pumps + 2;
  EXPECT_EQ(fixture_.frame->MoveCursorAndWait(10, 10), -1);
}

}  // namespace
}  // namespace orrivel
