#pragma once
// What scripts may ask of the desktop: open a document or an address with
// the program the desktop has for it, show a folder, set the wallpaper and
// start the screen saver. There is no system registry or "system.ini" here:
// their values go to a stand-in that keeps what was written. Every request
// is recorded; the desktop of a real display is reached through its own
// programs ("xdg-open", "gsettings", "xdg-screensaver"), started with an
// argument vector, which tests never do. Openers are not waited for; the
// setting programs are (a few seconds at most), and answer by how they end.
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
  // Whether the desktop has a wallpaper setting this shell can reach.
  virtual bool HasWallpaperSetting() { return false; }
  // Shows the picture (a PNG file, host path) as the wallpaper: style 0
  // centred, 1 tiled, 2 stretched. True when the desktop took it.
  bool SetWallpaper(std::string_view picture, int32_t style);
  // Screen-saver programs are the desktop's own: this shell does not
  // install one, so the setting stays as the desktop has it (false).
  bool ScreenSaverActive();
  bool SetScreenSaverActive(bool active);
  // True when the desktop was asked to start its screen saver.
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
  virtual bool ApplyWallpaper(const std::string& /*picture*/, int32_t /*style*/) { return false; }
  virtual bool ActivateScreenSaver() { return false; }

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
// an address goes as it is). The wallpaper goes through "gsettings" on the
// desktops that keep it there (the GNOME family, Cinnamon, MATE, as
// $XDG_CURRENT_DESKTOP names them); the screen saver is started with
// "xdg-screensaver activate".
class XdgDesktopShell : public DesktopShell {
 public:
  bool HasWallpaperSetting() override;

  // The argument vectors that set the wallpaper on this desktop; empty
  // where it keeps no wallpaper setting.
  static std::vector<std::vector<std::string>> WallpaperCommands(std::string_view currentDesktop,
                                                                 const std::string& picture, int32_t style);

 protected:
  int Launch(RequestKind kind, std::string_view target) override;
  bool ApplyWallpaper(const std::string& picture, int32_t style) override;
  bool ActivateScreenSaver() override;
  // Runs a setting program to its end (a few seconds at most): true when it
  // ended with status 0. Tests replace it and the installed check, so that
  // the tester's own desktop is left alone.
  virtual bool RunProgram(const std::vector<std::string>& args);
  virtual bool HasProgram(const std::string& name);
};

// The shell in use: the installed one, else a recording one for a headless
// back end and the xdg one for a real display.
DesktopShell& CurrentDesktopShell();
DesktopShell* SetDesktopShell(DesktopShell* shell);

using ScopedDesktopShell = ScopedService<DesktopShell, &SetDesktopShell>;

}  // namespace orrivel::platform
