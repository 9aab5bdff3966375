#include "display/DisplayScreenDevice.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <functional>

#include "base/ScopedLock.h"
#include "platform/Backend.h"
#include "platform/DisplayModeSwitch.h"
#include "platform/PixelLayout.h"
#include "platform/Presenter.h"
#include "raster/PixelFormat.h"

namespace orrivel {

using platform::SoftSurface;
using platform::SurfaceRequest;

namespace {

DisplayScreenDevice::CanvasCreator g_canvasCreator = nullptr;

uint32_t FormatCodeOf(SoftSurface* surface) {
  return surface != nullptr ? GetSurfacePixelFormat(surface, nullptr, nullptr) : kPixelFormatUnreadable;
}

uint8_t DesktopDepth() {
  const uint8_t depth = platform::CurrentBackend().DesktopMode().depth;
  return depth != 0 ? depth : 32;
}

int32_t NextPowerOfTwo(int32_t value) {
  return value <= 1 ? 1 : int32_t(std::bit_ceil(uint32_t(value)));
}

bool LostOrBusy(int result) { return result == platform::kSurfaceLost || result == platform::kSurfaceBusy; }

// The window's picture on the GDI route: the screen image draws into it
// through its device context, and releasing the context shows it.
class WindowFrameDc : public WindowDcSource {
 public:
  WindowFrameDc(SoftSurface* frame, std::function<void()> shown) : frame_(frame), shown_(std::move(shown)) {}
  bool GetDC(platform::SurfaceDc* out) override {
    return frame_ != nullptr && frame_->GetDC(out) == platform::kSurfaceOk;
  }
  void ReleaseDC(const platform::SurfaceDc& dc) override {
    frame_->ReleaseDC(dc);
    shown_();
  }

 private:
  SoftSurface* frame_;
  std::function<void()> shown_;
};

}  // namespace

void DisplayScreenDevice::SetCanvasCreator(CanvasCreator creator) { g_canvasCreator = creator; }

DisplayScreenDevice* CurrentDisplayScreen() { return dynamic_cast<DisplayScreenDevice*>(CurrentScreenDevice()); }

DisplayScreenDevice::DisplayScreenDevice() : DrawObjectManager(nullptr) {
  SetDevice(this);
  screenImage_.SetOnBroken([this] { ForgetScreenImage(); });
  drawingMethod = kDrawGdi;
  drawingCompanion = false;
  contentWidth = 0;
  contentHeight = 0;
  for (auto& vertex : quad_) {
    vertex[0] = vertex[1] = -0.5f;
    vertex[2] = vertex[3] = 1.0f;
    vertex[4] = vertex[5] = 0.0f;
  }
}

DisplayScreenDevice::~DisplayScreenDevice() {
  ForgetScreenImage();
  ReleaseScreenSurfaces();
  D3DDevice::ReleaseDevice();
  DeleteAll();
  DeleteAllFonts();
  RestoreDisplaySettings();
  ClearMonitorList();
  Registry().Clear();
}

// --- settings ------------------------------------------------------------------------------

int DisplayScreenDevice::SetContentSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return 1;
  contentWidth = width;
  contentHeight = height;
  return 0;
}

int DisplayScreenDevice::CreateCanvasDrawObjectForSource(uint32_t* outCanvas, int32_t width, int32_t height,
                                                         int bits, int flag) {
  if (outCanvas != nullptr) *outCanvas = 0;
  if (g_canvasCreator == nullptr) return 2;
  return g_canvasCreator(*this, outCanvas, width, height, uint8_t(bits), uint8_t(flag));
}

void DisplayScreenDevice::SetScreenImage(uint32_t handle, int flag) {
  ScopedLock lock(lock_);
  ScreenImage* image = dynamic_cast<ScreenImage*>(GetImage(handle));
  AttachScreenImage(image);
  attachedByHandle_ = image != nullptr;
  canvas = image != nullptr ? handle : 0;
  canvasFlag = flag;
}

void DisplayScreenDevice::ForgetScreenImage() {
  ScopedLock lock(lock_);
  screenImage_.Reset();
  attachedByHandle_ = false;
  canvas = 0;
}

void DisplayScreenDevice::AttachScreenImage(ScreenImage* image) {
  ScopedLock lock(lock_);
  screenImage_.Reset(image);
  attachedByHandle_ = false;
  canvas = 0;
  if (image == nullptr) return;
  image->NotifySurfacesChanged();
  contentWidth = image->ImageWidth();
  contentHeight = image->ImageHeight();
}

int DisplayScreenDevice::SetWindowSizeKeepAspect(int32_t width, int32_t height) {
  if (width < 1 && height <= 0) return 1;
  const int64_t cw = std::max(1, contentWidth), ch = std::max(1, contentHeight);
  int64_t w = width, h = height;
  // Products before quotients: content height / content width alone is 0
  // for every content wider than high.
  if (height <= 0) {
    h = ch * w / cw;
  } else if (width < 1) {
    w = cw * h / ch;
  } else if (w * ch != h * cw) {
    w = h * cw / ch;
  }
  if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX) return 2;
  requestedWidth_ = int32_t(w);
  requestedHeight_ = int32_t(h);
  windowSizeRequested_ = 1;
  return 0;
}

void DisplayScreenDevice::SetBackgroundColor(uint8_t r, uint8_t g, uint8_t b) {
  background_[0] = r;
  background_[1] = g;
  background_[2] = b;
}

// --- monitors ------------------------------------------------------------------------------

void DisplayScreenDevice::ClearMonitorList() {
  selected_ = nullptr;
  monitorRecords_.clear();
}

const DisplayScreenDevice::MonitorRecord* DisplayScreenDevice::Monitor(size_t index) const {
  return index < monitorRecords_.size() ? monitorRecords_[index].get() : nullptr;
}

int DisplayScreenDevice::EnumMonitors(MonitorList& monitors, int32_t width, int32_t height) {
  return EnumMonitors(&monitors, width, height, modeChangeWish_ != 0);
}

