#pragma once
// The screen a replayed voice's scene shows on while the history screen is
// up: a canvas of the screen's size of its own, with the scene drawn as its
// background, made the screen image in place of the frame's canvas, so the
// scene stands whole whatever the frame's layers and transitions hold. The
// history list moves onto it; the screen image shown before comes back
// when it goes.
#include <cstdint>
#include <memory>

#include "display/PreviousScreenImage.h"
#include "raster/Surface.h"

namespace orrivel {

class CanvasDrawImage;
class DisplayScreenDevice;
class SpriteList;
struct HistorySceneRecord;

class HistorySceneCanvas {
 public:
  static constexpr int32_t kWidth = 1280, kHeight = 720;

  explicit HistorySceneCanvas(DisplayScreenDevice* screen);
  ~HistorySceneCanvas();
  HistorySceneCanvas(const HistorySceneCanvas&) = delete;
  HistorySceneCanvas& operator=(const HistorySceneCanvas&) = delete;

  // Draws the scene as the canvas's background; the first scene makes the
  // canvas and puts it on screen. The list the parts that stand over the
  // scene go to; null without a screen, or when the canvas or the picture
  // cannot be made.
  SpriteList* Show(const HistorySceneRecord& scene);
  // Gives the screen its previous image back and lets the canvas go.
  void Restore();

  bool Shown() const { return canvas_ != nullptr; }

 private:
  DisplayScreenDevice* screen_;
  PreviousScreenImage previous_;
  std::unique_ptr<CanvasDrawImage> canvas_;
  Surface picture_;
};

}  // namespace orrivel
