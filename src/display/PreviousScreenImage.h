#pragma once
// What the screen showed before a holder put an image of its own there
// (the frame's canvas, the history's scene), to be given back when the
// holder is done. An image a script attached by its handle goes back by
// that handle, so the scripts read it again as the screen image; any other
// goes back through a link. Either way an image deleted meanwhile (by its
// handle, its group or all at once) is not given back: the screen is then
// left without one.
#include <cstdint>

#include "base/WeakLink.h"
#include "display/ScreenImage.h"

namespace orrivel {

class DisplayScreenDevice;

class PreviousScreenImage {
 public:
  void Remember(const DisplayScreenDevice& screen);
  // Attaches what was remembered (nothing when it went) and forgets it.
  void GiveBackTo(DisplayScreenDevice& screen);
  void Forget();

  ScreenImage* Image() const { return image_.Get(); }
  uint32_t Handle() const { return handle_; }

 private:
  WeakLink<ScreenImage> image_;
  uint32_t handle_ = 0;
  int flag_ = 0;
};

}  // namespace orrivel
