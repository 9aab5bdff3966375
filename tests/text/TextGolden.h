#pragma once
// Small pictures of drawn text checked against ones our renderer made once
// and that were reviewed by eye. Set ORRIVEL_UPDATE_GOLDEN=1 to write them
// again after a deliberate change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "elg/PngFile.h"
#include "raster/DibImage.h"
#include "text/Font.h"
#include "TestBuildDirs.h"

namespace orrivel::test {

// Light text over a dark blue effect, the colours every golden text uses.
inline void UseGoldenColours(Font& font) {
  font.textRed = 250;
  font.textGreen = 240;
  font.textBlue = 200;
  font.effectRed = 20;
  font.effectGreen = 30;
  font.effectBlue = 160;
}

// The colour channels of a 32-bit image (alpha read as opaque).
inline tools::PngPicture TextPicture(DibImage& image) {
  tools::PngPicture p;
  p.width = uint32_t(image.GetWidth());
  p.height = uint32_t(image.GetHeight());
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* row = image.GetScanLine(y);
    p.pixels.insert(p.pixels.end(), row, row + image.GetWidth() * 4);
  }
  for (size_t i = 3; i < p.pixels.size(); i += 4) p.pixels[i] = 0xFF;
  return p;
}

inline void ExpectTextGolden(DibImage& image, const std::string& name) {
  const tools::PngPicture made = TextPicture(image);
  const std::string path = std::string(ORRIVEL_SOURCE_DIR) + "/tests/text/golden/" + name + ".png";
  std::string error;
  const char* update = std::getenv("ORRIVEL_UPDATE_GOLDEN");
  if ((update && update[0] == '1') || !std::filesystem::exists(path)) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(tools::WritePng(path, made, &error)) << error;
    GTEST_SKIP() << "wrote " << path << "; review it and commit it";
  }
  tools::PngPicture golden;
  ASSERT_TRUE(tools::ReadPng(path, &golden, &error)) << error;
  ASSERT_EQ(golden.width, made.width);
  ASSERT_EQ(golden.height, made.height);
  EXPECT_TRUE(golden.pixels == made.pixels) << name << " differs from its golden picture";
}

}  // namespace orrivel::test
