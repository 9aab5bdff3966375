#include "natives/ScriptCellWindow.h"

#include "display/DrawObjectManager.h"
#include "natives/CanvasLayerObject.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/Image.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

ScriptCellWindow::ScriptCellWindow(NativeArgs& args, uint32_t first) : args_(args), first_(first) {
  for (uint32_t i = 0; i < kMaxCells; ++i) {
    const uint64_t at = uint64_t(args.Block()) + 4ull * (first + i);
    if (at > UINT32_MAX || !args.Space().Contains(uint32_t(at), 4)) break;
    const uint32_t cell = args.Cell(first + i);
    original_.push_back(cell);
    cells_.push_back(cell);
    arguments_.push_back(ObjectArgument::ScriptCell(cell));
  }
  // A callback reading one cell past the copy finds 0, not foreign memory.
  cells_.push_back(0);
}

ScriptCellWindow::~ScriptCellWindow() = default;

void ScriptCellWindow::CopyBack() {
  for (size_t i = 0; i < original_.size(); ++i) {
    if (cells_[i] == original_[i]) continue;
    args_.Store(args_.Block() + 4 * uint32_t(first_ + i), cells_[i]);
  }
}

std::optional<std::string> ScriptCellWindow::ReadText(uint32_t address) {
  std::string text;
  if (args_.Space().ReadLiveString(address, text, kMaxTextBytes)) return text;
  args_.Fail();
  return std::nullopt;
}

bool ScriptCellWindow::Store(uint32_t address, uint32_t value) {
  // A stale address (a freed block) is refused like one outside the arena,
  // and so is one whose variable has no room for the word.
  if (args_.Space().WritableBytesAt(address) < 4) {
    args_.Fail();
    return false;
  }
  return args_.Store(address, value);
}

void* ScriptCellWindow::FindObject(uint32_t handle, ArgumentClass wanted) {
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr) return nullptr;
  switch (wanted) {
    case ArgumentClass::kDrawable: return objects->GetSprite(handle);
    case ArgumentClass::kImage: return GetObjectImage(objects, handle);
    case ArgumentClass::kCanvas: return GetCanvasPart(objects, handle);
    case ArgumentClass::kLayerObject: {
      CanvasLayerObject* layer = LayerOf(objects, handle);
      return layer != nullptr ? static_cast<LayerObject*>(layer) : nullptr;
    }
    case ArgumentClass::kBackgroundLayer: {
      CanvasLayerObject* layer = LayerOf(objects, handle);
      return layer != nullptr ? static_cast<BackgroundLayer*>(layer) : nullptr;
    }
    // The frame itself, animations, the timer lists and the transitions'
    // targets have no script handles.
    default: return nullptr;
  }
}

CanvasLayerObject* ScriptCellWindow::LayerOf(DrawObjectManager* objects, uint32_t handle) {
  CanvasDrawObject* canvas = GetCanvasPart(objects, handle);
  // A canvas image without its sprite canvas yet has no layer to offer.
  if (canvas == nullptr || canvas->GetCanvas() == nullptr) return nullptr;
  layers_.push_back(std::make_unique<CanvasLayerObject>(*canvas, GetObjectImage(objects, handle)->GetKind()));
  return layers_.back().get();
}

}  // namespace orrivel
