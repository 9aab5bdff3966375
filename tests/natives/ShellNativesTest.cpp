// Natives 793 to 805 called from assembled scripts: message boxes and
// dialog requests reach the shell's port, the desktop's requests are
// recorded and change nothing, folders and exports reach the disk.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "elg/BmpWriter.h"
#include "elg/PngFile.h"
#include "natives/NativeHarness.h"
#include "natives/ShellNativePort.h"
#include "platform/DesktopShell.h"
#include "platform/PathResolver.h"
#include "resource/ArchiveManager.h"
#include "raster/Surface.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeCall;
using testing::NativeHarness;

// One message box or dialog request as the port saw it.
struct Asked {
  uint8_t kind = 0;
  std::string text;
  std::optional<std::string> caption;
  uint8_t icon = 0;
  int32_t value = 0;
};

class ShellNativesTest : public ::testing::Test {
 protected:
  ShellNativesTest() : scopedShell_(shell_) {
    folder_ = std::filesystem::temp_directory_path() / ("orrivel-shell-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    // The user's folders live in the test's own home.
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CURRENT_DESKTOP"}) {
      const char* value = std::getenv(name);
      savedEnv_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    ::setenv("HOME", (folder_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder_ / "home" / ".config").c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    port_.messageBox = [this](uint8_t kind, const std::string& text, const std::optional<std::string>& caption,
                              uint8_t icon) -> uint8_t {
      asked_.push_back({kind, text, caption, icon, 0});
      return answer_;
    };
    port_.dialogRequest = [this](uint8_t kind, const std::string& text, int32_t value) -> uint8_t {
      asked_.push_back({kind, text, std::nullopt, 0, value});
      return answer_;
    };
    previousPort_ = SetShellPort(&port_);
    previousArchives_ = SetArchiveManager(&archives_);
  }
  ~ShellNativesTest() override {
    SetArchiveManager(previousArchives_);
    SetShellPort(previousPort_);
    for (const auto& [name, value] : savedEnv_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Internal(const std::filesystem::path& path) { return *platform::ToInternalPath(path.string()); }

  NativeHarness harness_;
  platform::RecordingDesktopShell shell_;
  ShellNativePort port_;
  std::vector<Asked> asked_;
  uint8_t answer_ = 1;
  std::filesystem::path folder_;

 private:
  platform::ScopedDesktopShell scopedShell_;
  ShellNativePort* previousPort_ = nullptr;
  ArchiveManager archives_;
  ArchiveManager* previousArchives_ = nullptr;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

TEST_F(ShellNativesTest, MessageBoxesOfEachKindAndIcon) {
  struct Row {
    const char* native;
    uint8_t kind;
    uint8_t answer;
    uint32_t result;
  };
  for (const Row& row : {Row{"ShowMessage", 0, 1, 0}, Row{"NativeAskYesNo", 1, 1, 1}, Row{"NativeAskYesNo", 1, 0, 0},
                         Row{"AskOkCancel", 2, 1, 1}, Row{"AskOkCancel", 2, 0, 0}}) {
    for (uint8_t icon = 1; icon <= 4; ++icon) {
      SCOPED_TRACE(std::string(row.native) + " icon " + std::to_string(icon));
      answer_ = row.answer;
      asked_.clear();
      const NativeCall call = harness_.Call(row.native, {Arg::Text("Cap"), Arg::Text("Body"), Arg::Int(icon)});
      ASSERT_TRUE(call.Ran());
      EXPECT_EQ(call.result, row.result);
      ASSERT_EQ(asked_.size(), 1u);
      EXPECT_EQ(asked_[0].kind, row.kind);
      EXPECT_EQ(asked_[0].text, "Body");
      EXPECT_EQ(asked_[0].caption, std::optional<std::string>("Cap"));
      EXPECT_EQ(asked_[0].icon, icon);
    }
  }
  // A null caption leaves the title to the window.
  asked_.clear();
  harness_.Call("ShowMessage", {Arg::Int(0), Arg::Text("Body"), Arg::Int(2)});
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_FALSE(asked_[0].caption.has_value());
}

TEST_F(ShellNativesTest, DialogRequests) {
  answer_ = 1;
  EXPECT_EQ(harness_.Call("SendDialogRequest", {Arg::Int(1), Arg::Int(9), Arg::Text("Sure?")}).result, 1u);
  answer_ = 0;
  EXPECT_EQ(harness_.Call("SendDialogRequest", {Arg::Int(0), Arg::Int(0), Arg::Text("Note")}).result, 0u);
  ASSERT_EQ(asked_.size(), 2u);
  EXPECT_EQ(asked_[0].kind, 2);
  EXPECT_EQ(asked_[0].value, 9);
  EXPECT_EQ(asked_[1].kind, 0);
  // A null text sends nothing.
  answer_ = 1;
  EXPECT_EQ(harness_.Call("SendDialogRequest", {Arg::Int(1), Arg::Int(0), Arg::Int(0)}).result, 0u);
  EXPECT_EQ(asked_.size(), 2u);
}

TEST_F(ShellNativesTest, SystemFolders) {
  const std::filesystem::path home = folder_ / "home";
  struct Row {
    int32_t which;
    uint32_t result;
    std::filesystem::path folder;  // empty: the buffer stays
  };
  const std::vector<Row> present = {Row{1, 1, home / "Documents"}, Row{2, 1, home / "Pictures"},
                                    Row{3, 1, home / ".config"}, Row{4, 1, home / "Desktop"}};
  // A folder the player does not have is 0, and asking does not make it.
  for (const Row& row : present) {
    SCOPED_TRACE(row.which);
    std::filesystem::remove_all(row.folder);
    const NativeCall call = harness_.Call("GetSystemFolder", {Arg::Buffer(260, "untouched"), Arg::Int(row.which)});
    EXPECT_EQ(call.result, 0u);
    EXPECT_EQ(call.texts.at(0), "untouched");
    EXPECT_FALSE(std::filesystem::exists(row.folder));
    std::filesystem::create_directories(row.folder);
  }
  std::vector<Row> rows = {Row{0, 0, {}}, Row{5, 0, {}}, Row{-1, 0, {}}};
  rows.insert(rows.end(), present.begin(), present.end());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.which);
    const NativeCall call = harness_.Call("GetSystemFolder", {Arg::Buffer(260, "untouched"), Arg::Int(row.which)});
    EXPECT_EQ(call.result, row.result);
    if (row.folder.empty()) {
      EXPECT_EQ(call.texts.at(0), "untouched");
      continue;
    }
    const std::string text = call.texts.at(0);
    EXPECT_EQ(text, Internal(row.folder) + "\\");
    EXPECT_NE(text.substr(text.size() - 2), "\\\\");
  }
}

TEST_F(ShellNativesTest, ExportFileCopiesAGameFileToDisk) {
  {
    std::ofstream(folder_ / "source.bin", std::ios::binary) << "exported bytes";
  }
  // The export goes inside the game folder (each call boots its host there).
  const std::string savedBase = SetBaseFolderForTest(Internal(folder_) + "\\");
  const std::string source = Internal(folder_ / "source.bin");
  const std::string target = Internal(folder_ / "copy.bin");
  EXPECT_EQ(harness_.Call("ExportFile", {Arg::Text(source), Arg::Text(target)}).result, 0u);
  std::ifstream in(folder_ / "copy.bin", std::ios::binary);
  std::stringstream copied;
  copied << in.rdbuf();
  EXPECT_EQ(copied.str(), "exported bytes");
  EXPECT_EQ(harness_.Call("ExportFile", {Arg::Text(Internal(folder_ / "missing.bin")), Arg::Text(target)}).result,
            1u);
  EXPECT_EQ(harness_.Call("ExportFile", {Arg::Text(source), Arg::Text(Internal(folder_ / "no" / "dir" / "x"))}).result,
            2u);
  // A destination outside the game and save folders is refused.
  EXPECT_EQ(harness_.Call("ExportFile", {Arg::Text(source), Arg::Text(Internal(folder_ / ".." / "copy.bin"))}).result,
            2u);
  SetBaseFolderForTest(savedBase);
}

TEST_F(ShellNativesTest, DesktopRequestsAreRecordedAndChangeNothing) {
  using Kind = platform::DesktopShell::RequestKind;
  EXPECT_EQ(harness_.Call("ShellOpen", {Arg::Text("https://example.invalid/")}).result, 0u);
  // The folder window opens on a folder of the game's own.
  const std::string savedBase = SetBaseFolderForTest(Internal(folder_) + "\\");
  EXPECT_EQ(harness_.Call("OpenFolderWindow", {Arg::Text("saves")}).result, 0u);
  SetBaseFolderForTest(savedBase);
  for (const int32_t style : {1, 2}) {
    SCOPED_TRACE(style);
    EXPECT_EQ(harness_.Call("SetWallpaper", {Arg::Text("C:\\wall.bmp"), Arg::Int(style)}).result, 0u);
    EXPECT_EQ(shell_.ReadValue("Control Panel\\desktop", "TileWallpaper"), style == 1 ? "1" : "0");
    EXPECT_EQ(shell_.ReadValue("Control Panel\\desktop", "WallpaperStyle"), style == 2 ? "2" : "0");
  }
  EXPECT_EQ(harness_.Call("SetScreenSaver", {Arg::Text("saver.scr")}).result, 0u);
  EXPECT_EQ(shell_.ReadProfile("system.ini", "boot", "SCRNSAVE.EXE"), std::optional<std::string>("saver.scr"));
  EXPECT_EQ(harness_.Call("SetScreenSaver", {Arg::Int(0)}).result, 0u);
  EXPECT_FALSE(shell_.ReadProfile("system.ini", "boot", "SCRNSAVE.EXE").has_value());
  EXPECT_EQ(harness_.Call("StartScreenSaver", {}).result, 0u);
  std::vector<Kind> kinds;
  for (const auto& request : shell_.Requests()) kinds.push_back(request.kind);
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Open, Kind::Explore, Kind::SetWallpaper, Kind::SetWallpaper,
                                      Kind::ScreenSaverActive, Kind::ScreenSaverActive, Kind::StartScreenSaver}));
  EXPECT_EQ(shell_.Requests()[0].target, "https://example.invalid/");
  EXPECT_EQ(shell_.Requests()[1].target, Internal(folder_) + "\\saves");
}

