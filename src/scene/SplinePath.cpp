#include "scene/SplinePath.h"

#include <cmath>
#include <string>
#include <vector>

#include "base/DecimalRange.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParsePathInteger(const char*& text, int32_t& value) {
  if (text == nullptr) return false;
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!IsDigit(*p)) return false;
  uint32_t magnitude = 0;
  while (IsDigit(*p)) magnitude = magnitude * 10u + uint32_t(*p++ - '0');
  value = int32_t(negative ? 0u - magnitude : magnitude);
  text = p;
  return true;
}

bool ParsePathReal(const char*& text, double& value) {
  if (text == nullptr) return false;
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!IsDigit(*p)) return false;
  const char* begin = p;
  while (IsDigit(*p)) ++p;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p;
  }
  // A path writes no exponent: the span read is digits with a fraction.
  const double magnitude = ParseDecimal(std::string_view(begin, size_t(p - begin))).value_or(0.0);
  value = negative ? -magnitude : magnitude;
  text = p;
  return true;
}

namespace {

// What the path is read against: the object and its target.
struct PathFrame {
  bool canvas = false;
  int32_t targetWidth = 0;   // W
  int32_t targetHeight = 0;  // H
  int32_t width = 0;         // w
  int32_t height = 0;        // h
  int32_t startX = 0;
  int32_t startY = 0;
  int32_t homeX = 0;
  int32_t homeY = 0;
  uint8_t startOpacity = 255;
  double startZoom = 1.0;
  double startRotation = 0.0;
  int32_t pivotX = 0;
  int32_t pivotY = 0;
};

SpriteCanvas* CanvasOf(const ImageSprite& sprite) {
  SpriteList* list = sprite.OwningList();
  if (list == nullptr) return nullptr;
  return dynamic_cast<SpriteCanvas*>(list->Owner());
}

int MakeFrame(ImageSprite* sprite, SpriteCanvas* canvas, PathFrame& frame) {
  if (sprite != nullptr) {
    SpriteCanvas* owner = CanvasOf(*sprite);
    if (owner == nullptr || owner->GetTarget() == nullptr) return SplinePath::kBadObject;
    frame.targetWidth = owner->GetTarget()->GetWidth();
    frame.targetHeight = owner->GetTarget()->GetHeight();
    if (frame.targetWidth == 0) return SplinePath::kBadObject;
    frame.width = sprite->GetWidth();
    frame.height = sprite->GetHeight();
    frame.startX = sprite->GetX();
    frame.startY = sprite->GetY();
    // An image sprite never asks to be centred: its home is the display
    // offset its picture carries.
    if (const Surface* picture = sprite->GetSource()) {
      frame.homeX = picture->GetUserValue1();
      frame.homeY = picture->GetUserValue2();
    }
    frame.startOpacity = sprite->GetOpacity();
    frame.startZoom = sprite->GetScale();
    frame.startRotation = double(sprite->GetAngle()) / 512.0;
    frame.pivotX = (frame.targetWidth >> 1) - frame.homeX;
    frame.pivotY = frame.targetHeight - frame.homeY;
    return 0;
  }
  if (canvas == nullptr || canvas->GetTarget() == nullptr) return SplinePath::kBadObject;
  frame.canvas = true;
  frame.targetWidth = canvas->GetTarget()->GetWidth();
  frame.targetHeight = canvas->GetTarget()->GetHeight();
  if (frame.targetWidth == 0) return SplinePath::kBadObject;
  if (canvas->BackCopy() != nullptr) return SplinePath::kCachedBackground;
  Surface* background = nullptr;
  canvas->GetBackground(&background, &frame.startX, &frame.startY, nullptr, nullptr, nullptr);
  if (background == nullptr) return SplinePath::kNoBackground;
  frame.width = background->GetWidth();
  frame.height = background->GetHeight();
  frame.pivotX = frame.width >> 1;
  frame.pivotY = frame.height >> 1;
  return 0;
}

// Receives what the scanner reads.
class PathSink {
 public:
  virtual ~PathSink() = default;
  virtual void Record(const PathRecord& record) = 0;
};

class CountingSink final : public PathSink {
 public:
  void Record(const PathRecord&) override { ++count; }
  int32_t count = 0;
};

class FillingSink final : public PathSink {
 public:
  FillingSink(PathRecord* records, int32_t capacity) : records_(records), capacity_(capacity) {}
  void Record(const PathRecord& record) override {
    if (written < capacity_) records_[written++] = record;
  }
  int32_t written = 0;

