#pragma once
// Services that the natives and the game's own screens share: timed tasks
// named by their handles, the glide of the mouse cursor, the music ducking
// for a channel, and commands to the main window.
//
// Main thread only.
#include <cstdint>
#include <functional>

namespace orrivel {

class Application;
class MusicDuckingTask;
class SoundManager;
class TimerList;

// True while the list holds a live task with that handle. A stale handle
// (the task ended) names nothing.
bool IsTimerTaskRunning(const TimerList* list, uint32_t handle);
// False for a null cell. Otherwise zeroes the cell and stops the task it
// named (its end state is applied); true when a running task was found.
bool StopTimerTaskByHandle(TimerList* list, uint32_t* cell);

// Glides the cursor to the game point (x, y) over duration ms in a straight
// line; jumpMode is CursorMoveTask's. Without force nothing starts when the
// cursor already rests there; nothing starts either while the application
// does not control the cursor (inactive). The new task's handle, or 0, goes
// to *outHandle when given. The set-up's code: 0 also when nothing started.
int32_t StartCursorMoveTask(TimerList* list, Application* app, int32_t x, int32_t y, uint32_t duration, bool force,
                            uint8_t jumpMode, uint32_t* outHandle);

// The level factor a ducking request stands for: the decimal number of the
// text, or without text the settings byte (50: the task's own default).
double DuckingLevel(const char* levelText, uint8_t settingByte);
// Lowers the music while the channel plays; the task, or null when the
// manager refused it (or there is none).
MusicDuckingTask* StartChannelDucking(SoundManager* sounds, TimerList* list, int32_t channel, const char* levelText,
                                      uint8_t settingByte);

// Puts length bytes of the CP932 text on the clipboard (0: the whole text);
// like the desktop's text, it ends at its first zero byte. 1 for a null
// text, 2 when the clipboard refuses it, else 0.
int32_t CopyTextToClipboard(const char* text, uint32_t length);

// Which of the main window's commands are open to the scripts.
struct AppCommandGates {
  bool settings = false;
  bool save = false;
  bool load = false;
  bool screenModeChange = false;
  bool returnToTitle = false;
};
// How a command reaches the main window: post (false) or send and wait
// (true); message, first and second parameter. Returns whether it went out.
using AppCommandSink = std::function<bool(bool send, uint32_t message, uintptr_t wParam, intptr_t lParam)>;
// The menu commands behind the script commands 0 to 6, and the
// application message of command 7.
inline constexpr uint16_t kAppCommandMenuIds[] = {40005, 40007, 40008, 0, 40001, 40004, 40002};
inline constexpr uint32_t kAppValueMessage = 36873;
// 1 when the message went out; 0 for a command that is not open, command 7
// with value 0, or a command above 7. A sent command runs between pause and
// resume (the frame waits while the window handles it).
int32_t PostAppCommand(int32_t command, bool send, int32_t value, const AppCommandGates& gates,
                       const AppCommandSink& sink, const std::function<void()>& pause = {},
                       const std::function<void()>& resume = {});

}  // namespace orrivel
