#include "platform/DriveProbe.h"

#include <sys/vfs.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/MachineInfo.h"
#include "platform/PathResolver.h"

namespace orrivel::platform {
namespace {

bool ReadFileSystemType(const std::string& hostPath, uint64_t* type) {
  struct statfs facts {};
  if (::statfs(hostPath.c_str(), &facts) != 0) return false;
  *type = uint64_t(facts.f_type) & 0xFFFFFFFFu;
  return true;
}

std::mutex& ProbeMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unique_ptr<DriveProbe>& InstalledProbe() {
  static std::unique_ptr<DriveProbe> probe;
  return probe;
}

const DriveProbe& MachineProbe() {
  static const DriveProbe probe{"/proc/self/mounts", ReadFileSystemType};
  return probe;
}

}  // namespace

const DriveProbe& CurrentDriveProbe() {
  std::lock_guard lock(ProbeMutex());
  return InstalledProbe() ? *InstalledProbe() : MachineProbe();
}

void SetDriveProbe(const DriveProbe* probe) {
  std::lock_guard lock(ProbeMutex());
  InstalledProbe() = probe ? std::make_unique<DriveProbe>(*probe) : nullptr;
  if (InstalledProbe() && !InstalledProbe()->readFileSystemType) {
    InstalledProbe()->readFileSystemType = ReadFileSystemType;
  }
}

bool IsOpticalFileSystem(uint64_t type) { return type == kIso9660FileSystem || type == kUdfFileSystem; }

DriveKind HostFolderDriveKind(const std::string& hostPath) {
  uint64_t type = 0;
  if (hostPath.empty() || !CurrentDriveProbe().readFileSystemType(hostPath, &type)) return DriveKind::Unknown;
  return IsOpticalFileSystem(type) ? DriveKind::CdRom : DriveKind::Fixed;
}

DriveKind FolderDriveKind(const std::string& internalPath) {
  const std::optional<std::string> host = ResolveHostPath(internalPath, ResolveMode::Existing);
  return host ? HostFolderDriveKind(*host) : DriveKind::Unknown;
}

std::vector<std::string> OpticalMountPoints() {
  std::vector<std::string> roots;
  std::set<std::string> seen;
  std::ifstream in(CurrentDriveProbe().mountTable);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mount, type;
    if (!(fields >> device >> mount >> type)) continue;
    if (type != "iso9660" && type != "udf") continue;
    mount = UnescapeMount(mount);
    if (seen.insert(mount).second) roots.push_back(mount);
  }
  return roots;
}

}  // namespace orrivel::platform
