#pragma once
// The transition library behind the display objects' TransitionRunner: each
// step goes to RunTransition, with the screen (when one is given) as the
// target of steps that have no destination image. The two options are the
// library's position; the first further word selects its blend.
#include "display/TransitionRunner.h"

namespace orrivel {

class TransitionScreen;

class LibraryTransitionRunner final : public TransitionRunner {
 public:
  explicit LibraryTransitionRunner(TransitionScreen* screen = nullptr) : screen_(screen) {}
  void SetScreen(TransitionScreen* screen) { screen_ = screen; }

  int Run(uint32_t mode, Image* destination, Image* source, int32_t progress, int32_t option1,
          int32_t option2, int32_t word1, int32_t word2) override;

 private:
  TransitionScreen* screen_;
};

}  // namespace orrivel