int DisplayScreenDevice::EnumMonitors(const MonitorList* monitors, int32_t width, int32_t height,
                                      bool useDirectDraw) {
  if (monitors == nullptr) return 1;
  ClearMonitorList();
  DisplayDevice::EnumerateDrivers(0, 1);
  if (monitors->GetCount() == 0) return 2;
  const std::vector<DriverRecord>& drivers = DisplayDevice::Drivers();
  for (size_t i = 0; i < monitors->GetCount(); ++i) {
    const orrivel::MonitorRecord& entry = (*monitors)[i];
    const int32_t monitorWidth = entry.bounds.Width();
    const int32_t aspectHeight =
        monitorWidth > 0 ? int32_t(int64_t(entry.bounds.Height()) * width / monitorWidth) : 0;
    const DriverRecord* driver = nullptr;
    for (const DriverRecord& d : drivers) {
      if (d.monitor == entry.monitor) driver = &d;
    }
    if (driver == nullptr) {
      int unbound = 0;
      for (const DriverRecord& d : drivers) {
        if (d.monitor == 0) {
          driver = &d;
          ++unbound;
        }
      }
      if (unbound != 1) return 3;
    }
    auto record = std::make_unique<MonitorRecord>();
    record->monitor = entry.monitor;
    record->primaryByte = entry.depth;
    record->deviceName = entry.deviceName;
    record->displayName = entry.deviceString;
    if (entry.isPrimary && monitors->GetCount() >= 2) record->displayName += " (Primary)";
    record->driver = driver->id;
    record->driverByte = driver->windowed;
    for (const DriverDeviceEntry& device : driver->devices) {
      if (!device.hardware) continue;
      record->device = device.id;
      record->deviceWord = device.desc.renderDepths;
      break;
    }
    if (entry.isPrimary) DisplayDevice::SetPrimaryDriverId(driver->id);
    // The height at the content's width: the monitor's own aspect, else the
    // content's height, else the last other height met.
    bool aspectFound = false, contentFound = false;
    int32_t lastOther = 0;
    for (const platform::DisplayMode& m : driver->modes) {
      if (m.width != width) continue;
      if (m.height == aspectHeight) aspectFound = true;
      else if (m.height == height) contentFound = true;
      else lastOther = m.height;
    }
    const int32_t chosen = aspectFound ? aspectHeight : contentFound ? height : lastOther;
    for (const platform::DisplayMode& m : driver->modes) {
      if (chosen == 0 || m.width != width || m.height != chosen) continue;
      record->depthMask |= platform::DepthFlagForBits(m.depth);
      if (m.refresh == 60) record->has60Hz = 1;
    }
    if (chosen != 0 && record->depthMask != 0) {
      record->modeWidth = width;
      record->modeHeight = chosen;
      record->exact = chosen == height ? 1 : 0;
    }
    // The settings of the monitor's device and the driver's mode list are
    // one list here, so useDirectDraw only chooses the mode-change route.
    monitorRecords_.push_back(std::move(record));
  }
  changeResolutionThroughDd_ = useDirectDraw ? 1 : 0;
  return 0;
}

int DisplayScreenDevice::SelectMonitor(bool changeResolution, uint32_t monitor, int32_t index, uint8_t depth,
                                       const MonitorList* monitors) {
  if (monitorRecords_.empty()) return 1;
  MonitorRecord* record = nullptr;
  if (monitor != 0) {
    for (auto& r : monitorRecords_) {
      if (r->monitor == monitor) record = r.get();
    }
  } else {
    const bool inside = index >= 0 && size_t(index) < monitorRecords_.size();
    record = monitorRecords_[inside ? size_t(index) : 0].get();
  }
  if (record == nullptr) return 1;
  if (record != selected_) {
    selected_ = record;
    SetMonitorModes(record->depthMask, record->has60Hz);
  }
  const bool hasMode = record->modeWidth != 0 && record->modeHeight != 0;
  changeResolution_ = hasMode && changeResolution ? 1 : 0;
  if (depth != 0) {
    if ((record->depthMask & platform::DepthFlagForBits(depth)) == 0) {
      depth = 0;
      for (uint8_t bits : {uint8_t(32), uint8_t(24), uint8_t(16)}) {
        if (record->depthMask & platform::DepthFlagForBits(bits)) {
          depth = bits;
          break;
        }
      }
      if (depth == 0) return 3;
    }
  } else {
    depth = record->primaryByte != 0 ? record->primaryByte : DesktopDepth();
  }
  fullScreenDepth_ = depth;
  fullScreenMonitorRect_ = platform::Rect{};
  if (monitors != nullptr) {
    fullScreenMonitor_ = record->monitor;
    monitors->GetMonitorRect(fullScreenMonitorRect_, record->monitor);
  }
  int32_t width, height;
  if (changeResolution_) {
    if (record->exact) {
      ClearScaling();
      return 0;
    }
    width = record->modeWidth;
    height = record->modeHeight;
  } else if (monitors != nullptr && monitors->Find(record->monitor) != nullptr) {
    const platform::Rect& bounds = monitors->Find(record->monitor)->bounds;
    width = bounds.Width();
    height = bounds.Height();
  } else {
    const platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
    width = desktop.width;
    height = desktop.height;
  }
  return FitToDisplay(width, height, false) < 1 ? 0 : 4;
}

int DisplayScreenDevice::FitToDisplay(int32_t width, int32_t height, bool keepIfSameAspect) {
  if (width <= 0 || height <= 0 || contentWidth <= 0 || contentHeight <= 0) return 1;
  const double displayAspect = double(width) / height;
  const double contentAspect = double(contentWidth) / contentHeight;
  if (displayAspect == contentAspect) {
    borders_ = 0;
    if (width == contentWidth) {
      ClearScaling();
      return -1;
    }
    if (keepIfSameAspect) {
      ClearScaling();
      return 0;
    }
  }
  if (displayAspect <= contentAspect) {
    const int32_t placedHeight = int32_t(int64_t(contentHeight) * width / contentWidth);
    const int32_t y = (height - placedHeight) >> 1;
    placed_ = Rect{0, y, width, y + placedHeight};
    borderRects_[0] = Rect{0, 0, width, y};
    borderRects_[1] = Rect{0, y + placedHeight, width, height};
  } else {
    const int32_t placedWidth = int32_t(int64_t(contentWidth) * height / contentHeight);
    const int32_t x = (width - placedWidth) >> 1;
    placed_ = Rect{x, 0, x + placedWidth, height};
    borderRects_[0] = Rect{0, 0, x, height};
    borderRects_[1] = Rect{x + placedWidth, 0, width, height};
  }
  outputWidth_ = displayWidth_ = width;
  outputHeight_ = displayHeight_ = height;
  borders_ = displayAspect != contentAspect ? 1 : 0;
  scaled_ = 1;
  return 0;
}

