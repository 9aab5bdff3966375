#pragma once
// Rectangle helpers shared by every pixel routine.
#include "platform/Rect.h"

namespace orrivel {

using platform::Rect;
using platform::Size;

// at + extent held to the 32-bit range: things placed far off by scripts
// stay far off instead of wrapping round.
int32_t ClampedEdge(int32_t at, int64_t extent);

// Cuts rect by clip: left and right first; when nothing is left across, top
// and bottom stay as they were. True when something is left. A null clip
// gives false and leaves rect alone.
bool IntersectRectInPlace(Rect* rect, const Rect* clip);

// Writes the intersection of a and b to out (when given) only when it is not
// empty; returns whether it is not empty.
bool IntersectRects(Rect* out, const Rect& a, const Rect& b);

// Places source at (x, y) (scaled to size when given) and cuts the placement
// to clip, moving the matching source sides by the same amount (scaled by
// source/destination). Returns 0 when something is left, -1 when nothing is,
// 1 when clip is null. dest is written even when the result is -1.
int MapClipRectScaled(int32_t x, int32_t y, Rect* source, Rect* dest, const Rect* clip,
                      const Size* size);

}  // namespace orrivel
