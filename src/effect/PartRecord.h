#pragma once
// One part of a figure from a parts table: its picture, the sprites that
// show it, and either the key list it moves through or the loop objects
// that scroll it round.
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/SpriteLoopAction.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SplinePath.h"

namespace orrivel {

struct PartRecord {
  Surface surface;
  ImageSprite mainSprite;
  ImageSprite mirrorSprite;
  // -1 for a looping part.
  int32_t keyLineCount = 0;
  std::vector<PathRecord> keys;
  int32_t timedKeyCount = 0;
  bool spline = false;
  int32_t order = -1;
  double scale = 1.0;
  // 0 none, 1 before equal keys, 2 after.
  uint8_t orderMode = 0;
  bool rotating = false;
  bool visible = true;
  SplinePath::Summary summary;
  std::unique_ptr<SpriteLoopAction> loops[2];
};

}  // namespace orrivel