void DisplayScreenDevice::ClearScaling() {
  scaled_ = 0;
  outputWidth_ = contentWidth;
  outputHeight_ = contentHeight;
}

int DisplayScreenDevice::ChangeDisplaySettings(int32_t width, int32_t height, const std::string& deviceName) {
  RestoreDisplaySettings();
  // The change is refused for a size no driver offers. Where the display's
  // mode can really be changed, the display switches to that size (or the
  // nearest larger) for the full-screen window; 2 when it cannot.
  bool offered = false;
  for (const platform::MachineDriver& driver : platform::CurrentDisplayMachine().drivers) {
    for (const platform::DisplayMode& m : driver.modes) offered = offered || (m.width == width && m.height == height);
  }
  if (!offered) return 1;
  if (platform::DisplayModeSwitch* display = platform::CurrentDisplayModeSwitch()) {
    // Only the size changes: the desktop's depth stays.
    if (!display->SwitchTo(window_, width, height, platform::CurrentBackend().DesktopMode().depth)) return 2;
    displaySwitched_ = 1;
  }
  changedDeviceName_ = deviceName;
  displaySettingsChanged_ = 1;
  return 0;
}

int DisplayScreenDevice::RestoreDisplaySettings() {
  if (!displaySettingsChanged_) return 1;
  if (displaySwitched_) {
    displaySwitched_ = 0;
    if (platform::DisplayModeSwitch* display = platform::CurrentDisplayModeSwitch()) display->Restore();
  }
  displaySettingsChanged_ = 0;
  changedDeviceName_.clear();
  return 0;
}

// --- modes ---------------------------------------------------------------------------------

int DisplayScreenDevice::SetScreenMode(platform::WindowId window, bool windowed, bool tripleBuffer,
                                       bool deviceOption) {
  if (contentWidth < 1 || contentHeight < 1) return 1;
  ScopedLock lock(lock_);
  ReleaseScreenSurfaces();
  if (useDirect3D_) D3DDevice::ReleaseDevice();
  window_ = window;
  requestedSizeInUse_ = 0;
  scaledFullScreenActive_ = 0;
  platform::CurrentBackend().ScreenPresenter().Forget(window);
  const int result = windowed ? SetWindowedMode(deviceOption ? 1 : 0) : SetFullScreenMode(tripleBuffer, deviceOption ? 1 : 0);
  if (result == 0 && platform::CurrentBackend().IsWindow(window)) {
    platform::CurrentBackend().SetFullScreen(window, !windowed);
  }
  PublishState();
  return result;
}

void DisplayScreenDevice::UseGdiPresentation() {
  DisplayDevice::Release();
  colorDepth_ = DesktopDepth();
  primaryCaps_ = backCaps_ = backFormatCode_ = 0;
}

int DisplayScreenDevice::SetWindowedMode(int deviceOption) {
  mode = 2;
  DisplayDevice::Release();
  if (!changeResolutionThroughDd_) RestoreDisplaySettings();
  if (screenImage_ != nullptr && !(drawingMethod != kDrawGdi && (drawingCompanion || windowSizeRequested_))) {
    UseGdiPresentation();
    return 0;
  }
  if (DisplayDevice::Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0) != 0) return 1;
  if (DisplayDevice::RestoreWindowMode(false) != 0) return 2;
  const bool textureWish = screenImage_ != nullptr &&
                           ((drawingMethod == kDrawBlitOrTexture && !StretchBltSmooths()) || drawingMethod == kDrawTexture);
  const int surfaces = CreateWindowSurfaces(useDirect3D_ || textureWish, textureWish);
  if (surfaces != 0) return surfaces + 2;
  requestedSizeInUse_ = windowSizeRequested_;
  return FinishMode(textureWish, deviceOption);
}

int DisplayScreenDevice::SetFullScreenMode(bool tripleBuffer, int deviceOption) {
  mode = 0;
  const MonitorRecord* m = selected_;
  if (DisplayDevice::Create(0, 0, m ? &m->driver : nullptr, m ? &m->device : nullptr, m ? m->deviceWord : 0,
             m ? m->driverByte : 0, 0, 0, 0, 1, 0) != 0) {
    return 1;
  }
  int32_t width = contentWidth, height = contentHeight;
  if (scaled_) {
    width = displayWidth_;
    height = displayHeight_;
    scaledFullScreenActive_ = 1;
  }
  bool displayRefused = false;
  if (changeResolution_) {
    if (changeResolutionThroughDd_) {
      const int set = DisplayDevice::SetDisplayMode(window_, width, height, fullScreenDepth_, prefer60Hz_ != 0);
      displayRefused = set == kDisplayRefusedMode;
      if (set != 0 && !displayRefused) return 2;
    } else {
      const int changed = ChangeDisplaySettings(width, height, m ? m->deviceName : std::string());
      displayRefused = changed == 2;
      if (changed != 0 && !displayRefused) return 2;
      if (!displayRefused && DisplayDevice::RestoreWindowMode(false) != 0) return 2;
    }
  }
  if (displayRefused) FitToDesktop();
  if ((!changeResolution_ || displayRefused) && DisplayDevice::RestoreWindowMode(false) != 0) return 2;
  monitorOriginX_ = fullScreenMonitor_ != 0 ? fullScreenMonitorRect_.left : 0;
  monitorOriginY_ = fullScreenMonitor_ != 0 ? fullScreenMonitorRect_.top : 0;
  mode = 1;
  CentreInLargerMode();
  if (screenImage_ != nullptr && !scaled_ && !centred_) {
    // The picture goes through GDI into the full-screen window.
    primaryCaps_ = backCaps_ = backFormatCode_ = 0;
    colorDepth_ = uint8_t(ddraw_->CurrentMode().depth);
    return 0;
  }
  bool textureWish = screenImage_ != nullptr && scaled_ &&
                     ((drawingMethod == kDrawBlitOrTexture && !StretchBltSmooths()) || drawingMethod == kDrawTexture);
  for (;;) {
    const int surfaces = CreateFullScreenSurfaces(useDirect3D_ || textureWish, tripleBuffer);
    if (surfaces != 0) {
      if (!textureWish) return surfaces + 2;
      textureWish = false;
      drawingMethod = kDrawGdi;
      continue;
    }
    const int finished = FinishMode(textureWish, deviceOption);
    if (finished != kRetryPlain) return finished;
    textureWish = false;
  }
}

