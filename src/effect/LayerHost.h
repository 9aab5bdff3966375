#pragma once
// What the overlay and background actions need of the text-adventure frame:
// the frame itself as the host of a layer (its screen surface and its pages)
// and the frame's layer objects, whose kinds 7 to 10 carry the background
// layer interface. The frame implements both; the actions only see these.
namespace orrivel {

class SpriteCanvas;
class Surface;

// A layer object of the frame (kinds 7 to 10) as a background layer.
class BackgroundLayer {
 public:
  static constexpr int kFirstLayerKind = 7;
  static constexpr int kLastLayerKind = 10;
  static constexpr bool IsLayerKind(int kind) { return kind >= kFirstLayerKind && kind <= kLastLayerKind; }

  virtual ~BackgroundLayer() = default;
  // The layer's canvas.
  virtual SpriteCanvas* GetLayerCanvas() = 0;
  // The second page of a layer that has one (the background cross-fade
  // reads it); null otherwise.
  virtual SpriteCanvas* GetSecondPageCanvas() { return nullptr; }
};

// The frame as the target of the overlay effects.
class LayerHost {
 public:
  virtual ~LayerHost() = default;
  // The screen surface; its size is the size the effects cover.
  virtual Surface* GetScreenSurface() = 0;
  virtual SpriteCanvas* GetFirstPage() = 0;
  // The object whose canvas is the second page; null when the layer has no
  // second page.
  virtual BackgroundLayer* GetSecondPageObject() = 0;
};

}  // namespace orrivel
