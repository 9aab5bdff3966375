#include "natives/BlitPlacement.h"

#include "script/NativeArgs.h"

namespace orrivel {

namespace {

BlitPlacement ReadPlacement(NativeArgs& args, uint32_t first, bool stretched) {
  BlitPlacement placement;
  if (!args.Given(first)) return placement;
  placement.x = args.Int(first);
  placement.y = args.Int(first + 1);
  uint32_t rect = first + 2;
  if (stretched) {
    placement.size = Size{args.Int(first + 2), args.Int(first + 3)};
    rect += 2;
  }
  placement.sourceRect = ReadOptionalRect(args, rect);
  return placement;
}

}  // namespace

BlitPlacement ReadPointPlacement(NativeArgs& args, uint32_t first) { return ReadPlacement(args, first, false); }

BlitPlacement ReadStretchPlacement(NativeArgs& args, uint32_t first) { return ReadPlacement(args, first, true); }

std::optional<Rect> ReadOptionalRect(NativeArgs& args, uint32_t first) {
  const auto cells = args.OptionalRect(first);
  if (!cells) return std::nullopt;
  return Rect{cells->left, cells->top, cells->right, cells->bottom};
}

}  // namespace orrivel
