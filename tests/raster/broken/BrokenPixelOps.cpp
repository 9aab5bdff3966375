// Pixel-operation libraries that cannot be bound: one lacks GetLibrary, the
// other exports it but hands back no table.

#include "raster/PixelOpAbi.h"

extern "C" {

void tvpglConfig(int32_t, orrivel::PixelOpCopyKernel, orrivel::PixelOpCopyKernel,
                 orrivel::PixelOpCopyKernel) {}

#if defined(BROKEN_REFUSING)
orrivel::PixelOpLibraryTable* GetLibrary(const void*) { return nullptr; }
#endif

}  // extern "C"
