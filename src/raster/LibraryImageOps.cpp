#include "raster/LibraryImageOps.h"


#include "raster/PixelBuffer.h"
#include "raster/PixelOpEntries.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {

namespace {

constexpr int kDone = 0;
constexpr int kNoPixels = 1;
constexpr int kWrongDepthOrNoLibrary = 2;
constexpr int kLibraryFailed = 3;

int32_t DepthOf(Image* image) {
  if (auto* dib = dynamic_cast<DibImage*>(image)) return dib->GetBitsPerPixel();
  if (auto* buffer = dynamic_cast<PixelBuffer*>(image)) return buffer->GetBitsPerPixel();
  return 0;
}

bool HasPixels(Image* image) { return image != nullptr && image->GetBits() != nullptr; }

// The common checks of a code-returning operation; 0 when the entry may be called.
int CheckCommon(Surface* target, std::initializer_list<Image*> sources, int entry) {
  if (!HasPixels(target)) return kNoPixels;
  for (Image* s : sources)
    if (!HasPixels(s)) return kNoPixels;
  if (target->GetBitsPerPixel() != 32) return kWrongDepthOrNoLibrary;
  for (Image* s : sources)
    if (DepthOf(s) != 32) return kWrongDepthOrNoLibrary;
  if (LibraryEntry(entry) == nullptr) return kWrongDepthOrNoLibrary;
  return kDone;
}

// Entries that succeed with 0.
int FinishZero(Surface* target, int32_t answer) {
  if (answer != 0) return kLibraryFailed;
  RecordLibraryChange(target);
  return kDone;
}

// Entries that succeed with true.
int FinishTrue(Surface* target, int32_t answer) {
  if ((answer & 0xFF) == 0) return kLibraryFailed;
  RecordLibraryChange(target);
  return kDone;
}

template <typename Fn>
Fn Entry(int entry) {
  return reinterpret_cast<Fn>(LibraryEntry(entry));
}

int Mirror(Surface* target, int32_t a1, const Rect* rect, int entry32, int entryOther) {
  if (!HasPixels(target)) return 1;
  const int entry = target->GetBitsPerPixel() == 32 ? entry32 : entryOther;
  auto fn = Entry<PixelOpMirrorFn>(entry);
  if (fn == nullptr) return 1;
  const PixelOpImage view = ViewForLibrary(target);
  if ((fn(&view, a1, rect) & 0xFF) == 0) return 2;
  RecordLibraryChange(target);
  return 0;
}

bool TargetOnly(Surface* target, int entry, const int32_t* a1) {
  if (!HasPixels(target) || target->GetBitsPerPixel() != 32) return false;
  void* fn = LibraryEntry(entry);
  if (fn == nullptr) return false;
  const PixelOpImage view = ViewForLibrary(target);
  const int32_t answer = a1 != nullptr ? reinterpret_cast<PixelOpTargetArgFn>(fn)(&view, *a1)
                                       : reinterpret_cast<PixelOpTargetFn>(fn)(&view);
  return FinishTrue(target, answer) == kDone;
}

// The view of any picture with a pixel pointer, given its depth.
template <class Picture>
PixelOpImage ViewWithDepth(Picture& image, int32_t bitsPerPixel) {
  PixelOpImage view;
  view.bits = image.GetBits();
  view.width = image.GetWidth();
  view.height = image.GetHeight();
  view.pitch = image.GetPitch();
  view.bitsPerPixel = bitsPerPixel;
  return view;
}

}  // namespace

PixelOpImage ViewForLibrary(Image* image) {
  return image != nullptr ? ViewWithDepth(*image, DepthOf(image)) : PixelOpImage{};
}

PixelOpImage ViewForLibrary(DibImage* image) {
  return image != nullptr ? ViewWithDepth(*image, image->GetBitsPerPixel()) : PixelOpImage{};
}

void* LibraryEntry(int entry) {
  return CurrentPixelOpLibrary() != nullptr ? PixelOpEntryAddress(entry) : nullptr;
}

void RecordLibraryChange(Surface* target) { target->MarkDirty(PixelOpChangedRect()); }

int ApplyPixelOp5(Surface* target, int32_t a1, uint8_t level, int32_t a3, int32_t a4) {
  if (!HasPixels(target) || target->GetBitsPerPixel() != 32) return kNoPixels;
  if (level == 0) return kDone;
  auto fn = Entry<PixelOpEntry5Fn>(kPixelOpEntry5);
  if (fn == nullptr) return kWrongDepthOrNoLibrary;
  const PixelOpImage t = ViewForLibrary(target);
  return FinishTrue(target, fn(&t, a1, level, a4, a3));
}

int ApplyPixelOp7(Surface* target, int32_t a1, int32_t a2) {
  if (!HasPixels(target) || target->GetBitsPerPixel() != 32) return kNoPixels;
  auto fn = Entry<PixelOpEntry7Fn>(kPixelOpEntry7);
  if (fn == nullptr) return kWrongDepthOrNoLibrary;
  const PixelOpImage t = ViewForLibrary(target);
  return FinishTrue(target, fn(&t, a1 & 255, a2));
}

int DrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                int32_t a6, const Rect* a7) {
  if (const int code = CheckCommon(target, {source}, kPixelOpDrawImage); code != 0) return code;
  const PixelOpImage t = ViewForLibrary(target), s = ViewForLibrary(source);
  return FinishZero(target, Entry<PixelOpDrawImageFn>(kPixelOpDrawImage)(&t, &s, a5, a6, a7, a2,
                                                                          a3, a4));
}

int StretchDrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4,
                       int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t mode,
                       int32_t smoothing, int32_t opacity, int32_t reserved) {
  if (const int code = CheckCommon(target, {source}, kPixelOpStretchDrawImage); code != 0)
    return code;
  const PixelOpImage t = ViewForLibrary(target), s = ViewForLibrary(source);
  return FinishZero(target, Entry<PixelOpStretchDrawFn>(kPixelOpStretchDrawImage)(
                                &t, &s, a6, a7, a8, a9, a2, a3, a4, a5, mode, smoothing, opacity, reserved));
}

int TransformDrawImageOp(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4,
                         int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                         const Rect* sourceRect, const Rect* clip, int32_t a11, int32_t a12,
                         int32_t a13) {
  if (const int code = CheckCommon(target, {source}, kPixelOpTransformDrawImage); code != 0)
    return code;
  const PixelOpImage t = ViewForLibrary(target), s = ViewForLibrary(source);
  return FinishZero(target, Entry<PixelOpTransformDrawFn>(kPixelOpTransformDrawImage)(
                                &t, &s, a2, a3, a4, a5, a6, a7, sourceRect, a8, a9, a10, a11, a12,
                                a13, clip));
}

int ApplyPixelOp12(Surface* target, Image* source, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                   int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   const Rect* sourceRect, const Rect* clip, int32_t a11, int32_t a12, int32_t a13) {
  if (const int code = CheckCommon(target, {source}, kPixelOpEntry12); code != 0) return code;
  const PixelOpImage t = ViewForLibrary(target), s = ViewForLibrary(source);
  return FinishZero(target, Entry<PixelOpEntry12Fn>(kPixelOpEntry12)(
                                &t, &s, a2, a3, a4, a5, a6, a7, sourceRect, a8, a9, a10, a11, a12,
                                a13, clip));
}

int ApplyPixelOp13(Surface* target, int32_t across, int32_t down, int32_t flag, const Rect* rect) {
  if (const int code = CheckCommon(target, {}, kPixelOpEntry13); code != 0) return code;
  const PixelOpImage t = ViewForLibrary(target);
  return FinishTrue(target, Entry<PixelOpEntry13Fn>(kPixelOpEntry13)(&t, across, down, flag, rect));
}

int MirrorImageA(Surface* target, int32_t a1, const Rect* rect) {
  return Mirror(target, a1, rect, kPixelOpMirrorA32, kPixelOpMirrorA8);
}

int MirrorImageB(Surface* target, int32_t a1, const Rect* rect) {
  return Mirror(target, a1, rect, kPixelOpMirrorB32, kPixelOpMirrorB8);
}

bool ApplyPixelOp21(Surface* target, uint8_t flag) {
  return TargetOnly(target, flag != 0 ? kPixelOpEntry22 : kPixelOpEntry21, nullptr);
}

bool ApplyPixelOp23(Surface* target, int32_t a1) { return TargetOnly(target, kPixelOpEntry23, &a1); }

bool ApplyPixelOp24(Surface* target, int32_t a1) { return TargetOnly(target, kPixelOpEntry24, &a1); }

int ApplyPixelOp25(Surface* target, Image* source1, Image* source2, int32_t a3, int32_t a4,
                   int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   int32_t a11, int32_t a12) {
  if (const int code = CheckCommon(target, {source1, source2}, kPixelOpEntry25); code != 0)
    return code;
  const PixelOpImage t = ViewForLibrary(target), s1 = ViewForLibrary(source1),
                     s2 = ViewForLibrary(source2);
  return FinishZero(target, Entry<PixelOpEntry25Fn>(kPixelOpEntry25)(&t, &s1, &s2, a3, a4, a5, a6,
                                                                       a7, a8, a9, a10, a11, a12));
}

int ApplyPixelOp26(Surface* target, Image* source1, Image* source2, Image* rule, int32_t a4,
                   int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10,
                   int32_t a11, int32_t a12, int32_t a13, int32_t a14, int32_t a15, int32_t a16) {
  if (!HasPixels(rule)) return kNoPixels;
  if (const int code = CheckCommon(target, {source1, source2}, kPixelOpEntry26); code != 0)
    return code;
  if (DepthOf(rule) != 8) return kWrongDepthOrNoLibrary;
  const PixelOpImage t = ViewForLibrary(target), s1 = ViewForLibrary(source1),
                     s2 = ViewForLibrary(source2), r = ViewForLibrary(rule);
  return FinishZero(target,
                    Entry<PixelOpEntry26Fn>(kPixelOpEntry26)(&t, &s1, &s2, &r, a4, a5, a6, a7, a8,
                                                             a9, a10, a11, a12, a13, a14, a15,
                                                             a16));
}

bool FillRectOp(Surface* target, uint32_t color, const Rect& rect) {
  if (CheckCommon(target, {}, kPixelOpFillRect) != kDone) return false;
  const PixelOpImage t = ViewForLibrary(target);
  return FinishTrue(target, Entry<PixelOpFillRectFn>(kPixelOpFillRect)(&t, color, &rect)) == kDone;
}

bool BlendColorOp(Surface* target, uint32_t color, int32_t level, const Rect& rect) {
  if (CheckCommon(target, {}, kPixelOpBlendColor) != kDone) return false;
  const PixelOpImage t = ViewForLibrary(target);
  return FinishTrue(target, Entry<PixelOpBlendColorFn>(kPixelOpBlendColor)(&t, color, level,
                                                                           &rect)) == kDone;
}

}  // namespace orrivel
