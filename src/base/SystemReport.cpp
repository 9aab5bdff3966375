#include "base/SystemReport.h"

#include <chrono>
#include <cstdio>

#include "platform/TextCodec.h"

namespace orrivel {
namespace {

std::string Stamp(const char* format) {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  platform::LocalTime t{};
  if (auto local = platform::ToLocalTime(ns)) t = *local;
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buffer;
}

}  // namespace

bool SystemReport::Open(const std::string& internalPath) {
  Close();
  blocks_.clear();
  path_ = internalPath;
  tempPath_ = internalPath + ".tmp";
  file_ = platform::File::Open(tempPath_, platform::File::Access::Write, platform::File::Disposition::CreateAlways);
  return file_.IsOpen();
}

void SystemReport::Close() {
  if (!file_.IsOpen()) return;
  file_.Flush();
  file_.Close();
  if (!platform::RenameFile(tempPath_, path_)) platform::RemoveFile(tempPath_);
}

void SystemReport::Write(const std::string& text) {
  if (file_.IsOpen()) file_.Write(text.data(), text.size());
}

std::string SystemReport::VersionText(uint8_t major, uint8_t minor, uint8_t revision) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d.%02d", major, minor);
  std::string text = buffer;
  if (revision) {
    std::snprintf(buffer, sizeof buffer, "%x", revision);
    text += buffer;
  }
  return text;
}

void SystemReport::WriteHead(const std::string& title, uint8_t major, uint8_t minor, uint8_t revision,
                             const std::vector<std::string>& infoLines) {
  Mark(1);
  Write(Stamp("< Initialize Start...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n\r\n"));
  Write(platform::Utf8ToCp932Lossy("「") + title + platform::Utf8ToCp932Lossy("」") + "Version " +
        VersionText(major, minor, revision) + "\r\n");
  for (const std::string& line : infoLines) Write(line + "\r\n");
}

void SystemReport::WriteTail() {
  Mark(10);
  Write(Stamp("\r\n< Initialize Done...  %04d/%02d/%02d  %02d:%02d:%02d >\r\n"));
}

}  // namespace orrivel
