#pragma once
// "noise": lays a flickering picture over both pages of the layer host.
// Every 100 ms a work picture of screen size is filled from the noise
// picture ("SYS\NOISE.ELG") read as one run of pixels from a random start,
// wrapping at its end, so a picture smaller than the screen repeats with a
// shift from row to row. The effect runs until it is stopped; a stop hides
// the overlay, and its sprites leave the pages when it is deleted.
#include <cstdint>

#include "effect/LayerAction.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class LayerHost;
class SubtractiveRandom;

// Fills work row by row from the pixels of noise read as one run from pixel
// start (taken modulo the pixel count), wrapping from the last pixel to the
// first; the run goes on across the rows. Both are 32-bit surfaces.
void DrawNoiseRun(Surface& noise, Surface& work, uint64_t start);

class NoiseEffect : public LayerAction {
 public:
  static constexpr const char* kPictureName = "SYS\\NOISE.ELG";
  static constexpr uint32_t kInterval = 100;
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoSecondPage = 2;
  static constexpr int32_t kNoPicture = 3;  // missing, or without pixels
  static constexpr int32_t kNoWorkPicture = 4;
  static constexpr int32_t kNotStarted = 5;

  NoiseEffect() = default;
  ~NoiseEffect() override = default;

  int32_t GetTypeId() const override { return kOverlayEffectType; }
  const char* GetName() const override { return "noise"; }
  uint8_t GetCategory() const override { return kOverlayCategory; }

  using LayerAction::SetupV;
  // Target: a LayerHost. Cells: [0] opacity (low byte), [1] order key in
  // both pages, [2] visible on the first page, [3] on the second.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] visible on the page that is first now, [1] on the other. 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  int32_t Step(uint32_t now) override;
  void Stop() override;

  // A frame from pixel start of the noise picture; marks the visible
  // sprites changed.
  void DrawFrame(uint64_t start);

  const Surface& NoisePicture() const { return noise_; }
  const Surface& WorkPicture() const { return work_; }
  ImageSprite& Sprite(int page) { return sprites_[page]; }

 private:
  void LeavePages();

  LayerHost* host_ = nullptr;
  // Declared before the sprites, which show the work picture.
  Surface noise_;
  Surface work_;
  ImageSprite sprites_[2];
};

}  // namespace orrivel
