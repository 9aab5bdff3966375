#pragma once
// What the display objects need of the transition library: one call that
// renders one step of a numbered screen transition. The library itself sits
// above the display layer, so the screen device is handed an implementation
// at start-up (see transition/LibraryTransitionRunner.h) and tests hand in
// a double.
#include <cstdint>

namespace orrivel {

class Image;

class TransitionRunner {
 public:
  virtual ~TransitionRunner() = default;
  // Renders one step of transition mode from source onto destination (null:
  // the device's own target) at progress, with the two options and two
  // further words. 0 done; non-zero the library's failure (-1 for a mode
  // it does not know).
  virtual int Run(uint32_t mode, Image* destination, Image* source, int32_t progress,
                  int32_t option1, int32_t option2, int32_t word1, int32_t word2) = 0;
};

}  // namespace orrivel
