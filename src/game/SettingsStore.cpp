#include "game/SettingsStore.h"

#include <algorithm>
#include <array>

#include "base/Application.h"
#include "base/FileDialog.h"
#include "platform/FileSystem.h"
#include "platform/MachineInfo.h"
#include "platform/PathResolver.h"
#include "platform/TextCodec.h"
#include "resource/BaseFolder.h"
#include "resource/WholeFile.h"

namespace orrivel {

using namespace platform;

namespace {

constexpr uint8_t kIconExclamation = Application::kIconExclamation;
constexpr uint8_t kIconQuestion = Application::kIconQuestion;
constexpr uint8_t kIconStop = Application::kIconStop;

// Special-folder numbers of the platform: the documents folder, and the
// player's data folder ($XDG_DATA_HOME). The data folder is chosen on
// purpose over 0x1A, which answers the configuration folder
// ($XDG_CONFIG_HOME) for the scripts' own special-folder requests: saves
// are the player's data, not configuration.
constexpr int kDocumentsFolder = 0x05;
constexpr int kDataFolder = 0x1C;

std::string Cp932(const char* utf8) { return Utf8ToCp932Lossy(utf8); }

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  return folder;
}

// "<folder>\nセーブデータ作成フォルダの作成に失敗しました。..."
void ShowCreationFailure(Application& app, const std::string& folder) {
  app.ShowMessageBox(folder + Cp932("\nセーブデータ作成フォルダの作成に失敗しました。\n"
                                    "セーブデータの作成、アプリケーション設定の保存を行うことができません。"),
                     kIconStop, kDesktopWindow);
}

std::string CreationQuestion(const std::string& folder, const std::string& title, bool settingsOnly) {
  if (settingsOnly) {
    return folder + Cp932("\nに、「") + title +
           Cp932("」の環境設定データを作成します。\n"
                 "作成する設定ファイルと同名のファイルが存在する場合、上書きされます。\nよろしいですか？");
  }
  return folder + Cp932("\nに、「") + title +
         Cp932("」のセーブデータを作成します。\n作成するセーブファイルと同名のファイルが存在する場合、\n"
               "上書きされる可能性があります。\nよろしいですか？");
}

void ShowMoveOrRename(Application& app, const std::string& folder, const std::string& title) {
  app.ShowMessageBox(folder + Cp932("\nを移動させるか名前を変更して、セーブデータを保存できる状態にしてから、\n「") +
                         title + Cp932("」を再度、実行して下さい。"),
                     kIconExclamation, kDesktopWindow);
}

bool FolderExists(const std::string& folder) {
  const std::optional<FileInfo> info = StatPath(folder);
  return info && info->isFolder;
}

constexpr const char* kDamagedSuffix = ".damaged";

bool LoadFile(const std::string& name, std::vector<uint8_t>* bytes) {
  try {
    return LoadWholeFile(name, bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// A file as the player finds it on this machine (UTF-8 turned back into
// the message's CP932), else as the engine names it.
std::string ShownPath(const std::string& internal) {
  const std::optional<std::string> host = ResolveHostPath(internal, ResolveMode::Create);
  return host ? Utf8ToCp932Lossy(*host) : internal;
}

// Beside the damaged file, under a name no earlier one took: the player's
// bytes stay on the disk for whoever wants to look at them.
std::optional<std::string> SetAside(const std::string& path) {
  for (int attempt = 1; attempt <= 99; ++attempt) {
    const std::string aside = path + kDamagedSuffix + (attempt == 1 ? std::string() : std::to_string(attempt));
    if (PathExists(aside)) continue;
    if (RenameFile(path, aside)) return aside;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SettingsStore::PlayerFolder(uint8_t mode, const std::string& name) {
  const std::optional<std::string> host = SpecialFolderHostPath(mode == 0 ? kDocumentsFolder : kDataFolder, true);
  if (!host) return std::nullopt;
  const std::optional<std::string> internal = ToInternalPath(*host);
  if (!internal) return std::nullopt;
  return WithSeparator(*internal) + name;
}

int SettingsStore::Load(Application& app) {
  loaded = false;
  shippedDamaged_.clear();
  damagedNotes_.clear();
  if (const int result = ReadGameFiles(app); result != 0) return result;
  const std::string title = app.GetTitle() ? app.GetTitle() : "";
  const std::string name = blocks.SaveFolderName();
  // 3. Removable media keep nothing beside the game.
  if (blocks.RemovableMedia() && blocks.SaveFolderMode() == 1) blocks.SetSaveFolderMode(0);
  mode_ = blocks.SaveFolderMode();
  app.reportInProgramFolder = mode_;

  // 4. The player's folder and the USER.CFG to read.
  std::optional<std::string> playerFolder;
  userConfigPath = "USER.CFG";
  if (mode_ == 0 || (mode_ >= 2 && mode_ <= 4)) {
    playerFolder = PlayerFolder(mode_, name);
    if (playerFolder) {
      if (const int result = PreparePlayerFolder(app, *playerFolder, mode_ == 2); result != 0) return result;
      userConfigPath = *playerFolder + "\\USER.CFG";
    }
  } else if (mode_ > 5) {
    // Read where exit writes it; the game's copy until the first exit.
    if (const std::optional<std::string> folder = PlayerFolder(3, name)) {
      if (PathExists(*folder + "\\USER.CFG")) userConfigPath = *folder + "\\USER.CFG";
    }
  }

  // 5. USER.CFG. A damaged one (or none, when the game's own was too
  // damaged to copy) gives way to the defaults.
  std::vector<uint8_t> bytes;
  // The game's own copy is named as the file in its folder.
  const std::string shown = userConfigPath == "USER.CFG" ? BaseFolder() + "USER.CFG" : userConfigPath;
  // An empty file reads as none; it is there all the same, and damaged.
  const bool userConfigThere = LoadFile(userConfigPath, &bytes) || PathExists(shown);
  bool userConfigHealed = false;
  if (userConfigThere && IsWholeUserConfig(bytes) && ReadUserConfig(bytes, blocks) == 0) {
    // The settings as the player left them.
  } else if (!userConfigThere && shippedDamaged_.empty()) {
    app.ShowMessageBox(Cp932("環境設定ファイルの読み込みに失敗"), kIconStop, kDesktopWindow);
    return kUserConfigFailed;
  } else {
    if (userConfigThere) SetAsideDamaged(PlayerUserConfig(), shown);
    else NoteDamaged(shippedDamaged_, std::nullopt, false);
    userConfigHealed = true;
  }
  // 6. Pacing may change boot bytes 1 and 2 for a while; exit writes these.
  savedBoot1_ = blocks.boot[1];
  savedBoot2_ = blocks.boot[2];

  // 7-8. The save folder. Mode 2 may ask the player for it next: a damaged
  // USER.CFG took the folder chosen before with it, so the player hears why
  // first, and hears of the file set aside even if the start ends there.
  if (mode_ == 2) ShowDamagedFiles(app);
  bool chosen = false;
  if (playerFolder && mode_ != 2) {
    saveFolder = *playerFolder;
  } else if (mode_ == 1) {
    saveFolder = BaseFolder() + "SAVEDATA";
    if (!FolderExists(saveFolder) && !CreateFolder(saveFolder)) ShowCreationFailure(app, saveFolder);
  } else if (mode_ == 2) {
    if (const int result = ChooseSaveFolder(app, &chosen); result != 0) return result;
  } else {
    saveFolder = BaseFolder();
  }
  saveFolder = WithSeparator(saveFolder);
  // The defaults go in at once where the damaged file was: a start that
  // ends before exit must not find the player's folder without settings.
  if (userConfigHealed && mode_ != 5) WriteFile(UserConfigWritePath(), EncodeUserConfig(blocks));

  // 9. The application settings, when the player has any yet.
  const std::string appConfigPath = saveFolder + "APP_CFG.DAT";
  bytes.clear();
  if (LoadFile(appConfigPath, &bytes) || PathExists(appConfigPath)) {
    if (IsWholeAppConfig(bytes)) ReadAppConfig(bytes, blocks.appConfig);
    else SetAsideDamaged(mode_ != 5 ? appConfigPath : std::string(), appConfigPath);
  }
  LoadIntoApplication(blocks, app);
  app.reportInProgramFolder = mode_;
  if (blocks.appConfig[158] && app.screenMode == 1) app.screenMode = 2;

  ShowDamagedFiles(app);

  // 10. The installation.
  ReadInstallation();
  loaded = true;
  // 11. A newly chosen folder is remembered at once.
  if (chosen) Save(app);
  // 12. Display choices left automatic.
  if (blocks.appConfig[156] == 0) blocks.appConfig[156] = 2;
  if (blocks.appConfig[160] == 0) blocks.appConfig[160] = 2;
  return 0;
}

int SettingsStore::ReadGameFiles(Application& app) {
  std::vector<uint8_t> bytes;
  if (!LoadFile("SCRIPT\\VQ_APP.SYS", &bytes) || ReadSystemFile(bytes, blocks.system) != 0) {
    app.ShowMessageBox(Cp932("アプリケーション設定ファイルの読み込みに失敗"), kIconStop, kDesktopWindow);
    return kSystemFileFailed;
  }
  if (!LoadFile("SCRIPT\\VQ_APP.INF", &bytes) || ReadInfoFile(bytes, blocks.version, blocks.info) != 0) {
    app.ShowMessageBox(Cp932("アプリケーション情報ファイルの読み込みに失敗"), kIconStop, kDesktopWindow);
    return kInfoFileFailed;
  }
  // The title names the boxes from here on.
  LoadIntoApplication(blocks, app);
  return 0;
}

int SettingsStore::PreparePlayerFolder(Application& app, const std::string& folder, bool settingsOnly) {
  const std::string settings = folder + "\\USER.CFG";
  if (FolderExists(folder)) {
    if (PathExists(settings)) return 0;
    const std::string title = app.GetTitle() ? app.GetTitle() : "";
    if (!app.AskYesNo(CreationQuestion(folder, title, settingsOnly), kIconQuestion, kDesktopWindow)) {
      ShowMoveOrRename(app, folder, title);
      return kUserConfigFailed;
    }
  } else if (!CreateFolder(folder)) {
    ShowCreationFailure(app, folder);
  }
  // The game's shipped settings are the player's first ones, unless they
  // are damaged: a copy would outlive any repair of the game.
  const std::string shipped = BaseFolder() + "USER.CFG";
  std::vector<uint8_t> bytes;
  if ((LoadFile(shipped, &bytes) || PathExists(shipped)) && !IsWholeUserConfig(bytes)) {
    shippedDamaged_ = shipped;
    return 0;
  }
  CopyFileData(shipped, settings, true);
  MakeWritable(settings);
  return 0;
}

int SettingsStore::ChooseSaveFolder(Application& app, bool* chosen) {
  const std::optional<std::string>& stored = blocks.chosenFolder;
  if (stored && !stored->empty()) {
    if (FolderExists(*stored)) {
      saveFolder = *stored;
      return 0;
    }
    const std::string question =
        *stored + Cp932("\nセーブデータ作成フォルダが見つかりません。\n新しくセーブデータ作成フォルダを設定しますか？");
    if (!app.AskYesNo(question, kIconQuestion, kDesktopWindow)) {
      app.ShowMessageBox(Cp932("セーブデータ作成フォルダがないため、起動できません。"), kIconExclamation,
                         kDesktopWindow);
      return kNoSaveFolder;
    }
  }
  return BrowseForSaveFolder(app, chosen);
}

int SettingsStore::BrowseForSaveFolder(Application& app, bool* chosen) {
  const std::string title = app.GetTitle() ? app.GetTitle() : "";
  const std::string caption = Cp932("「") + title + Cp932("」\nセーブデータ作成フォルダの選択");
  std::array<char, 260> documents{};
  std::array<char, 260> picked{};
  GetSpecialFolderPath(documents.data(), kDocumentsFolder);
  BrowseForFolder(kNoWindow, caption.c_str(), documents.data(), picked.data());
  const auto noFolder = [&] {
    app.ShowMessageBox(Cp932("セーブデータ作成フォルダがないため、起動できません。"), kIconExclamation, kDesktopWindow);
    return kNoSaveFolder;
  };
  if (picked[0] == '\0') return noFolder();
  const std::string folder = WithSeparator(picked.data()) + blocks.SaveFolderName();
  if (!FolderExists(folder)) {
    if (!CreateFolder(folder)) {
      ShowCreationFailure(app, folder);
      return noFolder();
    }
  } else if (!app.AskYesNo(CreationQuestion(folder, title, false), kIconQuestion, kDesktopWindow)) {
    ShowMoveOrRename(app, folder, title);
    return kNoSaveFolder;
  }
  blocks.chosenFolder = folder;
  saveFolder = folder;
  *chosen = true;
  return 0;
}

void SettingsStore::ReadInstallation() {
  installFlag = 0;
  installSourcePath.clear();
  std::vector<uint8_t> bytes;
  if (!LoadFile("SET_UP.IFG", &bytes)) return;
  const std::optional<SetupInfo> setup = ReadSetupFile(bytes);
  if (!setup) return;
  // No per-user hive here: the machine-wide road is the only one.
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + setup->keyName;
  if (const auto info = registry.Read(key, "TmbInstallInfo"); info && info->size() >= 2) installFlag = (*info)[1];
  if (const auto path = registry.Read(key, "TmbInstallSrcPath"))
    installSourcePath.assign(path->begin(), std::find(path->begin(), path->end(), uint8_t(0)));
}

std::string SettingsStore::PlayerUserConfig() const {
  // Mode 5 never writes, so it never moves the game's file either.
  if (mode_ == 5) return std::string();
  // Mode 1 writes back to the game's loose file; an archive's copy stays.
  if (mode_ == 1) {
    const std::string loose = BaseFolder() + "USER.CFG";
    return PathExists(loose) ? loose : std::string();
  }
  // The others read the player's own file by its full path, or the game's
  // copy (a mode above 5 before its first exit), which stays.
  return userConfigPath == "USER.CFG" ? std::string() : userConfigPath;
}

void SettingsStore::SetAsideDamaged(const std::string& playerFile, const std::string& shownPath) {
  if (playerFile.empty()) {
    NoteDamaged(shownPath, std::nullopt, false);
    return;
  }
  const std::optional<std::string> aside = SetAside(playerFile);
  NoteDamaged(playerFile, aside, !aside);
}

void SettingsStore::NoteDamaged(const std::string& path, const std::optional<std::string>& aside, bool setAsideFailed) {
  std::string note = ShownPath(path) + Cp932("\nが壊れているため、初期設定を使います。");
  if (aside) note += Cp932("\n壊れたファイルは\n") + ShownPath(*aside) + Cp932("\nとして残しました。");
  if (setAsideFailed) note += Cp932("\n壊れたファイルの名前を変更できませんでした。");
  damagedNotes_.push_back(std::move(note));
}

void SettingsStore::ShowDamagedFiles(Application& app) {
  if (damagedNotes_.empty()) return;
  std::string text;
  for (const std::string& note : damagedNotes_) text += (text.empty() ? "" : "\n\n") + note;
  damagedNotes_.clear();
  app.ShowMessageBox(text, kIconExclamation, kDesktopWindow);
}

std::string SettingsStore::UserConfigWritePath() const {
  if (mode_ == 0 || mode_ == 3 || mode_ == 4) return saveFolder + "USER.CFG";
  if (mode_ == 1) return BaseFolder() + "USER.CFG";
  const std::optional<std::string> folder = PlayerFolder(3, blocks.SaveFolderName());
  if (!folder) return std::string();
  if (!FolderExists(*folder)) CreateFolder(*folder);
  return *folder + "\\USER.CFG";
}

bool SettingsStore::WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  if (path.empty()) return false;
  if (writeFile) return writeFile(path, bytes);
  return ReplaceFileContents(path, bytes, kTempPrefix);
}

bool SettingsStore::Save(Application& app) {
  if (!loaded || mode_ == 5) return true;
  StoreFromApplication(app, blocks);
  blocks.boot[1] = savedBoot1_;
  blocks.boot[2] = savedBoot2_;
  if (blocks.appConfig[159] == 0) {
    SetBlockU32(blocks.window, 2, 0xFFFFFFFFu);
    SetBlockU32(blocks.window, 6, 0xFFFFFFFFu);
  }
  if (!WriteFile(UserConfigWritePath(), EncodeUserConfig(blocks))) {
    app.ShowMessageBox(Cp932("環境設定ファイルの保存に失敗"), kIconStop, kDesktopWindow);
    return false;
  }
  if (!WriteFile(saveFolder + "APP_CFG.DAT", EncodeAppConfig(blocks.appConfig))) {
    app.ShowMessageBox(Cp932("アプリケーション設定ファイルの保存に失敗"), kIconStop, kDesktopWindow);
    return false;
  }
  return true;
}

}  // namespace orrivel
