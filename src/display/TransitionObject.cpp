#include "display/TransitionObject.h"

#include "display/PrimitiveVertex.h"
#include "display/SurfaceImage.h"
#include "display/TransitionRunner.h"
#include "raster/Image.h"
#include "raster/Surface.h"

namespace orrivel {

bool IsUsableImage(Image* image) {
  if (image == nullptr || image->GetWidth() < 1 || image->GetHeight() < 1) return false;
  return image->GetDisplaySurface() != nullptr || image->GetHeldSurface() != nullptr ||
         image->GetBits() != nullptr;
}

void TransitionObject::Reset() {
  destination_ = nullptr;
  source_ = nullptr;
  x_ = 0;
  y_ = 0;
}

int TransitionObject::Create(Image* destination, Image* source, uint32_t mode, int32_t x,
                             int32_t y, int32_t progress, int32_t option1, int32_t option2) {
  if (!IsUsableImage(source)) return 1;
  Reset();
  source_ = source;
  mode_ = mode;
  x_ = x;
  y_ = y;
  progress_ = progress;
  if (destination != nullptr) {
    if (!IsUsableImage(destination)) {
      Reset();
      return 2;
    }
    rect_ = Rect{0, 0, destination->GetWidth(), destination->GetHeight()};
    originX_ = originY_ = 0;
    option1_ = option1;
    option2_ = option2;
    destination_ = destination;
  }
  if (DrawStep(progress) != 0) {
    Reset();
    return 3;
  }
  return 0;
}

int TransitionObject::DrawStep(int32_t progress) {
  if (source_ == nullptr) return 1;
  if (destination_ == nullptr) {
    progress_ = progress;
    return 0;
  }
  if (runner_ == nullptr) return 1;
  if (destination_->GetKind() == kImageKindSurfaceImage) {
    auto* surface = static_cast<SurfaceImage*>(destination_);
    const uint32_t fill = surface->FillColor();
    if (fill != kNoColorKey) {
      surface->Fill(uint8_t(fill >> 16), uint8_t(fill >> 8), uint8_t(fill));
    }
  }
  const int r = runner_->Run(mode_, destination_, source_, progress, option1_, option2_, 0, 0);
  if (r > 0) return r + 1;
  if (r < 0) return kStepRefused;
  progress_ = progress;
  return 0;
}

int TransitionObject::SetDestination(Image* image) {
  if (source_ == nullptr) return 1;
  if (image == nullptr) {
    destination_ = nullptr;
    return 0;
  }
  if (!IsUsableImage(image)) return 1;
  destination_ = image;
  return 0;
}

int TransitionObject::SetSource(Image* image) {
  if (source_ == nullptr || !IsUsableImage(image)) return 1;
  source_ = image;
  return 0;
}

bool TransitionObject::SetPosition(int32_t originX, int32_t originY, const Rect* rect) {
  if (!IsUsableImage(destination_)) return false;
  if (rect != nullptr) {
    Rect clipped = *rect;
    Rect clip;
    destination_->GetClipRect(&clip);
    IntersectRectInPlace(&clipped, &clip);
    rect_ = clipped;
  }
  originX_ = originX;
  originY_ = originY;
  return true;
}

void TransitionObject::ForgetImage(const Image* image) {
  if (image == nullptr) return;
  // Without a source there is nothing to draw; a lost destination sends
  // the steps to the device's own target, as a transition made without one.
  if (source_ == image) source_ = nullptr;
  if (destination_ == image) destination_ = nullptr;
}

bool TransitionObject::GetPosition(int32_t* x, int32_t* y) const {
  if (x != nullptr) *x = x_;
  if (y != nullptr) *y = y_;
  return true;
}

bool TransitionObject::GetBounds(Rect* out) const {
  if (source_ == nullptr) return false;
  int32_t width = 0;
  int32_t height = 0;
  if (destination_ == nullptr) {
    width = source_->GetWidth();
    height = source_->GetHeight();
  } else {
    width = width_ > 0 ? width_ : rect_.Width();
    height = height_ > 0 ? height_ : rect_.Height();
  }
  *out = Rect{x_, y_, ClampedEdge(x_, width), ClampedEdge(y_, height)};
  return true;
}

bool TransitionObject::HitTest(int32_t x, int32_t y, uint8_t precise) {
  Rect bounds;
  if (!GetBounds(&bounds)) return false;
  if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return false;
  // The precise test is the image object's: only a surface image with a
  // colour key has pixels that miss, those of the key.
  const uint32_t key = source_->GetColorKey();
  if (precise == 0 || source_->GetKind() != kImageKindSurfaceImage || key == kNoColorKey) return true;
  // A display size set on the object stretches the source over the bounds.
  int64_t px = x - bounds.left;
  int64_t py = y - bounds.top;
  if (width_ > 0) px = px * source_->GetWidth() / bounds.Width();
  if (height_ > 0) py = py * source_->GetHeight() / bounds.Height();
  uint32_t pixel = 0;
  if (!ReadRawPixel(source_->GetDisplaySurface(), int32_t(px), int32_t(py), &pixel)) return true;
  return pixel != key;
}

int TransitionObject::Draw(int32_t, int32_t, D3DDevice*) {
  if (source_ == nullptr || runner_ == nullptr) return 0;
  // The library clips to the device's content rectangle when it draws onto
  // the device's own target.
  const int r = runner_->Run(mode_, nullptr, source_, progress_, x_, y_, 0, 0);
  return r > 0 ? r + 1 : (r < 0 ? kStepRefused : 0);
}

int TransitionObject::Restore() {
  if (source_ == nullptr) return 0;
  return DrawStep(progress_);
}

}  // namespace orrivel
