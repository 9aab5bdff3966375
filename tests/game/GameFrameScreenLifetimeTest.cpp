// The frame's screen in the running game when a script deletes display
// objects under it: the screen canvas the game showed before the frame,
// or the canvas the frame was given, goes by its handle, by its group or
// with everything at once; then the script deletes the frame or makes a
// new one, and the game presents its frames and ends without reaching the
// deleted canvas.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "GameNativeCalls.h"
#include "StoryGame.h"
#include "display/DisplayScreenDevice.h"

namespace orrivel {
namespace {

using testing::CallNative;

constexpr uint32_t kDeleteAll = 197;
constexpr uint32_t kSetGroup = 198;
constexpr uint32_t kDeleteGroup = 199;
constexpr uint32_t kLoadCanvas = 235;
constexpr uint32_t kGetScreenImage = 238;
constexpr uint32_t kSetScreenImage = 239;
constexpr uint32_t kDeleteImage = 240;
constexpr uint32_t kCreateFrame = 788;
constexpr uint32_t kDeleteFrame = 789;
constexpr uint32_t kCanvasGroup = 7;
constexpr uint32_t kWithImages = 1;

enum class Canvas { kShownBefore, kGivenToFrame };
enum class Deletion { kNone, kByHandle, kByGroup, kAll };
enum class Then { kDeleteFrame, kNewFrame };

struct Case {
  std::string name;
  Canvas canvas;
  Deletion deletion;
  Then then;
};

std::string Name(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class GameFrameScreenLifetimeTest : public testing::StoryGameTest, public ::testing::WithParamInterface<Case> {
 protected:
  // A script's canvas of the screen's size in its own group; 0 when none.
  static uint32_t MakeCanvas(GameScriptHost& host) {
    CallNative(host, kSetGroup, {kCanvasGroup});
    const uint32_t canvas = CallNative(host, kLoadCanvas, {1280, 720, 32, 2});
    CallNative(host, kSetGroup, {0});
    return canvas;
  }
  // The script deletes the canvas (through a variable holding its handle
  // for the delete by handle).
  static void Delete(GameScriptHost& host, Deletion deletion, uint32_t canvas) {
    switch (deletion) {
      case Deletion::kNone:
        break;
      case Deletion::kByHandle: {
        const uint32_t variable = host.Space().Allocate(4);
        host.Space().Write32(variable, canvas);
        EXPECT_EQ(CallNative(host, kDeleteImage, {variable}), 0u);
        host.Space().Free(variable);
        break;
      }
      case Deletion::kByGroup:
        CallNative(host, kDeleteGroup, {kCanvasGroup, kWithImages});
        break;
      case Deletion::kAll:
        CallNative(host, kDeleteAll, {});
        break;
    }
  }
};

TEST_P(GameFrameScreenLifetimeTest, TheFrameLetsGoOfADeletedScreenCanvas) {
  const Case& c = GetParam();
  WriteStory("module T\n[message 0]Hello\n");
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    DisplayScreenDevice* screen = app.Display();
    ASSERT_NE(screen, nullptr);
    const uint32_t canvas = MakeCanvas(host);
    ASSERT_NE(canvas, 0u);
    if (c.canvas == Canvas::kShownBefore) {
      // The game shows its canvas; the frame makes its own and shows them
      // in its place.
      ASSERT_EQ(CallNative(host, kSetScreenImage, {canvas}), 0u);
      ASSERT_EQ(CallNative(host, kCreateFrame, {0, 0, 0}), 0u);
    } else {
      ASSERT_EQ(CallNative(host, kCreateFrame, {0, 0, canvas}), 0u);
    }
    ASSERT_NE(host.TextFrameSlot().frame, nullptr);
    ASSERT_NE(screen->GetScreenImage(), nullptr);

    Delete(host, c.deletion, canvas);
    // The frame shows its canvas as an object, not by a script's handle.
    EXPECT_EQ(CallNative(host, kGetScreenImage, {}), 0u);

    // Only a canvas that is still there and that the game showed before
    // the frame comes back, by its handle.
    const bool comesBack = c.deletion == Deletion::kNone && c.canvas == Canvas::kShownBefore;
    if (c.then == Then::kDeleteFrame) {
      EXPECT_EQ(CallNative(host, kDeleteFrame, {}), 0u);
      EXPECT_EQ(host.TextFrameSlot().frame, nullptr);
      if (comesBack) {
        EXPECT_NE(screen->GetScreenImage(), nullptr);
        EXPECT_EQ(CallNative(host, kGetScreenImage, {}), canvas);
      } else {
        EXPECT_EQ(screen->GetScreenImage(), nullptr);
        EXPECT_EQ(CallNative(host, kGetScreenImage, {}), 0u);
      }
    } else {
      // The new frame goes on its own canvases.
      EXPECT_EQ(CallNative(host, kCreateFrame, {0, 0, 0}), 0u);
      ASSERT_NE(host.TextFrameSlot().frame, nullptr);
      EXPECT_NE(screen->GetScreenImage(), nullptr);
      EXPECT_EQ(CallNative(host, kGetScreenImage, {}), 0u);
    }
    // The game presents its frames from here on and ends.
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(screen->PresentFrame(), 0) << frame;
  });
}

// Both canvases with every deletion (and none, for the frame's deletion
// alone), then each end of the frame.
std::vector<Case> Cases() {
  const std::pair<Canvas, const char*> canvases[] = {{Canvas::kShownBefore, "ShownBefore"},
                                                      {Canvas::kGivenToFrame, "Given"}};
  const std::pair<Deletion, const char*> deletions[] = {
      {Deletion::kNone, "Kept"}, {Deletion::kByHandle, "ByHandle"}, {Deletion::kByGroup, "ByGroup"}, {Deletion::kAll, "All"}};
  const std::pair<Then, const char*> ends[] = {{Then::kDeleteFrame, "ThenDeleted"}, {Then::kNewFrame, "ThenMadeAgain"}};
  std::vector<Case> cases;
  for (const auto& [canvas, canvasName] : canvases)
    for (const auto& [deletion, deletionName] : deletions)
      for (const auto& [then, thenName] : ends) {
        if (deletion == Deletion::kNone && then == Then::kNewFrame) continue;
        cases.push_back(Case{std::string(canvasName) + deletionName + thenName, canvas, deletion, then});
      }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Routes, GameFrameScreenLifetimeTest, ::testing::ValuesIn(Cases()), Name);

}  // namespace
}  // namespace orrivel
