#include "natives/ScriptTextFormat.h"

#include <algorithm>
#include <cstdio>

#include "base/Cp932.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

size_t CharBoundary(std::string_view text, size_t max) {
  size_t length = 0;
  while (length < text.size()) {
    const size_t step = cp932::CharLength(text, length);
    if (length + step > max) break;
    length += step;
  }
  return length;
}

namespace {

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  bool half = false;
  char letter = 0;
};

// Reads a decimal count at pos; widths beyond the output size mean nothing.
int ReadCount(const std::string& format, size_t& pos) {
  int value = 0;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    value = std::min(value * 10 + (format[pos] - '0'), int(kScriptFormatMaxBytes));
    ++pos;
  }
  return value;
}

// Parses the conversion after the '%' at pos; pos ends after its letter
// (or at the end of the format when it has none).
Conversion ParseConversion(const std::string& format, size_t& pos) {
  Conversion c;
  while (pos < format.size() && std::string_view("-+ #0").find(format[pos]) != std::string_view::npos)
    c.flags += format[pos++];
  if (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') c.width = ReadCount(format, pos);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    c.precision = ReadCount(format, pos);
  }
  while (pos < format.size() && (format[pos] == 'l' || format[pos] == 'h')) c.half = format[pos++] == 'h';
  if (pos < format.size()) c.letter = format[pos++];
  return c;
}

// The printf form of a numeric conversion, with only the flags that mean
// something for it (the others are dropped as the scripts' formatter does).
std::string ConversionText(const Conversion& c, const char* conversion, std::string_view allowedFlags) {
  std::string text = "%";
  for (char flag : c.flags)
    if (allowedFlags.find(flag) != std::string_view::npos) text += flag;
  if (c.width >= 0) text += std::to_string(c.width);
  if (c.precision >= 0) text += "." + std::to_string(c.precision);
  return text + conversion;
}

template <typename T>
std::string Print(const std::string& format, T value) {
  char buffer[2 * kScriptFormatMaxBytes + 64];
  const int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
  return n > 0 ? std::string(buffer, std::min<size_t>(size_t(n), sizeof buffer - 1)) : std::string();
}

// Pads text to the width, on the left unless the '-' flag is given.
std::string Pad(std::string text, const Conversion& c) {
  if (c.width < 0 || size_t(c.width) <= text.size()) return text;
  const std::string fill(size_t(c.width) - text.size(), ' ');
  return c.flags.find('-') != std::string::npos ? text + fill : fill + text;
}

// The string of a %s cell, cut to the precision on a character boundary.
std::optional<std::string> StringArgument(NativeArgs& args, uint32_t address, const Conversion& c) {
  if (address == 0) return std::string("(null)");
  std::string text;
  if (!args.Space().ReadString(address, text, kScriptFormatMaxBytes)) {
    args.Fail();
    return std::nullopt;
  }
  if (c.precision >= 0 && text.size() > size_t(c.precision)) {
    text.resize(CharBoundary(text, size_t(c.precision)));
  }
  return text;
}

std::optional<std::string> Convert(NativeArgs& args, const Conversion& c, uint32_t cell) {
  uint32_t value = args.Cell(cell);
  if (args.Failed()) return std::nullopt;
  if (c.half && c.letter != 's') value &= 0xFFFF;
  switch (c.letter) {
    case 'd':
    case 'i':
      return Print(ConversionText(c, "d", "-+ 0"), c.half ? int32_t(int16_t(value)) : int32_t(value));
    case 'u':
      return Print(ConversionText(c, "u", "-0"), value);
    case 'x':
      return Print(ConversionText(c, "x", "-#0"), value);
    case 'X':
      return Print(ConversionText(c, "X", "-#0"), value);
    case 'c': {
      const char ch = char(value);
      return Pad(ch ? std::string(1, ch) : std::string(), c);
    }
    case 's': {
      auto text = StringArgument(args, value, c);
      if (!text) return std::nullopt;
      return Pad(*text, c);
    }
    default:
      return std::string();
  }
}

bool TakesCell(char letter) { return std::string_view("diuxXcs").find(letter) != std::string_view::npos; }

}  // namespace

std::optional<std::string> FormatScriptText(NativeArgs& args, const std::string& format, uint32_t firstCell) {
  std::string out;
  uint32_t cell = firstCell;
  size_t pos = 0;
  while (pos < format.size() && out.size() < kScriptFormatMaxBytes) {
    const char ch = format[pos++];
    if (ch != '%') {
      out += ch;
      continue;
    }
    const Conversion c = ParseConversion(format, pos);
    if (c.letter == 0) break;
    if (!TakesCell(c.letter)) {
      out += c.letter;  // "%%" and letters that are no conversion
      continue;
    }
    auto piece = Convert(args, c, cell++);
    if (!piece) return std::nullopt;
    out += *piece;
  }
  if (out.size() > kScriptFormatMaxBytes - 1) out.resize(CharBoundary(out, kScriptFormatMaxBytes - 1));
  return out;
}

}  // namespace orrivel
