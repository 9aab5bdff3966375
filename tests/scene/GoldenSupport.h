#pragma once
// Checking composed pictures against golden PNG files that our renderer made
// once and that were reviewed by eye. Set ORRIVEL_UPDATE_GOLDEN=1 to write
// them again after a deliberate change; a missing file is written and the
// test skipped until it is reviewed and committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <vector>

#include "elg/PngFile.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "TestBuildDirs.h"

namespace orrivel::test {

// Collects the rectangles a sprite list reports to its canvas, to check
// that every changed pixel was reported.
class DamageRecorder : public SpriteListOwner {
 public:
  int AddDirty(const Rect* rect) override {
    rects.push_back(rect != nullptr ? *rect : Rect{0, 0, 1 << 20, 1 << 20});
    return 1;
  }
  bool Covers(int32_t x, int32_t y) const {
    for (const Rect& r : rects)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  }
  std::vector<Rect> rects;
};

// Golden pictures live in tests/<folder>/golden/.
inline std::string GoldenPath(const std::string& name, const std::string& folder = "scene") {
  return std::string(ORRIVEL_SOURCE_DIR) + "/tests/" + folder + "/golden/" + name + ".png";
}

// The surface as a PNG picture: 8-bit surfaces with their palette, 32-bit
// ones by colour only (alpha written as opaque).
inline tools::PngPicture Picture(Surface& s) {
  tools::PngPicture p;
  p.width = uint32_t(s.GetWidth());
  p.height = uint32_t(s.GetHeight());
  p.indexed = s.GetBitsPerPixel() == 8;
  const int bytes = s.GetBitsPerPixel() / 8;
  for (int y = 0; y < s.GetHeight(); ++y)
    p.pixels.insert(p.pixels.end(), s.GetScanLine(y), s.GetScanLine(y) + s.GetWidth() * bytes);
  if (p.indexed) {
    p.palette.assign(1024, 0);
    for (int i = 0; i < 256; ++i)
      for (int c = 0; c < 3; ++c) p.palette[size_t(i * 4 + c)] = uint8_t(s.GetPalette()[i] >> (8 * c));
  } else {
    for (size_t i = 3; i < p.pixels.size(); i += 4) p.pixels[i] = 0xFF;  // colour only
  }
  return p;
}

inline void ExpectGolden(Surface& s, const std::string& name, const std::string& folder = "scene") {
  const tools::PngPicture made = Picture(s);
  const std::string path = GoldenPath(name, folder);
  std::string error;
  const char* update = std::getenv("ORRIVEL_UPDATE_GOLDEN");
  if ((update != nullptr && update[0] == '1') || !std::filesystem::exists(path)) {
    ASSERT_TRUE(tools::WritePng(path, made, &error)) << error;
    GTEST_SKIP() << "wrote " << path << "; review it and commit it";
  }
  tools::PngPicture golden;
  ASSERT_TRUE(tools::ReadPng(path, &golden, &error)) << error;
  ASSERT_EQ(golden.width, made.width);
  ASSERT_EQ(golden.height, made.height);
  ASSERT_EQ(golden.indexed, made.indexed);
  if (golden.pixels == made.pixels) return;
  // Keep what was drawn beside the test, with the first difference, so a
  // failure that shows only in some test orders can be read afterwards.
  size_t first = 0, differing = 0;
  for (size_t i = 0; i < golden.pixels.size() && i < made.pixels.size(); ++i)
    if (golden.pixels[i] != made.pixels[i] && differing++ == 0) first = i;
  const std::string actual = name + ".actual.png";
  tools::WritePng(actual, made, &error);
  const size_t bytes = made.indexed ? 1 : 4;
  ADD_FAILURE() << name << " differs from its golden picture: " << differing << " bytes, the first at x "
                << (first / bytes) % made.width << " y " << (first / bytes) / made.width << " (drawn picture kept as "
                << std::filesystem::absolute(actual).string() << ")";
}

}  // namespace orrivel::test
