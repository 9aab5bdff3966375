#pragma once
// A canvas image whose composed picture is copied into an off-screen
// display surface, which the screen's blitting scene objects put on the
// back buffer. The image answers its geometry, pixels and clip rectangle
// from the composed surface (so software drawing reaches the picture) and
// its colour key from the display surface. After the display surfaces were
// lost the composed picture is copied in again whole, without drawing any
// sprite again.
//
// Main thread only.
#include <cstdint>

#include "display/SurfaceImage.h"
#include "scene/CanvasDrawImage.h"

namespace orrivel {

class DrawObjectManager;

class DecodedCanvasObjectA : public CanvasDrawImage {
 public:
  DecodedCanvasObjectA() = default;
  ~DecodedCanvasObjectA() override;

  // Load's results.
  enum : int { kLoadNoDevice = 1, kLoadNoSurface = 2 };
  // Makes the display surface (1 no drawing object, 2 refused) and the
  // composed surface with its canvas (mode 0 none, 1 a canvas, 2 with an
  // overlay list; 3 to 5 as ComposedSurfaceFlags' creation), both black.
  // Failure leaves nothing held.
  int Load(int32_t width, int32_t height, uint8_t depth, uint8_t mode);
  // The off-screen surface of the size; 1 no drawing object, 2 refused.
  int CreateSurface(int32_t width, int32_t height);
  // Drops the display surface and its key.
  void Release();
  // Copies the picture (only where it changed, with dirtyOnly) into the
  // display surface: 1 none; 2 the lock was refused; -1 nothing changed; 0.
  int Update(uint8_t dirtyOnly);
  // Makes the composed surface again at its size and the depth; 2 when it
  // cannot be made (everything is released then).
  int Resize(uint8_t depth);

  // --- Image ------------------------------------------------------------------------------
  uint8_t GetKind() const override { return kImageKindDecodedCanvasA; }
  // The display surface's key from an RGB colour; 1 no surface, 2 and 3 refused.
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  // The key colour taken from the composed picture; 1 outside it.
  int SetColorKeyAt(int32_t x, int32_t y) override;
  uint32_t GetColorKey() const override { return video_.GetColorKey(); }
  int ClearColorKey() override { return video_.ClearColorKey(); }
  // 0 without a display surface or when asked to check and nothing was
  // lost; 1 the surface cannot be made again; 2 the picture cannot be
  // copied; 3 the key cannot be set again.
  int Restore(uint8_t checkLost) override;
  platform::SoftSurface* GetDisplaySurface() override { return video_.GetDisplaySurface(); }

  uint32_t FormatCode() const { return video_.FormatCode(); }
  // The key as 0x00RRGGBB, -1 none.
  uint32_t RgbColorKey() const { return video_.RgbColorKey(); }

 private:
  SurfaceImage video_;
};

// The creation of the draw-object manager: allocation failure 4, else Load's code.
int CreateDecodedCanvasObjectA(DrawObjectManager& manager, uint32_t* out, int32_t width,
                               int32_t height, uint8_t depth, uint8_t mode);

}  // namespace orrivel
