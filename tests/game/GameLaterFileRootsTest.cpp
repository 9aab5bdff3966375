// What the running game opens later for a script, after the native that
// named the file has returned, reads only inside the game folder: the music
// a script asked for while the player had music switched off starts when the
// player switches it on again (the settings sheet's OK, on the program's own
// loop). A piece named outside the game folder (an absolute path, ".." past
// the top, a link inside that leads out) stays silent then; one inside plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "game/SettingsSheet.h"
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

// The player switches music off or on as the settings sheet's OK does.
void SwitchMusic(GameApplication& app, SoundManager& sounds, bool on) {
  AppSettings::AppConfigBlock block = app.settings.blocks.appConfig;
  block[kMusicOnByte] = on ? 1 : 0;
  ASSERT_TRUE(ApplySoundSettings(block, &sounds));
}

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
  testing::ProgramObjects program;
  GameApplication app;
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
      SwitchMusic(app, sounds, false);
      const uint32_t name = host.Space().Allocate(uint32_t(row.name.size() + 1));
      host.Space().WriteBytes(name, row.name.c_str(), uint32_t(row.name.size() + 1));
      // Switched off, the piece waits (-2) without being opened.
      EXPECT_EQ(int32_t(testing::CallNative(host, kPlayMusic, {name, 1, 0})), -2);
      host.Space().Free(name);
      EXPECT_FALSE(sounds.IsMusicActive());
      SwitchMusic(app, sounds, true);
      EXPECT_EQ(sounds.IsMusicActive(), row.plays);
      sounds.StopMusic();
    }
  });
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

}  // namespace
}  // namespace orrivel
