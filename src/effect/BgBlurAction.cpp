#include "effect/BgBlurAction.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/MathTables.h"
#include "base/TimerList.h"
#include "effect/EasedBackgroundAction.h"
#include "effect/AssistCells.h"
#include "effect/LayerObject.h"
#include "effect/OverlayTarget.h"
#include "raster/BackgroundPixelOps.h"
#include "raster/LibraryImageOps.h"
#include "scene/SpriteCanvas.h"
#include "script/ParamReader.h"

namespace orrivel {
namespace {

// CP932: a lead byte carries the next byte with it.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The texts inside each "(" up to the next ")" (or the end).
std::vector<std::string> PointGroups(const char* text) {
  std::vector<std::string> groups;
  const char* p = text;
  while (*p != 0) {
    if (*p == '(') {
      const char* start = ++p;
      while (*p != 0 && *p != ')') p += IsLeadByte(uint8_t(*p)) && p[1] != 0 ? 2 : 1;
      groups.emplace_back(start, p);
      continue;
    }
    p += IsLeadByte(uint8_t(*p)) && p[1] != 0 ? 2 : 1;
  }
  return groups;
}

BlurPoint ReadPoint(const std::string& group) {
  ParamReader reader(group.c_str());
  int32_t x = 0, y = 0;
  double scale = 1.0;
  reader.SkipSeparators();
  reader.ReadInt(x);
  reader.SkipSeparators();
  reader.ReadInt(y);
  reader.SkipSeparators();
  if (reader.ReadReal(scale) != ParamReader::kOk) scale = 1.0;
  scale = kScaleDecimals.Clamp(scale);
  return {double(x), double(y), scale};
}

int32_t Round(double value) { return TruncToInt32(std::floor(value + 0.5)); }

// The double table's cosine and sine of an angle in 512ths of a turn.
void CosSin(const double* table, int32_t angle, double* c, double* s) {
  *c = table[uint32_t(angle) & 511];
  *s = table[(uint32_t(angle) - 128u) & 511];
}

const double* DoubleTable() {
  MathTables* tables = GetMathTables();
  return tables != nullptr && tables->GetSinCosTable() ? tables->DoubleCosTable() : nullptr;
}

}  // namespace

int32_t ParseBlurPointList(const char* text, std::vector<BlurPoint>* out) {
  if (text == nullptr) return -1;
  const std::vector<std::string> groups = PointGroups(text);
  if (groups.size() < 2) return -2;
  out->clear();
  for (const std::string& group : groups) out->push_back(ReadPoint(group));
  return int32_t(out->size());
}

std::vector<double> NaturalSplineMoments(const std::vector<double>& values) {
  const size_t n = values.size();
  std::vector<double> m(n, 0.0);
  if (n < 3) return m;
  // Inner rows: m[i−1] + 4 m[i] + m[i+1] = 6 (v[i+1] − 2 v[i] + v[i−1]);
  // the ends are 0. Thomas algorithm over the n − 2 inner unknowns.
  std::vector<double> diag(n, 4.0), rhs(n, 0.0);
  for (size_t i = 1; i + 1 < n; ++i) rhs[i] = 6.0 * (values[i + 1] - 2.0 * values[i] + values[i - 1]);
  for (size_t i = 2; i + 1 < n; ++i) {
    const double w = 1.0 / diag[i - 1];
    diag[i] -= w;
    rhs[i] -= w * rhs[i - 1];
  }
  for (size_t i = n - 2; i >= 1; --i) {
    m[i] = (rhs[i] - (i + 2 < n ? m[i + 1] : 0.0)) / diag[i];
    if (i == 1) break;
  }
  return m;
}

int32_t ComputeScaledRect(const SpriteCanvas* canvas, int32_t cx, int32_t cy, double scale, int32_t angle,
                          ZoomRect* out) {
  if (canvas == nullptr || scale == 0.0 || !std::isfinite(scale)) return 1;
  Surface* picture = BackgroundPicture(*canvas);
  if (picture == nullptr || canvas->GetTarget() == nullptr) return 2;
  const double w = picture->GetWidth(), h = picture->GetHeight();
  if ((uint32_t(angle) & 511) == 0) {
    // The part of the picture that, stretched over it, shows the picture
    // scaled about (cx, cy).
    *out = {Round(cx - cx / scale), Round(cy - cy / scale), Round(w / scale), Round(h / scale)};
    return 0;
  }
  MathTables* tables = GetMathTables();
  if (tables == nullptr) return 3;
  if (!tables->GetSinCosTable()) return 4;
  double c = 0, s = 0;
  CosSin(tables->DoubleCosTable(), angle, &c, &s);
  // The canvas turns a picture point P to R·s·(P − pivot) + pivot + move;
  // the move that keeps (cx, cy) where it is.
  const double dx = (cx - canvas->GetPivotX()) * scale, dy = (cy - canvas->GetPivotY()) * scale;
  const double turnedX = c * dx + s * dy, turnedY = -s * dx + c * dy;
  *out = {Round(cx - canvas->GetPivotX() - turnedX), Round(cy - canvas->GetPivotY() - turnedY), Round(w * scale),
          Round(h * scale)};
  return 0;
}

// Shows a kept blur transform on the canvas: 0, or 4 for an empty rectangle.
static int32_t ApplyScaledRect(SpriteCanvas& canvas, const ZoomRect& rect, int32_t angle, double scale) {
  if ((uint32_t(angle) & 511) != 0) {
    canvas.SetBackgroundRotation(rect.x, rect.y, angle, scale);
    return 0;
  }
  if (rect.w <= 0 || rect.h <= 0) return 4;
  ApplyZoomRect(canvas, rect);
  return 0;
}

int32_t ParseBgBlurArgs(const ObjectArguments& cells) {
  BackgroundLayer* layer = BackgroundLayerOf(cells.Object<LayerObject>(0));
  if (layer == nullptr) return -1;
  SpriteCanvas* canvas = layer->GetLayerCanvas();
  const double scale = cells.Double(3);
  const int32_t angle = TruncToInt32(cells.Double(5));
  ZoomRect rect;
  if (const int32_t code = ComputeScaledRect(canvas, cells.Cell(1), cells.Cell(2), scale, angle, &rect); code != 0)
    return code;
  cells.WriteInt(7, rect.x);
  cells.WriteInt(8, rect.y);
  cells.WriteInt(9, rect.w);
  cells.WriteInt(10, rect.h);
  return ApplyScaledRect(*canvas, rect, angle, scale);
}

int32_t ParseBgBlurArgsVariadic(std::intptr_t first, ...) {
  va_list list;
  va_start(list, first);
  const int32_t result = ForwardWords<11>(&ParseBgBlurArgs, first, list);
  va_end(list);
  return result;
}

BgBlurAction::~BgBlurAction() = default;

int32_t BgBlurAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  MathTables* tables = GetMathTables();
  if (tables != nullptr && !tables->GetSinCosTable()) return kNoDoubleTable;
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  if (timerList == nullptr || canvas_ == nullptr) return kBadArguments;
  size_t k = 7;
  if (cells.Text(0).has_value()) {
    if (const int32_t code = ReadPathForm(cells); code != 0) return code;
    k = 2;
  } else {
    ReadZoomForm(cells);
  }
  duration_ = uint32_t(cells.Cell(k));
  opacity_ = uint8_t(cells.Cell(k + 1));
  curve_ = DecimalCell(cells, k + 2, 0.0, kCurveDecimals);
  direct_ = cells.Cell(k + 6) != 0;
  blendMode_ = uint8_t(cells.Cell(k + 7));
  keep_ = cells.Cell(k + 9) != 0;
  if (const int32_t code = PrepareSource(cells, k); code != 0) return code;
  if (const int32_t code = PrepareDestination(); code != 0) return code;
  DrawAt(0.0);
  if (timerList->Add(this, uint32_t(cells.Cell(k + 8)), 0, 0) != 0) {
    ReleaseWorkCopy();
    return kNotStarted;
  }
  EnterLowPriority();
  return 0;
}

