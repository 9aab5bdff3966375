#include "base/SystemTextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "base/Cp932.h"
#include "platform/TextCodec.h"

namespace orrivel {

std::string Cp932Text(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

std::string FormatCp932(const char* utf8Format, ...) {
  const std::string format = Cp932Text(utf8Format);
  va_list args;
  va_start(args, utf8Format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format.c_str(), copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(size_t(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format.c_str(), args);
    out.assign(buffer.data(), size_t(needed));
  }
  va_end(args);
  return out;
}

std::string CutAtCharacter(const std::string& text, size_t limit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t step = (cp932::IsLeadByte(uint8_t(text[at])) && at + 1 < text.size()) ? 2 : 1;
    if (at + step > limit) break;
    at += step;
  }
  return text.substr(0, at);
}

std::string ClockText(uint32_t mhz) {
  if (mhz == 0) return Cp932Text("？？MHz");
  if (mhz < 1000) return FormatCp932("%dMHz", int(mhz));
  return FormatCp932("%d.%02dGHz", int(mhz / 1000), int(mhz % 1000 / 10));
}

std::string CacheText(const ProcessorInfo& p) {
  std::vector<std::string> parts;
  if (p.traceCache) parts.push_back(FormatCp932("L1 T-Cache %dKμOPs", int(p.traceCache)));
  else if (p.l1Code) parts.push_back(FormatCp932("L1 C-Cache %dKB", int(p.l1Code)));
  if (p.l1Data) parts.push_back(FormatCp932("L1 D-Cache %dKB", int(p.l1Data)));
  if (p.l2) parts.push_back(FormatCp932("L2 Cache %dKB", int(p.l2)));
  if (p.l3) parts.push_back(FormatCp932("L3 Cache %dKB", int(p.l3)));
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) text += (i ? " / " : "") + parts[i];
  return text;
}

std::string GroupedMb(uint64_t mb) {
  if (mb >= 1000000)
    return FormatCp932("%3d,%03d,%03d", int(mb / 1000000), int(mb / 1000 % 1000), int(mb % 1000));
  if (mb >= 1000) return FormatCp932("    %3d,%03d", int(mb / 1000), int(mb % 1000));
  return FormatCp932("        %3d", int(mb));
}

std::string DriveSpaceText(uint64_t freeMb, uint64_t totalMb) {
  return GroupedMb(freeMb) + " / " + GroupedMb(totalMb) + " MB";
}

std::string FeatureMark(bool present) { return Cp932Text(present ? "○" : "×"); }

}  // namespace orrivel
