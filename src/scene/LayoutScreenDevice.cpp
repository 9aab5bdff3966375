#include "scene/LayoutScreenDevice.h"

#include <new>
#include <string>

#include "display/DrawObjectManager.h"
#include "scene/DrawObjectCreation.h"
#include "scene/ImageSprite.h"

namespace orrivel {

void LayoutImageSprite::SetVisible(bool visible) { sprite_->SetVisible(visible ? 1 : 0); }

void LayoutImageSprite::SetOpacity(uint8_t opacity) { sprite_->SetOpacity(opacity); }

LayoutScreenDevice::~LayoutScreenDevice() {
  for (auto& [port, listed] : sprites_) manager_.RemoveSprite(listed.handle);
  for (auto& [port, listed] : images_) manager_.RemoveImage(listed.handle);
}

int LayoutScreenDevice::ListSurface(SurfacePort** out, uint32_t handle) {
  auto* surface = dynamic_cast<Surface*>(manager_.GetImage(handle));
  std::unique_ptr<RasterSurfacePort> port(surface ? new (std::nothrow) RasterSurfacePort(surface) : nullptr);
  if (!port) {
    manager_.RemoveImage(handle);
    return 6;
  }
  // The key is taken before the port is moved into the table.
  *out = port.get();
  images_[*out] = Listed<RasterSurfacePort>{handle, std::move(port)};
  return 0;
}

int LayoutScreenDevice::LoadSurface(SurfacePort** out, std::string_view fileName, bool indexed) {
  if (out == nullptr) return 6;
  *out = nullptr;
  const std::string name(fileName);
  uint32_t handle = 0;
  const int code = indexed ? manager_.CreateSurfaceFromFileIndexed(&handle, name.c_str(), nullptr, 0, 0)
                           : manager_.CreateSurfaceFromFile(&handle, name.c_str(), nullptr, 0, 0);
  return code != 0 ? code : ListSurface(out, handle);
}

int LayoutScreenDevice::CreateSurfaceFromFile(SurfacePort** out, std::string_view fileName, int32_t, int32_t,
                                              int32_t) {
  return LoadSurface(out, fileName, false);
}

int LayoutScreenDevice::CreateSurfaceFromFileIndexed(SurfacePort** out, std::string_view fileName, int32_t,
                                                     int32_t, int32_t) {
  return LoadSurface(out, fileName, true);
}

int LayoutScreenDevice::CreateImageSprite(ImageSpritePort** out, SurfacePort* surface,
                                          const platform::Rect& source, int32_t x, int32_t y) {
  if (out == nullptr) return 3;
  *out = nullptr;
  // Only pictures this device listed can be shown: the sprite must name
  // them by handle.
  const uint32_t surfaceHandle = ImageHandle(surface);
  uint32_t handle = 0;
  const int code = ::orrivel::CreateImageSprite(manager_, &handle, surfaceHandle, &source, x, y);
  if (code != 0) return code;
  auto* sprite = dynamic_cast<ImageSprite*>(manager_.GetSprite(handle));
  std::unique_ptr<LayoutImageSprite> port(sprite ? new (std::nothrow) LayoutImageSprite(sprite, surface) : nullptr);
  if (!port) {
    manager_.RemoveSprite(handle);
    return 3;
  }
  *out = port.get();
  sprites_[*out] = Listed<LayoutImageSprite>{handle, std::move(port)};
  return 0;
}

// Removes the object a port shows from the manager and forgets the port;
// a port not made here only has its slot cleared.
template <class Table, class Port>
void LayoutScreenDevice::Forget(Table& table, Port** slot, int (DrawObjectManager::*remove)(uint32_t)) {
  if (slot == nullptr || *slot == nullptr) return;
  auto found = table.find(*slot);
  if (found != table.end()) {
    (manager_.*remove)(found->second.handle);
    table.erase(found);
  }
  *slot = nullptr;
}

void LayoutScreenDevice::DeleteImage(SurfacePort** image) {
  Forget(images_, image, &DrawObjectManager::RemoveImage);
}

void LayoutScreenDevice::DeleteSprite(ImageSpritePort** sprite) {
  Forget(sprites_, sprite, &DrawObjectManager::RemoveSprite);
}

uint32_t LayoutScreenDevice::ImageHandle(const SurfacePort* image) const {
  auto found = images_.find(image);
  return found == images_.end() ? 0 : found->second.handle;
}

uint32_t LayoutScreenDevice::SpriteHandle(const ImageSpritePort* sprite) const {
  auto found = sprites_.find(sprite);
  return found == sprites_.end() ? 0 : found->second.handle;
}

}  // namespace orrivel
