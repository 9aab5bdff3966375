#include "platform/DesktopShell.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/Backend.h"
#include "platform/PathResolver.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

ServiceSlot<DesktopShell> g_slot;

std::string ProfileKey(const std::string& file, const std::string& section, const std::string& key) {
  return file + '\n' + section + '\n' + key;
}

// The desktop families that keep their wallpaper in gsettings, by the names
// $XDG_CURRENT_DESKTOP lists (colon-separated, any letter case).
enum class WallpaperFamily { None, Gnome, Cinnamon, Mate };

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return out;
}

WallpaperFamily FamilyOf(std::string_view currentDesktop) {
  size_t start = 0;
  while (start <= currentDesktop.size()) {
    const size_t end = std::min(currentDesktop.find(':', start), currentDesktop.size());
    const std::string name = Lower(currentDesktop.substr(start, end - start));
    if (name == "x-cinnamon" || name == "cinnamon") return WallpaperFamily::Cinnamon;
    if (name == "mate") return WallpaperFamily::Mate;
    if (name == "gnome" || name == "unity" || name == "budgie" || name == "pantheon" || name == "gnome-flashback" ||
        name == "gnome-classic") {
      return WallpaperFamily::Gnome;
    }
    start = end + 1;
  }
  return WallpaperFamily::None;
}

