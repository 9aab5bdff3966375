#pragma once
// The memory device context of a memory image: its own rows in its own
// layout (8-bit indexed with its palette, or 32-bit colour words), so that
// device-context copies can move pixels between it and display surfaces.
#include "platform/SoftSurface.h"

namespace orrivel {

class DibImage;

platform::SurfaceDc MemoryDcOf(DibImage* image);

}  // namespace orrivel
