#include "natives/EngineServices.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/Application.h"
#include "base/CursorMoveTask.h"
#include "base/DecimalRange.h"
#include "base/TimerList.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "sound/SoundManager.h"

namespace orrivel {

bool IsTimerTaskRunning(const TimerList* list, uint32_t handle) {
  return list != nullptr && handle != 0 && list->Contains(handle);
}

bool StopTimerTaskByHandle(TimerList* list, uint32_t* cell) {
  if (cell == nullptr) return false;
  const uint32_t handle = *cell;
  *cell = 0;
  if (list == nullptr || handle == 0 || !list->Contains(handle)) return false;
  return list->Stop(handle);
}

int32_t StartCursorMoveTask(TimerList* list, Application* app, int32_t x, int32_t y, uint32_t duration, bool force,
                            uint8_t jumpMode, uint32_t* outHandle) {
  if (outHandle != nullptr) *outHandle = 0;
  if (app == nullptr) return 0;
  if (!force && app->IsCursorAt(x, y)) return 0;
  if (!app->isActive) return 0;
  const int code = CursorMoveTask::Start(list, app, x, y, duration, 0.0, jumpMode);
  if (code != 0) return code;
  if (outHandle != nullptr) {
    // The glide just added is the list's only task of its type.
    for (TimedTask* task : list->Tasks()) {
      if (task != nullptr && task->GetTypeId() == CursorMoveTask::kTypeId && !task->IsFinished()) {
        *outHandle = task->Handle();
      }
    }
  }
  return 0;
}

double DuckingLevel(const char* levelText, uint8_t settingByte) {
    // Below 0 halves the music, 1 and above is refused: the ends hold every
  // answer.
  if (levelText != nullptr) return DecimalRange{-1.0, 1.0}.Read(levelText, 0.0);
  return SoundManager::DuckingFactorFromSetting(settingByte);
}

MusicDuckingTask* StartChannelDucking(SoundManager* sounds, TimerList* list, int32_t channel, const char* levelText,
                                      uint8_t settingByte) {
  if (sounds == nullptr) return nullptr;
  return sounds->StartMusicDucking(list, channel, DuckingLevel(levelText, settingByte));
}

int32_t CopyTextToClipboard(const char* text, uint32_t length) {
  if (text == nullptr) return 1;
  std::string_view bytes(text, length == 0 ? std::strlen(text) : length);
  bytes = bytes.substr(0, std::min(bytes.size(), bytes.find('\0')));
  return platform::CurrentClipboard().SetText(bytes) ? 0 : 2;
}

namespace {

bool CommandOpen(int32_t command, int32_t value, const AppCommandGates& gates) {
  switch (command) {
    case 0: return gates.settings;
    case 1: return gates.save;
    case 2: return gates.load;
    case 3: return true;
    case 4: return gates.screenModeChange;
    case 5: return true;
    case 6: return gates.returnToTitle;
    case 7: return value != 0;
    default: return false;
  }
}

}  // namespace

int32_t PostAppCommand(int32_t command, bool send, int32_t value, const AppCommandGates& gates,
                       const AppCommandSink& sink, const std::function<void()>& pause,
                       const std::function<void()>& resume) {
  if (!CommandOpen(command, value, gates) || !sink) return 0;
  uint32_t message = platform::WM_COMMAND;
  uintptr_t wParam = 0;
  if (command == 3) {
    message = platform::WM_CLOSE;
  } else if (command == 7) {
    message = kAppValueMessage;
    wParam = uintptr_t(uint32_t(value));
  } else {
    wParam = kAppCommandMenuIds[command];
  }
  if (!send) return sink(false, message, wParam, 0) ? 1 : 0;
  if (pause) pause();
  sink(true, message, wParam, 0);
  if (resume) resume();
  return 1;
}

}  // namespace orrivel
