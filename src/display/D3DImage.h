#pragma once
// A rectangle of a display-surface image put on the device's target by
// blits rather than through Direct3D: at its position unscaled, or
// stretched to a display size. The source rectangle can be shifted by an
// offset inside the image. The image is borrowed from the image list.
#include <cstdint>

#include "display/PlacedSceneObject.h"

namespace orrivel {

class Image;

inline constexpr int kSceneObjectD3DImage = 0;

class D3DImage : public PlacedSceneObject {
 public:
  // Draw's results.
  enum : int { kDrawNoTarget = 1, kDrawStretchFailed = 2, kDrawCopyFailed = 3 };

  // The create step: 1 when the image has no display surface; otherwise the
  // source rectangle is the image's bounds, or the given one cut to them,
  // and the picture goes to (x, y). 0.
  virtual int Create(Image* image, const Rect* source, int32_t x, int32_t y);
  Image* GetImage() const { return image_; }
  // The source rectangle (null: the image's bounds), cut to the image.
  void SetRect(const Rect* rect);
  void SetOffset(int32_t x, int32_t y) {
    offsetX_ = x;
    offsetY_ = y;
  }

  // --- SceneObject ------------------------------------------------------------------------
  int GetKind() const override { return kSceneObjectD3DImage; }
  // 0 hidden, drawn or wholly clipped away; 1 no target or no surface; 2
  // the stretching blit failed; 3 the copy failed.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
  void SetPosition(int32_t x, int32_t y) override {
    x_ = x;
    y_ = y;
  }
  void SetSize(int32_t width, int32_t height) override {
    width_ = width;
    height_ = height;
  }
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) override {
    SetSize(width, height);
    SetPosition(x, y);
  }
  bool HitTest(int32_t x, int32_t y, uint8_t precise) override;
  bool GetBounds(Rect* out) const override;
  void ForgetImage(const Image* image) override;
  // Back to the state after construction.
  void Reset();

  const Rect& SourceRect() const { return source_; }

 protected:
  // Sets the image without the kind's checks (the subclass has its own).
  void TakeImage(Image* image, const Rect* source, int32_t x, int32_t y);
  // The blits, with the image already checked.
  int DrawImage(D3DDevice* device);

 private:
  Image* image_ = nullptr;
  Rect source_;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace orrivel
