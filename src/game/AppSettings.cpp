#include "game/AppSettings.h"

#include <algorithm>
#include <cstring>

#include "base/Application.h"
#include "platform/Messages.h"
#include "resource/ByteCursor.h"

namespace orrivel {

namespace {

constexpr uint32_t kForcedWindowStyle = 0x00CB0000u;
constexpr uint16_t kIconId = 103;
constexpr uint16_t kMenuId = 101;
constexpr uint16_t kAcceleratorId = 102;

uint16_t BlockU16(std::span<const uint8_t> block, size_t offset) {
  return uint16_t(block[offset] | block[offset + 1] << 8);
}

void SetBlockU16(std::span<uint8_t> block, size_t offset, uint16_t value) {
  block[offset] = uint8_t(value);
  block[offset + 1] = uint8_t(value >> 8);
}

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

template <size_t N>
void PutBlock(std::vector<uint8_t>& out, const std::array<uint8_t, N>& block) {
  PutU16(out, uint16_t(N));
  out.insert(out.end(), block.begin(), block.end());
}

// One sized block of USER.CFG: the size found in the file, never more
// than the block; what a larger size holds beyond the block is skipped.
template <size_t N>
bool ReadSizedBlock(ByteCursor& cursor, std::array<uint8_t, N>& block) {
  uint16_t size = 0;
  if (!cursor.ReadU16(&size) || size > cursor.Remaining()) return false;
  const size_t copied = std::min<size_t>(size, N);
  cursor.ReadBytes(block.data(), copied);
  cursor.Skip(size - copied);
  return true;
}

// The bytes up to the first zero (a string without one is taken whole).
std::string TextBefore0(const uint8_t* bytes, size_t count) {
  const uint8_t* end = std::find(bytes, bytes + count, uint8_t(0));
  return std::string(reinterpret_cast<const char*>(bytes), size_t(end - bytes));
}

}  // namespace

uint32_t BlockU32(std::span<const uint8_t> block, size_t offset) {
  return uint32_t(block[offset]) | uint32_t(block[offset + 1]) << 8 | uint32_t(block[offset + 2]) << 16 |
         uint32_t(block[offset + 3]) << 24;
}

void SetBlockU32(std::span<uint8_t> block, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) block[offset + i] = uint8_t(value >> (8 * i));
}

AppSettings::SystemBlock DefaultSystemBlock() {
  AppSettings::SystemBlock block{};
  SetBlockU16(block, 0, 640);
  SetBlockU16(block, 2, 480);
  SetBlockU32(block, 4, platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX);
  block[18] = 1;  // one running copy
  block[19] = 2;  // window and full screen
  block[20] = 0;
  block[21] = 1;  // save folder under the game folder
  block[22] = 1;
  return block;
}

AppSettings::UserBlock DefaultUserBlock() {
  AppSettings::UserBlock block{};
  for (size_t i : {1, 2, 3, 4, 5, 9, 10, 13, 17, 18, 20, 22, 23}) block[i] = 1;
  block[16] = 2;
  block[21] = 2;
  return block;
}

AppSettings::WindowBlock DefaultWindowBlock() {
  AppSettings::WindowBlock block{};
  block[1] = 3;
  SetBlockU32(block, 2, 0xFFFFFFFFu);
  SetBlockU32(block, 6, 0xFFFFFFFFu);
  block[10] = 1;
  return block;
}

AppSettings::BootBlock DefaultBootBlock() {
  AppSettings::BootBlock block{};
  for (size_t i : {1, 2, 4, 6, 7, 8, 9, 13, 14, 16}) block[i] = 1;
  SetBlockU16(block, 11, 512);
  return block;
}

