#pragma once
// A temporary base folder with an archive manager for the layout and
// animation tests, and small ELG pictures to put in it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "elg/ElgWriter.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"

namespace orrivel::testing {

// A 32-bit picture whose pixel (x, y) is 0xFF000000 | (y << 8) | x.
inline std::vector<uint8_t> MakeElgPicture(uint16_t width, uint16_t height) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      image.pixels.insert(image.pixels.end(), {uint8_t(x), uint8_t(y), 0, 0xFF});
    }
  }
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

class LayoutFolderTest : public GameFolderTest {};

}  // namespace orrivel::testing
