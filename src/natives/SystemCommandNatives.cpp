#include <string>

#include "base/Application.h"
#include "frame/TgsFrame.h"
#include "natives/EngineServices.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/SaveLoadFamilies.h"
#include "natives/SystemNativePort.h"
#include "sound/BgmTrack.h"
#include "sound/SoundManager.h"

namespace orrivel {

namespace {

constexpr uint32_t kSystemCommand = 55;

enum Command : uint32_t {
  kPlayBgm = 0,
  kCurrentBgm = 1,
  kIsTaskRunning = 2,
  kStopTask = 3,
  kMoveCursor = 4,
  kOpenNotice = 5,
  kMoveCursorToButton = 6,
  kRunBox = 7,
  kRestoreFrameMenu = 8,
  kReadStatistics = 9,
  kFindVariable = 10,
};
// What a command above the last answers.
constexpr uint32_t kUnknownCommand = 1;
// The box's answer when the game has none.
constexpr int32_t kNoBox = -2;

constexpr uint32_t Code(int32_t value) { return uint32_t(value); }

uint32_t PlayBgm(GameScriptHost& host, NativeArgs& args) {
  const int32_t number = args.Int(1);
  const uint32_t fade = args.Cell(2);
  const bool loop = args.Flag(3);
  SoundManager* sounds = GetSoundManager();
  if (args.Failed() || sounds == nullptr) return 0;
  return Code(PlayBgmTrack(*sounds, host.SystemTimers(), number, fade, loop));
}

uint32_t StopTask(GameScriptHost& host, NativeArgs& args) {
  const uint32_t address = args.Cell(1);
  if (args.Failed() || address == 0) return 0;
  uint32_t handle = args.Load(address);
  if (args.Failed()) return 0;
  const bool stopped = StopTimerTaskByHandle(host.SystemTimers(), &handle);
  args.Store(address, handle);
  return stopped ? 1 : 0;
}

uint32_t MoveCursor(GameScriptHost& host, NativeArgs& args) {
  const int32_t x = args.Int(1), y = args.Int(2);
  const uint32_t duration = args.Cell(3);
  const bool force = args.Flag(4);
  const uint8_t mode = args.Byte(5);
  if (args.Failed()) return 0;
  uint32_t handle = 0;
  StartCursorMoveTask(host.SystemTimers(), CurrentApplication(), x, y, duration, force, mode, &handle);
  return handle;
}

uint32_t OpenNotice(NativeArgs& args) {
  const bool given = args.Cell(1) != 0;
  const std::string text = given ? args.String(1) : std::string();
  const int32_t value = args.Int(2);
  const SystemNativePort& port = SystemPort();
  if (args.Failed() || !port.openNotice) return Code(kNoBox);
  return Code(port.openNotice(given ? text.c_str() : nullptr, value));
}

uint32_t RunBox(NativeArgs& args) {
  const int32_t mode = args.Int(1);
  const bool given = args.Cell(2) != 0;
  const std::string text = given ? args.String(2) : std::string();
  const int32_t x = args.Int(3), y = args.Int(4), defaultButton = args.Int(5);
  const uint32_t owner = args.Cell(6);
  const SystemNativePort& port = SystemPort();
  if (args.Failed() || !port.runBox) return Code(kNoBox);
  return Code(port.runBox(mode, given ? text.c_str() : nullptr, x, y, defaultButton, owner));
}

// The read-message figures of the open frame's scripts (all of them, or
// the one named).
uint32_t ReadStatistics(GameScriptHost& host, NativeArgs& args) {
  const uint32_t query = args.Cell(1);
  const bool named = args.Cell(2) != 0;
  const std::string name = named ? args.String(2) : std::string();
  const TgsFrame* frame = host.TextFrameSlot().frame.get();
  if (args.Failed() || frame == nullptr) return 0;
  const TgsName script = named ? TgsName(name) : std::nullopt;
  switch (query) {
    case 0: return frame->CountMessages(script);
    case 1: return frame->CountReadMessages(script);
    case 2: return frame->AllMessagesRead(script) ? 1 : 0;
    case 3: return (frame->SkipByKey() ? 1u : 0u) | (frame->SkipBySetting() ? 1u : 0u);
    default: return 0;
  }
}

uint32_t SystemCommand(GameScriptHost& host, NativeArgs& args) {
  const uint32_t command = args.Cell(0);
  if (args.Failed()) return 0;
  switch (command) {
    case kPlayBgm: return PlayBgm(host, args);
    case kCurrentBgm: return Code(CurrentBgmNumber());
    case kIsTaskRunning: {
      const uint32_t handle = args.Cell(1);
      return !args.Failed() && IsTimerTaskRunning(host.SystemTimers(), handle) ? 1 : 0;
    }
    case kStopTask: return StopTask(host, args);
    case kMoveCursor: return MoveCursor(host, args);
    case kOpenNotice: return OpenNotice(args);
    case kMoveCursorToButton: {
      const uint32_t control = args.Cell(1);
      const int32_t flag = args.Int(2), wait = args.Int(3);
      const SystemNativePort& port = SystemPort();
      if (args.Failed() || !port.moveCursorTo) return Code(kNoBox);
      return Code(port.moveCursorTo(control, flag, wait));
    }
    case kRunBox: return RunBox(args);
    case kRestoreFrameMenu:
      if (host.TextFrameSlot().frame && SystemPort().restoreFrameMenu) SystemPort().restoreFrameMenu();
      return 0;
    case kReadStatistics: return ReadStatistics(host, args);
    case kFindVariable: {
      const uint32_t address = args.Cell(1);
      return args.Failed() ? Code(-1) : Code(host.FindVariable(address));
    }
    default: return kUnknownCommand;
  }
}

}  // namespace

// Native 55: background music by number, timer tasks by handle, the
// pointer glide, the confirmation box, the frame's menu and read figures,
// and a variable's index.
void BindSystemCommandNative(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kSystemCommand, [&host](NativeArgs& args) { return SystemCommand(host, args); });
}

}  // namespace orrivel
