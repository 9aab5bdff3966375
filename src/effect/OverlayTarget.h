#pragma once
// What the overlay effects read from their target before anything else:
// the layer host, its screen surface and its two pages, and the decimal
// text cells their set-up takes.
#include <cstdint>

#include "base/DecimalRange.h"
#include "effect/LayerHost.h"
#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class SpriteCanvas;
class Surface;

struct OverlayPages {
  LayerHost* host = nullptr;
  Surface* screen = nullptr;
  SpriteCanvas* first = nullptr;
  SpriteCanvas* second = nullptr;  // null when the host has no second page
};

// The pages of a layer host; everything null for a null host.
OverlayPages FindOverlayPages(LayerHost* host);

// A decimal number given as text in the cell (a CP932 string): the leading
// number of the text held to the range its use takes, or fallback for a
// null text or one that does not start with a finite number.
double DecimalCell(const ObjectArguments& cells, std::size_t index, double fallback, const DecimalRange& range);

}  // namespace orrivel
