#include <gtest/gtest.h>

#include <functional>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/MonitorList.h"
#include "display/DisplayScreenDevice.h"
#include "platform/Backend.h"
#include "platform/DefaultWindowClient.h"
#include "platform/DisplayMachine.h"
#include "platform/DisplayModeSwitch.h"
#include "platform/headless/HeadlessBackend.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawImage.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {
namespace {

using platform::HeadlessBackend;
using platform::HeadlessPresenter;
using platform::SoftSurface;

uint32_t Pattern(int32_t x, int32_t y) { return uint32_t((x * 7) ^ (y * 13) ^ (x * y)) & 0xFFFFFF; }

// A composed picture of the content size whose every pixel is known.
class Picture {
 public:
  Picture(int32_t width, int32_t height) {
    EXPECT_EQ(image.Load(width, height, 32, 0), 0);
    for (int32_t y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(image.GetSurface()->GetScanLine(y));
      for (int32_t x = 0; x < width; ++x) row[x] = Pattern(x, y);
    }
    image.AddDirty(nullptr);
  }
  CanvasDrawObject image;
};

// A headless machine with one 1280 x 800 display, a window, and the device.
class ScreenRig : public ::testing::Test {
 protected:
  explicit ScreenRig(platform::DisplayMachine machine = platform::FakeSingleDisplayMachine(true))
      : machine_(machine), backendScope_(backend_), client_(backend_) {
    DisplayDevice::ResetProcessState();
    backend_.SetDesktop(platform::DisplayMode{1280, 800, 32, 60});
    backend_.RegisterClass(platform::WindowClass{"screen"});
    platform::WindowCreateParams params;
    params.className = "screen";
    params.width = 800;
    params.height = 600;
    params.client = &client_;
    window_ = backend_.CreateWindow(params);
    device_ = std::make_unique<DisplayScreenDevice>();
  }
  ~ScreenRig() override {
    device_.reset();
    DisplayDevice::ResetProcessState();
  }

  // The picture in a window through DirectDraw: drawing method 2 blits, 3
  // draws the texture (sampled by nearest pixel).
  void StartWindowed(DisplayScreenDevice& device, Picture& picture, uint8_t method) {
    device.AttachScreenImage(&picture.image);
    device.SetDrawingMethod(method);
    device.SetDirectDrawWhenNotEnlarged(true);
    device.SetSmoothFiltering(false);
    ASSERT_EQ(device.SetScreenMode(window_, true, false, false), 0);
  }

  const HeadlessPresenter::Frame* Shown() const {
    return const_cast<HeadlessBackend&>(backend_).Frames().LastFrame(window_);
  }

