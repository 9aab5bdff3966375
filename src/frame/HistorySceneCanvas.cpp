#include "frame/HistorySceneCanvas.h"

#include "display/DisplayScreenDevice.h"
#include "frame/SceneSnapshot.h"
#include "scene/CanvasDrawImage.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr uint8_t kDepth = 32;
constexpr uint8_t kWithCanvas = 1;

}  // namespace

HistorySceneCanvas::HistorySceneCanvas(DisplayScreenDevice* screen) : screen_(screen) {}

HistorySceneCanvas::~HistorySceneCanvas() { Restore(); }

SpriteList* HistorySceneCanvas::Show(const HistorySceneRecord& scene) {
  if (screen_ == nullptr) return nullptr;
  if (!canvas_) {
    auto canvas = std::make_unique<CanvasDrawImage>();
    if (canvas->Load(kWidth, kHeight, kDepth, kWithCanvas) != 0 || canvas->GetCanvas() == nullptr) return nullptr;
    canvas_ = std::move(canvas);
    previous_.Remember(*screen_);
  }
  SpriteCanvas& canvas = *canvas_->GetCanvas();
  if (RenderSceneSnapshot(scene, picture_) != 0) {
    // The scene is gone with its picture: the background stays plain.
    canvas.SetBackgroundValue(0xFF000000u, 1);
  } else {
    canvas.SetBackgroundImage(&picture_, 0, 0, 1);
  }
  if (screen_->GetScreenImage() != canvas_.get()) screen_->AttachScreenImage(canvas_.get());
  return &canvas.MainList();
}

void HistorySceneCanvas::Restore() {
  if (!canvas_) return;
  if (screen_->GetScreenImage() == canvas_.get()) previous_.GiveBackTo(*screen_);
  // What still stands on the canvas is let go with its lists.
  canvas_.reset();
  picture_.FreeBuffers();
  previous_.Forget();
}

}  // namespace orrivel
