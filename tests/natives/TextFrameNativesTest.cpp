// Natives 788 to 791 as compiled scripts call them, through the game
// script host's table: the option word, a run without a frame, and a frame
// made and deleted again.
#include <gtest/gtest.h>

#include "NativeHarness.h"

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

}  // namespace
}  // namespace orrivel::testing
