#pragma once
// "zoomflip": squeezes the old picture aside while the new one grows in
// (modes 0 to 3: from the left, top, right or bottom edge), or zooms the
// old picture away into the centre and the new one out of it (4; 5 leaves
// an afterimage trail; 6 zooms the new one in over the old). Arguments
// after the duration: mode (low byte), smoothing (low byte).
#include <cstdint>

#include "raster/Rect.h"
#include "transition/NamedTransition.h"

namespace orrivel {

class ZoomFlipFilter : public NamedTransition {
 public:
  static constexpr const char* kName = "zoomflip";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_.value == maximum_ ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_.value; }
  uint32_t Maximum() const { return maximum_; }

 private:
  struct Placed {
    Image* picture;
    Rect place;  // in the whole area
    int32_t opacity;
  };
  int32_t ApplyEdgeMode(const TransitionApplyRecord& r, int32_t w, int32_t h);
  int32_t ApplyZoomMode(const TransitionApplyRecord& r, int32_t w, int32_t h);
  int32_t Draw(const TransitionApplyRecord& r, const Placed& placed) const;

  TrailProgress progress_;
  uint32_t maximum_ = 512;
  uint8_t mode_ = 0;
  uint8_t smoothing_ = 0;
};

}  // namespace orrivel
