#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it afterwards; paths in host and internal form.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PathResolver.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"

namespace orrivel::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orrivel-res-XXXXXX").string();
    host_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    internal_ = *platform::ToInternalPath(host_) + "\\";
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
  }
  const std::string& Host() const { return host_; }
  // Internal form ending with a backslash.
  const std::string& Internal() const { return internal_; }
  std::string HostPath(const std::string& relative) const { return host_ + "/" + relative; }

  void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    const auto path = std::filesystem::path(HostPath(relative));
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void Write(const std::string& relative, const std::string& text) const {
    Write(relative, std::vector<uint8_t>(text.begin(), text.end()));
  }

 private:
  std::string host_;
  std::string internal_;
};

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A test whose game folder is a fresh temporary folder, made the base folder
// for the test, with an archive manager of its own as the process-wide one.
class GameFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldManager_ = SetArchiveManager(&manager_);
  }
  void TearDown() override {
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }

  TempFolder folder_;
  ArchiveManager manager_;

 private:
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
};

}  // namespace orrivel::testing
