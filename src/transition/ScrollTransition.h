#pragma once
// "scroll": slides the to-picture in, the from-picture out, or both, with an
// optional easing curve and fade. Arguments after the duration: direction
// (0 from the left, 1 from the top, 2 from the right, 3 from the bottom;
// other values act as 3), motion (0 the new picture slides in over the old,
// 1 the old slides out over the new, 2 the new pushes the old, 3 as 0 with
// the new one fading in, 4 as 1 with the old one fading out, others as 3),
// the easing exponent as decimal text (null = none).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class ScrollTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "scroll";
  static constexpr uint8_t kCategory = kTransitionFromTo;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return offset_ == distance_ && !time_.firstPending ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Offset() const { return offset_; }
  uint8_t FadeLevel() const { return fadeLevel_; }

 private:
  LinearProgress time_;
  uint32_t offset_ = 0;
  uint32_t distance_ = 0;
  uint8_t direction_ = 3;
  uint8_t motion_ = 0;
  bool fade_ = false;
  uint8_t fadeLevel_ = 0;
  double exponent_ = 0;
};

}  // namespace orrivel
