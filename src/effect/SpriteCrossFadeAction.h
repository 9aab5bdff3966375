#pragma once
// "sp_cfade": cross-fades an old sprite into a new one over a duration.
// Where the two pictures overlap on the layer, a composite of both (see
// SpriteComposite) is shown in their place; otherwise the fade works on the
// two sprites' own alpha. With only a new sprite it is a fade-in, with only
// an old one a fade-out that ends with the old sprite hidden.
//
// Both sprites are borrowed. Main thread only.
#include <cstdint>
#include <memory>

#include "effect/LayerAction.h"
#include "effect/SpriteComposite.h"

namespace orrivel {

class ImageSprite;

class SpriteCrossFadeAction : public LayerAction {
 public:
  static constexpr int32_t kNoTimerList = 1;
  static constexpr int32_t kNotImageSprite = 2;
  static constexpr int32_t kNoImage = 3;
  static constexpr int32_t kNoListOrTarget = 4;
  static constexpr int32_t kNoPicture = 5;
  static constexpr int32_t kRefused = 6;

  SpriteCrossFadeAction() = default;
  ~SpriteCrossFadeAction() override = default;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_cfade"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // target: the layer's CanvasDrawObject, whose picture bounds the
  // composite. Cells: [0] new sprite, [1] old sprite (either may be null),
  // [2] drawing order of the composite sprite, [3] duration in ms (0 counts
  // as 1), [4] low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  // 0 running, -1 finished.
  int32_t Step(uint32_t now) override;
  void Stop() override { Finish(); }

  Loss LosingSprite(const Drawable& sprite) const override;
  void LetGoSprite(const Drawable& sprite) override;

  // Shows the fade elapsed ms after its start.
  void ApplyLevel(uint32_t elapsed);
  // The end state: the new sprite shown, the old one (and the composite)
  // hidden.
  void Finish();

  bool CompositeMode() const { return composite_ != nullptr; }
  SpriteComposite* Composite() const { return composite_.get(); }

 private:
  // Builds the composite when both pictures show on the layer and overlap.
  int32_t PrepareComposite(const ObjectArgument& target, uint32_t order);

  ImageSprite* old_ = nullptr;
  ImageSprite* new_ = nullptr;
  std::unique_ptr<SpriteComposite> composite_;
  uint32_t duration_ = 1;
  bool firstStep_ = true;
  uint32_t start_ = 0;
  uint8_t lastLevel_ = 0;
};

}  // namespace orrivel
