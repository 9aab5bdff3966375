#include "effect/LayerAction.h"

#include <type_traits>
#include <vector>

#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "raster/Drawable.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

LayerAction::~LayerAction() {
  if (lowPriority_ == LowPriority::Entered) LeaveLowPriority();
}

uint32_t LayerAction::Attach(uint32_t) { return 0; }

int32_t LayerAction::Setup(TimerList* timerList, const ObjectArgument& target, std::initializer_list<ObjectArgument> cells) {
  return SetupV(timerList, target, CellList(cells));
}

int32_t LayerAction::SetupV(const ObjectArguments& arguments) {
  return SetupV(arguments.Object<TimerList>(0), arguments.At(1), arguments.Rest(2));
}

int32_t LayerAction::ControlV(const ObjectArguments&) { return kNotSupported; }

int32_t LayerAction::Control(std::initializer_list<ObjectArgument> cells) { return ControlV(CellList(cells)); }

int32_t LayerAction::QueryV(const ObjectArguments&) { return kNotSupported; }

int32_t LayerAction::Query(std::initializer_list<ObjectArgument> cells) { return QueryV(CellList(cells)); }

LayerAction::Loss LayerAction::LosingSprite(const Drawable&) const { return Loss::None; }
LayerAction::Loss LayerAction::LosingCanvas(const SpriteCanvas&) const { return Loss::None; }
void LayerAction::LetGoSprite(const Drawable&) {}
void LayerAction::LetGoCanvas(const SpriteCanvas&) {}

namespace {

template <class Object, class Losing, class LetGo>
void LetActionsGo(TimerList& list, const Object& object, Losing losing, LetGo letGo) {
  // The actions first: stopping one never removes entries, but keep the
  // walk apart from the stopping.
  std::vector<LayerAction*> actions;
  for (TimedTask* task : list.Tasks()) {
    auto* action = dynamic_cast<LayerAction*>(task);
    if (action != nullptr && !action->IsFinished()) actions.push_back(action);
  }
  for (LayerAction* action : actions) {
    const LayerAction::Loss loss = (action->*losing)(object);
    if (loss == LayerAction::Loss::None) continue;
    if (loss == LayerAction::Loss::Whole) list.Stop(action->Handle());
    (action->*letGo)(object);
  }
}

}  // namespace

void LetLayerActionsGoOf(TimerList& list, const Drawable& sprite) {
  LetActionsGo(list, sprite, &LayerAction::LosingSprite, &LayerAction::LetGoSprite);
}

void LetLayerActionsGoOf(TimerList& list, const SpriteCanvas& canvas) {
  LetActionsGo(list, canvas, &LayerAction::LosingCanvas, &LayerAction::LetGoCanvas);
}

template <class T>
void LayerAction::Lose(const T& object) {
  Loss loss = Loss::None;
  if constexpr (std::is_same_v<T, Drawable>) loss = LosingSprite(object);
  else loss = LosingCanvas(object);
  if (loss == Loss::None) return;
  // The object is going: nothing may reach it, not even the stop.
  if constexpr (std::is_same_v<T, Drawable>) LetGoSprite(object);
  else LetGoCanvas(object);
  if (loss == Loss::Whole) StopAsTheListWould();
}

template <class T>
void LayerAction::Watch(T* object, std::vector<std::unique_ptr<WeakLink<T>>>& links) {
  std::erase_if(links, [](const std::unique_ptr<WeakLink<T>>& link) { return !*link; });
  if (object == nullptr) return;
  for (const auto& link : links)
    if (link->Get() == object) return;
  // Only the address is used once the object goes.
  links.push_back(std::make_unique<WeakLink<T>>(object, [this, object] { Lose<T>(*object); }));
}

void LayerAction::Watch(Drawable* sprite) { Watch(sprite, spriteLinks_); }
void LayerAction::Watch(SpriteCanvas* canvas) { Watch(canvas, canvasLinks_); }

void LayerAction::EnterLowPriority() {
  if (lowPriority_ != LowPriority::Requested || !HasEnterLowPriorityHook()) return;
  orrivel::EnterLowPriority();
  lowPriority_ = LowPriority::Entered;
}

}  // namespace orrivel
