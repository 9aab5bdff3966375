#include "lpk/ExtractPath.h"

#include <cstdio>
#include <vector>

#include "base/Cp932.h"
#include "platform/TextCodec.h"

namespace orrivel::tools {

std::optional<std::string> ExtractPath(std::string_view memberName, uint32_t index) {
  if (memberName.empty()) {
    char text[16];
    std::snprintf(text, sizeof text, "%06u.DAT", unsigned(index));
    return std::string(text);
  }
  // Split on single-byte separators only: a trail byte 0x5C is part of its
  // character.
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= memberName.size();) {
    const bool end = i == memberName.size();
    const size_t length = end ? 1 : cp932::CharLength(memberName, i);
    if (end || (length == 1 && (memberName[i] == '\\' || memberName[i] == '/'))) {
      parts.push_back(memberName.substr(start, i - start));
      start = i + 1;
    }
    i += length;
  }
  std::string path;
  for (std::string_view part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    if (!path.empty()) path.push_back('/');
    path += platform::Cp932ToUtf8Lossy(part);
  }
  if (path.empty()) return std::nullopt;
  return path;
}

}  // namespace orrivel::tools
