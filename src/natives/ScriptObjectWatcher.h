#pragma once
// Lets the sprite actions the scripts started on the host's object timer
// list let go of a sprite, scene object or image that the screen device is
// about to delete: actions aimed at it stop where they are (a layer action
// that fades several sprites drops just that one). The transition effects
// link to their images and end on their own however an image goes. A
// canvas image the game's controls draw on is let go by the control host
// and the control factory, which draw into no canvas until the scripts give
// them another.
//
// Main thread only.
#include <functional>
#include <string>
#include <utility>

#include "display/DrawObjectWatcher.h"

namespace orrivel {

class SpriteCanvas;
class TimerList;

class ScriptObjectWatcher final : public DrawObjectWatcher {
 public:
  using LogSink = std::function<void(const std::string&)>;
  // The list is the host's object timer list (null: nothing to stop); the
  // sink takes the line said when the controls lose their canvas.
  explicit ScriptObjectWatcher(TimerList* objectTimers, LogSink log = {})
      : timers_(objectTimers), log_(std::move(log)) {}

  void ImageDeleting(const Image& image) override;
  void SceneObjectDeleting(const SceneObject& object) override;
  void SpriteDeleting(const Drawable& sprite) override;

 private:
  void ForgetControlCanvas(const SpriteCanvas* canvas);

  TimerList* timers_;
  LogSink log_;
};

}  // namespace orrivel
