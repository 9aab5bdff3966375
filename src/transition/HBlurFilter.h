#pragma once
// "hblur": blurs horizontally through a picture change. Mode 0 blurs the
// old picture out to the radius and the new one back in from it; other
// modes cross-fade through a blur that is widest at half time. Arguments
// after the duration: mode (low byte), radius (low byte; 0 is 1, above 127
// is 127).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class HBlurFilter : public NamedTransition {
 public:
  static constexpr const char* kName = "hblur";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_ == maximum_ ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_; }

 private:
  LinearProgress time_;
  uint32_t progress_ = 0;
  uint32_t maximum_ = 3;
  uint8_t mode_ = 0;
  uint8_t radius_ = 1;
};

}  // namespace orrivel
