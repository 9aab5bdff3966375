#pragma once
// The modal dialog layer: the engine draws a game dialog itself and shows
// it over its owner's game screen. The dialog's picture goes into a frame
// the size of the owner's client area at the dialog's place, and only that
// place is handed to the platform's presenter as the changed part, so the
// game's picture around it stays. A dialog without a shown owner is drawn
// into its own window instead. When the dialog goes, the owner is asked to
// paint its screen again.
//
// Main thread only.
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "game/DialogPainter.h"
#include "platform/DialogService.h"
#include "platform/SoftSurface.h"

namespace orrivel {

// The enabled control of one of the kinds under a point of the dialog's
// client area; null for none.
const platform::DialogControl* DialogControlAt(const platform::DialogRequest& request, platform::Point point,
                                               std::initializer_list<platform::DialogControlKind> kinds);

class DialogLayer {
 public:
  // With no painter given, one of the dialogs' own font.
  explicit DialogLayer(DialogPainter* painter = nullptr);

  // Draws the dialog (request.rect: its client area in desktop
  // coordinates) over request.owner, else into `ownWindow`, and presents
  // it. The area presented, in the target window's frame coordinates;
  // empty when there is nothing to show it in. The same dialog over the
  // same window is not drawn again.
  platform::Rect Show(const platform::DialogRequest& request, platform::WindowId ownWindow = platform::kNoWindow);
  // Draws the dialog again even if it did not change (its window painted
  // its own picture over it).
  platform::Rect Redraw(const platform::DialogRequest& request);
  // The dialog is gone: the window it was drawn over paints itself again.
  void Hide();

  // The window the dialog was last shown in, and the frame presented.
  platform::WindowId Target() const { return target_; }
  platform::SoftSurface& Frame() { return frame_; }
  // The dialog's whole picture, as drawn last.
  Surface& Picture() { return picture_; }

 private:
  bool PrepareFrame(int32_t width, int32_t height);
  platform::Rect CopyPicture(platform::Point at);

  std::optional<DialogPainter> ownPainter_;
  DialogPainter* painter_;
  Surface picture_;
  platform::SoftSurface frame_;
  platform::WindowId target_ = platform::kNoWindow;
  platform::DialogRequest shown_;
  bool hasShown_ = false;
};

}  // namespace orrivel
