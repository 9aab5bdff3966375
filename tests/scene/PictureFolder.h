#pragma once
// A game folder for one test whose pictures the controls load by name: a
// fresh temporary folder made the base folder, an archive manager of its
// own, and an image loader manager with the built-in decoders and writers
// as the surfaces' manager. Pictures are written by our own writer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../resource/TempFolder.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel::test {

class PictureFolder {
 public:
  PictureFolder() {
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldArchives_ = SetArchiveManager(&archives_);
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
  }
  ~PictureFolder() {
    Surface::SetLoaderManager(oldLoader_);
    SetArchiveManager(oldArchives_);
    SetBaseFolderForTest(oldBase_);
  }
  PictureFolder(const PictureFolder&) = delete;
  PictureFolder& operator=(const PictureFolder&) = delete;

  // Writes the surface as a bitmap file of the game folder (32-bit rows
  // keep their alpha; 8-bit ones their palette).
  void WritePicture(Surface& surface, const std::string& name) {
    ASSERT_EQ(surface.DecodeWithLoader(name.c_str(), surface.GetBitsPerPixel() == 32 ? 1 : 0, 0), 0) << name;
  }
  // Writes a file of the game folder as it stands (a picture made by a
  // writer, or a damaged one).
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) { folder_.Write(name, bytes); }

 private:
  testing::TempFolder folder_;
  ArchiveManager archives_;
  ImageLoaderManager loader_;
  std::string oldBase_;
  ArchiveManager* oldArchives_ = nullptr;
  ImageLoaderManager* oldLoader_ = nullptr;
};

}  // namespace orrivel::test
