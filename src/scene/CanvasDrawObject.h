#pragma once
// An image that composes itself: it owns a Surface (the composed picture)
// and a SpriteCanvas that repaints the changed rectangles of its sprites
// into it, and presents the picture to a device context or into a display
// surface, whole or only where it changed. A timed present lets a task mix
// the picture with a paired image band by band until the task ends.
//
// Main thread only.
#include <cstdint>
#include <memory>

#include "display/ScreenImage.h"
#include "platform/SoftSurface.h"
#include "raster/Surface.h"

namespace orrivel {

class PresentTask;
class SpriteCanvas;
class SpriteList;

class CanvasDrawObject : public ScreenImage {
 public:
  CanvasDrawObject();
  CanvasDrawObject(const CanvasDrawObject&) = delete;
  CanvasDrawObject& operator=(const CanvasDrawObject&) = delete;
  virtual ~CanvasDrawObject();

  // Process-wide options: side-by-side dirty rectangles merged before a
  // present (off); the timed present drawn in bands (on).
  static void SetMergeRectangles(bool on);
  static void SetBandedTimedPresent(bool on);
  // Entered when a low-priority timed present starts, left when it ends
  // (the game shell's nested hook; none by default).
  using PriorityHook = void (*)(bool enter);
  static void SetLowPriorityHook(PriorityHook hook);

  // Creates the surface (1), with the byte set a canvas bound to it (2, 3),
  // and fills it with black. Failure leaves the object reset; 0 done.
  int Prepare(int32_t width, int32_t height, uint8_t depth, uint8_t withCanvas);
  // The same with a device context and a dirty region on the surface; mode
  // 1 adds a canvas, 2 a canvas and an overlay list (2 when it cannot be made).
  int Load(int32_t width, int32_t height, uint8_t depth, uint8_t mode);
  void Reset();
  // Gives an object made with a canvas but without an overlay list one, as
  // if it had been made with it: the list stays with the object through
  // canvas exchanges and goes with it. 0 it has one now; 1 no canvas; 2 no
  // memory (nothing changes).
  int AddOverlayList();

  // 0 done; 1 no device context; 2 the display surface refused the lock;
  // -1 only the changed area was asked for and nothing changed. With a
  // display surface the picture is converted into it (formatCode is its
  // layout); otherwise it goes to dc, or to a context taken from window.
  int Present(WindowDcSource* window, const platform::SurfaceDc* dc,
              platform::SoftSurface* target, uint32_t formatCode, uint8_t dirtyOnly);

  // --- as the screen image ----------------------------------------------------------
  int PresentImage(WindowDcSource* window, const platform::SurfaceDc* dc, platform::SoftSurface* target,
                   uint32_t formatCode, uint8_t dirtyOnly) override {
    return Present(window, dc, target, formatCode, dirtyOnly);
  }
  // The whole picture is to be presented again.
  void NotifySurfacesChanged() override { AddDirty(nullptr); }
  int32_t ImageWidth() const override { return surface_.GetWidth(); }
  int32_t ImageHeight() const override { return surface_.GetHeight(); }
  Rect LastPresentedBounds() const override { return presented_; }
  // A partner that goes ends the timed present it takes part in; the
  // running task hears of every image that goes.
  void ForgetImage(const Image* image) override;

  // --- canvas operations ---------------------------------------------------------
  Surface* GetSurface() { return &surface_; }
  SpriteCanvas* GetCanvas() const { return canvas_.get(); }
  SpriteList* GetOverlayList() const { return overlay_.get(); }
  uint8_t IsPrepared() const { return prepared_; }
  // Returns the old value. Set: the surface records no changes of its own
  // (the canvas tracks them); cleared: it records them again.
  virtual uint8_t SetPrepared(uint8_t prepared);
  // The rectangle (null: the whole surface) is to be presented again.
  virtual void AddDirty(const Rect* rect);
  void SetNoBackground(bool on);
  void SetHidden(bool hideMain, bool hideOverlay);
  // Each keeps its surface and overlay list and takes the other's canvas.
  void ExchangeCanvases(CanvasDrawObject* other);
  // 1 when either has no canvas; else SpriteCanvas::SwapBackground's result.
  int ExchangeBackgrounds(CanvasDrawObject* other);

  // --- timed present -------------------------------------------------------------
  // 1 when its size or depth differs from the surface's; null clears; 0.
  int SetPairedImage(CanvasDrawObject* image);
  CanvasDrawObject* PairedImage() const { return paired_; }
  // Takes the caller's hold on the task when started; on refusal the
  // caller keeps it. 0 started (a null task only ends a
  // running one); 1 no canvas; 2 no paired image; 3 the paired image has no
  // canvas when its scene is wanted, or no work surface; 4 mode 2 without a
  // background picture on the canvas concerned.
  int StartTimedPresent(PresentTask* task, uint8_t mode, uint8_t endOption, uint8_t lowPriority);
  // Applies the end: mode 1 takes the paired scene, mode 2 its background.
  void EndTimedPresent(uint8_t apply);
  bool TimedPresentRunning() const { return task_ != nullptr; }
  // The apply flag the running present was started with.
  uint8_t TimedPresentEndOption() const { return endOption_; }
  Surface* WorkSurface() const { return work_.get(); }
  void ReleaseWorkSurface() { work_.reset(); }

 protected:
  // Resets, creates the surface with the creation flags and, for canvas
  // mode 1 or 2, a canvas bound to it (2 also an overlay list), then fills
  // it black. 1 the surface; 2 no memory for the canvas or list; 3 the
  // canvas refused the surface; 0.
  int Setup(int32_t width, int32_t height, uint8_t depth, uint8_t flags, uint8_t canvasMode);

  // Stores the byte alone; the surface's recording is left as it is.
  uint8_t StorePrepared(uint8_t prepared) {
    const uint8_t old = prepared_;
    prepared_ = prepared;
    return old;
  }

 private:
  int PresentPlain(WindowDcSource* window, const platform::SurfaceDc* dc,
                   platform::SoftSurface* target, uint32_t formatCode, uint8_t dirtyOnly);
  int PresentCanvas(WindowDcSource* window, const platform::SurfaceDc* dc,
                    platform::SoftSurface* target, uint32_t formatCode, uint8_t dirtyOnly);
  int RunTimedPresent(WindowDcSource* window, const platform::SurfaceDc* dc,
                      platform::SoftSurface* target, uint32_t formatCode);
  void DrawOverlayInto(Surface* work, const Rect& band);

  Surface surface_;
  std::unique_ptr<SpriteCanvas> canvas_;
  std::unique_ptr<SpriteList> overlay_;
  uint8_t prepared_ = 0;
  CanvasDrawObject* paired_ = nullptr;
  std::unique_ptr<Surface> work_;
  PresentTask* task_ = nullptr;
  uint8_t presentMode_ = 0;
  uint8_t endOption_ = 0;
  uint8_t lowPriority_ = 0;
  uint8_t hideOverlay_ = 0;
  Rect presented_;  // what the last present copied
};

}  // namespace orrivel
