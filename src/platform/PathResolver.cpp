#include "platform/PathResolver.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <vector>

#include "base/Cp932.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Components of a CP932 path; a trail byte equal to '\\' never splits.
std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    if (length == 1 && IsSeparator(path[i])) {
      parts.push_back(std::move(current));
      current.clear();
    } else {
      current.append(path.substr(i, length));
    }
    i += length;
  }
  parts.push_back(std::move(current));
  return parts;
}

bool Exists(const std::string& hostPath) {
  struct stat info;
  return ::lstat(hostPath.c_str(), &info) == 0;
}

// Upper-cases ASCII letters of single-byte characters; trail bytes stay.
// (Kept local: only the inline parts of base/Cp932.h are usable here.)
std::string FoldUpper(std::string_view text) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size();) {
    const size_t length = cp932::CharLength(folded, i);
    if (length == 1 && folded[i] >= 'a' && folded[i] <= 'z') folded[i] = char(folded[i] - 32);
    i += length;
  }
  return folded;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The entry of folder whose name equals wanted (CP932) without regard to
// ASCII letter case; empty when none.
std::string FindNoCase(const std::string& folder, const std::string& wanted) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  const std::string wantedUpper = FoldUpper(wanted);
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    const auto asCp932 = Utf8ToCp932(name);
    if (!asCp932) continue;
    if (FoldUpper(*asCp932) == wantedUpper) {
      found = std::string(name);
      break;
    }
  }
  ::closedir(dir);
  return found;
}

// A relative path made only of ".." steps has no parent to cut: it grows.
bool IsParentSteps(const std::string& hostPath) {
  return hostPath == ".." || (hostPath.size() >= 3 && hostPath.compare(hostPath.size() - 3, 3, "/..") == 0);
}

std::string ParentOf(const std::string& hostPath) {
  if (hostPath == "/" || hostPath.empty()) return hostPath;
  const size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return hostPath.substr(0, slash);
}

}  // namespace

std::optional<std::string> ResolveHostPath(std::string_view internalPath, ResolveMode mode) {
  if (internalPath.empty()) return std::nullopt;
  if (internalPath.size() >= 2 && IsSeparator(internalPath[0]) && IsSeparator(internalPath[1])) {
    return std::nullopt;  // network shares have no counterpart here
  }
  std::string host;
  std::string_view rest = internalPath;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (FoldUpper(rest.substr(0, 1))[0] != kRootDrive) return std::nullopt;
    host = "/";
    rest.remove_prefix(2);
  } else if (IsSeparator(rest[0])) {
    host = "/";
  }
  if (rest.find(':') != std::string_view::npos) return std::nullopt;

  const std::vector<std::string> parts = SplitComponents(rest);
  // The last non-empty component is the one a Create may make.
  size_t last = parts.size();
  for (size_t i = parts.size(); i-- > 0;) {
    if (!parts[i].empty() && parts[i] != "." && parts[i] != "..") {
      last = i;
      break;
    }
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      host = host.empty() ? std::string("..") : IsParentSteps(host) ? host + "/.." : ParentOf(host);
      continue;
    }
    const auto utf8 = Cp932ToUtf8(part);
    if (!utf8) return std::nullopt;
    std::string candidate = Join(host, *utf8);
    if (!Exists(candidate)) {
      const std::string match = FindNoCase(host, part);
      if (!match.empty()) {
        candidate = Join(host, match);
      } else if (!(mode == ResolveMode::Create && i == last)) {
        return std::nullopt;
      }
    }
    host = std::move(candidate);
  }
  if (host.empty()) host = ".";
  return host;
}

std::optional<std::string> ResolveHostPathThroughLinks(std::string_view internalPath) {
  std::string_view rest = internalPath;
  if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) return std::nullopt;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (FoldUpper(rest.substr(0, 1))[0] != kRootDrive) return std::nullopt;
    rest.remove_prefix(2);
  }
  if (rest.empty() || !IsSeparator(rest[0]) || rest.find(':') != std::string_view::npos) return std::nullopt;
  std::string host = "/";
  // Once a component is missing, nothing after it exists either: no link
  // can lie there.
  bool missing = false;
  for (const std::string& part : SplitComponents(rest)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      host = ParentOf(host);
      continue;
    }
    const auto utf8 = Cp932ToUtf8(part);
    if (!utf8) return std::nullopt;
    std::string candidate = Join(host, *utf8);
    if (!missing && !Exists(candidate)) {
      const std::string match = FindNoCase(host, part);
      if (match.empty()) missing = true;
      else candidate = Join(host, match);
    }
    if (!missing) {
      char real[PATH_MAX];
      if (::realpath(candidate.c_str(), real) == nullptr) return std::nullopt;
      candidate = real;
    }
    host = std::move(candidate);
  }
  return host;
}

std::optional<std::string> ToInternalPath(std::string_view hostPath) {
  const auto cp932 = Utf8ToCp932(hostPath);
  if (!cp932) return std::nullopt;
  std::string result;
  std::string_view rest = *cp932;
  if (!rest.empty() && rest[0] == '/') {
    result = std::string(1, kRootDrive) + ":\\";
    while (!rest.empty() && rest[0] == '/') rest.remove_prefix(1);
  }
  // Host names are UTF-8 converted to CP932; a '/' can never be a trail
  // byte of the converted text's characters that came from UTF-8 slashes,
  // but scan pairwise anyway so trail bytes stay untouched.
  for (size_t i = 0; i < rest.size();) {
    const size_t length = cp932::CharLength(rest, i);
    if (length == 1 && rest[i] == '/') {
      if (result.empty() || result.back() != '\\') result.push_back('\\');
    } else {
      result.append(rest.substr(i, length));
    }
    i += length;
  }
  return result;
}

std::string HostPathForMessage(std::string_view internalPath) {
  if (const auto resolved = ResolveHostPath(internalPath, ResolveMode::Existing)) return *resolved;
  // A path that does not exist is shown as the machine would name it: the
  // root drive is the root folder, backslashes are slashes (a trail byte
  // '\\' stays part of its character).
  std::string_view rest = internalPath;
  std::string cp932;
  if (rest.size() >= 2 && rest[1] == ':' && FoldUpper(rest.substr(0, 1))[0] == kRootDrive) {
    cp932 = "/";
    rest.remove_prefix(2);
  }
  for (size_t i = 0; i < rest.size();) {
    const size_t length = cp932::CharLength(rest, i);
    if (length == 1 && IsSeparator(rest[i])) {
      if (cp932.empty() || cp932.back() != '/') cp932.push_back('/');
    } else {
      cp932.append(rest.substr(i, length));
    }
    i += length;
  }
  return Cp932ToUtf8Lossy(cp932);
}

}  // namespace orrivel::platform
