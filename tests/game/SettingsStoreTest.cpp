// Where the player's settings and saves go for each save-folder mode, on a
// fake home folder, what a first start makes there, what the questions and
// refusals end with, and what exit writes back.
#include "game/SettingsStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/Application.h"
#include "platform/FileDialogs.h"
#include "platform/PathResolver.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Sets an environment variable (or removes it) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string Internal(const fs::path& host) { return *platform::ToInternalPath(host.string()); }

std::string Utf8(const std::string& cp932) { return platform::Cp932ToUtf8Lossy(cp932); }

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() : scoped_(backend_), dialogsScope_(dialogs_) {
    root_ = fs::temp_directory_path() / ("orrivel-settings-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter_++));
    game_ = root_ / "game";
    home_ = root_ / "home";
    fs::create_directories(game_);
    fs::create_directories(home_);
    savedBase_ = SetBaseFolderForTest(Internal(game_) + "\\");
    SetArchiveManager(&archives_);
    env_.emplace_back("HOME", home_.string());
    env_.emplace_back("XDG_DATA_HOME", std::nullopt);
    env_.emplace_back("XDG_CONFIG_HOME", std::nullopt);
  }
  ~SettingsStoreTest() override {
    SetArchiveManager(nullptr);
    SetBaseFolderForTest(savedBase_);
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }

  // The game's files for a mode; the shipped USER.CFG puts the game in a
  // window.
  void WriteGame(uint8_t mode, const std::function<void(AppSettings&)>& adjust = {}) {
    AppSettings settings;
    settings.SetSaveFolderMode(mode);
    settings.info[0] = "Game";
    settings.info[4] = "Saves";
    settings.window[0] = 2;
    if (adjust) adjust(settings);
    WriteFile(game_ / "script" / "VQ_APP.SYS", EncodeSystemFile(settings.system));
    WriteFile(game_ / "script" / "VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    WriteFile(game_ / "USER.CFG", EncodeUserConfig(settings));
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : backend_.MessageBoxes()) texts.push_back(Utf8(box.text));
    return texts;
  }

  platform::HeadlessBackend backend_;
  platform::ScriptedFileDialogs dialogs_;
  // The game's files are found through the archive manager (loose here).
  ArchiveManager archives_;
  fs::path root_, game_, home_;
  std::deque<ScopedEnv> env_;  // never moved: each restores its variable once

 private:
  platform::ScopedBackend scoped_;
  platform::ScopedFileDialogs dialogsScope_;
  std::string savedBase_;
  static inline int counter_ = 0;
};