 private:
  PathRecord* records_;
  int32_t capacity_;
};

// The one walk over the language. Counting, filling and Evaluate all use it,
// so they agree on where every command and number ends.
class PathScanner {
 public:
  PathScanner(const PathFrame& frame, int32_t segmentTime, PathSink& sink)
      : frame_(frame), sink_(sink), segmentTime_(segmentTime) {
    point_.kind = PathRecord::kPoint;
    point_.value1 = frame.startX;
    point_.value2 = frame.startY;
    point_.flag = frame.startOpacity;
    point_.zoom = frame.startZoom;
    point_.rotation = frame.startRotation;
    pivotX_ = frame.pivotX;
    pivotY_ = frame.pivotY;
    pathPivotX_ = frame.pivotX;
    pathPivotY_ = frame.pivotY;
    largestZoom_ = frame.startZoom;
  }

  // With keepGoing a missing number is remembered and the walk continues
  // (the command taken without it), so that a later bad character is still
  // found first; otherwise the walk stops there.
  int Run(const char* text, bool keepGoing, int32_t* outX, int32_t* outY) {
    outX_ = outX;
    outY_ = outY;
    keepGoing_ = keepGoing;
    p_ = text;
    while (*p_ != 0) {
      const char c = *p_;
      if (c == ' ') {
        EndGroup();
        ++p_;
        continue;
      }
      if (IsPositionCommand(c)) {
        if (!inGroup_) BeginGroup();
        ++p_;
        ApplyPosition(c);
        continue;
      }
      EndGroup();
      const int code = OtherCommand();
      if (code != 0) return code;
    }
    EndGroup();
    return missingNumber_ ? SplinePath::kMissingNumber : 0;
  }

  int32_t records = 0;
  int32_t points = 0;  // point records after the start
  int32_t lastPoint = -1;
  int32_t totalTime = 0;
  uint8_t endMode = 0;
  bool zoomUsed = false;
  bool rotationUsed = false;
  bool splineAsked = false;

  const PathRecord& LastPointRecord() const { return point_; }
  int32_t PathPivotX() const { return pathPivotX_; }
  int32_t PathPivotY() const { return pathPivotY_; }
  double LargestZoom() const { return largestZoom_; }

 private:
  static bool IsPositionCommand(char c) {
    switch (c) {
      case 'l': case 'c': case 'r': case 'u': case 'd': case 'i': case '!':
      case '<': case '>': case '-': case '+':
      case ']': case '[': case '$': case '_': case '^': case '%':
      case 'p': case 'P': case 'O': case 'Z': case 'R':
        return true;
      default:
        return false;
    }
  }

  void Emit(const PathRecord& record) {
    sink_.Record(record);
    ++records;
  }

  void BeginGroup() {
    inGroup_ = true;
    point_.swingWidth = point_.swingHeight = 0;
    point_.swingShiftX = point_.swingShiftY = 0;
  }

  void EndGroup() {
    if (!inGroup_) return;
    inGroup_ = false;
    point_.pointNumber = ++points;
    lastPoint = records;
    totalTime += segmentTime_;
    Emit(point_);
    if (outX_ != nullptr) *outX_ = point_.value1;
    if (outY_ != nullptr) *outY_ = point_.value2;
  }

  // The multiplier after a step command; 1 without one.
  int32_t Multiplier() {
    int32_t n = 1;
    ParsePathInteger(p_, n);
    return n;
  }

