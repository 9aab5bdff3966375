// The files a script names stay inside the game folder and the save folder:
// every native that opens, writes, renames or deletes a file, loads a
// library, or loads a picture, sound, animation, layout or picture font by
// name, is given names that leave them and answers its failure value, and
// nothing outside changes or is read. A destination the player chose in a
// file dialog is the exception.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DirectCalls.h"
#include "DisplayNativeRig.h"
#include "SobAssembler.h"
#include "SoundNativesRig.h"
#include "elg/BmpWriter.h"
#include "layout/LayoutWriter.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeCatalog.h"
#include "natives/ProcessObjects.h"
#include "platform/DesktopShell.h"
#include "platform/FileDialogs.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"
#include "resource/Preloader.h"
#include "resource/TempFolder.h"

namespace orrivel::testing {
namespace {

namespace fs = std::filesystem;

// On a screen of its own, with the built-in picture decoders, so that the
// natives that load pictures by name have somewhere to put them.
class ScriptFileRootsTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    loaders_.RegisterBuiltInDecoders();
    previousLoaders_ = Surface::SetLoaderManager(&loaders_);
    // top/GAME is the game folder, top/SAVE the save folder, top/OUTSIDE
    // the player's other files.
    top_.Write("OUTSIDE/VICTIM.TXT", std::string("victim"));
    top_.Write("GAME/IN.TXT", std::string("inside"));
    top_.Write("SAVE/.keep", std::string());
    top_.Write("OUTSIDE/TOOL", std::string("#!/bin/sh\necho outside > \"$0.ran\"\n"));
    fs::permissions(top_.HostPath("OUTSIDE/TOOL"), fs::perms::owner_all);
    // Links inside the game folder: one to the player's other files, one
    // to a file that does not exist yet out there, one that stays inside.
    fs::create_directory_symlink(top_.HostPath("OUTSIDE"), top_.HostPath("GAME/LINK"));
    fs::create_symlink(top_.HostPath("OUTSIDE/CREATED.TXT"), top_.HostPath("GAME/DANGLE"));
    top_.Write("GAME/SUB/.keep", std::string());
    fs::create_directory_symlink(top_.HostPath("GAME/SUB"), top_.HostPath("GAME/INLINK"));
    // The same in the save folder, where the state files' names lead.
    fs::create_directory_symlink(top_.HostPath("OUTSIDE"), top_.HostPath("SAVE/LINK"));
    fs::create_symlink(top_.HostPath("OUTSIDE/CREATED.TXT"), top_.HostPath("SAVE/DANGLE"));
    top_.Write("SAVE/SUB/.keep", std::string());
    fs::create_directory_symlink(top_.HostPath("SAVE/SUB"), top_.HostPath("SAVE/INLINK"));
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
    Surface::SetLoaderManager(previousLoaders_);
    DisplayNativeRig::TearDown();
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
      // Lexically: a link inside the game folder is listed as itself.
      const std::string relative = entry.path().lexically_relative(top_.Host()).string();
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
  ImageLoaderManager loaders_;
  ImageLoaderManager* previousLoaders_ = nullptr;
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
      "LINK\\VICTIM.TXT",
      "LINK\\NEW.TXT",
      "INLINK\\..\\LINK\\VICTIM.TXT",
      "DANGLE",
      "LINK\\",
      "..\\OUTSIDE\\",
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
      {"FindLooseFile", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0}; }, 1},
      {"NativeGetLooseFileSize", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0}; },
       0},
      {"LocateFile", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0}; }, 1},
      {"ListFolder", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 0, 0, 0}; }, 0},
      {"RunProcess", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n, 1, 0}; }, 1},
      {"NativeLoadSoundDecoder", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; }, 5},
      {"NativeLoadSoundDecoders", [](DirectCalls&, uint32_t n, uint32_t) { return std::vector<uint32_t>{n}; },
       uint32_t(-1)},
      {"NativeExportSoundAsWave", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{n, in}; },
       1},
      {"NativeExportSoundAsWave", [](DirectCalls&, uint32_t n, uint32_t in) { return std::vector<uint32_t>{in, n}; },
       3},
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