void DisplayScreenDevice::FitToDesktop() {
  // The display keeps the desktop's mode: the picture is scaled into it.
  const platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
  if (FitToDisplay(desktop.width, desktop.height, false) == 0 && scaled_) scaledFullScreenActive_ = 1;
}

void DisplayScreenDevice::CentreInLargerMode() {
  centred_ = 0;
  const platform::DisplayModeSwitch* display = platform::CurrentDisplayModeSwitch();
  if (scaled_ || display == nullptr || !display->Holds(window_)) return;
  // The nearest larger mode shows the picture unscaled in its middle.
  const platform::DisplayMode shown = *display->ModeInForce();
  if (shown.width == contentWidth && shown.height == contentHeight) return;
  const int32_t x = (shown.width - contentWidth) / 2, y = (shown.height - contentHeight) / 2;
  placed_ = Rect{x, y, x + contentWidth, y + contentHeight};
  centred_ = 1;
  scaledFullScreenActive_ = 1;
}

int DisplayScreenDevice::FinishMode(bool textureWish, int deviceOption) {
  PixelFormatInfo info;
  uint32_t code = GetSurfacePixelFormat(back_, &info, nullptr);
  if (code < kPixelFormatIndexed8) {
    ReleaseScreenSurfaces();
    return 7;
  }
  if (screenImage_ != nullptr) {
    // The picture never carries alpha to the screen.
    if (code == kPixelFormatA1R5G5B5) code = kPixelFormatX1R5G5B5;
    if (code == kPixelFormatA8R8G8B8) code = kPixelFormatX8R8G8B8;
  }
  backFormatCode_ = code;
  colorDepth_ = info.bitCount;
  SetDisplayDepth(colorDepth_);
  if (primary_) BlitConvertFormat(primary_.get(), nullptr, 0, 0, 0, nullptr, 0);
  FillBackground();
  if (!textureWish) {
    if (useDirect3D_) {
      const Rect content = ContentRect();
      const int created = D3DDevice::CreateDevice(back_, &content, deviceOption);
      // A device without a z-buffer is usable: only a device not made fails the switch.
      if (D3DDeviceCreationFailed(created)) {
        ReleaseScreenSurfaces();
        return created + 7;
      }
      deviceOption_ = deviceOption;
    }
  } else if (CreateScreenTexture() != 0) {
    ReleaseScreenSurfaces();
    drawingMethod = kDrawGdi;
    if (mode == 2) {
      UseGdiPresentation();
      return 0;
    }
    return kRetryPlain;
  }
  if (screenImage_ == nullptr) RestoreAllObjects(0);
  return 0;
}

int DisplayScreenDevice::CreateFullScreenSurfaces(bool for3D, bool tripleBuffer) {
  if (!ddraw_) return 1;
  ReleaseScreenSurfaces();
  const uint32_t caps3d = for3D ? platform::kSurface3dDevice : 0;
  SurfaceRequest backRequest;
  backRequest.caps = platform::kSurfaceOffscreen | caps3d;
  backRequest.width = contentWidth;
  backRequest.height = contentHeight;
  if ((driverCaps_ & platform::kDriverCapsNoHardware) != 0) {
    if (ddraw_->CreateSurface(backRequest, &ownedBack_) != platform::kDdOk) return 3;
    back_ = ownedBack_.get();
    primaryCaps_ = 0;
  } else if (screenImage_ == nullptr && !scaled_ && !centred_ && exclusiveState_ == 1) {
    SurfaceRequest request;
    request.caps = platform::kSurfacePrimary | platform::kSurfaceFlip | caps3d;
    request.backBufferCount = tripleBuffer ? 2 : 1;
    if (ddraw_->CreateSurface(request, &primary_) != platform::kDdOk) return 2;
    back_ = primary_->AttachedBackBuffer();
    if (back_ == nullptr) return 3;
    flipChain = true;
    tripleBuffer_ = tripleBuffer ? 1 : 0;
    primaryCaps_ = request.caps;
  } else {
    // The texture route draws the quad at the placed size; a blit
    // stretches a content-size back surface itself.
    if (screenImage_ != nullptr && scaled_ && for3D) {
      backRequest.width = placed_.Width();
      backRequest.height = placed_.Height();
    }
    if (ddraw_->CreateSurface(backRequest, &ownedBack_) != platform::kDdOk) return 3;
    back_ = ownedBack_.get();
    SurfaceRequest request;
    request.caps = platform::kSurfacePrimary;
    if (ddraw_->CreateSurface(request, &primary_) != platform::kDdOk) return 2;
    if (displayModeState_ == 2 && clipper_.Attach(ddraw_.get(), primary_.get(), window_) != 0) return 4;
    if (scaled_) FillBorderBands();
    primaryCaps_ = request.caps;
  }
  backCaps_ = backRequest.caps;
  NotifyScreenImage();
  return 0;
}

int DisplayScreenDevice::CreateWindowSurfaces(bool for3D, bool forTexture) {
  if (!ddraw_) return 1;
  ReleaseScreenSurfaces();
  SurfaceRequest backRequest;
  backRequest.caps = platform::kSurfaceOffscreen | (for3D ? platform::kSurface3dDevice : 0);
  backRequest.width = contentWidth;
  backRequest.height = contentHeight;
  // The scene or the textured quad draws at the window's size; a screen
  // image blitted from the back surface is copied into it at its own size
  // (a smaller back surface refused every blit, and the window stayed
  // blank).
  if (windowSizeRequested_ && for3D && (screenImage_ == nullptr || forTexture)) {
    backRequest.width = requestedWidth_;
    backRequest.height = requestedHeight_;
  }
  if (ddraw_->CreateSurface(backRequest, &ownedBack_) != platform::kDdOk) return 3;
  back_ = ownedBack_.get();
  backCaps_ = backRequest.caps;
  primaryCaps_ = 0;
  if ((driverCaps_ & platform::kDriverCapsNoHardware) == 0) {
    SurfaceRequest request;
    request.caps = platform::kSurfacePrimary;
    if (ddraw_->CreateSurface(request, &primary_) != platform::kDdOk) return 2;
    if (clipper_.Attach(ddraw_.get(), primary_.get(), window_) != 0) return 4;
    primaryCaps_ = request.caps;
  }
  NotifyScreenImage();
  return 0;
}

