#pragma once
// "bg_blur": draws a picture over the background again and again while it
// zooms and turns about a point, or zooms about a point travelling along a
// list of points, each time blended at an opacity over what was drawn
// before, so that the motion leaves a blurred trail. The text frame also
// calls the class-level entry and the point list and rectangle helpers.
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/BackgroundAction.h"
#include "effect/BgZoomAction.h"
#include "raster/Surface.h"

namespace orrivel {

struct BlurPoint {
  double x = 0, y = 0, scale = 1.0;
};

// Groups in parentheses, "(x,y)" or "(x,y,scale)": x and y integers, the
// scale a decimal word (absent 1.0). The number of points; -1 without text;
// -2 with fewer than two groups. A group's missing numbers read as 0.
int32_t ParseBlurPointList(const char* text, std::vector<BlurPoint>* out);

// The rectangle that shows the background scaled by scale about (cx, cy):
// without a turn the part of the picture (size ÷ scale, placed so that
// (cx, cy) stays where it is); with a turn the move that keeps (cx, cy) in
// place when the picture turns about the canvas's pivot, and the scaled
// size. 0; 1 no canvas or scale 0 (or not finite); 2 no picture or target;
// 3 no trigonometric tables; 4 the double table cannot be built.
int32_t ComputeScaledRect(const SpriteCanvas* canvas, int32_t cx, int32_t cy, double scale, int32_t angle,
                          ZoomRect* out);

// The class-level entry: [0] a layer object (kinds 7 to 10), [1] centre x,
// [2] centre y, [3]-[4] the scale as one double, [5]-[6] the angle as one
// double, [7] to [10] out-pointers (int32_t, each may be null) for x, y, w,
// h. Applies the kept transform at once: a turn when the angle is not 0,
// else the stretch of the rectangle over the target. 0; -1 no such object;
// ComputeScaledRect's code; 4 an empty rectangle.
int32_t ParseBgBlurArgs(const ObjectArguments& cells);
int32_t ParseBgBlurArgsVariadic(std::intptr_t first, ...);

class BgBlurAction : public BackgroundAction {
 public:
  static constexpr int32_t kNoDoubleTable = 1;
  static constexpr int32_t kBadArguments = 2;
  static constexpr int32_t kTooFewPoints = 3;
  static constexpr int32_t kNoPictureFile = 4;
  static constexpr int32_t kNoBackground = 5;
  static constexpr int32_t kNoOwnCopy = 6;
  static constexpr int32_t kNothingToDrawInto = 7;
  static constexpr int32_t kNotStarted = 8;

  enum class Routine : uint8_t { Turning, Scaling, Linear, Spline };

  ~BgBlurAction() override;
  const char* GetName() const override { return "bg_blur"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. [0] 0 for the zoom-and-turn form: [1] centre
  // x, [2] centre y, [3] start scale text, [4] start angle text, [5] end
  // scale text, [6] end angle text, common cells from [7]. [0] a point list
  // for the path form: [1] smooth, common cells from [2]. Common cells k:
  // duration, opacity, curve text, picture file name (null: the
  // background), mirror upside down, mirror left-right, draw into the
  // picture itself, blend mode, start delay, keep the final transform.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  int32_t Step(uint32_t now) override;
  void Stop() override { End(); }

  Routine GetRoutine() const { return routine_; }
  const std::vector<BlurPoint>& Points() const { return points_; }

 private:
  int32_t ReadPathForm(const ObjectArguments& cells);
  void ReadZoomForm(const ObjectArguments& cells);
  int32_t PrepareSource(const ObjectArguments& cells, size_t k);
  int32_t PrepareDestination();
  // Draws the state a fraction f of the way (0 to 1).
  void DrawAt(double f);
  void DrawTurned(double scale, int32_t angle);
  void DrawScaled(double x, double y, double scale);
  // Where the path stands at f, and its scale there.
  BlurPoint PathAt(double f) const;
  // The fixed point, scale and turn the blur ends with.
  void FinalState(int32_t* x, int32_t* y, double* scale, int32_t* angle) const;
  void End();
  Surface* Destination() const;

  std::unique_ptr<Surface> source_;
  int32_t centreX_ = 0, centreY_ = 0;
  double startScale_ = 1.0, endScale_ = 1.0;
  int32_t startAngle_ = 0, endAngle_ = 0;
  std::vector<BlurPoint> points_;
  // Second derivatives of the natural cubic spline through the points.
  std::vector<double> splineX_, splineY_;
  uint32_t duration_ = 0;
  uint8_t opacity_ = 255;
  uint8_t blendMode_ = 0;
  double curve_ = 0;
  bool direct_ = false;
  bool keep_ = false;
  bool started_ = false;
  bool ended_ = false;
  uint32_t startTick_ = 0;
  uint32_t lastDrawTick_ = 0;
  Routine routine_ = Routine::Scaling;
  bool drawn_ = false;
  double lastX_ = 0, lastY_ = 0, lastScale_ = 0;
  int32_t lastAngle_ = 0;
};

// Second derivatives of the natural cubic spline (ends 0) through values
// at unit spacing.
std::vector<double> NaturalSplineMoments(const std::vector<double>& values);

}  // namespace orrivel
