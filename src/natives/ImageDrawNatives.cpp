// Natives 354 to 398: scripts blend one surface into another, draw with
// add, subtract, composite, mask and blur, map and rotate pictures, filter
// a surface in place, run timed transition effects on a picture and reach
// the pixel-operation library's operations. Image cells resolve to their
// drawing surfaces; a cell that does not resolve gives the row's failure
// value and nothing is drawn.
#include <algorithm>
#include <array>
#include <optional>

#include "natives/BlitPlacement.h"
#include "natives/GameScriptHost.h"
#include "natives/ImageNativeCells.h"
#include "natives/NativeBinder.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"
#include "transition/TransitionEffect.h"

namespace orrivel {

namespace {

using P = const BlitPlacement&;


// --- blends ----------------------------------------------------------------------------------

uint32_t BlendModulated(NativeArgs& args) {
  const uint32_t first = args.PackedColour(2), second = args.PackedColour(5);
  return PointBlitCells(args, 0, 1, 8, [&](Surface& d, Surface* s, P p) {
    return d.BlendModulated(s, first, second, p.x, p.y, p.RectOrNull());
  });
}

uint32_t StretchBlendModulated(NativeArgs& args) {
  const uint32_t first = args.PackedColour(2), second = args.PackedColour(5);
  return StretchBlitCells(args, 0, 1, 8, [&](Surface& d, Surface* s, P p) {
    return d.StretchBlendModulated(s, first, second, p.SizeOrNull(), p.x, p.y, p.RectOrNull());
  });
}

// Layout B: mode 0, destination 1, source 2, placement from 3.
uint32_t BlendByMode(NativeArgs& args) {
  const uint8_t mode = args.Byte(0);
  return PointBlitCells(args, 1, 2, 3, [&](Surface& d, Surface* s, P p) { return d.BlendByMode(mode, s, p.x, p.y, p.RectOrNull()); });
}

uint32_t StretchBlendByMode(NativeArgs& args) {
  const uint8_t mode = args.Byte(0);
  return StretchBlitCells(args, 1, 2, 3, [&](Surface& d, Surface* s, P p) {
    return d.StretchBlendByMode(mode, s, p.SizeOrNull(), p.x, p.y, p.RectOrNull());
  });
}

// Layout A: byte a in 0, destination 1, source 2, byte b in 3, placement from 4.
uint32_t DrawAlphaBlendNative(NativeArgs& args) {
  const uint8_t mode = args.Byte(0), level = args.Byte(3);
  return PointBlitCells(args, 1, 2, 4, [&](Surface& d, Surface* s, P p) {
    return DrawAlphaBlend(&d, mode, s, level, p.x, p.y, p.RectOrNull());
  });
}

uint32_t StretchDrawAlphaBlendNative(NativeArgs& args) {
  const uint8_t mode = args.Byte(0), level = args.Byte(3);
  return StretchBlitCells(args, 1, 2, 4, [&](Surface& d, Surface* s, P p) {
    return StretchDrawAlphaBlend(&d, mode, s, level, p.SizeOrNull(), p.x, p.y, p.RectOrNull());
  });
}

// Natives 366 and 367: the mask in cell 2 (0: none, the source's alpha
// serves), level, position and edge width, then the placement.
template <bool kProduct>
uint32_t DrawMaskedNative(NativeArgs& args) {
  const uint32_t maskHandle = args.Cell(2);
  Surface* mask = maskHandle != 0 ? SurfaceCell(args, 2) : nullptr;
  const uint8_t level = args.Byte(3);
  const int32_t position = args.Int(4), width = args.Int(5);
  if (maskHandle != 0 && mask == nullptr) return kImageFailed;
  return PointBlitCells(args, 0, 1, 6, [&](Surface& d, Surface* s, P p) {
    return kProduct ? DrawMaskedProduct(&d, s, mask, level, position, width, p.x, p.y, p.RectOrNull())
                    : DrawMasked(&d, s, mask, level, position, width, p.x, p.y, p.RectOrNull());
  });
}

template <int (*Op)(Surface*, Surface*, int32_t, uint8_t, int32_t, int32_t, const Rect*)>
uint32_t DrawBlurredNative(NativeArgs& args) {
  const uint8_t radius = args.Byte(2), level = args.Byte(3);
  return PointBlitCells(args, 0, 1, 4, [&](Surface& d, Surface* s, P p) { return Op(&d, s, radius, level, p.x, p.y, p.RectOrNull()); });
}

// Natives 371 and 372: four destination points, then the source rectangle
// and the clip rectangle, each optional.
template <bool kFlagged>
uint32_t MapQuadNative(NativeArgs& args) {
  Surface* d = SurfaceCell(args, 0);
  Surface* s = SurfaceCell(args, 1);
  platform::Point points[4];
  for (uint32_t i = 0; i < 4; ++i) points[i] = platform::Point{args.Int(2 + 2 * i), args.Int(3 + 2 * i)};
  const std::optional<Rect> source = ReadOptionalRect(args, 10);
  const std::optional<Rect> clip = ReadOptionalRect(args, 14);
  if (d == nullptr || s == nullptr || args.Failed()) return kImageFailed;
  const Rect* sr = source ? &*source : nullptr;
  const Rect* cr = clip ? &*clip : nullptr;
  return uint32_t(kFlagged ? d->MapQuadFlagged(s, points, sr, cr) : d->MapQuad(s, points, sr, cr));
}

// The second rectangle of a pair counts only when the first is given.
struct RectPair {
  std::optional<Rect> first, second;
  const Rect* First() const { return first ? &*first : nullptr; }
  const Rect* Second() const { return second ? &*second : nullptr; }
};
RectPair ReadRectPair(NativeArgs& args, uint32_t at) {
  RectPair pair;
  pair.first = ReadOptionalRect(args, at);
  if (pair.first) pair.second = ReadOptionalRect(args, at + 4);
  return pair;
}

uint32_t DrawRotatedNative(NativeArgs& args) {
  Surface* d = SurfaceCell(args, 0);
  Surface* s = SurfaceCell(args, 1);
  const uint8_t anchor = args.Byte(2);
  const int32_t x = args.Int(3), y = args.Int(4), angle = args.Int(5), scale = args.Int(6);
  const RectPair rects = ReadRectPair(args, 7);
  if (d == nullptr || s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(d->DrawRotated(s, anchor, x, y, angle, scale, rects.First(), rects.Second()));
}

uint32_t DrawRotatedAltNative(NativeArgs& args) {
  Surface* d = SurfaceCell(args, 0);
  Surface* s = SurfaceCell(args, 1);
  const uint8_t anchor = args.Byte(2);
  const int32_t x = args.Int(3), y = args.Int(4), angle = args.Int(5), scale = args.Int(6);
  const uint8_t opacity = args.Byte(7);
  const RectPair rects = ReadRectPair(args, 8);
  if (d == nullptr || s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(d->DrawRotatedAlt(s, anchor, x, y, angle, scale, opacity, rects.First(), rects.Second()));
}

// --- filters ---------------------------------------------------------------------------------

uint32_t ToneNative(NativeArgs& args) {
  int32_t v[6];
  for (uint32_t i = 0; i < 6; ++i) v[i] = args.Int(1 + i);
  return OnSurfaceRect(args, 7, kImageFailed, [&](Surface& s, const Rect* r) { return Tone(&s, v[0], v[1], v[2], v[3], v[4], v[5], r); });
}

uint32_t ScaleSmoothNative(NativeArgs& args) {
  constexpr uint32_t kNoImage = uint32_t(-2);
  const uint8_t direction = args.Byte(1);
  const uint32_t from = args.PackedColour(2), to = args.PackedColour(5);
  return OnSurfaceRect(args, 8, kNoImage, [&](Surface& s, const Rect* r) { return ScaleSmooth(&s, direction, from, to, r); });
}

// The level table is 256 bytes of the script's memory; a table that does
// not lie in the arena ends the step as invalid code.
uint32_t ApplyLevelTableNative(NativeArgs& args) {
  constexpr uint32_t kTableBytes = 256;
  const uint32_t address = args.Cell(1);
  if (args.Failed()) return 0;
  const uint8_t* table = args.Space().Bytes(address, kTableBytes);
  if (table == nullptr) {
    args.Fail();
    return 0;
  }
  std::array<uint8_t, kTableBytes> copy;
  std::copy(table, table + kTableBytes, copy.begin());
  return OnSurfaceRect(args, 2, 0, [&](Surface& s, const Rect* r) { return ByteResult(ApplyByteTable(&s, copy.data(), r)); });
}

// --- transition effects ----------------------------------------------------------------------

// The process's effect holder; effects run on the object timer list of the
// host that starts them.
TransitionEffectHolder& EffectHolderOf(GameScriptHost& host, NativeArgs&) {
  static TransitionEffectHolder holder;
  holder.SetList(host.ObjectTimers());
  return holder;
}

uint32_t StartTransitionEffect(GameScriptHost& host, NativeArgs& args) {
  int32_t kind = args.Int(0);
  uint32_t duration = args.Cell(1);
  Surface* target = SurfaceCell(args, 2);
  const uint32_t sourceHandle = args.Cell(3);
  Surface* source = sourceHandle != 0 ? SurfaceCell(args, 3) : nullptr;
  // Placement: 65535 in cell 4 is the target's clip rectangle; 65535 in
  // cell 7 leaves the second group out.
  std::array<int32_t, 8> place{int32_t(NativeArgs::kAbsentMarker), 0, 0, int32_t(NativeArgs::kAbsentMarker), 0, 0, 0, 0};
  if (args.Given(4)) {
    for (uint32_t i = 0; i < 3; ++i) place[i] = args.Int(4 + i);
    if (args.Given(7))
      for (uint32_t i = 0; i < 5; ++i) place[3 + i] = args.Int(7 + i);
  }
  if (target == nullptr || (sourceHandle != 0 && source == nullptr) || args.Failed()) return 0;
  if (kind < 0 || kind >= kTransitionEffectKinds) kind = 0;
  if (duration == 0) duration = 1;
  const uint32_t effect = EffectHolderOf(host, args).Create(kind, duration, target, source, place[0], place[1], place[2],
                                                            place[3], place[4], place[5], place[6], place[7]);
  // The effect ends without drawing when either of its images is deleted.
  if (effect != 0) host.WatchDrawObjects(ScriptDisplayObjects());
  return effect;
}

// --- library operations ----------------------------------------------------------------------

uint32_t DrawImageOpNative(NativeArgs& args) {
  const int32_t a2 = args.Int(2), a3 = args.Byte(3), a4 = args.Flag(4) ? 1 : 0;
  return PointBlitCells(args, 0, 1, 5, [&](Surface& d, Surface* s, P p) { return DrawImageOp(&d, s, a2, a3, a4, p.x, p.y, p.RectOrNull()); });
}

// Entry 10 takes the source and destination as (x, y, width, height); a
// missing point draws the whole source over the whole destination. Cells 2
// to 5 are its mode, smoothing, opacity (byte) and last word.
uint32_t StretchDrawImageOpNative(NativeArgs& args) {
  const int32_t mode = args.Int(2), smoothing = args.Int(3), opacity = args.Byte(4), last = args.Flag(5) ? 1 : 0;
  return StretchBlitCells(args, 0, 1, 6, [&](Surface& d, Surface* s, P p) {
    const Rect source = p.sourceRect ? *p.sourceRect : Rect{0, 0, s->GetWidth(), s->GetHeight()};
    const Size size = p.size ? *p.size : Size{d.GetWidth(), d.GetHeight()};
    return StretchDrawImageOp(&d, s, source.left, source.top, source.right - source.left, source.bottom - source.top, p.x,
                              p.y, size.width, size.height, mode, smoothing, opacity, last);
  });
}

// Natives 389 and 390: six matrix cells, cells 8 and 9, the opacity byte,
// two flags and a cell, then the source rectangle and the clip rectangle;
// the entry takes the cells in that order, the clip last.
template <bool kFixed>
uint32_t TransformDrawNative(NativeArgs& args) {
  Surface* d = SurfaceCell(args, 0);
  Surface* s = SurfaceCell(args, 1);
  int32_t m[6];
  for (uint32_t i = 0; i < 6; ++i) m[i] = args.Int(2 + i);
  const int32_t a8 = args.Int(8), a9 = args.Int(9), a10 = args.Byte(10);
  const int32_t a11 = args.Flag(11) ? 1 : 0, a12 = args.Flag(12) ? 1 : 0, a13 = args.Int(13);
  const RectPair rects = ReadRectPair(args, 14);
  if (d == nullptr || s == nullptr || args.Failed()) return kImageFailed;
  if constexpr (kFixed) {
    return uint32_t(ApplyPixelOp12(d, s, m[0], m[1], m[2], m[3], m[4], m[5], a8, a9, a10, rects.First(), rects.Second(),
                                   a11, a12, a13));
  } else {
    return uint32_t(TransformDrawImageOp(d, s, m[0], m[1], m[2], m[3], m[4], m[5], a8, a9, a10, rects.First(),
                                         rects.Second(), a11, a12, a13));
  }
}

uint32_t ApplyPixelOp13Native(NativeArgs& args) {
  const int32_t across = args.Int(1), down = args.Int(2), flag = args.Flag(3) ? 1 : 0;
  return OnSurfaceRect(args, 4, kImageFailed, [&](Surface& s, const Rect* r) { return ApplyPixelOp13(&s, across, down, flag, r); });
}

// The mirror entries work on the rectangle, or on the whole image.
template <int (*Op)(Surface*, int32_t, const Rect*)>
uint32_t MirrorNative(NativeArgs& args) {
  return OnSurfaceRect(args, 1, kImageFailed, [](Surface& s, const Rect* r) { return Op(&s, 0, r); });
}

template <bool (*Op)(Surface*, int32_t)>
uint32_t TargetValueNative(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const int32_t value = args.Int(1);
  if (s == nullptr || args.Failed()) return 0;
  return ByteResult(Op(s, value));
}

uint32_t ApplyPixelOp21Native(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint8_t flag = args.Flag(1) ? 1 : 0;
  if (s == nullptr || args.Failed()) return 0;
  return ByteResult(ApplyPixelOp21(s, flag));
}

// The pair chain of 397 and 398: the first pair whose first cell is 65535
// ends it, and that pair and every later one pass as zeros.
template <size_t kPairs>
std::array<int32_t, 2 * kPairs> ReadPairChain(NativeArgs& args, uint32_t first) {
  std::array<int32_t, 2 * kPairs> cells{};
  for (size_t i = 0; i < kPairs; ++i) {
    const uint32_t at = first + uint32_t(2 * i);
    if (!args.Given(at)) break;
    cells[2 * i] = args.Int(at);
    cells[2 * i + 1] = args.Int(at + 1);
  }
  return cells;
}

uint32_t ApplyPixelOp25Native(NativeArgs& args) {
  Surface* t = SurfaceCell(args, 0);
  Surface* from = SurfaceCell(args, 1);
  Surface* to = SurfaceCell(args, 2);
  const int32_t a3 = args.Byte(3), a4 = args.Byte(4);
  const auto c = ReadPairChain<4>(args, 5);
  if (t == nullptr || from == nullptr || to == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(ApplyPixelOp25(t, from, to, a3, a4, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]));
}

uint32_t ApplyPixelOp26Native(NativeArgs& args) {
  Surface* t = SurfaceCell(args, 0);
  Surface* from = SurfaceCell(args, 1);
  Surface* to = SurfaceCell(args, 2);
  Surface* rule = SurfaceCell(args, 3);
  const int32_t a4 = args.Byte(4), a5 = args.Int(5), a6 = args.Byte(6);
  const auto c = ReadPairChain<5>(args, 7);
  if (t == nullptr || from == nullptr || to == nullptr || rule == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(ApplyPixelOp26(t, from, to, rule, a4, a5, a6, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9]));
}

void BindBlends(NativeBinder& b) {
  b.Bind(354, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t o, Surface* s, P p) { return d.BlendOpacity(s, o, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(355, [](NativeArgs& a) {
    return StretchModeBlit(
        a, [](Surface& d, uint8_t o, Surface* s, P p) { return d.StretchBlendOpacity(s, o, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(356, BlendModulated);
  b.Bind(357, StretchBlendModulated);
  b.Bind(358, BlendByMode);
  b.Bind(359, StretchBlendByMode);
  b.Bind(360, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t o, Surface* s, P p) { return DrawAdd(&d, s, o, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(361, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t o, Surface* s, P p) { return DrawSubtract(&d, s, o, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(362, DrawAlphaBlendNative);
  b.Bind(363, StretchDrawAlphaBlendNative);
  b.Bind(364, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t o, Surface* s, P p) { return DrawComposite(&d, s, o, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(365, [](NativeArgs& a) {
    return StretchModeBlit(
        a, [](Surface& d, uint8_t o, Surface* s, P p) { return StretchDrawComposite(&d, s, o, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(366, DrawMaskedNative<false>);
  b.Bind(367, DrawMaskedNative<true>);
  b.Bind(368, DrawBlurredNative<&DrawBlurred>);
  b.Bind(369, DrawBlurredNative<&DrawBlurredAlpha>);
  b.Bind(370, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.ScaleCopy(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(371, MapQuadNative<false>);
  b.Bind(372, MapQuadNative<true>);
  b.Bind(373, DrawRotatedNative);
  b.Bind(374, DrawRotatedAltNative);
}

void BindFilters(NativeBinder& b) {
  b.Bind(375, [](NativeArgs& a) { return OnSurfaceRect(a, 1, kImageFailed, [](Surface& s, const Rect* r) { return GrayScale(&s, r); }); });
  b.Bind(376, ToneNative);
  b.Bind(377, [](NativeArgs& a) {
    const uint8_t mode = a.Byte(1);
    return OnSurfaceRect(a, 2, kImageFailed, [&](Surface& s, const Rect* r) { return Negate(&s, mode, r); });
  });
  b.Bind(378, [](NativeArgs& a) {
    const uint8_t mode = a.Byte(1);
    return OnSurfaceRect(a, 2, kImageFailed, [&](Surface& s, const Rect* r) { return Blur(&s, mode, r); });
  });
  b.Bind(379, [](NativeArgs& a) {
    const int32_t block = a.Int(1);
    const uint8_t anchor = a.Byte(2);
    return OnSurfaceRect(a, 3, kImageFailed, [&](Surface& s, const Rect* r) { return Mosaic(&s, block, anchor, r); });
  });
  b.Bind(380, ScaleSmoothNative);
  b.Bind(381, ApplyLevelTableNative);
  b.Bind(382, [](NativeArgs& a) {
    const int32_t scale = a.Int(1), offset = a.Int(2);
    return OnSurfaceRect(a, 3, 0, [&](Surface& s, const Rect* r) { return ByteResult(AdjustLevels(&s, scale, offset, r)); });
  });
}

void BindEffects(NativeBinder& b) {
  GameScriptHost& host = b.Host();
  b.Bind(383, [&host](NativeArgs& a) { return StartTransitionEffect(host, a); });
  b.Bind(384, [&host](NativeArgs& a) {
    const uint32_t handle = a.Cell(0);
    return a.Failed() ? 1u : uint32_t(EffectHolderOf(host, a).CompleteIfAccepted(handle));
  });
  b.Bind(385, [&host](NativeArgs& a) {
    const uint32_t handle = a.Cell(0);
    return a.Failed() ? 1u : uint32_t(EffectHolderOf(host, a).Cancel(handle));
  });
  b.Bind(386, [&host](NativeArgs& a) {
    const uint32_t handle = a.Cell(0);
    return a.Failed() ? 0u : ByteResult(EffectHolderOf(host, a).Accepts(handle));
  });
}

void BindLibraryOps(NativeBinder& b) {
  b.Bind(387, DrawImageOpNative);
  b.Bind(388, StretchDrawImageOpNative);
  b.Bind(389, TransformDrawNative<false>);
  b.Bind(390, TransformDrawNative<true>);
  b.Bind(391, ApplyPixelOp13Native);
  b.Bind(392, MirrorNative<&MirrorImageA>);
  b.Bind(393, MirrorNative<&MirrorImageB>);
  b.Bind(394, ApplyPixelOp21Native);
  b.Bind(395, TargetValueNative<&ApplyPixelOp23>);
  b.Bind(396, TargetValueNative<&ApplyPixelOp24>);
  b.Bind(397, ApplyPixelOp25Native);
  b.Bind(398, ApplyPixelOp26Native);
}

}  // namespace

void BindImageDrawNatives(NativeBinder& binder) {
  BindBlends(binder);
  BindFilters(binder);
  BindEffects(binder);
  BindLibraryOps(binder);
}

}  // namespace orrivel