// Every mode, with the data folder given and left to its default.
TEST_F(SettingsStoreTest, ModesPlaceTheSettingsAndTheSaves) {
  struct Case {
    uint8_t mode;
    const char* settingsFolder;  // relative to root_; "" for none written
    const char* saveFolder;
  };
  for (const bool dataHomeSet : {false, true}) {
    const std::string data = dataHomeSet ? "xdg-data" : "home/.local/share";
    const std::string docs = dataHomeSet ? "home/Papers" : "home/Documents";
    const std::string chosen = "picked/Saves";
    const Case cases[] = {
        {0, "", ""}, {1, "game", "game/SAVEDATA"}, {2, "", ""}, {3, "", ""}, {4, "", ""}, {5, "", "game"}, {6, "", "game"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.mode) + (dataHomeSet ? " with XDG" : " without XDG"));
      fs::remove_all(root_ / "xdg-data");
      fs::remove_all(home_);
      fs::create_directories(home_);
      std::optional<ScopedEnv> dataHome;
      if (dataHomeSet) {
        dataHome.emplace("XDG_DATA_HOME", (root_ / "xdg-data").string());
        WriteFile(home_ / ".config" / "user-dirs.dirs", Bytes{});
        std::ofstream(home_ / ".config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
      }
      WriteGame(c.mode);
      fs::remove_all(game_ / "SAVEDATA");
      fs::remove(game_ / "APP_CFG.DAT");
      fs::create_directories(root_ / "picked");
      if (c.mode == 2) dialogs_.QueueAnswer(platform::FileDialogAnswer{true, Internal(root_ / "picked"), 0});

      std::string settingsFolder = c.settingsFolder;
      std::string saveFolder = c.saveFolder;
      if (c.mode == 0) settingsFolder = saveFolder = docs + "/Saves";
      if (c.mode == 2) settingsFolder = data + "/Saves", saveFolder = chosen;
      if (c.mode == 3 || c.mode == 4) settingsFolder = saveFolder = data + "/Saves";

      Application app;
      SettingsStore store;
      ASSERT_EQ(store.Load(app), 0) << (Messages().empty() ? "" : Messages().back());
      EXPECT_EQ(Utf8(store.saveFolder), Utf8(Internal(root_ / saveFolder) + "\\"));
      EXPECT_TRUE(fs::is_directory(root_ / saveFolder));
      // The shipped settings are the ones read, wherever they were copied.
      EXPECT_EQ(app.screenMode, 2);
      // Mode 2 writes its new folder into them at once.
      if (!settingsFolder.empty() && c.mode != 2)
        EXPECT_EQ(ReadFile(root_ / settingsFolder / "USER.CFG"), ReadFile(game_ / "USER.CFG"));

      app.screenMode = 1;
      ASSERT_TRUE(store.Save(app));
      std::string written = settingsFolder;
      if (c.mode == 6) written = data + "/Saves";
      if (c.mode == 5) {
        EXPECT_FALSE(fs::exists(game_ / "APP_CFG.DAT"));
        continue;
      }
      AppSettings back;
      ASSERT_EQ(ReadUserConfig(ReadFile(root_ / written / "USER.CFG"), back), 0);
      EXPECT_EQ(back.window[0], 1);
      EXPECT_EQ(ReadFile(root_ / saveFolder / "APP_CFG.DAT"), EncodeAppConfig(store.blocks.appConfig));
      if (c.mode == 2) EXPECT_EQ(back.chosenFolder, Internal(root_ / chosen));
    }
  }
}

// Mode 6 reads the settings back from where its exit wrote them.
TEST_F(SettingsStoreTest, AModeAboveFiveReadsWhereItWrites) {
  WriteGame(6);
  {
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    app.screenMode = 1;
    ASSERT_TRUE(store.Save(app));
  }
  Application app;
  SettingsStore store;
  ASSERT_EQ(store.Load(app), 0);
  EXPECT_EQ(app.screenMode, 1);
  EXPECT_EQ(Utf8(store.userConfigPath), Utf8(Internal(home_ / ".local/share/Saves/USER.CFG")));
}

TEST_F(SettingsStoreTest, RefusalsEndTheStartWithTheirCodes) {
  const std::string folder = Internal(home_ / ".local/share/Saves");
  struct Case {
    const char* name;
    std::function<void()> prepare;
    int code;
    const char* message;  // the last message, "%F" standing for the folder
  };
  const Case cases[] = {
      {"no VQ_APP.SYS", [&] { fs::remove(game_ / "script" / "VQ_APP.SYS"); }, 1,
       "アプリケーション設定ファイルの読み込みに失敗"},
      {"VQ_APP.INF string past the end",
       [&] {
         Bytes inf = ReadFile(game_ / "script" / "VQ_APP.INF");
         inf[3] = 250;
         WriteFile(game_ / "script" / "VQ_APP.INF", inf);
       },
       2, "アプリケーション情報ファイルの読み込みに失敗"},
      {"USER.CFG missing",
       [&] {
         WriteGame(1);
         fs::remove(game_ / "USER.CFG");
       },
       3, "環境設定ファイルの読み込みに失敗"},
      {"mode 3, existing folder refused",
       [&] {
         WriteGame(3);
         fs::create_directories(home_ / ".local/share/Saves");
         backend_.QueueMessageBoxAnswer(platform::IDNO);
       },
       3, "%F\nを移動させるか名前を変更して、セーブデータを保存できる状態にしてから、\n「Game」を再度、実行して下さい。"},
      {"mode 2, browser cancelled", [&] { WriteGame(2); }, 4, "セーブデータ作成フォルダがないため、起動できません。"},
      {"mode 2, stored folder gone, no new one",
       [&] {
         WriteGame(2, [&](AppSettings& s) { s.chosenFolder = Internal(root_ / "gone"); });
         backend_.QueueMessageBoxAnswer(platform::IDNO);
       },
       4, "セーブデータ作成フォルダがないため、起動できません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(home_ / ".local");
    WriteGame(5);
    c.prepare();
    Application app;
    SettingsStore store;
    EXPECT_EQ(store.Load(app), c.code);
    std::string expected = c.message;
    if (const size_t at = expected.find("%F"); at != std::string::npos) expected.replace(at, 2, Utf8(folder));
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), expected);
    EXPECT_EQ(backend_.MessageBoxes().back().owner, platform::kDesktopWindow);
    EXPECT_FALSE(store.loaded);
  }
}

