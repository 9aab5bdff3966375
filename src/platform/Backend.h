#pragma once
// The machine as the engine sees it: windows and their queue, message boxes,
// display facts and the system settings a run may switch off. Two back ends:
// SDL2 for a real display, headless (in memory) for tests and for machines
// without a display. Chosen once at start-up.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/Presenter.h"
#include "platform/WindowSystem.h"

namespace orrivel::platform {

class DisplayModeSwitch;

// One input action of a scripted run, as the devices would report it.
// Positions are in the window's client pixels; keys are key-table codes.
struct SyntheticInput {
  // Composition: the input method's text being composed (empty: it ended),
  // as a text-editing event of the window system brings it.
  enum class Kind : uint8_t { Move, ButtonDown, ButtonUp, KeyDown, KeyUp, Wheel, Text, Composition };
  Kind kind = Kind::Move;
  int32_t x = 0;
  int32_t y = 0;
  uint8_t button = 0;  // 0 left, 1 right
  uint8_t key = 0;
  int32_t notches = 0;
  std::string text;  // UTF-8
  int32_t cursor = 0;  // Composition: its cursor, in characters
};

class Backend : public WindowSystem, public MessageBoxService {
 public:
  virtual const char* Name() const = 0;
  virtual bool IsHeadless() const = 0;

  // The current desktop mode of the primary display.
  virtual DisplayMode DesktopMode() = 0;
  // False when the monitor information cannot be read.
  virtual bool EnumerateMonitors(std::vector<MonitorDesc>& out) = 0;
  // The display outputs, in the system's order; by default one per monitor,
  // named and described as the monitor is.
  virtual bool EnumerateDisplayDevices(std::vector<DisplayDeviceDesc>& out);
  // The rectangle of the desktop not taken by panels and docks on the
  // primary monitor (the whole desktop when the system cannot tell).
  virtual Rect SystemWorkArea();

  // The pointer in desktop coordinates. False when it cannot be read (then
  // the point is left as it was).
  virtual bool GetCursorPos(Point& out) = 0;
  // Moves the pointer; false when the system refuses.
  virtual bool SetCursorPos(Point to) = 0;

  // The kind of drive that holds the path (internal form): CdRom on an
  // optical disc, else Fixed; Unknown when it cannot be examined.
  virtual DriveKind GetDriveKind(const std::string& path) = 0;

  virtual bool GetPowerSetting(PowerSetting setting) = 0;
  virtual void SetPowerSetting(PowerSetting setting, bool active) = 0;
  // Keeps the system awake while `state` is non-zero; returns the old state.
  virtual uint32_t SetExecutionState(uint32_t state) = 0;

  // Folder for per-user run-time files: $XDG_RUNTIME_DIR, else the user's
  // own PrivateRuntimeFolder under HostTempFolder(); empty when there is none.
  virtual std::string RuntimeFolder();

  // What shows the screen device's frames in the windows.
  virtual Presenter& ScreenPresenter() = 0;
  // What changes the display's mode for full screen; null where it cannot
  // be changed.
  virtual DisplayModeSwitch* ModeSwitch() { return nullptr; }

  // Feeds one scripted input action to the window as the devices would:
  // by default, the window messages it causes.
  virtual void InjectInput(WindowId window, const SyntheticInput& input);

 protected:
  // The window messages of a scripted action; `keyState` is the MK_ bits
  // of the buttons and modifiers held with it.
  void PostInputMessages(WindowId window, const SyntheticInput& input, uintptr_t keyState);
};

// "orrivel-<uid>" under root, made with mode 0700 when missing; empty when
// it cannot be made or is not a folder of this user's alone.
std::string PrivateRuntimeFolder(const std::string& root);
// The back end in use. When none was set, a headless one is made on first use.
Backend& CurrentBackend();
// Installs a back end (not owned); nullptr returns to the default. Returns the
// previous one.
Backend* SetBackend(Backend* backend);

class ScopedBackend {
 public:
  explicit ScopedBackend(Backend& backend) : previous_(SetBackend(&backend)) {}
  ~ScopedBackend() { SetBackend(previous_); }
  ScopedBackend(const ScopedBackend&) = delete;
  ScopedBackend& operator=(const ScopedBackend&) = delete;

 private:
  Backend* previous_;
};

// True when the command line holds "--headless" or no display is reachable.
bool HeadlessRequested(int argc, const char* const* argv);
// Makes the SDL back end, or the headless one when asked or when SDL cannot
// open the display; `why` tells which and why.
std::unique_ptr<Backend> CreateBackend(bool headless, std::string* why);

}  // namespace orrivel::platform
