// The frame's commands in the running game read pictures by a module's names
// only inside the game folder: a module played by the script's run native
// that names a picture outside it (by an absolute path, by ".." past the
// top) shows none, while the same picture inside the game folder shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "StoryGame.h"
#include "frame/TgsLayerSets.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

using GameFrameFileRootsTest = testing::StoryGameTest;

// A name as a module writes it: forward slashes, so no escapes.
std::string Forward(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

TEST_F(GameFrameFileRootsTest, LayerPicturesLoadOnlyFromTheGameFolder) {
  const std::filesystem::path outside = folder_.string() + "-outside";
  std::filesystem::create_directories(outside);
  const std::vector<uint8_t> picture = test::SolidPicture(8, 8, 0xFF204060u);
  Write("PIC.ELG", picture);
  {
    std::ofstream out(outside / "PIC.ELG", std::ios::binary);
    out.write(reinterpret_cast<const char*>(picture.data()), std::streamsize(picture.size()));
  }
  const std::string absolute = Forward(*platform::ToInternalPath((outside / "PIC.ELG").string()));
  const std::string climbing = "../" + outside.filename().string() + "/PIC.ELG";
  // Each module shows its picture, then waits: the picture is looked at
  // while the run waits (its end clears the layers).
  WriteStory("module A\n[bg \"" + absolute + "\" 0][wait 100]\n" + "module U\n[bg \"" + climbing +
             "\" 0][wait 100]\n" + "module I\n[bg \"PIC.ELG\" 0][wait 100]\n");
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    TgsFrame* frame = OpenFrame(host);
    ASSERT_NE(frame, nullptr);
    bool shown = false;
    app.framePump = [&] {
      shown = frame->Layers()->GetLayer(0).picture != nullptr;
      return 1;
    };
    auto play = [&](const char* module) {
      shown = false;
      const uint32_t name = host.Space().Allocate(2);
      host.Space().WriteBytes(name, module, 2);
      const uint32_t cells = host.Space().Allocate(8);
      host.Space().Write32(cells, 0);
      host.Space().Write32(cells + 4, name);
      NativeArgs run(host.Space(), nullptr, cells);
      host.Natives()[ScriptNativeNumber(tgs_natives::kRunScript)](run);
      host.Space().Free(cells);
      host.Space().Free(name);
      return shown;
    };
    EXPECT_FALSE(play("A")) << absolute;
    EXPECT_FALSE(play("U")) << climbing;
    EXPECT_TRUE(play("I"));
    // The program's own pump again, before what this one looks at goes.
    app.framePump = [] { return 0; };
  });
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

}  // namespace
}  // namespace orrivel
