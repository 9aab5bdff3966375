#pragma once
// The screen side of the object movie player: the display's DirectDraw-
// style object and primary surface, offered to the movie object only when
// the display presents through them on the primary display's driver (a
// movie object presenting elsewhere would draw on the wrong screen).
#include "sound/ObjectMovie.h"

namespace orrivel {

class DisplayScreenDevice;

class DisplayObjectMoviePresentation final : public ObjectMoviePresentation {
 public:
  explicit DisplayObjectMoviePresentation(DisplayScreenDevice& display) : display_(display) {}

  bool PresentsOnPrimaryDisplay() override;
  void* DirectDraw() override;
  void* PrimarySurface() override;
  // A primary surface of the display's driver, null when it refuses one.
  void* CreatePrimarySurface() override;
  void ReleaseSurface(void* surface) override;

 private:
  DisplayScreenDevice& display_;
};

}  // namespace orrivel
