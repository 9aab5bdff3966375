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
  // Each module starts one transition; the frame's own wait runs it to its
  // end through the game's frames.
  tob::Story story;
  std::string error;
  ASSERT_TRUE(tob::Compile("module S\n[scroll 1000 0 0 \"2.0\"]\n"
                           "module W\n[wait_transition 0]\n"
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
    const auto play = [&](const char* module) {
      ASSERT_EQ(frame->LoadScriptByName(module), 0) << module;
      ASSERT_EQ(frame->BeginRun(false), 0) << module;
      frame->ReadText();
      frame->EndRun();
    };
    for (const char* transition : {"S", "R"}) {
      SCOPED_TRACE(transition);
      play(transition);
      // Started: a refused start would have exchanged the layers at once.
      EXPECT_TRUE(frame->Transitions()->Running());
      play("W");
      EXPECT_FALSE(frame->Transitions()->Running());
    }
  });
}

}  // namespace
}  // namespace orrivel