AppSettings::AppConfigBlock DefaultAppConfigBlock() {
  AppSettings::AppConfigBlock block{};
  for (size_t i : {0, 4, 5, 7, 8, 9, 11, 13, 15, 16, 26, 30, 68, 73, 80, 82, 83, 84, 85, 86, 109, 130, 149, 153,
                   155, 159, 162, 163, 166, 167, 172, 173, 179, 181, 182, 183, 190, 191})
    block[i] = 1;
  SetBlockU32(block, 20, 750);
  block[25] = block[27] = 30;
  block[29] = 150;
  SetBlockU32(block, 32, 1000);
  // "ＭＳ ゴシック" in CP932, zero-terminated in its 32 bytes.
  static constexpr uint8_t kFace[] = {0x82, 0x6C, 0x82, 0x72, 0x20, 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E};
  std::memcpy(block.data() + 36, kFace, sizeof kFace);
  block[70] = 2;
  block[74] = 255;
  SetBlockU32(block, 76, 0x00106EA8u);
  SetBlockU32(block, 88, 256);
  SetBlockU32(block, 92, 150);
  SetBlockU32(block, 96, 160);
  SetBlockU32(block, 100, 170);
  SetBlockU32(block, 104, 256);
  block[113] = 65;
  // The keyboard keys of the actions 4 to 19 (scan codes).
  static constexpr uint8_t kKeys[16] = {44, 45, 30, 65, 66, 67, 68, 57, 50, 46, 210, 31, 14, 20, 201, 209};
  std::memcpy(block.data() + 114, kKeys, sizeof kKeys);
  SetBlockU32(block, 168, 256);
  block[174] = 2;
  block[178] = 5;
  block[192] = 5;
  return block;
}

AppSettings::AppSettings()
    : system(DefaultSystemBlock()),
      user(DefaultUserBlock()),
      window(DefaultWindowBlock()),
      boot(DefaultBootBlock()),
      appConfig(DefaultAppConfigBlock()) {}

std::string AppSettings::SaveFolderName() const {
  if (info[4]) return *info[4];
  return info[0].value_or("") + " SaveData";
}

int ReadSystemFile(std::span<const uint8_t> file, AppSettings::SystemBlock& block) {
  ByteCursor cursor(file.data(), file.size());
  uint16_t count = 0;
  if (!cursor.ReadU16(&count) || count > cursor.Remaining()) return 1;
  cursor.ReadBytes(block.data(), std::min<size_t>(count, block.size()));
  SetBlockU32(block, 4, kForcedWindowStyle);
  SetBlockU16(block, 12, kIconId);
  if (BlockU16(block, 14) != 0) SetBlockU16(block, 14, kMenuId);
  if (BlockU16(block, 16) != 0) SetBlockU16(block, 16, kAcceleratorId);
  return 0;
}

int ReadInfoFile(std::span<const uint8_t> file, std::array<uint8_t, 3>& version, AppSettings::InfoStrings& info) {
  ByteCursor cursor(file.data(), file.size());
  std::array<uint8_t, 3> readVersion{};
  if (!cursor.ReadBytes(readVersion.data(), readVersion.size())) return 2;
  AppSettings::InfoStrings strings;
  for (size_t i = 0; i < strings.size(); ++i) {
    uint8_t length = 0;
    if (!cursor.ReadU8(&length) || length > cursor.Remaining()) return 2;
    if (length != 0) strings[i] = TextBefore0(cursor.Here(), length);
    else if (i < 4) strings[i] = std::string();
    cursor.Skip(length);
  }
  version = readVersion;
  info = std::move(strings);
  return 0;
}

int ReadUserConfig(std::span<const uint8_t> file, AppSettings& settings) {
  ByteCursor cursor(file.data(), file.size());
  AppSettings::UserBlock user = settings.user;
  AppSettings::WindowBlock window = settings.window;
  AppSettings::BootBlock boot = settings.boot;
  if (!ReadSizedBlock(cursor, user) || !ReadSizedBlock(cursor, window) || !ReadSizedBlock(cursor, boot)) return 3;
  uint16_t length = 0;
  if (!cursor.ReadU16(&length) || length > cursor.Remaining()) return 3;
  settings.user = user;
  settings.window = window;
  settings.boot = boot;
  if (length != 0) settings.chosenFolder = TextBefore0(cursor.Here(), length);
  else settings.chosenFolder.reset();
  return 0;
}

