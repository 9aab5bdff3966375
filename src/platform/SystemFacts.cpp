#include "platform/SystemFacts.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace orrivel::platform {

namespace {

std::string ReadSmallFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str().substr(0, 1 << 16);
}

std::string Unquoted(const std::string& value) {
  if (value.size() < 2 || (value.front() != '"' && value.front() != '\'')) return value;
  std::string out;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] == '\\' && i + 2 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

// Bytes the kernel counts as available for new work (MemAvailable), which
// includes the caches it would give back; 0 when it does not say.
uint64_t MemAvailableBytes() {
  std::istringstream lines(ReadSmallFile("/proc/meminfo"));
  std::string key;
  uint64_t kilobytes = 0;
  while (lines >> key >> kilobytes) {
    if (key == "MemAvailable:") return kilobytes * 1024;
    lines.ignore(1 << 10, '\n');
  }
  return 0;
}

}  // namespace

std::string OsReleaseName(const std::string& text) {
  std::istringstream lines(text);
  std::string line, pretty, name;
  while (std::getline(lines, line)) {
    if (line.rfind("PRETTY_NAME=", 0) == 0) pretty = Unquoted(line.substr(12));
    else if (line.rfind("NAME=", 0) == 0) name = Unquoted(line.substr(5));
  }
  return pretty.empty() ? name : pretty;
}

SystemFacts ReadSystemFacts() {
  SystemFacts f;
  utsname u{};
  if (uname(&u) == 0) {
    f.systemName = u.sysname;
    f.release = u.release;
    f.version = u.version;
    f.machine = u.machine;
  }
  struct sysinfo si {};
  if (sysinfo(&si) == 0) {
    f.totalMemory = uint64_t(si.totalram) * si.mem_unit;
    f.availableMemory = uint64_t(si.freeram + si.bufferram) * si.mem_unit;
  }
  if (const uint64_t available = MemAvailableBytes(); available != 0 && available <= f.totalMemory) {
    f.availableMemory = available;
  }
  f.distribution = OsReleaseName(ReadSmallFile("/etc/os-release"));
  if (f.distribution.empty()) f.distribution = OsReleaseName(ReadSmallFile("/usr/lib/os-release"));
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  f.processorCount = cpus > 0 ? uint32_t(cpus) : 0;
  return f;
}

bool GetDiskSpace(const std::string& path, uint64_t* freeBytes, uint64_t* totalBytes) {
  struct statvfs s {};
  if (statvfs(path.c_str(), &s) != 0) return false;
  if (freeBytes) *freeBytes = uint64_t(s.f_bavail) * s.f_frsize;
  if (totalBytes) *totalBytes = uint64_t(s.f_blocks) * s.f_frsize;
  return true;
}

}  // namespace orrivel::platform
