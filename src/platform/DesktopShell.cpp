#include "platform/DesktopShell.h"

#include "platform/Backend.h"
#include "platform/PathResolver.h"
#include "platform/Process.h"

namespace orrivel::platform {
namespace {

ServiceSlot<DesktopShell> g_slot;

std::string ProfileKey(const std::string& file, const std::string& section, const std::string& key) {
  return file + '\n' + section + '\n' + key;
}

// A shell word in single quotes (the command line runs through /bin/sh).
std::string Quote(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
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

bool DesktopShell::SetWallpaper(std::string_view path) {
  Record(RequestKind::SetWallpaper, path);
  return false;
}

bool DesktopShell::ScreenSaverActive() { return false; }

bool DesktopShell::SetScreenSaverActive(bool active) {
  Record(RequestKind::ScreenSaverActive, active ? "1" : "0");
  return false;
}

bool DesktopShell::StartScreenSaver() {
  Record(RequestKind::StartScreenSaver, "");
  return false;
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
  return StartProcess("xdg-open " + Quote(target) + " >/dev/null 2>&1", ProcessWait::None) == 0 ? 0 : 2;
}

DesktopShell& CurrentDesktopShell() {
  if (DesktopShell* installed = g_slot.Installed()) return *installed;
  static RecordingDesktopShell recording;
  static XdgDesktopShell desktop;
  if (CurrentBackend().IsHeadless()) return recording;
  return desktop;
}

DesktopShell* SetDesktopShell(DesktopShell* shell) { return g_slot.Install(shell); }

}  // namespace orrivel::platform
