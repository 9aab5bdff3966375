#pragma once
// The game's fixed description and the player's settings, as byte blocks
// in the layouts of their five files:
//   "SCRIPT\VQ_APP.SYS"  u16 n, then n bytes over the 23-byte system block;
//   "SCRIPT\VQ_APP.INF"  three version bytes, then five strings (u8 length
//                        counting the terminating zero, then the bytes);
//   "USER.CFG"           the user (72), window (14) and boot (17) blocks,
//                        each after its u16 size, then u16 n and the chosen
//                        save folder (n bytes with its zero, 0 for none);
//   "APP_CFG.DAT"        u32 size (196) and the application settings block;
//   "SET_UP.IFG"         "IFG1", u8 n, the installation key name, a per-user
//                        flag byte.
// All numbers are little-endian, all text CP932. The readers take (data,
// size), check every count against what is there and change nothing when
// they refuse a file; the writers give the bytes a reader takes back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orrivel {

class Application;

struct AppSettings {
  static constexpr size_t kSystemSize = 23;
  static constexpr size_t kUserSize = 72;
  static constexpr size_t kWindowSize = 14;
  static constexpr size_t kBootSize = 17;
  static constexpr size_t kAppConfigSize = 196;

  using SystemBlock = std::array<uint8_t, kSystemSize>;
  using UserBlock = std::array<uint8_t, kUserSize>;
  using WindowBlock = std::array<uint8_t, kWindowSize>;
  using BootBlock = std::array<uint8_t, kBootSize>;
  using AppConfigBlock = std::array<uint8_t, kAppConfigSize>;
  using InfoStrings = std::array<std::optional<std::string>, 5>;

  // Every block at its defaults.
  AppSettings();

  SystemBlock system;
  std::array<uint8_t, 3> version{1, 0, 0};
  // Title, product name, rights notice, web address, save-folder name.
  InfoStrings info;
  UserBlock user;
  WindowBlock window;
  BootBlock boot;
  // The folder the player chose (save-folder mode 2), internal form.
  std::optional<std::string> chosenFolder;
  AppConfigBlock appConfig;

  // Named places of the blocks that start-up and exit use.
  uint16_t GameWidth() const { return uint16_t(system[0] | system[1] << 8); }
  uint16_t GameHeight() const { return uint16_t(system[2] | system[3] << 8); }
  uint8_t RemovableMedia() const { return system[20]; }
  uint8_t SaveFolderMode() const { return system[21]; }
  void SetSaveFolderMode(uint8_t mode) { system[21] = mode; }
  // The folder the player's files go under: string 5, else the title and
  // " SaveData".
  std::string SaveFolderName() const;
};

// The default tables, byte for byte.
AppSettings::SystemBlock DefaultSystemBlock();
AppSettings::UserBlock DefaultUserBlock();
AppSettings::WindowBlock DefaultWindowBlock();
AppSettings::BootBlock DefaultBootBlock();
AppSettings::AppConfigBlock DefaultAppConfigBlock();

// Little-endian words inside a block.
uint32_t BlockU32(std::span<const uint8_t> block, size_t offset);
void SetBlockU32(std::span<uint8_t> block, size_t offset, uint32_t value);

// VQ_APP.SYS: 0, or 1 when the count or its bytes run past the file. A
// count above 23 copies 23 bytes and ignores the rest. Afterwards the
// window style is 0x00CB0000, the icon 103, a menu 101 and accelerators 102.
int ReadSystemFile(std::span<const uint8_t> file, AppSettings::SystemBlock& block);
// VQ_APP.INF: 0, or 2 when the file ends before the last string does.
int ReadInfoFile(std::span<const uint8_t> file, std::array<uint8_t, 3>& version, AppSettings::InfoStrings& info);
// USER.CFG: 0, or 3 when the file ends inside a block or before the folder.
// A block size above its block copies the block and skips the rest.
int ReadUserConfig(std::span<const uint8_t> file, AppSettings& settings);
// APP_CFG.DAT: copies at most 196 bytes, never more than the size word and
// the file hold; bytes it does not hold keep their values. False when not
// even the size word is there.
bool ReadAppConfig(std::span<const uint8_t> file, AppSettings::AppConfigBlock& block);

// Whether a player's settings file is whole as its writer leaves it: each
// count matches the bytes that follow and the file ends where the last
// field does. The readers above are lenient with counts; a file that fails
// these checks was cut or overwritten and its bytes are not settings.
bool IsWholeUserConfig(std::span<const uint8_t> file);
bool IsWholeAppConfig(std::span<const uint8_t> file);

// SET_UP.IFG's contents when it names an installation.
struct SetupInfo {
  std::string keyName;
  bool perUser = false;
};
// Nullopt for a short file, another magic, n = 0 or a name past the end.
std::optional<SetupInfo> ReadSetupFile(std::span<const uint8_t> file);

std::vector<uint8_t> EncodeUserConfig(const AppSettings& settings);
std::vector<uint8_t> EncodeAppConfig(const AppSettings::AppConfigBlock& block);
// The game's own files (for the tools and tests): count bytes of the block
// (the count written may be given apart from the bytes, to make bad files).
std::vector<uint8_t> EncodeSystemFile(const AppSettings::SystemBlock& block, size_t count = AppSettings::kSystemSize);
std::vector<uint8_t> EncodeInfoFile(const std::array<uint8_t, 3>& version, const AppSettings::InfoStrings& info);
std::vector<uint8_t> EncodeSetupFile(const SetupInfo& setup);

// The blocks and the application base's fields that hold them: the system
// block, the version bytes and strings, the user block's first 27 bytes and
// the window block go into the base; storing takes the user and window
// blocks back before they are written.
void LoadIntoApplication(const AppSettings& settings, Application& app);
void StoreFromApplication(const Application& app, AppSettings& settings);

}  // namespace orrivel
