#pragma once
// What a script asked of one background layer (front or back set): its
// picture and animation names, colour mode and flags, offset, zoom
// rectangle and rotation. Plain fields only; the saved state writes them
// one by one, so nothing here is a pointer or depends on the layout.
#include <cstdint>

namespace orrivel {

struct LayerRecord {
  static constexpr int32_t kNoZoom = -1;
  static constexpr uint8_t kNoColourMode = 0;
  static constexpr uint8_t kGrey = 1;
  static constexpr uint8_t kGreyToned = 2;
  static constexpr uint8_t kNegative = 3;
  static constexpr uint8_t kLevel150 = 4;
  // Sprites only: the two background tints.
  static constexpr uint8_t kTint1 = 5;
  static constexpr uint8_t kTint2 = 6;

  char imageName[32] = {};      // empty: no picture, the colour shows
  char animationName[32] = {};  // the LAD file or the movie; empty: none
  uint32_t tintClass = 0;       // 0 none, 1 or 2
  uint32_t colour = 0;
  uint8_t captureMask = 0;  // sprite groups frozen into the background
  uint8_t colourMode = kNoColourMode;
  uint8_t mirror = 0;
  uint8_t flip = 0;
  uint8_t cinemaBars = 0;
  uint8_t pixelOpStrength = 0;  // 0: none
  int32_t x = 0;
  int32_t y = 0;
  int32_t zoomLeft = kNoZoom;
  int32_t zoomTop = 0;
  int32_t zoomRight = 0;
  int32_t zoomBottom = 0;
  float rotationScale = 0.0f;  // 0: no rotation
  int32_t rotationAngle = 0;
  uint32_t animationState = 0;     // 1 while the animation replaces the picture
  int32_t animationSequence = 0;   // -1: the animation name is a movie
  int32_t animationFrame = 0;

  bool operator==(const LayerRecord&) const = default;
  bool HasPicture() const { return imageName[0] != '\0'; }
  bool HasZoom() const { return zoomLeft != kNoZoom; }
  // Anything that makes a reload of the same name do work again.
  bool HasPendingChange() const {
    return colourMode || mirror || flip || cinemaBars || x || y || HasZoom() || rotationScale != 0.0f;
  }
  void ClearPlacement() {
    x = y = 0;
    ClearZoomAndRotation();
  }
  void ClearZoomAndRotation() {
    zoomLeft = kNoZoom;
    zoomTop = zoomRight = zoomBottom = 0;
    rotationScale = 0.0f;
    rotationAngle = 0;
  }
};

}  // namespace orrivel
