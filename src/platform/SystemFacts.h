#pragma once
// Facts about the machine for the system-information reports: the operating
// system's name and version, memory, processor count and free disk space.
#include <cstdint>
#include <string>

namespace orrivel::platform {

struct SystemFacts {
  std::string systemName;  // e.g. "Linux"
  std::string release;     // kernel release
  std::string version;     // kernel build text
  std::string machine;     // e.g. "x86_64"
  // The distribution's own name ("Debian GNU/Linux 12 (bookworm)"), empty
  // when the system does not say.
  std::string distribution;
  uint64_t totalMemory = 0;      // bytes of physical memory
  uint64_t availableMemory = 0;  // bytes free for use
  uint32_t processorCount = 0;
};

// Reads the facts; fields that cannot be read stay empty or 0.
SystemFacts ReadSystemFacts();

// The PRETTY_NAME value of an os-release text (quotes and backslash escapes
// removed), else its NAME, else empty.
std::string OsReleaseName(const std::string& text);

// Free bytes available to this user and total bytes of the file system
// holding path. False when the path cannot be queried.
bool GetDiskSpace(const std::string& path, uint64_t* freeBytes, uint64_t* totalBytes);

}  // namespace orrivel::platform
