#include "display/PreviousScreenImage.h"

#include "display/DisplayScreenDevice.h"

namespace orrivel {

void PreviousScreenImage::Remember(const DisplayScreenDevice& screen) {
  image_.Reset(screen.GetScreenImage());
  handle_ = screen.AttachedHandle();
  flag_ = screen.canvasFlag;
}

void PreviousScreenImage::GiveBackTo(DisplayScreenDevice& screen) {
  if (handle_ != 0)
    screen.SetScreenImage(handle_, flag_);
  else
    screen.AttachScreenImage(image_.Get());
  Forget();
}

void PreviousScreenImage::Forget() {
  image_.Reset();
  handle_ = 0;
  flag_ = 0;
}

}  // namespace orrivel
