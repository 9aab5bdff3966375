#include "scene/CanvasDrawObject.h"

#include <algorithm>
#include <new>
#include <vector>

#include "base/TickSource.h"
#include "display/SurfaceImage.h"
#include "raster/MemoryDc.h"
#include "scene/PresentTask.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

bool g_mergeRectangles = false;
bool g_bandedTimedPresent = true;
CanvasDrawObject::PriorityHook g_priorityHook = nullptr;

// Where one present draws: a device context (given, or taken from the
// window for the present) or a locked display surface.
class PresentTarget {
 public:
  PresentTarget(WindowDcSource* window, const platform::SurfaceDc* dc,
                platform::SoftSurface* surface, uint32_t formatCode, Rect* bounds)
      : window_(window), given_(dc), surface_(surface), formatCode_(formatCode), bounds_(bounds) {}
  PresentTarget(const PresentTarget&) = delete;
  PresentTarget& operator=(const PresentTarget&) = delete;
  ~PresentTarget() {
    if (locked_) surface_->Unlock();
    if (fromWindow_) window_->ReleaseDC(dc_);
  }

  // 0 ready; 1 no device context; lockFailure when the surface refused.
  int Open(int lockFailure) {
    if (surface_ != nullptr) {
      if (surface_->Lock(nullptr, &lock_) != platform::kSurfaceOk) return lockFailure;
      locked_ = true;
      return 0;
    }
    if (given_ != nullptr) {
      dc_ = *given_;
      return 0;
    }
    if (window_ == nullptr || !window_->GetDC(&dc_)) return 1;
    fromWindow_ = true;
    return 0;
  }

  // The rectangle of the picture to the same place on the target.
  void Copy(Surface* from, const Rect& r) {
    if (!r.IsEmpty()) {
      *bounds_ = bounds_->IsEmpty() ? r
                                    : Rect{std::min(bounds_->left, r.left), std::min(bounds_->top, r.top),
                                           std::max(bounds_->right, r.right), std::max(bounds_->bottom, r.bottom)};
    }
    if (surface_ != nullptr) {
      SurfaceImage::CopyToImageAlt(surface_, formatCode_, nullptr, from, r.left, r.top, &r, &lock_);
    } else {
      platform::DcBitBlt(dc_, r.left, r.top, r.Width(), r.Height(), MemoryDcOf(from), r.left, r.top);
    }
  }

 private:
  WindowDcSource* window_;
  const platform::SurfaceDc* given_;
  platform::SoftSurface* surface_;
  uint32_t formatCode_;
  Rect* bounds_;
  platform::SurfaceDc dc_;
  platform::SurfaceLock lock_;
  bool locked_ = false;
  bool fromWindow_ = false;
};

Rect WholeOf(Surface& surface) { return Rect{0, 0, surface.GetWidth(), surface.GetHeight()}; }

bool HasBackgroundPicture(SpriteCanvas* canvas) {
  Surface* picture = nullptr;
  canvas->GetBackground(&picture, nullptr, nullptr, nullptr, nullptr, nullptr);
  return picture != nullptr;
}

// Renders a canvas's dirty rectangles without its overlay list.
void RenderMainOnly(SpriteCanvas* canvas) {
  SpriteList* overlay = canvas->OverlayList();
  canvas->SetOverlayList(nullptr);
  canvas->Render(nullptr, nullptr, 0, 0);
  canvas->SetOverlayList(overlay);
}

}  // namespace

void CanvasDrawObject::SetMergeRectangles(bool on) { g_mergeRectangles = on; }
void CanvasDrawObject::SetBandedTimedPresent(bool on) { g_bandedTimedPresent = on; }
void CanvasDrawObject::SetLowPriorityHook(PriorityHook hook) { g_priorityHook = hook; }

CanvasDrawObject::CanvasDrawObject() = default;

CanvasDrawObject::~CanvasDrawObject() {
  // The screen lets go before the picture it presents goes.
  BreakLinks();
  EndTimedPresent(0);
  Reset();
}

void CanvasDrawObject::Reset() {
  if (canvas_) canvas_->SetOverlayList(nullptr);
  canvas_.reset();
  overlay_.reset();
  surface_.SetRegion(surface_.OwnedRegion());
  surface_.FreeBuffers();
  prepared_ = 0;
  paired_ = nullptr;
}

int CanvasDrawObject::Setup(int32_t width, int32_t height, uint8_t depth, uint8_t flags,
                            uint8_t canvasMode) {
  Reset();
  int code = 0;
  if (surface_.Create(width, height, depth, flags) != 0) {
    code = 1;
  } else if (canvasMode != 0) {
    canvas_.reset(new (std::nothrow) SpriteCanvas());
    if (!canvas_) {
      code = 2;
    } else if (canvas_->SetTarget(&surface_, 1) != 0) {
      code = 3;
    } else if (canvasMode == 2) {
      overlay_.reset(new (std::nothrow) SpriteList());
      if (!overlay_) code = 2;
      else canvas_->SetOverlayList(overlay_.get());
    }
  }
  if (code != 0) {
    Reset();
    return code;
  }
  if (canvas_) SetPrepared(1);
  // The surface was just made and a new image starts all zero, which is
  // the black a fill would write: a second pass would only bring in every
  // page of a screen-sized picture that may not be drawn on for a while.
  return 0;
}

