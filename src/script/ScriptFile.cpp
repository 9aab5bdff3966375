#include "script/ScriptFile.h"

#include "platform/FileSystem.h"
#include "resource/ArchiveManager.h"
#include "resource/FileObject.h"
#include "resource/Paths.h"

namespace orrivel {

// Game files come through the resource subsystem: a loose file first, then
// the mounted archives.
ScriptFileBytes ReadScriptFile(const std::string& path) {
  FileObject file;
  if (file.Open(path) != kFileObjectOk) return std::nullopt;
  const auto* data = static_cast<const uint8_t*>(file.GetData());
  const uint32_t size = file.GetSize();
  if (!data && size) return std::nullopt;
  return std::vector<uint8_t>(data, data + size);
}

bool ScriptFileExists(const std::string& path) {
  const ArchiveManager* manager = GetArchiveManager();
  if (!manager) return false;
  // 0 a loose file, -1 an archive member.
  const int found = manager->FindFileOrMember(nullptr, path, nullptr);
  return found == 0 || found == -1;
}

bool WriteScriptFile(const std::string& path, std::span<const uint8_t> data) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return false;
  return platform::ReplaceFileContents(full, data, kSaveTempPrefix);
}

}  // namespace orrivel
