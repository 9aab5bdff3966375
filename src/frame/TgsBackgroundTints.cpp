#include "frame/TgsBackgroundTints.h"

#include <string>
#include <string_view>

#include "script/ParamReader.h"

namespace orrivel {

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

bool Counts(std::string_view line) { return !line.empty() && line.substr(0, 2) != "//"; }

// The number on a line (after an optional label word); false when none.
bool ReadNumber(const std::string& line, bool afterLabel, int32_t& out) {
  ParamReader reader(line.c_str());
  if (afterLabel) {
    reader.SkipSeparators();
    char label[TgsBackgroundTints::kMaxLabelBytes + 2];
    if (reader.ReadWord(label, sizeof label) != ParamReader::kOk) return false;
    reader.SkipWord();
  }
  reader.SkipSeparators();
  return reader.ReadInt(out) == ParamReader::kOk;
}

}  // namespace

int32_t TgsBackgroundTints::Parse(const uint8_t* data, size_t size, std::vector<int32_t>& table) {
  table.clear();
  if (!data) return kMissing;
  const std::vector<std::string_view> lines = Lines(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<int32_t> values;
  bool afterClass = false;
  for (std::string_view raw : lines) {
    if (!Counts(raw)) continue;
    // The line as its own zero-terminated text: the file may hold a zero.
    const std::string line(raw.substr(0, raw.find('\0')));
    int32_t value = 0;
    if (line[0] == '*') {
      if (values.empty()) return kRepeatFirst;
      if (!afterClass) return kRepeatNotAfterClass;
      value = values.back();
    } else if (line[0] == '[') {
      if (!ReadNumber(line.substr(1), true, value) || value == 0) return kClassZero;
      value = -value;
      afterClass = true;
      values.push_back(value);
      continue;
    } else {
      ReadNumber(line, false, value);
    }
    afterClass = false;
    values.push_back(value);
  }
  if (values.empty()) return kNoEntries;
  values.push_back(0);
  table = std::move(values);
  return kOk;
}

}  // namespace orrivel
