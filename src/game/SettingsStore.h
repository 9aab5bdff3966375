#pragma once
// The player's settings through the run: read at start-up from the game's
// files and the player's folder (chosen, and made on a first start, by the
// save-folder mode), written back at exit. The blocks live in `blocks`;
// the application base gets its own fields from them and gives them back
// before they are written.
//
// Save-folder modes (system block byte 21), and where they put the player's
// files on this system:
//   0  USER.CFG and saves in the documents folder (XDG user-dirs) / name
//   1  USER.CFG through the game's files; saves in the game's "SAVEDATA"
//   2  USER.CFG in the data folder / name; saves where the player chose
//   3  USER.CFG and saves in the data folder / name
//   4  as 3: there is no shared folder that players may write here
//   5  USER.CFG through the game's files, saves in the game folder, and
//      nothing is ever written
// Any other mode reads and writes USER.CFG in the data folder / name (the
// game's copy when that is missing) and saves in the game folder.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "game/AppSettings.h"

namespace orrivel {

class Application;

// The installation values have no registry here: every question is
// recorded and answered "not found".
class InstallRegistry {
 public:
  std::optional<std::vector<uint8_t>> Read(const std::string& key, const std::string& value) {
    requests_.push_back(key + "\\" + value);
    return std::nullopt;
  }
  const std::vector<std::string>& Requests() const { return requests_; }

 private:
  std::vector<std::string> requests_;
};

class SettingsStore {
 public:
  // Start-up codes of Load.
  enum : int { kSystemFileFailed = 1, kInfoFileFailed = 2, kUserConfigFailed = 3, kNoSaveFolder = 4 };
  static constexpr const char* kTempPrefix = "CFG";

  // The player's folder for a mode: the documents folder (mode 0) or the
  // data folder (others) followed by the name; internal form, without a
  // trailing separator. Nullopt when the user has no such folder.
  static std::optional<std::string> PlayerFolder(uint8_t mode, const std::string& name);

  // Reads VQ_APP.SYS, VQ_APP.INF, USER.CFG, APP_CFG.DAT and SET_UP.IFG
  // (after the archives are mounted), finds or makes the save folder and
  // gives the base its fields. 0, or a start-up code whose message was shown.
  // A damaged USER.CFG or APP_CFG.DAT of the player's is renamed with
  // ".damaged" beside it and the defaults take its place, with one message
  // that names it; the start goes on.
  int Load(Application& app);
  // Writes USER.CFG and APP_CFG.DAT (nothing in mode 5 or before Load
  // succeeded). False when a file could not be written (its message shown).
  bool Save(Application& app);

  AppSettings blocks;
  // The save folder in use, internal form with a trailing separator.
  std::string saveFolder;
  // Where USER.CFG was read from (an archive or loose name, or a full path).
  std::string userConfigPath;
  uint8_t installFlag = 0;
  std::string installSourcePath;
  InstallRegistry registry;
  bool loaded = false;
  // Writes a file whole; tests make it fail. Default: temp file + rename.
  std::function<bool(const std::string& path, std::span<const uint8_t> bytes)> writeFile;

 private:
  int ReadGameFiles(Application& app);
  // Makes the player's folder, or asks before settings go into an existing
  // one. 0, or kUserConfigFailed when the player refused.
  int PreparePlayerFolder(Application& app, const std::string& folder, bool settingsOnly);
  int ChooseSaveFolder(Application& app, bool* chosen);
  int BrowseForSaveFolder(Application& app, bool* chosen);
  void ReadInstallation();
  std::string UserConfigWritePath() const;
  // The USER.CFG that was read when it is the player's own loose file,
  // which a damaged one may be moved from; empty otherwise.
  std::string PlayerUserConfig() const;
  // A damaged settings file: moved aside when it is the player's
  // (`playerFile` non-empty) and noted for the start's one message.
  void SetAsideDamaged(const std::string& playerFile, const std::string& shownPath);
  void NoteDamaged(const std::string& path, const std::optional<std::string>& aside, bool setAsideFailed);
  // One message naming every damaged file, then the start goes on.
  void ShowDamagedFiles(Application& app);
  bool WriteFile(const std::string& path, std::span<const uint8_t> bytes);

  uint8_t mode_ = 5;
  uint8_t savedBoot1_ = 1;
  uint8_t savedBoot2_ = 1;
  // The game's USER.CFG, when a first start found it damaged and did not
  // copy it.
  std::string shippedDamaged_;
  std::vector<std::string> damagedNotes_;
};

}  // namespace orrivel
