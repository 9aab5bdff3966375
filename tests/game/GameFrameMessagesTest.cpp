// The text-adventure frame's messages in the running game: its error box
// carries the game's caption, as every other box of the game does.
#include <gtest/gtest.h>

#include "RunningGame.h"
#include "frame/TgsFrameNatives.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeCatalog.h"
#include "script/NativeArgs.h"

namespace orrivel {
namespace {

using GameFrameMessagesTest = testing::RunningGameTest;

TEST_F(GameFrameMessagesTest, TheFramesErrorBoxHasTheGamesCaption) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    // A run asked for while no frame is open: the frame says so in a box.
    const uint32_t cells = host.Space().Allocate(12);
    NativeArgs run(host.Space(), nullptr, cells);
    EXPECT_EQ(host.Natives()[ScriptNativeNumber(tgs_natives::kRunScript)](run), 1u);
    const auto& boxes = backend().MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    ASSERT_NE(app.GetTitle(), nullptr);
    EXPECT_NE(std::string(app.GetTitle()), "");
    EXPECT_EQ(boxes.back().caption, app.GetTitle());
  });
}

}  // namespace
}  // namespace orrivel
