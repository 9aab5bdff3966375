#pragma once
// The presenter of a machine without a display: it keeps the last frame
// that reached each window (as 0x00RRGGBB words, already scaled to the
// window's size as a screen would show it) and can write it as a PNG file.
// Tests read the frame back.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Presenter.h"

namespace orrivel::platform {

class HeadlessPresenter : public Presenter {
 public:
  struct Frame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // top row first, `width` words a row
    uint32_t count = 0;            // frames presented to the window so far
    Rect lastDirty;                // the changed part of the last present, in frame coordinates
    PresentOptions options;
  };

  int Present(WindowId window, SoftSurface& frame, const Rect& area, const Rect* dirty,
              const PresentOptions& options) override;
  bool TakeDeviceReset() override;
  // No display, no vertical blank, unless a test lets it pretend.
  bool SupportsVSync() const override { return vsync_; }
  void SetSupportsVSync(bool on) { vsync_ = on; }
  void Forget(WindowId window) override { frames_.erase(window); }
  bool WriteSnapshot(WindowId window, const std::string& path) override { return WritePng(window, path); }

  // The size the window shows its frames at; by default the area's size.
  void SetOutputSize(WindowId window, int32_t width, int32_t height);
  // Makes the next TakeDeviceReset answer true (a test's renderer reset).
  void RaiseDeviceReset() { reset_ = true; }
  // Null before the first frame of the window.
  const Frame* LastFrame(WindowId window) const;
  // False without a frame or when the file cannot be written.
  bool WritePng(WindowId window, const std::string& path) const;

 private:
  std::map<WindowId, Frame> frames_;
  // The buffer the next whole present is made in.
  std::vector<uint32_t> spare_;
  std::map<WindowId, std::pair<int32_t, int32_t>> outputSizes_;
  bool reset_ = false;
  bool vsync_ = false;
};

// Reads a surface's rectangle as 0x00RRGGBB words scaled to width x height
// with black borders where the aspects differ (nearest pixel or linear), as
// both presenters show a frame. False for a surface of a layout it cannot read.
bool ScaleFrameToRgb(SoftSurface& frame, const Rect& area, int32_t width, int32_t height,
                     bool linear, std::vector<uint32_t>* out);

}  // namespace orrivel::platform
