#pragma once
// The key animation of one part of a figure: the sprite key animation fed
// with a key list the parts table built, stepped by the parts action rather
// than by a timer list of its own.
#include <cstdint>
#include <vector>

#include "effect/SpritePanimeAction.h"

namespace orrivel {

struct PartRecord;

class SpritePartAnimation : public SpritePanimeAction {
 public:
  SpritePartAnimation() = default;
  ~SpritePartAnimation() override = default;

  // 0; 1 without a sprite or with a duration of 0; 2 when the path does not
  // take the list. Applies the first key's angle and scale at once when
  // the part rotates or scales.
  int32_t SetupFromKeys(ImageSprite* sprite, uint32_t duration, bool loop, const PartRecord& part);
};

}  // namespace orrivel