bool ReadAppConfig(std::span<const uint8_t> file, AppSettings::AppConfigBlock& block) {
  ByteCursor cursor(file.data(), file.size());
  uint32_t size = 0;
  if (!cursor.ReadU32(&size)) return false;
  const uint64_t copied = std::min<uint64_t>({size, block.size(), cursor.Remaining()});
  cursor.ReadBytes(block.data(), copied);
  return true;
}

bool IsWholeUserConfig(std::span<const uint8_t> file) {
  ByteCursor cursor(file.data(), file.size());
  for (int block = 0; block < 3; ++block) {
    uint16_t size = 0;
    if (!cursor.ReadU16(&size) || size == 0 || size > cursor.Remaining()) return false;
    cursor.Skip(size);
  }
  uint16_t length = 0;
  if (!cursor.ReadU16(&length) || length > cursor.Remaining()) return false;
  // The folder, when there is one, is written with its zero.
  if (length != 0 && cursor.Here()[length - 1] != 0) return false;
  return cursor.Remaining() == length;
}

bool IsWholeAppConfig(std::span<const uint8_t> file) {
  ByteCursor cursor(file.data(), file.size());
  uint32_t size = 0;
  return cursor.ReadU32(&size) && size != 0 && size == cursor.Remaining();
}

std::optional<SetupInfo> ReadSetupFile(std::span<const uint8_t> file) {
  ByteCursor cursor(file.data(), file.size());
  char magic[4];
  uint8_t length = 0;
  if (!cursor.ReadBytes(magic, 4) || std::memcmp(magic, "IFG1", 4) != 0) return std::nullopt;
  if (!cursor.ReadU8(&length) || length == 0 || length > cursor.Remaining()) return std::nullopt;
  SetupInfo setup;
  setup.keyName.assign(reinterpret_cast<const char*>(cursor.Here()), length);
  cursor.Skip(length);
  uint8_t perUser = 0;
  if (!cursor.ReadU8(&perUser)) return std::nullopt;
  setup.perUser = perUser != 0;
  return setup;
}

std::vector<uint8_t> EncodeUserConfig(const AppSettings& settings) {
  std::vector<uint8_t> out;
  PutBlock(out, settings.user);
  PutBlock(out, settings.window);
  PutBlock(out, settings.boot);
  if (settings.chosenFolder) {
    const std::string& folder = *settings.chosenFolder;
    PutU16(out, uint16_t(folder.size() + 1));
    out.insert(out.end(), folder.begin(), folder.end());
    out.push_back(0);
  } else {
    PutU16(out, 0);
  }
  return out;
}

