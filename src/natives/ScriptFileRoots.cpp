#include "natives/ScriptFileRoots.h"

#include <filesystem>
#include <system_error>

#include "base/Cp932.h"
#include "platform/PathResolver.h"
#include "resource/BaseFolder.h"
#include "resource/Paths.h"

namespace orrivel {

namespace {

bool IsAbsoluteName(std::string_view name) {
  if (name.size() >= 2 && IsPathSeparator(name[0]) && IsPathSeparator(name[1])) return true;
  for (size_t i = 0; i < name.size();) {
    const size_t length = cp932::CharLength(name, i);
    if (length == 1 && name[i] == ':') return true;
    i += length;
  }
  return false;
}

// ASCII letters of single-byte characters fold; trail bytes never do.
bool SameComponent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const size_t length = cp932::CharLength(a, i);
    if (length == 2) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
    } else {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
      if (fold(a[i]) != fold(b[i])) return false;
    }
    i += length;
  }
  return true;
}

// A host path at or under a host folder, compared as the disk names them.
bool HostInside(std::string_view path, std::string_view root) {
  if (path.size() < root.size() || path.compare(0, root.size(), root) != 0) return false;
  return path.size() == root.size() || root.back() == '/' || path[root.size()] == '/';
}

// The normal form of a full path from its components: a share keeps its
// leading pair of separators, a path from the root its one, a trailing
// separator stays.
std::string JoinedPath(std::string_view full, const std::vector<std::string>& components) {
  std::string joined;
  for (size_t i = 0; i < 2 && i < full.size() && IsPathSeparator(full[i]); ++i) joined += '\\';
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) joined += '\\';
    joined += components[i];
  }
  if (EndsWithSeparator(full)) joined += '\\';
  return joined;
}

bool IsRegularFile(const std::string& host) {
  std::error_code error;
  return std::filesystem::is_regular_file(host, error);
}

// A file the system would run: a regular file with an execute permission.
bool IsRunnable(const std::string& host) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(host, error);
  if (error || !std::filesystem::is_regular_file(status)) return false;
  using std::filesystem::perms;
  return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) != perms::none;
}

}  // namespace

std::optional<ScriptFileRoots::Components> ScriptFileRoots::Normalised(std::string_view path) {
  Components out;
  std::string part;
  auto flush = [&]() -> bool {
    if (part.empty() || part == ".") {
      part.clear();
      return true;
    }
    if (part == "..") {
      part.clear();
      // The drive (or a share's server) is never climbed over.
      if (out.size() <= 1) return false;
      out.pop_back();
      return true;
    }
    out.push_back(std::move(part));
    part.clear();
    return true;
  };
  for (size_t i = 0; i < path.size() && path[i] != '\0';) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && IsPathSeparator(path[i])) {
      if (!flush()) return std::nullopt;
    } else {
      part.append(path.substr(i, length));
    }
    i += length;
  }
  if (!flush()) return std::nullopt;
  return out;
}

bool ScriptFileRoots::Inside(const Components& path, const Components& root) {
  if (root.empty() || path.size() < root.size()) return false;
  for (size_t i = 0; i < root.size(); ++i) {
    if (!SameComponent(path[i], root[i])) return false;
  }
  return true;
}

bool ScriptFileRoots::Inside(const Judged& path, const Judged& root) {
  if (!Inside(path.components, root.components)) return false;
  return HostInside(path.host, root.host);
}

std::optional<ScriptFileRoots::Judged> ScriptFileRoots::Judge(std::string_view name) const {
  std::string full;
  if (MakeFullPath(full, name) == 0) return std::nullopt;
  return JudgeFull(full);
}

