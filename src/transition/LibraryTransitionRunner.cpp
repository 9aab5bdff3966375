#include "transition/LibraryTransitionRunner.h"

#include "transition/RunTransition.h"

namespace orrivel {

int LibraryTransitionRunner::Run(uint32_t mode, Image* destination, Image* source,
                                 int32_t progress, int32_t option1, int32_t option2,
                                 int32_t word1, int32_t) {
  // Only steps without a destination go to the screen: a step into an image
  // must land in that image.
  TransitionScreen* screen = destination == nullptr ? screen_ : nullptr;
  return RunTransition(mode, destination, source, progress, option1, option2, word1, screen);
}

}  // namespace orrivel
