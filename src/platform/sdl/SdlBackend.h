#pragma once
// The back end for a real display: each top-level window is an SDL window,
// and SDL's events become the engine's messages.
#include <atomic>
#include <memory>
#include <string>

#include "platform/Backend.h"
#include "platform/sdl/SdlDisplayModeSwitch.h"
#include "platform/sdl/SdlPresenter.h"

namespace orrivel::platform {

class SdlBackend : public Backend {
 public:
  // Nullptr (with the reason) when the video system cannot start.
  static std::unique_ptr<SdlBackend> Create(std::string* error);
  // The SDL window behind a window, or null.
  void* NativeWindow(WindowId window);
  ~SdlBackend() override;

  const char* Name() const override { return "sdl"; }
  bool IsHeadless() const override { return false; }
  DisplayMode DesktopMode() override;
  bool EnumerateMonitors(std::vector<MonitorDesc>& out) override;
  bool GetCursorPos(Point& out) override;
  bool SetCursorPos(Point to) override;
  DriveKind GetDriveKind(const std::string& path) override;
  bool GetPowerSetting(PowerSetting setting) override;
  void SetPowerSetting(PowerSetting setting, bool active) override;
  uint32_t SetExecutionState(uint32_t state) override;
  int ShowMessageBox(const MessageBoxRequest& request) override;
  void FillClient(WindowId window, const Rect& area, uint32_t rgb) override;
  Presenter& ScreenPresenter() override { return presenter_; }
  DisplayModeSwitch* ModeSwitch() override { return &modeSwitch_; }
  // Scripted input enters SDL's own event queue, so it takes the same road
  // into window messages as the devices' events.
  void InjectInput(WindowId window, const SyntheticInput& input) override;

 protected:
  bool NativeCreate(WindowRecord& record) override;
  void NativeDestroy(WindowRecord& record) override;
  void NativeShow(WindowRecord& record, int32_t command) override;
  void NativeSetText(WindowRecord& record) override;
  void NativeMove(WindowRecord& record) override;
  void NativeSetFullScreen(WindowRecord& record) override;
  void NativeRaise(WindowRecord& record) override;
  void NativeSetTextInput(WindowRecord& record) override;
  void NativeSetTextInputSpot(WindowRecord& record) override;
  void PumpNativeEvents() override;
  void WaitForActivity(uint32_t ms) override;
  void NotifyActivity() override;

 private:
  SdlBackend() = default;
  void TranslateEvent(const void* event);
  WindowId WindowFromSdl(uint32_t sdlWindowId);
  void UpdateScreenSaver();

  bool screenSaverOn_ = true;
  bool lowPowerOn_ = true;
  bool powerOffOn_ = true;
  uint32_t executionState_ = 0;
  int textInputUsers_ = 0;
  // A thread is blocked in SDL's event wait: a post or send from another
  // thread then wakes it with an event of this type (which it ignores).
  std::atomic<bool> waiting_{false};
  uint32_t wakeEventType_ = 0;
  SdlPresenter presenter_{*this};
  SdlDisplayModeSwitch modeSwitch_{*this};
};

}  // namespace orrivel::platform
