#pragma once
// More facts about the machine for the system-information texts: swap
// space, the language setting, the running processes, the mounted drives
// and the user's special folders.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace orrivel::platform {

// Total and free swap in bytes; false when unknown.
bool ReadSwapSpace(uint64_t* totalBytes, uint64_t* freeBytes);

// The language setting of the user's locale ("ja_JP.UTF-8"); "C" when none.
std::string SystemLanguageName();

// Executable names (or full paths when asked, falling back to the name) of
// the running processes, UTF-8; nullopt when they cannot be listed.
std::optional<std::vector<std::string>> ListProcesses(bool fullPaths);

struct MountedDrive {
  std::string root;  // UTF-8 host path of the mount point
  DriveKind kind = DriveKind::Unknown;
};

// The mounted file systems a user would call drives: block devices, network
// and optical file systems, RAM disks and the root, in mount order.
std::vector<MountedDrive> ListDrives();
// The drive kind from a mount's file-system type and device (for checks).
DriveKind ClassifyMount(const std::string& fsType, const std::string& device);
// A mount-table field with its octal escapes ("\\040" for a space) undone.
std::string UnescapeMount(const std::string& text);

// Host path of a special folder by its number (0 desktop, 5 documents,
// 0x1A application data, 0x1C local application data, 0x27 pictures, ...),
// made when create is set and it is missing; nullopt for an unknown number.
std::optional<std::string> SpecialFolderHostPath(int folderId, bool create);

}  // namespace orrivel::platform