std::optional<ScriptFileRoots::Judged> ScriptFileRoots::JudgeFull(const std::string& full) {
  std::optional<Components> components = Normalised(full);
  if (!components || components->empty()) return std::nullopt;
  Judged judged;
  judged.full = JoinedPath(full, *components);
  std::optional<std::string> host = platform::ResolveHostPathThroughLinks(judged.full);
  if (!host) return std::nullopt;
  judged.components = std::move(*components);
  judged.host = std::move(*host);
  return judged;
}

const std::string& ScriptFileRoots::GameFolder() const { return gameFolder_.empty() ? BaseFolder() : gameFolder_; }

std::optional<ScriptFileRoots::Judged> ScriptFileRoots::Root(const std::string& folder) const {
  if (folder.empty()) return std::nullopt;
  // A root given whole is taken as it is; a relative one lies in the game
  // folder.
  if (IsAbsoluteName(folder) || IsPathSeparator(folder[0])) return JudgeFull(folder);
  std::string full;
  if (MakeFullPath(full, folder, GameFolder()) == 0) return std::nullopt;
  return JudgeFull(full);
}

void ScriptFileRoots::AllowChosen(std::string_view path, bool folder) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return;
  const std::optional<Components> components = Normalised(full);
  if (!components || components->empty()) return;
  (folder ? chosenFolders_ : chosenFiles_).push_back(JoinedPath(full, *components));
}

std::optional<std::string> ScriptFileRoots::Resolve(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  if (BaseFolder().empty() && !IsAbsoluteName(name)) {
    // Nothing to resolve against: the name stays relative to where the
    // files are looked for, and may not climb out of it.
    if (!Normalised(std::string("R\\").append(name))) return std::nullopt;
    return std::string(name);
  }
  const std::optional<Judged> path = Judge(name);
  if (!path) return std::nullopt;
  for (const std::string* folder : {&GameFolder(), &saveFolder_}) {
    const std::optional<Judged> root = Root(*folder);
    if (root && Inside(*path, *root)) return path->full;
  }
  for (const std::string& chosen : chosenFolders_) {
    const std::optional<Judged> root = JudgeFull(chosen);
    if (root && Inside(*path, *root)) return path->full;
  }
  for (const std::string& chosen : chosenFiles_) {
    const std::optional<Judged> file = JudgeFull(chosen);
    if (file && path->components.size() == file->components.size() && Inside(*path, *file)) return path->full;
  }
  return std::nullopt;
}

bool ScriptFileRoots::IsLibraryName(std::string_view name) {
  // The plug-in kinds the engine loads, the system's own library suffix
  // (a ".DLL" name is loaded as ".so") and programs.
  static constexpr std::string_view kLibraryExtensions[] = {"DLL", "SO",  "EXE", "SPI", "SLL",
                                                            "ADL", "GLL", "DCP", "TCP"};
  const std::string extension = GetFileExtension(name);
  if (extension.find_first_of("\\/") != std::string::npos) return false;
  for (std::string_view known : kLibraryExtensions) {
    if (SameComponent(extension, known)) return true;
  }
  return false;
}

std::optional<std::string> ScriptFileRoots::ResolveLibrary(std::string_view name) const {
  std::optional<std::string> full = Resolve(name);
  if (!full || !IsLibraryName(*full)) return std::nullopt;
  return full;
}

std::optional<std::string> ScriptFileRoots::ResolveForWriting(std::string_view name) const {
  std::optional<std::string> full = Resolve(name);
  if (!full || IsLibraryName(*full)) return std::nullopt;
  const std::optional<Judged> path = JudgeFull(*full);
  if (path && IsRunnable(path->host)) return std::nullopt;
  return full;
}

std::optional<std::string> ScriptFileRoots::ResolveProgram(std::string_view name) const {
  if (name.empty() || BaseFolder().empty()) return std::nullopt;
  const std::optional<Judged> path = Judge(name);
  const std::optional<Judged> root = Root(GameFolder());
  if (!path || !root || !Inside(*path, *root) || !IsRegularFile(path->host)) return std::nullopt;
  return path->full;
}

}  // namespace orrivel
