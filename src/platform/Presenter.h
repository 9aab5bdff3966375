#pragma once
// What puts a finished frame on the player's screen. The screen device
// composes each frame into its "primary" surface (software memory); a
// presenter shows an area of that surface in a window, scaled to the
// window's drawable size with black borders where the aspects differ. Two
// kinds exist: the SDL one (a streaming texture per window) and the
// headless one, which keeps the last frame in memory for tests.
#include <cstdint>
#include <string>

#include "platform/Messages.h"
#include "platform/Rect.h"
#include "platform/SoftSurface.h"

namespace orrivel::platform {

struct PresentOptions {
  bool linear = false;  // linear filtering where the frame is scaled, else nearest pixel
  bool vsync = false;   // wait for the display's vertical blank
};

enum PresentResult : int32_t {
  kPresentOk = 0,
  kPresentInvalid = 1,  // no window, no pixels, or an area outside the frame
  kPresentFailed = 2,   // the window system refused
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows `area` of `frame` in the window. `dirty` (in frame coordinates,
  // inside `area`) names the part that changed since the last present of
  // this window; null means all of it, an empty rectangle none of it.
  virtual int Present(WindowId window, SoftSurface& frame, const Rect& area, const Rect* dirty,
                      const PresentOptions& options) = 0;
  // True once after the window system threw away what the presenter held
  // on the graphics device (a renderer reset): whatever the screen showed
  // must be drawn again.
  virtual bool TakeDeviceReset() { return false; }
  // Whether a present can wait for the display's vertical blank.
  virtual bool SupportsVSync() const { return false; }
  // Forgets what it holds for a window (the window goes away or changes mode).
  virtual void Forget(WindowId /*window*/) {}
  // Writes what the window shows now as a PNG file (scripted runs); false
  // before the first frame or when the file cannot be written.
  virtual bool WriteSnapshot(WindowId /*window*/, const std::string& /*path*/) { return false; }
};

// The part of an output of width x height that a picture of the area's
// aspect fills (centred; the rest are borders), as every presenter shows a
// frame.
Rect FitRect(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height);

}  // namespace orrivel::platform
