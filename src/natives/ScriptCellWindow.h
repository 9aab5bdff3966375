#pragma once
// The trailing cells of a native's argument block handed to a callback
// that reads (and may write) them as a list of words: the cells that lie in
// the arena, up to a bound, are copied out; after the call every word the
// callback changed is written back through the checked access. The
// callback never sees an arena address, so it can neither read past the
// block nor write outside it.
#include <cstdint>
#include <vector>

#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class NativeArgs;

class ScriptCellWindow {
 public:
  static constexpr uint32_t kMaxCells = 16;

  // Copies the cells from first on.
  ScriptCellWindow(NativeArgs& args, uint32_t first);

  ObjectArguments Arguments() const { return ObjectArguments{words_.data(), words_.size()}; }
  // The cells as 32-bit values, for callbacks that take a cell array.
  uint32_t* Cells() { return cells_.data(); }
  // Writes back what the callback changed in either form.
  void CopyBack();

 private:
  NativeArgs& args_;
  uint32_t first_;
  std::vector<std::intptr_t> words_;
  std::vector<uint32_t> cells_;
  std::vector<uint32_t> original_;
};

}  // namespace orrivel
