#include "natives/ScriptFileRoots.h"

#include "base/Cp932.h"
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

const std::string& ScriptFileRoots::GameFolder() const { return gameFolder_.empty() ? BaseFolder() : gameFolder_; }

std::optional<ScriptFileRoots::Components> ScriptFileRoots::Root(const std::string& folder) const {
  if (folder.empty()) return std::nullopt;
  // A root given whole is taken as it is; a relative one lies in the game
  // folder.
  if (IsAbsoluteName(folder) || IsPathSeparator(folder[0])) return Normalised(folder);
  std::string full;
  if (MakeFullPath(full, folder, GameFolder()) == 0) return std::nullopt;
  return Normalised(full);
}

void ScriptFileRoots::AllowChosen(std::string_view path, bool folder) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return;
  std::optional<Components> components = Normalised(full);
  if (!components || components->empty()) return;
  (folder ? chosenFolders_ : chosenFiles_).push_back(std::move(*components));
}

std::optional<std::string> ScriptFileRoots::Resolve(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  const std::string& base = BaseFolder();
  std::string full;
  if (base.empty() && !IsAbsoluteName(name)) {
    // Nothing to resolve against: the name stays relative to where the
    // files are looked for, and may not climb out of it.
    if (!Normalised(std::string("R\\").append(name))) return std::nullopt;
    return std::string(name);
  }
  if (MakeFullPath(full, name) == 0) return std::nullopt;
  const std::optional<Components> path = Normalised(full);
  if (!path) return std::nullopt;
  for (const std::string* folder : {&GameFolder(), &saveFolder_}) {
    const std::optional<Components> root = Root(*folder);
    if (root && Inside(*path, *root)) return full;
  }
  for (const Components& chosen : chosenFolders_) {
    if (Inside(*path, chosen)) return full;
  }
  for (const Components& chosen : chosenFiles_) {
    if (path->size() == chosen.size() && Inside(*path, chosen)) return full;
  }
  return std::nullopt;
}

}  // namespace orrivel
