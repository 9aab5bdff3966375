#include "game/DialogLayer.h"

#include <algorithm>
#include <cstring>

#include "display/DisplayScreenDevice.h"
#include "platform/Backend.h"

namespace orrivel {

using platform::DialogRequest;
using platform::Point;
using platform::WindowId;

namespace {

bool SameDialog(const DialogRequest& a, const DialogRequest& b) {
  return a.templateId == b.templateId && a.owner == b.owner && a.caption == b.caption && a.rect == b.rect &&
         a.controls == b.controls && a.defaultButton == b.defaultButton;
}

bool ShownOwner(platform::Backend& backend, WindowId owner) {
  return owner != platform::kNoWindow && owner != platform::kDesktopWindow && backend.IsWindow(owner) &&
         backend.IsVisible(owner);
}

}  // namespace

const platform::DialogControl* DialogControlAt(const DialogRequest& request, Point point,
                                               std::initializer_list<platform::DialogControlKind> kinds) {
  for (const platform::DialogControl& control : request.controls) {
    if (!control.enabled || std::find(kinds.begin(), kinds.end(), control.kind) == kinds.end()) continue;
    const Rect& r = control.rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return &control;
  }
  return nullptr;
}

DialogLayer::DialogLayer(DialogPainter* painter) : painter_(painter) {
  if (painter_ == nullptr) painter_ = &ownPainter_.emplace();
}

bool DialogLayer::PrepareFrame(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return false;
  if (frame_.HasPixels() && frame_.Width() == width && frame_.Height() == height) return true;
  // A new frame starts black: only the dialog's part of it is presented
  // over a window that already shows the game.
  return frame_.Create(width, height, platform::SurfaceFormat::X8R8G8B8) == platform::kSurfaceOk;
}

// The picture at `at` of the frame, cut to it; the part it covers.
platform::Rect DialogLayer::CopyPicture(Point at) {
  const Rect onFrame{std::max(0, at.x), std::max(0, at.y), std::min(frame_.Width(), at.x + picture_.GetWidth()),
                     std::min(frame_.Height(), at.y + picture_.GetHeight())};
  if (onFrame.IsEmpty()) return Rect{};
  platform::SurfaceLock lock;
  if (frame_.Lock(nullptr, &lock) != platform::kSurfaceOk) return Rect{};
  for (int32_t y = onFrame.top; y < onFrame.bottom; ++y) {
    const uint8_t* src = picture_.GetScanLine(y - at.y) + size_t(onFrame.left - at.x) * 4;
    uint8_t* dst = lock.bits + size_t(y) * lock.pitch + size_t(onFrame.left) * 4;
    std::memcpy(dst, src, size_t(onFrame.Width()) * 4);
  }
  frame_.Unlock();
  return onFrame;
}

platform::Rect DialogLayer::Show(const DialogRequest& request, WindowId ownWindow) {
  platform::Backend& backend = platform::CurrentBackend();
  WindowId target = platform::kNoWindow;
  Point at{};
  int32_t width = 0, height = 0;
  const Point origin = DialogPainter::ClientOrigin();
  const Point frameTopLeft{request.rect.left - origin.x, request.rect.top - origin.y};
  const platform::Size size =
      DialogPainter::FrameSize(platform::Size{request.rect.Width(), request.rect.Height()});
  if (ShownOwner(backend, request.owner)) {
    target = request.owner;
    const Rect client = backend.GetClientRect(target);
    width = client.Width();
    height = client.Height();
    at = backend.ScreenToClient(target, frameTopLeft);
  } else if (ownWindow != platform::kNoWindow && backend.IsWindow(ownWindow)) {
    target = ownWindow;
    width = size.width;
    height = size.height;
  } else {
    return Rect{};
  }
  if (hasShown_ && target == target_ && SameDialog(request, shown_)) return Rect{};
  if (!PrepareFrame(width, height) || !painter_->Paint(request, picture_)) return Rect{};
  const Rect dirty = CopyPicture(at);
  if (dirty.IsEmpty()) return Rect{};
  const Rect area{0, 0, width, height};
  if (backend.ScreenPresenter().Present(target, frame_, area, &dirty, platform::PresentOptions{}) !=
      platform::kPresentOk) {
    return Rect{};
  }
  target_ = target;
  shown_ = request;
  hasShown_ = true;
  return dirty;
}

platform::Rect DialogLayer::Redraw(const DialogRequest& request) {
  hasShown_ = false;
  return Show(request);
}

void DialogLayer::Hide() {
  platform::Backend& backend = platform::CurrentBackend();
  if (target_ != platform::kNoWindow && target_ == shown_.owner && backend.IsWindow(target_)) {
    backend.InvalidateWindow(target_);
    // The game's screen presents only the parts it changes: the part the
    // dialog covered would keep the dialog's picture until the game drew
    // over it. The screen shows its whole picture again at once.
    auto* display = dynamic_cast<DisplayScreenDevice*>(CurrentScreenDevice());
    if (display != nullptr && display->Window() == target_) {
      display->PaintWindow(target_, backend.GetClientRect(target_));
    }
  }
  target_ = platform::kNoWindow;
  hasShown_ = false;
}

}  // namespace orrivel