// Names whose ".." steps or links stay inside the game folder are the
// game's own, and work.
TEST_F(ScriptFileRootsTest, NamesThatStayInsideWork) {
  EXPECT_EQ(Call("FileOpen", {Call("FileCreate", {}), calls_->Text("SUB\\..\\IN.TXT")}), 0u);
  EXPECT_EQ(Call("FileOpen", {Call("FileCreate", {}), calls_->Text("INLINK\\..\\IN.TXT")}), 0u);
  const uint32_t file = Call("FileCreate", {});
  EXPECT_EQ(Call("FileOpenForWrite", {file, calls_->Text("INLINK\\X.TXT"), 1}), 0u);
  EXPECT_EQ(Call("FileClose", {file}), 0u);
  EXPECT_TRUE(fs::exists(top_.HostPath("GAME/SUB/X.TXT")));
  EXPECT_EQ(Call("FindLooseFile", {calls_->Text("SUB\\..\\IN.TXT"), 0}), 0u);
  const uint32_t size = calls_->Word(0);
  EXPECT_EQ(Call("NativeGetLooseFileSize", {calls_->Text("IN.TXT"), size}), 1u);
  EXPECT_EQ(calls_->Load(size), 6u);
  EXPECT_EQ(Call("CreateFolder", {calls_->Text("SUB\\..\\NEWFOLDER")}), 0u);
  EXPECT_TRUE(fs::is_directory(top_.HostPath("GAME/NEWFOLDER")));
}

// A script starts only a program that lies in the game folder, by its
// path there; its arguments reach it as given, and no shell reads them.
TEST_F(ScriptFileRootsTest, ScriptsStartOnlyTheGamesOwnPrograms) {
  top_.Write("GAME/TOOL.SH", std::string("#!/bin/sh\necho \"$@\"\n"));
  fs::permissions(top_.HostPath("GAME/TOOL.SH"), fs::perms::owner_all);
  const std::string outside = top_.Internal() + "OUTSIDE\\TOOL";
  for (const std::string& command :
       {std::string("sh -c \"echo x > ") + top_.Host() + "/OUTSIDE/SHELL.TXT\"", std::string("/bin/sh ") + outside,
        std::string("true"), outside, std::string("..\\OUTSIDE\\TOOL"), std::string("LINK\\TOOL"),
        std::string("\"LINK\\TOOL\""), std::string("TOOL.SH\"x\""), std::string("\"TOOL.SH")}) {
    EXPECT_EQ(Call("RunProcess", {calls_->Text(command), 1, calls_->Text("OUT.TXT")}), 1u) << command;
  }
  EXPECT_FALSE(fs::exists(top_.HostPath("OUTSIDE/SHELL.TXT")));
  EXPECT_FALSE(fs::exists(top_.HostPath("OUTSIDE/TOOL.ran")));
  EXPECT_EQ(Call("RunProcess", {calls_->Text("TOOL.SH one \"two three\" ;rm"), 1, calls_->Text("OUT.TXT")}), 0u);
  std::ifstream in(top_.HostPath("GAME/OUT.TXT"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one two three ;rm\n");
}

// No script writes into a program, nor makes a file a plug-in library
// would be loaded from: the code a game runs is the code it came with.
TEST_F(ScriptFileRootsTest, ScriptsCannotMakeCode) {
  top_.Write("GAME/TOOL.SH", std::string("#!/bin/sh\n"));
  fs::permissions(top_.HostPath("GAME/TOOL.SH"), fs::perms::owner_all);
  top_.Write("GAME/OLD.SPI", std::string("library"));
  const uint32_t in = calls_->Text("IN.TXT");
  struct Case {
    const char* native;
    std::vector<uint32_t> cells;
    uint32_t refused;
  };
  auto text = [this](const char* name) { return calls_->Text(name); };
  const std::vector<Case> cases = {
      {"FileOpenForWrite", {Call("FileCreate", {}), text("TOOL.SH"), 1}, 5},
      {"FileOpenExisting", {Call("FileCreate", {}), text("TOOL.SH")}, 5},
      {"FileOpenExisting", {Call("FileCreate", {}), text("old.spi")}, 5},
      {"FileOpenForWrite", {Call("FileCreate", {}), text("NEW.SO"), 1}, 5},
      {"FileOpenForWrite", {Call("FileCreate", {}), text("new.dll"), 1}, 5},
      {"FileOpenForWrite", {Call("FileCreate", {}), text("SUB\\NEW.Sll"), 1}, 5},
      {"MoveFileNative", {in, text("IN.SPI")}, 2},
      {"MoveFileNative", {in, text("TOOL.SH")}, 2},
      {"CopyFileNative", {in, text("X.ADL"), 0}, 2},
      {"CopyFileNative", {in, text("TOOL.SH"), 0}, 2},
      {"ExportFile", {in, text("X.GLL")}, 2},
      {"WriteStateFile", {text("X.DCP"), 0, 0, 0}, 1},
      {"RunProcess", {text("TOOL.SH"), 1, text("OUT.TCP")}, 1},
      {"LoadSusiePlugin", {in}, 1},
      {"LoadArchivePlugin", {in}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(c.native, c.cells), c.refused) << c.native;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(top_.HostPath("GAME"))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"DANGLE", "IN.TXT", "INLINK", "LINK", "OLD.SPI", "SCRIPT", "SUB",
                                             "TOOL.SH"}));
  std::ifstream tool(top_.HostPath("GAME/TOOL.SH"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(tool), {}), "#!/bin/sh\n");
}

