#pragma once
// The screen device as the layout readers see it: their pictures are memory
// surfaces listed by the draw-object manager and their sprites listed image
// sprites, so scripts' group deletions and restores reach them like any
// other object. The ports handed out stay valid until deleted here or until
// the manager drops the object they show.
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "resource/ScreenDevicePort.h"
#include "scene/RasterSurfacePort.h"

namespace orrivel {

class DrawObjectManager;
class ImageSprite;

// A listed image sprite and the surface port it shows.
class LayoutImageSprite final : public ImageSpritePort {
 public:
  LayoutImageSprite(ImageSprite* sprite, SurfacePort* surface) : sprite_(sprite), surface_(surface) {}
  void SetVisible(bool visible) override;
  void SetOpacity(uint8_t opacity) override;
  SurfacePort* GetSurface() const override { return surface_; }
  ImageSprite* Sprite() const { return sprite_; }

 private:
  ImageSprite* sprite_;
  SurfacePort* surface_;
};

class LayoutScreenDevice final : public ScreenDevicePort {
 public:
  explicit LayoutScreenDevice(DrawObjectManager& manager) : manager_(manager) {}
  LayoutScreenDevice(const LayoutScreenDevice&) = delete;
  LayoutScreenDevice& operator=(const LayoutScreenDevice&) = delete;
  // Deletes from the manager whatever the readers still hold.
  ~LayoutScreenDevice() override;

  // The device's loaders take no further values; a, b and c are unused.
  int CreateSurfaceFromFile(SurfacePort** out, std::string_view fileName, int32_t a, int32_t b,
                            int32_t c) override;
  int CreateSurfaceFromFileIndexed(SurfacePort** out, std::string_view fileName, int32_t a, int32_t b,
                                   int32_t c) override;
  int CreateImageSprite(ImageSpritePort** out, SurfacePort* surface, const platform::Rect& source, int32_t x,
                        int32_t y) override;
  void DeleteImage(SurfacePort** image) override;
  void DeleteSprite(ImageSpritePort** sprite) override;

  // The manager's handle of an object handed out here; 0 for any other.
  uint32_t ImageHandle(const SurfacePort* image) const;
  uint32_t SpriteHandle(const ImageSpritePort* sprite) const;

 private:
  template <class Port>
  struct Listed {
    uint32_t handle = 0;
    std::unique_ptr<Port> port;
  };

  int LoadSurface(SurfacePort** out, std::string_view fileName, bool indexed);
  int ListSurface(SurfacePort** out, uint32_t handle);
  template <class Table, class Port>
  void Forget(Table& table, Port** slot, int (DrawObjectManager::*remove)(uint32_t));

  DrawObjectManager& manager_;
  std::unordered_map<const SurfacePort*, Listed<RasterSurfacePort>> images_;
  std::unordered_map<const ImageSpritePort*, Listed<LayoutImageSprite>> sprites_;
};

}  // namespace orrivel
