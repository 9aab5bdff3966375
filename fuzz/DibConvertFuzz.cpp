// Runs the four bitmap converters over a header, stride, area and origin
// taken from the input, with the rest of the input as the colour table and
// the bits. Layout: 40 header bytes, stride (4), origin x and y (1 each),
// area width and height (1 each), colour count (1), then the colours and the
// bits.
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/PixelFormatConversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kFixed = orrivel::BitmapInfoHeader::kSize + 9;
  if (data == nullptr || size < kFixed) return 0;
  const orrivel::BitmapInfoHeader header = orrivel::BitmapInfoHeader::Read(data);
  const uint8_t* p = data + orrivel::BitmapInfoHeader::kSize;
  int32_t stride;
  std::memcpy(&stride, p, 4);
  const orrivel::Point origin{p[4], p[5]};
  const int32_t w = p[6] % 65, h = p[7] % 65;
  const size_t colorCount = p[8];
  size_t rest = size - kFixed;
  const uint8_t* tail = data + kFixed;

  std::vector<uint32_t> colors(colorCount, 0);
  const size_t colorBytes = rest < colorCount * 4 ? rest : colorCount * 4;
  if (colorBytes > 0) std::memcpy(colors.data(), tail, colorBytes);
  tail += colorBytes;
  rest -= colorBytes;
  // The bits get a copy of their own so that any read past them is caught.
  const std::vector<uint8_t> bits(tail, tail + rest);

  orrivel::DibSource source{&header, colors.data(), uint32_t(colors.size()), bits.data(), stride,
                            bits.size()};
  const orrivel::Rect rect{0, 0, w, h};
  std::vector<uint32_t> wide(size_t(w) * size_t(h) + 1);
  std::vector<uint16_t> half(size_t(w) * size_t(h) + 1);
  std::vector<uint8_t> narrow(size_t(w) * size_t(h) + 1);
  orrivel::ConvertDibToArgb(wide.data(), rect, w * 4, source, origin);
  orrivel::ConvertDibTo32(wide.data(), rect, w * 4, source, origin);
  orrivel::ConvertDibTo4444(half.data(), rect, w * 2, source, origin);
  orrivel::ConvertDibTo8(narrow.data(), rect, w, source, origin);
  return 0;
}