int32_t BgBlurAction::ReadPathForm(const ObjectArguments& cells) {
  points_.clear();
  splineX_.clear();
  splineY_.clear();
  if (ParseBlurPointList(TextOrNull(cells.Text(0)), &points_) < 2) return kTooFewPoints;
  routine_ = Routine::Linear;
  if (cells.Cell(1) != 0 && points_.size() >= 3) {
    std::vector<double> xs, ys;
    for (const BlurPoint& p : points_) {
      xs.push_back(p.x);
      ys.push_back(p.y);
    }
    splineX_ = NaturalSplineMoments(xs);
    splineY_ = NaturalSplineMoments(ys);
    routine_ = Routine::Spline;
  }
  centreX_ = TruncToInt32(points_.front().x);
  centreY_ = TruncToInt32(points_.front().y);
  startScale_ = points_.front().scale;
  endScale_ = points_.back().scale;
  return 0;
}

void BgBlurAction::ReadZoomForm(const ObjectArguments& cells) {
  centreX_ = cells.Cell(1);
  centreY_ = cells.Cell(2);
  startScale_ = DecimalCell(cells, 3, 1.0, kScaleDecimals);
  startAngle_ = TruncToInt32(DecimalCell(cells, 4, 0.0, kInt32Decimals));
  endScale_ = DecimalCell(cells, 5, 1.0, kScaleDecimals);
  endAngle_ = TruncToInt32(DecimalCell(cells, 6, 0.0, kInt32Decimals));
  routine_ = startAngle_ != 0 || endAngle_ != 0 ? Routine::Turning : Routine::Scaling;
}

