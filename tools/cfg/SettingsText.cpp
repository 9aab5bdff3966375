#include "cfg/SettingsText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>

#include "game/AppSettings.h"
#include "platform/TextCodec.h"

namespace orrivel::tools {

namespace {

struct NamedField {
  const char* name;
  size_t offset;
  size_t width;
};

constexpr NamedField kSystemFields[] = {
    {"width", 0, 2},        {"height", 2, 2},          {"style", 4, 4},     {"ex_style", 8, 4},
    {"icon", 12, 2},        {"menu", 14, 2},           {"accelerators", 16, 2}, {"single_instance", 18, 1},
    {"screen_modes", 19, 1}, {"removable", 20, 1},     {"save_mode", 21, 1}, {"frame_kind", 22, 1},
};

constexpr const char* kInfoStrings[] = {"title", "product", "rights", "web", "folder"};

std::string Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return std::string(text.substr(begin, end - begin));
}

std::optional<uint32_t> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != '\0') return std::nullopt;
  return uint32_t(value);
}

void Put(std::span<uint8_t> block, size_t offset, size_t width, uint32_t value) {
  for (size_t i = 0; i < width; ++i) block[offset + i] = uint8_t(value >> (8 * i));
}

uint32_t Get(std::span<const uint8_t> block, size_t offset, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint32_t(block[offset + i]) << (8 * i);
  return value;
}

// "prefix.N" with N inside a block of the size: N, else nullopt.
std::optional<size_t> Offset(const std::string& field, std::string_view prefix, size_t size, size_t width) {
  if (field.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const std::optional<uint32_t> n = Number(field.substr(prefix.size()));
  if (!n || *n + width > size) return std::nullopt;
  return *n;
}

std::string Utf8(const std::string& cp932) { return platform::Cp932ToUtf8Lossy(cp932); }

bool SetField(SettingsFileKind kind, const std::string& field, const std::string& value, AppSettings& s,
              SetupInfo& setup, size_t& count) {
  const std::optional<uint32_t> number = Number(value);
  switch (kind) {
    case SettingsFileKind::System: {
      if (field == "count" && number) return count = *number, true;
      for (const NamedField& f : kSystemFields)
        if (field == f.name && number) return Put(s.system, f.offset, f.width, *number), true;
      if (auto at = Offset(field, "", s.system.size(), 1); at && number) return Put(s.system, *at, 1, *number), true;
      return false;
    }
    case SettingsFileKind::Info: {
      static constexpr const char* kVersion[] = {"major", "minor", "build"};
      for (size_t i = 0; i < 3; ++i)
        if (field == kVersion[i] && number) return s.version[i] = uint8_t(*number), true;
      for (size_t i = 0; i < 5; ++i)
        if (field == kInfoStrings[i]) return s.info[i] = platform::Utf8ToCp932Lossy(value), true;
      return false;
    }
    case SettingsFileKind::UserConfig: {
      if (field == "folder") return s.chosenFolder = platform::Utf8ToCp932Lossy(value), true;
      if (!number) return false;
      if (auto at = Offset(field, "user32.", s.user.size(), 4)) return Put(s.user, *at, 4, *number), true;
      if (auto at = Offset(field, "window32.", s.window.size(), 4)) return Put(s.window, *at, 4, *number), true;
      if (auto at = Offset(field, "user.", s.user.size(), 1)) return Put(s.user, *at, 1, *number), true;
      if (auto at = Offset(field, "window.", s.window.size(), 1)) return Put(s.window, *at, 1, *number), true;
      if (auto at = Offset(field, "boot.", s.boot.size(), 1)) return Put(s.boot, *at, 1, *number), true;
      return false;
    }
    case SettingsFileKind::AppConfig: {
      if (field == "face") {
        const std::string face = platform::Utf8ToCp932Lossy(value);
        if (face.size() > 31) return false;
        std::fill(s.appConfig.begin() + 36, s.appConfig.begin() + 68, uint8_t(0));
        std::memcpy(s.appConfig.data() + 36, face.data(), face.size());
        return true;
      }
      if (!number) return false;
      if (auto at = Offset(field, "u32.", s.appConfig.size(), 4)) return Put(s.appConfig, *at, 4, *number), true;
      if (auto at = Offset(field, "", s.appConfig.size(), 1)) return Put(s.appConfig, *at, 1, *number), true;
      return false;
    }
    case SettingsFileKind::Setup:
      if (field == "key") return setup.keyName = platform::Utf8ToCp932Lossy(value), true;
      if (field == "per_user" && number) return setup.perUser = *number != 0, true;
      return false;
  }
  return false;
}

template <size_t N>
void DumpChangedBytes(std::ostringstream& out, const char* prefix, const std::array<uint8_t, N>& block,
                      const std::array<uint8_t, N>& defaults) {
  for (size_t i = 0; i < N; ++i)
    if (block[i] != defaults[i]) out << prefix << i << " = " << unsigned(block[i]) << "\n";
}

}  // namespace

