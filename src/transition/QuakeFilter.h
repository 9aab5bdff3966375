#pragma once
// "quake": shakes the current picture. Arguments: swing (0 = random jolts,
// else a sine swing: periods over a timed quake, or ms per period for an
// endless one), x amplitude, y amplitude, duration ms (0 = endless), end
// scale of the amplitudes as decimal text (null = 0.0), fill (non-zero =
// the uncovered edges become black).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class MathTables;

class QuakeFilter : public NamedTransition {
 public:
  static constexpr const char* kName = "quake";
  static constexpr uint8_t kCategory = kTransitionCurrentOnly;
  static constexpr int32_t kSetupNoRandom = 5;
  using RandomSource = int32_t (*)();
  static TcpObject* Create(int32_t);
  // The shared random generator the jolts draw from (null unbinds it).
  static void BindRandom(RandomSource draw);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return state_ == 2 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;

  int32_t OffsetX() const { return offsetX_; }
  int32_t OffsetY() const { return offsetY_; }

 private:
  void Swing(int32_t phase, double scale);
  void Jolt(double scale);

  RandomSource random_ = nullptr;
  const MathTables* tables_ = nullptr;
  uint32_t duration_ = 0;
  int32_t swing_ = 0;
  double amplitudeX_ = 0, amplitudeY_ = 0;
  double endScale_ = 0;
  int32_t offsetX_ = 0, offsetY_ = 0;
  uint32_t start_ = 0;
  uint8_t state_ = 0;
  bool alternate_ = false;
  bool fill_ = false;
};

}  // namespace orrivel
