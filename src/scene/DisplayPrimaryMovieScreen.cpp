#include "scene/DisplayPrimaryMovieScreen.h"

#include "display/DisplayScreenDevice.h"
#include "display/DrawObjectManager.h"
#include "display/LockedFrameSource.h"
#include "platform/RenderDevice.h"

namespace orrivel {

DisplayPrimaryMovieScreen::~DisplayPrimaryMovieScreen() {
  for (const auto& [image, handle] : handles_) manager_.RemoveImage(handle);
}

int DisplayPrimaryMovieScreen::CreateLockedFrameSource(Image** out) {
  if (out == nullptr) return 1;
  *out = nullptr;
  uint32_t handle = 0;
  const int code = manager_.CreateLockedFrameSource(&handle);
  if (code != 0) return code;
  Image* image = manager_.GetImage(handle);
  handles_[image] = handle;
  *out = image;
  return 0;
}

void DisplayPrimaryMovieScreen::DeleteImage(Image** slot) {
  if (slot == nullptr || *slot == nullptr) return;
  auto found = handles_.find(*slot);
  if (found != handles_.end()) {
    manager_.RemoveImage(found->second);
    handles_.erase(found);
  }
  *slot = nullptr;
}

platform::SoftSurface* DisplayPrimaryMovieScreen::FrameSurface(Image* frameSource) {
  if (handles_.find(frameSource) == handles_.end()) return nullptr;
  auto* source = dynamic_cast<LockedFrameSource*>(frameSource);
  return source != nullptr ? source->GetDisplaySurface() : nullptr;
}

int PrimaryMovieSceneObject::Draw(int32_t, int32_t, D3DDevice* device) {
  // The scene pass draws into the Direct3D device's target, which a screen
  // mode puts on the display's back surface.
  platform::SoftSurface* back = nullptr;
  if (device != nullptr && device->HasDevice()) back = device->RenderDevice()->Target();
  if (auto* display = dynamic_cast<DisplayScreenDevice*>(device); back == nullptr && display != nullptr) {
    back = display->BackSurface();
  }
  if (back == nullptr) return 1;
  const Rect whole{0, 0, int32_t(back->Width()), int32_t(back->Height())};
  return movie_->Draw(back, &whole);
}

bool PrimaryMovieSceneObject::GetPosition(int32_t* x, int32_t* y) const {
  if (x != nullptr) *x = movie_->GetX();
  if (y != nullptr) *y = movie_->GetY();
  return true;
}

}  // namespace orrivel