int32_t BgBlurAction::PrepareSource(const ObjectArguments& cells, size_t k) {
  source_ = std::make_unique<Surface>();
  if (const std::optional<std::string> name = cells.Text(k + 3); name.has_value()) {
    if (source_->LoadImage(name->c_str(), nullptr, 0, 0) != 0 || source_->GetBits() == nullptr) return kNoPictureFile;
  } else {
    Surface* picture = BackgroundPicture(*canvas_);
    if (picture == nullptr) return kNoBackground;
    // Always an own copy: the blur may draw into the background itself, and
    // a picture read while it is written smears.
    if (source_->CreateLike(picture, 0) != 0 || source_->GetBits() == nullptr) return kNoOwnCopy;
  }
  if (cells.Cell(k + 4) != 0) MirrorImageB(source_.get(), 0);
  if (cells.Cell(k + 5) != 0) MirrorImageA(source_.get(), 0);
  return 0;
}

int32_t BgBlurAction::PrepareDestination() {
  Surface* picture = BackgroundPicture(*canvas_);
  if (direct_) {
    if (picture == nullptr) return kNothingToDrawInto;
    if (canvas_->BackCopy() != nullptr) {
      canvas_->ReleaseBackCopy();
      canvas_->MarkAllChanged();
    }
    return 0;
  }
  if (ClaimWorkCopy() != Claim::Made) return kNotStarted;
  Surface* copy = WorkCopy();
  if (picture == nullptr) {
    copy->FillColor(canvas_->GetBackgroundValue(), nullptr, nullptr);
  } else if (opacity_ != 255) {
    // A trail starts from the picture in its start state.
    const uint8_t opacity = opacity_;
    opacity_ = 255;
    copy->FillColor(canvas_->GetBackgroundValue(), nullptr, nullptr);
    DrawAt(0.0);
    opacity_ = opacity;
  } else {
    const platform::Point origin = BackgroundSourceOrigin(*canvas_, copy->GetWidth(), copy->GetHeight());
    copy->Copy(picture, -origin.x, -origin.y, nullptr, false);
  }
  return 0;
}

Surface* BgBlurAction::Destination() const {
  if (canvas_ == nullptr) return nullptr;
  return direct_ ? BackgroundPicture(*canvas_) : WorkCopy();
}

int32_t BgBlurAction::Step(uint32_t now) {
  if (ended_) return 1;
  if (!started_) {
    started_ = true;
    startTick_ = lastDrawTick_ = now;
  }
  const uint32_t elapsed = now - startTick_;
  if (elapsed >= duration_) {
    if (!keep_) DrawAt(1.0);
    End();
    return 1;
  }
  // A trail blends each drawing over the last: drawn at most every 16 ms,
  // its length does not depend on how often the frame pump runs.
  if (opacity_ != 255 && now - lastDrawTick_ <= 15) return 0;
  lastDrawTick_ = now;
  DrawAt(double(EaseElapsed(elapsed, duration_, curve_)) / double(duration_));
  return 0;
}