  // The shown frame holds the picture in the rectangle at (x, y), unscaled.
  ::testing::AssertionResult ShowsPicture(int32_t x, int32_t y, int32_t width, int32_t height) const {
    const HeadlessPresenter::Frame* frame = Shown();
    if (frame == nullptr) return ::testing::AssertionFailure() << "nothing shown";
    for (int32_t py = 0; py < height; ++py) {
      for (int32_t px = 0; px < width; ++px) {
        const uint32_t got = frame->pixels[size_t(y + py) * frame->width + size_t(x + px)];
        if (got != Pattern(px, py)) {
          return ::testing::AssertionFailure() << "pixel " << px << "," << py << " is " << std::hex << got;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  platform::ScopedDisplayMachine machine_;
  HeadlessBackend backend_;
  platform::ScopedBackend backendScope_;
  platform::DefaultWindowClient client_;
  platform::WindowId window_ = 0;
  std::unique_ptr<DisplayScreenDevice> device_;
};

// --- fitting and the requested window size -------------------------------------------------

TEST_F(ScreenRig, FitToDisplayPlacesTheContentWithBorders) {
  struct Case {
    const char* what;
    int32_t width, height;
    bool keep;
    int result;
    bool scaled, borders;
    Rect placed, first, second;
  };
  const Case cases[] = {
      {"same aspect and width", 800, 600, false, -1, false, false, {}, {}, {}},
      {"same aspect, larger", 1600, 1200, false, 0, true, false, {0, 0, 1600, 1200}, {0, 0, 1600, 0}, {0, 1200, 1600, 1200}},
      {"same aspect, kept", 1600, 1200, true, 0, false, false, {}, {}, {}},
      {"4:3 on 16:10", 1280, 800, false, 0, true, true, {107, 0, 1173, 800}, {0, 0, 107, 800}, {1173, 0, 1280, 800}},
      {"4:3 on a square", 800, 800, false, 0, true, true, {0, 100, 800, 700}, {0, 0, 800, 100}, {0, 700, 800, 800}},
      {"no height", 1280, 0, false, 1, false, false, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(device_->SetContentSize(800, 600), 0);
    device_->ClearScaling();
    EXPECT_EQ(device_->FitToDisplay(c.width, c.height, c.keep), c.result);
    EXPECT_EQ(device_->Scaled(), c.scaled);
    if (c.result == 1) continue;
    EXPECT_EQ(device_->Borders(), c.borders);
    if (!c.scaled) continue;
    EXPECT_EQ(device_->PlacedRect(), c.placed);
    EXPECT_EQ(device_->BorderRects()[0], c.first);
    EXPECT_EQ(device_->BorderRects()[1], c.second);
  }
}

TEST_F(ScreenRig, ContentSizeBelowOneIsRefused) {
  EXPECT_EQ(device_->SetContentSize(0, 600), 1);
  EXPECT_EQ(device_->SetScreenMode(window_, true, false, false), 1);
  EXPECT_EQ(device_->SetContentSize(640, 480), 0);
  EXPECT_EQ(device_->ContentRect(), (Rect{0, 0, 640, 480}));
}

TEST_F(ScreenRig, RequestedWindowSizeKeepsTheContentAspect) {
  device_->SetContentSize(800, 600);
  struct Case {
    int32_t width, height;
    int result;
    int32_t w, h;
  };
  // The height from a width alone is content height x width / content width.
  const Case cases[] = {{1024, 0, 0, 1024, 768}, {0, 450, 0, 600, 450}, {1024, 576, 0, 768, 576},
                        {1024, 768, 0, 1024, 768}, {0, 0, 1, 0, 0},       {1, 0, 2, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
    device_->ClearRequestedSize();
    EXPECT_EQ(device_->SetWindowSizeKeepAspect(c.width, c.height), c.result);
    if (c.result != 0) continue;
    ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
    EXPECT_TRUE(device_->stretched);
    EXPECT_EQ(device_->displayRect, (Rect{0, 0, c.w, c.h}));
  }
}

// --- monitors ------------------------------------------------------------------------------

platform::DisplayMachine MachineWithModes(std::vector<platform::DisplayMode> modes) {
  platform::DisplayMachine machine = platform::FakeSingleDisplayMachine(true);
  machine.drivers[0].modes = std::move(modes);
  return machine;
}

MonitorList OneMonitor(int32_t width, int32_t height, uint8_t depth) {
  MonitorList list;
  orrivel::MonitorRecord monitor;
  monitor.monitor = 1;
  monitor.depth = depth;
  monitor.bounds = Rect{0, 0, width, height};
  monitor.workArea = monitor.bounds;
  monitor.deviceName = "display-0";
  monitor.deviceString = "Panel";
  monitor.isPrimary = true;
  list.SetRecords({monitor});
  return list;
}

TEST_F(ScreenRig, EnumMonitorsChoosesTheHeightAtTheContentWidth) {
  struct Case {
    const char* what;
    std::vector<platform::DisplayMode> modes;
    int32_t width, height;
    uint8_t exact;
    uint32_t mask;
    uint8_t has60;
  };
  // A 1280 x 1024 monitor: its aspect at 800 wide is 800 x 640.
  const Case cases[] = {
      {"the monitor's aspect first", {{800, 600, 32, 60}, {800, 640, 16, 75}}, 800, 640, 0, platform::kDepthFlag16, 0},
      {"then the content height", {{800, 480, 32, 60}, {800, 600, 32, 60}, {800, 600, 16, 60}}, 800, 600, 1,
       platform::kDepthFlag32 | platform::kDepthFlag16, 1},
      {"else the last other height met", {{800, 480, 32, 75}, {800, 500, 32, 75}, {640, 600, 32, 60}}, 800, 500, 0,
       platform::kDepthFlag32, 0},
      {"no mode at the content width", {{640, 480, 32, 60}}, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::ScopedDisplayMachine machine(MachineWithModes(c.modes));
    MonitorList monitors = OneMonitor(1280, 1024, 32);
    ASSERT_EQ(device_->EnumMonitors(&monitors, 800, 600, true), 0);
    ASSERT_EQ(device_->GetMonitorCount(), 1u);
    const DisplayScreenDevice::MonitorRecord* record = device_->Monitor(0);
    EXPECT_EQ(record->modeWidth, c.width);
    EXPECT_EQ(record->modeHeight, c.height);
    EXPECT_EQ(record->exact, c.exact);
    EXPECT_EQ(record->depthMask, c.mask);
    EXPECT_EQ(record->has60Hz, c.has60);
    EXPECT_EQ(record->displayName, "Panel");  // a single monitor gets no " (Primary)"
  }
}

TEST_F(ScreenRig, EnumMonitorsRefusesWhatItCannotMatch) {
  EXPECT_EQ(device_->EnumMonitors(nullptr, 800, 600, false), 1);
  MonitorList empty;
  empty.Clear();
  EXPECT_EQ(device_->EnumMonitors(&empty, 800, 600, false), 2);
  // Two drivers without a monitor of their own: neither can serve the monitor.
  platform::DisplayMachine machine = platform::FakeSingleDisplayMachine(true);
  machine.drivers.push_back(machine.drivers[0]);
  machine.drivers[1].id = platform::MakeGuid(7, 7, 7, 7);
  platform::ScopedDisplayMachine twoUnbound(machine);
  MonitorList monitors = OneMonitor(1280, 800, 32);
  EXPECT_EQ(device_->EnumMonitors(&monitors, 800, 600, false), 3);
}

TEST_F(ScreenRig, SelectMonitorChoosesTheDepthTheModeOffers) {
  struct Case {
    const char* what;
    std::vector<platform::DisplayMode> modes;
    uint8_t request;
    int result;
    uint8_t depth;
  };
  const Case cases[] = {
      {"a depth on offer stays", {{800, 600, 16, 60}, {800, 600, 32, 60}}, 16, 0, 16},
      {"else 32 first", {{800, 600, 16, 60}, {800, 600, 32, 60}}, 24, 0, 32},
      {"else 16", {{800, 600, 16, 60}}, 32, 0, 16},
      {"none on offer", {{800, 600, 8, 60}}, 32, 3, 0},
      {"0 takes the monitor's own depth", {{800, 600, 16, 60}}, 0, 0, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::ScopedDisplayMachine machine(MachineWithModes(c.modes));
    device_->SetContentSize(800, 600);
    MonitorList monitors = OneMonitor(1280, 800, 24);
    ASSERT_EQ(device_->EnumMonitors(&monitors, 800, 600, true), 0);
    EXPECT_EQ(device_->SelectMonitor(true, 0, 5, c.request, &monitors), c.result);
    if (c.result != 0) continue;
    EXPECT_EQ(device_->FullScreenDepth(), c.depth);
    // The exact 800 x 600 mode is switched to: no scaling.
    EXPECT_TRUE(device_->ChangesResolution());
    EXPECT_FALSE(device_->Scaled());
  }
  // The monitor's depths reach the display device in its own encoding.
  platform::ScopedDisplayMachine machine(MachineWithModes({{800, 600, 16, 60}, {800, 600, 32, 60}}));
  MonitorList monitors = OneMonitor(1280, 800, 32);
  ASSERT_EQ(device_->EnumMonitors(&monitors, 800, 600, true), 0);
  ASSERT_EQ(device_->SelectMonitor(false, 1, 0, 32, &monitors), 0);
  EXPECT_EQ(device_->DepthMask(), kDepthMask16 | kDepthMask32);
  // Without a mode change the monitor's own size is fitted: side borders.
  EXPECT_TRUE(device_->Scaled());
  EXPECT_EQ(device_->PlacedRect(), (Rect{107, 0, 1173, 800}));
}

// --- the routes of SetScreenMode --------------------------------------------------------------

platform::DisplayMachine MachineWithTextureCaps(uint32_t textureCaps, bool halFails = false) {
  platform::DisplayMachine machine = platform::FakeSingleDisplayMachine(true);
  for (platform::MachineDevice& device : machine.drivers[0].devices) {
    if (device.id == platform::kDeviceHal) {
      device.caps.textureCaps = textureCaps;
      device.failCreate = halFails;
    }
  }
  return machine;
}

TEST_F(ScreenRig, ScreenModeRoutes) {
  struct Case {
    const char* what;
    bool image, windowed, companion, halFails, fullScreenScaled;
    uint8_t method;
    int presentMethod;
    uint8_t methodAfter;
    bool directDraw;
  };
  const Case cases[] = {
      {"window, GDI drawing method", true, true, false, false, false, 0, 0, 0, false},
      {"window, drawing method 1 but not asked to enlarge", true, true, false, false, false, 1, 0, 1, false},
      {"window, drawing method 2 blits", true, true, true, false, false, 2, 1, 2, true},
      {"window, texture (the blit does not smooth)", true, true, true, false, false, 1, 2, 1, true},
      {"window, texture failing falls to GDI", true, true, true, true, false, 3, 0, 0, false},
      {"window without a screen image blits", false, true, false, false, false, 0, 1, 0, true},
      {"full screen, image unscaled: GDI", true, false, false, false, false, 3, 0, 3, true},
      {"full screen scaled, texture", true, false, false, false, true, 3, 2, 3, true},
      {"full screen scaled, texture failing blits", true, false, false, true, true, 3, 1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::ScopedDisplayMachine machine(MachineWithTextureCaps(0, c.halFails));
    DisplayScreenDevice device;
    Picture picture(800, 600);
    device.SetContentSize(800, 600);
    if (c.image) device.AttachScreenImage(&picture.image);
    device.SetDrawingMethod(c.method);
    device.SetDirectDrawWhenNotEnlarged(c.companion);
    device.SetSmoothFiltering(false);
    if (c.fullScreenScaled) {
      ASSERT_EQ(device.FitToDisplay(1280, 800, false), 0);
    }
    ASSERT_EQ(device.SetScreenMode(window_, c.windowed, false, false), 0);
    EXPECT_EQ(device.mode, c.windowed ? 2 : 1);
    EXPECT_EQ(device.GetPresentMethod(), c.presentMethod);
    EXPECT_EQ(device.drawingMethod, c.methodAfter);
    EXPECT_EQ(device.DirectDraw() != nullptr, c.directDraw);
    EXPECT_FALSE(device.flipChain);
    // Every route puts the picture on the screen.
    EXPECT_EQ(device.PresentFrame(), 0);
    EXPECT_EQ(device.UndrawnPresents(), 0u);
    if (c.image && !c.fullScreenScaled) {
      EXPECT_TRUE(ShowsPicture(0, 0, 800, 600));
    }
  }
}

TEST_F(ScreenRig, AFailedTextureKeepsTheBlitRouteForTheRestOfTheRun) {
  platform::ScopedDisplayMachine machine(MachineWithTextureCaps(0, true));
  Picture picture(800, 600);
  device_->AttachScreenImage(&picture.image);
  device_->SetDrawingMethod(3);
  ASSERT_EQ(device_->FitToDisplay(1280, 800, false), 0);
  ASSERT_EQ(device_->SetScreenMode(window_, false, false, false), 0);
  EXPECT_EQ(device_->GetPresentMethod(), 1);
  platform::ScopedDisplayMachine working(MachineWithTextureCaps(0, false));
  ASSERT_EQ(device_->SetScreenMode(window_, false, false, false), 0);
  EXPECT_EQ(device_->GetPresentMethod(), 1);
  EXPECT_EQ(device_->drawingMethod, 0);
  // The picture is stretched onto the placed rectangle between black borders.
  ASSERT_EQ(device_->PresentFrame(), 0);
  const HeadlessPresenter::Frame* frame = Shown();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, 1280);
  EXPECT_EQ(frame->pixels[size_t(400) * 1280 + 50], 0u);
  EXPECT_EQ(frame->pixels[size_t(400) * 1280 + 1230], 0u);
  EXPECT_EQ(frame->pixels[0 * 1280 + 107], Pattern(0, 0));
}

platform::DisplayMachine ExclusiveModeMachine() {
  platform::DisplayMachine machine = platform::FakeSingleDisplayMachine(true);
  machine.drivers[0].modesNeedExclusive = true;
  return machine;
}

// Full screen at the content's own mode, which only the exclusive level may set.
void EnterExclusiveFullScreen(DisplayScreenDevice& device, platform::WindowId window, bool tripleBuffer) {
  MonitorList monitors = OneMonitor(1280, 800, 32);
  device.SetContentSize(800, 600);
  ASSERT_EQ(device.EnumMonitors(&monitors, 800, 600, true), 0);
  ASSERT_EQ(device.SelectMonitor(true, 0, 0, 32, &monitors), 0);
  ASSERT_EQ(device.SetScreenMode(window, false, tripleBuffer, false), 0);
}

TEST_F(ScreenRig, AFlipChainOnlyWhenExclusiveWithoutAScreenImage) {
  platform::ScopedDisplayMachine machine(ExclusiveModeMachine());
  EnterExclusiveFullScreen(*device_, window_, true);
  EXPECT_TRUE(device_->exclusive);
  EXPECT_TRUE(device_->flipChain);
  EXPECT_TRUE(device_->TripleBuffer());
  EXPECT_EQ(device_->PrimarySurface()->BackBufferCount(), 2);

  Picture picture(800, 600);
  device_->AttachScreenImage(&picture.image);
  device_->SetDrawingMethod(2);
  ASSERT_EQ(device_->FitToDisplay(1280, 800, false), 0);
  ASSERT_EQ(device_->SetScreenMode(window_, false, false, false), 0);
  EXPECT_FALSE(device_->flipChain);

  // Without a mode change there is no exclusive level, hence no flip chain.
  DisplayScreenDevice plain;
  plain.SetContentSize(800, 600);
  ASSERT_EQ(plain.SetScreenMode(window_, false, false, false), 0);
  EXPECT_FALSE(plain.exclusive);
  EXPECT_FALSE(plain.flipChain);
  EXPECT_EQ(plain.GetPresentMethod(), 1);
}

// The full-screen window covers the 1280 x 800 monitor; what the window
// reads from the cursor must follow where the picture really lands, also
// when it fills the monitor without bars or when the mode switched to the
// content's own size (the presenter then enlarges the whole frame).
TEST_F(ScreenRig, FullScreenPublishesWhereThePictureLandsOnTheMonitor) {
  platform::ScopedDisplayMachine machine(ExclusiveModeMachine());
  struct Case {
    const char* what;
    int32_t width, height;
    bool image, changeResolution;
    bool letterbox;
    Rect shown, firstBar, secondBar;
  };
  const Case cases[] = {
      {"same aspect, enlarged without bars", 640, 400, true, false, true, {0, 0, 1280, 800}, {}, {}},
      {"4:3 enlarged with side bars", 800, 600, true, false, true, {107, 0, 1173, 800}, {0, 0, 107, 800},
       {1173, 0, 1280, 800}},
      {"the content's own mode, enlarged by the presenter", 800, 600, false, true, true, {107, 0, 1173, 800},
       {0, 0, 107, 800}, {1173, 0, 1280, 800}},
      {"the monitor's own size, shown 1:1", 1280, 800, true, false, false, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto device = std::make_unique<DisplayScreenDevice>();
    Picture picture(c.width, c.height);
    if (c.image) device->AttachScreenImage(&picture.image);
    device->SetContentSize(c.width, c.height);
    device->SetDrawingMethod(2);
    MonitorList monitors = OneMonitor(1280, 800, 32);
    ASSERT_EQ(device->EnumMonitors(&monitors, c.width, c.height, true), 0);
    ASSERT_EQ(device->SelectMonitor(c.changeResolution, 0, 0, 32, &monitors), 0);
    ASSERT_EQ(device->SetScreenMode(window_, false, false, false), 0);
    EXPECT_EQ(device->monitorRect, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(device->letterbox, c.letterbox);
    if (!c.letterbox) continue;
    EXPECT_EQ(device->displayRect, c.shown);
    EXPECT_EQ(device->letterboxBars[0], c.firstBar);
    EXPECT_EQ(device->letterboxBars[1], c.secondBar);
  }
}

TEST_F(ScreenRig, VsyncModeTwoBlitsWhileAMessageBoxIsUp) {
  platform::ScopedDisplayMachine machine(ExclusiveModeMachine());
  EnterExclusiveFullScreen(*device_, window_, false);
  ASSERT_TRUE(device_->flipChain);
  device_->SetVsyncMode(2);
  SoftSurface* primary = device_->PrimarySurface();
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(primary->FlipCount(), 1u);
  device_->BeginGdiDialog();
  EXPECT_TRUE(device_->MessageBoxUp());
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(primary->FlipCount(), 1u);
  EXPECT_EQ(device_->VblankWaits(), 1u);
  device_->EndGdiDialog();
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(primary->FlipCount(), 2u);
  // Mode 1 always waits and blits.
  device_->SetVsyncMode(1);
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(primary->FlipCount(), 2u);
  EXPECT_EQ(device_->VblankWaits(), 2u);
}

// Painting answers 0 once it showed the picture and the general failure
// value with nothing to paint from; the message-box bracket answers 1
// without a primary surface, 0 with one, and 0 without hardware (where
// there is nothing to bracket).
TEST_F(ScreenRig, PaintingAndTheMessageBoxBracketAnswerTheirCodes) {
  const platform::Rect all{0, 0, 800, 600};
  EXPECT_EQ(device_->PaintWindow(window_, all), ScreenDevice::kPaintFailed);
  EXPECT_EQ(device_->BeginGdiDialog(), 1);
  EXPECT_FALSE(device_->MessageBoxUp());
  EXPECT_EQ(device_->EndGdiDialog(), 1);
  ASSERT_EQ(device_->SetContentSize(800, 600), 0);
  ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
  ASSERT_NE(device_->PrimarySurface(), nullptr);
  EXPECT_EQ(device_->PaintWindow(window_, all), 0);
  EXPECT_EQ(device_->BeginGdiDialog(), 0);
  EXPECT_TRUE(device_->MessageBoxUp());
  EXPECT_EQ(device_->EndGdiDialog(), 0);
  EXPECT_FALSE(device_->MessageBoxUp());
}

class NoHardwareScreenRig : public ScreenRig {
 protected:
  NoHardwareScreenRig() : ScreenRig(platform::FakeNoHardwareMachine()) {}
};

TEST_F(NoHardwareScreenRig, PaintingAndTheMessageBoxBracketAnswerTheirCodes) {
  ASSERT_EQ(device_->SetContentSize(800, 600), 0);
  ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
  ASSERT_EQ(device_->PrimarySurface(), nullptr);
  const uint32_t shown = Shown() != nullptr ? Shown()->count : 0;
  EXPECT_EQ(device_->PaintWindow(window_, platform::Rect{0, 0, 800, 600}), 0);
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->count, shown + 1);
  EXPECT_EQ(device_->BeginGdiDialog(), 0);
  EXPECT_FALSE(device_->MessageBoxUp());
  EXPECT_EQ(device_->EndGdiDialog(), 0);
}

TEST_F(ScreenRig, ASquarePowerOfTwoDeviceGetsA1024Texture) {
  platform::ScopedDisplayMachine machine(
      MachineWithTextureCaps(platform::kTextureCapsPow2 | platform::kTextureCapsSquareOnly));
  Picture picture(800, 600);
  device_->AttachScreenImage(&picture.image);
  device_->SetDrawingMethod(3);
  device_->SetDirectDrawWhenNotEnlarged(true);
  ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
  ASSERT_EQ(device_->GetPresentMethod(), 2);
  EXPECT_EQ(device_->TextureWidth(), 1024);
  EXPECT_EQ(device_->TextureHeight(), 1024);
  EXPECT_TRUE(device_->Texture32());
  const float* quad = device_->ScreenQuad();
  const float expected[4][6] = {{-0.5f, -0.5f, 1, 1, 0, 0},
                                {799.5f, -0.5f, 1, 1, 0.78125f, 0},
                                {-0.5f, 599.5f, 1, 1, 0, 0.5859375f},
                                {799.5f, 599.5f, 1, 1, 0.78125f, 0.5859375f}};
  for (int v = 0; v < 4; ++v) {
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(quad[v * 6 + i], expected[v][i]) << v << "," << i;
  }
  // Point sampling at the content's own size shows the picture exactly.
  device_->SetSmoothFiltering(false);
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_TRUE(ShowsPicture(0, 0, 800, 600));
}

// --- lost surfaces ---------------------------------------------------------------------------

TEST_F(ScreenRig, ASurfaceLostBetweenFramesIsRestoredByTheNextPresent) {
  enum Which { kPrimary, kBack, kTexture };
  for (Which which : {kPrimary, kBack, kTexture}) {
    SCOPED_TRACE(int(which));
    DisplayScreenDevice device;
    Picture picture(800, 600);
    StartWindowed(device, picture, which == kTexture ? 3 : 2);
    ASSERT_EQ(device.GetPresentMethod(), which == kTexture ? 2 : 1);
    ASSERT_EQ(device.PresentFrame(), 0);
    ASSERT_TRUE(ShowsPicture(0, 0, 800, 600));
    SoftSurface* lost = which == kPrimary ? device.PrimarySurface()
                        : which == kBack  ? device.BackSurface()
                                          : device.ScreenTexture();
    lost->SetLost(true);
    EXPECT_EQ(device.PresentFrame(), 0);
    EXPECT_FALSE(lost->IsLost());
    // Whatever the loss took is drawn again, without any change of the picture.
    EXPECT_EQ(device.PresentFrame(), 0);
    EXPECT_TRUE(ShowsPicture(0, 0, 800, 600));
    EXPECT_EQ(device.UndrawnPresents(), 0u);
  }
}

TEST_F(ScreenRig, RestoreLostSurfacesCopiesThePictureWhole) {
  Picture picture(800, 600);
  StartWindowed(*device_, picture, 2);
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(device_->RestoreLostSurfaces(), 0);  // nothing lost
  device_->BackSurface()->SetLost(true);
  device_->PrimarySurface()->SetLost(true);
  EXPECT_EQ(device_->RestoreLostSurfaces(), 0);
  EXPECT_FALSE(device_->BackSurface()->IsLost());
  // The back surface holds the picture again; a present with nothing
  // changed does not need it to be dirty.
  SoftSurface* back = device_->BackSurface();
  platform::SurfaceLock lock;
  ASSERT_EQ(back->Lock(nullptr, &lock), platform::kSurfaceOk);
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(lock.bits + 5 * lock.pitch + 9 * 4) & 0xFFFFFF, Pattern(9, 5));
  back->Unlock();
}

TEST_F(ScreenRig, ARendererResetRedrawsTheWholeFrame) {
  Picture picture(800, 600);
  StartWindowed(*device_, picture, 2);
  ASSERT_EQ(device_->PresentFrame(), 0);
  const uint32_t shown = device_->FramesShown();
  ASSERT_EQ(device_->PresentFrame(), 0);  // nothing changed: nothing shown
  EXPECT_EQ(device_->FramesShown(), shown);
  backend_.Frames().RaiseDeviceReset();
  ASSERT_EQ(device_->PresentFrame(), 0);
  ASSERT_EQ(device_->PresentFrame(), 0);
  EXPECT_GT(device_->FramesShown(), shown);
  EXPECT_TRUE(ShowsPicture(0, 0, 800, 600));
}

TEST_F(ScreenRig, OnlyTheChangedBandGoesToTheScreen) {
  Picture picture(800, 600);
  StartWindowed(*device_, picture, 2);
  ASSERT_EQ(device_->PresentFrame(), 0);
  const Rect band{0, 500, 800, 524};
  picture.image.GetSurface()->FillRgb(255, 255, 255, &band);
  picture.image.AddDirty(&band);
  ASSERT_EQ(device_->PresentFrame(), 0);
  const HeadlessPresenter::Frame* frame = Shown();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->lastDirty, band);
  EXPECT_EQ(frame->pixels[size_t(510) * 800 + 3], 0xFFFFFFu);
  EXPECT_TRUE(ShowsPicture(0, 0, 800, 500));
}

TEST_F(ScreenRig, APresentThatCannotDrawIsCountedNotTakenAsDrawn) {
  Picture picture(800, 600);
  StartWindowed(*device_, picture, 2);
  device_->BackSurface()->SetBusy(1);  // the picture's lock is refused once
  picture.image.AddDirty(nullptr);
  EXPECT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(device_->UndrawnPresents(), 1u);
  EXPECT_EQ(device_->FramesShown(), 0u);
}

TEST_F(ScreenRig, TheScreenImageIsAListedCanvasUntilScriptsDeleteIt) {
  uint32_t handle = 7;
  EXPECT_EQ(device_->CreateCanvasDrawObjectForSource(&handle, 320, 240, 32, 0), 2);  // no creator yet
  EXPECT_EQ(handle, 0u);
  DisplayScreenDevice::SetCanvasCreator(&CreateCanvasDrawObjectForSource);
  ASSERT_EQ(device_->CreateCanvasDrawObjectForSource(&handle, 320, 240, 32, 0), 0);
  DisplayScreenDevice::SetCanvasCreator(nullptr);
  device_->SetScreenImage(handle, 0);
  ASSERT_NE(device_->GetScreenImage(), nullptr);
  EXPECT_EQ(device_->canvas, handle);
  EXPECT_EQ(device_->ContentRect(), (Rect{0, 0, 320, 240}));
  ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
  EXPECT_EQ(device_->PresentFrame(), 0);
  // A deleted screen image is no screen image any more.
  ASSERT_EQ(device_->RemoveImage(handle), 0);
  EXPECT_EQ(device_->PresentFrame(), 0);
  EXPECT_EQ(device_->GetScreenImage(), nullptr);
  EXPECT_EQ(device_->canvas, 0u);
  // A handle of something that is no canvas attaches nothing.
  device_->SetScreenImage(12345, 0);
  EXPECT_EQ(device_->GetScreenImage(), nullptr);
}

// Whatever deletes the listed screen canvas (one handle as native 240
// does, all objects as native 197 does, or its group), the device lets go
// of it at once: an expose before the next frame paints nothing freed.
TEST_F(ScreenRig, ADeletedScreenCanvasIsDroppedAtOnceWhateverDeletesIt) {
  const struct {
    const char* what;
    std::function<void(DisplayScreenDevice&, uint32_t)> remove;
  } cases[] = {
      {"its handle", [](DisplayScreenDevice& d, uint32_t h) { ASSERT_EQ(d.RemoveImage(h), 0); }},
      {"all objects", [](DisplayScreenDevice& d, uint32_t) { d.DeleteAll(); }},
      {"its group", [](DisplayScreenDevice& d, uint32_t) { d.DeleteByGroup(0, 1); }},
  };
  DisplayScreenDevice::SetCanvasCreator(&CreateCanvasDrawObjectForSource);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    uint32_t handle = 0;
    ASSERT_EQ(device_->CreateCanvasDrawObjectForSource(&handle, 320, 240, 32, 0), 0);
    device_->SetScreenImage(handle, 0);
    ASSERT_NE(device_->GetScreenImage(), nullptr);
    ASSERT_EQ(device_->SetScreenMode(window_, true, false, false), 0);
    EXPECT_EQ(device_->PresentFrame(), 0);
    c.remove(*device_, handle);
    EXPECT_EQ(device_->GetScreenImage(), nullptr);
    EXPECT_EQ(device_->canvas, 0u);
    device_->PaintWindow(window_, platform::Rect{0, 0, 320, 240});
    EXPECT_EQ(device_->PresentFrame(), 0);
  }
  DisplayScreenDevice::SetCanvasCreator(nullptr);
}

// --- real display modes ------------------------------------------------------------------------

// A display whose mode can be changed: it offers its modes, notes what it is
// told, and can refuse every change, as the SDL one does when the display
// will not take a mode.
class FakeDisplay : public platform::DisplayModeSwitch {
 public:
  explicit FakeDisplay(std::vector<platform::DisplayMode> offered) : offered_(std::move(offered)) {}
  bool refuse = false;
  std::vector<std::string> log;

 protected:
  std::vector<platform::DisplayMode> OfferedModes(platform::WindowId) override { return offered_; }
  bool Enter(platform::WindowId window, const platform::DisplayMode& mode) override {
    if (refuse) return false;
    log.push_back("enter " + std::to_string(window) + " " + std::to_string(mode.width) + "x" +
                  std::to_string(mode.height) + "x" + std::to_string(mode.depth));
    return true;
  }
  void Leave(platform::WindowId window) override { log.push_back("leave " + std::to_string(window)); }

 private:
  std::vector<platform::DisplayMode> offered_;
};

// Full screen with a mode change for an 800 x 600 picture, through the
// DirectDraw route or the display-settings route.
void EnterChangedFullScreen(DisplayScreenDevice& device, platform::WindowId window, Picture& picture,
                            bool throughDirectDraw) {
  device.SetContentSize(800, 600);
  device.AttachScreenImage(&picture.image);
  device.SetDrawingMethod(2);
  MonitorList monitors = OneMonitor(1280, 800, 32);
  ASSERT_EQ(device.EnumMonitors(&monitors, 800, 600, throughDirectDraw), 0);
  ASSERT_EQ(device.SelectMonitor(true, 0, 0, 32, &monitors), 0);
  ASSERT_EQ(device.SetScreenMode(window, false, false, false), 0);
}

TEST_F(ScreenRig, FullScreenSwitchesTheDisplayAndLeavingGivesTheDesktopItsModeBack) {
  for (const bool throughDirectDraw : {true, false}) {
    SCOPED_TRACE(throughDirectDraw ? "DirectDraw" : "display settings");
    FakeDisplay display({{1280, 800, 32, 60}, {800, 600, 16, 60}, {800, 600, 32, 60}, {640, 480, 32, 60}});
    platform::ScopedDisplayModeSwitch scope(display);
    const std::string enter = "enter " + std::to_string(window_) + " 800x600x32";
    const std::string leave = "leave " + std::to_string(window_);
    auto device = std::make_unique<DisplayScreenDevice>();
    Picture picture(800, 600);
    EnterChangedFullScreen(*device, window_, picture, throughDirectDraw);
    EXPECT_EQ(display.log, (std::vector<std::string>{enter}));
    ASSERT_TRUE(display.Holds(window_));
    EXPECT_FALSE(device->Scaled());
    // The picture fills the mode 1:1.
    ASSERT_EQ(device->PresentFrame(), 0);
    EXPECT_TRUE(ShowsPicture(0, 0, 800, 600));
    EXPECT_EQ(Shown()->width, 800);
    // A window gives the desktop its mode back; full screen takes it again,
    // and the device's end gives it back once more.
    ASSERT_EQ(device->SetScreenMode(window_, true, false, false), 0);
    EXPECT_EQ(display.log, (std::vector<std::string>{enter, leave}));
    EXPECT_FALSE(display.ModeInForce().has_value());
    ASSERT_EQ(device->SetScreenMode(window_, false, false, false), 0);
    device.reset();
    EXPECT_EQ(display.log, (std::vector<std::string>{enter, leave, enter, leave}));
    EXPECT_FALSE(display.ModeInForce().has_value());
  }
}

TEST_F(ScreenRig, WithoutTheGamesSizeTheNearestLargerModeShowsThePictureCentred) {
  for (const bool throughDirectDraw : {true, false}) {
    SCOPED_TRACE(throughDirectDraw ? "DirectDraw" : "display settings");
    FakeDisplay display({{1280, 800, 32, 60}, {1152, 864, 32, 60}, {1024, 768, 32, 60}, {640, 480, 32, 60}});
    platform::ScopedDisplayModeSwitch scope(display);
    auto device = std::make_unique<DisplayScreenDevice>();
    Picture picture(800, 600);
    EnterChangedFullScreen(*device, window_, picture, throughDirectDraw);
    EXPECT_EQ(display.log, (std::vector<std::string>{"enter " + std::to_string(window_) + " 1024x768x32"}));
    ASSERT_EQ(device->PresentFrame(), 0);
    const HeadlessPresenter::Frame* frame = Shown();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->width, 1024);
    ASSERT_EQ(frame->height, 768);
    EXPECT_TRUE(ShowsPicture(112, 84, 800, 600));
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{111, 300}, std::pair{912, 300}, std::pair{500, 83},
                               std::pair{500, 684}, std::pair{1023, 767}}) {
      EXPECT_EQ(frame->pixels[size_t(y) * 1024 + size_t(x)], 0u) << x << "," << y;
    }
    // The cursor is read in the mode's pixels: the picture's place there.
    EXPECT_TRUE(device->letterbox);
    EXPECT_EQ(device->displayRect, (Rect{112, 84, 912, 684}));
    EXPECT_EQ(device->monitorRect, (Rect{0, 0, 1024, 768}));
  }
}

TEST_F(ScreenRig, WhenTheDisplayRefusesTheDesktopsModeStaysWithThePictureScaled) {
  struct Case {
    const char* what;
    std::vector<platform::DisplayMode> offered;
    bool refuse;
    bool throughDirectDraw;
  };
  const Case cases[] = {
      {"the display refuses the mode", {{800, 600, 32, 60}}, true, true},
      {"no mode as large as the picture", {{640, 480, 32, 60}, {800, 480, 32, 60}}, false, true},
      {"the display refuses the settings' change", {{800, 600, 32, 60}}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDisplay display(c.offered);
    display.refuse = c.refuse;
    platform::ScopedDisplayModeSwitch scope(display);
    auto device = std::make_unique<DisplayScreenDevice>();
    Picture picture(800, 600);
    EnterChangedFullScreen(*device, window_, picture, c.throughDirectDraw);
    EXPECT_TRUE(display.log.empty());
    EXPECT_FALSE(display.ModeInForce().has_value());
    EXPECT_EQ(device->mode, 1);
    EXPECT_FALSE(device->exclusive);
    // The desktop's 1280 x 800 with the 4:3 picture between side bands.
    EXPECT_TRUE(device->Scaled());
    EXPECT_EQ(device->PlacedRect(), (Rect{107, 0, 1173, 800}));
    ASSERT_EQ(device->PresentFrame(), 0);
    const HeadlessPresenter::Frame* frame = Shown();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 1280);
    EXPECT_EQ(frame->pixels[size_t(400) * 1280 + 50], 0u);
    EXPECT_EQ(frame->pixels[0 * 1280 + 107], Pattern(0, 0));
  }
}

// --- the headless presenter ------------------------------------------------------------------

TEST(HeadlessPresenterTest, ScalesWithBordersAndWritesPng) {
  SoftSurface frame;
  ASSERT_EQ(frame.Create(4, 3, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  ASSERT_EQ(frame.ColorFill(nullptr, 0x00FF8040), platform::kSurfaceOk);
  HeadlessPresenter presenter;
  presenter.SetOutputSize(7, 16, 10);
  ASSERT_EQ(presenter.Present(7, frame, Rect{0, 0, 4, 3}, nullptr, {}), platform::kPresentOk);
  const HeadlessPresenter::Frame* shown = presenter.LastFrame(7);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(platform::FitRect(4, 3, 16, 10), (Rect{1, 0, 14, 10}));
  EXPECT_EQ(shown->pixels[0], 0u);                  // left border
  EXPECT_EQ(shown->pixels[15], 0u);                 // right border
  EXPECT_EQ(shown->pixels[5 * 16 + 7], 0xFF8040u);  // the picture
  EXPECT_EQ(presenter.Present(7, frame, Rect{0, 0, 5, 3}, nullptr, {}), platform::kPresentInvalid);

  const std::string path = ::testing::TempDir() + "headless-frame.png";
  ASSERT_TRUE(presenter.WritePng(7, path));
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 8u + 16 * 10 * 3);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orrivel
