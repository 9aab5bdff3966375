#include "scene/DisplayObjectMoviePresentation.h"

#include <memory>

#include "display/DisplayScreenDevice.h"
#include "platform/SoftDirectDraw.h"

namespace orrivel {

bool DisplayObjectMoviePresentation::PresentsOnPrimaryDisplay() {
  // A GDI presentation has no DirectDraw objects to lend.
  if (display_.DirectDraw() == nullptr || display_.GetPresentMethod() == 0) return false;
  const platform::Guid* driver = display_.DriverId();
  return driver == nullptr || driver->IsNull() || *driver == DisplayDevice::PrimaryDriverId();
}

void* DisplayObjectMoviePresentation::DirectDraw() { return display_.DirectDraw(); }

void* DisplayObjectMoviePresentation::PrimarySurface() { return display_.PrimarySurface(); }

void* DisplayObjectMoviePresentation::CreatePrimarySurface() {
  platform::SoftDirectDraw* directDraw = display_.DirectDraw();
  if (directDraw == nullptr) return nullptr;
  platform::SurfaceRequest request;
  request.caps = platform::kSurfacePrimary;
  std::unique_ptr<platform::SoftSurface> surface;
  if (directDraw->CreateSurface(request, &surface) != platform::kDdOk) return nullptr;
  return surface.release();
}

void DisplayObjectMoviePresentation::ReleaseSurface(void* surface) {
  delete static_cast<platform::SoftSurface*>(surface);
}

}  // namespace orrivel