  void ApplyPosition(char c) {
    PathRecord& pt = point_;
    const PathFrame& f = frame_;
    switch (c) {
      case 'l':
        if (f.canvas) {
          pt.value1 = 0;
        } else {
          pt.value1 = f.homeX - (f.targetWidth >> 2);
          pt.value2 = f.homeY;
        }
        break;
      case 'c':
        if (f.canvas) {
          pt.value1 = (f.width - f.targetWidth) >> 1;
          pt.value2 = (f.height - f.targetHeight) >> 1;
        } else {
          pt.value1 = f.homeX;
          pt.value2 = f.homeY;
        }
        break;
      case 'r':
        if (f.canvas) {
          pt.value1 = f.width - f.targetWidth;
        } else {
          pt.value1 = f.homeX + (f.targetWidth >> 2);
          pt.value2 = f.homeY;
        }
        break;
      case 'u': pt.value2 = 0; break;
      case 'd': pt.value2 = f.canvas ? f.height - f.targetHeight : f.targetHeight - f.height; break;
      case 'i': pt.value2 = (f.targetHeight - f.height) / 2; break;
      case '!': ApplyOutside(); break;
      case '<': pt.value1 -= moveStep_ * Multiplier(); break;
      case '>': pt.value1 += moveStep_ * Multiplier(); break;
      case '-': pt.value2 -= moveStep_ * Multiplier(); break;
      case '+': pt.value2 += moveStep_ * Multiplier(); break;
      case ']': pt.swingWidth += swingStep_ * Multiplier(); break;
      case '[': {
        const int32_t amount = swingStep_ * Multiplier();
        pt.swingWidth += amount;
        pt.swingShiftX -= amount;
        break;
      }
      case '$': {
        const int32_t n = Multiplier();
        pt.swingWidth += swingStep_ * n;
        pt.swingShiftX -= (swingStep_ / 2) * n;
        break;
      }
      case '_': pt.swingHeight += swingStep_ * Multiplier(); break;
      case '^': {
        const int32_t amount = swingStep_ * Multiplier();
        pt.swingHeight += amount;
        pt.swingShiftY -= amount;
        break;
      }
      case '%': {
        const int32_t n = Multiplier();
        pt.swingHeight += swingStep_ * n;
        pt.swingShiftY -= (swingStep_ / 2) * n;
        break;
      }
      case 'p': ApplyPair(f.homeX, f.homeY); break;
      case 'P': ApplyPair(0, 0); break;
      case 'O': {
        int32_t n = 255;
        ParsePathInteger(p_, n);
        pt.flag = uint8_t(n);
        break;
      }
      case 'Z': {
        double zoom = 1.0;
        ParsePathReal(p_, zoom);
        pt.zoom = zoom;
        zoomUsed = true;
        pathPivotX_ = pivotX_;
        pathPivotY_ = pivotY_;
        if (zoom > largestZoom_) largestZoom_ = zoom;
        break;
      }
      case 'R': {
        double turns = 0.0;
        ParsePathReal(p_, turns);
        pt.rotation = turns;
        rotationUsed = true;
        pathPivotX_ = pivotX_;
        pathPivotY_ = pivotY_;
        break;
      }
      default:
        break;
    }
  }

  // "!" and the character after it; any other character counts as "!d"
  // and is read again as a command of its own.
  void ApplyOutside() {
    PathRecord& pt = point_;
    const PathFrame& f = frame_;
    switch (*p_) {
      case 'l': pt.value1 = -f.width; pt.value2 = f.homeY; ++p_; return;
      case 'r': case 'i': pt.value1 = f.targetWidth; pt.value2 = f.homeY; ++p_; return;
      case 'c': pt.value1 = f.homeX; pt.value2 = f.targetHeight; ++p_; return;
      case 'u': pt.value2 = -f.height; ++p_; return;
      case 'd': pt.value2 = f.targetHeight; ++p_; return;
      default: pt.value2 = f.targetHeight; return;
    }
  }

