#pragma once
// "addsub": brightens or darkens through a picture change. Mode 0 brightens
// the old picture to white, 1 comes back from white to the new one, 2 and
// 3 do the same through black. Argument after the duration: the mode (low
// byte).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class AddSubFilter : public NamedTransition {
 public:
  static constexpr const char* kName = "addsub";
  static constexpr uint8_t kCategory = kTransitionFromTo;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_ == 255 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint8_t Progress() const { return progress_; }

 private:
  LinearProgress time_;
  uint8_t progress_ = 0;
  uint8_t mode_ = 0;
};

}  // namespace orrivel
