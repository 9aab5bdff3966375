#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionBoxCentre(const TransitionFrame&) { return 0; }
int TransitionBoxTopLeft(const TransitionFrame&) { return 0; }
int TransitionBoxTopRight(const TransitionFrame&) { return 0; }
int TransitionBoxBottomLeft(const TransitionFrame&) { return 0; }
int TransitionBoxBottomRight(const TransitionFrame&) { return 0; }
int TransitionCombRows(const TransitionFrame&) { return 0; }
int TransitionCombColumns(const TransitionFrame&) { return 0; }
int TransitionCombRows4(const TransitionFrame&) { return 0; }
int TransitionCombColumns4(const TransitionFrame&) { return 0; }

}  // namespace orrivel
