#pragma once
// One entry of a folder listing: its path relative to the listed root (with
// a trailing backslash for folders), its local last-write time, its size and
// its attribute flags.
#include <cstdint>
#include <string>

namespace orrivel {

enum FolderEntryAttribute : uint8_t {
  kAttributeReadOnly = 0x01,
  kAttributeHidden = 0x02,
  kAttributeSystem = 0x04,
  kAttributeArchive = 0x08,
  kAttributeFolder = 0x10,
};

struct FolderEntry {
  std::string name;
  uint16_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t dayOfWeek = 0;  // 0 = Sunday
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
  uint32_t size = 0;  // low 32 bits; 0 for folders
  uint8_t attributes = 0;
};

}  // namespace orrivel
