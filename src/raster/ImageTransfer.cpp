// Copies from any kind of image into a surface. A memory image is copied by
// the surface blitters; a canvas hands over the surface it composes; a
// display surface is read through its device context, as the system copies
// between a device surface and a memory bitmap.
#include <algorithm>
#include <cstring>

#include "platform/SoftSurface.h"
#include "raster/MemoryDc.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"

namespace orrivel {

namespace {

constexpr int kDone = 0;
constexpr int kNoPixels = 1;
constexpr int kNoDeviceContext = 2;

bool HasPixels(DibImage* image) { return image != nullptr && image->GetBits() != nullptr; }

// A surface that reads like the memory image: same size, depth, palette
// and key. Only plain memory images need this; a Surface is used as it is.
bool CopyIntoScratch(DibImage* image, Surface* scratch) {
  if (scratch->Create(image->GetWidth(), image->GetHeight(), image->GetBitsPerPixel(), 0) != 0) {
    return false;
  }
  if (image->GetPalette() != nullptr &&
      scratch->DibImage::SetPalette(image->GetPalette(), 256, 256, 0) != 0) {
    return false;
  }
  const size_t rowBytes = size_t(image->GetWidth()) * (image->GetBitsPerPixel() / 8);
  for (int32_t y = 0; y < image->GetHeight(); ++y) {
    std::memcpy(scratch->GetScanLine(y), image->GetScanLine(y), rowBytes);
  }
  Rect clip;
  image->GetClipRect(&clip);
  scratch->SetClipRect(&clip);
  if (image->GetColorKey() != kNoColorKey) {
    // An 8-bit key is an index: the scratch copy is keyed by its colour.
    uint32_t key = image->GetColorKey();
    if (image->GetBitsPerPixel() == 8 && image->GetPalette() != nullptr) {
      key = image->GetPalette()[key & 0xFF];
    }
    scratch->DibImage::SetColorKeyRgb(uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key));
  }
  return true;
}

// The source rectangle on a display surface: the given one cut to the
// image, or the whole image, never beyond the surface (which may be a
// column wider than the image). False when nothing is left.
bool DisplaySourceRect(Image* image, platform::SoftSurface* source, const Rect* sourceRect,
                       Rect* out) {
  Rect whole{0, 0, image->GetWidth(), image->GetHeight()};
  whole.right = std::min(whole.right, source->Width());
  whole.bottom = std::min(whole.bottom, source->Height());
  if (sourceRect == nullptr) {
    *out = whole;
    return !whole.IsEmpty();
  }
  return IntersectRects(out, *sourceRect, whole);
}

int CopyFromDisplaySurface(Surface* s, Image* image, platform::SoftSurface* source, int32_t x,
                           int32_t y, const Rect* sourceRect) {
  Rect area;
  if (!DisplaySourceRect(image, source, sourceRect, &area)) return kDone;
  if (s->ClipBlit(nullptr, x, y, &area, nullptr, nullptr, nullptr) != 0) return kDone;
  platform::SurfaceDc dc;
  if (source->GetDC(&dc) != platform::kSurfaceOk) return kNoDeviceContext;
  const Rect d = s->BlitDest();
  const Rect from = s->BlitSource();
  platform::DcBitBlt(MemoryDcOf(s), d.left, d.top, d.Width(), d.Height(), dc, from.left, from.top);
  source->ReleaseDC(dc);
  s->MarkDirty(d);
  return kDone;
}

// Stretching goes through a scratch copy of the area at the destination's
// depth, then the surface's own stretched copy.
int StretchFromDisplaySurface(Surface* s, Image* image, platform::SoftSurface* source,
                              const Size* size, int32_t x, int32_t y, const Rect* sourceRect) {
  Rect area;
  if (!DisplaySourceRect(image, source, sourceRect, &area)) return kDone;
  Surface scratch;
  if (scratch.Create(area.Width(), area.Height(), s->GetBitsPerPixel(), 0) != 0) return kNoPixels;
  if (s->GetPalette() != nullptr &&
      scratch.DibImage::SetPalette(s->GetPalette(), 256, 256, 0) != 0) {
    return kNoPixels;
  }
  platform::SurfaceDc dc;
  if (source->GetDC(&dc) != platform::kSurfaceOk) return kNoDeviceContext;
  platform::DcBitBlt(MemoryDcOf(&scratch), 0, 0, area.Width(), area.Height(), dc, area.left,
                     area.top);
  source->ReleaseDC(dc);
  return s->StretchCopy(&scratch, size, x, y, nullptr, false);
}

// The copy behind both entries; size null copies unstretched.
int TransferFrom(Surface* s, Image* source, const Size* size, int32_t x, int32_t y,
                 const Rect* sourceRect) {
  if (!HasPixels(s) || source == nullptr) return kNoPixels;
  const auto copyFrom = [&](Surface* from) {
    if (!HasPixels(from)) return kNoPixels;
    return size != nullptr ? s->StretchCopy(from, size, x, y, sourceRect, false)
                           : s->Copy(from, x, y, sourceRect, false);
  };
  const uint8_t kind = source->GetKind();
  if (kind <= kImageKindTextImage) {
    platform::SoftSurface* display = source->GetDisplaySurface();
    if (display == nullptr || !display->HasPixels()) return kNoPixels;
    return size != nullptr ? StretchFromDisplaySurface(s, source, display, size, x, y, sourceRect)
                           : CopyFromDisplaySurface(s, source, display, x, y, sourceRect);
  }
  if (kind == kImageKindDib) {
    if (auto* surface = dynamic_cast<Surface*>(source)) return copyFrom(surface);
    auto* dib = dynamic_cast<DibImage*>(source);
    if (!HasPixels(dib)) return kNoPixels;
    Surface scratch;
    if (!CopyIntoScratch(dib, &scratch)) return kNoPixels;
    return copyFrom(&scratch);
  }
  if (kind >= kImageKindDecodedCanvasA && kind <= kImageKindCreatedCanvas) {
    return copyFrom(source->GetHeldSurface());
  }
  return kNoPixels;
}

}  // namespace

platform::SurfaceDc MemoryDcOf(DibImage* image) {
  platform::SurfaceDc dc;
  dc.bits = image->GetBits();
  dc.pitch = image->GetPitch();
  dc.width = image->GetWidth();
  dc.height = image->GetHeight();
  dc.format = platform::DescribeSurfaceFormat(image->GetBitsPerPixel() == 8
                                                  ? platform::SurfaceFormat::Indexed8
                                                  : platform::SurfaceFormat::X8R8G8B8);
  dc.palette = image->GetPalette();
  return dc;
}

int BltToDC(Surface* s, Image* source, int32_t x, int32_t y, const Rect* sourceRect) {
  return TransferFrom(s, source, nullptr, x, y, sourceRect);
}

int StretchToDC(Surface* s, Image* source, const Size* size, int32_t x, int32_t y,
                const Rect* sourceRect) {
  if (!HasPixels(s)) return kNoPixels;
  const Size own{s->GetWidth(), s->GetHeight()};
  return TransferFrom(s, source, size != nullptr ? size : &own, x, y, sourceRect);
}

}  // namespace orrivel