// A desktop that keeps its wallpaper in gsettings, whose programs are only
// noted: the tester's own desktop is never changed.
class NotedDesktop : public platform::XdgDesktopShell {
 public:
  std::vector<std::vector<std::string>> ran;
  std::set<std::string> installed = {"gsettings", "xdg-screensaver"};

 protected:
  bool RunProgram(const std::vector<std::string>& args) override {
    ran.push_back(args);
    return true;
  }
  bool HasProgram(const std::string& name) override { return installed.count(name) != 0; }
};

class DesktopSettingsTest : public ShellNativesTest {
 protected:
  DesktopSettingsTest() : scopedDesktop_(desktop_) {
    previousLoaders_ = Surface::SetLoaderManager(&loaders_);
    loaders_.RegisterBuiltInDecoders();
    savedBase_ = SetBaseFolderForTest(Internal(folder_) + "\\");
    // A 2 x 2 picture, rows stored bottom-up: red, green over blue, white.
    tools::BmpFile bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.bitCount = 24;
    bmp.data = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0};
    const std::vector<uint8_t> bytes = tools::WriteBmpFile(bmp);
    std::ofstream(folder_ / "WALL.BMP", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              std::streamsize(bytes.size()));
    ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
  }
  ~DesktopSettingsTest() override {
    SetBaseFolderForTest(savedBase_);
    Surface::SetLoaderManager(previousLoaders_);
  }
  std::filesystem::path Written() { return folder_ / "home" / ".local" / "share" / "orrivel" / "wallpaper.png"; }
  uint32_t SetWallpaper(const std::string& file, int32_t style) {
    return harness_.Call("SetWallpaper", {Arg::Text(file), Arg::Int(style)}).result;
  }

  NotedDesktop desktop_;
  ImageLoaderManager loaders_;

 private:
  platform::ScopedDesktopShell scopedDesktop_;
  ImageLoaderManager* previousLoaders_ = nullptr;
  std::string savedBase_;
};

