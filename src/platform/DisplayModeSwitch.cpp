#include "platform/DisplayModeSwitch.h"

#include <tuple>

#include "platform/Backend.h"

namespace orrivel::platform {
namespace {

ServiceSlot<DisplayModeSwitch> g_slot;

int64_t Area(const DisplayMode& mode) { return int64_t(mode.width) * mode.height; }

}  // namespace

std::optional<DisplayMode> ChooseFullScreenMode(const std::vector<DisplayMode>& offered, int32_t width,
                                                int32_t height, uint8_t depth) {
  std::optional<DisplayMode> best;
  // Lower ranks win: the exact size before a larger one, the asked depth
  // before another, a smaller area before a larger, the higher refresh.
  auto rank = [&](const DisplayMode& m) {
    const bool exact = m.width == width && m.height == height;
    const bool sameDepth = depth == 0 || m.depth == depth;
    return std::tuple(exact ? 0 : 1, sameDepth ? 0 : 1, Area(m), -int32_t(m.refresh));
  };
  for (const DisplayMode& m : offered) {
    if (m.width < width || m.height < height || m.width <= 0 || m.height <= 0) continue;
    if (!best || rank(m) < rank(*best)) best = m;
  }
  return best;
}

bool DisplayModeSwitch::SwitchTo(WindowId window, int32_t width, int32_t height, uint8_t depth) {
  Restore();
  if (window == kNoWindow || width < 1 || height < 1) return false;
  const std::optional<DisplayMode> mode = ChooseFullScreenMode(OfferedModes(window), width, height, depth);
  if (!mode || !Enter(window, *mode)) return false;
  inForce_ = mode;
  window_ = window;
  return true;
}

void DisplayModeSwitch::Restore() {
  if (!inForce_) return;
  const WindowId window = window_;
  inForce_.reset();
  window_ = kNoWindow;
  Leave(window);
}

void DisplayModeSwitch::Forget(WindowId window) {
  if (!Holds(window)) return;
  inForce_.reset();
  window_ = kNoWindow;
}

DisplayModeSwitch* CurrentDisplayModeSwitch() {
  if (DisplayModeSwitch* installed = g_slot.Installed()) return installed;
  return CurrentBackend().ModeSwitch();
}

DisplayModeSwitch* SetDisplayModeSwitch(DisplayModeSwitch* modeSwitch) { return g_slot.Install(modeSwitch); }

}  // namespace orrivel::platform
