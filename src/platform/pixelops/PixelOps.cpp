// The pixel-operation library: a table of entries the engine calls by
// number, and the kernels the engine hands over at configuration.

#include <cstring>
#include <new>

#include "platform/pixelops/Entries.h"
#include "raster/PixelOpAbi.h"
#include "raster/PixelOpEntries.h"
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

template <typename Fn>
void Put(PixelOpLibraryTable* table, int entry, Fn fn) {
  table->words[entry - 1] = reinterpret_cast<void*>(fn);
}

void DestroyTable(void* self) { delete static_cast<PixelOpLibraryTable*>(self); }

const PixelOpLibraryVtable kVtable = {&DestroyTable};

PixelOpLibraryTable* MakeTable() {
  auto* table = new (std::nothrow) PixelOpLibraryTable{};
  if (table == nullptr) return nullptr;
  table->vtable = &kVtable;
  std::memset(table->words, 0, sizeof table->words);
  table->words[orrivel::kPixelOpChangedRect - 1] = &gChangedRect;
  Put(table, orrivel::kPixelOpFillRect, &pixelops::FillRect);
  Put(table, orrivel::kPixelOpBlendColor, &pixelops::BlendColor);
  Put(table, orrivel::kPixelOpEntry25, &pixelops::CrossBlend);
  Put(table, orrivel::kPixelOpEntry26, &pixelops::RuleBlend);
  Put(table, orrivel::kPixelOpDrawImage, &pixelops::SpriteBlend);
  Put(table, orrivel::kPixelOpBlendRows, &pixelops::BlendRows);
  Put(table, orrivel::kPixelOpStretchDrawImage, &pixelops::StretchDraw);
  Put(table, orrivel::kPixelOpTransformDrawImage, &pixelops::TransformDraw);
  Put(table, orrivel::kPixelOpEntry12, &pixelops::AffineDraw);
  Put(table, orrivel::kPixelOpEntry13, &pixelops::BoxBlur);
  Put(table, orrivel::kPixelOpSpriteBlend, &pixelops::SpriteBlend);
  Put(table, orrivel::kPixelOpSpriteStretch, &pixelops::SpriteStretch);
  Put(table, orrivel::kPixelOpSpriteRotate, &pixelops::SpriteRotate);
  Put(table, orrivel::kPixelOpMirrorA32, &pixelops::MirrorLeftRight32);
  Put(table, orrivel::kPixelOpMirrorA8, &pixelops::MirrorLeftRight8);
  Put(table, orrivel::kPixelOpMirrorB32, &pixelops::MirrorUpsideDown32);
  Put(table, orrivel::kPixelOpMirrorB8, &pixelops::MirrorUpsideDown8);
  return table;
}

}  // namespace

orrivel::Rect& pixelops::ChangedRect() { return gChangedRect; }

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
