#pragma once
// The one way the script subsystem reads a file by its engine path (for
// example "SCRIPT\\SOB_INIT.DAT"). Loaders parse bytes; only this function
// knows where bytes come from, so tests and tools can put their own reader in
// its place (ScriptContext::SetFileReader).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orrivel {

using ScriptFileBytes = std::optional<std::vector<uint8_t>>;
using ScriptFileReader = std::function<ScriptFileBytes(const std::string& path)>;

// The whole file, or nullopt when it cannot be opened.
ScriptFileBytes ReadScriptFile(const std::string& path);

}  // namespace orrivel