std::vector<uint8_t> EncodeAppConfig(const AppSettings::AppConfigBlock& block) {
  std::vector<uint8_t> out(4);
  SetBlockU32(out, 0, uint32_t(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  return out;
}

std::vector<uint8_t> EncodeSystemFile(const AppSettings::SystemBlock& block, size_t count) {
  std::vector<uint8_t> out;
  PutU16(out, uint16_t(count));
  out.insert(out.end(), block.begin(), block.begin() + std::min(count, block.size()));
  out.resize(2 + count, 0);
  return out;
}

std::vector<uint8_t> EncodeInfoFile(const std::array<uint8_t, 3>& version, const AppSettings::InfoStrings& info) {
  std::vector<uint8_t> out(version.begin(), version.end());
  for (const std::optional<std::string>& text : info) {
    if (!text || text->empty()) {
      out.push_back(0);
      continue;
    }
    const size_t length = std::min<size_t>(text->size(), 254);
    out.push_back(uint8_t(length + 1));
    out.insert(out.end(), text->begin(), text->begin() + std::ptrdiff_t(length));
    out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> EncodeSetupFile(const SetupInfo& setup) {
  std::vector<uint8_t> out{'I', 'F', 'G', '1'};
  const size_t length = std::min<size_t>(setup.keyName.size(), 255);
  out.push_back(uint8_t(length));
  out.insert(out.end(), setup.keyName.begin(), setup.keyName.begin() + std::ptrdiff_t(length));
  out.push_back(setup.perUser ? 1 : 0);
  return out;
}

// The user block's first 27 bytes are the base's settings bytes in this order.
namespace {

template <typename App, typename Visit>
void VisitUserBytes(App& app, Visit visit) {
  visit(0, app.threadMode);
  visit(1, app.allowCmov);
  visit(2, app.allowMmx);
  visit(3, app.allowSse);
  visit(4, app.allowSse2);
  visit(5, app.canvasMode);
  for (size_t i = 0; i < 4; ++i) visit(6 + i, app.extraSettingsA[i]);
  visit(10, app.useDirect3D);
  visit(11, app.useZBuffer);
  visit(12, app.fullScreenFlagB);
  visit(13, app.restoreDisplayOnActivate);
  visit(14, app.writeReport);
  visit(15, app.measureCpuClock);
  visit(16, app.inputMethod);
  visit(17, app.useJoystick);
  for (size_t i = 0; i < 6; ++i) visit(18 + i, app.extraSettingsB[i]);
  visit(24, app.suppressScreenSaver);
  visit(25, app.suppressPowerSaving);
  visit(26, app.keepSystemAwake);
}

}  // namespace

void LoadIntoApplication(const AppSettings& settings, Application& app) {
  const auto& system = settings.system;
  app.gameWidth = BlockU16(system, 0);
  app.gameHeight = BlockU16(system, 2);
  app.windowStyle = BlockU32(system, 4);
  app.windowExStyle = BlockU32(system, 8);
  app.iconId = BlockU16(system, 12);
  app.menuId = BlockU16(system, 14);
  app.acceleratorId = BlockU16(system, 16);
  app.singleInstance = system[18];
  app.screenModePolicy = system[19];
  app.allowRemovableStart = system[20];
  app.reportInProgramFolder = system[21];
  app.frameKind = system[22];
  app.versionMajor = settings.version[0];
  app.versionMinor = settings.version[1];
  app.versionLetter = settings.version[2];
  app.appInfo = settings.info;
  VisitUserBytes(app, [&](size_t offset, uint8_t& field) { field = settings.user[offset]; });
  const auto& window = settings.window;
  app.screenMode = window[0];
  app.screenDepth = window[1];
  app.savedWindowX = int32_t(BlockU32(window, 2));
  app.savedWindowY = int32_t(BlockU32(window, 6));
  app.centreCursorAfterModeChange = window[10] != 0;
  app.menuHoverDelay = BlockU16(window, 11);
  app.pauseWhenInactive = window[13] != 0;
}

void StoreFromApplication(const Application& app, AppSettings& settings) {
  VisitUserBytes(app, [&](size_t offset, const uint8_t& field) { settings.user[offset] = field; });
  auto& window = settings.window;
  window[0] = app.screenMode;
  window[1] = app.screenDepth;
  SetBlockU32(window, 2, uint32_t(app.savedWindowX));
  SetBlockU32(window, 6, uint32_t(app.savedWindowY));
  SetBlockU16(window, 11, app.menuHoverDelay);
  // Flag bytes the base keeps as yes/no: a stored non-zero value other than
  // 1 stays as it was while its meaning is unchanged.
  if ((window[10] != 0) != app.centreCursorAfterModeChange) window[10] = app.centreCursorAfterModeChange ? 1 : 0;
  if ((window[13] != 0) != app.pauseWhenInactive) window[13] = app.pauseWhenInactive ? 1 : 0;
}

}  // namespace orrivel
