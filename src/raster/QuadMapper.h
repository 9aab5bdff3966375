#pragma once
// Software mapping of a source picture, given by four source points, onto a
// convex four-cornered area of a 32-bit destination, given by four
// destination points; nearest texel, scanline by scanline in 12.20 fixed
// point.
//
// Corners are in Z order: 0 top-left, 1 top-right, 2 bottom-left, 3
// bottom-right of the picture being mapped; edges join 0-1, 0-2, 1-3 and
// 2-3. Source points are texel positions, last column and row included (a
// whole W x H source is (0, 0), (W - 1, 0), (0, H - 1), (W - 1, H - 1)).
//
// The span flag: 0 makes the texture reach the right edge's value exactly at
// the last pixel of a span; non-zero steps every span by its full length.
//
// Coordinates are held to +-kQuadCoordinateLimit before set-up and the
// arithmetic runs in 64 bits, so pictures far larger than the screen (a
// strong zoom) map as they should, and nothing overflows for any input. Row
// and pixel loops run only over the clip rectangle.
#include <cstdint>

#include "raster/Image.h"
#include "raster/Rect.h"

namespace orrivel {

class Surface;
using platform::Point;

inline constexpr int32_t kQuadCoordinateLimit = 1 << 20;

// The kernels. dest is a 32-bit image; clip (right and bottom exclusive) is
// cut to the destination's bounds, and texels are read only inside the
// source's clip rectangle through its row table, which is built when it does
// not exist yet. 0 done (also when nothing was drawn, or the quadrilateral
// is not convex: its second-highest corner is the top corner's opposite); 1
// the source's row table cannot be built.
int MapQuadTexture(Image* dest, Surface* source, const Point destPoints[4],
                   const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag);
// Texels whose whole word equals key leave the destination pixel alone.
int MapQuadTextureKeyed(Image* dest, Surface* source, const Point destPoints[4],
                        const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                        uint32_t key);
// d + (((t - d) * M(levelMap[alpha of t])) >> 8) per colour channel, M the
// opacity multiplier; the destination alpha is kept.
int MapQuadTextureB(Image* dest, Surface* source, const Point destPoints[4],
                    const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                    const uint8_t* levelMap);
// Packed twin of MapQuadTextureB (16-bit lanes, byte wrap-around); same results.
int MapQuadTextureBMmx(Image* dest, Surface* source, const Point destPoints[4],
                       const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                       const uint8_t* levelMap);

// Surface operations. The destination clip rectangle null means the
// destination's own. Both must be 32 bits: 1 no pixels on either side, 2 a
// depth other than 32, else 0 (the kernel's answer is not passed on). The
// bounding box of the four destination points (greatest x and y exclusive),
// clipped, is marked dirty when something of it remains.
//
// Copies (keyed when the source has a colour key).
int SurfaceMapQuadTexture(Surface* dest, Surface* source, const Point destPoints[4],
                          const Point sourcePoints[4], const Rect* destClip, uint8_t spanFlag);
// Maps the source rectangle (null: the source's clip rectangle) from its
// corners (left, top), (right - 1, top), (left, bottom - 1), (right - 1,
// bottom - 1); flagged sets the span flag.
int SurfaceMapQuad(Surface* dest, Surface* source, const Point destPoints[4],
                   const Rect* sourceRect, const Rect* destClip, bool flagged = false);
// Blends by texel alpha at an opacity (the packed twin under the MMX flag).
int SurfaceMapQuadTextureAlt(Surface* dest, Surface* source, const Point destPoints[4],
                             const Point sourcePoints[4], uint8_t opacity, const Rect* destClip,
                             uint8_t spanFlag);

// The four corners of a source rectangle in the mapper's order.
void QuadCornersOf(const Rect& rect, Point out[4]);

}  // namespace orrivel
