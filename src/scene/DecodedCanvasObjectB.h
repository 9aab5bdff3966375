#pragma once
// A canvas image whose composed picture is copied into a Direct3D texture,
// so that a textured quad can show a scene composed in memory. The texture
// follows the device's size rules but is never shrunk: a picture larger
// than the device's largest texture is refused. Its content size is the
// composed surface's; pixels, bounds and clip rectangle are answered from
// the composed surface, the texture and the key from the display side.
// After the display surfaces were lost the composed picture is copied in
// again whole, without drawing any sprite again.
//
// Main thread only.
#include <cstdint>

#include "display/SurfaceImage.h"
#include "display/TextureSource.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

class DrawObjectManager;

class DecodedCanvasObjectB : public TextureSource, public SurfaceImage, public CanvasDrawObject {
 public:
  DecodedCanvasObjectB() = default;
  ~DecodedCanvasObjectB() override;

  // Load's results.
  enum : int { kLoadNoDevice = 1, kLoadNoTexture = 2 };
  // CreateTexture's results.
  enum : int { kTextureNoDevice = 1, kTextureNoFormat = 2, kTextureTooLarge = 3, kTextureRefused = 4 };
  // Makes the texture (1 no Direct3D device, 2 any texture failure) and the
  // composed surface with its canvas (mode 0 none, 1 a canvas, 2 with an
  // overlay list; 3 to 5 its creation), both black. Failure leaves nothing held.
  int Load(uint32_t formatCode, int32_t width, int32_t height, uint8_t depth, uint8_t mode);
  // A texture for a picture of the size; the codes above.
  int CreateTexture(uint32_t formatCode, int32_t width, int32_t height);
  // Copies the picture (only where it changed, with dirtyOnly) into the
  // texture: 1 none; 2 the lock was refused; -1 nothing changed; 0.
  int Update(uint8_t dirtyOnly);
  // Makes the composed surface again at its size and the depth; 2 when it
  // cannot be made (everything is released then).
  int Resize(uint8_t depth);

  // --- Image and TextureSource ------------------------------------------------------------
  uint8_t GetKind() const override { return kImageKindDecodedCanvasB; }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  // The key colour taken from the composed picture (the position is kept
  // for a restore); 1 outside it.
  int SetColorKeyAt(int32_t x, int32_t y) override;
  uint32_t GetColorKey() const override { return SurfaceImage::GetColorKey(); }
  int ClearColorKey() override { return SurfaceImage::ClearColorKey(); }
  // 0 without a texture or when asked to check and nothing was lost; 1 the
  // texture cannot be made again; 2 the picture cannot be copied; 3 and 4
  // the key (from its colour, from its position) cannot be set again.
  int Restore(uint8_t checkLost) override;
  platform::SoftSurface* GetSurface() override { return SurfaceImage::surface_.get(); }
  uint32_t GetPixelFormatCode() const override { return requestedFormat_; }
  int32_t GetContentWidth() const override { return Composed().GetWidth(); }
  int32_t GetContentHeight() const override { return Composed().GetHeight(); }

  // The composed picture answers the pixel and clip operations.
  Rect* GetBounds(Rect* out) const override { return Composed().GetClipRect(out); }
  int32_t GetPitch() const override { return Composed().GetPitch(); }
  uint8_t* GetBits() override { return CanvasDrawObject::GetSurface()->GetBits(); }
  uint8_t* GetScanLine(int32_t y) override { return CanvasDrawObject::GetSurface()->GetScanLine(y); }
  bool SetClipRect(const Rect* rect) override { return CanvasDrawObject::GetSurface()->SetClipRect(rect); }
  Rect* GetClipRect(Rect* out) const override { return Composed().GetClipRect(out); }
  Rect* GetClipRectPtr() override { return CanvasDrawObject::GetSurface()->GetClipRectPtr(); }
  bool ClipToClipRect(Rect* rect) override { return CanvasDrawObject::GetSurface()->ClipToClipRect(rect); }
  Surface* GetHeldSurface() override { return CanvasDrawObject::GetSurface(); }

 private:
  const Surface& Composed() const { return *const_cast<DecodedCanvasObjectB*>(this)->CanvasDrawObject::GetSurface(); }
  int MakeTexture(uint32_t formatCode, int32_t width, int32_t height);

  uint32_t requestedFormat_ = 0;
};

// The creation of the draw-object manager: allocation failure 4, else Load's code.
int CreateDecodedCanvasObjectB(DrawObjectManager& manager, uint32_t* out, uint32_t formatCode,
                               int32_t width, int32_t height, uint8_t depth, uint8_t mode);

}  // namespace orrivel
