#pragma once
// "sp_gfade": reveals one image sprite behind a moving edge. From one side
// to the other the shown part grows over the duration; an optional soft
// band at the leading edge fades the sprite's alpha from opaque to
// transparent. The band is drawn into the alpha of the sprite's own 32-bit
// surface: what it replaces is saved first and put back before the next band
// and at the end, so the surface ends exactly as it was.
//
// The sprite is borrowed. Main thread only.
#include <cstdint>
#include <memory>

#include "effect/LayerAction.h"
#include "platform/Rect.h"
#include "raster/RampBuffer.h"
#include "raster/Surface.h"

namespace orrivel {

class ImageSprite;

class SpriteGroupFadeAction : public LayerAction {
 public:
  static constexpr int32_t kShownAtOnce = -1;
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoBuffers = 3;
  static constexpr int32_t kRefused = 5;

  // Directions: the side the reveal starts from.
  static constexpr uint8_t kFromLeft = 0;
  static constexpr uint8_t kFromRight = 1;
  static constexpr uint8_t kFromTop = 2;
  static constexpr uint8_t kFromBottom = 3;

  SpriteGroupFadeAction() { RampBufferInit(&ramp_); }
  ~SpriteGroupFadeAction() override = default;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_gfade"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // Cells: [0] sprite, [1] duration in ms (0 shows the sprite at once and
  // gives kShownAtOnce), [2] direction (low byte, above 3 counts as 3),
  // [3] band width (low 16 bits, 0 a hard edge), [4] the time curve as
  // decimal text; a curve text also asks for low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  // 0 running, 1 finished.
  int32_t Step(uint32_t now) override;
  void Stop() override { FinishWipe(); }

  Loss LosingSprite(const Drawable& sprite) const override;
  void LetGoSprite(const Drawable& sprite) override;

  // Shows the wipe at shaped time ms.
  void Draw(uint32_t shapedTime);
  // Puts the sprite back whole, at its own place and alpha, and shown.
  void FinishWipe();

  int32_t LastEdge() const { return lastEdge_; }
  const Surface* SaveSurface() const { return save_.get(); }
  uint16_t BandWidth() const { return band_; }
  uint8_t Direction() const { return direction_; }

 private:
  bool Vertical() const { return direction_ >= kFromTop; }
  bool FromFarSide() const { return (direction_ & 1) != 0; }
  // The band's span [from, to) along the axis for edge p, clipped to the
  // sprite, and where the ramp's first entry lies.
  void BandSpan(int32_t p, int32_t* from, int32_t* to, int32_t* rampStart) const;
  // The band's rectangle on the sprite's surface for the span.
  Rect BandRect(int32_t from, int32_t to) const;
  void SaveBand();
  void RestoreBand();
  void ShadeBand(int32_t rampStart);

  ImageSprite* sprite_ = nullptr;
  uint32_t duration_ = 0;
  uint8_t direction_ = 0;
  uint16_t band_ = 0;
  double curve_ = 0.0;
  RampBuffer ramp_;
  std::unique_ptr<Surface> save_;
  Rect sourceRect_;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t length_ = 0;
  int32_t travel_ = 0;
  int32_t lastEdge_ = 0;
  Rect bandRect_;  // on the sprite's surface; empty when nothing is saved
  uint32_t start_ = 0;
  bool drawn_ = false;
};

}  // namespace orrivel
