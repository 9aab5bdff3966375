#include "base/ScreenDevice.h"

#include <algorithm>

#include "base/MonitorList.h"
#include "platform/Backend.h"

namespace orrivel {
namespace {

ScreenDevice* g_screenDevice = nullptr;

}  // namespace

ScreenDevice* CurrentScreenDevice() { return g_screenDevice; }
void SetCurrentScreenDevice(ScreenDevice* device) { g_screenDevice = device; }

int ScreenDevice::EnumMonitors(MonitorList& monitors, int32_t, int32_t) {
  if (!monitors.Refresh()) return 1;
  monitors.ReadDeviceNames();
  return 0;
}

int ScreenDevice::SetContentSize(int32_t width, int32_t height) {
  contentWidth = std::max(1, width);
  contentHeight = std::max(1, height);
  return 0;
}

int ScreenDevice::CreateCanvasDrawObjectForSource(uint32_t* outCanvas, int32_t width, int32_t height, int, int) {
  if (!outCanvas || width < 1 || height < 1) return 1;
  SetContentSize(width, height);
  *outCanvas = 1;
  return 0;
}

void ScreenDevice::SetScreenImage(uint32_t image, int flag) {
  canvas = image;
  canvasFlag = flag;
}

int ScreenDevice::SetScreenMode(platform::WindowId window, bool windowed, bool, bool) {
  platform::Backend& backend = platform::CurrentBackend();
  if (!backend.IsWindow(window)) return -1;
  // The monitor is the one the window is on when the switch begins: full
  // screen covers that monitor, and the window returns onto it.
  MonitorList monitors;
  monitors.GetMonitorRect(monitorRect, monitors.MonitorFromRect(backend.GetWindowRect(window)));
  backend.SetFullScreen(window, !windowed);
  mode = windowed ? 2 : 1;
  hasDeviceObject = true;
  return 0;
}

int ScreenDevice::PaintWindow(platform::WindowId window, const platform::Rect& paint) {
  // Nothing is drawn yet: the picture is black.
  platform::CurrentBackend().FillClient(window, paint, 0x000000);
  return 0;
}

int ScreenDevice::SetDisplayMode(int32_t, int32_t, uint8_t, uint16_t) { return 0; }

}  // namespace orrivel
