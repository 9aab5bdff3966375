#pragma once
// Display modes through SDL: a window goes full screen in a mode of the
// display (SDL's exclusive full screen), and leaving full screen, closing
// the window or ending the video system gives the desktop its mode back.
// While a mode is in force, a crash signal first tries to give it back too.
#include <vector>

#include "platform/DisplayModeSwitch.h"

namespace orrivel::platform {

class SdlBackend;

class SdlDisplayModeSwitch : public DisplayModeSwitch {
 public:
  explicit SdlDisplayModeSwitch(SdlBackend& backend) : backend_(backend) {}
  ~SdlDisplayModeSwitch() override;
  SdlDisplayModeSwitch(const SdlDisplayModeSwitch&) = delete;
  SdlDisplayModeSwitch& operator=(const SdlDisplayModeSwitch&) = delete;

  std::vector<DisplayMode> MonitorModes(size_t monitor) override;

 protected:
  std::vector<DisplayMode> OfferedModes(WindowId window) override;
  bool Enter(WindowId window, const DisplayMode& mode) override;
  void Leave(WindowId window) override;

 private:
  SdlBackend& backend_;
};

}  // namespace orrivel::platform
