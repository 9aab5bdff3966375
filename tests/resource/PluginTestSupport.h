#pragma once
// A temporary game folder with a "plugin" folder into which a test copies
// the test plug-in libraries it needs (built by tests/resource/plugins).
#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/SharedLibrary.h"
#include "TestBuildDirs.h"

namespace orrivel::testing {

class PluginFolder {
 public:
  PluginFolder() { std::filesystem::create_directories(root_.HostPath("plugin")); }

  // Copies the built plug-in `file` into the folder, under `as` when given.
  void Add(const std::string& file, const std::string& as = {}) const {
    std::filesystem::copy_file(std::string(ORRIVEL_TEST_PLUGIN_DIR) + file,
                               root_.HostPath("plugin/" + (as.empty() ? file : as)),
                               std::filesystem::copy_options::overwrite_existing);
  }
  // Internal path of the plugin folder (no trailing separator).
  std::string Folder() const { return root_.Internal() + "plugin"; }
  // Internal path of a file in it.
  std::string Path(const std::string& file) const { return Folder() + "\\" + file; }
  const TempFolder& Root() const { return root_; }

 private:
  TempFolder root_;
};

// How many objects of a copied test plug-in live: the library's own count,
// read through a second load of it (the loader keeps one copy, so the count
// is the registry's).
inline int LiveObjectsOf(const PluginFolder& folder, const std::string& file) {
  platform::SharedLibrary library;
  if (!library.Open(folder.Root().HostPath("plugin/" + file))) return -1;
  auto* count = reinterpret_cast<int (*)()>(library.Symbol("LiveObjects"));
  return count != nullptr ? count() : -1;
}

}  // namespace orrivel::testing
