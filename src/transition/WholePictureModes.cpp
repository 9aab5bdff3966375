#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionCrossFade(const TransitionFrame&) { return 0; }
int TransitionMosaicCentred(const TransitionFrame&) { return 0; }
int TransitionMosaicCorner(const TransitionFrame&) { return 0; }
int TransitionNegativeFlash(const TransitionFrame&) { return 0; }

}  // namespace orrivel
