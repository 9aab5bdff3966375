// The files a script names stay inside the game folder and the save folder:
// every native that opens, writes, renames or deletes a file, or loads a
// library, is given names that leave them and answers its failure value,
// and nothing outside changes. A destination the player chose in a file
// dialog is the exception.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DirectCalls.h"
#include "SobAssembler.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeCatalog.h"
#include "natives/ProcessObjects.h"
#include "platform/FileDialogs.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/TempFolder.h"

namespace orrivel::testing {
namespace {

namespace fs = std::filesystem;

class ScriptFileRootsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // top/GAME is the game folder, top/SAVE the save folder, top/OUTSIDE
    // the player's other files.
    top_.Write("OUTSIDE/VICTIM.TXT", std::string("victim"));
    top_.Write("GAME/IN.TXT", std::string("inside"));
    top_.Write("SAVE/.keep", std::string());
    sob::Project project;
    std::string error;
    ASSERT_TRUE(sob::Assemble(R"(
vars
  int level save = 3
scene MAIN flags 8 8
  ret
)",
                              project, error))
        << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) top_.Write("GAME/SCRIPT/" + name, bytes);
    oldBase_ = SetBaseFolderForTest(top_.Internal() + "GAME\\");
    oldArchives_ = SetArchiveManager(&archives_);
    previousObjects_ = SetProcessObjects(&objects_);
    GameHostSetup setup;
    setup.logSink = [](const std::string&) {};
    host_ = std::make_unique<GameScriptHost>(setup);
    ASSERT_EQ(host_->LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true), 0);
    host_->SetSaveFolder(top_.Internal() + "SAVE\\");
    calls_ = std::make_unique<DirectCalls>(*host_);
  }
  void TearDown() override {
    calls_.reset();
    host_.reset();
    objects_.ReleasePools();
    SetProcessObjects(previousObjects_);
    SetArchiveManager(oldArchives_);
    SetBaseFolderForTest(oldBase_);
  }

  uint32_t Call(const char* name, const std::vector<uint32_t>& cells) {
    const NativeEntry* entry = FindGameNative(name);
    EXPECT_NE(entry, nullptr) << name;
    return entry ? calls_->Call(entry->number, cells) : 0;
  }
  // Every file under top/, outside GAME and SAVE, with its contents.
  std::vector<std::string> OutsideFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(top_.Host())) {
      const std::string relative = fs::relative(entry.path(), top_.Host()).string();
      if (relative.rfind("GAME", 0) == 0 || relative.rfind("SAVE", 0) == 0) continue;
      if (entry.is_directory()) {
        files.push_back(relative + "/");
        continue;
      }
      std::ifstream in(entry.path(), std::ios::binary);
      files.push_back(relative + "=" + std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return files;
  }

  TempFolder top_;
  ArchiveManager archives_;
  ProcessObjects objects_;
  std::unique_ptr<GameScriptHost> host_;
  std::unique_ptr<DirectCalls> calls_;
  std::string oldBase_;
  ArchiveManager* oldArchives_ = nullptr;
  ProcessObjects* previousObjects_ = nullptr;
};

// A native over one name: its cells given the name's address (and a second
// name's, for the natives that take two), and its failure value.
struct PathNative {
  const char* native;
  std::function<std::vector<uint32_t>(DirectCalls&, uint32_t name, uint32_t inside)> cells;
  uint32_t refused;
};

