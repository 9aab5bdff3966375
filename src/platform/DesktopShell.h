#pragma once
// What scripts may ask of the desktop: open a document or an address with
// the program the desktop has for it, show a folder, and the wallpaper and
// screen-saver settings. There is no system registry or "system.ini" here:
// their values go to a stand-in that keeps what was written, and the
// desktop itself is never changed. Every request is recorded; a desktop
// that really opens documents starts "xdg-open" for them, which tests never
// do.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ServiceSlot.h"

namespace orrivel::platform {

class DesktopShell {
 public:
  enum class RequestKind : uint8_t { Open, Explore, SetWallpaper, ScreenSaverActive, StartScreenSaver };
  struct Request {
    RequestKind kind = RequestKind::Open;
    std::string target;  // CP932: a path (internal form) or an address
  };

  virtual ~DesktopShell() = default;

  // 0 started, else the reason it could not be (2 nothing to start it with).
  int Open(std::string_view target);
  int Explore(std::string_view internalFolder);
  // Wallpapers and screen savers are the desktop's own: refused (false).
  bool SetWallpaper(std::string_view path);
  bool ScreenSaverActive();
  bool SetScreenSaverActive(bool active);
  bool StartScreenSaver();

  // The registry stand-in: values by key and name.
  void WriteValue(const std::string& key, const std::string& name, const std::string& value);
  std::optional<std::string> ReadValue(const std::string& key, const std::string& name) const;
  // The stand-in of the profile files: a missing value deletes the key.
  void WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                    const std::optional<std::string>& value);
  std::optional<std::string> ReadProfile(const std::string& file, const std::string& section,
                                         const std::string& key) const;

  std::vector<Request> Requests() const;

 protected:
  // Starts the desktop's opener on the host form of the target; 0 started.
  virtual int Launch(RequestKind kind, std::string_view target) = 0;

 private:
  void Record(RequestKind kind, std::string_view target);

  mutable std::mutex lock_;
  std::vector<Request> requests_;
  std::map<std::string, std::string> values_;
  std::map<std::string, std::string> profile_;
};

// Records and starts nothing (tests, runs without a display): opening
// answers 0 as if started.
class RecordingDesktopShell : public DesktopShell {
 protected:
  int Launch(RequestKind, std::string_view) override { return 0; }
};

// Starts "xdg-open" on the target (an internal path becomes its host path;
// an address goes as it is).
class XdgDesktopShell : public DesktopShell {
 protected:
  int Launch(RequestKind kind, std::string_view target) override;
};

// The shell in use: the installed one, else a recording one for a headless
// back end and the xdg one for a real display.
DesktopShell& CurrentDesktopShell();
DesktopShell* SetDesktopShell(DesktopShell* shell);

using ScopedDesktopShell = ScopedService<DesktopShell, &SetDesktopShell>;

}  // namespace orrivel::platform
