#pragma once
// The screen device of the display subsystem: the one object that is the
// screen. It is the application's ScreenDevice (whose fields the window
// handlers read), the Direct3D-style device over the DirectDraw-style
// display device, and the owner of every image, scene object, font and
// sprite that scripts create (DrawObjectManager, with the registry of scene
// objects). It switches between a window and full screen, changes the
// display mode when asked, fits the content into the display with borders,
// builds the primary and back surfaces (or a flip chain) and the optional
// screen texture, presents each frame by one of three routes (GDI, a blit
// from the back surface, a textured quad) and recovers lost surfaces.
//
// On this system the "primary" surface is the memory frame that the
// back end's presenter shows in the window: in a window it holds the
// client area at its top-left corner, in full screen the whole display.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/CriticalSection.h"
#include "base/MonitorList.h"
#include "base/ScreenDevice.h"
#include "display/D3DDevice.h"
#include "display/DrawObjectManager.h"
#include "display/ScreenImage.h"
#include "platform/Presenter.h"

namespace orrivel {

class DisplayScreenDevice : public ScreenDevice, public D3DDevice, public DrawObjectManager {
 public:
  // One monitor as the device knows it: its driver, the Direct3D device
  // of that driver, and the full-screen mode that fits the content.
  struct MonitorRecord {
    uint32_t monitor = 0;
    uint8_t primaryByte = 0;  // the monitor's own depth as the monitor list gives it
    std::string deviceName;
    std::string displayName;  // " (Primary)" appended on the primary of several
    platform::Guid driver;
    uint32_t depthMask = 0;  // render-depth flags: 32 bits at bit 8 ... 8 bits at bit 11
    platform::Guid device;
    uint32_t deviceWord = 0;  // the device's render depths
    int32_t modeWidth = 0;    // 0 x 0: no usable mode
    int32_t modeHeight = 0;
    uint8_t exact = 0;  // the mode's height is the content's: no scaling
    uint8_t driverByte = 0;
    uint8_t has60Hz = 0;
  };

  // How the screen image reaches the screen in a window (the drawing method).
  enum : uint8_t { kDrawGdi = 0, kDrawBlitOrTexture = 1, kDrawTexture = 3 };

  // Made by the draw-object manager's canvas creation, which lives above
  // this layer; set once at start-up (see SetCanvasCreator).
  using CanvasCreator = int (*)(DrawObjectManager& manager, uint32_t* out, int32_t width,
                                int32_t height, uint8_t depth, uint8_t mode);
  static void SetCanvasCreator(CanvasCreator creator);

  DisplayScreenDevice();
  ~DisplayScreenDevice() override;

