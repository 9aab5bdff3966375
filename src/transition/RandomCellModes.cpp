#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionJitterRows(const TransitionFrame&) { return 0; }
int TransitionScrambleCells(const TransitionFrame&) { return 0; }
int TransitionDissolveCells(const TransitionFrame&) { return 0; }
int TransitionDissolveDown(const TransitionFrame&) { return 0; }
int TransitionDissolveUp(const TransitionFrame&) { return 0; }
int TransitionDissolveRight(const TransitionFrame&) { return 0; }
int TransitionDissolveLeft(const TransitionFrame&) { return 0; }
int TransitionIris(const TransitionFrame&) { return 0; }

}  // namespace orrivel
