#pragma once
// The transition library's entry: one call draws one frame of a numbered
// transition (mode 0 to 86) of a source picture onto a destination at a
// progress on a scale of 256. Progress 0 or less draws nothing; 256 or more
// draws the whole source at (x, y) in one operation; in between the mode
// draws its partial picture. The library never erases: a caller that
// animates a transition refreshes the destination between frames.
//
// Main thread only; no state is kept between calls except TransitionRandom.
#include <cstdint>

#include "raster/Image.h"
#include "transition/FragmentDrawer.h"

namespace orrivel {

class TransitionScreen;

// Chooses the back end from the images and draws one frame.
// - With a screen: the source must be a display-surface image (kind 0 or 1);
//   it is drawn into the screen's back surface clipped to the content
//   rectangle (back end 2); the destination argument is not used.
// - Without one: two device-independent images (kind 4) draw through the
//   back end that blend names (0 copy, 1 alpha blend; any other value draws
//   nothing and returns 0 in every mode at every progress, since such
//   images have no blit surface); a
//   surface image destination (kind 0) with a display-surface source (kind 0
//   or 1) takes back end 2.
// 1 missing image or unsupported pair of kinds (tested before the mode); -1
// a mode above 86 (taken unsigned, so negative modes too); otherwise the
// routine's result. tap, when given, sees every fragment on its way.
int RunTransition(uint32_t mode, Image* destination, Image* source, int32_t progress, int32_t x,
                  int32_t y, int32_t blend, TransitionScreen* screen, FragmentTap* tap = nullptr);

// The routine of one mode (below 87) with a back end already chosen: the
// skeleton every mode shares, around the mode's partial frame.
// - progress 0 or less: 0, nothing drawn;
// - back end 2 needs a target surface (the screen's back surface, else the
//   destination's blit surface): 1 without one; back ends 0 and 1 need two
//   surfaces: 1 without them;
// - progress 256 or more: the whole source in one operation, whose result
//   is returned; any other back end runs the partial frame at 256 instead
//   (it draws nothing, but the library's random numbers advance);
// - otherwise the mode's partial frame and its result. A partial frame is
//   only ever called with a progress from 1 to 255, or 256 on a back end
//   that draws nothing.
int RunTransitionRoutine(uint32_t mode, Image* destination, Image* source, int32_t progress,
                         int32_t x, int32_t y, int32_t backend, TransitionScreen* screen,
                         FragmentTap* tap = nullptr);

}  // namespace orrivel