void DisplayScreenDevice::ReleaseScreenSurfaces() {
  ReleaseScreenTexture();
  // A device drawing into the back surface must not outlive it.
  if (HasDevice() && back_ != nullptr) D3DDevice::ReleaseDevice();
  clipper_.Release();
  messageBox_ = 0;
  // The flip chain's back buffer goes with its primary.
  ownedBack_.reset();
  back_ = nullptr;
  primary_.reset();
  flipChain = false;
  tripleBuffer_ = 0;
}

bool DisplayScreenDevice::StretchBltSmooths() {
  if (stretchSmoothCache_ != 0) return stretchSmoothCache_ == 2;
  if (!ddraw_) return false;
  stretchSmoothCache_ = 1;
  std::unique_ptr<SoftSurface> small, large;
  SurfaceRequest request;
  request.width = request.height = 100;
  if (ddraw_->CreateSurface(request, &small) != platform::kDdOk) return false;
  request.width = request.height = 200;
  if (ddraw_->CreateSurface(request, &large) != platform::kDdOk) return false;
  platform::SurfacePixelFormat format;
  small->GetPixelFormat(&format);
  if (format.bitCount < 16) return false;
  const platform::PixelLayout layout(format);
  const uint32_t white = layout.Pack(0xFFFFFFFF), black = layout.Pack(0xFF000000);
  for (int32_t x = 0; x < 100; ++x) {
    const Rect column{x, 0, x + 1, 100};
    small->ColorFill(&column, (x & 1) == 0 ? white : black);
  }
  if (large->Blt(nullptr, small.get(), nullptr, platform::kBltWait) != platform::kSurfaceOk) return false;
  platform::SurfaceLock lock;
  if (large->Lock(nullptr, &lock) != platform::kSurfaceOk) return false;
  bool smooth = false;
  for (int32_t x = 90; x < 110; ++x) {
    const uint32_t value = layout.Load(lock.bits + size_t(100) * lock.pitch + size_t(x) * layout.BytesPerPixel());
    if (value != white && value != black) smooth = true;
  }
  large->Unlock();
  stretchSmoothCache_ = smooth ? 2 : 1;
  return smooth;
}

// --- presentation --------------------------------------------------------------------------

int DisplayScreenDevice::GetPresentMethod() const {
  if (texture_) return 2;
  return back_ != nullptr ? 1 : 0;
}

void DisplayScreenDevice::NotifyScreenImage() {
  if (screenImage_ != nullptr) screenImage_->NotifySurfacesChanged();
}

void DisplayScreenDevice::NoteUndrawn(const char* what) {
  ++undrawn_;
  if (undrawnLogged_) return;
  undrawnLogged_ = true;
  std::fprintf(stderr, "orrivel: a frame was not drawn (%s); later ones are not reported\n", what);
}

Rect DisplayScreenDevice::SourceRect() const {
  if (texture_ && scaledFullScreenActive_) return Rect{0, 0, placed_.Width(), placed_.Height()};
  if (texture_ && requestedSizeInUse_) return Rect{0, 0, requestedWidth_, requestedHeight_};
  return ContentRect();
}

Rect DisplayScreenDevice::DestinationRect() const {
  if (scaledFullScreenActive_) return placed_;
  if (requestedSizeInUse_) return Rect{0, 0, requestedWidth_, requestedHeight_};
  return ContentRect();
}

Rect DisplayScreenDevice::FrameArea() const {
  if (mode == 1 && primary_) return Rect{0, 0, primary_->Width(), primary_->Height()};
  const Rect d = DestinationRect();
  return Rect{0, 0, d.right, d.bottom};
}

void DisplayScreenDevice::ShowFrame(SoftSurface* frame, const Rect& area, const Rect* dirty) {
  if (frame == nullptr) return;
  platform::PresentOptions options;
  options.linear = smoothFiltering_ != 0;
  options.vsync = vsyncMode_ != 0;
  // An empty part says that nothing changed: the window keeps what it shows.
  Rect cut;
  const Rect* changed = nullptr;
  if (dirty != nullptr && (dirty->IsEmpty() || IntersectRects(&cut, *dirty, area))) changed = &cut;
  if (platform::CurrentBackend().ScreenPresenter().Present(window_, *frame, area, changed, options) ==
      platform::kPresentOk) {
    ++framesShown_;
  }
}

int DisplayScreenDevice::PresentToWindow(uint8_t dirtyOnly) {
  if (!windowFrame_ || windowFrame_->Width() != contentWidth || windowFrame_->Height() != contentHeight) {
    windowFrame_ = std::make_unique<SoftSurface>();
    if (windowFrame_->Create(contentWidth, contentHeight, platform::SurfaceFormat::X8R8G8B8) !=
        platform::kSurfaceOk) {
      windowFrame_.reset();
      return 1;
    }
    screenImage_->NotifySurfacesChanged();
  }
  // Only what the screen image drew goes to the window; a repaint of the
  // whole (dirtyOnly 0) draws it all.
  WindowFrameDc window(windowFrame_.get(), [this] {
    const Rect drawn = screenImage_->LastPresentedBounds();
    ShowFrame(windowFrame_.get(), ContentRect(), &drawn);
  });
  return screenImage_->PresentImage(&window, nullptr, nullptr, 0, dirtyOnly);
}

