#pragma once
// The trailing cells of a native's argument block handed on as the
// arguments of a named object or a callback. The cells that lie in the
// arena, up to a bound, are taken as script cells; the window is their
// script side, so every reading goes through the checks: a text is read
// from the script address space, an output is written through it, and an
// object is found by its handle in the display's lists (a canvas image's
// handle also stands for the frame's layer object of its kind, with the
// image's sprite canvas as the layer). A bad address fails
// the native's call (the script error); nothing is ever reached through a
// cell taken as a machine address.
//
// Callbacks that take a bare cell array (the picture loaders' assist) get a
// copy of the cells instead, and what they change is written back.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class CanvasLayerObject;
class DrawObjectManager;
class NativeArgs;

class ScriptCellWindow final : public ScriptArgumentSource {
 public:
  static constexpr uint32_t kMaxCells = 16;
  // The longest text a cell names (file names, key and path texts).
  static constexpr size_t kMaxTextBytes = 1u << 16;

  // Takes the cells from first on.
  ScriptCellWindow(NativeArgs& args, uint32_t first);
  ~ScriptCellWindow();
  ScriptCellWindow(const ScriptCellWindow&) = delete;
  ScriptCellWindow& operator=(const ScriptCellWindow&) = delete;

  // The cells as arguments read through this window; valid while it lives.
  ObjectArguments Arguments() { return ObjectArguments{arguments_.data(), arguments_.size(), this}; }
  // The cells as 32-bit values, for callbacks that take a cell array, with
  // one 0 after them.
  uint32_t* Cells() { return cells_.data(); }
  // Writes back what such a callback changed in the cell array.
  void CopyBack();

  std::optional<std::string> ReadText(uint32_t address) override;
  void* FindObject(uint32_t handle, ArgumentClass wanted) override;
  bool Store(uint32_t address, uint32_t value) override;

 private:
  // A layer view of the canvas image behind the handle, kept for the call;
  // null when the handle names no canvas image with a sprite canvas.
  CanvasLayerObject* LayerOf(DrawObjectManager* objects, uint32_t handle);

  NativeArgs& args_;
  uint32_t first_;
  std::vector<ObjectArgument> arguments_;
  std::vector<uint32_t> cells_;
  std::vector<uint32_t> original_;
  // The layer views of the canvas images found for this call.
  std::vector<std::unique_ptr<CanvasLayerObject>> layers_;
};

}  // namespace orrivel
