#include "platform/MachineInfo.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/DriveProbe.h"

namespace orrivel::platform {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Mount points in /proc/self/mounts escape blanks and such as \ooo.
}  // namespace

std::string UnescapeMount(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(text[i + 2])) && std::isdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += char(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

namespace {

bool IsRemovableBlockDevice(const std::string& device) {
  std::string name = device.substr(device.find_last_of('/') + 1);
  if (name.empty()) return false;
  if (ReadFirstLine("/sys/class/block/" + name + "/removable") == "1") return true;
  // A partition: its disk holds the flag.
  if (ReadFirstLine("/sys/class/block/" + name + "/../removable") == "1") return true;
  char resolved[4096];
  std::string link = "/sys/class/block/" + name;
  if (::realpath(link.c_str(), resolved)) {
    std::string parent = resolved;
    parent = parent.substr(0, parent.find_last_of('/'));
    if (ReadFirstLine(parent + "/removable") == "1") return true;
  }
  return false;
}

bool MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/') {
      std::string part = path.substr(0, at);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

// A base folder of the XDG rules ("XDG_DATA_HOME"): the variable's value
// when it is an absolute path, else the default under home. A relative
// path is not valid there and is ignored, as the rules ask.
std::string XdgHome(const char* variable, const std::string& home, const char* fallback) {
  std::string value = Env(variable);
  if (value.empty() || value[0] != '/') return home + fallback;
  return value;
}

// A folder named in the user's user-dirs.dirs ("XDG_DESKTOP_DIR"), else
// the fallback under home.
std::string UserDir(const std::string& home, const std::string& key, const std::string& fallback) {
  const std::string config = XdgHome("XDG_CONFIG_HOME", home, "/.config");
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string value = line.substr(key.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (!value.empty()) return value;
  }
  return home + "/" + fallback;
}

}  // namespace

bool ReadSwapSpace(uint64_t* totalBytes, uint64_t* freeBytes) {
  std::ifstream in("/proc/meminfo");
  if (!in) return false;
  std::string key;
  uint64_t value = 0;
  std::string unit;
  bool haveTotal = false, haveFree = false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    if (!(fields >> key >> value)) continue;
    if (key == "SwapTotal:") {
      if (totalBytes) *totalBytes = value * 1024;
      haveTotal = true;
    } else if (key == "SwapFree:") {
      if (freeBytes) *freeBytes = value * 1024;
      haveFree = true;
    }
  }
  return haveTotal && haveFree;
}

std::string SystemLanguageName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string value = Env(name);
    if (!value.empty()) return value;
  }
  return "C";
}

std::optional<std::vector<std::string>> ListProcesses(bool fullPaths) {
  DIR* dir = ::opendir("/proc");
  if (!dir) return std::nullopt;
  std::vector<std::pair<long, std::string>> found;
  while (dirent* entry = ::readdir(dir)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (!end || *end != '\0' || pid <= 0) continue;
    std::string base = std::string("/proc/") + entry->d_name;
    std::string name;
    if (fullPaths) {
      char target[4096];
      ssize_t got = ::readlink((base + "/exe").c_str(), target, sizeof target - 1);
      if (got > 0) name.assign(target, size_t(got));
    }
    if (name.empty()) name = ReadFirstLine(base + "/comm");
    if (!name.empty()) found.emplace_back(pid, name);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& f : found) names.push_back(std::move(f.second));
  return names;
}

DriveKind ClassifyMount(const std::string& fsType, const std::string& device) {
  static const std::set<std::string> network = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs",
                                                "9p",  "ceph", "glusterfs", "fuse.sshfs", "sshfs", "davfs"};
  if (network.count(fsType)) return DriveKind::Network;
  if (fsType == "iso9660" || fsType == "udf") return DriveKind::CdRom;
  if (fsType == "ramfs") return DriveKind::RamDisk;
  if (device.rfind("/dev/", 0) == 0) return IsRemovableBlockDevice(device) ? DriveKind::Removable : DriveKind::Fixed;
  return DriveKind::Unknown;
}

std::vector<MountedDrive> ListDrives() {
  std::vector<MountedDrive> drives;
  std::ifstream in(CurrentDriveProbe().mountTable);
  std::set<std::string> seen;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mount, type;
    if (!(fields >> device >> mount >> type)) continue;
    mount = UnescapeMount(mount);
    DriveKind kind = ClassifyMount(type, device);
    if (kind == DriveKind::Unknown && mount == "/") kind = DriveKind::Fixed;  // e.g. a container's root
    if (kind == DriveKind::Unknown || !seen.insert(mount).second) continue;
    drives.push_back(MountedDrive{mount, kind});
  }
  return drives;
}

std::optional<std::string> SpecialFolderHostPath(int folderId, bool create) {
  std::string home = Env("HOME");
  if (home.empty()) return std::nullopt;
  const std::string dataHome = XdgHome("XDG_DATA_HOME", home, "/.local/share");
  const std::string configHome = XdgHome("XDG_CONFIG_HOME", home, "/.config");
  std::string path;
  switch (folderId) {
    case 0x00: case 0x10: path = UserDir(home, "XDG_DESKTOP_DIR", "Desktop"); break;
    case 0x05: path = UserDir(home, "XDG_DOCUMENTS_DIR", "Documents"); break;
    case 0x0D: path = UserDir(home, "XDG_MUSIC_DIR", "Music"); break;
    case 0x0E: path = UserDir(home, "XDG_VIDEOS_DIR", "Videos"); break;
    case 0x27: path = UserDir(home, "XDG_PICTURES_DIR", "Pictures"); break;
    case 0x15: path = UserDir(home, "XDG_TEMPLATES_DIR", "Templates"); break;
    case 0x1A: path = configHome; break;
    case 0x1C: case 0x23: path = dataHome; break;
    case 0x14: path = dataHome + "/fonts"; break;
    case 0x28: path = home; break;
    default: return std::nullopt;
  }
  if (create && !MakeFolders(path)) return std::nullopt;
  return path;
}

}  // namespace orrivel::platform
