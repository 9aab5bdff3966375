#include "scene/CanvasTransitionTask.h"

#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

int CanvasTransitionTask::Step(uint32_t tick) {
  if (!transition_) return -1;
  // A transition that stops on its own (a plug-in's may) ends the present.
  return transition_->Update(tick);
}

void CanvasTransitionTask::DrawBand(const Rect& band, Surface* work) {
  if (!transition_ || work == nullptr) return;
  Surface* own = canvas_.GetSurface();
  CanvasDrawObject* partner = canvas_.PairedImage();
  Surface* entered = own;
  if (transition_->GetCategory() != kTransitionCurrentOnly && partner != nullptr) entered = partner->GetSurface();
  TransitionApplyRecord record;
  record.areaX = band.left;
  record.areaY = band.top;
  record.width = band.right - band.left;
  record.height = band.bottom - band.top;
  record.destination = work;
  record.destX = band.left;
  record.destY = band.top;
  record.from = own;
  record.fromX = band.left;
  record.fromY = band.top;
  record.to = entered;
  record.toX = band.left;
  record.toY = band.top;
  transition_->Apply(record);
}

int CanvasTransitionTask::Query() {
  // The end comes back as the present's "nothing changed": the end applies
  // the swap and marks the whole picture, so the next present shows it.
  if (!transition_) return -1;
  return transition_->IsFinished() != 0 ? -1 : 0;
}

int32_t CanvasTransitionTask::GetDepth() const { return canvas_.GetSurface()->GetBitsPerPixel(); }

bool CanvasTransitionTask::GetPictureSize(int32_t* width, int32_t* height) const {
  Surface* own = canvas_.GetSurface();
  if (own->GetWidth() <= 0) return false;
  if (width != nullptr) *width = own->GetWidth();
  if (height != nullptr) *height = own->GetHeight();
  return true;
}

CanvasTransitionTask* MakeCanvasTransitionTask(TcpManager& registry, CanvasDrawObject& canvas,
                                               std::string_view name, const ObjectArguments& arguments) {
  auto* task = new CanvasTransitionTask(canvas);
  TcpObject* made =
      registry.CreateObjectV(static_cast<TransitionTarget*>(task), name, arguments);
  auto* transition = dynamic_cast<NamedTransition*>(made);
  if (transition == nullptr) {
    if (made != nullptr) made->Release();
    delete task;
    return nullptr;
  }
  task->Attach(transition);
  return task;
}

int StartCanvasTransition(TcpManager& registry, CanvasDrawObject& canvas, std::string_view name,
                          const ObjectArguments& arguments, uint8_t mode, uint8_t apply, uint8_t lowPriority) {
  CanvasTransitionTask* task = MakeCanvasTransitionTask(registry, canvas, name, arguments);
  if (task == nullptr) return kTransitionNotMade;
  const int started = canvas.StartTimedPresent(task, mode, apply, lowPriority);
  // On refusal the transition goes with the task (released, or deleted
  // when this was its only holder).
  if (started != 0) PresentTask::Release(task);
  return started;
}

}  // namespace orrivel
