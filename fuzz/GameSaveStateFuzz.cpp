// A game state blob split into its parts as the save tool and a load do,
// without a running game: every byte from which the rest might read whole
// is tried, so a hostile blob must neither overrun nor take long.
#include <cstdint>
#include <span>

#include "game/GameSaveState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::GameSaveStateLayout layout;
  if (orrivel::SplitGameSaveState(std::span<const uint8_t>(data, size), layout) &&
      (layout.historyFlag >= size || layout.end != size)) {
    __builtin_trap();
  }
  return 0;
}
