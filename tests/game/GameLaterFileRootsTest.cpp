// What the running game does later for its scripts, after the native that
// gave a file name has returned, reads files by that name only inside the
// game folder: a task on the timer lists (as layer actions, animations and
// sound tasks run, on later frames) and a window command (the player's
// menu, run on the main window's thread, also while the scripts run on the
// worker). A name outside the game folder (an absolute path, ".." past the
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
#include "RunningGame.h"
#include "base/TimedTask.h"
#include "game/GameMenu.h"
#include "platform/PathResolver.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

using GameLaterFileRootsTest = testing::RunningGameTest;

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

}  // namespace
}  // namespace orrivel
