// Hot spots: the area and its centre, arming by the pointer and the focus
// with the record's sounds and cells, activation by button and by the
// decide action, and the options that switch hits and activation off.
#include "scene/HotSpotControl.h"

#include <gtest/gtest.h>

#include "ControlFrameFixture.h"

namespace orrivel {
namespace {

class HotSpotControlTest : public test::ControlFrameTest {};

TEST_F(HotSpotControlTest, AreaAndCentre) {
  HotSpotControl spot;
  EXPECT_EQ(spot.Create(10, 20, 0, 41, -1, -1, 1, 1, 5, 0), 1);
  EXPECT_EQ(spot.GetWidth(), 0);  // unchanged
  ASSERT_EQ(spot.Create(10, 20, 100, 41, -1, -1, 1, 1, 5, 2), 0);
  EXPECT_EQ(spot.CentreX(), 60);
  EXPECT_EQ(spot.CentreY(), 40);
  EXPECT_EQ(spot.GetKind(), 7);
  EXPECT_EQ(spot.GetGroup(), 2);
  ASSERT_EQ(spot.Create(10, 20, 100, 41, 3, 4, 1, 1, 5, 2), 0);
  EXPECT_EQ(spot.CentreX(), 3);
  EXPECT_EQ(spot.CentreY(), 4);

  struct Case {
    int32_t x, y;
    bool hit;
  };
  for (const Case& c : {Case{10, 20, true}, Case{109, 60, true}, Case{110, 20, false}, Case{10, 61, false},
                        Case{9, 20, false}, Case{10, 19, false}})
    EXPECT_EQ(spot.HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
  ASSERT_EQ(spot.Create(10, 20, 100, 41, -1, -1, 0, 1, 5, 2), 0);
  EXPECT_FALSE(spot.HitTest(20, 30));  // hits switched off
}

TEST_F(HotSpotControlTest, ArmingSoundsCellsAndActivation) {
  Cells cells;
  HotSpotControl spot;
  ASSERT_EQ(spot.Create(10, 20, 100, 41, -1, -1, 1, 1, 5, 0), 0);
  PushEvents events;
  events.eventName1 = "go";
  events.clicked = cells.At(0);
  events.hover = cells.At(1);
  events.leave = cells.At(2);
  events.leaveSound = "bye";
  spot.SetEventRecord(events);
  spot.SetTag(12);
  ASSERT_EQ(host.AddControl(&spot, -1), 0u);

  Frame(20, 30);
  EXPECT_TRUE(spot.IsArmed());
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -3"}));
  EXPECT_EQ(cells.Read(1), 1);
  EXPECT_EQ(cells.Read(2), 0);
  EXPECT_EQ(Frame(20, 30, {}, 1), 1);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 12", "sound - -4", "event - go 0"}));
  EXPECT_EQ(cells.Read(0), 1);
  Frame(300, 30);
  EXPECT_FALSE(spot.IsArmed());
  EXPECT_EQ(host.TakeLog(), (Log{"sound bye 0"}));
  EXPECT_EQ(cells.Read(1), 0);
  EXPECT_EQ(cells.Read(2), 1);

  // The focus arms it; the decide action fires.
  host.SetFocus(&spot);
  EXPECT_TRUE(spot.IsArmed());
  host.TakeLog();
  Decide();
  EXPECT_EQ(host.TakeLog(), (Log{"selected 12", "sound - -4", "event - go 0"}));
  spot.Release();
  EXPECT_FALSE(spot.IsArmed());
  EXPECT_EQ(cells.Read(2), 1);

  // Pointer mode 1 sends the pointer to the centre and arms nothing.
  host.SetFocus(nullptr);
  host.pointerMode = 1;
  host.TakeLog();
  host.SetFocus(&spot);
  EXPECT_EQ(host.TakeLog(), (Log{"pointer 60,40"}));
  EXPECT_FALSE(spot.IsArmed());
}

TEST_F(HotSpotControlTest, WithoutActivationOrRecord) {
  HotSpotControl spot;
  ASSERT_EQ(spot.Create(0, 0, 10, 10, -1, -1, 1, 0, 0, 0), 0);
  EXPECT_FALSE(spot.Activate());  // no host
  ASSERT_EQ(host.AddControl(&spot, -1), 0u);
  EXPECT_FALSE(spot.Activate());  // activation off
  Frame(5, 5);
  host.TakeLog();
  EXPECT_EQ(Frame(5, 5, {}, 1), 0);
  EXPECT_EQ(host.TakeLog(), Log{});

  ASSERT_EQ(spot.Create(0, 0, 10, 10, -1, -1, 1, 1, 0, 0), 0);
  EXPECT_TRUE(spot.Activate());
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -4"}));  // tag -1 selects nothing
}

}  // namespace
}  // namespace orrivel