// A file address of a host path, every byte outside the unreserved set and
// '/' written as %XX.
std::string FileUri(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
        byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

// A text as a settings value: a quoted string, so that no text is read as
// another kind of value.
std::string SettingText(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

std::string PictureOptions(int32_t style) {
  switch (style) {
    case 1: return "'wallpaper'";
    case 2: return "'stretched'";
    default: return "'centered'";
  }
}

std::string CurrentDesktopName() {
  const char* value = std::getenv("XDG_CURRENT_DESKTOP");
  return value ? value : "";
}

// The desktop's setting programs end in well under a second; one still
// running after this is taken as failed (and stopped).
constexpr std::chrono::seconds kSettingProgramLimit{5};

// Versions of the desktop without a dark style refuse its key; the picture
// took all the same.
bool IsDarkStyleSetting(const std::vector<std::string>& command) {
  return command.size() > 3 && command[3] == "picture-uri-dark";
}

}  // namespace

void DesktopShell::Record(RequestKind kind, std::string_view target) {
  std::lock_guard hold(lock_);
  requests_.push_back({kind, std::string(target)});
}

int DesktopShell::Open(std::string_view target) {
  Record(RequestKind::Open, target);
  return Launch(RequestKind::Open, target);
}

int DesktopShell::Explore(std::string_view internalFolder) {
  Record(RequestKind::Explore, internalFolder);
  return Launch(RequestKind::Explore, internalFolder);
}

bool DesktopShell::SetWallpaper(std::string_view picture, int32_t style) {
  Record(RequestKind::SetWallpaper, picture);
  return HasWallpaperSetting() && ApplyWallpaper(std::string(picture), style);
}

bool DesktopShell::ScreenSaverActive() { return false; }

bool DesktopShell::SetScreenSaverActive(bool active) {
  Record(RequestKind::ScreenSaverActive, active ? "1" : "0");
  return false;
}

bool DesktopShell::StartScreenSaver() {
  Record(RequestKind::StartScreenSaver, "");
  return ActivateScreenSaver();
}

void DesktopShell::WriteValue(const std::string& key, const std::string& name, const std::string& value) {
  std::lock_guard hold(lock_);
  values_[key + '\n' + name] = value;
}

std::optional<std::string> DesktopShell::ReadValue(const std::string& key, const std::string& name) const {
  std::lock_guard hold(lock_);
  auto it = values_.find(key + '\n' + name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void DesktopShell::WriteProfile(const std::string& file, const std::string& section, const std::string& key,
                                const std::optional<std::string>& value) {
  std::lock_guard hold(lock_);
  if (value) profile_[ProfileKey(file, section, key)] = *value;
  else profile_.erase(ProfileKey(file, section, key));
}

std::optional<std::string> DesktopShell::ReadProfile(const std::string& file, const std::string& section,
                                                     const std::string& key) const {
  std::lock_guard hold(lock_);
  auto it = profile_.find(ProfileKey(file, section, key));
  if (it == profile_.end()) return std::nullopt;
  return it->second;
}

std::vector<DesktopShell::Request> DesktopShell::Requests() const {
  std::lock_guard hold(lock_);
  return requests_;
}

int XdgDesktopShell::Launch(RequestKind kind, std::string_view target) {
  if (target.empty()) return 2;
  // A file or folder of the game's own path form goes by its host path;
  // anything else (an address) as it is.
  if (kind == RequestKind::Explore || ResolveHostPath(target, ResolveMode::Existing)) return OpenInFileManager(target);
  if (kind != RequestKind::Open) return 2;
  // The address is one argument of the opener, never shell text: a script
  // gives it.
  const auto address = Cp932ToUtf8(target);
  if (!address) return 2;
  return StartProgramArguments({"xdg-open", *address}) == 0 ? 0 : 2;
}

std::vector<std::vector<std::string>> XdgDesktopShell::WallpaperCommands(std::string_view currentDesktop,
                                                                         const std::string& picture,
                                                                         int32_t style) {
  const auto set = [](const char* schema, const char* key, std::string value) {
    return std::vector<std::string>{"gsettings", "set", schema, key, std::move(value)};
  };
  switch (FamilyOf(currentDesktop)) {
    case WallpaperFamily::Gnome: {
      const char* schema = "org.gnome.desktop.background";
      // The dark style's picture too: the desktop shows that one while its
      // dark style is on (older versions have no such key and refuse it).
      return {set(schema, "picture-options", PictureOptions(style)),
              set(schema, "picture-uri", SettingText(FileUri(picture))),
              set(schema, "picture-uri-dark", SettingText(FileUri(picture)))};
    }
    case WallpaperFamily::Cinnamon: {
      const char* schema = "org.cinnamon.desktop.background";
      return {set(schema, "picture-options", PictureOptions(style)),
              set(schema, "picture-uri", SettingText(FileUri(picture)))};
    }
    case WallpaperFamily::Mate: {
      const char* schema = "org.mate.background";
      return {set(schema, "picture-options", PictureOptions(style)),
              set(schema, "picture-filename", SettingText(picture))};
    }
    case WallpaperFamily::None:
      break;
  }
  return {};
}

bool XdgDesktopShell::HasWallpaperSetting() {
  return FamilyOf(CurrentDesktopName()) != WallpaperFamily::None && HasProgram("gsettings");
}

bool XdgDesktopShell::ApplyWallpaper(const std::string& picture, int32_t style) {
  const auto commands = WallpaperCommands(CurrentDesktopName(), picture, style);
  if (commands.empty() || picture.empty()) return false;
  bool took = true;
  for (const auto& command : commands) {
    const bool ran = RunProgram(command);
    if (!IsDarkStyleSetting(command)) took = ran && took;
  }
  return took;
}

bool XdgDesktopShell::ActivateScreenSaver() {
  return HasProgram("xdg-screensaver") && RunProgram({"xdg-screensaver", "activate"});
}

bool XdgDesktopShell::RunProgram(const std::vector<std::string>& args) {
  return RunProgramArgumentsFor(args, kSettingProgramLimit) == 0;
}

bool XdgDesktopShell::HasProgram(const std::string& name) { return ProgramOnSearchPath(name); }

DesktopShell& CurrentDesktopShell() {
  if (DesktopShell* installed = g_slot.Installed()) return *installed;
  static RecordingDesktopShell recording;
  static XdgDesktopShell desktop;
  if (CurrentBackend().IsHeadless()) return recording;
  return desktop;
}

DesktopShell* SetDesktopShell(DesktopShell* shell) { return g_slot.Install(shell); }

}  // namespace orrivel::platform
