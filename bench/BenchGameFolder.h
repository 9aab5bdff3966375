#pragma once
// A game folder for a benchmark: a temporary folder the file system, the
// archive manager and the image loader are pointed at while it lives, and
// files written into it. Removed with everything in it when it goes.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel::bench {

class BenchGameFolder {
 public:
  explicit BenchGameFolder(const char* pattern) {
    std::string name = std::string("/tmp/") + pattern + "-XXXXXX";
    folder_ = mkdtemp(name.data()) != nullptr ? name : "";
    oldBase_ = SetBaseFolderForTest(folder_ + "/");
    oldManager_ = SetArchiveManager(&manager_);
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
  }
  ~BenchGameFolder() {
    Surface::SetLoaderManager(oldLoader_);
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  BenchGameFolder(const BenchGameFolder&) = delete;
  BenchGameFolder& operator=(const BenchGameFolder&) = delete;

  bool Ready() const { return !folder_.empty(); }
  // Writes bytes to the relative path (forward slashes), making folders.
  void Write(const std::string& path, const std::vector<uint8_t>& bytes) const {
    const std::filesystem::path full = folder_ + "/" + path;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void Write(const std::string& path, const std::string& text) const {
    Write(path, std::vector<uint8_t>(text.begin(), text.end()));
  }

 private:
  std::string folder_;
  std::string oldBase_;
  ArchiveManager manager_;
  ArchiveManager* oldManager_ = nullptr;
  ImageLoaderManager loader_;
  ImageLoaderManager* oldLoader_ = nullptr;
};

}  // namespace orrivel::bench