// A bitmap of the given depth (8 bits: a grey colour table), every pixel 0x40.
std::vector<uint8_t> Bitmap(int32_t width, int32_t height, uint16_t bits) {
  tools::BmpFile file;
  file.width = width;
  file.height = -height;
  file.bitCount = bits;
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) file.colors.insert(file.colors.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    file.colorsUsed = 256;
  }
  const size_t stride = (size_t(width) * bits / 8 + 3) & ~size_t(3);
  file.data.assign(stride * size_t(height), 0x40);
  return tools::WriteBmpFile(file);
}

// A native that loads a file by the name it is given: its answer, and the
// answer that says the file could not be loaded.
struct LoaderNative {
  const char* what;
  const char* file;
  std::function<uint32_t(uint32_t name)> load;
  uint32_t refused;
};

// Whatever loads a file by a script's name (pictures, picture fonts,
// animations, layouts, the preloader's worker) reads it only inside the
// roots, whichever way the search would reach it: an absolute path, ".."
// past the top, a link inside the game folder, or a link in a search
// folder that lies inside. The same files inside the game folder load.
TEST_F(ScriptFileRootsTest, LoadersReadOnlyInsideTheRoots) {
  tools::LadDocument lad;
  lad.SetSequenceCount(1);
  lad.frames = {{0, 1, 0, 0, 0}, {-1, 0, 0, 0, 0}};
  lad.names = {{"A", 1, 2}};
  tools::LagDocument lag;
  lag.SetSequenceCount(1);
  lag.frames = {{0, 10, 0, 0}, {-1, 0, 0, 0}};
  lag.pictures = {{Bitmap(4, 2, 32), -1, 0}};
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"PIC.BMP", Bitmap(4, 2, 32)},
      {"GLYPHS.BMP", Bitmap(16, 8, 8)},
      {"ANIM.LAG", tools::WriteLag(lag)},
      {"ANIM.LAD", tools::WriteLad(lad)},
      {"MENU.LGM", tools::WriteLgm(tools::LgmDocument{}, tools::LgmForm::kControl)},
  };
  for (const auto& [name, bytes] : files) {
    top_.Write("GAME/" + name, bytes);
    top_.Write("OUTSIDE/" + name, bytes);
  }
  // A search folder inside the game folder holding a link out of it.
  fs::create_directory_symlink(top_.HostPath("OUTSIDE"), top_.HostPath("GAME/SUB/OUT"));
  ASSERT_EQ(Call("AddSearchFolder", {calls_->Text("SUB"), 1}), 0u);
  const uint32_t font = Call("NativeCreateOutlineFont", {calls_->Text("IPAGothic"), 16});
  ASSERT_NE(font, 0u);
  const std::vector<LoaderNative> natives = {
      {"picture", "PIC.BMP", [this](uint32_t n) { return Call("NativeLoadSurface", {n, 0}); }, 0},
      {"picture font", "GLYPHS.BMP",
       [this, font](uint32_t n) { return Call("NativeLoadPictureGlyphs", {font, n, 2, 8, 8, 0}); }, 1},
      {"animation", "ANIM.LAG", [this](uint32_t n) { return Call("NativeLoadLagAnimation", {n, 0}); }, 0},
      {"animation", "ANIM.LAD", [this](uint32_t n) { return Call("NativeLoadLadAnimation", {n}); }, 0},
      {"layout", "MENU.LGM", [this](uint32_t n) { return Call("NativeLoadSpriteLayout", {n, 0, 0, 0}); }, 2},
      {"preloaded file", "PIC.BMP",
       [this](uint32_t n) {
         EXPECT_EQ(Call("PreloadAllocate", {1}), 0u);
         EXPECT_EQ(Call("PreloadStart", {0, 1, n}), 0u);
         Call("PreloadWait", {});
         return Call("PreloadGetSize", {0});
       },
       0},
  };
  for (const LoaderNative& native : natives) {
    const std::string file = native.file;
    for (const std::string& name : {top_.Internal() + "OUTSIDE\\" + file, "..\\OUTSIDE\\" + file, "LINK\\" + file,
                                    "SUB\\..\\..\\OUTSIDE\\" + file, "OUT\\" + file}) {
      EXPECT_EQ(native.load(calls_->Text(name)), native.refused) << native.what << " " << name;
    }
    for (const std::string& name : {file, top_.Internal() + "GAME\\" + file, "SUB\\..\\" + file}) {
      EXPECT_NE(native.load(calls_->Text(name)), native.refused) << native.what << " " << name;
    }
  }
  // A later load that a task starts on a preloader a script set going keeps
  // the script's rules after the script's request has returned.
  const std::string outside = top_.Internal() + "OUTSIDE\\PIC.BMP";
  const std::string_view later[] = {outside};
  ASSERT_EQ(objects_.Preloads().Start(0, 1, later), 0);
  objects_.Preloads().Wait();
  EXPECT_EQ(objects_.Preloads().GetEntrySize(0), 0u);
}