  // --- settings --------------------------------------------------------------------------
  // 1 when either is below 1; else the content rectangle; 0.
  int SetContentSize(int32_t width, int32_t height) override;
  int CreateCanvasDrawObjectForSource(uint32_t* outCanvas, int32_t width, int32_t height, int bits,
                                      int flag) override;
  // Attaches the listed image (0 detaches; a handle of no screen image
  // detaches too); the content takes the image's size.
  void SetScreenImage(uint32_t canvas, int flag) override;
  // The image object itself (tests, and callers that own one outside the lists).
  void AttachScreenImage(ScreenImage* image);
  ScreenImage* GetScreenImage() const { return screenImage_.Get(); }
  // The handle the screen image was attached by (0: none, or attached as an object).
  uint32_t AttachedHandle() const { return attachedByHandle_ ? canvas : 0; }
  // 1 when width < 1 and height <= 0; 2 when a side comes out below 1; 0.
  int SetWindowSizeKeepAspect(int32_t width, int32_t height);
  void ClearRequestedSize() { windowSizeRequested_ = 0; }
  // The size asked for with SetWindowSizeKeepAspect (0 x 0 when none).
  platform::Size RequestedWindowSize() const {
    return windowSizeRequested_ ? platform::Size{requestedWidth_, requestedHeight_} : platform::Size{0, 0};
  }
  void SetVsyncMode(uint8_t mode) { vsyncMode_ = mode; }
  uint8_t VsyncMode() const { return vsyncMode_; }
  void SetSmoothFiltering(bool on) { smoothFiltering_ = on ? 1 : 0; }
  void SetPowerOfTwoTexture(bool on) { pow2Texture_ = on ? 1 : 0; }
  void SetCopyThroughDc(bool on) { copyThroughDc_ = on ? 1 : 0; }
  void SetDrawingMethod(uint8_t method) { drawingMethod = method; }
  void SetDirectDrawWhenNotEnlarged(bool on) { drawingCompanion = on; }
  // The Direct3D flag: the next mode switch that builds surfaces without
  // the screen texture makes a Direct3D device over the back surface.
  void SetUseDirect3D(bool on) { useDirect3D_ = on ? 1 : 0; }
  bool UsesDirect3D() const { return useDirect3D_ != 0; }
  // The display draws a Direct3D scene: the last mode switch made the
  // device (the GDI route and the screen texture make none).
  bool HasScene() const { return useDirect3D_ != 0 && HasDevice(); }
  void SetPrefer60Hz(bool on) { prefer60Hz_ = on ? 1 : 0; }
  bool Prefer60Hz() const { return prefer60Hz_ != 0; }
  // How full screen changes the resolution: through the display device's
  // own mode switch, or through the desktop's display settings (the
  // default). Kept across monitor listings.
  void SetModeChangeThroughDisplayDevice(bool on) {
    modeChangeWish_ = on ? 1 : 0;
    changeResolutionThroughDd_ = modeChangeWish_;
  }
  bool ModeChangeThroughDisplayDevice() const { return changeResolutionThroughDd_ != 0; }
  void SetBackgroundColor(uint8_t r, uint8_t g, uint8_t b);
  // The background colour as 0x00RRGGBB.
  uint32_t BackgroundColor() const {
    return uint32_t(background_[0]) << 16 | uint32_t(background_[1]) << 8 | background_[2];
  }
  // Whether the frame pump fills the back image with the background colour
  // before each frame.
  void SetClearEachFrame(bool on) { clearEachFrame_ = on; }
  bool ClearEachFrame() const { return clearEachFrame_; }

  // --- modes -----------------------------------------------------------------------------
  // 0 done; 1 content size or DirectDraw creation; 2 cooperative level or
  // display mode; 3 to 6 surface creation (its code + 2); 7 unknown back
  // format; 8 and above the Direct3D device (its code + 7).
  int SetScreenMode(platform::WindowId window, bool windowed, bool tripleBuffer, bool deviceOption) override;
  int EnumMonitors(MonitorList& monitors, int32_t width, int32_t height) override;
  int EnumMonitors(const MonitorList* monitors, int32_t width, int32_t height, bool useDirectDraw);
  int SelectMonitor(bool changeResolution, uint32_t monitor, int32_t index, uint8_t depth,
                    const MonitorList* monitors);
  size_t GetMonitorCount() const { return monitorRecords_.size(); }
  const MonitorRecord* Monitor(size_t index) const;
  void ClearMonitorList();
  // -1 no scaling needed; 0 placed (or kept); 1 a size is not positive.
  int FitToDisplay(int32_t width, int32_t height, bool keepIfSameAspect);
  void ClearScaling();
  int ChangeDisplaySettings(int32_t width, int32_t height, const std::string& deviceName);
  int RestoreDisplaySettings();
  int CreateFullScreenSurfaces(bool for3D, bool tripleBuffer);
  // forTexture: the screen image reaches the window through the texture.
  int CreateWindowSurfaces(bool for3D, bool forTexture = false);
  void ReleaseScreenSurfaces() override;
  bool StretchBltSmooths();

