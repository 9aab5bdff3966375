#pragma once
// A path that moves one object over time, written in a short path language:
// an image sprite (position, opacity, zoom, rotation) or the background of a
// sprite canvas (its offset, that is panning). The playing actions parse it
// when they start and interpolate between its point records each frame;
// Evaluate reads the same language and reports only where it ends.
//
// Both the record count and the records come from one scanner, so every text
// that fills also counts the same, whatever numbers, signs, dots and commas
// its commands take.
//
// Main thread only.
#include <cstdint>
#include <memory>

namespace orrivel {

class ImageSprite;
class SpriteCanvas;

// An optional "+" or "-", then decimal digits (wrapping in 32 bits). On
// success text stands after the last digit; without a digit false and text
// stays where it was, before any sign.
bool ParsePathInteger(const char*& text, int32_t& value);
// An optional sign, digits, and optionally "." and more digits, of any
// length. Without a leading digit false and text unchanged. A magnitude
// beyond the doubles is held at the largest finite one.
bool ParsePathReal(const char*& text, double& value);

struct PathRecord {
  enum Kind : uint8_t {
    kPoint = 0,
    kTime = 1,
    kFrameRange = 2,
    kValue = 3,
    kEndMode1 = 4,
    kEndMode2 = 5,
    kSpline = 6,
    kMarker = 7,
    kMoveStep = 8,
    kSwingStep = 9,
    kPivot = 10,
  };
  uint8_t kind = kPoint;
  uint8_t flag = 0;  // point: opacity; value: 1 when a value was given
  int32_t value1 = 0;
  int32_t value2 = 0;
  int32_t swingWidth = 0;
  int32_t swingHeight = 0;
  int32_t swingShiftX = 0;
  int32_t swingShiftY = 0;
  double zoom = 0.0;      // point: its zoom; value: the value
  double rotation = 0.0;  // in turns
  int32_t pointNumber = 0;
};

class SplinePath {
 public:
  // Parse and Evaluate results.
  static constexpr int kBadObject = 1;
  static constexpr int kCachedBackground = 2;
  static constexpr int kNoBackground = 3;
  static constexpr int kBadCharacter = 4;
  static constexpr int kNoCommand = 5;
  static constexpr int kMissingNumber = 6;

  SplinePath() = default;
  SplinePath(const SplinePath&) = delete;
  SplinePath& operator=(const SplinePath&) = delete;
  virtual ~SplinePath() { MotionPathClear(); }

  void MotionPathClear();
  // 0 done; 1 to 6 as the constants above. When both are given the sprite
  // is used.
  int Parse(const char* text, ImageSprite* sprite, SpriteCanvas* canvas);
  // 1 when records is null or count < 2; else the path takes them (and
  // computes the spline when asked and there are at least 3 points); 0.
  int SetRecords(std::unique_ptr<PathRecord[]> records, int32_t count, int32_t pointCount,
                 uint8_t spline);
  // What Parse learns from a text, for a record list built elsewhere and
  // handed over with SetRecords.
  struct Summary {
    int32_t lastPoint = -1;
    int32_t pivotX = 0;
    int32_t pivotY = 0;
    uint8_t endMode = 0;
    bool zoomUsed = false;
    bool rotationUsed = false;
    double largestZoom = 1.0;
  };
  void SetSummary(const Summary& summary);
  // Periodic-ish cubic coefficients over the first pointCount point records.
  void MotionPathComputeSpline(int32_t pointCount);

  static void EvalLinearSegment(const PathRecord& from, const PathRecord& to, double t, int32_t* x,
                                int32_t* y);
  // Falls back to the straight line while no spline is computed or the
  // from record's point number lies outside it.
  void EvalCubicSegment(const PathRecord& from, const PathRecord& to, double t, int32_t* x,
                        int32_t* y) const;

  // Walks the text without storing it and writes its end state; each output
  // may be null. 0 done (an empty text too); 1 to 3 as Parse; 4 a character
  // that is no command, or a number missing. x and y are written as the walk
  // goes; the rest only at a successful end.
  static int Evaluate(const char* text, int32_t* x, int32_t* y, ImageSprite* sprite,
                      SpriteCanvas* canvas, uint8_t* opacity, uint8_t* endMode, double* zoom,
                      double* rotation, int32_t* pivotX, int32_t* pivotY);

  int32_t InitialPivotX() const { return initialPivotX_; }
  int32_t InitialPivotY() const { return initialPivotY_; }
  int32_t LastPoint() const { return lastPoint_; }
  int32_t PivotX() const { return pivotX_; }
  int32_t PivotY() const { return pivotY_; }
  uint8_t EndMode() const { return endMode_; }
  uint8_t ZoomUsed() const { return zoomUsed_; }
  uint8_t RotationUsed() const { return rotationUsed_; }
  double LargestZoom() const { return largestZoom_; }
  int32_t DefaultSegmentTime() const { return defaultSegmentTime_; }
  void SetDefaultSegmentTime(int32_t ms) { defaultSegmentTime_ = ms; }
  int32_t TotalTime() const { return totalTime_; }
  const PathRecord* Records() const { return records_.get(); }
  int32_t RecordCount() const { return recordCount_; }
  bool HasSpline() const { return splineX_ != nullptr; }
  const double* SplineX() const { return splineX_.get(); }
  const double* SplineY() const { return splineY_.get(); }

 private:
  int32_t initialPivotX_ = 0;
  int32_t initialPivotY_ = 0;
  int32_t lastPoint_ = -1;
  int32_t pivotX_ = 0;
  int32_t pivotY_ = 0;
  uint8_t endMode_ = 0;
  uint8_t zoomUsed_ = 0;
  uint8_t rotationUsed_ = 0;
  double largestZoom_ = 0.0;
  int32_t defaultSegmentTime_ = 1000;
  int32_t totalTime_ = 0;
  std::unique_ptr<PathRecord[]> records_;
  int32_t recordCount_ = 0;
  int32_t splinePoints_ = 0;
  std::unique_ptr<double[]> splineX_;
  std::unique_ptr<double[]> splineY_;
};

}  // namespace orrivel
