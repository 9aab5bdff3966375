#pragma once
// Which drives are optical discs. A folder lies on one when the file system
// that holds it is ISO 9660 or UDF; the mounted discs are the mount table's
// entries of those types, each with its mount point as the drive's root.
// The mount table and the file-system reader can be replaced, so that the
// checks can be run against discs the machine does not have.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace orrivel::platform {

// File-system type numbers as the kernel reports them for a path.
inline constexpr uint64_t kIso9660FileSystem = 0x9660;
inline constexpr uint64_t kUdfFileSystem = 0x15013346;

struct DriveProbe {
  // The mounted file systems, one per line as /proc/self/mounts lists them.
  std::string mountTable = "/proc/self/mounts";
  // The type number of the file system that holds the path; false when the
  // path cannot be examined.
  std::function<bool(const std::string& hostPath, uint64_t* type)> readFileSystemType;
};

// The probe in use: the machine's own unless a test installed one.
const DriveProbe& CurrentDriveProbe();
// Installs a probe (copied); nullptr goes back to the machine's own.
void SetDriveProbe(const DriveProbe* probe);

bool IsOpticalFileSystem(uint64_t type);
// CdRom for a host folder on an optical disc, Fixed for any other that can
// be examined, Unknown when it cannot.
DriveKind HostFolderDriveKind(const std::string& hostPath);
// The same for a path in the engine's internal form ("Z:\\media\\cd\\").
DriveKind FolderDriveKind(const std::string& internalPath);
// Host mount points of the mounted optical discs, in mount-table order,
// each once.
std::vector<std::string> OpticalMountPoints();

class ScopedDriveProbe {
 public:
  explicit ScopedDriveProbe(const DriveProbe& probe) { SetDriveProbe(&probe); }
  ~ScopedDriveProbe() { SetDriveProbe(nullptr); }
  ScopedDriveProbe(const ScopedDriveProbe&) = delete;
  ScopedDriveProbe& operator=(const ScopedDriveProbe&) = delete;
};

}  // namespace orrivel::platform
