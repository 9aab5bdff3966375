#include "platform/SystemFacts.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace orrivel::platform {

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
