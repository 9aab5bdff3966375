#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionHalfCircleTop(const TransitionFrame&) { return 0; }
int TransitionHalfCircleBottom(const TransitionFrame&) { return 0; }
int TransitionHalfCircleLeft(const TransitionFrame&) { return 0; }
int TransitionHalfCircleRight(const TransitionFrame&) { return 0; }
int TransitionCircleCentre(const TransitionFrame&) { return 0; }

}  // namespace orrivel