  // "p" and "P": [x]","y, each relative to base. A missing comma or second
  // number ends the command there.
  void ApplyPair(int32_t baseX, int32_t baseY) {
    int32_t value = 0;
    if (ParsePathInteger(p_, value)) point_.value1 = baseX + value;
    if (*p_ != ',') return;
    ++p_;
    if (ParsePathInteger(p_, value)) point_.value2 = baseY + value;
  }

  // While counting, the command still counts as a record of its own.
  int MissingNumber() {
    if (!keepGoing_) return SplinePath::kMissingNumber;
    missingNumber_ = true;
    return 0;
  }

  int OtherCommand() {
    PathRecord record;
    const char c = *p_;
    if (IsDigit(c)) {
      int32_t ms = 0;
      ParsePathInteger(p_, ms);
      segmentTime_ = ms;
      record.kind = PathRecord::kTime;
      record.value1 = ms;
      Emit(record);
      return 0;
    }
    ++p_;
    switch (c) {
      case 't': {
        int32_t first = 0;
        int32_t last = 0;
        bool complete = ParsePathInteger(p_, first);
        if (complete) {
          if (*p_ == ',') ++p_;
          complete = ParsePathInteger(p_, last);
        }
        if (!complete && MissingNumber() != 0) return SplinePath::kMissingNumber;
        record.kind = PathRecord::kFrameRange;
        record.value1 = first;
        record.value2 = last - first + 1;
        break;
      }
      case 'A': {
        double value = 0.0;
        record.kind = PathRecord::kValue;
        if (ParsePathReal(p_, value)) {
          record.flag = 1;
          record.zoom = value;
        }
        break;
      }
      case 'F': record.kind = PathRecord::kEndMode1; endMode = 1; break;
      case 'B': record.kind = PathRecord::kEndMode2; endMode = 2; break;
      case 'S': record.kind = PathRecord::kSpline; splineAsked = true; break;
      case 'N': record.kind = PathRecord::kMarker; break;
      case 'M': {
        int32_t step = 25;
        ParsePathInteger(p_, step);
        moveStep_ = step;
        record.kind = PathRecord::kMoveStep;
        record.value1 = step;
        break;
      }
      case 'L': {
        int32_t step = 50;
        ParsePathInteger(p_, step);
        swingStep_ = step;
        record.kind = PathRecord::kSwingStep;
        record.value1 = step;
        break;
      }
      case 'o': {
        int32_t dx = 0;
        int32_t dy = 0;
        ParsePathInteger(p_, dx);
        if (*p_ == ',') {
          ++p_;
          ParsePathInteger(p_, dy);
        }
        pivotX_ += dx;
        pivotY_ += dy;
        record.kind = PathRecord::kPivot;
        record.value1 = pivotX_;
        record.value2 = pivotY_;
        break;
      }
      case 'z': {
        int32_t x = frame_.width / 2;
        int32_t y = frame_.height / 2;
        ParsePathInteger(p_, x);
        if (*p_ == ',') {
          ++p_;
          ParsePathInteger(p_, y);
        }
        pivotX_ = x;
        pivotY_ = y;
        record.kind = PathRecord::kPivot;
        record.value1 = x;
        record.value2 = y;
        break;
      }
      default:
        --p_;
        return SplinePath::kBadCharacter;
    }
    Emit(record);
    return 0;
  }

  const PathFrame& frame_;
  PathSink& sink_;
  const char* p_ = nullptr;
  int32_t* outX_ = nullptr;
  int32_t* outY_ = nullptr;
  bool keepGoing_ = false;
  bool missingNumber_ = false;
  bool inGroup_ = false;
  PathRecord point_;
  int32_t segmentTime_;
  int32_t moveStep_ = 25;
  int32_t swingStep_ = 50;
  int32_t pivotX_ = 0;
  int32_t pivotY_ = 0;
  int32_t pathPivotX_ = 0;
  int32_t pathPivotY_ = 0;
  double largestZoom_ = 1.0;
};

PathRecord StartRecord(const PathFrame& frame) {
  PathRecord start;
  start.kind = PathRecord::kPoint;
  start.value1 = frame.startX;
  start.value2 = frame.startY;
  start.flag = frame.startOpacity;
  start.zoom = frame.startZoom;
  start.rotation = frame.startRotation;
  return start;
}

int32_t Nearest(double v) { return int32_t(std::lround(v)); }

}  // namespace

