#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionBandsRightward16(const TransitionFrame&) { return 0; }
int TransitionBandsLeftward16(const TransitionFrame&) { return 0; }
int TransitionBandsRightward8(const TransitionFrame&) { return 0; }
int TransitionBandsLeftward8(const TransitionFrame&) { return 0; }
int TransitionBandsDownward16(const TransitionFrame&) { return 0; }
int TransitionBandsUpward16(const TransitionFrame&) { return 0; }
int TransitionBandsDownward8(const TransitionFrame&) { return 0; }
int TransitionBandsUpward8(const TransitionFrame&) { return 0; }
int TransitionStretchRevealLeftward(const TransitionFrame&) { return 0; }
int TransitionStretchRevealRightward(const TransitionFrame&) { return 0; }
int TransitionStretchRevealUpward(const TransitionFrame&) { return 0; }
int TransitionStretchRevealDownward(const TransitionFrame&) { return 0; }
int TransitionSlideHalvesSideways(const TransitionFrame&) { return 0; }
int TransitionSlideHalvesVertical(const TransitionFrame&) { return 0; }

}  // namespace orrivel
