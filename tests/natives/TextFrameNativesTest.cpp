// Natives 788 to 791 as compiled scripts call them, through the game
// script host's table: the option word, a run without a frame, and a frame
// made and deleted again.
#include <gtest/gtest.h>

#include "NativeHarness.h"
#include "NativeSession.h"
#include "natives/AppNativePort.h"

namespace orrivel::testing {
namespace {

TEST(TextFrameNatives, AreBoundAtTheirNumbers) {
  NativeHarness harness;
  harness.Call("NativeSetTgsFrameOption", {Arg::Int(0), Arg::Int(77)});
  GameScriptHost& host = harness.Host();
  for (uint32_t number = 788; number <= 791; ++number) EXPECT_FALSE(host.IsNotBuilt(number)) << number;
  EXPECT_EQ(host.TextFrameSlot().optionWords[0], 77);
}

TEST(TextFrameNatives, RunWithoutAFrameAnswersOne) {
  NativeHarness harness;
  const NativeCall call = harness.Call("NativeRunTgsScript", {Arg::Int(0), Arg::Text("MAIN")});
  ASSERT_TRUE(call.Ran());
  EXPECT_EQ(call.result, 1u);
}

TEST(TextFrameNatives, FrameIsMadeOnTheHostAndGoesWithIt) {
  NativeHarness harness;
  const NativeCall call = harness.Call("NativeCreateTgsFrame", {Arg::Int(0), Arg::Int(0), Arg::Int(0)});
  ASSERT_TRUE(call.Ran());
  EXPECT_EQ(call.result, 0u);
  ASSERT_TRUE(harness.Host().TextFrameSlot().frame);
  EXPECT_TRUE(harness.Host().TextFrameSlot().frame->IsSetUp());
  EXPECT_TRUE(harness.Host().TextFrameSlot().frame->OwnsCanvases());
}

TEST(TextFrameNatives, ARunningFrameTakesTheMessageSettingsItself) {
  NativeSession session;
  AppNativePort port;
  AppNativePort* const previous = SetAppPort(&port);
  int coloured = 0;
  port.applyMessageColours = [&](int32_t, uint32_t, uint32_t, bool) { ++coloured; };
  port.settingsChanged = 1;
  ASSERT_EQ(session.Call("NativeCreateTgsFrame", {0, 0, 0}), 0u);
  const std::vector<uint32_t> cells{1, 0, uint32_t(-1), 0, 0, 0, 0};
  session.Host().TextFrameSlot().running = true;
  EXPECT_EQ(session.Call("ApplyMessageSettings", cells), 0u);
  EXPECT_EQ(coloured, 0);
  EXPECT_EQ(port.settingsChanged, 1);  // the frame's own business
  session.Host().TextFrameSlot().running = false;
  EXPECT_EQ(session.Call("ApplyMessageSettings", cells), 0u);
  EXPECT_EQ(coloured, 1);
  EXPECT_EQ(port.settingsChanged, 0);
  SetAppPort(previous);
}

}  // namespace
}  // namespace orrivel::testing
