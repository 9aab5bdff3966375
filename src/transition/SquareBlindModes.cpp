#include "transition/TransitionModes.h"

namespace orrivel {

// Not drawn yet: until these partial frames are built they leave the
// destination as it is. The first and last frames come from the skeleton.

int TransitionSquares4(const TransitionFrame&) { return 0; }
int TransitionSquares8(const TransitionFrame&) { return 0; }
int TransitionSquares16(const TransitionFrame&) { return 0; }
int TransitionBlindColumns8(const TransitionFrame&) { return 0; }
int TransitionBlindColumns8Reverse(const TransitionFrame&) { return 0; }
int TransitionBlindColumns16(const TransitionFrame&) { return 0; }
int TransitionBlindColumns16Reverse(const TransitionFrame&) { return 0; }
int TransitionBlindRows8(const TransitionFrame&) { return 0; }
int TransitionBlindRows8Reverse(const TransitionFrame&) { return 0; }
int TransitionBlindRows16(const TransitionFrame&) { return 0; }
int TransitionBlindRows16Reverse(const TransitionFrame&) { return 0; }

}  // namespace orrivel
