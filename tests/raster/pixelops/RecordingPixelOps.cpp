// A pixel-operation library that hands back what it was given at binding:
// entries 2 to 4 are the three kernels passed to its configuration, entry 5
// the processor record passed to GetLibrary, entry 6 the address of the
// first configuration argument as received, and entry 234, the last word,
// a marker that shows every word was copied. Its transformed draws
// (entries 11 and 12) record what they were handed and draw nothing.

#include <new>

#include "RecordedDraw.h"
#include "raster/PixelOpAbi.h"
#include "raster/PixelOpEntries.h"
#include "raster/Rect.h"

namespace {

orrivel::PixelOpCopyKernel gKernels[3] = {};
int32_t gFirstArgument = -1;
orrivel::Rect gChangedRect;
int32_t gLastWordMarker = 234;

orrivel::test::RecordedDraw gDraw;

void Record(int32_t entry, const orrivel::Rect* sourceRect, int32_t mode, int32_t reserved, int32_t opacity,
            int32_t flag1, int32_t flag2, int32_t word, const orrivel::Rect* clip) {
  gDraw = {entry, sourceRect, {mode, reserved, opacity, flag1, flag2, word}, clip};
  gChangedRect = {};
}

int32_t TransformDraw(const orrivel::PixelOpImage*, const orrivel::PixelOpImage*, double, double, double, double,
                      double, double, const orrivel::Rect* sourceRect, int32_t mode, int32_t reserved,
                      int32_t opacity, int32_t flag1, int32_t flag2, int32_t word, const orrivel::Rect* clip) {
  Record(11, sourceRect, mode, reserved, opacity, flag1, flag2, word, clip);
  return 0;
}

int32_t AffineDraw(const orrivel::PixelOpImage*, const orrivel::PixelOpImage*, int32_t, int32_t, int32_t, int32_t,
                   int32_t, int32_t, const orrivel::Rect* sourceRect, int32_t mode, int32_t reserved,
                   int32_t opacity, int32_t flag1, int32_t flag2, int32_t word, const orrivel::Rect* clip) {
  Record(12, sourceRect, mode, reserved, opacity, flag1, flag2, word, clip);
  return 0;
}

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
  orrivel::PixelOpTransformDrawFn transform = &TransformDraw;
  orrivel::PixelOpEntry12Fn affine = &AffineDraw;
  table->words[orrivel::kPixelOpTransformDrawImage - 1] = reinterpret_cast<void*>(transform);
  table->words[orrivel::kPixelOpEntry12 - 1] = reinterpret_cast<void*>(affine);
  table->words[orrivel::test::kRecordedDrawEntry - 1] = &gDraw;
  table->words[orrivel::kPixelOpEntryCount - 1] = &gLastWordMarker;
  return table;
}

}  // extern "C"
