#pragma once
// What the application asks of the screen device: the content size or the
// screen canvas, the switch between window and full screen, lost-surface
// restoration, painting the client area, and the release steps at exit.
// This base presents into the window on its own; the display subsystem
// derives the real device from it, and tests derive fakes that fail on cue.
#include <cstdint>

#include "platform/Rect.h"
#include "platform/Messages.h"

namespace orrivel {

class MonitorList;

class ScreenDevice {
 public:
  struct StoredMode {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t depth = 0;
    uint16_t refresh = 0;
  };

  virtual ~ScreenDevice() = default;

  // Fills the monitor list for the game size; non-zero when the monitor
  // information cannot be read.
  virtual int EnumMonitors(MonitorList& monitors, int32_t gameWidth, int32_t gameHeight);
  // Values below 1 become 1 here (the display device refuses them with 1); 0.
  virtual int SetContentSize(int32_t width, int32_t height);
  // Makes the screen canvas of the game size; non-zero on failure.
  virtual int CreateCanvasDrawObjectForSource(uint32_t* outCanvas, int32_t width, int32_t height, int bits, int flag);
  virtual void SetScreenImage(uint32_t canvas, int flag);
  // Switches between full screen and window presentation on the window;
  // 0 on success, a signed failure code otherwise.
  virtual int SetScreenMode(platform::WindowId window, bool windowed, bool flagB, bool zBuffer);
  // 0 or 1 when the screen is usable, above 1 on failure.
  virtual int RestoreLostSurfaces() { return 0; }
  // What painting answers when there is nothing to paint from or onto: the
  // system's general failure value (0x80004005).
  static constexpr int kPaintFailed = int(0x80004005u);
  // Presents the screen picture into the client area: 0, or kPaintFailed.
  virtual int PaintWindow(platform::WindowId window, const platform::Rect& paint);
  // Bracket a message box so that it shows over a full screen: 0 done or
  // nothing to do (no hardware), 1 without a primary surface.
  virtual int BeginGdiDialog() { return 0; }
  virtual int EndGdiDialog() { return 0; }
  virtual void RestoreWindowMode() {}
  // Non-zero on failure.
  virtual int SetDisplayMode(int32_t width, int32_t height, uint8_t depth, uint16_t refresh);
  // The three release steps of exit, in this order; each tolerates what was
  // never made.
  virtual void ReleaseDevice() { hasDeviceObject = false; }
  virtual void ReleaseScreenSurfaces() { canvas = 0; }
  virtual void ReleaseDisplay() {}

  // State read by the application and its window handlers.
  uint8_t mode = 0;  // 1 full screen, 2 window
  bool exclusive = false;
  bool flipChain = false;
  // The presentation object that SetScreenMode makes, and a second one.
  bool hasDeviceObject = false;
  bool hasSecondObject = false;
  uint8_t drawingMethod = 1;
  bool drawingCompanion = false;
  platform::Rect monitorRect;
  bool letterbox = false;
  platform::Rect letterboxBars[2];
  // Where the picture is shown: in window mode, stretched over displayRect
  // (client coordinates; empty means the whole client area) when `stretched`;
  // in full screen, inside displayRect (relative to the monitor) when
  // `letterbox`.
  bool stretched = false;
  platform::Rect displayRect;
  StoredMode storedModes[2];
  uint8_t modeSelector = 0;
  int32_t contentWidth = 0;
  int32_t contentHeight = 0;
  uint32_t canvas = 0;
  int canvasFlag = 0;
};

// The device that drawing code reaches (none until start-up publishes it).
ScreenDevice* CurrentScreenDevice();
void SetCurrentScreenDevice(ScreenDevice* device);

}  // namespace orrivel
