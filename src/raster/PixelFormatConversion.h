#pragma once

// Pixel moves between the layouts the engine meets: device-independent
// bitmaps of 1 to 32 bits (resource/DibConversion.h, shared with the picture
// decoders), 8- and 32-bit images, the surface formats named by their format
// code, coverage planes and plain 8-bit rows. None allocates.

#include <cstdint>

#include "raster/Rect.h"
#include "raster/StretchStep.h"
#include "resource/DibConversion.h"

namespace orrivel {

// Surface-format writers by format code (4, 8, 16, 32, 64, 128, 256); false
// for any other code. Destination (x, y) in pixels.
bool ExpandIndexedToSurface(uint32_t formatCode, void* dst, int x, int y, int dstPitch,
                            const uint8_t* src, int srcPitch, int width, int height,
                            const uint32_t* palette);
bool ExpandIndexedToSurfaceAlt(uint32_t formatCode, void* dst, int x, int y, int dstPitch,
                               const uint32_t* src, int srcPitch, int width, int height);

// Writes only the alpha bits of a 16-bit (codes 64, 128) or 32-bit (256)
// surface from an 8-bit plane; other codes change nothing.
void SetAlphaBitsFromPlane(uint32_t formatCode, void* dst, int x, int y, int width, int height,
                           int dstPitch, const uint8_t* plane, int planeX, int planeY,
                           int planePitch);

// Turns groups of four supersampled 32-bit rows into one row of coverage
// bytes, written in place at the start of the group's row.
void FoldPixelBytes32(void* buffer, int pitch, int width, int groupCount);

// Coverage blends into 32-bit rows: the level map turns a coverage byte into
// a level, OpacityMultiplierTable the level into a multiplier. The ...ToSurface
// members blend the colour and keep alpha; the ...To8 members composite colour
// and alpha through CompositeWeightTable and CompositeAlphaTable. Colours come
// one per column (shared by all rows) or, for the members noted, one per row.
using CoverageBlend = void (*)(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                               int width, int height, const uint32_t* colors,
                               const uint8_t* levelMap);
void BlendIndexedToSurface(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                           int width, int height, const uint32_t* colors, const uint8_t* levelMap);
void BlendIndexedToSurfaceMmx(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                              int width, int height, const uint32_t* colors,
                              const uint8_t* levelMap);
// One colour per row:
void BlendIndexedToSurfaceB(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                            int width, int height, const uint32_t* colors, const uint8_t* levelMap);
void BlendIndexedToSurfaceMmxB(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                               int width, int height, const uint32_t* colors,
                               const uint8_t* levelMap);
// One colour per row:
void BlendIndexedTo8Keyed(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                          int width, int height, const uint32_t* colors, const uint8_t* levelMap);
void BlendIndexedTo8Mmx(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                        int width, int height, const uint32_t* colors, const uint8_t* levelMap);
// One colour per column:
void BlendIndexedTo8B(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch, int width,
                      int height, const uint32_t* colors, const uint8_t* levelMap);
void BlendIndexedTo8(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch, int width,
                     int height, const uint32_t* colors, const uint8_t* levelMap);

// 8-bit rows. A negative direction reads each source row right to left from
// the source address (the rightmost byte of the first row).
void CopyRows8(void* dst, const void* src, int dstSkip, int srcSkip, int direction, int width,
               int height);
void CopyRows8Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int direction, int width,
                    int height, uint8_t key);
void StretchCopyRows8(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step);
void StretchCopyRows8Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step, uint8_t key);
// Mirrored: the source address is just after the rightmost byte of the first row.
void StretchCopyRows8Mirrored(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step);
void StretchCopyRows8MirroredKeyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                   int height, const StretchStep& step, uint8_t key);
// Bilinear scaling; reads the byte right of each position and the next row,
// so the caller keeps both inside the source.
void ScaleBilinear8(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                    const ScaleStep& step);

}  // namespace orrivel
