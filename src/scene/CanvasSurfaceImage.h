#pragma once
// What the two canvas surface images share: the process-wide choice of
// giving their composed surface a device context, the creation of that
// surface (with its canvas), the copy of the composed picture into their
// display surface (whole, or only where it changed), and reading the key
// colour from the composed picture.
#include <cstdint>

#include "platform/SoftSurface.h"

namespace orrivel {

class CanvasDrawObject;
class Surface;

// Composed surfaces get a device context (a DIB section) when set (off).
void SetCanvasDibSections(bool on);
bool CanvasDibSections();

// The creation flags of a composed surface: a dirty region, and a device
// context when the option is on and the kind allows it.
uint8_t ComposedSurfaceFlags(bool withDc);

// Makes the composed surface again at its size with the depth (and the
// creation flags of ComposedSurfaceFlags), binding its canvas to it again.
// 2 when it cannot be made (the caller then releases everything); 0.
int RecreateComposedSurface(CanvasDrawObject& canvas, uint8_t depth, bool withDc);

// Copies the composed picture into target (formatCode its layout): a
// running timed present draws instead; without an active canvas the
// surface's changed area (dirtyOnly) or all of it; with one, its changed
// sprites (dirtyOnly) or every sprite. 1 no target; 2 the target refused
// the lock; -1 only the changed area was asked for and nothing changed; 0.
int UpdateComposedCopy(CanvasDrawObject& canvas, platform::SoftSurface* target, uint32_t formatCode,
                       uint8_t dirtyOnly);
// The composed surface as it is, whole, without any sprite drawn again
// (after the target was lost). 1 no target or picture; 2 no lock; 0.
int CopyComposedWhole(CanvasDrawObject& canvas, platform::SoftSurface* target, uint32_t formatCode);

// The colour of composed pixel (x, y) as 0x00RRGGBB (an 8-bit surface's
// palette entry); false outside the picture.
bool ComposedColorAt(Surface& surface, int32_t x, int32_t y, uint32_t* rgb);

}  // namespace orrivel
