#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionTornWipeDown(const TransitionFrame&) { return 0; }
int TransitionTornWipeUp(const TransitionFrame&) { return 0; }
int TransitionWaveRows(const TransitionFrame&) { return 0; }
int TransitionWaveRowsInverse(const TransitionFrame&) { return 0; }
int TransitionWaveRowsShort(const TransitionFrame&) { return 0; }
int TransitionWaveRowsShortInverse(const TransitionFrame&) { return 0; }

}  // namespace orrivel
