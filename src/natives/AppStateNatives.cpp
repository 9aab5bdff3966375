#include <string>

#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"
#include "natives/UserSettingMap.h"
#include "text/FontSettings.h"

namespace orrivel {

namespace {

constexpr uint32_t kSetScreenModeOption = 0;
constexpr uint32_t kSetAppOption = 1;
constexpr uint32_t kGetAppOption = 2;
constexpr uint32_t kGetAppState = 3;
constexpr uint32_t kGetAppString = 4;
constexpr uint32_t kApplyMessageSettings = 9;
constexpr uint32_t kChangeScreenMode = 10;
constexpr uint32_t kSetAppFlagA = 11;
constexpr uint32_t kBeginForcedVSync = 12;
constexpr uint32_t kEndForcedVSync = 13;
constexpr uint32_t kBeginMillisecondPacing = 14;
constexpr uint32_t kEndMillisecondPacing = 15;
constexpr uint32_t kEnterLowPriority = 16;
constexpr uint32_t kLeaveLowPriority = 17;
constexpr uint32_t kApplyFramePacing = 18;
constexpr uint32_t kGetAppWord = 19;
constexpr uint32_t kSetAppFlagB = 20;
constexpr uint32_t kRunMenuCommand = 21;
constexpr uint32_t kGetModalState = 22;
constexpr uint32_t kTakeAppRequestFlag = 35;

constexpr char kAppGuid[] = "{3C7D51A0-8E2B-4F6A-9D14-B0C2E5F7A983}";
// "画面モード変更設定に失敗" in CP932.
constexpr char kModeSetupFailed[] =
    "\x89\xe6\x96\xca\x83\x82\x81\x5b\x83\x68\x95\xcf\x8d\x58\x90\xdd\x92\xe8\x82\xc9\x8e\xb8\x94\x73";

// Window-block and boot-block fields of natives 1 and 2.
constexpr size_t kWindowByte10 = 10;
constexpr size_t kWindowInactiveStop = 13;
constexpr size_t kWindowWord11 = 11;
constexpr size_t kBootCatchUp = 5;
constexpr size_t kBootMovies = 7;
constexpr size_t kBootByte9 = 9;
constexpr size_t kBootGlyphCache = 11;
constexpr size_t kBootByte14 = 14;
constexpr size_t kUserByte16 = 16;
constexpr size_t kWindowByte1 = 1;

uint16_t Word16At(std::span<const uint8_t> block, size_t at) { return uint16_t(block[at] | block[at + 1] << 8); }
void SetWord16At(std::span<uint8_t> block, size_t at, uint16_t value) {
  block[at] = uint8_t(value);
  block[at + 1] = uint8_t(value >> 8);
}

int Call(const std::function<int()>& operation) { return operation ? operation() : 0; }

void ApplyMenuState(AppNativePort& app) {
  if (app.applyMenuState) app.applyMenuState();
}

void SetScreenModeOption(AppNativePort& app, int32_t kind, int32_t value) {
  if (kind == 0) {
    if (app.screenModeFacility == 0) return;
    if (value != 0) app.Options() |= AppNativePort::kOptionModeChange;
    else app.Options() &= uint8_t(~AppNativePort::kOptionModeChange);
    ApplyMenuState(app);
  } else if (kind == 1) {
    app.Options() = uint8_t((app.Options() & ~3u) | (uint32_t(value) & 3u));
    if (app.setKeyboardHook) app.setKeyboardHook(value != 0);
  }
}

void SetAppOption(AppNativePort& app, int32_t which, uint32_t value) {
  switch (which) {
    case 0:
      app.window[kWindowByte10] = uint8_t(value);
      if (app.windowOptionsChanged) app.windowOptionsChanged();
      break;
    case 1:
      app.boot[kBootCatchUp] = value != 0;
      app.catchUpLive = value != 0;
      break;
    case 2:
      app.window[kWindowInactiveStop] = uint8_t(value);
      if (app.windowOptionsChanged) app.windowOptionsChanged();
      break;
    case 3:
      SetWord16At(app.window, kWindowWord11, uint16_t(value));
      if (app.windowOptionsChanged) app.windowOptionsChanged();
      break;
    case 4: app.boot[kBootMovies] = uint8_t(value); break;
    case 5: app.boot[kBootByte9] = uint8_t(value); break;
    case 6:
      SetWord16At(app.boot, kBootGlyphCache, uint16_t(value));
      SetGlyphCacheCapacityWord(uint16_t(value));
      break;
    case 7: case 8: case 9: case 10: case 11:
      app.menuEnabled[size_t(which - 7)] = value != 0;
      ApplyMenuState(app);
      break;
    default: break;
  }
}

int32_t GetAppOption(const AppNativePort& app, int32_t which) {
  switch (which) {
    case 0: return app.window[kWindowByte10];
    case 1: return app.boot[kBootCatchUp];
    case 2: return app.window[kWindowInactiveStop];
    case 3: return Word16At(app.window, kWindowWord11);
    case 4: return app.boot[kBootMovies];
    case 5: return app.boot[kBootByte9];
    case 6: return Word16At(app.boot, kBootGlyphCache);
    case 7: case 8: case 9: case 10: return app.menuEnabled[size_t(which - 7)];
    case 11: return app.screenModeFacility != 0 && app.menuEnabled[4];
    case 12: return app.furtherByte;
    case 13: return app.boot[kBootByte14];
    default: return 0;
  }
}

int32_t GetAppState(AppNativePort& app, int32_t which) {
  if (which < 0 || which > 22) return 0;
  switch (which) {
    case 4: return app.user[kUserByte16];
    case 9: return int32_t(app.ScreenMode()) - 1;
    case 10: return app.window[kWindowByte1];
    default: return app.stateItems[size_t(which)];
  }
}

// The string of native 4's selector; nullopt outside 0-3.
std::optional<std::string> AppString(const AppNativePort& app, int32_t which) {
  switch (which) {
    case 0: return std::string(kAppGuid);
    case 1: return app.title;
    case 2: return app.nameQuery;
    case 3: return std::string();
    default: return std::nullopt;
  }
}

uint32_t GetAppString(NativeArgs& args) {
  const auto text = AppString(AppPort(), args.Int(0));
  const int32_t size = args.Int(2);
  if (args.Failed()) return 0;
  if (!text) return uint32_t(-1);
  if (size == 0) return text->empty() ? 0 : uint32_t(text->size() + 1);
  // The size the script gives and the buffer's own extent both bound it.
  const size_t fits = size < 0 ? 0 : size_t(size) - 1;
  args.WriteText(1, std::string_view(*text).substr(0, std::min(fits, text->size())));
  return 0;
}

uint32_t ChangeScreenMode(NativeArgs& args) {
  AppNativePort& app = AppPort();
  const int32_t mode = args.Int(0);
  if (args.Failed()) return 0;
  if (app.screenModeFacility == 0 || !(app.Options() & AppNativePort::kOptionModeChange) ||
      (mode == 3 && app.screenModeFacility == 1))
    return 1;
  const uint8_t previousMode = app.ScreenMode();
  uint8_t depth = app.ScreenDepth();
  uint8_t target = 2;
  if (mode != 3) {
    target = 1;
    if (mode >= 0 && mode <= 2) depth = uint8_t(mode + 1);
    const uint8_t settled = app.prepareFullScreen ? app.prepareFullScreen(depth) : 0;
    if (settled == 0) {
      if (app.showError) app.showError(kModeSetupFailed);
      app.ScreenMode() = previousMode;
      return 2;
    }
    depth = settled;
  }
  if (!app.requestScreenMode || app.requestScreenMode(target, depth) != 0) {
    app.ScreenMode() = previousMode;
    app.pendingMode = 2;
    return 3;
  }
  app.ScreenMode() = target;
  app.ScreenDepth() = depth;
  if (target == 2 && app.centreWindowOnWorkArea) app.centreWindowOnWorkArea();
  ApplyMenuState(app);
  return 0;
}

uint32_t ApplyMessageSettings(GameScriptHost& host, NativeArgs& args) {
  AppNativePort& app = AppPort();
  const bool onlyWhenChanged = args.Flag(0);
  const bool list = args.Flag(1);
  const int32_t window = args.Int(2);
  const uint32_t textSprite = args.Cell(3);
  const uint32_t textObject = args.Cell(4);
  const bool gradient = args.Flag(5);
  const bool history = args.Flag(6);
  if (args.Failed()) return 0;
  // A running text-adventure frame applies the player's message settings
  // to its own windows and fonts.
  if (TgsFrameSlot& slot = host.TextFrameSlot(); slot.running && slot.frame) {
    slot.frame->ApplySettings(list, gradient, history, onlyWhenChanged);
    return 0;
  }
  if (onlyWhenChanged && app.settingsChanged == 0) return 0;
  if (app.applyMessageColours) app.applyMessageColours(window, textSprite, textObject, gradient);
  // The history keeps the setting's count of pages plus the current one.
  const auto slot = FindUserSetting(1, 5);
  const uint8_t pages = app.appConfig[slot->offset];
  const int32_t capacity = pages == 0 ? 0 : pages + 1;
  if (host.Message().HistoryCapacity() != capacity) host.Message().SetHistoryCapacity(capacity);
  app.settingsChanged = 0;
  return 0;
}

}  // namespace

// The application's options, state and screen mode, and the shell's pacing
// nestings, through the application port.
void BindAppStateNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kSetScreenModeOption, [](NativeArgs& args) -> uint32_t {
    const int32_t kind = args.Int(0);
    const int32_t value = args.Int(1);
    if (!args.Failed()) SetScreenModeOption(AppPort(), kind, value);
    return 0;
  });
  binder.Bind(kSetAppOption, [](NativeArgs& args) -> uint32_t {
    const int32_t which = args.Int(0);
    const uint32_t value = args.Cell(1);
    if (!args.Failed()) SetAppOption(AppPort(), which, value);
    return 0;
  });
  binder.Bind(kGetAppOption, [](NativeArgs& args) { return uint32_t(GetAppOption(AppPort(), args.Int(0))); });
  binder.Bind(kGetAppState, [](NativeArgs& args) { return uint32_t(GetAppState(AppPort(), args.Int(0))); });
  binder.Bind(kGetAppString, GetAppString);
  binder.Bind(kApplyMessageSettings, [&host](NativeArgs& args) { return ApplyMessageSettings(host, args); });
  binder.Bind(kChangeScreenMode, ChangeScreenMode);
  binder.Bind(kSetAppFlagA, [](NativeArgs& args) -> uint32_t {
    AppPort().flagA = args.Cell(0) & 1;
    return 0;
  });
  binder.Bind(kBeginForcedVSync, [](NativeArgs&) { return uint32_t(Call(AppPort().beginForcedVSync)); });
  binder.Bind(kEndForcedVSync, [](NativeArgs&) { return uint32_t(Call(AppPort().endForcedVSync)); });
  binder.Bind(kBeginMillisecondPacing, [](NativeArgs&) { return uint32_t(Call(AppPort().beginMillisecondPacing)); });
  binder.Bind(kEndMillisecondPacing, [](NativeArgs&) { return uint32_t(Call(AppPort().endMillisecondPacing)); });
  binder.Bind(kEnterLowPriority, [](NativeArgs&) { return uint32_t(Call(AppPort().enterLowPriority)); });
  binder.Bind(kLeaveLowPriority, [](NativeArgs&) { return uint32_t(Call(AppPort().leaveLowPriority)); });
  binder.Bind(kApplyFramePacing, [](NativeArgs& args) -> uint32_t {
    const int32_t rate = args.Int(0);
    if (!args.Failed() && AppPort().applyFramePacing) AppPort().applyFramePacing(rate);
    return 0;
  });
  binder.Bind(kGetAppWord, [](NativeArgs&) { return AppPort().appWord; });
  binder.Bind(kSetAppFlagB, [](NativeArgs& args) -> uint32_t {
    AppPort().catchUpLive = args.Cell(0) & 1;
    return 0;
  });
  // Until the menu commands are there, every command answers as one that
  // is switched off.
  binder.Bind(kRunMenuCommand, [](NativeArgs& args) -> uint32_t {
    const uint8_t command = args.Byte(0);
    const bool flag = args.Flag(1);
    if (args.Failed() || !AppPort().runMenuCommand) return 0;
    return uint32_t(AppPort().runMenuCommand(command, flag));
  });
  binder.Bind(kGetModalState, [](NativeArgs&) { return uint32_t(AppPort().modalState); });
  binder.Bind(kTakeAppRequestFlag, [](NativeArgs&) -> uint32_t {
    AppNativePort& app = AppPort();
    const bool set = app.Options() & AppNativePort::kOptionRequest;
    app.Options() &= uint8_t(~AppNativePort::kOptionRequest);
    return set;
  });
}

}  // namespace orrivel
