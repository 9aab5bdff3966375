#pragma once
// The named transitions that draw each band in whole-band operations:
// "cross" blends the from-picture into the to-picture, "rule" does so
// through an 8-bit rule image, "trans" runs one numbered mode of the
// transition library, and "tone" fades the current picture into a colour.
//
// Classes whose pixel-operation entries are absent refuse set-up with 2,
// so a transition that was handed out can always draw.
#include <cstdint>

#include "raster/Kernels32.h"
#include "transition/NamedTransition.h"

namespace orrivel {

// The row kernel CopyImageRect32 runs: the plain copy or its packed twin.
using RowCopyKernel = void (*)(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height);
// The process's 32-bit copy: the packed twin when the packed flag is set.
RowCopyKernel CurrentCopyKernel32();

// Copies the source rectangle of a 32-bit image to (x, y) of another. No
// bounds are checked: callers pass rectangles inside both images.
void CopyImageRect32(RowCopyKernel kernel, Image* destination, int32_t x, int32_t y, Image* source,
                     const Rect& sourceRect);

// True when the rectangle (x, y, w, h) lies inside an image with pixels.
bool RectInsideImage(Image* image, int32_t x, int32_t y, int32_t w, int32_t h);

class CrossTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "cross";
  static constexpr uint8_t kCategory = kTransitionFromTo;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return progress_ == 255 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint8_t Progress() const { return progress_; }

 protected:
  LinearProgress time_;
  uint8_t progress_ = 0;
};

// Arguments after the duration: the 8-bit rule image, the vague width.
// The rule image belongs to the caller; when it is deleted while the
// transition runs, the transition draws nothing more and ends at once.
class RuleTransition : public CrossTransition {
 public:
  static constexpr const char* kName = "rule";
  static TcpObject* Create(int32_t);

  const char* GetName() const override { return kName; }
  int32_t IsFinished() const override;
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  void ForgetImage(const Image* image) override;

 private:
  Image* rule_ = nullptr;
  int32_t vague_ = 0;
};

// Arguments after the duration: the mode (low byte), reverse. A mode above
// 86 runs to its end by time while every band reports 5.
class TransTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "trans";
  static constexpr uint8_t kCategory = kTransitionFromToLibrary;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override;
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint32_t Progress() const { return progress_; }

 private:
  LinearProgress time_;
  uint32_t progress_ = 0;
  uint8_t mode_ = 0;
  bool reverse_ = false;
};

// Arguments after the duration: the colour 0x00RRGGBB, reverse.
class ToneTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "tone";
  static constexpr uint8_t kCategory = kTransitionCurrentOnly;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override;
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;
  uint8_t Progress() const { return progress_; }

 private:
  LinearProgress time_;
  uint8_t progress_ = 0;
  bool reverse_ = false;
  uint32_t colour_ = 0;
};

}  // namespace orrivel
