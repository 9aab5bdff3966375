#pragma once
// The cell readers the image natives share: an image cell resolved to its
// drawing surface, and the blitter layouts that follow a destination and a
// source (optionally behind a leading mode byte).
#include <cstdint>
#include <optional>

#include "natives/BlitPlacement.h"
#include "natives/DisplayObjectArguments.h"
#include "script/NativeArgs.h"

namespace orrivel {

class Surface;

// The surface behind the handle in cell i; null when it does not resolve
// or the cell cannot be read.
inline Surface* SurfaceCell(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  return args.Failed() ? nullptr : GetObjectSurface(handle);
}

inline constexpr uint32_t kImageFailed = uint32_t(-1);

// A true/false answer passed to the script as the byte 1 or 0.
inline uint32_t ByteResult(bool value) { return value ? 1u : 0u; }

// Resolves the destination (cell dest) and the source (cell source), reads
// the placement at cell first (the stretched form when stretched) and runs
// op(destination, source, placement); -1 when either image fails.
template <class Op>
uint32_t BlitCells(NativeArgs& args, uint32_t dest, uint32_t source, uint32_t first, bool stretched, Op&& op) {
  Surface* d = SurfaceCell(args, dest);
  Surface* s = SurfaceCell(args, source);
  const BlitPlacement p = stretched ? ReadStretchPlacement(args, first) : ReadPointPlacement(args, first);
  if (d == nullptr || s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(op(*d, s, p));
}
template <class Op>
uint32_t PointBlitCells(NativeArgs& args, uint32_t dest, uint32_t source, uint32_t first, Op&& op) {
  return BlitCells(args, dest, source, first, false, op);
}
template <class Op>
uint32_t StretchBlitCells(NativeArgs& args, uint32_t dest, uint32_t source, uint32_t first, Op&& op) {
  return BlitCells(args, dest, source, first, true, op);
}

// Runs op(surface, rectangle or null) on the surface in cell 0 with the
// optional rectangle at cell rect; failure when the surface does not resolve.
template <class Op>
uint32_t OnSurfaceRect(NativeArgs& args, uint32_t rect, uint32_t failure, Op&& op) {
  Surface* s = SurfaceCell(args, 0);
  const std::optional<Rect> r = ReadOptionalRect(args, rect);
  if (s == nullptr || args.Failed()) return failure;
  return uint32_t(op(*s, r ? &*r : nullptr));
}

// Layouts P and S: destination 0, source 1, the placement from cell 2.
template <class Op>
uint32_t PointBlit(NativeArgs& args, Op&& op) {
  return PointBlitCells(args, 0, 1, 2, op);
}
template <class Op>
uint32_t StretchBlit(NativeArgs& args, Op&& op) {
  return StretchBlitCells(args, 0, 1, 2, op);
}
// Layouts PM and SM: the mode byte in cell 2, the placement from cell 3;
// op(destination, mode, source, placement).
template <class Op>
uint32_t PointModeBlit(NativeArgs& args, Op&& op) {
  const uint8_t mode = args.Byte(2);
  return PointBlitCells(args, 0, 1, 3, [&](Surface& d, Surface* s, const BlitPlacement& p) { return op(d, mode, s, p); });
}
template <class Op>
uint32_t StretchModeBlit(NativeArgs& args, Op&& op) {
  const uint8_t mode = args.Byte(2);
  return StretchBlitCells(args, 0, 1, 3, [&](Surface& d, Surface* s, const BlitPlacement& p) { return op(d, mode, s, p); });
}

}  // namespace orrivel
