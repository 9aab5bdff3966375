#include "resource/FolderListing.h"

#include "platform/FileSystem.h"
#include "resource/BaseFolder.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

// The system keeps no hidden, system or archive bits here: a name that
// starts with a dot is hidden, a file without write permission read-only.
uint8_t AttributesOf(const platform::FileInfo& info) {
  uint8_t attributes = 0;
  if (info.isFolder) attributes |= kAttributeFolder;
  if (info.readOnly) attributes |= kAttributeReadOnly;
  if (!info.name.empty() && info.name[0] == '.') attributes |= kAttributeHidden;
  return attributes;
}

FolderEntry MakeEntry(const platform::FileInfo& info, std::string name) {
  FolderEntry entry;
  entry.name = std::move(name);
  if (const auto local = platform::ToLocalTime(info.writeTimeNs)) {
    entry.year = uint16_t(local->year);
    entry.month = uint8_t(local->month);
    entry.day = uint8_t(local->day);
    entry.dayOfWeek = uint8_t(local->dayOfWeek);
    entry.hour = uint8_t(local->hour);
    entry.minute = uint8_t(local->minute);
    entry.second = uint8_t(local->second);
  }
  entry.size = info.isFolder ? 0 : uint32_t(info.size);
  entry.attributes = AttributesOf(info);
  return entry;
}

}  // namespace

uint32_t FolderListing::Scan(std::optional<std::string_view> folder, std::optional<std::string_view> pattern,
                             int32_t mode, bool recurse) {
  Clear();
  std::string root;
  if (folder && !folder->empty()) {
    if (MakeFullPath(root, *folder) == 0 || !AppendSeparator(root)) return 0;
  } else {
    root = BaseFolder();
    if (root.empty()) return 0;
  }
  const std::string_view filePattern = pattern && !pattern->empty() ? *pattern : kDefaultPattern;
  ScanFolder(root, std::string(), filePattern, mode, recurse);
  return Count();
}

void FolderListing::ScanFolder(const std::string& root, const std::string& relative, std::string_view pattern,
                               int32_t mode, bool recurse) {
  const std::string here = root + relative;
  if (mode != kListFiles || recurse) {
    if (const auto found = platform::ScanFolder(here, kDefaultPattern)) {
      for (const platform::FileInfo& info : *found) {
        if (!info.isFolder) continue;
        const std::string name = relative + info.name + "\\";
        if (mode != kListFiles) entries_.push_back(MakeEntry(info, name));
        // Paths are bounded like every engine path, which also ends a walk
        // that a looping link would make endless.
        if (recurse && root.size() + name.size() < kMaxPath) ScanFolder(root, name, pattern, mode, recurse);
      }
    }
  }
  if (mode == kListFolders) return;
  if (const auto found = platform::ScanFolder(here, pattern)) {
    for (const platform::FileInfo& info : *found) {
      if (!info.isFolder) entries_.push_back(MakeEntry(info, relative + info.name));
    }
  }
}

}  // namespace orrivel
