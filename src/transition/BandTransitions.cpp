#include "transition/BandTransitions.h"

#include <cstdlib>
#include <new>

#include "raster/DibImage.h"
#include "raster/KernelFlags.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"
#include "transition/RunTransition.h"

namespace orrivel {

namespace {

constexpr uint32_t kModeCount = 87;

Rect BandRect(const TransitionApplyRecord& r) {
  return Rect{r.areaX, r.areaY, r.areaX + r.width, r.areaY + r.height};
}

bool LibraryHas(std::initializer_list<int> entries) {
  for (int entry : entries)
    if (LibraryEntry(entry) == nullptr) return false;
  return true;
}

// The copy of the from band that trans and tone start from; false when an
// image is missing or the band does not lie inside both.
bool CopyFromBand(const TransitionApplyRecord& r) {
  if (r.destination == nullptr || r.from == nullptr || r.width <= 0 || r.height <= 0) return false;
  const Rect band = BandRect(r);
  for (Image* image : {r.destination, r.from}) {
    if (band.left < 0 || band.top < 0 || band.right > image->GetWidth() ||
        band.bottom > image->GetHeight() || image->GetBits() == nullptr)
      return false;
  }
  CopyImageRect32(CurrentCopyKernel32(), r.destination, band.left, band.top, r.from, band);
  return true;
}

template <typename T>
TcpObject* Make() {
  return new (std::nothrow) T();
}

}  // namespace

RowCopyKernel CurrentCopyKernel32() { return MmxFlag() ? &CopyPixels32Packed : &CopyPixels32; }

void CopyImageRect32(RowCopyKernel kernel, Image* destination, int32_t x, int32_t y, Image* source,
                     const Rect& sourceRect) {
  const int32_t w = sourceRect.right - sourceRect.left;
  const int32_t h = sourceRect.bottom - sourceRect.top;
  const int32_t dstPitch = destination->GetPitch(), srcPitch = source->GetPitch();
  uint8_t* dst = destination->GetBits() + int64_t{y} * dstPitch + int64_t{x} * 4;
  const uint8_t* src = source->GetBits() + int64_t{sourceRect.top} * srcPitch +
                       int64_t{sourceRect.left} * 4;
  kernel(dst, src, dstPitch - 4 * w, srcPitch - 4 * w, w, h);
}

int32_t ReadTransitionHead(const ObjectArgument& first, const ObjectArguments& rest, uint32_t* duration) {
  auto* target = first.Object<TransitionTarget>();
  if (target == nullptr || rest.count == 0) return NamedTransition::kSetupMissing;
  *duration = uint32_t(rest.Cell(0));
  if (*duration == 0) return NamedTransition::kSetupMissing;
  if (target->GetDepth() != 32) return NamedTransition::kSetupBadImage;
  return NamedTransition::kSetupDone;
}

bool RectInsideImage(Image* image, int32_t x, int32_t y, int32_t w, int32_t h) {
  return image != nullptr && image->GetBits() != nullptr && x >= 0 && y >= 0 &&
         int64_t{x} + w <= image->GetWidth() && int64_t{y} + h <= image->GetHeight();
}

double ReadDecimalArgument(const ObjectArguments& rest, std::size_t index, double fallback,
                           const DecimalRange& range) {
  const std::optional<std::string> text = rest.Text(index);
  return text ? range.Read(*text, 0.0) : fallback;
}

// --- cross ---------------------------------------------------------------------------

TcpObject* CrossTransition::Create(int32_t) { return Make<CrossTransition>(); }

int32_t CrossTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  if (!LibraryHas({kPixelOpEntry25})) return kSetupBadImage;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t CrossTransition::Update(uint32_t now) {
  progress_ = time_.TakeFirst(now) ? 0 : uint8_t(time_.Scaled(now, 255));
  return 0;
}

int32_t CrossTransition::Apply(const TransitionApplyRecord& r) {
  auto* destination = dynamic_cast<Surface*>(r.destination);
  if (destination == nullptr) return kApplyFailed;
  return ApplyPixelOp25(destination, r.from, r.to, progress_, 0, r.destX, r.destY, r.width,
                        r.height, r.fromX, r.fromY, r.toX, r.toY) == 0
             ? 0
             : kApplyFailed;
}

// --- rule ----------------------------------------------------------------------------

TcpObject* RuleTransition::Create(int32_t) { return Make<RuleTransition>(); }

int32_t RuleTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  // A missing rule image is a bad image argument, like one of another depth.
  auto* rule = dynamic_cast<DibImage*>(rest.Object<Image>(1));
  if (rule == nullptr || rule->GetBitsPerPixel() != 8) return kSetupBadImage;
  if (!LibraryHas({kPixelOpEntry26})) return kSetupBadImage;
  rule_ = rule;
  vague_ = rest.Cell(2);
  time_.firstPending = true;
  return kSetupDone;
}