  // --- presentation ----------------------------------------------------------------------
  // 2 screen texture, 1 back surface, 0 GDI.
  int GetPresentMethod() const;
  // 0 done (also after lost surfaces were restored); 1 or 2 no device
  // context; 3 the textured quad failed; 4 the final blit failed.
  int PresentFrame();
  // 1 no back surface; 2 a surface was lost; 0.
  int PresentBackSurface();
  int PaintWindow(platform::WindowId window, const platform::Rect& paint) override;
  int FillBackground();
  int CreateScreenTexture();
  void ReleaseScreenTexture();
  // 0 nothing to do or done; 1 no back surface; 2 the surfaces cannot be
  // made again; 3 the device or texture cannot be made again.
  int RestoreLostSurfaces() override;
  int BeginGdiDialog() override;
  int EndGdiDialog() override;

  // --- the application's release steps --------------------------------------------------
  void ReleaseDevice() override;
  void ReleaseDisplay() override;
  void RestoreWindowMode() override;
  int SetDisplayMode(int32_t width, int32_t height, uint8_t depth, uint16_t refresh) override;
  using DisplayDevice::SetDisplayMode;
  using DisplayDevice::Create;

  // --- state -----------------------------------------------------------------------------
  platform::SoftSurface* PrimarySurface() const { return primary_.get(); }
  platform::SoftSurface* BackSurface() const { return back_; }
  platform::SoftSurface* ScreenTexture() const { return texture_.get(); }
  Rect ContentRect() const { return Rect{0, 0, contentWidth, contentHeight}; }
  Rect PlacedRect() const { return placed_; }
  bool Scaled() const { return scaled_ != 0; }
  bool Borders() const { return borders_ != 0; }
  const Rect* BorderRects() const { return borderRects_; }
  bool MessageBoxUp() const { return messageBox_ != 0; }
  bool TripleBuffer() const { return tripleBuffer_ != 0; }
  uint32_t BackFormatCode() const { return backFormatCode_; }
  uint8_t ColorDepth() const { return colorDepth_; }
  uint8_t FullScreenDepth() const { return fullScreenDepth_; }
  bool ChangesResolution() const { return changeResolution_ != 0; }
  int32_t TextureWidth() const { return textureWidth_; }
  int32_t TextureHeight() const { return textureHeight_; }
  bool Texture32() const { return texture32_ != 0; }
  // The screen quad: four vertices of x, y, z, rhw, tu, tv.
  const float* ScreenQuad() const { return &quad_[0][0]; }
  platform::WindowId Window() const { return window_; }
  CriticalSection& Lock() { return lock_; }
  // Vertical-blank waits asked for, and frames that the presenter showed.
  uint32_t VblankWaits() const { return vblankWaits_; }
  uint32_t FramesShown() const { return framesShown_; }
  // Presents that ended with 0 without drawing (a failing screen image, a
  // missing target or a failing re-copy); the first one is logged.
  uint32_t UndrawnPresents() const { return undrawn_; }

 private:
  int SetWindowedMode(int deviceOption);
  int SetFullScreenMode(bool tripleBuffer, int deviceOption);
  // The common end of a mode switch; kRetryPlain asks the full-screen
  // switch to build its surfaces again without the texture.
  static constexpr int kRetryPlain = -1000;
  int FinishMode(bool textureWish, int deviceOption);
  // The display refused a mode of its own: the desktop's mode stays and
  // the picture is scaled into it.
  void FitToDesktop();
  // After a switch to a mode larger than the picture: placed_ is the
  // picture's place in its middle.
  void CentreInLargerMode();
  void PublishState();
  // Where the picture lands on the full-screen monitor, for the cursor
  // mapping and the bars the window paints.
  void PublishFullScreenPlacement();
  platform::Size FullScreenMonitorSize(const Rect& frame) const;
  void NotifyScreenImage();
  void NoteUndrawn(const char* what);
  // Steps 1 and 2 of a present: the screen image into the back surface or
  // the texture. 0, or the device-context failure code; drawn tells
  // whether anything was copied.
  int CopyScreenImage(uint8_t dirtyOnly, bool* drawn);
  int DrawScreenQuad();
  Rect SourceRect() const;
  Rect DestinationRect() const;
  // Shows the primary (or, without one, the surface given) through the presenter.
  void ShowFrame(platform::SoftSurface* frame, const Rect& area, const Rect* dirty);
  Rect FrameArea() const;
  void UseGdiPresentation();
  // The screen image went (whatever deleted it) or is let go: the device
  // presents its back surface until another is attached.
  void ForgetScreenImage();
  // Restores what was lost between frames; true when anything was.
  bool RestoreLostForPresent();
  // Blackens the border bands of the primary (when the fit left any).
  void FillBorderBands();
  int PresentToWindow(uint8_t dirtyOnly);