void SplinePath::MotionPathClear() {
  records_.reset();
  splineX_.reset();
  splineY_.reset();
  splinePoints_ = 0;
  recordCount_ = 0;
}

int SplinePath::Parse(const char* text, ImageSprite* sprite, SpriteCanvas* canvas) {
  MotionPathClear();
  if (text == nullptr) return kBadObject;
  PathFrame frame;
  if (const int code = MakeFrame(sprite, canvas, frame); code != 0) return code;

  CountingSink counter;
  PathScanner counting(frame, defaultSegmentTime_, counter);
  const int countCode = counting.Run(text, true, nullptr, nullptr);
  if (countCode == kBadCharacter) return kBadCharacter;
  if (counter.count == 0) return kNoCommand;

  const int32_t capacity = counter.count + 1;
  records_.reset(new PathRecord[size_t(capacity)]);
  records_[0] = StartRecord(frame);
  initialPivotX_ = pivotX_ = frame.pivotX;
  initialPivotY_ = pivotY_ = frame.pivotY;
  lastPoint_ = -1;
  largestZoom_ = frame.startZoom;
  endMode_ = zoomUsed_ = rotationUsed_ = 0;
  totalTime_ = 0;

  FillingSink filler(records_.get() + 1, capacity - 1);
  PathScanner filling(frame, defaultSegmentTime_, filler);
  const int code = filling.Run(text, false, nullptr, nullptr);
  recordCount_ = filler.written + 1;
  lastPoint_ = filling.lastPoint < 0 ? -1 : filling.lastPoint + 1;
  totalTime_ = filling.totalTime;
  endMode_ = filling.endMode;
  zoomUsed_ = filling.zoomUsed ? 1 : 0;
  rotationUsed_ = filling.rotationUsed ? 1 : 0;
  largestZoom_ = filling.LargestZoom();
  if (filling.zoomUsed || filling.rotationUsed) {
    pivotX_ = filling.PathPivotX();
    pivotY_ = filling.PathPivotY();
  }
  if (code != 0) return code;
  const int32_t pointCount = filling.points + 1;
  if (filling.splineAsked && pointCount >= 3) MotionPathComputeSpline(pointCount);
  return 0;
}

int SplinePath::SetRecords(std::unique_ptr<PathRecord[]> records, int32_t count,
                           int32_t pointCount, uint8_t spline) {
  if (!records || count < 2) return 1;
  MotionPathClear();
  records_ = std::move(records);
  recordCount_ = count;
  if (spline != 0 && pointCount >= 3) MotionPathComputeSpline(pointCount);
  return 0;
}

void SplinePath::SetSummary(const Summary& summary) {
  lastPoint_ = summary.lastPoint;
  initialPivotX_ = pivotX_ = summary.pivotX;
  initialPivotY_ = pivotY_ = summary.pivotY;
  endMode_ = summary.endMode;
  zoomUsed_ = summary.zoomUsed ? 1 : 0;
  rotationUsed_ = summary.rotationUsed ? 1 : 0;
  largestZoom_ = summary.largestZoom;
}

