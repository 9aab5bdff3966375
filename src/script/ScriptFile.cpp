#include "script/ScriptFile.h"

#include "resource/FileObject.h"

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

}  // namespace orrivel
