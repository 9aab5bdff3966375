#pragma once
// What the movie players' tests share: the fake libraries bound as the
// game shell binds them, each fake's state, an archive manager whose
// members and loose files the test names, and streams that count their
// deletions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/PathResolver.h"
#include "platform/SharedLibrary.h"
#include "raster/PixelOpLibrary.h"
#include "resource/ArchiveManager.h"
#include "resource/Stream.h"
#include "sound/MovieBinding.h"
#include "sound/movies/FakeMovieLibrary.h"
#include "TestBuildDirs.h"

namespace orrivel::testing {

// A stream over a few bytes that counts how often a stream was deleted.
class CountingStream final : public PositionedStream {
 public:
  explicit CountingStream(int* deletions) : deletions_(deletions) { size_ = 16; }
  ~CountingStream() override { ++*deletions_; }
  uint32_t Read(void* buffer, uint32_t count) override {
    const uint32_t n = std::min(count, size_ - position_);
    std::memset(buffer, 0, n);
    position_ += n;
    return n;
  }

 private:
  int MoveTo(uint32_t position) override {
    position_ = position;
    return 0;
  }
  int* deletions_;
};

// Archive members are names the test lists; loose files are real files in
// a temporary folder.
class FakeArchives : public ArchiveManager {
 public:
  FakeArchives() {
    folder_ = std::filesystem::temp_directory_path() / ("orrivel-movie-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  ~FakeArchives() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  void AddMember(const std::string& name) { members_.push_back(name); }
  // Returns the host path of the new loose file.
  std::string AddLooseFile(const std::string& name) {
    const auto path = folder_ / name;
    std::ofstream(path) << "movie";
    loose_[name] = path.string();
    return path.string();
  }
  int FindFileOrMember(std::string* fullPath, std::string_view name, platform::FileInfo*) const override {
    const std::string key(name);
    if (std::find(members_.begin(), members_.end(), key) != members_.end()) return -1;
    if (auto it = loose_.find(key); it != loose_.end()) {
      *fullPath = platform::ToInternalPath(it->second).value_or("");
      return 0;
    }
    return 2;
  }
  Stream* OpenStream(std::string_view, std::string*, int* error, bool) override {
    if (failStreams) {
      *error = 3;
      return nullptr;
    }
    ++opened;
    return new CountingStream(&deletions);
  }

  int opened = 0;
  int deletions = 0;
  bool failStreams = false;

 private:
  std::filesystem::path folder_;
  std::vector<std::string> members_;
  std::map<std::string, std::string> loose_;
};

// Internal form of a folder of fake libraries ("good" or "noexport"),
// ending in a separator.
inline std::string FakeLibraryFolder(const char* variant) {
  return platform::ToInternalPath(std::string(ORRIVEL_TEST_MOVIE_FAKES_DIR) + variant).value_or("") + "\\";
}

// Keeps one fake module loaded for the test's life, so its state stays
// while the program's records come and go.
class FakeLibraryHandle {
 public:
  FakeLibraryHandle(const char* variant, const char* name) {
    const std::string path = std::string(ORRIVEL_TEST_MOVIE_FAKES_DIR) + variant + "/" + name + ".so";
    EXPECT_TRUE(module_.Open(path)) << module_.Error();
    if (auto fn = reinterpret_cast<FakeStateFunc>(module_.Symbol(kFakeStateExport))) state_ = fn();
    if (state_ != nullptr) state_->Reset();
  }
  FakeMovieState& State() { return *state_; }

 private:
  platform::SharedLibrary module_;
  FakeMovieState* state_ = nullptr;
};

// The pixel-operation library beside the test program, bound for the test.
class BoundPixelOps {
 public:
  BoundPixelOps() {
    library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    EXPECT_TRUE(library_->HasModule()) << library_->Error();
    SetCurrentPixelOpLibrary(library_.get());
  }
  ~BoundPixelOps() {
    SetCurrentPixelOpLibrary(nullptr);
    library_.reset();
    ResetPixelOpEntries();
  }

 private:
  std::unique_ptr<PixelOpLibrary> library_;
};

}  // namespace orrivel::testing
