#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionMirrorColumns(const TransitionFrame&) { return 0; }
int TransitionMirrorRows(const TransitionFrame&) { return 0; }
int TransitionStretchRows(const TransitionFrame&) { return 0; }
int TransitionStretchColumns(const TransitionFrame&) { return 0; }

}  // namespace orrivel
