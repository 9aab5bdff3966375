#include "frame/PictureColourModes.h"

#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"

namespace orrivel {

namespace {

struct ToneFactors {
  int32_t red, green, blue, redOffset, greenOffset, blueOffset;
};

constexpr ToneFactors kGreyTone{152, 128, 107, 24, 0, -4};
constexpr ToneFactors kTint1{132, 132, 126, 8, 8, -9};
constexpr ToneFactors kTint2{125, 120, 131, -13, 2, 0};
constexpr int32_t kLevel = 150;
constexpr int32_t kBarHeight = 90;
constexpr int32_t kLowerBarTop = 630;

bool ApplyTone(Surface* picture, const ToneFactors& t) {
  return Tone(picture, t.red, t.green, t.blue, t.redOffset, t.greenOffset, t.blueOffset, nullptr) == 0;
}

}  // namespace

bool ApplyPictureColourMode(Surface* picture, uint8_t mode) {
  if (picture == nullptr) return false;
  switch (mode) {
    case 1:
      return GrayScale(picture, nullptr) == 0;
    case 2:
      return GrayScale(picture, nullptr) == 0 && ApplyTone(picture, kGreyTone);
    case 3:
      return Negate(picture, 0, nullptr) == 0;
    case 4:
      return ApplyLevelTable(picture, kLevel, nullptr);
    case 5:
      return ApplyTone(picture, kTint1);
    case 6:
      return ApplyTone(picture, kTint2);
    default:
      return false;
  }
}

bool ColourModeAllowed(uint8_t current, uint8_t requested) {
  constexpr uint8_t kNegative = 3;
  return requested == 0 || current == 0 || (requested == kNegative && current == kNegative);
}

bool ApplyImageEffects(Surface* picture, uint8_t& modeField, uint8_t& mirrorField, uint8_t& flipField,
                       uint8_t colourMode, bool mirror, bool flip) {
  constexpr uint8_t kNegative = 3;
  if (!ColourModeAllowed(modeField, colourMode)) return false;
  if (colourMode) {
    if (!ApplyPictureColourMode(picture, colourMode)) return false;
    // A second negative restores the picture.
    modeField = modeField == kNegative ? 0 : colourMode;
  }
  if (mirror) {
    mirrorField ^= 1;
    MirrorImageA(picture, 0);
  }
  if (flip) {
    flipField ^= 1;
    MirrorImageB(picture, 0);
  }
  return true;
}

bool FillCinemaBars(Surface* picture) {
  if (picture == nullptr || picture->GetBits() == nullptr) return false;
  const int32_t width = picture->GetWidth();
  const bool upper = picture->FillBox(0, 0, width, kBarHeight, 0);
  const bool lower = picture->FillBox(0, kLowerBarTop, width, kBarHeight, 0);
  return upper || lower;
}

}  // namespace orrivel
