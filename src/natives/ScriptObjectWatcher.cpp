#include "natives/ScriptObjectWatcher.h"

#include "effect/LayerAction.h"
#include "natives/GameControlHost.h"
#include "natives/ProcessObjects.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlFactory.h"
#include "scene/ImeModeIndicator.h"
#include "raster/SpriteList.h"
#include "scene/SpriteCanvas.h"
#include "scene/SpriteActions.h"

namespace orrivel {

void ScriptObjectWatcher::ImageDeleting(const Image& image) {
  auto* part = dynamic_cast<CanvasDrawObject*>(const_cast<Image*>(&image));
  if (part != nullptr) ForgetControlCanvas(part->GetCanvas());
  if (timers_ == nullptr) return;
  // The layer actions started on a canvas image keep its sprite canvas.
  if (part != nullptr && part->GetCanvas() != nullptr) LetLayerActionsGoOf(*timers_, *part->GetCanvas());
}

// The host and the factory only link to the canvas and let go of it as it
// goes (the controls themselves stay); the script's author is told why
// its controls vanish.
void ScriptObjectWatcher::ForgetControlCanvas(const SpriteCanvas* canvas) {
  ProcessObjects* objects = GetProcessObjects();
  if (canvas == nullptr || objects == nullptr || !log_) return;
  if (objects->ControlHost().Canvas() == canvas || objects->Controls().GetCanvas() == canvas) {
    log_("the controls' canvas image was deleted: controls are drawn nowhere until a new one is set");
  }
}

void ScriptObjectWatcher::SceneObjectDeleting(const SceneObject& object) {
  if (timers_ != nullptr) StopSpriteActionsAimedAt(*timers_, &object);
}

void ScriptObjectWatcher::SpriteDeleting(const Drawable& sprite) {
  if (timers_ == nullptr) return;
  StopSpriteActionsAimedAt(*timers_, &sprite);
  LetLayerActionsGoOf(*timers_, sprite);
}

}  // namespace orrivel
