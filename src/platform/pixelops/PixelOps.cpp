// The pixel-operation library: a table of entries the engine calls by
// number, and the kernels the engine hands over at configuration.

#include <cstring>
#include <new>

#include "raster/PixelOpAbi.h"
#include "raster/Rect.h"

namespace {

using orrivel::PixelOpCopyKernel;
using orrivel::PixelOpLibraryTable;
using orrivel::PixelOpLibraryVtable;
using orrivel::Rect;

struct Kernels {
  PixelOpCopyKernel copy = nullptr;
  PixelOpCopyKernel colorOnly = nullptr;
  PixelOpCopyKernel alphaOnly = nullptr;
};

Kernels gKernels;
Rect gChangedRect;

void DestroyTable(void* self) { delete static_cast<PixelOpLibraryTable*>(self); }

const PixelOpLibraryVtable kVtable = {&DestroyTable};

PixelOpLibraryTable* MakeTable() {
  auto* table = new (std::nothrow) PixelOpLibraryTable{};
  if (table == nullptr) return nullptr;
  table->vtable = &kVtable;
  std::memset(table->words, 0, sizeof table->words);
  table->words[orrivel::kPixelOpChangedRect - 1] = &gChangedRect;
  return table;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void tvpglConfig(int32_t, PixelOpCopyKernel copy,
                                                        PixelOpCopyKernel colorOnly,
                                                        PixelOpCopyKernel alphaOnly) {
  gKernels = {copy, colorOnly, alphaOnly};
}

__attribute__((visibility("default"))) PixelOpLibraryTable* GetLibrary(const void*) {
  return MakeTable();
}

}  // extern "C"
