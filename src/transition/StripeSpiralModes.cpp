#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionDiagonalStripes8(const TransitionFrame&) { return 0; }
int TransitionDiagonalStripes16(const TransitionFrame&) { return 0; }
int TransitionSpiralInPixels(const TransitionFrame&) { return 0; }
int TransitionSpiralOutPixels(const TransitionFrame&) { return 0; }
int TransitionSpiralIn2(const TransitionFrame&) { return 0; }
int TransitionSpiralOut2(const TransitionFrame&) { return 0; }
int TransitionSpiralIn4(const TransitionFrame&) { return 0; }
int TransitionSpiralOut4(const TransitionFrame&) { return 0; }
int TransitionSpiralIn8(const TransitionFrame&) { return 0; }
int TransitionSpiralOut8(const TransitionFrame&) { return 0; }

}  // namespace orrivel
