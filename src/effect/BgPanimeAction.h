#pragma once
// "bg_panime": moves the view of a background picture along a path of
// points over time, with a duration, an easing and a straight or curved
// course per segment, and an optional out-and-back excursion on each axis
// per segment. The text frame reads the path's end through the class-level
// entry to restore a pan after a load.
#include <cstdint>
#include <memory>

#include "effect/BackgroundAction.h"
#include "raster/Surface.h"
#include "scene/SplinePath.h"

namespace orrivel {

// The offset a segment's excursion adds on one axis at the eased fraction
// f: amplitude 0 adds none; with base 0 it runs out to the amplitude at
// mid-segment and back; a base other than 0 shifts where it turns.
int32_t ExcursionOffset(int32_t amplitude, int32_t base, double f);

// The eased fraction of a segment at t ms of duration ms: 1.0 for a
// duration below 2; with sine easing (1 − cos(π t ÷ D)) ÷ 2 from the
// double table; else the power curve (exponent 0 is linear).
double PanEasedFraction(uint32_t t, uint32_t duration, bool sine, double exponent, const double* cosTable);

// The class-level entry: [0] a layer object (kinds 7 to 10), [1] the path
// text, [2] and [3] out-pointers (int32_t, each may be null) for x and y.
// Moves the background offset to where the path ends. 0; -1 no such
// object; else the evaluation's code.
int32_t ParseBgPanimeArgs(const ObjectArguments& cells);
int32_t ParseBgPanimeArgsVariadic(std::intptr_t first, ...);

class BgPanimeAction : public BackgroundAction {
 public:
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kBadPath = 2;
  static constexpr int32_t kNoOwnPicture = 3;
  static constexpr int32_t kComposeFailed = 4;
  static constexpr int32_t kNoWorkCopy = 5;
  static constexpr int32_t kNotListed = 2;
  static constexpr int32_t kAppliedAtOnce = -1;
  // Drawing option meaning "move the offset only".
  static constexpr int32_t kOffsetOnly = 65535;

  const char* GetName() const override { return "bg_panime"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. [0] path text, [1] segment duration ms (0:
  // the end position at once, -1), [2] draw through the work copy (65535:
  // none of [2] to [5] given, move the offset only), [3] pan a picture
  // composed from the whole canvas, shown as its background while the pan
  // runs (the canvas's sprites are in it, so its main list is hidden), [4]
  // hide the second page's main list as well, [5] loop, [6] enter low
  // priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0], [1] out-pointers (int32_t, each may be null) for the current
  // entry's x and y. 0; 1 without a path; 2 before the first entry.
  int32_t QueryV(const ObjectArguments& cells) override;
  int32_t Step(uint32_t now) override;
  void Stop() override { End(); }

  const SplinePath& Path() const { return path_; }
  int32_t ShownX() const { return shownX_; }
  int32_t ShownY() const { return shownY_; }

 private:
  void ApplyCommand(const PathRecord& record);
  void Show(const PathRecord& from, const PathRecord& to, uint32_t t);
  void ShowAt(int32_t x, int32_t y);
  void End();
  int32_t ComposeOwnPicture();
  void HideSprites(SpriteCanvas* canvas);
  void RestoreCanvases();

  SplinePath path_;
  std::unique_ptr<Surface> ownPicture_;
  bool workCopyMode_ = false;
  // What the own picture changed on the canvases, put back at the end.
  struct HiddenMain {
    SpriteCanvas* canvas;
    bool wasHidden;
  };
  HiddenMain hidden_[2] = {};
  Surface* previousBackground_ = nullptr;
  int32_t previousX_ = 0, previousY_ = 0;
  bool ownPictureShown_ = false;
  bool loop_ = false;
  bool started_ = false;
  bool ended_ = false;
  int32_t index_ = 1;
  int32_t previous_ = 0;
  uint32_t segmentStart_ = 0;
  uint32_t segmentDuration_ = 1;
  bool sine_ = false;
  double exponent_ = 0;
  bool cubic_ = false;
  int32_t moveParameter_ = 25;
  int32_t swingParameter_ = 50;
  int32_t shownX_ = 0, shownY_ = 0;
};

}  // namespace orrivel
