#pragma once
// Device-independent bitmaps of 1 to 32 bits into 8- and 32-bit rows: the
// one set of converters that the picture decoders, the image loader and the
// surfaces use. None allocates.
#include <cstdint>

#include "platform/Rect.h"
#include "resource/BitmapInfoHeader.h"

namespace orrivel {

using platform::Rect;

inline constexpr uint32_t kBitmapCompressionRgb = 0;

// A bitmap as the converters read it: the header, its colour table (entries
// blue, green, red, reserved as 32-bit words) with the number of entries that
// are really there, the bits with the bytes per stored row, and the number of
// bytes the bits really hold.
struct DibSource {
  const BitmapInfoHeader* header = nullptr;
  const uint32_t* colors = nullptr;
  uint32_t colorCount = 0;
  const void* bits = nullptr;
  int32_t stride = 0;
  uint64_t bitsSize = 0;
};

using platform::Point;

// Bitmap converters: copy the destination rectangle's size from the source
// origin (top-down terms). False (nothing written) for a depth other than 1,
// 4, 8, 16, 24 or 32, a compressed 4- or 8-bit source, an area outside the
// bitmap, or rows that the stride and bitsSize say are not all there.
// Indices past the colour table read as black.
bool ConvertDibToArgb(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                      Point origin);
bool ConvertDibTo32(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                    Point origin);
bool ConvertDibTo8(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                   Point origin);
bool ConvertDibTo4444(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                      Point origin);

// What a picture's caller asks for: 8 bits (indices, or the luma of colour
// pixels) with to8, else 32 bits, where a 32-bit source keeps its alpha
// (ConvertDibToArgb) and other depths give colour words as stored
// (ConvertDibTo32).
bool ConvertDibForCaller(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                         Point origin, bool to8);
// The same over the whole bitmap, into rows of a buffer that starts at its
// top-left pixel.
bool ConvertWholeDibForCaller(void* dst, int dstPitch, const DibSource& source, bool to8);

}  // namespace orrivel
