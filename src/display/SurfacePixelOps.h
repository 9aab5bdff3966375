#pragma once
// Four operations on any surface, whatever image owns it: two blits clipped
// to a clip rectangle with an optional source colour key, and two effects on
// a rectangle of locked pixels (negation of colour or alpha bits, and a
// mosaic of one-coloured blocks). The blits wait; the effects never lock.
#include <cstdint>

#include "platform/SoftSurface.h"
#include "raster/Rect.h"

namespace orrivel {

// Copies the source rectangle to (x, y) after cutting the destination to
// the clip rectangle. 1 a null argument; 0 when nothing is left; 2 when the
// blit fails; 0 done. A colour key other than -1 asks for the source's key.
int BltFastClipped(platform::SoftSurface* destination, platform::SoftSurface* source, int32_t x,
                   int32_t y, const Rect* sourceRect, const Rect* clip, int32_t colorKey);
// The same, stretching the source rectangle to size (when given) at (x, y).
int BltClipped(platform::SoftSurface* destination, platform::SoftSurface* source, const Size* size,
               int32_t x, int32_t y, const Rect* sourceRect, const Rect* clip, int32_t colorKey);

// Inverts bits of the pixels of a rectangle of a locked surface: mode 0 the
// colour bits, 1 all bits, 2 the alpha bits. 1 null bits or rectangle, or a
// format without alpha with a mode other than 0; -1 an empty area; 2 an
// unsupported format code; 0 done. With a clip rectangle the area is the
// intersection, written back into the clip rectangle.
int NegateSurfaceRect(uint8_t mode, uint32_t formatCode, void* bits, int32_t pitch, const Rect* rect,
                      Rect* clip);

// Turns a rectangle of a locked surface into blocks of one colour, each
// taking its top-left pixel. The low byte of alignMode places the first
// block: 1 left/top, 2 right/top, 3 left/bottom, 4 right/bottom, else
// centred. 1 null bits or rectangle; -1 rectangle and clip do not meet; 0
// without change for an area under 3 pixels across or down or a block
// below 2; 2 an unsupported format code; 0 done.
int MosaicSurfaceRect(uint32_t formatCode, void* bits, int32_t pitch, const Rect* rect, Rect* clip,
                      int32_t blockSize, uint32_t alignMode);

}  // namespace orrivel
