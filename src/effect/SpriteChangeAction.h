#pragma once
// "sp_change": one sprite replaces another while moving, zooming and
// turning along a key path. It is a key animation whose animated sprite is
// the new sprite (mode 0), the old sprite (mode 1) or a composite of both
// pictures cross-faded over the whole path (modes 2 to 5). Odd modes also
// drift the sprite from the old picture's origin to the new one's. With zoom
// the animated sprite starts at the old picture's size and ends at the new
// one's. The end state always shows the new sprite at the end key.
//
// Mode 3 builds its composite the other way round: the new picture takes
// the fading-out place and the old one the fading-in place, and the level
// runs backwards, so what shows is still the old picture turning into the
// new one. A zoomed composite scales the narrower picture up to the wider
// one's width, so the composite never loses detail and is only ever shown
// at or below its own size; set-up therefore turns every zoomed composite
// mode into 2 (the old picture is the narrower, the factor rises to 1) or 3
// (the new one is, the factor falls from 1), while the requested mode still
// decides whether the sprite drifts.
//
// Both sprites are borrowed. Main thread only.
#include <cstdint>
#include <memory>

#include "effect/SpriteComposite.h"
#include "effect/SpritePanimeAction.h"

namespace orrivel {

class SpriteChangeAction : public SpritePanimeAction {
 public:
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kOldDisplaySize = 2;
  static constexpr int32_t kBadKeyText = 3;
  static constexpr int32_t kRefused = 4;

  SpriteChangeAction() = default;
  ~SpriteChangeAction() override = default;

  const char* GetName() const override { return "sp_change"; }

  using LayerAction::SetupV;
  // Cells: [0] new sprite (an image sprite in a sprite list), [1] old
  // sprite, [2] key text, [3] mode 0 to 5, [4] drawing order of the
  // composite sprite, [5] zoom, [6] default segment time in ms (0 counts as
  // 1), [7] low priority. The target is not used.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  int32_t Step(uint32_t now) override;
  void GoToEnd() override;
  void ApplyKey(const PathRecord& key, double t) override;

  // The old sprite and the new one, as well as the animated one.
  Loss LosingSprite(const Drawable& sprite) const override;
  void LetGoSprite(const Drawable& sprite) override;

  uint8_t Mode() const { return mode_; }
  bool Zoom() const { return zoom_; }
  SpriteComposite* Composite() const { return composite_.get(); }
  // The size factor at path progress u (0 to 1).
  double ZoomFactor(double u) const { return zoomFrom_ + (zoomTo_ - zoomFrom_) * u; }

 private:
  // Mode 3: the composite's fading-out place holds the new picture.
  bool Reversed() const { return mode_ == 3; }
  // Mode 0: the new sprite takes the old one's place (and its turn).
  int32_t PrepareReplace();
  // Modes 2 to 5: builds the composite; false without memory.
  bool PrepareComposite(uint32_t order);
  // The fraction of the path's whole time passed since the change start.
  double PathProgress() const;
  // The composite's level at path progress u: 0 shows its fading-out place.
  uint8_t CompositeLevel(double u) const;

  ImageSprite* old_ = nullptr;
  ImageSprite* new_ = nullptr;
  std::unique_ptr<SpriteComposite> composite_;
  // The narrower picture scaled up to the wider one's width for a zoomed
  // composite.
  std::unique_ptr<Surface> work_;
  uint8_t mode_ = 0;
  bool zoom_ = false;
  bool drifts_ = false;
  double zoomFrom_ = 1.0;
  double zoomTo_ = 1.0;
  int32_t driftX_ = 0;
  int32_t driftY_ = 0;
  bool firstStep_ = true;
  uint32_t changeStart_ = 0;
  uint32_t sinceStart_ = 0;
};

}  // namespace orrivel
