#pragma once
// "mosaic": coarsens the from-picture into growing blocks until half time,
// then refines the to-picture from coarse blocks back to full detail.
// Arguments after the duration: anchor of the block grid (0 centred, 1 top
// left, 2 right, 3 bottom, 4 bottom right; above 4 is 0), block size (at
// least 1), keep aspect (non-zero = blocks follow the picture's shape).
//
// The grid is laid over the whole picture, not over each band, so a frame
// cut into bands draws the same blocks as one drawn whole.
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class MosaicTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "mosaic";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_ == maximum_ ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_; }

  // The block size at the current progress (below 2: no blocks).
  uint32_t BlockSize() const;

 private:
  LinearProgress time_;
  uint32_t progress_ = 0;
  uint32_t maximum_ = 2;
  uint8_t anchor_ = 0;
  bool keepAspect_ = false;
  int32_t pictureWidth_ = 0, pictureHeight_ = 0;  // 0: the band is the picture
};

}  // namespace orrivel
