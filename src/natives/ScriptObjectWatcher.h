#pragma once
// Lets the sprite actions and transition effects the scripts started on the
// host's object timer list let go of a sprite, scene object or image that
// the screen device is about to delete: actions aimed at it stop where they
// are, effects drawing on it or from it end without drawing again.
//
// Main thread only.
#include "display/DrawObjectWatcher.h"

namespace orrivel {

class TimerList;

class ScriptObjectWatcher final : public DrawObjectWatcher {
 public:
  // The list is the host's object timer list (null: nothing to stop).
  explicit ScriptObjectWatcher(TimerList* objectTimers) : timers_(objectTimers) {}

  void ImageDeleting(const Image& image) override;
  void SceneObjectDeleting(const SceneObject& object) override;
  void SpriteDeleting(const Drawable& sprite) override;

 private:
  TimerList* timers_;
};

}  // namespace orrivel
