#pragma once
// The canvas draw objects that scripts create through the draw-object
// manager: an image whose pixel operations are answered by the composed
// surface of its canvas draw object. The one created of a size answers kind
// 10; the one loaded for a source (the screen image) kind 9.
#include <cstdint>

#include "raster/Image.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

class DrawObjectManager;

class CanvasDrawImage : public Image, public CanvasDrawObject {
 public:
  CanvasDrawImage() = default;
  // Makes this the kind created of a size.
  void MarkCreatedOfSize() { createdOfSize_ = true; }

  uint8_t GetKind() const override {
    return createdOfSize_ ? kImageKindCreatedCanvas : kImageKindLoadedCanvas;
  }
  int32_t GetWidth() const override { return Held().GetWidth(); }
  int32_t GetHeight() const override { return Held().GetHeight(); }
  int32_t GetPitch() const override { return Held().GetPitch(); }
  // A copy of the surface's clip rectangle.
  Rect* GetBounds(Rect* out) const override { return Held().GetClipRect(out); }
  uint8_t* GetBits() override { return GetSurface()->GetBits(); }
  uint8_t* GetScanLine(int32_t y) override { return GetSurface()->GetScanLine(y); }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override {
    return GetSurface()->SetColorKeyRgb(red, green, blue);
  }
  int SetColorKeyAt(int32_t x, int32_t y) override { return GetSurface()->SetColorKeyAt(x, y); }
  uint32_t GetColorKey() const override { return Held().GetColorKey(); }
  int ClearColorKey() override { return GetSurface()->ClearColorKey(); }
  // Memory pictures are never lost; the screen device presents them whole
  // after a loss.
  int Restore(uint8_t) override { return 0; }
  bool SetClipRect(const Rect* rect) override { return GetSurface()->SetClipRect(rect); }
  Rect* GetClipRect(Rect* out) const override { return Held().GetClipRect(out); }
  Rect* GetClipRectPtr() override { return GetSurface()->GetClipRectPtr(); }
  bool ClipToClipRect(Rect* rect) override { return GetSurface()->ClipToClipRect(rect); }
  Surface* GetHeldSurface() override { return GetSurface(); }

  // The one created of a size only stores the byte, and its changes go to
  // the canvas alone.
  uint8_t SetPrepared(uint8_t prepared) override;
  void AddDirty(const Rect* rect) override;

 private:
  const Surface& Held() const { return *const_cast<CanvasDrawImage*>(this)->GetSurface(); }

  bool createdOfSize_ = false;
};

// The creations of the manager (allocation failure 2): one of a size
// (CanvasDrawObject::Prepare) and one loaded for a source (Load).
int CreateCanvasDrawObject(DrawObjectManager& manager, uint32_t* out, int32_t width,
                           int32_t height, uint8_t depth, uint8_t withCanvas);
int CreateCanvasDrawObjectForSource(DrawObjectManager& manager, uint32_t* out, int32_t width,
                                    int32_t height, uint8_t depth, uint8_t mode);

}  // namespace orrivel