// A first start into an existing folder asks first; yes copies the shipped
// settings. Mode 2's question names the settings, the others the saves.
TEST_F(SettingsStoreTest, AnExistingFolderIsUsedAfterTheQuestion) {
  struct Case {
    uint8_t mode;
    const char* question;  // after the folder
  };
  const Case cases[] = {
      {3, "\nに、「Game」のセーブデータを作成します。\n作成するセーブファイルと同名のファイルが存在する場合、\n"
          "上書きされる可能性があります。\nよろしいですか？"},
      {2, "\nに、「Game」の環境設定データを作成します。\n作成する設定ファイルと同名のファイルが存在する場合、"
          "上書きされます。\nよろしいですか？"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    fs::remove_all(home_ / ".local");
    WriteGame(c.mode);
    fs::create_directories(home_ / ".local/share/Saves");
    if (c.mode == 2) {
      fs::create_directories(root_ / "picked");
      dialogs_.QueueAnswer(platform::FileDialogAnswer{true, Internal(root_ / "picked"), 0});
    }
    const size_t before = Messages().size();
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    ASSERT_EQ(Messages().size(), before + 1);
    EXPECT_EQ(Messages().back(), Utf8(Internal(home_ / ".local/share/Saves")) + c.question);
    EXPECT_TRUE(fs::exists(home_ / ".local/share/Saves/USER.CFG"));
  }
}

// The installation file is still read: a valid one asks the registry
// stand-in, which knows nothing, so the game counts as not installed.
TEST_F(SettingsStoreTest, TheInstallationFileAsksTheRegistryStandIn) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GameSetup\\";
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present);
    WriteGame(5);
    fs::remove(game_ / "SET_UP.IFG");
    if (present) WriteFile(game_ / "SET_UP.IFG", EncodeSetupFile(SetupInfo{"GameSetup", false}));
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    const std::vector<std::string> expected =
        present ? std::vector<std::string>{key + "TmbInstallInfo", key + "TmbInstallSrcPath"}
                : std::vector<std::string>{};
    EXPECT_EQ(store.registry.Requests(), expected);
    EXPECT_EQ(store.installFlag, 0);
    EXPECT_TRUE(store.installSourcePath.empty());
  }
}

// Mode 1 with a game folder given: the settings in that folder, the saves
// under it; removable media turn mode 1 into mode 0.
TEST_F(SettingsStoreTest, ModeOneKeepsEverythingBesideTheGame) {
  WriteGame(1);
  {
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    EXPECT_EQ(Utf8(store.saveFolder), Utf8(Internal(game_ / "SAVEDATA") + "\\"));
    app.screenMode = 1;
    ASSERT_TRUE(store.Save(app));
    AppSettings back;
    ASSERT_EQ(ReadUserConfig(ReadFile(game_ / "USER.CFG"), back), 0);
    EXPECT_EQ(back.window[0], 1);
    EXPECT_TRUE(fs::exists(game_ / "SAVEDATA" / "APP_CFG.DAT"));
  }
  WriteGame(1, [](AppSettings& s) { s.system[20] = 1; });
  Application app;
  SettingsStore store;
  ASSERT_EQ(store.Load(app), 0);
  EXPECT_EQ(Utf8(store.saveFolder), Utf8(Internal(home_ / "Documents" / "Saves") + "\\"));
}

