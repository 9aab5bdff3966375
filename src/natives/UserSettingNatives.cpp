#include <cstring>
#include <string>

#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"
#include "natives/ScriptTextFormat.h"
#include "natives/UserSettingMap.h"

namespace orrivel {

namespace {

constexpr uint32_t kSetUserSetting = 5;
constexpr uint32_t kGetUserSetting = 6;

constexpr uint32_t kWindowSizeGroup = 6;
constexpr uint32_t kWindowSizeIndex = 7;

uint32_t LoadU32(std::span<const uint8_t> block, size_t at) {
  return uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 |
         uint32_t(block[at + 3]) << 24;
}

void StoreU32(std::span<uint8_t> block, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) block[at + i] = uint8_t(value >> (8 * i));
}

std::string TextAt(std::span<const uint8_t> block, size_t at) {
  const char* text = reinterpret_cast<const char*>(block.data() + at);
  return std::string(text, strnlen(text, kUserSettingTextBytes - 1));
}

// The choice 0 (no preset), 1 (1024 x 576) or 2 (800 x 450): asks the
// screen device for the size, then asks for window mode again when the
// player sees a window that may change. 3 when that request fails.
uint32_t SetWindowSize(AppNativePort& app, size_t offset, uint32_t value) {
  if (value > 2) return uint32_t(-1);
  if (app.appConfig[offset] == value) return 0;
  if (app.requestWindowSize) {
    if (value == 1) app.requestWindowSize(1024, 576);
    else if (value == 2) app.requestWindowSize(800, 450);
    else app.requestWindowSize(0, 0);
  }
  app.appConfig[offset] = uint8_t(value);
  if (app.ScreenMode() == 2 && app.screenModeFacility != 0 && (app.Options() & AppNativePort::kOptionModeChange)) {
    // Asking for the mode the game is in changes nothing: the window is
    // switched again so that it takes the new size.
    const int result = app.reapplyWindowMode   ? app.reapplyWindowMode(app.ScreenDepth())
                       : app.requestScreenMode ? app.requestScreenMode(2, app.ScreenDepth())
                                               : 1;
    if (result != 0) {
      app.ScreenMode() = 2;
      app.pendingMode = 2;
      return 3;
    }
  }
  if (app.applyMenuState) app.applyMenuState();
  return 0;
}

uint32_t SetUserSetting(NativeArgs& args) {
  AppNativePort& app = AppPort();
  const uint32_t group = args.Cell(0);
  const uint32_t index = args.Cell(1);
  const uint32_t value = args.Cell(2);
  if (args.Failed() || group >= kUserSettingGroups) return 0;
  if (group == 0 && index == 7) return 1;
  const auto slot = FindUserSetting(group, index);
  if (!slot) return uint32_t(-1);
  if (group == kWindowSizeGroup && index == kWindowSizeIndex) return SetWindowSize(app, slot->offset, value);
  switch (slot->kind) {
    case UserSettingSlot::kByte: app.appConfig[slot->offset] = uint8_t(value); break;
    case UserSettingSlot::kU32: StoreU32(app.appConfig, slot->offset, value); break;
    case UserSettingSlot::kText: {
      const std::string text = args.String(2);
      if (args.Failed()) return 0;
      uint8_t* field = app.appConfig.data() + slot->offset;
      std::memset(field, 0, kUserSettingTextBytes);
      std::memcpy(field, text.data(), CharBoundary(text, kUserSettingTextBytes - 1));
      break;
    }
  }
  return 0;
}

uint32_t GetUserSetting(GameScriptHost& host, NativeArgs& args) {
  const AppNativePort& app = AppPort();
  const uint32_t group = args.Cell(0);
  const uint32_t index = args.Cell(1);
  const auto slot = args.Failed() ? std::nullopt : FindUserSetting(group, index);
  if (!slot) return 0;
  switch (slot->kind) {
    case UserSettingSlot::kByte: return app.appConfig[slot->offset];
    case UserSettingSlot::kU32: return LoadU32(app.appConfig, slot->offset);
    case UserSettingSlot::kText: return host.HostString("font face", TextAt(app.appConfig, slot->offset));
  }
  return 0;
}

}  // namespace

// The player's settings in the application settings block, by group and
// index.
void BindUserSettingNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kSetUserSetting, SetUserSetting);
  binder.Bind(kGetUserSetting, [&host](NativeArgs& args) { return GetUserSetting(host, args); });
}

}  // namespace orrivel