bool SettingsKindFromName(std::string_view fileName, SettingsFileKind* kind) {
  std::string name(fileName.substr(fileName.find_last_of("/\\") == std::string_view::npos
                                       ? 0
                                       : fileName.find_last_of("/\\") + 1));
  for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
  static const std::pair<const char*, SettingsFileKind> kNames[] = {
      {"VQ_APP.SYS", SettingsFileKind::System},     {"VQ_APP.INF", SettingsFileKind::Info},
      {"USER.CFG", SettingsFileKind::UserConfig},   {"APP_CFG.DAT", SettingsFileKind::AppConfig},
      {"SET_UP.IFG", SettingsFileKind::Setup}};
  for (const auto& [known, k] : kNames) {
    if (name == known) {
      *kind = k;
      return true;
    }
  }
  return false;
}

bool BuildSettingsFile(SettingsFileKind kind, std::string_view text, std::vector<uint8_t>* out, std::string* error) {
  AppSettings settings;
  SetupInfo setup;
  size_t count = AppSettings::kSystemSize;
  size_t lineNumber = 0;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    ++lineNumber;
    const std::string content = Trim(line.substr(0, line.find('#')));
    if (content.empty()) continue;
    const size_t equals = content.find('=');
    if (equals == std::string::npos ||
        !SetField(kind, Trim(content.substr(0, equals)), Trim(content.substr(equals + 1)), settings, setup, count)) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": cannot use \"" + content + "\"";
      return false;
    }
  }
  switch (kind) {
    case SettingsFileKind::System: *out = EncodeSystemFile(settings.system, count); break;
    case SettingsFileKind::Info: *out = EncodeInfoFile(settings.version, settings.info); break;
    case SettingsFileKind::UserConfig: *out = EncodeUserConfig(settings); break;
    case SettingsFileKind::AppConfig: *out = EncodeAppConfig(settings.appConfig); break;
    case SettingsFileKind::Setup: *out = EncodeSetupFile(setup); break;
  }
  return true;
}

std::string DumpSettingsFile(SettingsFileKind kind, const std::vector<uint8_t>& bytes) {
  std::ostringstream out;
  AppSettings s;
  const AppSettings defaults;
  switch (kind) {
    case SettingsFileKind::System: {
      // The block as stored, before the reader forces its fixed fields.
      if (bytes.size() < 2) return "error: no count\n";
      const size_t count = Get(bytes, 0, 2);
      if (count > bytes.size() - 2) return "error: the count runs past the end of the file\n";
      std::copy_n(bytes.begin() + 2, std::min(count, s.system.size()), s.system.begin());
      out << "count = " << count << "\n";
      for (const NamedField& f : kSystemFields) out << f.name << " = " << Get(s.system, f.offset, f.width) << "\n";
      break;
    }
    case SettingsFileKind::Info:
      if (ReadInfoFile(bytes, s.version, s.info) != 0) return "error: a string runs past the end of the file\n";
      out << "major = " << unsigned(s.version[0]) << "\nminor = " << unsigned(s.version[1])
          << "\nbuild = " << unsigned(s.version[2]) << "\n";
      for (size_t i = 0; i < 5; ++i)
        if (s.info[i]) out << kInfoStrings[i] << " = " << Utf8(*s.info[i]) << "\n";
      break;
    case SettingsFileKind::UserConfig:
      if (ReadUserConfig(bytes, s) != 0) return "error: the file ends inside a block\n";
      DumpChangedBytes(out, "user.", s.user, defaults.user);
      DumpChangedBytes(out, "window.", s.window, defaults.window);
      DumpChangedBytes(out, "boot.", s.boot, defaults.boot);
      if (s.chosenFolder) out << "folder = " << Utf8(*s.chosenFolder) << "\n";
      break;
    case SettingsFileKind::AppConfig:
      if (!ReadAppConfig(bytes, s.appConfig)) return "error: no size word\n";
      DumpChangedBytes(out, "", s.appConfig, defaults.appConfig);
      break;
    case SettingsFileKind::Setup: {
      const std::optional<SetupInfo> setup = ReadSetupFile(bytes);
      if (!setup) return "error: no installation named\n";
      out << "key = " << Utf8(setup->keyName) << "\nper_user = " << (setup->perUser ? 1 : 0) << "\n";
      break;
    }
  }
  return out.str();
}

}  // namespace orrivel::tools