// A damaged USER.CFG where each mode reads it: the player's own file is
// moved aside and replaced by the defaults at once; the game's copy is
// never moved (mode 5 writes nothing, a mode above 5 writes the player's
// copy instead); one message names the file.
TEST_F(SettingsStoreTest, ADamagedUserConfigGivesWayToTheDefaults) {
  struct Case {
    uint8_t mode;
    const char* damaged;   // relative to root_
    const char* setAside;  // relative to root_; "" when the file stays
    const char* written;   // the defaults written at once; "" for none
  };
  const Case cases[] = {
      {1, "game/USER.CFG", "game/USER.CFG.damaged", "game/USER.CFG"},
      {3, "home/.local/share/Saves/USER.CFG", "home/.local/share/Saves/USER.CFG.damaged",
       "home/.local/share/Saves/USER.CFG"},
      {5, "game/USER.CFG", "", ""},
      {6, "game/USER.CFG", "", "home/.local/share/Saves/USER.CFG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    fs::remove_all(home_ / ".local");
    WriteGame(c.mode);
    if (c.mode == 3) WriteFile(home_ / ".local/share/Saves/USER.CFG", ReadFile(game_ / "USER.CFG"));
    const Bytes damaged = {0x48, 0, 1, 2, 3};
    WriteFile(root_ / c.damaged, damaged);
    const size_t before = Messages().size();
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    EXPECT_TRUE(store.loaded);
    // The defaults, not the shipped window choice.
    EXPECT_EQ(store.blocks.window, DefaultWindowBlock());
    ASSERT_EQ(Messages().size(), before + 1);
    EXPECT_EQ(backend_.MessageBoxes().back().owner, platform::kDesktopWindow);
    std::string expected = (root_ / c.damaged).string() + "\nが壊れているため、初期設定を使います。";
    if (*c.setAside) expected += "\n壊れたファイルは\n" + (root_ / c.setAside).string() + "\nとして残しました。";
    EXPECT_EQ(Messages().back(), expected);
    if (*c.setAside) EXPECT_EQ(ReadFile(root_ / c.setAside), damaged);
    else EXPECT_EQ(ReadFile(root_ / c.damaged), damaged);
    if (*c.written) EXPECT_EQ(ReadFile(root_ / c.written), EncodeUserConfig(AppSettings()));
    std::error_code ignored;
    fs::remove(root_ / "game/USER.CFG.damaged", ignored);
  }
}

// Mode 2 keeps the chosen save folder in USER.CFG: when that file is
// damaged, the player is told before being asked for a folder again, and
// still told when the start then ends for want of one.
TEST_F(SettingsStoreTest, ADamagedUserConfigIsToldBeforeTheFolderIsAskedFor) {
  // Counts the message boxes shown when the folder browser opens.
  struct CountingDialogs : platform::FileDialogService {
    const platform::HeadlessBackend* backend = nullptr;
    std::optional<platform::FileDialogAnswer> answer;
    std::optional<size_t> boxesBefore;
    platform::FileDialogAnswer Show(const platform::FileDialogRequest&) override {
      boxesBefore = backend->MessageBoxes().size();
      return answer ? *answer : platform::FileDialogAnswer{};
    }
  };
  const fs::path userConfig = home_ / ".local/share/Saves/USER.CFG";
  const std::string note = userConfig.string() + "\nが壊れているため、初期設定を使います。\n壊れたファイルは\n" +
                           userConfig.string() + ".damaged\nとして残しました。";
  for (const bool picked : {true, false}) {
    SCOPED_TRACE(picked ? "a folder picked" : "the browser cancelled");
    fs::remove_all(home_ / ".local");
    WriteGame(2, [&](AppSettings& s) { s.chosenFolder = Internal(root_ / "picked"); });
    fs::create_directories(root_ / "picked");
    WriteFile(userConfig, {0x48, 0, 1, 2, 3});
    CountingDialogs dialogs;
    dialogs.backend = &backend_;
    if (picked) dialogs.answer = platform::FileDialogAnswer{true, Internal(root_ / "picked"), 0};
    const platform::ScopedFileDialogs scope(dialogs);
    const size_t before = Messages().size();
    Application app;
    SettingsStore store;
    EXPECT_EQ(store.Load(app), picked ? 0 : 4);
    ASSERT_TRUE(dialogs.boxesBefore) << "the folder was not asked for";
    EXPECT_EQ(*dialogs.boxesBefore, before + 1);
    const std::vector<std::string> all = Messages();
    const std::vector<std::string> shown(all.begin() + ptrdiff_t(before), all.end());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), note);
    if (picked) EXPECT_EQ(shown.size(), 1u);
    else EXPECT_EQ(shown.back(), "セーブデータ作成フォルダがないため、起動できません。");
  }
}

