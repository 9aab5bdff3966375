// Natives 314 to 353: scripts load pictures into existing surfaces, change
// their depth, fill them, read and write pixels and palettes, and copy one
// surface into another in the plain, stretched and mirrored forms. Every
// image cell resolves to its drawing surface first; a cell that does not
// resolve gives the native's failure value and nothing is drawn.
#include <optional>
#include <string>

#include "natives/BlitPlacement.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/ImageNativeCells.h"
#include "natives/NativeBinder.h"
#include "platform/font/DeviceContextTable.h"
#include "raster/CompositeKernels32.h"
#include "raster/LibraryImageOps.h"
#include "raster/MemoryDc.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr size_t kFileNameBytes = 259;

// A memory picture itself (kind 4); canvas images do not count.
Surface* MemoryPictureCell(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  if (args.Failed()) return nullptr;
  Image* image = GetObjectImage(ScriptDisplayObjects(), handle);
  if (image == nullptr || image->GetKind() != kImageKindDib) return nullptr;
  return dynamic_cast<Surface*>(image);
}

// --- loading and depth -----------------------------------------------------------------

uint32_t ConvertSurfaceDepth(NativeArgs& args) {
  Surface* s = MemoryPictureCell(args, 0);
  const uint8_t bits = args.Byte(1);
  if (s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(s->ConvertDepth(bits));
}

uint32_t DecodeIntoSurface(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const std::string name = args.String(1, kFileNameBytes);
  const int32_t mode = args.Int(2), option = args.Int(3);
  if (s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(s->DecodeWithLoader(name.c_str(), mode, option));
}

uint32_t GetSurfaceLoaderFlag(NativeArgs& args) {
  Surface* s = MemoryPictureCell(args, 0);
  return s != nullptr ? ByteResult(s->HasAlpha()) : 0;
}

constexpr uint32_t kNotLoaded = uint32_t(-2);

uint32_t LoadIntoSurface(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const std::string name = args.String(1, kFileNameBytes);
  const int32_t x = args.Int(2), y = args.Int(3);
  const bool keepPalette = args.Flag(4);
  if (s == nullptr || args.Failed()) return kNotLoaded;
  return uint32_t(s->LoadByName(name.c_str(), nullptr, 0, x, y, keepPalette));
}

uint32_t LoadIntoSurfaceFromMemory(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint32_t address = args.Cell(1), size = args.Cell(2);
  const int32_t x = args.Int(3), y = args.Int(4);
  const bool keepPalette = args.Flag(5);
  if (args.Failed()) return kNotLoaded;
  const uint8_t* data = args.Space().Bytes(address, size);
  if (data == nullptr) {
    // A block outside the arena is the script's fault, not a picture's.
    args.Fail();
    return kNotLoaded;
  }
  if (s == nullptr) return kNotLoaded;
  return uint32_t(s->LoadByName(nullptr, data, size, x, y, keepPalette));
}

// --- fills ----------------------------------------------------------------------------------

uint32_t FillRectRgb(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const NativeArgs::Rect c = args.RectAt(1);
  const uint8_t r = args.Byte(5), g = args.Byte(6), b = args.Byte(7);
  if (s == nullptr || args.Failed()) return 0;
  const Rect rect{c.left, c.top, c.right, c.bottom};
  return ByteResult(s->FillRgb(r, g, b, &rect));
}

uint32_t FillRect(NativeArgs& args) {
  const uint32_t colour = args.Cell(1);
  return OnSurfaceRect(args, 2, 0, [&](Surface& s, const Rect* r) { return ByteResult(s.FillRect(colour, r)); });
}

uint32_t FillRectKeepAlpha(NativeArgs& args) {
  const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
  return OnSurfaceRect(args, 4, 0, [&](Surface& s, const Rect* rect) { return ByteResult(s.FillColorKeepAlpha(r, g, b, rect)); });
}

uint32_t ApplyPixelOp7Native(NativeArgs& args) {
  const uint8_t value = args.Byte(1);
  // The library's entry takes its rectangle as a word of the caller's own
  // address space; none reaches it from a script here.
  return OnSurfaceRect(args, 2, kImageFailed, [&](Surface& s, const Rect*) { return ApplyPixelOp7(&s, value, 0); });
}

uint32_t SetSurfaceAlpha(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint8_t alpha = args.Byte(1);
  if (s == nullptr || args.Failed()) return 1;
  if (s->GetBits() == nullptr || s->GetBitsPerPixel() != 32) return 2;
  SetImageAlpha(*s, alpha);
  s->MarkAllDirty();
  return 0;
}

// --- pixels and palettes --------------------------------------------------------------------

uint32_t SetPixel(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  const uint32_t value = args.Cell(3);
  if (s == nullptr || args.Failed()) return 0;
  return uint32_t(s->SetPixel(x, y, value));
}

uint32_t GetPixel(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  if (s == nullptr || args.Failed()) return kImageFailed;
  return s->GetPixel(x, y);
}

uint32_t FindPaletteIndex(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
  if (s == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(s->FindPaletteIndex(r, g, b));
}

uint32_t CopyPalette(NativeArgs& args) {
  Surface* d = SurfaceCell(args, 0);
  Surface* s = SurfaceCell(args, 1);
  if (d == nullptr || s == nullptr || args.Failed()) return 0;
  return ByteResult(d->CopyPalette(s));
}

uint32_t SetPaletteEntry(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint8_t index = args.Byte(1);
  const uint32_t colour = args.PackedColour(2);
  const bool apply = args.Flag(5);
  if (s == nullptr || args.Failed()) return 0;
  return ByteResult(s->SetPaletteEntry(index, colour, apply));
}

uint32_t FillPalette(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  const uint32_t colour = args.PackedColour(1);
  const bool apply = args.Flag(4);
  if (s == nullptr || args.Failed()) return 0;
  return ByteResult(s->FillPalette(colour, apply));
}

// --- colour operations ------------------------------------------------------------------------

uint32_t ApplyImageLevel(NativeArgs& args) {
  const int32_t level = args.Int(1);
  return OnSurfaceRect(args, 2, 0, [&](Surface& s, const Rect* r) { return ByteResult(s.SetBrightness(level, r)); });
}

uint32_t FillAlphaNative(NativeArgs& args) {
  const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3), level = args.Byte(4);
  return OnSurfaceRect(args, 5, kImageFailed, [&](Surface& s, const Rect* rect) { return FillAlpha(&s, r, g, b, level, rect); });
}

template <int (*Op)(Surface*, uint8_t, uint8_t, uint8_t, const Rect*)>
uint32_t ColourOp(NativeArgs& args) {
  const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
  return OnSurfaceRect(args, 4, kImageFailed, [&](Surface& s, const Rect* rect) { return Op(&s, r, g, b, rect); });
}

uint32_t ApplyPixelOp5Native(NativeArgs& args) {
  const int32_t value = args.Int(1);
  const uint8_t level = args.Byte(2);
  const int32_t flag = args.Flag(3) ? 1 : 0;
  return OnSurfaceRect(args, 4, kImageFailed, [&](Surface& s, const Rect*) { return ApplyPixelOp5(&s, value, level, flag, 0); });
}

uint32_t FillColorMaskedNative(NativeArgs& args) {
  const uint8_t mode = args.Byte(0);
  Surface* s = SurfaceCell(args, 1);
  Surface* mask = SurfaceCell(args, 2);
  const uint8_t r = args.Byte(3), g = args.Byte(4), b = args.Byte(5), level = args.Byte(6);
  const BlitPlacement p = ReadPointPlacement(args, 7);
  if (s == nullptr || mask == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(FillColorMasked(s, mode, mask, level, r, g, b, p.x, p.y, p.RectOrNull()));
}

// --- device contexts -------------------------------------------------------------------------
//
// Natives 346 and 347 copy into a device context named by a handle of the
// platform's table: the engine hands scripts none of its own, so a cell
// that names no registered context gives -1, as an image that does not
// resolve does. 0 copied; 1 nothing could be copied.

int CopyIntoDeviceContext(platform::DeviceContext& dc, Surface& source, int32_t x, int32_t y, const Rect& area) {
  if (source.GetBits() == nullptr || area.IsEmpty()) return 1;
  return dc.BitBlt(x, y, area.right - area.left, area.bottom - area.top, MemoryDcOf(&source), area.left, area.top)
             ? 0
             : 1;
}

Rect WholeOr(const Surface& s, const std::optional<Rect>& rect) {
  return rect ? *rect : Rect{0, 0, s.GetWidth(), s.GetHeight()};
}

uint32_t BltToDeviceContext(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  platform::DeviceContext* dc = platform::FindDeviceContext(args.Cell(1));
  const BlitPlacement p = ReadPointPlacement(args, 2);
  if (s == nullptr || dc == nullptr || args.Failed()) return kImageFailed;
  return uint32_t(CopyIntoDeviceContext(*dc, *s, p.x, p.y, WholeOr(*s, p.sourceRect)));
}

// The stretch is made in a picture of the drawn size (no size: the
// context's own), which is then copied in.
uint32_t StretchToDeviceContext(NativeArgs& args) {
  Surface* s = SurfaceCell(args, 0);
  platform::DeviceContext* dc = platform::FindDeviceContext(args.Cell(1));
  const BlitPlacement p = ReadStretchPlacement(args, 2);
  if (s == nullptr || dc == nullptr || args.Failed()) return kImageFailed;
  const Size size = p.size ? *p.size : Size{dc->Target().width, dc->Target().height};
  const Rect area = WholeOr(*s, p.sourceRect);
  Surface stretched;
  if (size.width <= 0 || size.height <= 0 || stretched.Create(size.width, size.height, 32, 0) != 0) return 1;
  if (stretched.StretchCopy(s, &size, 0, 0, &area, false) != 0) return 1;
  return uint32_t(CopyIntoDeviceContext(*dc, stretched, p.x, p.y, Rect{0, 0, size.width, size.height}));
}

// --- blitters -------------------------------------------------------------------------------

using P = const BlitPlacement&;

void BindBlitters(NativeBinder& b) {
  b.Bind(330, [](NativeArgs& a) { return PointBlit(a, [](Surface& d, Surface* s, P p) { return d.Copy(s, p.x, p.y, p.RectOrNull(), false); }); });
  b.Bind(331, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.StretchCopy(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull(), false); });
  });
  b.Bind(332, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t m, Surface* s, P p) { return d.CopyMirrored(m, s, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(333, [](NativeArgs& a) {
    return StretchModeBlit(
        a, [](Surface& d, uint8_t m, Surface* s, P p) { return d.StretchCopyMirrored(m, s, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(334, [](NativeArgs& a) { return PointBlit(a, [](Surface& d, Surface* s, P p) { return d.AlphaBlend(s, p.x, p.y, p.RectOrNull(), false); }); });
  b.Bind(335, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.StretchAlphaBlend(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull(), false); });
  });
  b.Bind(336, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t m, Surface* s, P p) { return d.AlphaBlendMirrored(m, s, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(337, [](NativeArgs& a) {
    return StretchModeBlit(a, [](Surface& d, uint8_t m, Surface* s, P p) {
      return d.StretchAlphaBlendMirrored(m, s, p.SizeOrNull(), p.x, p.y, p.RectOrNull());
    });
  });
  b.Bind(338, [](NativeArgs& a) { return PointBlit(a, [](Surface& d, Surface* s, P p) { return d.CopyAlphaPlane(s, p.x, p.y, p.RectOrNull(), false); }); });
  b.Bind(339, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.StretchCopyAlphaPlane(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull(), false); });
  });
  b.Bind(340, [](NativeArgs& a) {
    return PointModeBlit(a, [](Surface& d, uint8_t m, Surface* s, P p) { return d.CopyAlphaPlaneMirrored(m, s, p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(341, [](NativeArgs& a) {
    return StretchModeBlit(a, [](Surface& d, uint8_t m, Surface* s, P p) {
      return d.StretchCopyAlphaPlaneMirrored(m, s, p.SizeOrNull(), p.x, p.y, p.RectOrNull());
    });
  });
  b.Bind(342, [](NativeArgs& a) { return PointBlit(a, [](Surface& d, Surface* s, P p) { return d.CopyColorKeepAlpha(s, p.x, p.y, p.RectOrNull()); }); });
  b.Bind(343, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.StretchCopyColorKeepAlpha(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
  b.Bind(344, [](NativeArgs& a) { return PointBlit(a, [](Surface& d, Surface* s, P p) { return d.CopyAlphaKeepColor(s, p.x, p.y, p.RectOrNull()); }); });
  b.Bind(345, [](NativeArgs& a) {
    return StretchBlit(a, [](Surface& d, Surface* s, P p) { return d.StretchCopyAlphaKeepColor(s, p.SizeOrNull(), p.x, p.y, p.RectOrNull()); });
  });
}

}  // namespace

void BindSurfaceNatives(NativeBinder& binder) {
  binder.Bind(314, ConvertSurfaceDepth);
  binder.Bind(315, DecodeIntoSurface);
  binder.Bind(316, GetSurfaceLoaderFlag);
  binder.Bind(317, LoadIntoSurface);
  binder.Bind(318, LoadIntoSurfaceFromMemory);
  binder.Bind(319, FillRectRgb);
  binder.Bind(320, FillRect);
  binder.Bind(321, FillRectKeepAlpha);
  binder.Bind(322, ApplyPixelOp7Native);
  binder.Bind(323, SetSurfaceAlpha);
  binder.Bind(324, SetPixel);
  binder.Bind(325, GetPixel);
  binder.Bind(326, FindPaletteIndex);
  binder.Bind(327, CopyPalette);
  binder.Bind(328, SetPaletteEntry);
  binder.Bind(329, FillPalette);
  BindBlitters(binder);
  binder.Bind(346, BltToDeviceContext);
  binder.Bind(347, StretchToDeviceContext);
  binder.Bind(348, ApplyImageLevel);
  binder.Bind(349, FillAlphaNative);
  binder.Bind(350, ColourOp<&AddColor>);
  binder.Bind(351, ColourOp<&SubColor>);
  binder.Bind(352, ApplyPixelOp5Native);
  binder.Bind(353, FillColorMaskedNative);
}

}  // namespace orrivel
