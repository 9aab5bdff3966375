#pragma once
// Surface operations that exist only through the pixel-operation library.
// Each checks, in this order: the target has pixels; every source is given
// and has pixels; every image is 32 bits; a current library provides the
// entry. It then calls the entry with the target first, the sources next
// and its other words as listed, and after a success records the library's
// changed rectangle in the target's region and sets its changed flag.
//
// Codes: 0 done; 1 the target has no pixels, or a source is missing or has
// no pixels; 2 another bit count or no library; 3 the library reported
// failure. The words a1 ... a16 are passed through untouched.
#include <cstdint>

#include "raster/Image.h"

namespace orrivel {

class DibImage;
class Surface;

// Level 0 does nothing and answers 0 before the library is looked at; a
// target that is not 32 bits gives 1.
int ApplyPixelOp5(Surface* target, int32_t a1, uint8_t level, int32_t a3, int32_t a4);
// a1 is cut to its low 8 bits; a target that is not 32 bits gives 1.
int ApplyPixelOp7(Surface* target, int32_t a1, int32_t a2);
// a2 the mode, a3 the level, a4 a word passed on, (a5, a6) where the
// source rectangle a7 (null: the whole source) lands.
int DrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                int32_t a6, const Rect* a7);
// Source rectangle a2..a5 (x, y, width, height) drawn averaged into the
// destination rectangle a6..a9, as for save thumbnails: copied (mode 0), or
// blended by each texel's alpha times the opacity (mode 2); smoothing and
// the last word are passed on.
int StretchDrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4,
                       int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t mode = 0,
                       int32_t smoothing = 0, int32_t opacity = 255, int32_t reserved = 0);
// a2..a7: the top-left, top-right and bottom-left corners (x, y) of the
// parallelogram, a8 the mode, a9 a word passed on, a10 the opacity, a11
// and a12 two flags and a13 a word passed on after it. The library takes
// the corners as doubles; sourceRect (null: the whole source) is what is
// drawn and clip (null: the whole target) bounds it, passed last.
int TransformDrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4,
                         int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                         const Rect* sourceRect = nullptr, const Rect* clip = nullptr,
                         int32_t a11 = 0, int32_t a12 = 0, int32_t a13 = 0);
// a2..a7: the affine map (a, b, c, d, tx, ty) in 16.16; the rest as
// TransformDrawImageOp.
int ApplyPixelOp12(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                   int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   const Rect* sourceRect = nullptr, const Rect* clip = nullptr, int32_t a11 = 0,
                   int32_t a12 = 0, int32_t a13 = 0);
// Separable box blur of radius across by down inside rect (null: the
// whole image); flag is passed on. A target that is not 32 bits gives 2.
int ApplyPixelOp13(Surface* target, int32_t across, int32_t down, int32_t flag, const Rect* rect);
// Left-right mirror, for 32- and 8-bit targets, of the rectangle (null:
// the whole image). 0; 1 no pixels or no library; 2 the library refused.
int MirrorImageA(Surface* target, int32_t a1, const Rect* rect = nullptr);
// Upside-down mirror; results as MirrorImageA.
int MirrorImageB(Surface* target, int32_t a1, const Rect* rect = nullptr);
// True when done; false for every failure.
bool ApplyPixelOp21(Surface* target, uint8_t flag);
bool ApplyPixelOp23(Surface* target, int32_t a1);
bool ApplyPixelOp24(Surface* target, int32_t a1);
int ApplyPixelOp25(Surface* target, Image* source1, Image* source2, int32_t a3, int32_t a4,
                   int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   int32_t a11, int32_t a12);
// The rule image is an 8-bit image (another depth gives 2).
int ApplyPixelOp26(Surface* target, Image* source1, Image* source2, Image* rule, int32_t a4,
                   int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   int32_t a11, int32_t a12, int32_t a13, int32_t a14, int32_t a15, int32_t a16);

// Entry 2 (fill with 0x00RRGGBB) and entry 4 (blend the colour at a level)
// over a rectangle of a 32-bit target; false for every failure.
bool FillRectOp(Surface* target, uint32_t color, const Rect& rect);
bool BlendColorOp(Surface* target, uint32_t color, int32_t level, const Rect& rect);

// The plain view of an image that library entries receive; bitsPerPixel is
// 0 for images without a known depth.
struct PixelOpImage;
PixelOpImage ViewForLibrary(Image* image);
// The same view of an image whose class is known to carry its depth (every
// surface): sprites ask for two views a band, and finding the class of an
// Image at run time costs more than the rest of the view.
PixelOpImage ViewForLibrary(DibImage* image);
// The entry when a current library provides it, else null.
void* LibraryEntry(int entry);
// After a library success: the changed rectangle into the region, changed set.
void RecordLibraryChange(Surface* target);

}  // namespace orrivel
