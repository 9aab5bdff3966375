#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionScatterBlocks(const TransitionFrame&) { return 0; }
int TransitionBurstBlocks(const TransitionFrame&) { return 0; }
int TransitionBurstBlocksFine(const TransitionFrame&) { return 0; }
int TransitionWhirlBlocks(const TransitionFrame&) { return 0; }
int TransitionOrbitBlocks(const TransitionFrame&) { return 0; }
int TransitionWarpBlocks(const TransitionFrame&) { return 0; }
int TransitionRotateBlocks2(const TransitionFrame&) { return 0; }
int TransitionRotateBlocks4(const TransitionFrame&) { return 0; }
int TransitionRotateBlocks8(const TransitionFrame&) { return 0; }
int TransitionRotateWhirlBlocks(const TransitionFrame&) { return 0; }
int TransitionDropCells8(const TransitionFrame&) { return 0; }
int TransitionDropCells16(const TransitionFrame&) { return 0; }
int TransitionJitterBlocks(const TransitionFrame&) { return 0; }
int TransitionSettleBlocks(const TransitionFrame&) { return 0; }

}  // namespace orrivel