int32_t RuleTransition::IsFinished() const {
  return rule_ == nullptr ? -1 : CrossTransition::IsFinished();
}

void RuleTransition::ForgetImage(const Image* image) {
  if (image == nullptr || image == rule_) rule_ = nullptr;
}

int32_t RuleTransition::Apply(const TransitionApplyRecord& r) {
  auto* destination = dynamic_cast<Surface*>(r.destination);
  if (destination == nullptr || rule_ == nullptr) return kApplyFailed;
  return ApplyPixelOp26(destination, r.from, r.to, rule_, progress_, vague_, 0, r.destX, r.destY,
                        r.width, r.height, r.fromX, r.fromY, r.toX, r.toY, r.areaX, r.areaY) == 0
             ? 0
             : kApplyFailed;
}

// --- trans ---------------------------------------------------------------------------

TcpObject* TransTransition::Create(int32_t) { return Make<TransTransition>(); }

int32_t TransTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  mode_ = uint8_t(rest.Cell(1));
  reverse_ = rest.Cell(2) != 0;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t TransTransition::Update(uint32_t now) {
  const uint32_t linear = time_.TakeFirst(now) ? 0 : time_.Scaled(now, 256);
  progress_ = reverse_ ? 256 - linear : linear;
  return 0;
}

int32_t TransTransition::IsFinished() const {
  return progress_ == (reverse_ ? 0u : 256u) && !time_.firstPending ? -1 : 0;
}

int32_t TransTransition::Apply(const TransitionApplyRecord& r) {
  if (mode_ >= kModeCount || !CopyFromBand(r)) return kApplyFailed;
  // The mode draws the whole area from its origin; the clip keeps it to this
  // band, so cutting the area into bands draws the same picture as one band.
  Rect savedClip;
  r.destination->GetClipRect(&savedClip);
  const Rect band = BandRect(r);
  r.destination->SetClipRect(&band);
  const int result = RunTransition(mode_, r.destination, r.to, int32_t(progress_), 0, 0, 0, nullptr);
  r.destination->SetClipRect(&savedClip);
  return result == 0 ? 0 : kApplyFailed;
}

// --- tone ----------------------------------------------------------------------------

TcpObject* ToneTransition::Create(int32_t) { return Make<ToneTransition>(); }

int32_t ToneTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  if (!LibraryHas({kPixelOpFillRect, kPixelOpBlendColor})) return kSetupBadImage;
  colour_ = uint32_t(rest.Cell(1)) & 0xFFFFFFu;
  reverse_ = rest.Cell(2) != 0;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t ToneTransition::Update(uint32_t now) {
  const uint32_t linear = time_.TakeFirst(now) ? 0 : time_.Scaled(now, 255);
  progress_ = uint8_t(reverse_ ? 255 - linear : linear);
  return 0;
}

int32_t ToneTransition::IsFinished() const {
  return progress_ == (reverse_ ? 0 : 255) && !time_.firstPending ? -1 : 0;
}

int32_t ToneTransition::Apply(const TransitionApplyRecord& r) {
  auto* destination = dynamic_cast<Surface*>(r.destination);
  if (destination == nullptr) return kApplyFailed;
  const Rect band = BandRect(r);
  if (progress_ == 255) return FillRectOp(destination, colour_, band) ? 0 : kApplyFailed;
  if (!CopyFromBand(r)) return kApplyFailed;
  destination->MarkDirty(band);
  if (progress_ != 0 && !BlendColorOp(destination, colour_, progress_, band)) return kApplyFailed;
  return 0;
}

}  // namespace orrivel
