#pragma once
// What the screen device asks of its screen image, the picture that the
// game composes in memory and that each frame presents: to copy itself into
// a display surface or through a device context (whole, or only where it
// changed), and to take note that whatever it copied before is gone.
#include <cstdint>

#include "base/WeakLink.h"
#include "platform/Rect.h"
#include "platform/SoftSurface.h"

namespace orrivel {

class Image;

// A window whose device context a present takes for its drawing.
class WindowDcSource {
 public:
  virtual ~WindowDcSource() = default;
  // False when the window has no context to give.
  virtual bool GetDC(platform::SurfaceDc* out) = 0;
  virtual void ReleaseDC(const platform::SurfaceDc& dc) = 0;
};

// A holder that shows it (the screen, a holder giving the screen back its
// image) keeps it by a WeakLink: whatever deletes it, the link turns null.
class ScreenImage : public LinkTarget {
 public:
  virtual ~ScreenImage() = default;
  // 0 done; 1 no device context; 2 the display surface refused the lock;
  // -1 only the changed area was asked for and nothing changed. Into the
  // surface when one is given (formatCode is its layout), else through dc,
  // else through a context taken from window.
  virtual int PresentImage(WindowDcSource* window, const platform::SurfaceDc* dc,
                           platform::SoftSurface* target, uint32_t formatCode, uint8_t dirtyOnly) = 0;
  // The surfaces it was presented into were made anew or lost: the next
  // present copies the whole picture.
  virtual void NotifySurfacesChanged() = 0;
  virtual int32_t ImageWidth() const = 0;
  virtual int32_t ImageHeight() const = 0;
  // The bounds of what the last present copied (empty when nothing).
  virtual platform::Rect LastPresentedBounds() const = 0;
  // The image is about to be deleted (null: every image is): a picture
  // that keeps it as a partner lets go of it.
  virtual void ForgetImage(const Image*) {}
};

}  // namespace orrivel