int DisplayScreenDevice::CopyScreenImage(uint8_t dirtyOnly, bool* drawn) {
  *drawn = false;
  SoftSurface* target = texture_ ? texture_.get() : back_;
  if (target == nullptr) return 0;
  const uint32_t code = texture_ ? textureFormatCode_ : backFormatCode_;
  // A surface lost since the last frame comes back blank: the whole picture
  // goes into it again.
  if (target->IsLost()) {
    if (target->Restore() != platform::kSurfaceOk) return 0;
    screenImage_->NotifySurfacesChanged();
  }
  const bool throughDc = copyThroughDc_ != 0 || (texture_ && !texture32_);
  platform::SurfaceDc dc;
  if (throughDc) {
    int got = target->GetDC(&dc);
    if (LostOrBusy(got)) {
      target->Restore();
      screenImage_->NotifySurfacesChanged();
      got = target->GetDC(&dc);
    }
    if (got != platform::kSurfaceOk) return texture_ ? 1 : 2;
  }
  const int presented =
      screenImage_->PresentImage(nullptr, throughDc ? &dc : nullptr, throughDc ? nullptr : target, code, dirtyOnly);
  if (throughDc) target->ReleaseDC(dc);
  if (presented == 0) *drawn = true;
  else if (presented != -1) NoteUndrawn("the screen image could not be copied");
  return 0;
}

int DisplayScreenDevice::DrawScreenQuad() {
  platform::SoftRenderDevice* device = textureDevice_.get();
  if (device == nullptr) return platform::kRenderFailed;
  const uint32_t filter = smoothFiltering_ ? platform::kFilterLinear : platform::kFilterPoint;
  device->SetTexture(0, texture_.get());
  device->SetRenderState(platform::kRsLighting, 0);
  device->SetRenderState(platform::kRsAlphaBlendEnable, 0);
  device->SetRenderState(platform::kRsAlphaTestEnable, 0);
  device->SetRenderState(platform::kRsCullMode, platform::kCullNone);
  device->SetTextureStageState(0, platform::kTssMagFilter, filter);
  device->SetTextureStageState(0, platform::kTssMinFilter, filter);
  device->SetTextureStageState(0, platform::kTssMipFilter, smoothFiltering_ ? 3 : 2);
  device->SetTextureStageState(0, platform::kTssAddress, platform::kAddressClamp);
  int result = device->BeginScene();
  if (result == platform::kRenderOk) {
    result = device->DrawPrimitive(platform::kPrimTriangleStrip, platform::kFvfXyzRhw | platform::kFvfTex1, quad_, 4,
                                   platform::kBltWait);
    device->EndScene();
  }
  device->SetTexture(0, nullptr);
  return result;
}

int DisplayScreenDevice::PresentFrame() {
  ScopedLock lock(lock_);
  if (platform::CurrentBackend().ScreenPresenter().TakeDeviceReset()) {
    // What the window showed is gone with the renderer.
    if (primary_) primary_->SetLost(true);
  }
  if (RestoreLostForPresent() && screenImage_ == nullptr) RestoreAllObjects(1);
  if (screenImage_ == nullptr) {
    const int result = PresentBackSurface();
    if (result == 2) {
      if (RestoreLostSurfaces() > 1) NoteUndrawn("lost surfaces could not be restored");
      return 0;
    }
    if (result == 1) NoteUndrawn("no back surface");
    return 0;
  }
  if (texture_ == nullptr && back_ == nullptr) {
    // GDI: the picture goes to the window itself.
    const int result = PresentToWindow(1);
    if (result != 0 && result != -1) NoteUndrawn("the window gave no device context");
    return 0;
  }
  bool drawn = false;
  const int copied = CopyScreenImage(1, &drawn);
  if (copied != 0) return copied;
  if (!drawn) return 0;
  if (texture_) {
    const int quad = DrawScreenQuad();
    if (quad == platform::kRenderLost) {
      texture_->Restore();
      back_->Restore();
      NotifyScreenImage();
      return 0;
    }
    if (quad != platform::kRenderOk) return 3;
  }
  Rect source = SourceRect();
  Rect destination = DestinationRect();
  if (vsyncMode_ != 0) ++vblankWaits_;
  if (!primary_) {
    // No hardware: the back surface goes to the window as it is.
    ShowFrame(back_, source, nullptr);
    return 0;
  }
  // Unscaled, the primary keeps the rest of the last frame: only the
  // changed part goes across (and up to the window).
  const Rect changed = screenImage_->LastPresentedBounds();
  const bool unscaled = !texture_ && source.Width() == destination.Width() && source.Height() == destination.Height();
  if (unscaled && changed.IsEmpty()) {
    // The screen image drew nothing new into the back surface: the
    // primary and the window already show this frame.
    const Rect nothing;
    ShowFrame(primary_.get(), FrameArea(), &nothing);
    return 0;
  }
  if (unscaled) {
    Rect part;
    if (IntersectRects(&part, changed, source)) {
      const int32_t dx = destination.left - source.left, dy = destination.top - source.top;
      source = part;
      destination = Rect{part.left + dx, part.top + dy, part.right + dx, part.bottom + dy};
    }
  }
  const int blit = primary_->Blt(&destination, back_, &source, platform::kBltAsync);
  if (LostOrBusy(blit)) {
    if (primary_->IsLost()) primary_->Restore();
    if (back_->IsLost()) back_->Restore();
    NotifyScreenImage();
    return 0;
  }
  if (blit != platform::kSurfaceOk) return 4;
  ShowFrame(primary_.get(), FrameArea(), &destination);
  return 0;
}

void DisplayScreenDevice::FillBorderBands() {
  if (!primary_ || !borders_) return;
  for (const Rect& band : borderRects_) {
    if (!band.IsEmpty()) BlitConvertFormat(primary_.get(), nullptr, 0, 0, 0, &band, 0);
  }
}

bool DisplayScreenDevice::RestoreLostForPresent() {
  // A surface lost since the last frame comes back blank at once, and the
  // whole picture goes into it in this frame, whether or not it changed.
  bool restored = false;
  for (SoftSurface* surface : {primary_.get(), back_, texture_.get()}) {
    if (surface == nullptr || !surface->IsLost()) continue;
    if (surface->Restore() == platform::kSurfaceOk) restored = true;
  }
  if (!restored) return false;
  if (scaledFullScreenActive_) FillBorderBands();
  NotifyScreenImage();
  return true;
}

