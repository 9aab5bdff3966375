// What the running game opens later for a script, after the native that
// named the file has returned, reads only inside the game folder: the music
// a script asked for while the player had music switched off starts when the
// player switches it on again on the settings sheet, a window command run on
// the program's own loop (or, with the scripts on the worker, on the main
// thread beside them). A piece named outside the game folder (an absolute
// path, ".." past the top, a link inside that leads out) stays silent then;
// one inside plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "GameNativeCalls.h"
#include "../frame/FramePictures.h"
#include "RunningGame.h"
#include "display/DrawObjectManager.h"
#include "natives/DisplayObjectArguments.h"
#include "game/GameMenu.h"
#include "game/SettingsSheetWindow.h"
#include "platform/PathResolver.h"
#include "sound/SoundManager.h"
#include "sound/TestPcmCodec.h"

namespace orrivel {
namespace {

using GameLaterFileRootsTest = testing::RunningGameTest;

constexpr uint32_t kPlayMusic = 654;
// The settings byte of the music switch.
constexpr size_t kMusicOnByte = 83;

// A name as a script writes it: forward slashes.
std::string Forward(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A second of a loud tone in the test format.
std::vector<uint8_t> Piece() {
  std::vector<uint8_t> pcm(44100 * 2);
  for (size_t i = 0; i < pcm.size(); i += 2) pcm[i + 1] = 0x40;
  return testing::MakeTestPcm(44100, 1, 16, pcm);
}

struct LaterPiece {
  const char* what;
  std::string name;
  bool plays;
};

// The player switches music off or on on the settings sheet, opened from
// the window's menu; the command runs on the main window's thread.
void SwitchMusic(GameApplication& app, platform::HeadlessBackend& backend, bool on) {
  using W = SettingsSheetWindow;
  app.settingsSheetOpened = [&backend, on](platform::WindowId window) {
    backend.PostMessage(window, W::kSetValueMessage, kMusicOnByte, on ? 1 : 0);
    backend.PostMessage(window, platform::WM_COMMAND, W::kOkId, 0);
  };
  app.mainWindow.SendWindowMessage(platform::WM_COMMAND, kCommandSettingsFromMenu, 0);
  app.settingsSheetOpened = nullptr;
  EXPECT_EQ(app.settings.blocks.appConfig[kMusicOnByte], on ? 1 : 0);
}

// The game with its scripts on the worker thread, as the player's setting
// asks at the configuration step.
class WorkerGame : public GameApplication {
 public:
  int Configure() override {
    const int result = GameApplication::Configure();
    threadMode = 1;
    return result;
  }
};

TEST_F(GameLaterFileRootsTest, MusicWaitingForTheSwitchStartsOnlyInsideTheGameFolder) {
  const std::filesystem::path outside = folder_.string() + "-outside";
  std::filesystem::create_directories(outside);
  WriteFile(outside / "M.TPC", Piece());
  WriteFile(folder_ / "M.TPC", Piece());
  std::filesystem::create_directory_symlink(outside, folder_ / "LINK");
  const std::vector<LaterPiece> rows = {
      {"absolute", Forward(*platform::ToInternalPath((outside / "M.TPC").string())), false},
      {"climbing", "../" + outside.filename().string() + "/M.TPC", false},
      {"link out", "LINK/M.TPC", false},
      {"inside", "M.TPC", true},
  };
  for (const bool worker : {false, true}) {
    SCOPED_TRACE(worker ? "scripts on the worker" : "scripts on the main thread");
    testing::ProgramObjects program;
    const std::unique_ptr<GameApplication> game =
        worker ? std::make_unique<WorkerGame>() : std::make_unique<GameApplication>();
    GameApplication& app = *game;
    RunWith(app, [&] {
      ASSERT_TRUE(app.scripts);
      GameScriptHost& host = *app.scripts;
      ASSERT_NE(program.objects.Sounds(), nullptr);
      SoundManager& sounds = *program.objects.Sounds();
      ASSERT_EQ(app.soundCodecs.RegisterBuiltIn(new testing::TestPcmCodec(), "TPC\0", "Test", 40, nullptr, nullptr,
                                                nullptr),
                0);
      for (const LaterPiece& row : rows) {
        SCOPED_TRACE(row.what);
        SwitchMusic(app, backend(), false);
        const uint32_t name = host.Space().Allocate(uint32_t(row.name.size() + 1));
        host.Space().WriteBytes(name, row.name.c_str(), uint32_t(row.name.size() + 1));
        // Switched off, the piece waits (-2) without being opened.
        EXPECT_EQ(int32_t(testing::CallNative(host, kPlayMusic, {name, 1, 0})), -2);
        host.Space().Free(name);
        EXPECT_FALSE(sounds.IsMusicActive());
        SwitchMusic(app, backend(), true);
        EXPECT_EQ(sounds.IsMusicActive(), row.plays);
        sounds.StopMusic();
      }
    });
  }
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

// A picture a script loaded by a name inside the game folder is read again
// by that name when the screen mode changes (Alt+Enter, on the program's own
// loop). A link on the way that now leads out of the game folder is judged
// then too: the picture outside is not read.
TEST_F(GameLaterFileRootsTest, APictureReloadedAfterAScreenModeChangeIsReadOnlyInsideTheGameFolder) {
  const std::filesystem::path outside = folder_.string() + "-outside";
  std::filesystem::create_directories(outside);
  std::filesystem::create_directories(folder_ / "IN");
  WriteFile(folder_ / "IN" / "P.ELG", test::SolidPicture(8, 8, 0xFF204060u));
  WriteFile(outside / "P.ELG", test::SolidPicture(16, 16, 0xFF604020u));
  std::filesystem::create_directory_symlink(folder_ / "IN", folder_ / "LINK");
  // The display draws through surfaces (the plain blit, also in a window),
  // where a script's pictures live.
  AppSettings settings;
  settings.SetSaveFolderMode(5);
  settings.system[14] = 1;
  settings.system[16] = 1;
  settings.system[19] = 2;
  settings.window[0] = 2;
  settings.appConfig[160] = 2;
  settings.appConfig[161] = 1;
  Write("USER.CFG", EncodeUserConfig(settings));
  Write("APP_CFG.DAT", EncodeAppConfig(settings.appConfig));
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    const std::string name = "LINK/P.ELG";
    const uint32_t text = host.Space().Allocate(uint32_t(name.size() + 1));
    host.Space().WriteBytes(text, name.c_str(), uint32_t(name.size() + 1));
    ASSERT_NE(ScriptDisplayObjects(), nullptr);
    const uint32_t handle = testing::CallNative(host, 220, {text});
    host.Space().Free(text);
    ASSERT_NE(handle, 0u);
    Image* image = ScriptDisplayObjects()->GetImage(handle);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 8);
    std::filesystem::remove(folder_ / "LINK");
    std::filesystem::create_directory_symlink(outside, folder_ / "LINK");
    const platform::WindowId window = app.mainWindow.GetHandle();
    for (int press = 0; press < 2; ++press) {
      backend().PostMessage(window, platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
      app.PumpMessages(true);
    }
    EXPECT_EQ(app.screenMode, 2);
    EXPECT_EQ(image->GetWidth(), 8);
  });
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

}  // namespace
}  // namespace orrivel