int CanvasDrawObject::AddOverlayList() {
  if (overlay_) return 0;
  if (!canvas_) return 1;
  overlay_.reset(new (std::nothrow) SpriteList());
  if (!overlay_) return 2;
  canvas_->SetOverlayList(overlay_.get());
  return 0;
}

int CanvasDrawObject::Prepare(int32_t width, int32_t height, uint8_t depth, uint8_t withCanvas) {
  return Setup(width, height, depth, 0, withCanvas ? 1 : 0);
}

int CanvasDrawObject::Load(int32_t width, int32_t height, uint8_t depth, uint8_t mode) {
  return Setup(width, height, depth, Surface::kWithDeviceContext | Surface::kWithRegion,
               mode > 2 ? 1 : mode);
}

uint8_t CanvasDrawObject::SetPrepared(uint8_t prepared) {
  const uint8_t old = prepared_;
  prepared_ = prepared;
  surface_.SetRegion(prepared ? nullptr : surface_.OwnedRegion());
  return old;
}

void CanvasDrawObject::AddDirty(const Rect* rect) {
  if (prepared_ && canvas_) {
    canvas_->AddDirty(rect);
    return;
  }
  if (rect != nullptr) {
    surface_.MarkDirty(*rect);
  } else {
    surface_.MarkAllDirty();
  }
}

void CanvasDrawObject::SetNoBackground(bool on) {
  if (canvas_) canvas_->SetNoBackground(on);
}

void CanvasDrawObject::SetHidden(bool hideMain, bool hideOverlay) {
  hideOverlay_ = hideOverlay ? 1 : 0;
  if (!canvas_) return;
  canvas_->SetHideMain(hideMain);
  canvas_->SetHideOverlay(hideOverlay);
}

void CanvasDrawObject::ExchangeCanvases(CanvasDrawObject* other) {
  if (other == nullptr || other == this) return;
  std::swap(canvas_, other->canvas_);
  for (CanvasDrawObject* object : {this, other}) {
    if (!object->canvas_) continue;
    object->canvas_->SetOverlayList(object->overlay_.get());
    object->canvas_->SetTarget(&object->surface_, 1);
  }
}

int CanvasDrawObject::ExchangeBackgrounds(CanvasDrawObject* other) {
  if (other == nullptr || !canvas_ || !other->canvas_) return 1;
  return canvas_->SwapBackground(other->canvas_.get(), 1);
}

// --- present ------------------------------------------------------------------------------

int CanvasDrawObject::Present(WindowDcSource* window, const platform::SurfaceDc* dc,
                              platform::SoftSurface* target, uint32_t formatCode,
                              uint8_t dirtyOnly) {
  presented_ = Rect{};
  if (task_ != nullptr) return RunTimedPresent(window, dc, target, formatCode);
  if (!prepared_ || !canvas_) return PresentPlain(window, dc, target, formatCode, dirtyOnly);
  return PresentCanvas(window, dc, target, formatCode, dirtyOnly);
}

int CanvasDrawObject::PresentPlain(WindowDcSource* window, const platform::SurfaceDc* dc,
                                   platform::SoftSurface* target, uint32_t formatCode,
                                   uint8_t dirtyOnly) {
  if (surface_.GetBits() == nullptr) return 1;
  DirtyRegion* region = surface_.Region();
  if (dirtyOnly && (!surface_.Changed() || region == nullptr)) return -1;
  PresentTarget to(window, dc, target, formatCode, &presented_);
  // The region and the changed flag stay as they are when nothing can be drawn.
  const int opened = to.Open(2);
  if (opened != 0) return opened;
  if (!dirtyOnly) {
    to.Copy(&surface_, WholeOf(surface_));
    return 0;
  }
  if (g_mergeRectangles) region->Coalesce();
  for (const Rect& r : region->Rects()) to.Copy(&surface_, r);
  region->Reset();
  surface_.ClearChanged();
  return 0;
}

int CanvasDrawObject::PresentCanvas(WindowDcSource* window, const platform::SurfaceDc* dc,
                                    platform::SoftSurface* target, uint32_t formatCode,
                                    uint8_t dirtyOnly) {
  PresentTarget to(window, dc, target, formatCode, &presented_);
  const int opened = to.Open(2);
  if (opened != 0) return opened;
  if (!dirtyOnly) canvas_->MarkAllChanged();
  DirtyRegion painted;
  const int rendered = canvas_->Render(&painted, nullptr, 0, 0);
  if (rendered != 0) return rendered;
  if (g_mergeRectangles) painted.Coalesce();
  for (const Rect& r : painted.Rects()) to.Copy(&surface_, r);
  return 0;
}

// --- timed present -----------------------------------------------------------------------------

