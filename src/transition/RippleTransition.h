#pragma once
// "ripple": cross-fades the from-picture into the to-picture through a
// circular ripple that spreads from a centre point and draws back over the
// duration. Arguments after the duration: centre x, centre y (negative =
// the middle, beyond the picture = its last column or row), wavelength (16,
// 32, 64 or 128), vertical scale and speed as decimal text, ring count.
#include <cstdint>

#include "transition/NamedTransition.h"
#include "transition/RippleTable.h"

namespace orrivel {

class RippleTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "ripple";
  static constexpr uint8_t kCategory = kTransitionFromTo;
  // No memory for the shared tables.
  static constexpr int32_t kSetupNoMemory = 3;
  static TcpObject* Create(int32_t);
  // The registry's first-use hook (kernels from the processor flags) and
  // release hook (the shared tables).
  static void OnFirstUse();
  static void OnRelease();

  ~RippleTransition() override;
  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return level_ == 255 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;

  const RippleTable* Table() const { return table_; }
  uint32_t Level() const { return level_; }
  int32_t RadiusStep() const { return radiusStep_; }
  int32_t Margin() const { return margin_; }

 private:
  struct Pictures;
  void DrawPixelMirrored(const Pictures& p, int32_t x, int32_t y) const;
  void DrawRow(const Pictures& p, int32_t y, int32_t left, int32_t right) const;

  uint32_t duration_ = 2;
  bool firstPending_ = false;
  uint32_t start_ = 0;
  uint32_t elapsed_ = 0;
  RippleParams params_;
  float speed_ = 6.0f;
  RippleTable* table_ = nullptr;
  uint32_t level_ = 0;
  int32_t phase_ = 0;
  int32_t radiusStep_ = 0;
  int32_t margin_ = 1;
  const int16_t* row_ = nullptr;
};

}  // namespace orrivel
