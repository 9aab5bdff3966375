#include "resource/Paths.h"

#include <optional>
#include <vector>

#include "base/Cp932.h"
#include "platform/DriveProbe.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {

// Byte offsets of every single-byte separator.
std::vector<size_t> SeparatorOffsets(std::string_view path) {
  std::vector<size_t> offsets;
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && IsPathSeparator(path[i])) offsets.push_back(i);
    i += length;
  }
  return offsets;
}

size_t FindLastDot(std::string_view path) {
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && path[i] == '.') dot = i;
    i += length;
  }
  return dot;
}

bool HasColon(std::string_view path) {
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && path[i] == ':') return true;
    i += length;
  }
  return false;
}

// Slashes from byte `from` on become backslashes; trail bytes stay.
void SlashesToBackslashes(std::string& path, size_t from) {
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && i >= from && path[i] == '/') path[i] = '\\';
    i += length;
  }
}

bool StartsWithDotSegment(std::string_view name, std::string_view dots) {
  return name.size() > dots.size() && name.substr(0, dots.size()) == dots && IsPathSeparator(name[dots.size()]);
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

size_t FindLastSeparator(std::string_view path) {
  const auto offsets = SeparatorOffsets(path);
  return offsets.empty() ? std::string_view::npos : offsets.back();
}

bool EndsWithSeparator(std::string_view path) {
  const size_t last = FindLastSeparator(path);
  return last != std::string_view::npos && last + 1 == path.size();
}

bool AppendSeparator(std::string& path) {
  if (EndsWithSeparator(path)) return true;
  if (path.size() + 1 >= kMaxPath) return false;
  path.push_back('\\');
  return true;
}

int MakeFullPath(std::string& destination, std::string_view name) {
  return MakeFullPath(destination, name, BaseFolder());
}

int MakeFullPath(std::string& destination, std::string_view name, std::string_view base) {
  if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') {
    if (name.size() >= kMaxPath) return 0;
    destination.assign(name);
    SlashesToBackslashes(destination, 2);
    return 1;
  }
  if (HasColon(name)) {
    if (name.size() >= kMaxPath) return 0;
    destination.assign(name);
    SlashesToBackslashes(destination, 0);
    return 1;
  }
  std::string work(base);
  for (;;) {
    if (StartsWithDotSegment(name, ".")) {
      name.remove_prefix(2);
    } else if (StartsWithDotSegment(name, "..")) {
      if (CutToParentFolder(work) != 0) return 0;
      name.remove_prefix(3);
    } else {
      break;
    }
  }
  if (work.empty()) return 0;
  if (!name.empty() && IsPathSeparator(name[0])) name.remove_prefix(1);
  if (work.size() + name.size() >= kMaxPath) return 0;
  const size_t basePart = work.size();
  work.append(name);
  SlashesToBackslashes(work, basePart);
  destination = std::move(work);
  return 2;
}

int CutToParentFolder(std::string& path) {
  if (path.size() < 3) return 1;
  const auto offsets = SeparatorOffsets(path);
  if (offsets.empty()) return 1;
  const size_t last = offsets.back();
  size_t before = offsets.size() >= 2 ? offsets[offsets.size() - 2] : std::string::npos;
  if (path[0] == '\\' && path[1] == '\\') {
    if (before == 0) return 0;  // "\\\\server": nothing above it
    if (before == 1) before = std::string::npos;
  }
  if (last + 1 != path.size()) {
    path.resize(last + 1);
    return 0;
  }
  if (before != std::string::npos) path.resize(before + 1);
  return 0;
}

void CutFileName(std::string& path, std::string* fileName) {
  if (fileName) fileName->clear();
  const size_t last = FindLastSeparator(path);
  if (last == std::string::npos || last + 1 == path.size()) return;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\' && last <= 1) return;
  if (fileName) fileName->assign(path.substr(last + 1));
  path.resize(last + 1);
}

std::string SplitPathName(std::string_view path, bool wantFolderName) {
  const auto offsets = SeparatorOffsets(path);
  if (offsets.empty()) return std::string(path);
  const size_t last = offsets.back();
  if (last + 1 != path.size()) return std::string(path.substr(last + 1));
  if (!wantFolderName) return {};
  if (offsets.size() < 2) return std::string(path.substr(0, last));
  const size_t before = offsets[offsets.size() - 2];
  return std::string(path.substr(before + 1, last - before - 1));
}

std::string GetFileExtension(std::string_view path) {
  const size_t dot = FindLastDot(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

void RemoveFileExtension(std::string& path, std::string* extension) {
  if (extension) extension->clear();
  const size_t dot = FindLastDot(path);
  if (dot == std::string::npos) return;
  if (extension) extension->assign(path.substr(dot + 1));
  path.resize(dot);
}

namespace {

// As a directory search takes a name: '*' and '?' in its last part stand for
// any file they match (letters without case); without them the name itself
// must exist. Neither byte can be the second of a two-byte character.
bool AnyFileMatches(const std::string& path) {
  const size_t last = FindLastSeparator(path);
  const size_t nameStart = last == std::string::npos ? 0 : last + 1;
  const std::string_view pattern = std::string_view(path).substr(nameStart);
  if (pattern.find_first_of("*?") == std::string_view::npos) return platform::PathExists(path);
  const auto found = platform::ScanFolder(path.substr(0, nameStart), pattern);
  return found && !found->empty();
}

}  // namespace

int FindFileOnAllDrives(std::string_view fileName, std::string* root) {
  if (root) root->clear();
  bool examined = false;
  for (const std::string& mountPoint : platform::OpticalMountPoints()) {
    std::optional<std::string> driveRoot = platform::ToInternalPath(mountPoint);
    // A disc whose mount point has no internal form cannot be named to a script.
    if (!driveRoot || !AppendSeparator(*driveRoot)) continue;
    examined = true;
    const std::string candidate = *driveRoot + std::string(fileName);
    if (!fileName.empty() && (candidate.size() >= kMaxPath || !AnyFileMatches(candidate))) continue;
    if (root) *root = *driveRoot;
    return 0;
  }
  return examined ? 2 : 1;
}

}  // namespace orrivel