TEST_F(DesktopSettingsTest, TheWallpaperIsWrittenAsAPngAndGivenToTheDesktopsSetting) {
  const std::string picture = Written().string();
  const std::string uri = "'file://" + picture + "'";
  struct Row {
    int32_t style;
    const char* options;
  };
  for (const Row& row : {Row{0, "'centered'"}, Row{1, "'wallpaper'"}, Row{2, "'stretched'"}}) {
    SCOPED_TRACE(row.style);
    desktop_.ran.clear();
    EXPECT_EQ(SetWallpaper(Internal(folder_ / "WALL.BMP"), row.style), 1u);
    const std::string schema = "org.gnome.desktop.background";
    EXPECT_EQ(desktop_.ran, (std::vector<std::vector<std::string>>{
                                {"gsettings", "set", schema, "picture-options", row.options},
                                {"gsettings", "set", schema, "picture-uri", uri},
                                {"gsettings", "set", schema, "picture-uri-dark", uri}}));
  }
  tools::PngPicture png;
  std::string error;
  ASSERT_TRUE(tools::ReadPng(picture, &png, &error)) << error;
  ASSERT_EQ(png.width, 2u);
  ASSERT_EQ(png.height, 2u);
  std::vector<uint32_t> rgb;
  for (size_t i = 0; i + 3 < png.pixels.size(); i += 4) {
    rgb.push_back(uint32_t(png.pixels[i + 2]) << 16 | uint32_t(png.pixels[i + 1]) << 8 | png.pixels[i]);
  }
  EXPECT_EQ(rgb, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  // The style values are kept as before, for scripts that read them back.
  EXPECT_EQ(desktop_.ReadValue("Control Panel\\desktop", "WallpaperStyle"), std::optional<std::string>("2"));
}

TEST_F(DesktopSettingsTest, WithoutADesktopSettingOrAPictureNothingIsWrittenOrStarted) {
  struct Row {
    const char* desktop;
    bool gsettings;
    std::string file;
  };
  const std::string good = Internal(folder_ / "WALL.BMP");
  for (const Row& row : {Row{"KDE", true, good},                                 // keeps its wallpaper elsewhere
                         Row{"GNOME", false, good},                              // gsettings not installed
                         Row{"GNOME", true, Internal(folder_ / "MISSING.BMP")},  // no picture
                         Row{"GNOME", true, Internal(folder_ / ".." / "WALL.BMP")}}) {  // outside the game
    SCOPED_TRACE(std::string(row.desktop) + " " + row.file);
    ::setenv("XDG_CURRENT_DESKTOP", row.desktop, 1);
    desktop_.installed = row.gsettings ? std::set<std::string>{"gsettings"} : std::set<std::string>{};
    desktop_.ran.clear();
    EXPECT_EQ(SetWallpaper(row.file, 2), 0u);
    EXPECT_TRUE(desktop_.ran.empty());
    EXPECT_FALSE(std::filesystem::exists(Written()));
  }
}

TEST_F(DesktopSettingsTest, TheScreenSaverStartsThroughTheDesktopAndNoneIsInstalled) {
  EXPECT_EQ(harness_.Call("StartScreenSaver", {}).result, 0u);
  EXPECT_EQ(desktop_.ran, (std::vector<std::vector<std::string>>{{"xdg-screensaver", "activate"}}));
  desktop_.installed.clear();
  desktop_.ran.clear();
  EXPECT_EQ(harness_.Call("StartScreenSaver", {}).result, 0u);
  EXPECT_TRUE(desktop_.ran.empty());
  // Installing a screen-saver program is not offered: 0, and nothing runs.
  EXPECT_EQ(harness_.Call("SetScreenSaver", {Arg::Text("saver.scr")}).result, 0u);
  EXPECT_TRUE(desktop_.ran.empty());
}

}  // namespace
}  // namespace orrivel
