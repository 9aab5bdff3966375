#pragma once
// A named transition run by a canvas image's timed present: the canvas is
// the transition's target, and each present mixes its own picture (the one
// being left) with its linked image's (the one being entered) band by band
// into the canvas's work surface. A transition that works on the current
// picture alone reads and writes the canvas's own picture.
//
// The task owns its transition: it releases it when the canvas lets go of
// the task (the last holder deletes it). Main thread only.
#include <cstdint>
#include <string_view>

#include "resource/SharedHolder.h"
#include "resource/plugin/ObjectArguments.h"
#include "scene/PresentTask.h"
#include "transition/NamedTransition.h"

namespace orrivel {

class CanvasDrawObject;
class TcpManager;

class CanvasTransitionTask final : public PresentTask, public TransitionTarget {
 public:
  explicit CanvasTransitionTask(CanvasDrawObject& canvas) : canvas_(canvas) {}

  // Takes the transition made for this target (null: none).
  void Attach(NamedTransition* transition) { transition_.reset(transition); }
  NamedTransition* Transition() const { return transition_.get(); }

  // --- the present task ------------------------------------------------------------
  int Type() const override { return int(transition_ ? transition_->GetCategory() : uint8_t(kTransitionCurrentOnly)); }
  // Category 1 transitions shape the whole area at once (a numbered mode,
  // a mosaic grid, a turn about the centre): they draw in one pass, since
  // bands would each redo the whole picture and seam block grids.
  uint32_t Kind() const override { return transition_ ? transition_->GetCategory() : 0u; }
  int Step(uint32_t tick) override;
  void DrawBand(const Rect& band, Surface* work) override;
  // 0 while the transition runs; -1 (it ends the present) once it is done.
  int Query() override;
  void ForgetImage(const Image* image) override {
    if (transition_) transition_->ForgetImage(image);
  }

  // --- as the transition's target ----------------------------------------------------
  int32_t GetDepth() const override;
  bool GetPictureSize(int32_t* width, int32_t* height) const override;

 private:
  CanvasDrawObject& canvas_;
  HeldPtr<NamedTransition> transition_;
};

// A task for the canvas running the transition the registry makes by name
// with the arguments; null when the name is unknown or its set-up refused.
// The caller holds the task (PresentTask::Release lets it go).
CanvasTransitionTask* MakeCanvasTransitionTask(TcpManager& registry, CanvasDrawObject& canvas,
                                               std::string_view name, const ObjectArguments& arguments);

// Makes the named transition and starts it as the canvas's timed present:
// kTransitionNotMade when it could not be made, else the start's result
// (CanvasDrawObject::StartTimedPresent); a refused start lets it go.
constexpr int kTransitionNotMade = -1;
int StartCanvasTransition(TcpManager& registry, CanvasDrawObject& canvas, std::string_view name,
                          const ObjectArguments& arguments, uint8_t mode, uint8_t apply, uint8_t lowPriority);

}  // namespace orrivel
