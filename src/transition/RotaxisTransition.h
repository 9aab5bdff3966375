#pragma once
// "rotaxis": turns the picture about its vertical (axes 0 and 1) or
// horizontal (2 and others) axis in perspective; the from-picture turns
// away edge-on, the to-picture turns in, and what neither covers is black.
// Argument after the duration: the axis (low byte).
//
// The projection is of the whole picture, each band drawing its part, so a
// frame cut into bands shows the same picture as one drawn whole.
#include <cstdint>

#include "platform/Rect.h"
#include "transition/NamedTransition.h"

namespace orrivel {

class RotaxisTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "rotaxis";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static constexpr int32_t kSetupNoMathTables = 5;
  // Apply's answer for a destination that is not a device-independent image.
  static constexpr int32_t kApplyNotDib = 1;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_ == 256 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_; }

  // The four projected corners (top-left, top-right, bottom-left,
  // bottom-right) of a width x height picture at the current progress.
  void ProjectCorners(int32_t width, int32_t height, platform::Point out[4]) const;

 private:
  LinearProgress time_;
  uint32_t progress_ = 0;
  uint8_t axis_ = 0;
  const double* cosTable_ = nullptr;
  int32_t pictureWidth_ = 0, pictureHeight_ = 0;  // 0: the band is the picture
};

}  // namespace orrivel
