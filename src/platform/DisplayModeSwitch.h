#pragma once
// Real display modes for full screen. A game asks for a mode of its own
// size and depth; the display gives that mode where it offers one, else the
// nearest larger one (the picture is then centred in it), and refuses when
// it offers none as large. The desktop's own mode comes back when full
// screen is left, when the program ends, and after a crash signal where the
// back end can still reach the display.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/ServiceSlot.h"

namespace orrivel::platform {

// The offered mode for a picture of width x height at depth (0: any): that
// size, at that depth when offered; else the smallest offered mode at least
// as wide and as high (that depth first); nullopt when none is as large.
std::optional<DisplayMode> ChooseFullScreenMode(const std::vector<DisplayMode>& offered, int32_t width,
                                                int32_t height, uint8_t depth);

class DisplayModeSwitch {
 public:
  virtual ~DisplayModeSwitch() = default;

  // Puts the window full screen in the mode chosen for the picture. False
  // (and no mode in force) when the display offers none as large or refuses
  // the one chosen. A mode already in force is given back first.
  bool SwitchTo(WindowId window, int32_t width, int32_t height, uint8_t depth);
  // Gives the desktop its own mode back; nothing when no mode is in force.
  void Restore();
  // The mode in force, set by SwitchTo.
  std::optional<DisplayMode> ModeInForce() const { return inForce_; }
  // True while a mode of this switch is in force for the window.
  bool Holds(WindowId window) const { return inForce_.has_value() && window_ == window; }
  // The window went away (its mode went with it).
  void Forget(WindowId window);
  // The modes the monitor (0 the first, in the back end's monitor order)
  // offers, as its display lists them; empty where that cannot be read.
  virtual std::vector<DisplayMode> MonitorModes(size_t /*monitor*/) { return {}; }

 protected:
  // The modes of the display the window is on.
  virtual std::vector<DisplayMode> OfferedModes(WindowId window) = 0;
  // Full screen in exactly this mode; false when the display refuses.
  virtual bool Enter(WindowId window, const DisplayMode& mode) = 0;
  // Back to the desktop's mode (the window may be gone).
  virtual void Leave(WindowId window) = 0;

 private:
  std::optional<DisplayMode> inForce_;
  WindowId window_ = kNoWindow;
};

// The switch in use: the installed one, else the current back end's; null
// where the display's mode cannot be changed (the headless back end).
DisplayModeSwitch* CurrentDisplayModeSwitch();
DisplayModeSwitch* SetDisplayModeSwitch(DisplayModeSwitch* modeSwitch);

using ScopedDisplayModeSwitch = ScopedService<DisplayModeSwitch, &SetDisplayModeSwitch>;

}  // namespace orrivel::platform
