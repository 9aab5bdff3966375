// The application's window state as the text-adventure frame reads it in
// a running game: where the pointer left the game, found by the frame
// pump's window update (0 over the game; 2 off its bottom edge, which asks
// the message window to hide when the player's settings let it).
#include <gtest/gtest.h>

#include "RunningGame.h"
#include "frame/TgsPlayerServices.h"
#include "game/GameApplication.h"
#include "platform/Backend.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

class GameWindowStateTest : public RunningGameTest {};

TEST_F(GameWindowStateTest, TheFrameReadsWhereThePointerLeftTheGame) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsPlayerServices& player = app.scripts->TextFrame().environment.player;
    ASSERT_TRUE(player.windowState);
    ASSERT_EQ(app.screenMode, 2);
    platform::Rect client;
    app.GetClientScreenRect(client);
    const int32_t midX = (client.left + client.right) / 2;
    const int32_t midY = (client.top + client.bottom) / 2;
    struct Step {
      const char* name;
      platform::Point pointer;
      uint8_t state;
    };
    // The side the pointer left by holds until it comes back over the game.
    const Step steps[] = {
        {"over the game", {midX, midY}, 0},
        {"off the bottom", {midX, client.bottom + 4}, 2},
        {"then off the right", {client.right + 4, midY}, 2},
        {"back over the game", {midX, midY}, 0},
        {"off the right", {client.right + 4, midY}, 6},
        {"back again", {midX, midY}, 0},
        {"off the top", {midX, client.top - 4}, 8},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.name);
      platform::CurrentBackend().SetCursorPos(step.pointer);
      app.PumpFrame();
      EXPECT_EQ(player.windowState(), step.state);
    }
  });
}

}  // namespace
}  // namespace orrivel
