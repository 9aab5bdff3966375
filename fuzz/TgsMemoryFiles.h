#pragma once
// Files of the text-adventure fuzz targets, kept in memory: a module holder
// reads and writes them by path.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "frame/TgsModule.h"

namespace orrivel::fuzz {

struct TgsMemoryFiles {
  std::map<std::string, std::vector<uint8_t>> files;

  void Attach(TgsModule& module) {
    module.SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      auto it = files.find(path);
      if (it == files.end()) return std::nullopt;
      return it->second;
    });
    module.SetFileWriter([this](const std::string& path, std::span<const uint8_t> bytes) {
      files[path].assign(bytes.begin(), bytes.end());
      return true;
    });
  }
};

}  // namespace orrivel::fuzz