void SplinePath::MotionPathComputeSpline(int32_t n) {
  splineX_.reset();
  splineY_.reset();
  splinePoints_ = 0;
  std::vector<const PathRecord*> points;
  for (int32_t i = 0; i < recordCount_ && int32_t(points.size()) < n; ++i) {
    if (records_[i].kind == PathRecord::kPoint) points.push_back(&records_[i]);
  }
  if (n < 3 || int32_t(points.size()) < n) return;
  const size_t size = size_t(n) + 3;
  auto solve = [&](auto coordinate) {
    std::unique_ptr<double[]> m(new double[size]());
    std::vector<double> d(size, 0.0), r(size, 0.0), b(size, 0.0);
    auto P = [&](int32_t i) { return double(coordinate(*points[size_t(i)])); };
    for (int32_t j = 1; j <= n - 1; ++j) d[size_t(j)] = P(j) - P(j - 1);
    d[size_t(n)] = P(1) - P(n - 1);
    d[size_t(n) + 1] = P(2) - P(1);
    r[1] = d[2] - d[1];
    b[1] = 4.0;
    for (int32_t k = 1; k <= n - 1; ++k) {
      const double factor = 1.0 / b[size_t(k)];
      r[size_t(k) + 1] = (d[size_t(k) + 2] - d[size_t(k) + 1]) - factor * r[size_t(k)];
      b[size_t(k) + 1] = 4.0 - factor;
    }
    for (int32_t k = n; k >= 1; --k) m[size_t(k)] = (r[size_t(k)] - m[size_t(k) + 1]) / b[size_t(k)];
    return m;
  };
  splineX_ = solve([](const PathRecord& p) { return p.value1; });
  splineY_ = solve([](const PathRecord& p) { return p.value2; });
  splinePoints_ = n;
}

void SplinePath::EvalLinearSegment(const PathRecord& from, const PathRecord& to, double t,
                                   int32_t* x, int32_t* y) {
  if (x != nullptr) *x = Nearest(from.value1 + double(to.value1 - from.value1) * t);
  if (y != nullptr) *y = Nearest(from.value2 + double(to.value2 - from.value2) * t);
}

void SplinePath::EvalCubicSegment(const PathRecord& from, const PathRecord& to, double t,
                                  int32_t* x, int32_t* y) const {
  const int32_t i = from.pointNumber;
  if (!splineX_ || i < 0 || i + 1 > splinePoints_ + 1) {
    EvalLinearSegment(from, to, t, x, y);
    return;
  }
  const auto cubic = [t, i](double p0, double p1, const double* m) {
    const double mi = m[i];
    const double mj = m[i + 1];
    return p0 + t * ((p1 - p0) - 2.0 * mi - mj) + 3.0 * mi * t * t + (mj - mi) * t * t * t;
  };
  if (x != nullptr) *x = Nearest(cubic(from.value1, to.value1, splineX_.get()));
  if (y != nullptr) *y = Nearest(cubic(from.value2, to.value2, splineY_.get()));
}

int SplinePath::Evaluate(const char* text, int32_t* x, int32_t* y, ImageSprite* sprite,
                         SpriteCanvas* canvas, uint8_t* opacity, uint8_t* endMode, double* zoom,
                         double* rotation, int32_t* pivotX, int32_t* pivotY) {
  if (text == nullptr) return kBadObject;
  PathFrame frame;
  if (const int code = MakeFrame(sprite, canvas, frame); code != 0) return code;
  if (x != nullptr) *x = frame.startX;
  if (y != nullptr) *y = frame.startY;
  CountingSink ignore;
  PathScanner scanner(frame, 1000, ignore);
  if (scanner.Run(text, false, x, y) != 0) return kBadCharacter;
  const PathRecord& last = scanner.LastPointRecord();
  if (opacity != nullptr) *opacity = last.flag;
  if (endMode != nullptr) *endMode = scanner.endMode;
  if (zoom != nullptr) *zoom = scanner.zoomUsed ? last.zoom : 0.0;
  if (rotation != nullptr) *rotation = scanner.rotationUsed ? last.rotation : 0.0;
  if (scanner.zoomUsed || scanner.rotationUsed) {
    if (pivotX != nullptr) *pivotX = scanner.PathPivotX();
    if (pivotY != nullptr) *pivotY = scanner.PathPivotY();
  }
  return 0;
}

}  // namespace orrivel
