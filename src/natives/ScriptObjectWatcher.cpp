#include "natives/ScriptObjectWatcher.h"

#include "scene/CanvasDrawObject.h"
#include "scene/SpriteActions.h"
#include "transition/TransitionEffect.h"

namespace orrivel {

void ScriptObjectWatcher::ImageDeleting(const Image& image) {
  if (timers_ == nullptr) return;
  TransitionEffectHolder effects(timers_);
  effects.ForgetImage(&image);
  // A canvas image draws through a surface of its own, which is what an
  // effect started on it holds.
  if (auto* part = dynamic_cast<CanvasDrawObject*>(const_cast<Image*>(&image))) effects.ForgetImage(part->GetSurface());
}

void ScriptObjectWatcher::SceneObjectDeleting(const SceneObject& object) {
  if (timers_ != nullptr) StopSpriteActionsAimedAt(*timers_, &object);
}

void ScriptObjectWatcher::SpriteDeleting(const Drawable& sprite) {
  if (timers_ != nullptr) StopSpriteActionsAimedAt(*timers_, &sprite);
}

}  // namespace orrivel
