#pragma once
// A running game that plays text-adventure modules compiled from their text
// form, on the pictures the frame's runs use, with the frame opened the way a
// script opens it.
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
#include "natives/NativeCatalog.h"
#include "script/NativeArgs.h"

namespace orrivel::testing {

class StoryGameTest : public RunningGameTest {
 protected:
  // The story's modules in the game's script folder (the game's own
  // TGS_INIT.DAT stays) and the pictures and layout of the frame's bar.
  void WriteStory(const std::string& source) {
    tob::Story story;
    std::string error;
    ASSERT_TRUE(tob::Compile(source, story, error)) << error;
    for (auto& [name, bytes] : tob::StoryFiles(story))
      if (name != "TGS_INIT.DAT") Write("script/" + name, bytes);
    std::filesystem::create_directories(folder_ / "SYS");
    struct GameFolder {
      std::function<void(const std::string&, const std::vector<uint8_t>&)> write;
      void Write(const std::string& name, const std::vector<uint8_t>& bytes) { write(name, bytes); }
    } folder{[this](const std::string& name, const std::vector<uint8_t>& bytes) { Write(name, bytes); }};
    test::WriteRunPictures(folder);
  }

  // The frame a script's create native makes, on its own canvases; null when
  // the native refuses.
  static TgsFrame* OpenFrame(GameScriptHost& host) {
    const uint32_t cells = host.Space().Allocate(12);
    NativeArgs create(host.Space(), nullptr, cells);
    const uint32_t made = host.Natives()[ScriptNativeNumber(tgs_natives::kCreateFrame)](create);
    host.Space().Free(cells);
    return made == 0 ? host.TextFrameSlot().frame.get() : nullptr;
  }
};

}  // namespace orrivel::testing