TEST_F(ScriptFileRootsTest, EveryFileNativeRefusesNamesThatLeaveTheGameAndSaveFolders) {
  const std::string outside = top_.Internal() + "OUTSIDE\\VICTIM.TXT";
  const std::vector<std::string> hostile = {
      "..\\OUTSIDE\\VICTIM.TXT",
      "..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\VICTIM.TXT",
      "SUB\\..\\..\\OUTSIDE\\VICTIM.TXT",
      "SUB/../../OUTSIDE/VICTIM.TXT",
      outside,
      top_.Internal() + "SAVE\\..\\OUTSIDE\\VICTIM.TXT",
      "C:\\VICTIM.TXT",
      "\\\\server\\share\\VICTIM.TXT",
  };
  auto file = [](DirectCalls& c) { return c.Call(FindGameNative("FileCreate")->number, {}); };
  const std::vector<PathNative> natives = {
      {"WriteStateFile", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0, 0, 0}; }, 1},
      {"ReadStateFile", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; }, 1},
      {"ReadStateFileInfo", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0, 0}; }, 1},
      {"AddSearchFolder", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 1}; }, 1},
      {"LoadArchivePlugin", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; }, 1},
      {"LoadArchivePlugins", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; },
       uint32_t(-1)},
      {"MountArchive", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0, 1, 0}; }, 0},
      {"LoadSusiePlugin", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; }, 1},
      {"LoadSusiePlugins", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; },
       uint32_t(-1)},
      {"FileOpen", [file](DirectCalls& c, uint32_t n, uint32_t) { return std::vector<uint32_t>{file(c), n}; }, 5},
      {"FileOpenStream", [file](DirectCalls& c, uint32_t n, uint32_t) { return std::vector<uint32_t>{file(c), n}; },
       5},
      {"FileOpenForWrite",
       [file](DirectCalls& c, uint32_t n, uint32_t) { return std::vector<uint32_t>{file(c), n, 1}; }, 5},
      {"FileOpenExisting",
       [file](DirectCalls& c, uint32_t n, uint32_t) { return std::vector<uint32_t>{file(c), n}; }, 5},
      {"RunProcess", [](DirectCalls& c, uint32_t n, uint32_t) { return std::vector<uint32_t>{c.Text("true"), 1, n}; },
       1},
      {"CreateFolder", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; }, 1},
      {"MoveFileNative", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{n, in}; }, 1},
      {"MoveFileNative", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{in, n}; }, 2},
      {"CopyFileNative", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{n, in, 0}; }, 2},
      {"CopyFileNative", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{in, n, 0}; }, 2},
      {"NativeLoadImageLoaderPlugin", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; },
       uint32_t(-1)},
      {"NativeLoadImageLoaderPlugins", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; },
       uint32_t(-1)},
      {"ExportFile", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{in, n}; }, 2},
      {"ExportFile", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, n}; }, 1},
  };
  const std::vector<std::string> before = OutsideFiles();
  for (const PathNative& native : natives) {
    for (const std::string& name : hostile) {
      const uint32_t inside = calls_->Text("IN.TXT");
      const std::vector<uint32_t> cells = native.cells(*calls_, calls_->Text(name), inside);
      EXPECT_EQ(Call(native.native, cells), native.refused) << native.native << " with " << name;
      EXPECT_EQ(OutsideFiles(), before) << native.native << " with " << name;
    }
  }
  // The game's own names still work: a file written and moved inside the
  // game folder, a state file in the save folder.
  const uint32_t written = file(*calls_);
  EXPECT_EQ(Call("FileOpenForWrite", {written, calls_->Text("NEW.TXT"), 1}), 0u);
  EXPECT_EQ(Call("FileWrite", {written, calls_->Text("new"), 3}), 3u);
  EXPECT_EQ(Call("FileClose", {written}), 0u);
  EXPECT_EQ(Call("MoveFileNative", {calls_->Text("NEW.TXT"), calls_->Text("..\\GAME\\MOVED.TXT")}), 0u);
  EXPECT_TRUE(fs::exists(top_.HostPath("GAME/MOVED.TXT")));
  EXPECT_EQ(Call("WriteStateFile", {calls_->Text("STATE.DAT"), 0, 0, 0}), 0u);
  EXPECT_TRUE(fs::exists(top_.HostPath("SAVE/STATE.DAT")));
  EXPECT_EQ(Call("FileOpen", {file(*calls_), calls_->Text(top_.Internal() + "GAME\\IN.TXT")}), 0u);
}

// A script moving the base folder moves no root: the names it then gives
// are judged against the folders the game started with.
TEST_F(ScriptFileRootsTest, MovingTheBaseFolderOpensNoWayOut) {
  ASSERT_EQ(Call("NativeSetBaseFolder", {calls_->Text(top_.Internal() + "OUTSIDE\\")}), 0u);
  EXPECT_EQ(Call("CreateFolder", {calls_->Text("EVIL")}), 1u);
  EXPECT_FALSE(fs::exists(top_.HostPath("OUTSIDE/EVIL")));
  EXPECT_EQ(Call("FileOpenForWrite", {Call("FileCreate", {}), calls_->Text("VICTIM.TXT"), 1}), 5u);
}

// The player's choice in the save dialog is a destination the scripts may
// write, wherever it is; the folder beside it stays closed.
TEST_F(ScriptFileRootsTest, TheDestinationThePlayerChoseMayBeWritten) {
  const std::string chosen = top_.Internal() + "OUTSIDE\\CHOSEN.TXT";
  platform::ScriptedFileDialogs dialogs;
  dialogs.QueueAnswer({true, chosen, 1});
  platform::ScopedFileDialogs scoped(dialogs);
  const uint32_t path = calls_->Text(std::string(260, '\0'));
  const uint32_t title = calls_->Text(std::string(260, '\0'));
  ASSERT_NE(Call("SaveFileDialog", {0, path, title, 0, 0, 0}), 0u);
  const uint32_t file = Call("FileCreate", {});
  EXPECT_EQ(Call("FileOpenForWrite", {file, calls_->Text(chosen), 1}), 0u);
  EXPECT_EQ(Call("FileClose", {file}), 0u);
  EXPECT_TRUE(fs::exists(top_.HostPath("OUTSIDE/CHOSEN.TXT")));
  EXPECT_EQ(Call("FileOpenForWrite", {Call("FileCreate", {}), calls_->Text(top_.Internal() + "OUTSIDE\\VICTIM.TXT"), 1}),
            5u);
}

}  // namespace
}  // namespace orrivel::testing
