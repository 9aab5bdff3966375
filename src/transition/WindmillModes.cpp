#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionWindmillClockwise(const TransitionFrame&) { return 0; }
int TransitionWindmillCounterClockwise(const TransitionFrame&) { return 0; }

}  // namespace orrivel