int DisplayScreenDevice::PresentBackSurface() {
  if (back_ == nullptr) return 1;
  if (back_->IsLost() || (primary_ && primary_->IsLost())) return 2;
  const Rect content = ContentRect();
  if ((driverCaps_ & platform::kDriverCapsNoHardware) != 0 || !primary_) {
    ShowFrame(back_, content, nullptr);
    return 0;
  }
  Rect destination = content;
  int result;
  if (mode == 1) {
    if (scaledFullScreenActive_) destination = placed_;
    if (vsyncMode_ == 0) {
      result = primary_->Blt(&destination, back_, &content, platform::kBltAsync);
    } else if (!messageBox_ && vsyncMode_ != 1 && flipChain) {
      result = primary_->Flip(0);
    } else {
      ++vblankWaits_;
      result = primary_->Blt(&destination, back_, &content, platform::kBltAsync);
    }
  } else {
    if (requestedSizeInUse_) destination = Rect{0, 0, requestedWidth_, requestedHeight_};
    if (vsyncMode_ != 0) ++vblankWaits_;
    result = primary_->Blt(&destination, back_, &content, platform::kBltAsync);
  }
  if (LostOrBusy(result)) return 2;
  if (result == platform::kSurfaceOk) ShowFrame(primary_.get(), FrameArea(), &destination);
  return 0;
}

int DisplayScreenDevice::PaintWindow(platform::WindowId window, const platform::Rect& paint) {
  // The whole frame is shown again: the presenter has no partial repaint.
  ScopedLock lock(lock_);
  if (window != platform::kNoWindow) window_ = window;
  if (back_ == nullptr) {
    if (screenImage_ != nullptr) return PresentToWindow(0) == 0 ? 0 : kPaintFailed;
    // Nothing to paint from: the window is at least black.
    ScreenDevice::PaintWindow(window, paint);
    return kPaintFailed;
  }
  if ((driverCaps_ & platform::kDriverCapsNoHardware) != 0) {
    ShowFrame(back_, ContentRect(), nullptr);
    return 0;
  }
  if (!primary_) return kPaintFailed;
  if (scaledFullScreenActive_) FillBorderBands();
  const Rect source = SourceRect();
  const Rect destination = DestinationRect();
  if (!flipChain && primary_->Blt(&destination, back_, &source, platform::kBltWait) != platform::kSurfaceOk)
    return kPaintFailed;
  ShowFrame(primary_.get(), FrameArea(), nullptr);
  return 0;
}

int DisplayScreenDevice::FillBackground() {
  if (back_ == nullptr) return 1;
  BlitConvertFormat(back_, nullptr, background_[0], background_[1], background_[2], nullptr, 0);
  return 0;
}

int DisplayScreenDevice::CreateScreenTexture() {
  if (!ddraw_ || back_ == nullptr) return 1;
  ReleaseScreenTexture();
  if (!platform::CurrentDisplayMachine().libraryPresent) return 2;
  if (ddraw_->CreateDevice(platform::kDeviceHal, back_, &textureDevice_) != platform::kDdOk) return 3;
  platform::DeviceCaps caps;
  if (textureDevice_->GetCaps(&caps) != platform::kRenderOk) {
    ReleaseScreenTexture();
    return 4;
  }
  int32_t width = contentWidth, height = contentHeight;
  if ((caps.textureCaps & platform::kTextureCapsPow2) != 0 || pow2Texture_) {
    width = NextPowerOfTwo(width);
    height = NextPowerOfTwo(height);
  }
  if ((caps.textureCaps & platform::kTextureCapsSquareOnly) != 0) width = height = std::max(width, height);
  width = std::max(width, int32_t(caps.minTextureWidth));
  height = std::max(height, int32_t(caps.minTextureHeight));
  if (uint32_t(width) > caps.maxTextureWidth || uint32_t(height) > caps.maxTextureHeight) {
    ReleaseScreenTexture();
    return 5;
  }
  SurfaceRequest request;
  request.caps = platform::kSurfaceTexture;
  request.width = width;
  request.height = height;
  request.hasFormat = true;
  request.format = platform::DescribeSurfaceFormat(platform::SurfaceFormat::X8R8G8B8);
  texture32_ = 1;
  if (ddraw_->CreateSurface(request, &texture_) != platform::kDdOk) {
    request.hasFormat = false;
    texture32_ = 0;
    if (ddraw_->CreateSurface(request, &texture_) != platform::kDdOk) {
      ReleaseScreenTexture();
      return 6;
    }
  }
  textureFormatCode_ = FormatCodeOf(texture_.get());
  if (textureFormatCode_ < kPixelFormatX1R5G5B5) {
    ReleaseScreenTexture();
    return 7;
  }
  textureWidth_ = width;
  textureHeight_ = height;
  const float su = float(contentWidth) / float(width);
  const float sv = float(contentHeight) / float(height);
  int32_t quadWidth = contentWidth, quadHeight = contentHeight;
  if (scaledFullScreenActive_) {
    quadWidth = placed_.Width();
    quadHeight = placed_.Height();
  } else if (requestedSizeInUse_) {
    quadWidth = requestedWidth_;
    quadHeight = requestedHeight_;
  }
  const float w = float(quadWidth) - 0.5f, h = float(quadHeight) - 0.5f;
  const float corners[4][4] = {{-0.5f, -0.5f, 0, 0}, {w, -0.5f, su, 0}, {-0.5f, h, 0, sv}, {w, h, su, sv}};
  for (int i = 0; i < 4; ++i) {
    quad_[i][0] = corners[i][0];
    quad_[i][1] = corners[i][1];
    quad_[i][2] = quad_[i][3] = 1.0f;
    quad_[i][4] = corners[i][2];
    quad_[i][5] = corners[i][3];
  }
  NotifyScreenImage();
  return 0;
}

void DisplayScreenDevice::ReleaseScreenTexture() {
  texture_.reset();
  textureDevice_.reset();
  textureFormatCode_ = 0;
  textureWidth_ = textureHeight_ = 0;
  texture32_ = 0;
}

