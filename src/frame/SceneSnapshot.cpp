#include "frame/SceneSnapshot.h"

#include <string>

#include "frame/PictureColourModes.h"
#include "frame/TextHistoryBuffer.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;
constexpr uint32_t kOpaque = 0xFF000000u;
constexpr int32_t kCentreAnchor = 4;
// The colour modes a background takes (1 to 4) and a sprite (1, 2, 5, 6).
constexpr bool BackgroundMode(int32_t mode) { return mode >= 1 && mode <= 4; }
constexpr bool SpriteMode(int32_t mode) { return mode == 1 || mode == 2 || mode == 5 || mode == 6; }

// The named picture with the stored effects applied, or false when it
// does not load.
bool LoadWithEffects(const std::string& name, int32_t pixelOpLevel, int32_t colourMode, bool modeTaken,
                     int32_t mirror, int32_t flip, Surface& picture) {
  if (name.empty() || picture.LoadImage(name.c_str(), nullptr, 0, 0) != 0) return false;
  if (pixelOpLevel > 0) {
    const auto level = uint8_t(pixelOpLevel);
    ApplyPixelOp13(&picture, level, level, 0, 0);
  }
  if (modeTaken) ApplyPictureColourMode(&picture, uint8_t(colourMode));
  if (mirror) MirrorImageA(&picture, 0);
  if (flip) MirrorImageB(&picture, 0);
  return true;
}

// Draws the picture at (x, y), turned by angle and scaled about its middle
// when either is set, with the opacity.
void DrawPicture(Surface& picture, Surface& target, int32_t x, int32_t y, int32_t angle, double scale,
                 uint8_t opacity) {
  ImageSprite sprite;
  if (sprite.SetImage(&picture, nullptr, x, y) != 0) return;
  if (angle != 0 || (scale != 0.0 && scale != 1.0)) {
    sprite.SetAnchor(kCentreAnchor, 0, 0);
    sprite.SetRotation(angle, scale != 0.0 ? scale : 1.0);
  }
  sprite.SetOpacity(opacity);
  sprite.DrawTo(&target);
}

}  // namespace

int32_t RenderSceneSnapshot(const HistorySceneRecord& scene, Surface& target) {
  if ((target.GetWidth() != kWidth || target.GetHeight() != kHeight || target.GetBits() == nullptr) &&
      target.Create(kWidth, kHeight, 32, 0) != 0)
    return 1;
  const SceneBackgroundState& state = scene.state;
  target.FillBox(0, 0, kWidth, kHeight, kOpaque | (state.colour & 0xFFFFFFu));
  Surface background;
  if (LoadWithEffects(scene.background, state.pixelOpLevel, state.colourMode, BackgroundMode(state.colourMode),
                      state.mirror, state.flip, background))
    DrawPicture(background, target, state.x, state.y, state.rotationAngle, state.rotationScale, 255);
  if (state.cinemaBars) FillCinemaBars(&target);
  for (const SceneSpriteState& item : scene.items) {
    Surface picture;
    if (!LoadWithEffects(item.name, item.pixelOpLevel, item.colourMode, SpriteMode(item.colourMode), item.mirror,
                         item.flip, picture))
      continue;
    const auto opacity = uint8_t(item.alpha < 0 ? 0 : item.alpha > 255 ? 255 : item.alpha);
    DrawPicture(picture, target, item.x, item.y, item.angle, item.zoom, opacity);
  }
  return 0;
}

}  // namespace orrivel