int CanvasDrawObject::SetPairedImage(CanvasDrawObject* image) {
  if (image != nullptr &&
      (image->surface_.GetWidth() != surface_.GetWidth() ||
       image->surface_.GetHeight() != surface_.GetHeight() ||
       image->surface_.GetBitsPerPixel() != surface_.GetBitsPerPixel())) {
    return 1;
  }
  paired_ = image;
  return 0;
}

void CanvasDrawObject::ForgetImage(const Image* image) {
  // The running task may read a picture of its own (a rule image).
  if (task_ != nullptr) task_->ForgetImage(image);
  if (paired_ == nullptr) return;
  if (image != nullptr && dynamic_cast<const Image*>(paired_) != image) return;
  EndTimedPresent(0);
  paired_ = nullptr;
}

int CanvasDrawObject::StartTimedPresent(PresentTask* task, uint8_t mode, uint8_t endOption,
                                        uint8_t lowPriority) {
  if (task_ != nullptr) EndTimedPresent(endOption_);
  if (task == nullptr) return 0;
  const auto refuse = [](int code) { return code; };
  if (!canvas_) return refuse(1);
  if (paired_ == nullptr) return refuse(2);
  const bool pairedScene = task->Type() == 0 || task->Type() == 1;
  if ((mode == 1 || mode == 2) && pairedScene && !paired_->canvas_) return refuse(3);
  if (mode == 2 && !HasBackgroundPicture(pairedScene ? paired_->canvas_.get() : canvas_.get())) {
    return refuse(4);
  }
  if (mode == 1 && overlay_ && overlay_->Head() != nullptr) canvas_->MarkAllChanged();
  if (!work_) {
    work_.reset(new (std::nothrow) Surface());
    if (!work_ || work_->Create(surface_.GetWidth(), surface_.GetHeight(),
                                surface_.GetBitsPerPixel(), Surface::kWithDeviceContext) != 0) {
      work_.reset();
      return refuse(3);
    }
  }
  if (lowPriority && g_priorityHook != nullptr) g_priorityHook(true);
  presentMode_ = mode;
  endOption_ = endOption;
  lowPriority_ = lowPriority;
  task_ = task;
  return 0;
}

void CanvasDrawObject::EndTimedPresent(uint8_t apply) {
  if (task_ == nullptr) return;
  PresentTask::Release(task_);
  task_ = nullptr;
  if (lowPriority_ && g_priorityHook != nullptr) g_priorityHook(false);
  if (apply && paired_ != nullptr) {
    if (presentMode_ == 1) ExchangeCanvases(paired_);
    if (presentMode_ == 2) ExchangeBackgrounds(paired_);
  }
  if (presentMode_ != 0) {
    if (canvas_) canvas_->AddDirty(nullptr);
    const Rect whole = WholeOf(surface_);
    if (DirtyRegion* region = surface_.OwnedRegion()) region->AddRect(whole);
    surface_.MarkAllDirty();
  }
}

void CanvasDrawObject::DrawOverlayInto(Surface* work, const Rect& band) {
  if (!prepared_ || !canvas_ || hideOverlay_ || !overlay_) return;
  for (SpriteList::Node* node = overlay_->Tail(); node != nullptr; node = node->prev) {
    Drawable* d = node->drawable;
    if (d != nullptr && d->IsVisible() && d->GetOpacity() != 0) d->Draw(work, band);
  }
}

int CanvasDrawObject::RunTimedPresent(WindowDcSource* window, const platform::SurfaceDc* dc,
                                      platform::SoftSurface* target, uint32_t formatCode) {
  const int stepped = task_->Step(CurrentTickMs());
  if (stepped != 0) {
    EndTimedPresent(endOption_);
    return stepped;
  }
  if (presentMode_ == 1 && prepared_ && canvas_) {
    RenderMainOnly(canvas_.get());
    const int type = task_->Type();
    if ((type == 0 || type == 1) && paired_ != nullptr && paired_->canvas_) {
      RenderMainOnly(paired_->canvas_.get());
    }
  }
  {
    PresentTarget to(window, dc, target, formatCode, &presented_);
    const int opened = to.Open(1);
    if (opened != 0) return opened;
    if (work_->GetBitsPerPixel() != 32 && work_->GetPalette() == nullptr &&
        work_->SetPalette(nullptr, 0, 256, 0) != 0) {
      return 2;
    }
    const int32_t width = work_->GetWidth();
    const int32_t height = work_->GetHeight();
    const bool banded = (task_->Kind() & 1) == 0 && g_bandedTimedPresent;
    const int32_t step = banded ? SpriteCanvas::BandHeight(width) : height;
    for (int32_t top = 0; top < height; top += step) {
      const Rect band{0, top, width, std::min(height, top + step)};
      task_->DrawBand(band, work_.get());
      DrawOverlayInto(work_.get(), band);
      to.Copy(work_.get(), band);
    }
  }
  const int ended = task_->Query();
  if (ended != 0) {
    EndTimedPresent(endOption_);
    return ended;
  }
  return 0;
}

}  // namespace orrivel
