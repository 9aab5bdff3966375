#include "display/SurfaceImageRig.h"

#include "display/DisplayTestSupport.h"
#include "elg/BmpWriter.h"
#include "elg/ElgWriter.h"

namespace orrivel::testing {

uint32_t FixtureColor(int32_t x, int32_t y) {
  return uint32_t(x * 40 + 8) << 16 | uint32_t(y * 48 + 16) << 8 | uint32_t((x + y) * 24 + 32);
}

std::vector<uint8_t> FixtureElg(uint32_t depth, uint16_t width, uint16_t height, bool withOffset) {
  tools::ElgImage image;
  image.depth = depth;
  image.width = width;
  image.height = height;
  image.offsetX = 3;
  image.offsetY = -4;
  if (depth == 8) image.palette.resize(1024);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = FixtureColor(x, y);
      if (depth == 8) {
        const size_t index = size_t(y * width + x);
        image.pixels.push_back(uint8_t(index));
        image.palette[index * 4] = uint8_t(c);
        image.palette[index * 4 + 1] = uint8_t(c >> 8);
        image.palette[index * 4 + 2] = uint8_t(c >> 16);
        continue;
      }
      image.pixels.insert(image.pixels.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
      if (depth == 32) image.pixels.push_back(0xFF);
    }
  }
  return tools::EncodeElg(image, withOffset ? tools::ElgHeaderVariant::kOffset
                                            : tools::ElgHeaderVariant::kDepthOnly);
}

std::vector<uint8_t> FixtureBmp(int32_t width, int32_t height) {
  tools::BmpFile file;
  file.width = width;
  file.height = height;
  file.bitCount = 24;
  const int32_t stride = (width * 3 + 3) & ~3;
  for (int32_t row = height - 1; row >= 0; --row) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = FixtureColor(x, row);
      file.data.insert(file.data.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    }
    file.data.resize(file.data.size() + size_t(stride - width * 3));
  }
  return tools::WriteBmpFile(file);
}

uint32_t SurfaceRgb(platform::SoftSurface* surface, int32_t x, int32_t y) {
  return ReadArgb(*surface, x, y) & 0x00FFFFFFu;
}

}  // namespace orrivel::testing
