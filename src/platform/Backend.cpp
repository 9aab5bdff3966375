#include "platform/Backend.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/ImeService.h"
#include "platform/KeyTable.h"
#include "platform/Messages.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/sdl/SdlBackend.h"

namespace orrivel::platform {
namespace {

Backend* g_backend = nullptr;

}  // namespace

std::string Backend::RuntimeFolder() {
  const char* folder = std::getenv("XDG_RUNTIME_DIR");
  if (folder && *folder) return folder;
  return PrivateRuntimeFolder(HostTempFolder());
}

std::string PrivateRuntimeFolder(const std::string& root) {
  // A folder of the user's own under the shared one: files of several
  // users cannot collide there, and nobody else can plant or hold them.
  const std::string folder = root + (root.empty() || root.back() != '/' ? "/" : "") + "orrivel-" +
                             std::to_string(unsigned(::geteuid()));
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  struct stat info;
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & 077) != 0)
    return std::string();
  return folder;
}

bool Backend::EnumerateDisplayDevices(std::vector<DisplayDeviceDesc>& out) {
  out.clear();
  std::vector<MonitorDesc> monitors;
  if (!EnumerateMonitors(monitors)) return false;
  for (const MonitorDesc& monitor : monitors) {
    DisplayDeviceDesc device;
    device.deviceName = monitor.deviceName;
    device.description = monitor.description;
    device.isPrimary = monitor.isPrimary;
    out.push_back(device);
  }
  return true;
}

Rect Backend::SystemWorkArea() {
  std::vector<MonitorDesc> monitors;
  if (EnumerateMonitors(monitors)) {
    for (const MonitorDesc& monitor : monitors) {
      if (monitor.isPrimary) return monitor.workArea;
    }
    if (!monitors.empty()) return monitors.front().workArea;
  }
  DisplayMode desktop = DesktopMode();
  return Rect{0, 0, desktop.width, desktop.height};
}

Backend& CurrentBackend() {
  if (g_backend) return *g_backend;
  static HeadlessBackend fallback;
  return fallback;
}

Backend* SetBackend(Backend* backend) {
  Backend* previous = g_backend;
  g_backend = backend;
  return previous;
}

namespace {

intptr_t PackClientPoint(int32_t x, int32_t y) {
  return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16));
}

}  // namespace

void Backend::InjectInput(WindowId window, const SyntheticInput& input) { PostInputMessages(window, input, 0); }

void Backend::PostInputMessages(WindowId window, const SyntheticInput& input, uintptr_t keyState) {
  using Kind = SyntheticInput::Kind;
  const intptr_t at = PackClientPoint(input.x, input.y);
  switch (input.kind) {
    case Kind::Move:
      PostMessage(window, WM_MOUSEMOVE, keyState, at);
      return;
    case Kind::ButtonDown:
    case Kind::ButtonUp: {
      const bool down = input.kind == Kind::ButtonDown;
      const uint32_t message =
          input.button == 0 ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
      PostMessage(window, message, keyState, at);
      return;
    }
    case Kind::KeyDown:
    case Kind::KeyUp: {
      const KeyTableRow* row = FindKeyRow(input.key);
      if (row == nullptr) return;
      const bool down = input.kind == Kind::KeyDown;
      uint32_t lParam = 1u | (uint32_t(input.key) << 16);
      if (!down) lParam |= KF_REPEAT_BIT | KF_UP_BIT;
      PostMessage(window, down ? WM_KEYDOWN : WM_KEYUP, row->virtualKey, intptr_t(lParam));
      return;
    }
    case Kind::Wheel: {
      // The wheel message carries the pointer in desktop coordinates.
      const Point screen = ClientToScreen(window, Point{input.x, input.y});
      const int32_t delta = input.notches * WHEEL_DELTA;
      PostMessage(window, WM_MOUSEWHEEL, (uintptr_t(uint16_t(int16_t(delta))) << 16) | keyState,
                  PackClientPoint(screen.x, screen.y));
      return;
    }
    case Kind::Text:
      PostTextInput(window, input.text);
      return;
    case Kind::Composition:
      Ime().SetComposition(window, input.text, input.cursor);
      return;
  }
}

bool HeadlessRequested(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] && std::strcmp(argv[i], "--headless") == 0) return true;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return !(x11 && *x11) && !(wayland && *wayland);
}

std::unique_ptr<Backend> CreateBackend(bool headless, std::string* why) {
  if (!headless) {
    std::string error;
    if (auto sdl = SdlBackend::Create(&error)) {
      if (why) *why = "SDL display";
      return sdl;
    }
    if (why) *why = "headless (the display could not be opened: " + error + ")";
  } else if (why) {
    *why = "headless (no display, or --headless given)";
  }
  auto backend = std::make_unique<HeadlessBackend>();
  backend->SetEchoMessageBoxes(true);
  return backend;
}

}  // namespace orrivel::platform