// A second damaged file is set aside under a name of its own: the first
// one's bytes are not overwritten. A damaged APP_CFG.DAT goes the same way
// and its defaults stay.
TEST_F(SettingsStoreTest, EachDamagedFileIsKeptUnderANameOfItsOwn) {
  WriteGame(3);
  const fs::path folder = home_ / ".local/share/Saves";
  WriteFile(folder / "USER.CFG", ReadFile(game_ / "USER.CFG"));
  for (const char* kept : {"APP_CFG.DAT.damaged", "APP_CFG.DAT.damaged2"}) {
    Bytes appConfig = EncodeAppConfig(AppSettings().appConfig);
    appConfig.resize(150);
    WriteFile(folder / "APP_CFG.DAT", appConfig);
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    // The defaults, with the display choices a start settles.
    AppSettings::AppConfigBlock expected = DefaultAppConfigBlock();
    expected[156] = expected[160] = 2;
    EXPECT_EQ(store.blocks.appConfig, expected);
    EXPECT_EQ(ReadFile(folder / kept), appConfig);
  }
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(SettingsStoreTest, ExitWritesWhatWasReadAndTheSavedPacing) {
  WriteGame(3);
  Application app;
  SettingsStore store;
  ASSERT_EQ(store.Load(app), 0);
  const fs::path folder = home_ / ".local/share/Saves";
  const Bytes shipped = ReadFile(folder / "USER.CFG");
  // Nothing changed: both files as they were read (APP_CFG.DAT as the
  // defaults, with the automatic display choices settled).
  ASSERT_TRUE(store.Save(app));
  EXPECT_EQ(ReadFile(folder / "USER.CFG"), shipped);
  AppSettings::AppConfigBlock expected = DefaultAppConfigBlock();
  expected[156] = expected[160] = 2;
  EXPECT_EQ(ReadFile(folder / "APP_CFG.DAT"), EncodeAppConfig(expected));
  {
    Application again;
    SettingsStore reread;
    ASSERT_EQ(reread.Load(again), 0);
    ASSERT_TRUE(reread.Save(again));
    EXPECT_EQ(ReadFile(folder / "USER.CFG"), shipped);
    EXPECT_EQ(ReadFile(folder / "APP_CFG.DAT"), EncodeAppConfig(expected));
  }
  // Pacing bytes changed for a while are stored with their start values;
  // without "remember the position" the window is centred next time.
  store.blocks.boot[1] = 2;
  store.blocks.boot[2] = 0;
  app.savedWindowX = 100;
  app.savedWindowY = 50;
  store.blocks.appConfig[159] = 0;
  ASSERT_TRUE(store.Save(app));
  AppSettings back;
  ASSERT_EQ(ReadUserConfig(ReadFile(folder / "USER.CFG"), back), 0);
  EXPECT_EQ(back.boot[1], 1);
  EXPECT_EQ(back.boot[2], 1);
  EXPECT_EQ(int32_t(BlockU32(back.window, 2)), -1);
  EXPECT_EQ(int32_t(BlockU32(back.window, 6)), -1);
  store.blocks.appConfig[159] = 1;
  ASSERT_TRUE(store.Save(app));
  ASSERT_EQ(ReadUserConfig(ReadFile(folder / "USER.CFG"), back), 0);
  EXPECT_EQ(int32_t(BlockU32(back.window, 2)), 100);
}

// A write that fails leaves the previous files and says which one failed.
TEST_F(SettingsStoreTest, FailedWritesKeepThePreviousFiles) {
  WriteGame(3);
  Application app;
  SettingsStore store;
  ASSERT_EQ(store.Load(app), 0);
  ASSERT_TRUE(store.Save(app));
  const fs::path folder = home_ / ".local/share/Saves";
  const Bytes user = ReadFile(folder / "USER.CFG");
  const Bytes config = ReadFile(folder / "APP_CFG.DAT");
  app.screenMode = 1;
  store.blocks.appConfig[3] = 9;

  // USER.CFG itself made read-only is not replaced, whoever runs the game
  // (root too); then a write that fails at its last step (the rename).
  // Either way nothing is written and both previous files stay whole.
  const auto expectUserConfigFailureKeepsBoth = [&] {
    EXPECT_FALSE(store.Save(app));
    EXPECT_EQ(Messages().back(), "環境設定ファイルの保存に失敗");
    EXPECT_EQ(ReadFile(folder / "USER.CFG"), user);
    EXPECT_EQ(ReadFile(folder / "APP_CFG.DAT"), config);
  };
  fs::permissions(folder / "USER.CFG", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  expectUserConfigFailureKeepsBoth();
  fs::permissions(folder / "USER.CFG", fs::perms::owner_write, fs::perm_options::add);
  store.writeFile = [](const std::string& path, std::span<const uint8_t>) {
    return path.find("USER.CFG") == std::string::npos;
  };
  expectUserConfigFailureKeepsBoth();
  store.writeFile = nullptr;

  // A read-only folder (root may write anyway: then only the files matter).
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const bool denied = ::access(folder.c_str(), W_OK) != 0;
  const bool saved = store.Save(app);
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
  if (denied) {
    EXPECT_FALSE(saved);
    EXPECT_EQ(Messages().back(), "環境設定ファイルの保存に失敗");
    EXPECT_EQ(ReadFile(folder / "USER.CFG"), user);
    EXPECT_EQ(ReadFile(folder / "APP_CFG.DAT"), config);
  }
  // The rename of the second file fails.
  ASSERT_TRUE(store.Save(app));
  const Bytes newUser = ReadFile(folder / "USER.CFG");
  store.blocks.appConfig[3] = 10;
  store.writeFile = [](const std::string& path, std::span<const uint8_t>) {
    return path.find("APP_CFG") == std::string::npos;
  };
  EXPECT_FALSE(store.Save(app));
  EXPECT_EQ(Messages().back(), "アプリケーション設定ファイルの保存に失敗");
  EXPECT_EQ(ReadFile(folder / "APP_CFG.DAT")[4 + 3], 9);
}

// Writes killed at any moment always leave files that the next start reads.
TEST_F(SettingsStoreTest, KilledWritesLeaveReadableFiles) {
  WriteGame(3);
  {
    Application app;
    SettingsStore store;
    ASSERT_EQ(store.Load(app), 0);
    ASSERT_TRUE(store.Save(app));
  }
  const fs::path folder = home_ / ".local/share/Saves";
  std::mt19937 random(12345);
  for (int round = 0; round < 6; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Application app;
      SettingsStore store;
      if (store.Load(app) != 0) ::_exit(3);
      for (uint32_t i = 0;; ++i) {
        store.blocks.appConfig[3] = uint8_t(i);
        store.blocks.user[40] = uint8_t(i);
        store.Save(app);
      }
    }
    ::usleep(useconds_t(2000 + random() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    AppSettings read;
    EXPECT_EQ(ReadUserConfig(ReadFile(folder / "USER.CFG"), read), 0) << round;
    const Bytes config = ReadFile(folder / "APP_CFG.DAT");
    EXPECT_EQ(config.size(), 200u) << round;
    Application app;
    SettingsStore store;
    EXPECT_EQ(store.Load(app), 0) << round;
  }
}

}  // namespace
}  // namespace orrivel