void BgBlurAction::DrawAt(double f) {
  switch (routine_) {
    case Routine::Turning:
      DrawTurned(startScale_ + (endScale_ - startScale_) * f, TruncToInt32(startAngle_ + (endAngle_ - startAngle_) * f));
      break;
    case Routine::Scaling:
      DrawScaled(centreX_, centreY_, startScale_ + (endScale_ - startScale_) * f);
      break;
    case Routine::Linear:
    case Routine::Spline: {
      const BlurPoint at = PathAt(f);
      DrawScaled(at.x, at.y, at.scale);
      break;
    }
  }
}

BlurPoint BgBlurAction::PathAt(double f) const {
  const size_t n = points_.size();
  const double u = std::clamp(f, 0.0, 1.0) * double(n - 1);
  // f = 1 stands on the last point: its segment is the last one, at its end.
  const size_t i = std::min(size_t(u), n - 2);
  const double t = u - double(i);
  const BlurPoint &a = points_[i], &b = points_[i + 1];
  BlurPoint at{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.scale + (b.scale - a.scale) * t};
  if (routine_ == Routine::Spline) {
    const double ca = ((1 - t) * (1 - t) * (1 - t) - (1 - t)) / 6.0, cb = (t * t * t - t) / 6.0;
    at.x += ca * splineX_[i] + cb * splineX_[i + 1];
    at.y += ca * splineY_[i] + cb * splineY_[i + 1];
  }
  return at;
}

void BgBlurAction::DrawTurned(double scale, int32_t angle) {
  Surface* dest = Destination();
  const double* table = DoubleTable();
  if (dest == nullptr || table == nullptr || source_ == nullptr) return;
  if (drawn_ && scale == lastScale_ && angle == lastAngle_) return;
  drawn_ = true;
  lastScale_ = scale;
  lastAngle_ = angle;
  double c = 0, s = 0;
  CosSin(table, angle, &c, &s);
  // The same turn as the canvas's, with the centre mapped onto itself.
  AffineMap map;
  map.xx = c * scale;
  map.xy = s * scale;
  map.yx = -s * scale;
  map.yy = c * scale;
  map.tx = centreX_ - (map.xx * centreX_ + map.xy * centreY_);
  map.ty = centreY_ - (map.yx * centreX_ + map.yy * centreY_);
  CurrentBackgroundPixelOps().AffineBlend(dest, source_.get(), map, BackgroundPixelOps::kFiltered, blendMode_,
                                          opacity_);
  canvas_->MarkAllChanged();
}

void BgBlurAction::DrawScaled(double x, double y, double scale) {
  Surface* dest = Destination();
  if (dest == nullptr || source_ == nullptr) return;
  if (drawn_ && x == lastX_ && y == lastY_ && scale == lastScale_) return;
  drawn_ = true;
  lastX_ = x;
  lastY_ = y;
  lastScale_ = scale;
  const int32_t w = source_->GetWidth(), h = source_->GetHeight();
  const int32_t left = TruncToInt32(x - (x * scale + 0.5)), top = TruncToInt32(y - (y * scale + 0.5));
  const Rect destRect{left, top, ClampedEdge(left, TruncToInt32(w * scale + 0.5)),
                      ClampedEdge(top, TruncToInt32(h * scale + 0.5))};
  const Rect sourceRect{0, 0, w, h};
  CurrentBackgroundPixelOps().StretchBlend(dest, source_.get(), destRect, sourceRect, BackgroundPixelOps::kFiltered,
                                           blendMode_, opacity_);
  canvas_->MarkAllChanged();
}

void BgBlurAction::FinalState(int32_t* x, int32_t* y, double* scale, int32_t* angle) const {
  *scale = endScale_;
  *angle = routine_ == Routine::Turning ? endAngle_ : 0;
  if (routine_ == Routine::Linear || routine_ == Routine::Spline) {
    *x = TruncToInt32(points_.back().x);
    *y = TruncToInt32(points_.back().y);
  } else {
    *x = centreX_;
    *y = centreY_;
  }
}

void BgBlurAction::End() {
  if (ended_) return;
  ended_ = true;
  if (direct_ || canvas_ == nullptr) return;
  ReleaseWorkCopy();
  if (keep_) {
    int32_t x = 0, y = 0, angle = 0;
    double scale = 1.0;
    FinalState(&x, &y, &scale, &angle);
    ZoomRect rect;
    if (ComputeScaledRect(canvas_, x, y, scale, angle, &rect) == 0) ApplyScaledRect(*canvas_, rect, angle, scale);
  }
  canvas_->MarkAllChanged();
}

}  // namespace orrivel
