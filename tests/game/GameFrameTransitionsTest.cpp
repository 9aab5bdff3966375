// The frame's scroll and ripple commands in the running game: a module gives
// their decimal arguments as texts (the scroll's easing, the ripple's speed
// and scale), and the transitions read them as texts, never as addresses.
#include <gtest/gtest.h>

#include "StoryGame.h"
#include "frame/TgsScreenTransitions.h"

namespace orrivel {
namespace {

using GameFrameTransitionsTest = testing::StoryGameTest;

TEST_F(GameFrameTransitionsTest, ScrollAndRippleTakeTheirDecimalTexts) {
  // Each module starts one transition.
  WriteStory("module S\n[scroll 1000 0 0 \"2.0\"]\n"
             "module R\n[ripple 1000 \"6.0\" 640 360 32 _ \"1.0\"]\n");
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsFrame* frame = OpenFrame(*app.scripts);
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->Transitions(), nullptr);
    // The transition is looked at within its run.
    for (const char* transition : {"S", "R"}) {
      SCOPED_TRACE(transition);
      ASSERT_EQ(frame->LoadScriptByName(transition), 0);
      ASSERT_EQ(frame->BeginRun(false), 0);
      frame->ReadText();
      // Started: a refused start would have exchanged the layers at once.
      EXPECT_TRUE(frame->Transitions()->Running());
      // The end of the run stops it.
      frame->EndRun();
      EXPECT_FALSE(frame->Transitions()->Running());
    }
  });
}

}  // namespace
}  // namespace orrivel
