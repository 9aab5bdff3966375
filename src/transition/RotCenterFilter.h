#pragma once
// "rotcenter": the new picture spins in from the centre, growing from a
// point to its full size over one turn, over the old picture (direction 1:
// the old one spins out to the centre over the new; 2: spins in leaving a
// trail). Arguments after the duration: direction (low byte), smoothing
// (low byte).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class RotCenterFilter : public NamedTransition {
 public:
  static constexpr const char* kName = "rotcenter";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static constexpr int32_t kSetupNoTables = 5;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_.value == kTurn ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_.value; }

 private:
  static constexpr uint32_t kTurn = 512;
  int32_t DrawTurning(const TransitionApplyRecord& r, Image* picture, int32_t a, int32_t opacity) const;

  TrailProgress progress_;
  uint8_t direction_ = 0;
  uint8_t smoothing_ = 0;
  const double* cos_ = nullptr;
};

}  // namespace orrivel
