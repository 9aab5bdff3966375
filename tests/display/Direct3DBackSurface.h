#pragma once
// Gives a screen device a Direct3D device on a 64 x 48 back surface of its
// own, as a screen mode makes one, for tests that draw scene objects
// without a window.
#include <gtest/gtest.h>

#include <memory>

#include "display/DisplayScreenDevice.h"

namespace orrivel::testing {

inline void AttachDirect3DBackSurface(DisplayScreenDevice& device, std::unique_ptr<platform::SoftSurface>* back) {
  platform::SurfaceRequest request;
  request.caps = platform::kSurfaceOffscreen | platform::kSurface3dDevice;
  request.width = 64;
  request.height = 48;
  request.hasFormat = true;
  request.format = platform::DescribeSurfaceFormat(platform::SurfaceFormat::X8R8G8B8);
  ASSERT_EQ(device.DirectDraw()->CreateSurface(request, back), platform::kDdOk);
  const Rect rect{0, 0, 64, 48};
  ASSERT_FALSE(D3DDeviceCreationFailed(device.D3DDevice::CreateDevice(back->get(), &rect, 0)));
}

}  // namespace orrivel::testing
