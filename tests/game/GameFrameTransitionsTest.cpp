// The frame's scroll and ripple commands in the running game: a module gives
// their decimal arguments as texts (the scroll's easing, the ripple's speed
// and scale), and the transitions read them as texts, never as addresses.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../frame/FramePictures.h"
#include "RunningGame.h"
#include "TobCompiler.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsScreenTransitions.h"
#include "natives/NativeCatalog.h"
#include "script/NativeArgs.h"

namespace orrivel {
namespace {

using GameFrameTransitionsTest = testing::RunningGameTest;

TEST_F(GameFrameTransitionsTest, ScrollAndRippleTakeTheirDecimalTexts) {
  // Each module starts one transition; the game's frames run it to its end.
  tob::Story story;
  std::string error;
  ASSERT_TRUE(tob::Compile("module S\n[scroll 1000 0 0 \"2.0\"]\n"
                           "module R\n[ripple 1000 \"6.0\" 640 360 32 _ \"1.0\"]\n",
                           story, error))
      << error;
  for (auto& [name, bytes] : tob::StoryFiles(story))
    if (name != "TGS_INIT.DAT") Write("script/" + name, bytes);
  std::filesystem::create_directories(folder_ / "SYS");
  struct GameFolder {
    std::function<void(const std::string&, const std::vector<uint8_t>&)> write;
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) { write(name, bytes); }
  } folder{[this](const std::string& name, const std::vector<uint8_t>& bytes) { Write(name, bytes); }};
  test::WriteRunPictures(folder);
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    const uint32_t cells = host.Space().Allocate(12);
    NativeArgs create(host.Space(), nullptr, cells);
    ASSERT_EQ(host.Natives()[ScriptNativeNumber(tgs_natives::kCreateFrame)](create), 0u);
    host.Space().Free(cells);
    TgsFrame* frame = host.TextFrameSlot().frame.get();
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->Transitions(), nullptr);
    // The transition is looked at within its run: the end of a run stops
    // one still running.
    for (const char* transition : {"S", "R"}) {
      SCOPED_TRACE(transition);
      ASSERT_EQ(frame->LoadScriptByName(transition), 0);
      ASSERT_EQ(frame->BeginRun(false), 0);
      frame->ReadText();
      // Started: a refused start would have exchanged the layers at once.
      EXPECT_TRUE(frame->Transitions()->Running());
      // The game's frames draw it through to its end (a 1000 ms transition).
      for (int i = 0; i < 200 && frame->Transitions()->Running(); ++i) app.PumpFrame();
      EXPECT_FALSE(frame->Transitions()->Running());
      frame->EndRun();
    }
  });
}

}  // namespace
}  // namespace orrivel
