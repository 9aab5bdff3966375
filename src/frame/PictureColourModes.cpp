#include "frame/PictureColourModes.h"

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

bool FillCinemaBars(Surface* picture) {
  if (picture == nullptr || picture->GetBits() == nullptr) return false;
  const int32_t width = picture->GetWidth();
  const bool upper = picture->FillBox(0, 0, width, kBarHeight, 0);
  const bool lower = picture->FillBox(0, kLowerBarTop, width, kBarHeight, 0);
  return upper || lower;
}

}  // namespace orrivel