int DisplayScreenDevice::RestoreLostSurfaces() {
  if (!ddraw_) return 0;
  if (back_ == nullptr) return 1;
  ScopedLock lock(lock_);
  int state = 0;
  for (SoftSurface* surface : {primary_.get(), back_, texture_.get()}) {
    if (surface == nullptr || !surface->IsLost()) continue;
    if (surface->Restore() != platform::kSurfaceOk) {
      state = 2;
      break;
    }
    state = 1;
  }
  if (state == 2) {
    const bool hadTexture = texture_ != nullptr;
    if (useDirect3D_) D3DDevice::ReleaseDevice();
    const bool for3D = useDirect3D_ || hadTexture;
    const int surfaces =
        mode == 1 ? CreateFullScreenSurfaces(for3D, tripleBuffer_ != 0) : CreateWindowSurfaces(for3D, hadTexture);
    if (surfaces != 0) return 2;
    if (hadTexture) {
      if (CreateScreenTexture() != 0) {
        ReleaseScreenSurfaces();
        return 3;
      }
    } else if (useDirect3D_) {
      const Rect content = ContentRect();
      if (D3DDeviceCreationFailed(D3DDevice::CreateDevice(back_, &content, deviceOption_))) {
        ReleaseScreenSurfaces();
        return 3;
      }
    }
  }
  if (state == 0) return 0;
  RestoreAllObjects(1);
  if (screenImage_ != nullptr) {
    NotifyScreenImage();
    bool drawn = false;
    if (CopyScreenImage(0, &drawn) != 0 || !drawn) NoteUndrawn("the picture could not be copied after a restore");
  }
  return 0;
}

int DisplayScreenDevice::BeginGdiDialog() {
  if ((driverCaps_ & platform::kDriverCapsNoHardware) != 0) return 0;
  if (!primary_) return 1;
  clipper_.Attach(ddraw_.get(), primary_.get(), window_);
  messageBox_ = 1;
  return 0;
}

int DisplayScreenDevice::EndGdiDialog() {
  if ((driverCaps_ & platform::kDriverCapsNoHardware) != 0) return 0;
  if (!primary_) return 1;
  clipper_.Release();
  messageBox_ = 0;
  return 0;
}

// --- the application's steps --------------------------------------------------------------

void DisplayScreenDevice::ReleaseDevice() {
  D3DDevice::ReleaseDevice();
  hasDeviceObject = ddraw_ != nullptr;
}

void DisplayScreenDevice::ReleaseDisplay() {
  DisplayDevice::Release();
  PublishState();
}

void DisplayScreenDevice::RestoreWindowMode() { DisplayDevice::RestoreWindowMode(false); PublishState(); }

int DisplayScreenDevice::SetDisplayMode(int32_t width, int32_t height, uint8_t depth, uint16_t refresh) {
  const int result = DisplayDevice::SetDisplayMode(window_, width, height, depth, refresh == 60);
  PublishState();
  return result;
}

void DisplayScreenDevice::PublishState() {
  hasDeviceObject = ddraw_ != nullptr;
  exclusive = exclusiveState_ == 1;
  letterbox = false;
  letterboxBars[0] = letterboxBars[1] = Rect{};
  stretched = mode == 2 && requestedSizeInUse_;
  displayRect = Rect{};
  if (stretched) displayRect = Rect{0, 0, requestedWidth_, requestedHeight_};
  if (mode == 1) {
    PublishFullScreenPlacement();
  } else if (platform::CurrentBackend().IsWindow(window_)) {
    MonitorList monitors;
    monitors.GetMonitorRect(monitorRect, monitors.MonitorFromRect(platform::CurrentBackend().GetWindowRect(window_)));
  }
}

platform::Size DisplayScreenDevice::FullScreenMonitorSize(const Rect& frame) const {
  // In a display mode of its own the monitor shows that mode's pixels.
  if (const platform::DisplayModeSwitch* display = platform::CurrentDisplayModeSwitch();
      display != nullptr && display->Holds(window_)) {
    return platform::Size{display->ModeInForce()->width, display->ModeInForce()->height};
  }
  if (fullScreenMonitor_ != 0 && !fullScreenMonitorRect_.IsEmpty()) {
    return platform::Size{fullScreenMonitorRect_.Width(), fullScreenMonitorRect_.Height()};
  }
  const platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
  if (desktop.width > 0 && desktop.height > 0) return platform::Size{desktop.width, desktop.height};
  return platform::Size{frame.Width(), frame.Height()};
}

void DisplayScreenDevice::PublishFullScreenPlacement() {
  // The full-screen window covers the monitor at the desktop's own mode, and
  // the presenter fits the frame it is given into it: the picture lands
  // where both fits put it. The cursor is read in monitor pixels, so the
  // game position has to come through this rectangle whenever the picture
  // is not shown 1:1 at the corner, bars or no bars (a same-aspect
  // enlargement has none).
  Rect frame = ContentRect(), picture = ContentRect();
  if (primary_) {
    frame = Rect{0, 0, primary_->Width(), primary_->Height()};
    picture = DestinationRect();
  }
  const platform::Size monitor = FullScreenMonitorSize(frame);
  monitorRect = Rect{monitorOriginX_, monitorOriginY_, monitorOriginX_ + monitor.width, monitorOriginY_ + monitor.height};
  const Rect fit = platform::FitRect(frame.Width(), frame.Height(), monitor.width, monitor.height);
  if (fit.IsEmpty()) return;
  auto x = [&](int32_t at) { return fit.left + int32_t(int64_t(at) * fit.Width() / frame.Width()); };
  auto y = [&](int32_t at) { return fit.top + int32_t(int64_t(at) * fit.Height() / frame.Height()); };
  const Rect shown{x(picture.left), y(picture.top), x(picture.right), y(picture.bottom)};
  if (shown == ContentRect()) return;
  letterbox = true;
  displayRect = shown;
  if (shown.left == 0 && shown.right == monitor.width) {
    letterboxBars[0] = Rect{0, 0, monitor.width, shown.top};
    letterboxBars[1] = Rect{0, shown.bottom, monitor.width, monitor.height};
  } else {
    letterboxBars[0] = Rect{0, 0, shown.left, monitor.height};
    letterboxBars[1] = Rect{shown.right, 0, monitor.width, monitor.height};
  }
  for (Rect& bar : letterboxBars) {
    if (bar.IsEmpty()) bar = Rect{};
  }
}

}  // namespace orrivel
