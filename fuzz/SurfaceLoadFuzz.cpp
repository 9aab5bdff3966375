// Pictures loaded into drawing surfaces through the image loader manager:
// as a new 32-bit and 8-bit surface of the picture's size, and drawn into
// existing surfaces of both depths at a place the input's first two bytes
// choose (partly outside included).
#include <cstdint>

#include "FuzzPictures.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orrivel;
  if (size < 2 || size > 65536) return 0;
  const int32_t x = int8_t(data[0]), y = int8_t(data[1]);
  data += 2;
  size -= 2;
  if (!fuzz::PictureWithinFuzzSize(data, size)) return 0;
  ImageLoaderManager* old = Surface::SetLoaderManager(&fuzz::BuiltInLoaderManager());
  {
    Surface wide, narrow;
    wide.LoadImage(nullptr, data, size, 0);
    narrow.LoadImageIndexed(nullptr, data, size, 0);
  }
  for (const uint8_t depth : {uint8_t(32), uint8_t(8)}) {
    Surface target;
    if (target.Create(24, 16, depth, 0) != 0) continue;
    target.LoadByName(nullptr, data, size, x, y, false);
    target.LoadByName(nullptr, data, size, x, y, true);
  }
  Surface::SetLoaderManager(old);
  return 0;
}