  platform::WindowId window_ = platform::kNoWindow;
  std::unique_ptr<platform::SoftSurface> primary_;
  std::unique_ptr<platform::SoftSurface> ownedBack_;
  platform::SoftSurface* back_ = nullptr;  // ownedBack_ or the flip chain's buffer
  // Turns null whenever the image is deleted (one handle, a group, all, its
  // owner's teardown): an expose or a present after that shows no freed memory.
  WeakLink<ScreenImage> screenImage_;
  uint8_t vsyncMode_ = 0;
  uint8_t tripleBuffer_ = 0;
  uint8_t stretchSmoothCache_ = 0;  // 0 untested, 1 no, 2 yes
  Clipper clipper_;
  uint8_t messageBox_ = 0;
  uint8_t prefer60Hz_ = 0;
  uint32_t primaryCaps_ = 0;
  uint32_t backCaps_ = 0;
  uint32_t backFormatCode_ = 0;
  uint8_t colorDepth_ = 0;
  std::vector<std::unique_ptr<MonitorRecord>> monitorRecords_;
  MonitorRecord* selected_ = nullptr;
  uint8_t changeResolution_ = 0;
  uint8_t changeResolutionThroughDd_ = 1;
  uint8_t modeChangeWish_ = 0;
  uint8_t fullScreenDepth_ = 0;
  int32_t monitorOriginX_ = 0;
  int32_t monitorOriginY_ = 0;
  int32_t outputWidth_ = 0;
  int32_t outputHeight_ = 0;
  uint32_t fullScreenMonitor_ = 0;
  platform::Rect fullScreenMonitorRect_;
  uint8_t displaySettingsChanged_ = 0;
  std::string changedDeviceName_;
  uint8_t scaled_ = 0;
  Rect placed_;
  uint8_t borders_ = 0;
  Rect borderRects_[2];
  int32_t displayWidth_ = 0;
  int32_t displayHeight_ = 0;
  uint8_t scaledFullScreenActive_ = 0;
  // The display was switched to a mode larger than the picture, which is
  // shown unscaled at placed_ in its middle.
  uint8_t centred_ = 0;
  // ChangeDisplaySettings switched the real display.
  uint8_t displaySwitched_ = 0;
  uint8_t windowSizeRequested_ = 0;
  int32_t requestedWidth_ = 0;
  int32_t requestedHeight_ = 0;
  uint8_t requestedSizeInUse_ = 0;
  uint8_t pow2Texture_ = 0;
  uint8_t smoothFiltering_ = 1;
  uint8_t copyThroughDc_ = 0;
  uint8_t useDirect3D_ = 0;
  std::unique_ptr<platform::SoftRenderDevice> textureDevice_;
  std::unique_ptr<platform::SoftSurface> texture_;
  uint32_t textureFormatCode_ = 0;
  int32_t textureWidth_ = 0;
  int32_t textureHeight_ = 0;
  uint8_t texture32_ = 0;
  float quad_[4][6];
  uint8_t background_[3] = {0, 0, 0};
  bool clearEachFrame_ = false;
  int deviceOption_ = 0;
  CriticalSection lock_;
  uint32_t vblankWaits_ = 0;
  uint32_t framesShown_ = 0;
  uint32_t undrawn_ = 0;
  bool attachedByHandle_ = false;
  bool undrawnLogged_ = false;
  std::unique_ptr<platform::SoftSurface> windowFrame_;  // the window's picture on the GDI route
};

// The screen device that the surface images of the display subsystem reach.
DisplayScreenDevice* CurrentDisplayScreen();

}  // namespace orrivel
