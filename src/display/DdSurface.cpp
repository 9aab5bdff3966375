#include "display/DdSurface.h"

#include "display/DisplayScreenDevice.h"
#include "raster/DibImage.h"
#include "raster/MemoryDc.h"
#include "raster/PixelFormat.h"
#include "platform/font/DeviceContext.h"
#include "text/Font.h"
#include "text/GdiFont.h"

namespace orrivel {

namespace {

Font* g_defaultFont = nullptr;
DdSurface::DeviceTextDrawer g_deviceTextDrawer = nullptr;

// The device font's own route: its one-bit text output straight into the
// surface's context, as a device font draws on a real display surface.
int DrawWithDeviceFont(Font* font, const platform::SurfaceDc& dc, int32_t x, int32_t y, const char* text) {
  auto* device = dynamic_cast<GdiFont*>(font);
  if (device == nullptr) return 1;
  platform::DeviceContext context;
  context.SelectTarget(dc);
  return device->DrawToDc(&context, x, y, text);
}

// A drawer a test installed wins; otherwise device fonts take their own
// route and any other font goes through a memory image.
DdSurface::DeviceTextDrawer DrawerFor(Font* font) {
  if (g_deviceTextDrawer != nullptr) return g_deviceTextDrawer;
  return dynamic_cast<GdiFont*>(font) != nullptr ? &DrawWithDeviceFont : nullptr;
}

// The font's background settings, put back when the drawing is done.
class BackgroundKeeper {
 public:
  explicit BackgroundKeeper(Font* font)
      : font_(font),
        mode_(font->backgroundMode),
        red_(font->backgroundRed),
        green_(font->backgroundGreen),
        blue_(font->backgroundBlue) {}
  BackgroundKeeper(const BackgroundKeeper&) = delete;
  BackgroundKeeper& operator=(const BackgroundKeeper&) = delete;
  ~BackgroundKeeper() { font_->SetBackground(mode_, red_, green_, blue_); }

 private:
  Font* font_;
  uint8_t mode_, red_, green_, blue_;
};

}  // namespace

DdSurface::DdSurface(Font* font, DisplayScreenDevice* device) : SurfaceImage(device) {
  if (font != nullptr) g_defaultFont = font;
}

DdSurface::~DdSurface() {
  DdSurface::Release();
  ForgetText();
}

Font* DdSurface::DefaultFont() { return g_defaultFont; }
void DdSurface::SetDefaultFont(Font* font) { g_defaultFont = font; }
void DdSurface::SetDeviceTextDrawer(DeviceTextDrawer drawer) { g_deviceTextDrawer = drawer; }
DdSurface::DeviceTextDrawer DdSurface::DeviceDrawerFor(Font* font) { return DrawerFor(font); }

void DdSurface::Release() {
  DropSurface();
  formatCode_ = 0;
}

void DdSurface::ForgetText() {
  text_.reset();
  font_ = nullptr;
}

int DdSurface::Create(int32_t width, int32_t height, uint8_t texture,
                      const platform::SurfacePixelFormat* format) {
  // A restore draws into a new surface: the lost one goes first.
  Release();
  DisplayDevice* device = ScreenDevice();
  if (device == nullptr || device->DirectDraw() == nullptr) return 1;
  platform::SurfaceRequest request;
  request.caps = texture ? platform::kSurfaceTexture : platform::kSurfaceOffscreen;
  if (texture && device->DeviceClass() == 0) request.caps |= platform::kSurfaceSystemMemory;
  request.width = texture ? width : AllocatedWidth(width);
  request.height = height;
  if (format != nullptr) {
    request.hasFormat = true;
    request.format = *format;
  }
  platform::SurfacePixelFormat described;
  if (MakeSurface(request, &surface_) != platform::kDdOk ||
      surface_->GetPixelFormat(&described) != platform::kSurfaceOk) {
    Release();
    return 2;
  }
  width_ = width;
  height_ = height;
  pitch_ = surface_->Pitch();
  formatCode_ = ClassifyPixelFormat(described);
  clipRect_ = Rect{0, 0, width, height};
  return 0;
}

int DdSurface::SetText(const char* text, Font* font) {
  if (ScreenDevice() == nullptr || text == nullptr) return 1;
  Release();
  ForgetText();
  text_.emplace(text);
  if (font != nullptr) font_ = font;
  const int r = Upload();
  if (r != 0) {
    Release();
    ForgetText();
    return r + 2;
  }
  return 0;
}

int DdSurface::Upload() {
  Font* font = font_ ? font_.Get() : g_defaultFont;
  if (!text_ || font == nullptr) {
    Release();
    return 3;
  }
  Size size;
  int32_t left = 0;
  int32_t top = 0;
  font->MeasureText(text_->c_str(), &size, &left, &top, true, nullptr);
  const int kind = font->GetKind();
  if (kind != kFontKindDevice && kind != kFontKindOutline) {
    Release();
    return 3;
  }
  // Both kinds get the box the text covers once turned by the font's angle:
  // turned text runs away from its pen, out of the unturned measure.
  Rect bounds;
  font->GetRotatedBounds(&bounds, left, top, size.width, size.height);
  int r = Create(bounds.Width(), bounds.Height(), 0, nullptr);
  if (r != 0) return r;
  r = kind == kFontKindDevice ? DrawDeviceText(font, GetWidth(), GetHeight(), bounds.left, bounds.top)
                              : DrawOutlineText(font, GetWidth(), GetHeight(), bounds.left, bounds.top);
  if (r != 0) {
    Release();
    return r + 3;
  }
  return 0;
}

int DdSurface::BlitFromMemory(DibImage* image, int32_t width, int32_t height) {
  platform::SurfaceDc dc;
  if (surface_->GetDC(&dc) != platform::kSurfaceOk) return 3;
  platform::DcBitBlt(dc, 0, 0, width, height, MemoryDcOf(image), 0, 0);
  return surface_->ReleaseDC(dc) == platform::kSurfaceOk ? 0 : 4;
}

int DdSurface::DrawThroughMemoryImage(Font* font, int32_t width, int32_t height, int32_t x,
                                      int32_t y, bool opaqueBackground) {
  DibImage memory;
  if (memory.Create(width, height, 32, true) != 0) return 1;
  // A new image is already black: only another background needs a fill.
  if ((font->backgroundRed | font->backgroundGreen | font->backgroundBlue) != 0)
    memory.FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr, nullptr);
  {
    BackgroundKeeper keep(font);
    if (opaqueBackground) {
      font->SetBackground(0, font->backgroundRed, font->backgroundGreen, font->backgroundBlue);
    }
    if (font->DrawText(&memory, -x, -y, text_->c_str(), nullptr, nullptr) != 0) return 2;
  }
  return BlitFromMemory(&memory, width, height);
}

