#include "display/XvfbDisplayModes.h"

#if defined(ORRIVEL_TEST_XRANDR)
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

#include <string>

namespace orrivel::test {

#if defined(ORRIVEL_TEST_XRANDR)

namespace {

::Display* AsDisplay(void* connection) { return static_cast<::Display*>(connection); }

// A refused request is noted, not the end of the test program (the
// library's own handler exits).
bool g_refused = false;
int NoteRefusal(::Display*, XErrorEvent*) {
  g_refused = true;
  return 0;
}

}  // namespace

XvfbDisplayModes::XvfbDisplayModes(const std::string& display) {
  XSetErrorHandler(NoteRefusal);
  ::Display* x = XOpenDisplay(display.c_str());
  int eventBase = 0, errorBase = 0;
  if (x != nullptr && !XRRQueryExtension(x, &eventBase, &errorBase)) {
    XCloseDisplay(x);
    x = nullptr;
  }
  connection_ = x;
}

XvfbDisplayModes::~XvfbDisplayModes() {
  if (connection_ != nullptr) XCloseDisplay(AsDisplay(connection_));
}

bool XvfbDisplayModes::Add(int width, int height) {
  ::Display* x = AsDisplay(connection_);
  if (x == nullptr) return false;
  // The full query: the server reads its outputs again first.
  XRRScreenResources* resources = XRRGetScreenResources(x, DefaultRootWindow(x));
  if (resources == nullptr) return false;
  bool added = false;
  g_refused = false;
  if (resources->noutput > 0) {
    std::string name = std::to_string(width) + "x" + std::to_string(height);
    XRRModeInfo mode{};
    mode.width = unsigned(width);
    mode.height = unsigned(height);
    mode.hSyncStart = mode.width + 16;
    mode.hSyncEnd = mode.width + 32;
    mode.hTotal = mode.width + 48;
    mode.vSyncStart = mode.height + 3;
    mode.vSyncEnd = mode.height + 6;
    mode.vTotal = mode.height + 10;
    mode.dotClock = (unsigned long)mode.hTotal * mode.vTotal * 60;  // 60 Hz
    mode.name = name.data();
    mode.nameLength = unsigned(name.size());
    const RRMode id = XRRCreateMode(x, DefaultRootWindow(x), &mode);
    if (id != 0) {
      XRRAddOutputMode(x, resources->outputs[0], id);
      XSync(x, False);
      added = !g_refused;
    }
  }
  XRRFreeScreenResources(resources);
  return added;
}

std::pair<int, int> XvfbDisplayModes::Shown() {
  ::Display* x = AsDisplay(connection_);
  if (x == nullptr) return {0, 0};
  std::pair<int, int> shown{0, 0};
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x));
  if (resources == nullptr) return shown;
  if (resources->ncrtc > 0) {
    if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(x, resources, resources->crtcs[0])) {
      shown = {int(crtc->width), int(crtc->height)};
      XRRFreeCrtcInfo(crtc);
    }
  }
  XRRFreeScreenResources(resources);
  return shown;
}

#else

XvfbDisplayModes::XvfbDisplayModes(const std::string&) {}
XvfbDisplayModes::~XvfbDisplayModes() = default;
bool XvfbDisplayModes::Add(int, int) { return false; }
std::pair<int, int> XvfbDisplayModes::Shown() { return {0, 0}; }

#endif

}  // namespace orrivel::test
