#include "display/D3DImage.h"

#include "display/D3DDevice.h"
#include "display/PrimitiveVertex.h"
#include "display/SurfacePixelOps.h"
#include "raster/Image.h"

namespace orrivel {

namespace {

Rect CutToImage(Image* image, const Rect* rect) {
  Rect bounds;
  image->GetBounds(&bounds);
  if (rect == nullptr) return bounds;
  Rect cut = *rect;
  return IntersectRectInPlace(&cut, &bounds) ? cut : Rect{};
}

}  // namespace

void D3DImage::Reset() {
  image_ = nullptr;
  source_ = Rect{};
  offsetX_ = offsetY_ = x_ = y_ = width_ = height_ = 0;
}

void D3DImage::TakeImage(Image* image, const Rect* source, int32_t x, int32_t y) {
  image_ = image;
  source_ = CutToImage(image, source);
  x_ = x;
  y_ = y;
}

int D3DImage::Create(Image* image, const Rect* source, int32_t x, int32_t y) {
  if (image == nullptr || image->GetDisplaySurface() == nullptr) return 1;
  TakeImage(image, source, x, y);
  return 0;
}

void D3DImage::SetRect(const Rect* rect) {
  if (image_ != nullptr) source_ = CutToImage(image_, rect);
}

void D3DImage::ForgetImage(const Image* image) {
  if (image_ == nullptr || image_ != image) return;
  image_ = nullptr;
  SetVisible(false);
}

bool D3DImage::GetBounds(Rect* out) const {
  if (image_ == nullptr || out == nullptr) return false;
  *out = Rect{x_, y_, ClampedEdge(x_, width_ != 0 ? width_ : source_.Width()),
              ClampedEdge(y_, height_ != 0 ? height_ : source_.Height())};
  return true;
}

bool D3DImage::HitTest(int32_t x, int32_t y, uint8_t precise) {
  Rect bounds;
  if (image_ == nullptr || image_->GetDisplaySurface() == nullptr || !GetBounds(&bounds)) return false;
  if (x < bounds.left || y < bounds.top || x >= bounds.right || y >= bounds.bottom) return false;
  const uint32_t key = image_->GetColorKey();
  if (!precise || image_->GetKind() != kImageKindSurfaceImage || key == kNoColorKey) return true;
  int64_t px = x - bounds.left;
  int64_t py = y - bounds.top;
  if (width_ != 0) px = px * source_.Width() / width_;
  if (height_ != 0) py = py * source_.Height() / height_;
  uint32_t pixel = 0;
  if (!ReadRawPixel(image_->GetDisplaySurface(), int32_t(px + source_.left), int32_t(py + source_.top),
                    &pixel)) {
    return true;
  }
  return pixel != key;
}

int D3DImage::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  return DrawImage(device);
}

int D3DImage::DrawImage(D3DDevice* device) {
  platform::SoftSurface* target =
      device != nullptr && device->RenderDevice() != nullptr ? device->RenderDevice()->Target() : nullptr;
  platform::SoftSurface* surface = image_ != nullptr ? image_->GetDisplaySurface() : nullptr;
  if (target == nullptr || surface == nullptr) return kDrawNoTarget;
  const Rect clip{0, 0, target->Width(), target->Height()};
  Rect moved{source_.left + offsetX_, source_.top + offsetY_, source_.right + offsetX_,
             source_.bottom + offsetY_};
  moved = CutToImage(image_, &moved);
  if (moved.IsEmpty()) return 0;
  const int32_t key = image_->GetColorKey() != kNoColorKey ? 0 : -1;
  if (width_ == 0 && height_ == 0) {
    return BltFastClipped(target, surface, x_, y_, &moved, &clip, key) == 2 ? kDrawCopyFailed : 0;
  }
  const Size size{width_ != 0 ? width_ : moved.Width(), height_ != 0 ? height_ : moved.Height()};
  return BltClipped(target, surface, &size, x_, y_, &moved, &clip, key) == 2 ? kDrawStretchFailed : 0;
}

}  // namespace orrivel
