#pragma once
// Shared pieces of every plug-in manager: opening a library found in the
// plug-in folder, looking its entry points up by name, and scanning a folder
// for one kind of library.
//
// A library is held through a shared pointer: each object whose code lives
// in the library (a decoder, an archive it opened, a stream) keeps one, so
// the library is unloaded only once nothing made from it is left.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SharedLibrary.h"

namespace orrivel {

using PluginLibraryPtr = std::shared_ptr<platform::SharedLibrary>;

// Loads the library at an absolute internal path; null when the file is
// missing or the loader refuses it.
PluginLibraryPtr OpenPluginLibrary(std::string_view internalPath);

// The entry point `name` as a function of type F, or null when missing.
template <typename F>
F PluginEntry(const platform::SharedLibrary& library, const char* name) {
  return reinterpret_cast<F>(library.Symbol(name));
}

// A plug-in's extension list ("EXT1\0EXT2\0\0") as texts, upper-cased
// (ASCII letters of single-byte characters) unless upperCase is false, for
// managers that match only what a list states in upper case. Reading stops
// at the empty text, and after kMaxPluginExtensions texts of at most
// kMaxPluginExtension bytes each, so a list that lacks its end cannot run
// on without bound.
constexpr std::size_t kMaxPluginExtensions = 256;
constexpr std::size_t kMaxPluginExtension = 255;
std::vector<std::string> ReadExtensionList(const char* list, bool upperCase = true);

// Calls load (absolute internal path) for each file of the folder that
// matches the pattern (letter case ignored), in the order the folder lists
// them, and counts the non-zero answers. -1 when the folder cannot be made
// absolute; 0 when it does not exist.
int ScanPluginFolder(std::string_view folder, std::string_view pattern,
                     const std::function<int(const std::string& path)>& load);

}  // namespace orrivel
