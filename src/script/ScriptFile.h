#pragma once
// The one way the script subsystem reads a file by its engine path (for
// example "SCRIPT\\SOB_INIT.DAT") and writes its own files (variable, state
// and scene-flag files). Loaders parse bytes; only these functions know where
// bytes come from and go, so tests and tools can put their own in their place
// (ScriptContext::SetFileReader, ScriptContext::SetFileWriter).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orrivel {

using ScriptFileBytes = std::optional<std::vector<uint8_t>>;
using ScriptFileReader = std::function<ScriptFileBytes(const std::string& path)>;
// True when the whole file was written.
using ScriptFileWriter = std::function<bool(const std::string& path, std::span<const uint8_t> data)>;

// The whole file, or nullopt when it cannot be opened.
ScriptFileBytes ReadScriptFile(const std::string& path);
// Whether ReadScriptFile finds the file, loose or as a member of a mounted
// archive, found the same way but without reading or unpacking it.
bool ScriptFileExists(const std::string& path);

// Writes data as the file at path (made absolute against the base folder):
// first to a temporary file in the same folder, flushed, then renamed over
// the old file, so a failed write leaves the old file as it was. A file
// the player made read-only is not replaced (false).
bool WriteScriptFile(const std::string& path, std::span<const uint8_t> data);
// The name prefix of WriteScriptFile's temporary files.
inline constexpr const char* kSaveTempPrefix = "VQF";

}  // namespace orrivel