// A script moves the process's current folder, and opens a folder window,
// only inside the roots; its names go on resolving against the game folder.
TEST_F(ScriptFileRootsTest, TheCurrentFolderAndTheFolderWindowStayInsideTheRoots) {
  const fs::path before = fs::current_path();
  platform::RecordingDesktopShell shell;
  platform::ScopedDesktopShell scopedShell(shell);
  for (const std::string& folder : {top_.Internal() + "OUTSIDE", std::string("..\\OUTSIDE"), std::string("LINK"),
                                    std::string("..\\"), std::string("C:\\"), std::string("\\\\server\\share")}) {
    EXPECT_EQ(Call("SetCurrentFolder", {calls_->Text(folder)}), 0u) << folder;
    EXPECT_EQ(fs::current_path(), before) << folder;
    EXPECT_EQ(Call("OpenFolderWindow", {calls_->Text(folder)}), 1u) << folder;
  }
  EXPECT_TRUE(shell.Requests().empty());
  EXPECT_EQ(Call("SetCurrentFolder", {calls_->Text("SUB")}), 1u);
  EXPECT_EQ(fs::current_path(), fs::canonical(top_.HostPath("GAME/SUB")));
  EXPECT_EQ(Call("FileOpen", {Call("FileCreate", {}), calls_->Text("IN.TXT")}), 0u);
  EXPECT_EQ(Call("FileOpen", {Call("FileCreate", {}), calls_->Text("..\\OUTSIDE\\VICTIM.TXT")}), 5u);
  fs::current_path(before);
  EXPECT_EQ(Call("OpenFolderWindow", {calls_->Text("SUB")}), 0u);
  EXPECT_EQ(Call("OpenFolderWindow", {calls_->Text(top_.Internal() + "SAVE")}), 0u);
  ASSERT_EQ(shell.Requests().size(), 2u);
  EXPECT_EQ(shell.Requests()[0].target, top_.Internal() + "GAME\\SUB");
  EXPECT_EQ(shell.Requests()[1].target, top_.Internal() + "SAVE");
}

// Sounds by name: a buffer sound, a stream and a stream pair load from the
// game folder and from nowhere else.
class ScriptSoundRootsTest : public SoundNativesRig {};

TEST_F(ScriptSoundRootsTest, SoundsLoadOnlyInsideTheRoots) {
  TempFolder outside;
  const std::vector<uint8_t> sound = MakeTestPcm(44100, 1, 16, std::vector<uint8_t>(4410, 0x10));
  folder_.Write("SE.TPC", sound);
  outside.Write("SE.TPC", sound);
  const std::string away = fs::path(outside.Host()).filename().string();
  for (const std::string& name : {outside.Internal() + "SE.TPC", "..\\" + away + "\\SE.TPC"}) {
    EXPECT_EQ(Call(600, {Text(name), 0}), 0u) << name;
    EXPECT_EQ(Call(602, {Text(name)}), 0u) << name;
    EXPECT_EQ(Call(603, {Text("SE.TPC"), Text(name)}), 0u) << name;
  }
  EXPECT_NE(Call(600, {Text("SE.TPC"), 0}), 0u);
  EXPECT_NE(Call(602, {Text("SE.TPC")}), 0u);
  EXPECT_NE(Call(603, {Text("SE.TPC"), Text(folder_.Internal() + "SE.TPC")}), 0u);
}

}  // namespace
}  // namespace orrivel::testing
