#pragma once
// What a script asked of one sprite slot: the picture's name, the
// character it shows, where it stands, its order in the canvas list, its
// colour mode and flags, alpha, zoom and the action to restart after a
// load. Plain fields only; the saved state writes them one by one.
#include <cstdint>

namespace orrivel {

struct SpriteSlotRecord {
  static constexpr int32_t kEmpty = -1;
  static constexpr int32_t kUnlisted = 75;
  static constexpr uint32_t kNoAction = 0;
  static constexpr uint32_t kPanimeAction = 1;
  static constexpr uint32_t kPartsAction = 2;

  char imageName[32] = {};  // upper-cased
  int32_t characterIndex = kEmpty;
  int32_t x = 0;  // the anchor; (640, 720) puts the picture at its own placement
  int32_t y = 0;
  int32_t baseX = 0;  // 640 - placement value 1
  int32_t baseY = 0;  // 720 - placement value 2
  uint32_t order = 0;
  uint8_t colourMode = 0;
  uint8_t mirror = 0;
  uint8_t flip = 0;
  uint8_t pixelOpStrength = 0;
  uint8_t alpha = 255;
  float zoom = 0.0f;  // 0: none
  int32_t zoomAngle = 0;
  int32_t zoomCentreX = 0;
  int32_t zoomCentreY = 0;
  uint32_t actionKind = kNoAction;
  int32_t actionWord = 0;
  char actionName[48] = {};

  bool operator==(const SpriteSlotRecord&) const = default;
  bool IsEmpty() const { return characterIndex < 0; }
};

}  // namespace orrivel