int DdSurface::DrawDeviceText(Font* font, int32_t width, int32_t height, int32_t x, int32_t y) {
  const uint8_t red = font->backgroundRed;
  const uint8_t green = font->backgroundGreen;
  const uint8_t blue = font->backgroundBlue;
  int result = 0;
  const DeviceTextDrawer drawer = DrawerFor(font);
  if (font->antialias == 0 && drawer != nullptr) {
    if (BlitConvertFormat(surface_.get(), nullptr, red, green, blue, nullptr, 0xFF) != 0) return 5;
    platform::SurfaceDc dc;
    if (surface_->GetDC(&dc) != platform::kSurfaceOk) return 3;
    {
      BackgroundKeeper keep(font);
      font->SetBackground(1, red, green, blue);
      // A failed line still leaves the surface usable; the result says so.
      if (drawer(font, dc, -x, -y, text_->c_str()) != 0) result = 2;
    }
    if (surface_->ReleaseDC(dc) != platform::kSurfaceOk) return 4;
  } else {
    result = DrawThroughMemoryImage(font, width, height, x, y, font->antialias != 0);
    if (result != 0) return result;
  }
  if (font->backgroundMode == 1) {
    if (SurfaceImage::SetColorKeyRgb(red, green, blue) != 0) return 6;
  } else if (font->backgroundMode == 0) {
    if (ClearColorKey() != 0) return 7;
  }
  return result;
}

int DdSurface::DrawOutlineText(Font* font, int32_t width, int32_t height, int32_t x, int32_t y) {
  const int r = DrawThroughMemoryImage(font, width, height, x, y, false);
  if (r != 0) return r;
  if (SurfaceImage::SetColorKeyRgb(font->backgroundRed, font->backgroundGreen,
                                   font->backgroundBlue) != 0) {
    return 6;
  }
  return 0;
}

int DdSurface::ClearColorKey() {
  if (surfaceKey_ == kNoColorKey) return 0;
  if (!surface_) return 1;
  if (surface_->SetColorKey(nullptr) != platform::kSurfaceOk) return 2;
  surfaceKey_ = kNoColorKey;
  return 0;
}

int DdSurface::Restore(uint8_t checkLost) {
  if (!surface_) return 0;
  if (checkLost && !surface_->IsLost()) return 0;
  const uint32_t rgbKey = colorKey_;
  const int32_t keyX = keyX_;
  const int32_t keyY = keyY_;
  if (Upload() != 0) return 1;
  return RestoreKey(rgbKey, keyX, keyY);
}

}  // namespace orrivel
