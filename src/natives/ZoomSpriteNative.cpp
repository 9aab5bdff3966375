#include <cstdlib>
#include <memory>
#include <string>

#include "base/DecimalRange.h"

#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/SaveLoadFamilies.h"
#include "natives/SystemNativePort.h"
#include "raster/Rect.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteActions.h"

namespace orrivel {

namespace {

constexpr uint32_t kZoomSprite = 51;

// Alignments of the size action: the middle stays in place; a sprite
// shrunk from its top-left mode keeps its right and bottom edges.
constexpr uint8_t kAlignMiddle = 1;
constexpr uint8_t kAlignFar = 2;

// A decimal held to the range, rounded to single precision; 0 when the
// cell is null or the text is no number.
float DecimalAt(NativeArgs& args, uint32_t i, const DecimalRange& range) {
  if (args.Cell(i) == 0) return 0.0f;
  return float(range.Read(args.String(i), 0.0));
}

uint32_t ZoomSprite(GameScriptHost& host, NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  const uint8_t mode = args.Byte(1);
  const uint32_t duration = args.Cell(2);
  const float scale = DecimalAt(args, 3, kScaleDecimals);
  const float delay = DecimalAt(args, 4, kInt32Decimals);
  if (args.Failed() || handle == 0 || mode > 1) return 0;
  const SystemNativePort& port = SystemPort();
  ImageSprite* sprite = port.resolveSprite ? port.resolveSprite(handle) : nullptr;
  if (sprite == nullptr) return 0;
  Rect bounds;
  sprite->GetBounds(&bounds);
  const int32_t key[3] = {DoubleToInt32Clamped(float(bounds.Width()) * scale),
                         DoubleToInt32Clamped(float(bounds.Height()) * scale), 255};
  const uint8_t align = mode == 0 && scale < 1.0f ? kAlignFar : kAlignMiddle;
  auto action = std::make_unique<SpriteSizeAction>(duration / 2, uint32_t(DoubleToInt32Clamped(delay > 0 ? delay : 0)), 0, 0.0, align,
                                                   align, 0, 0, 0, 0);
  if (action->SetKeys(1, key) != 0 || action->Start(host.ObjectTimers(), sprite) != 0) return 0;
  return action.release()->Handle();
}

}  // namespace

// Native 51: a sprite grows or shrinks to a scale of its size.
void BindZoomSpriteNative(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kZoomSprite, [&host](NativeArgs& args) { return ZoomSprite(host, args); });
}

}  // namespace orrivel
