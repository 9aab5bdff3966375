#pragma once

// The binary interface between the engine and the pixel-operation library,
// shared by both sides. Words are pointer-sized on this machine; their
// numbering is kept: word 0 is the library object's own table of operations
// (slot 0 destroys and frees the object), words 1 to 234 are the entries,
// entry 1 being the address of the rectangle changed by the last operation.

#include <cstdint>

namespace orrivel {

inline constexpr int kPixelOpEntryCount = 234;

using PixelOpCopyKernel = void (*)(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                                   int height);

struct PixelOpLibraryVtable {
  void (*destroy)(void* self);
};

struct PixelOpLibraryTable {
  const PixelOpLibraryVtable* vtable;  // word 0
  void* words[kPixelOpEntryCount];     // words[k - 1] is entry k
};

// Exports of the library, looked up by these names.
inline constexpr const char* kPixelOpConfigExport = "tvpglConfig";
inline constexpr const char* kPixelOpGetLibraryExport = "GetLibrary";
using PixelOpConfigFn = void (*)(int32_t zero, PixelOpCopyKernel copy, PixelOpCopyKernel colorOnly,
                                 PixelOpCopyKernel alphaOnly);
using PixelOpGetLibraryFn = PixelOpLibraryTable* (*)(const void* processorInfo);

// Entry numbers the engine calls.
enum PixelOpEntry : int {
  kPixelOpChangedRect = 1,
  kPixelOpEntry5 = 5,
  kPixelOpEntry7 = 7,
  kPixelOpDrawImage = 9,
  kPixelOpStretchDrawImage = 10,
  kPixelOpTransformDrawImage = 11,
  kPixelOpEntry12 = 12,
  kPixelOpEntry13 = 13,
  kPixelOpMirrorA32 = 14,
  kPixelOpMirrorA8 = 15,
  kPixelOpMirrorB32 = 16,
  kPixelOpMirrorB8 = 17,
  // The drawing entries of sprites and the canvas background: pictures,
  // rectangles and corner data cross by address.
  kPixelOpSpriteBlend = 40,
  kPixelOpSpriteStretch = 41,
  kPixelOpSpriteRotate = 42,
};

}  // namespace orrivel
