// A pixel-operation library that hands back what it was given at binding:
// entries 2 to 4 are the three kernels passed to its configuration, entry 5
// the processor record passed to GetLibrary, entry 6 the address of the
// first configuration argument as received, and entry 234, the last word,
// a marker that shows every word was copied.

#include <new>

#include "raster/PixelOpAbi.h"
#include "raster/Rect.h"

namespace {

orrivel::PixelOpCopyKernel gKernels[3] = {};
int32_t gFirstArgument = -1;
orrivel::Rect gChangedRect;
int32_t gLastWordMarker = 234;

void DestroyTable(void* self) { delete static_cast<orrivel::PixelOpLibraryTable*>(self); }

const orrivel::PixelOpLibraryVtable kVtable = {&DestroyTable};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void tvpglConfig(int32_t first,
                                                        orrivel::PixelOpCopyKernel copy,
                                                        orrivel::PixelOpCopyKernel colorOnly,
                                                        orrivel::PixelOpCopyKernel alphaOnly) {
  gFirstArgument = first;
  gKernels[0] = copy;
  gKernels[1] = colorOnly;
  gKernels[2] = alphaOnly;
}

__attribute__((visibility("default"))) orrivel::PixelOpLibraryTable* GetLibrary(
    const void* processorInfo) {
  auto* table = new (std::nothrow) orrivel::PixelOpLibraryTable{};
  if (table == nullptr) return nullptr;
  table->vtable = &kVtable;
  table->words[0] = &gChangedRect;
  for (int i = 0; i < 3; ++i) table->words[1 + i] = reinterpret_cast<void*>(gKernels[i]);
  table->words[4] = const_cast<void*>(processorInfo);
  table->words[5] = &gFirstArgument;
  table->words[orrivel::kPixelOpEntryCount - 1] = &gLastWordMarker;
  return table;
}

}  // extern "C"
