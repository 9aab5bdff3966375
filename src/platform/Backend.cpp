#include "platform/Backend.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"
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
