#pragma once
// The colour modes, mirror, flip and cinema bars the frame applies to its
// background and sprite pictures, in place.
#include <cstdint>

namespace orrivel {

class Surface;

// Mode 1 grey, 2 grey then toned, 3 negative (given again, it undoes
// itself), 4 alpha level 150, 5 and 6 the background tints. False when the
// picture refused it or the mode is unknown.
bool ApplyPictureColourMode(Surface* picture, uint8_t mode);
// A colour mode is taken only while none is set; a negative given again
// undoes the one set.
bool ColourModeAllowed(uint8_t current, uint8_t requested);
// The colour mode (0: none), then mirror and flip toggled, each kept in the
// record fields given; false when the mode is refused or fails.
bool ApplyImageEffects(Surface* picture, uint8_t& modeField, uint8_t& mirrorField, uint8_t& flipField,
                       uint8_t colourMode, bool mirror, bool flip);
// Rows 0-89 and 630-719 over the full width filled with colour 0.
bool FillCinemaBars(Surface* picture);

}  // namespace orrivel
