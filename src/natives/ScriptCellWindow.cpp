#include "natives/ScriptCellWindow.h"

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
    words_.push_back(std::intptr_t(int32_t(cell)));
  }
  // A callback reading one cell past the copy finds 0, not foreign memory.
  cells_.push_back(0);
}

void ScriptCellWindow::CopyBack() {
  for (size_t i = 0; i < original_.size(); ++i) {
    uint32_t value = cells_[i];
    if (value == original_[i]) value = uint32_t(words_[i]);
    if (value == original_[i]) continue;
    args_.Store(args_.Block() + 4 * uint32_t(first_ + i), value);
  }
}

}  // namespace orrivel
