#pragma once
// A machine in memory: windows without pixels on screen, a queue that tests
// fill by hand, a transcript of every message that reached a window, message
// boxes that answer from a script, and display facts and faults that a test
// sets. Also the back end of a real run where no display exists.
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "platform/Backend.h"
#include "platform/headless/HeadlessPresenter.h"

namespace orrivel::platform {

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend();

  const char* Name() const override { return "headless"; }
  bool IsHeadless() const override { return true; }
  DisplayMode DesktopMode() override { return desktop_; }
  bool EnumerateMonitors(std::vector<MonitorDesc>& out) override;
  bool EnumerateDisplayDevices(std::vector<DisplayDeviceDesc>& out) override;
  bool GetCursorPos(Point& out) override;
  bool SetCursorPos(Point to) override;
  DriveKind GetDriveKind(const std::string& path) override;
  bool GetPowerSetting(PowerSetting setting) override;
  void SetPowerSetting(PowerSetting setting, bool active) override;
  uint32_t SetExecutionState(uint32_t state) override;
  int ShowMessageBox(const MessageBoxRequest& request) override;
  std::string RuntimeFolder() override;
  void FillClient(WindowId window, const Rect& area, uint32_t rgb) override;
  Presenter& ScreenPresenter() override { return presenter_; }
  // Scripted input also moves the pointer and holds the buttons and keys of
  // the headless input devices in use, so polling sees what the messages say.
  void InjectInput(WindowId window, const SyntheticInput& input) override;
  HeadlessPresenter& Frames() { return presenter_; }

  // Display facts. Setting the desktop also makes it the one monitor.
  void SetDesktop(const DisplayMode& mode);
  void SetMonitors(std::vector<MonitorDesc> monitors) { monitors_ = std::move(monitors); }
  // Display outputs apart from the monitors (by default one per monitor).
  void SetDisplayDevices(std::vector<DisplayDeviceDesc> devices) {
    devices_ = std::move(devices);
    ownDevices_ = true;
  }
  // The pointer: where it is, and every position the program moved it to.
  void PlaceCursor(Point at) { cursor_ = at; }
  const std::vector<Point>& CursorMoves() const { return cursorMoves_; }
  void FailCursor(bool fail) { failCursor_ = fail; }
  void SetRuntimeFolder(std::string folder) { runtimeFolder_ = std::move(folder); }

  // Faults.
  void FailRegisterClass(bool fail) { failRegisterClass_ = fail; }
  void FailCreateWindow(bool fail) { failCreateWindow_ = fail; }
  void FailMonitorEnumeration(bool fail) { failMonitors_ = fail; }
  using WindowSystem::FailGetMessage;

  // Message boxes: answers are taken in order; when none is left, the first
  // button answers (OK or Yes). With echo on, each box is also written to
  // standard error so that a run without a display still says what it shows.
  void QueueMessageBoxAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<MessageBoxRequest>& MessageBoxes() const { return boxes_; }
  void SetEchoMessageBoxes(bool echo) { echo_ = echo; }
  // Called while each box is open, before it answers (tests look at the
  // program's state behind the box).
  void SetMessageBoxObserver(std::function<void(const MessageBoxRequest&)> observer) {
    boxObserver_ = std::move(observer);
  }

  // Every message that reached a window procedure, in order.
  const std::vector<Message>& Transcript() const { return transcript_; }
  void ClearTranscript() { transcript_.clear(); }
  std::vector<uint32_t> DeliveredTo(WindowId window) const;

  // Colour of the last fill of each window's client area.
  uint32_t LastFill(WindowId window) const;
  int FillCount() const { return fills_; }

 protected:
  // A noted stop signal becomes WM_QUIT here; waits are cut into short
  // slices because a signal handler cannot wake them.
  void PumpNativeEvents() override;
  void WaitForActivity(uint32_t ms) override;
  bool NativeRegisterClass(const WindowClass&) override { return !failRegisterClass_; }
  bool NativeCreate(WindowRecord&) override { return !failCreateWindow_; }
  void OnDeliver(const Message& message) override { transcript_.push_back(message); }

 private:
  DisplayMode desktop_;
  std::vector<MonitorDesc> monitors_;
  std::string runtimeFolder_;
  bool failRegisterClass_ = false;
  bool failCreateWindow_ = false;
  bool failMonitors_ = false;
  std::vector<DisplayDeviceDesc> devices_;
  bool ownDevices_ = false;
  Point cursor_;
  std::vector<Point> cursorMoves_;
  bool failCursor_ = false;
  std::function<void(const MessageBoxRequest&)> boxObserver_;
  std::map<PowerSetting, bool> power_;
  uint32_t executionState_ = 0;
  std::deque<int> answers_;
  std::vector<MessageBoxRequest> boxes_;
  bool echo_ = false;
  std::vector<Message> transcript_;
  std::map<WindowId, uint32_t> lastFill_;
  int fills_ = 0;
  HeadlessPresenter presenter_;
};

}  // namespace orrivel::platform
