// What the running game does later for its scripts, after the native that
// gave a file name has returned, reads files by that name only inside the
// game folder: a task on the timer lists (as layer actions, animations and
// sound tasks run, on later frames), a window command (the player's menu,
// run on the main window's thread, also while the scripts run on the
// worker) and the display's restore of the scripts' pictures by their
// names. A name outside the game folder (an absolute path, ".." past the
// top, a link inside that leads out) reads nothing there; one inside reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../frame/FramePictures.h"
#include "GameNativeCalls.h"
#include "display/DrawObjectManager.h"
#include "game/AppSettings.h"
#include "natives/DisplayObjectArguments.h"
#include "RunningGame.h"
#include "base/TimedTask.h"
#include "game/GameMenu.h"
#include "platform/PathResolver.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

using GameLaterFileRootsTest = testing::RunningGameTest;

// The script's native that makes a display picture from a file.
constexpr uint32_t kLoadSurfaceImage = 220;

// A name as a script writes it: forward slashes.
std::string Forward(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Whether the picture by that name arrives: its pixels are read.
bool PictureArrives(const std::string& name) {
  Surface picture;
  return picture.LoadImage(name.c_str(), nullptr, 0, 0) == 0 && picture.GetWidth() == 8;
}

// A task that reads a picture by a name it was given, on the frame it runs.
class PictureTask final : public TimedTask {
 public:
  PictureTask(std::string name, int* arrived) : name_(std::move(name)), arrived_(arrived) {}
  int32_t Step(uint32_t) override {
    *arrived_ = PictureArrives(name_) ? 1 : 0;
    return 1;
  }
  void Stop() override {}

 private:
  std::string name_;
  int* arrived_;
};

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

struct LaterName {
  const char* what;
  std::string name;
  bool arrives;
};

TEST_F(GameLaterFileRootsTest, TasksAndWindowCommandsReadOnlyInsideTheGameFolder) {
  const std::filesystem::path outside = folder_.string() + "-outside";
  std::filesystem::create_directories(outside);
  const std::vector<uint8_t> picture = test::SolidPicture(8, 8, 0xFF204060u);
  WriteFile(outside / "P.ELG", picture);
  WriteFile(folder_ / "P.ELG", picture);
  std::filesystem::create_directory_symlink(outside, folder_ / "LINK");
  const std::vector<LaterName> rows = {
      {"absolute", Forward(*platform::ToInternalPath((outside / "P.ELG").string())), false},
      {"climbing", "../" + outside.filename().string() + "/P.ELG", false},
      {"link out", "LINK/P.ELG", false},
      {"inside", "P.ELG", true},
  };
  for (const bool worker : {false, true}) {
    SCOPED_TRACE(worker ? "scripts on the worker" : "scripts on the main thread");
    const std::unique_ptr<GameApplication> game =
        worker ? std::make_unique<WorkerGame>() : std::make_unique<GameApplication>();
    GameApplication& app = *game;
    RunWith(app, [&] {
      ASSERT_TRUE(app.scripts);
      for (const LaterName& row : rows) {
        SCOPED_TRACE(row.what);
        // A task on the object list reads the name on a later frame.
        int arrived = -1;
        ASSERT_EQ(app.timerLists[1].Add(new PictureTask(row.name, &arrived), 0, 0, 0), 0);
        for (int frame = 0; frame < 10 && arrived < 0; ++frame) app.PumpFrame();
        EXPECT_EQ(arrived, row.arrives ? 1 : 0);
        // The version box of the window's menu: what the program reads
        // while it is open is judged too.
        arrived = -1;
        dialogs_.whileOpen = [&](const platform::DialogRequest&) { arrived = PictureArrives(row.name) ? 1 : 0; };
        dialogs_.Answer(1);
        app.mainWindow.SendWindowMessage(platform::WM_COMMAND, kCommandVersion, 0);
        dialogs_.whileOpen = nullptr;
        EXPECT_EQ(arrived, row.arrives ? 1 : 0);
      }
    });
  }
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

// A script's picture is read again by its name when the display restores
// what it lost. A link on the way that has since been turned out of the game
// folder is judged again then: the picture outside is not read, while one
// that still lies inside is.
TEST_F(GameLaterFileRootsTest, APictureRestoredByItsNameIsReadOnlyInsideTheGameFolder) {
  const std::filesystem::path outside = folder_.string() + "-outside";
  std::filesystem::create_directories(outside);
  std::filesystem::create_directories(folder_ / "FIRST");
  std::filesystem::create_directories(folder_ / "SECOND");
  WriteFile(folder_ / "FIRST" / "P.ELG", test::SolidPicture(8, 8, 0xFF204060u));
  WriteFile(folder_ / "SECOND" / "P.ELG", test::SolidPicture(16, 16, 0xFF604020u));
  WriteFile(outside / "P.ELG", test::SolidPicture(16, 16, 0xFF604020u));
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
  struct Row {
    const char* what;
    std::filesystem::path linkTo;
    bool reads;
  };
  for (const Row& row : {Row{"turned out", outside, false}, Row{"turned elsewhere inside", folder_ / "SECOND", true}}) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove(folder_ / "LINK");
    std::filesystem::create_directory_symlink(folder_ / "FIRST", folder_ / "LINK");
    GameApplication app;
    RunWith(app, [&] {
      ASSERT_TRUE(app.scripts);
      GameScriptHost& host = *app.scripts;
      const std::string name = "LINK/P.ELG";
      const uint32_t text = host.Space().Allocate(uint32_t(name.size() + 1));
      host.Space().WriteBytes(text, name.c_str(), uint32_t(name.size() + 1));
      const uint32_t handle = testing::CallNative(host, kLoadSurfaceImage, {text});
      host.Space().Free(text);
      ASSERT_NE(handle, 0u);
      Image* image = ScriptDisplayObjects()->GetImage(handle);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->GetWidth(), 8);
      std::filesystem::remove(folder_ / "LINK");
      std::filesystem::create_directory_symlink(row.linkTo, folder_ / "LINK");
      // As after a lost display: every picture is made again from its file.
      ScriptDisplayObjects()->RestoreAllObjects(0);
      EXPECT_EQ(image->GetWidth(), row.reads ? 16 : 8);
    });
  }
  std::error_code ignored;
  std::filesystem::remove_all(outside, ignored);
}

}  // namespace
}  // namespace orrivel
