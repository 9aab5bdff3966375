#include "platform/headless/HeadlessBackend.h"

#include <cstdio>

#include "platform/DriveProbe.h"
#include "platform/KeyTable.h"
#include "platform/Messages.h"
#include "platform/StopSignals.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {

HeadlessBackend::HeadlessBackend() {
  SetDesktop(DisplayMode{1280, 1024, 32, 60});
  power_[PowerSetting::ScreenSaver] = true;
  power_[PowerSetting::LowPower] = true;
  power_[PowerSetting::PowerOff] = true;
}

void HeadlessBackend::SetDesktop(const DisplayMode& mode) {
  desktop_ = mode;
  MonitorDesc monitor;
  monitor.bounds = Rect{0, 0, mode.width, mode.height};
  monitor.workArea = monitor.bounds;
  monitor.depth = mode.depth;
  monitor.refresh = mode.refresh;
  monitor.deviceName = "headless-0";
  monitor.description = "Headless display";
  monitor.isPrimary = true;
  monitors_ = {monitor};
}

bool HeadlessBackend::EnumerateMonitors(std::vector<MonitorDesc>& out) {
  out.clear();
  if (failMonitors_) return false;
  out = monitors_;
  return true;
}

bool HeadlessBackend::EnumerateDisplayDevices(std::vector<DisplayDeviceDesc>& out) {
  if (!ownDevices_) return Backend::EnumerateDisplayDevices(out);
  out = devices_;
  return true;
}

bool HeadlessBackend::GetCursorPos(Point& out) {
  if (failCursor_) return false;
  out = cursor_;
  return true;
}

bool HeadlessBackend::SetCursorPos(Point to) {
  if (failCursor_) return false;
  cursor_ = to;
  cursorMoves_.push_back(to);
  return true;
}

// The drive is the machine's, whatever shows the game: a run without a
// display examines it as one with a display does.
DriveKind HeadlessBackend::GetDriveKind(const std::string& path) { return FolderDriveKind(path); }

bool HeadlessBackend::GetPowerSetting(PowerSetting setting) { return power_[setting]; }

void HeadlessBackend::SetPowerSetting(PowerSetting setting, bool active) { power_[setting] = active; }

uint32_t HeadlessBackend::SetExecutionState(uint32_t state) {
  uint32_t previous = executionState_;
  executionState_ = state;
  return previous;
}

void HeadlessBackend::InjectInput(WindowId window, const SyntheticInput& input) {
  using Kind = SyntheticInput::Kind;
  auto* devices = dynamic_cast<HeadlessInput*>(&CurrentInputSource());
  // Only the pointer's own actions move it.
  if (input.kind != Kind::KeyDown && input.kind != Kind::KeyUp && input.kind != Kind::Text &&
      input.kind != Kind::Composition) {
    cursor_ = ClientToScreen(window, Point{input.x, input.y});
  }
  if (devices != nullptr) {
    const uint32_t bit = input.button == 0 ? 1u : 2u;
    if (input.kind == Kind::ButtonDown) devices->SetMouseButtons(devices->MouseButtons() | bit);
    if (input.kind == Kind::ButtonUp) devices->SetMouseButtons(devices->MouseButtons() & ~bit);
    if (input.kind == Kind::KeyDown || input.kind == Kind::KeyUp) devices->SetKey(input.key, input.kind == Kind::KeyDown);
  }
  uintptr_t keyState = 0;
  if (devices != nullptr) {
    std::array<uint8_t, 256> keys{};
    devices->ReadKeyboard(keys);
    const uint32_t buttons = devices->MouseButtons();
    if (buttons & 1u) keyState |= MK_LBUTTON;
    if (buttons & 2u) keyState |= MK_RBUTTON;
    if (keys[DIK_LSHIFT] | keys[DIK_RSHIFT]) keyState |= MK_SHIFT;
    if (keys[DIK_LCONTROL] | keys[DIK_RCONTROL]) keyState |= MK_CONTROL;
  }
  PostInputMessages(window, input, keyState);
}

void HeadlessBackend::PumpNativeEvents() {
  if (TakeStopRequest()) PostQuitMessage(0);
}

void HeadlessBackend::WaitForActivity(uint32_t ms) {
  constexpr uint32_t kStopPollMs = 20;
  if (StopRequestPending()) return;
  WindowSystem::WaitForActivity(ms < kStopPollMs ? ms : kStopPollMs);
}

std::string HeadlessBackend::RuntimeFolder() {
  return runtimeFolder_.empty() ? Backend::RuntimeFolder() : runtimeFolder_;
}

int HeadlessBackend::ShowMessageBox(const MessageBoxRequest& request) {
  boxes_.push_back(request);
  if (boxObserver_) boxObserver_(request);
  if (echo_) {
    std::fprintf(stderr, "[message box] %s: %s\n", Cp932ToUtf8Lossy(request.caption).c_str(),
                 Cp932ToUtf8Lossy(request.text).c_str());
  }
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return request.buttons == MessageBoxButtons::YesNo ? IDYES : IDOK;
}

void HeadlessBackend::FillClient(WindowId window, const Rect&, uint32_t rgb) {
  lastFill_[window] = rgb;
  ++fills_;
}

uint32_t HeadlessBackend::LastFill(WindowId window) const {
  auto it = lastFill_.find(window);
  return it == lastFill_.end() ? 0xFFFFFFFFu : it->second;
}

std::vector<uint32_t> HeadlessBackend::DeliveredTo(WindowId window) const {
  std::vector<uint32_t> messages;
  for (const Message& m : transcript_) {
    if (m.window == window) messages.push_back(m.message);
  }
  return messages;
}

}  // namespace orrivel::platform
