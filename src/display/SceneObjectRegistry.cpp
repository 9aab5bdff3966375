#include "display/SceneObjectRegistry.h"

#include <iterator>
#include <new>

#include "display/D3DDevice.h"

namespace orrivel {

SceneObject::~SceneObject() {
  if (registry_ != nullptr) registry_->Remove(this);
}

bool SceneObject::Overlaps(SceneObject* other) {
  Rect own;
  Rect theirs;
  if (other == nullptr || !GetBounds(&own) || !other->GetBounds(&theirs)) return false;
  return theirs.top < own.bottom && own.top < theirs.bottom && theirs.left < own.right &&
         own.left < theirs.right;
}

std::list<SceneObjectRegistry::Node>::iterator SceneObjectRegistry::Find(const SceneObject* object) {
  for (auto it = nodes_.begin(); it != nodes_.end(); ++it) {
    if (it->object == object) return it;
  }
  return nodes_.end();
}

int SceneObjectRegistry::Insert(SceneObject* object, uint32_t priority, uint8_t flag, bool beforeEquals) {
  if (object == nullptr) return 1;
  if (object->registry_ != nullptr) return 2;
  // Walk past every node that draws before the new one.
  auto it = nodes_.begin();
  while (it != nodes_.end() && (beforeEquals ? it->priority > priority : it->priority >= priority)) ++it;
  try {
    nodes_.insert(it, Node{object, priority, flag});
  } catch (const std::bad_alloc&) {
    return 3;
  }
  object->registry_ = this;
  return 0;
}

int SceneObjectRegistry::Add(SceneObject* object, uint32_t priority, uint8_t flag) {
  return Insert(object, priority, flag, false);
}

int SceneObjectRegistry::AddFirst(SceneObject* object, uint32_t priority, uint8_t flag) {
  return Insert(object, priority, flag, true);
}

void SceneObjectRegistry::Remove(SceneObject* object) {
  if (object == nullptr || object->registry_ != this) return;
  const auto it = Find(object);
  if (it != nodes_.end()) nodes_.erase(it);
  object->registry_ = nullptr;
}

void SceneObjectRegistry::RemoveByPriority(uint32_t priority) {
  RemoveWhere([priority](const Node& node) { return node.priority == priority; });
}

void SceneObjectRegistry::RemoveByFlag(uint8_t flag) {
  RemoveWhere([flag](const Node& node) { return node.flag == flag; });
}

bool SceneObjectRegistry::Move(SceneObject* object, uint32_t priority, bool onlyIfChanged,
                               bool beforeEquals) {
  if (object == nullptr || object->registry_ != this) return false;
  const auto it = Find(object);
  if (it == nodes_.end()) return false;
  if (onlyIfChanged && it->priority == priority) return false;
  // The node is moved, not freed and made again, so a move cannot fail.
  auto at = nodes_.begin();
  while (at != nodes_.end() && (at == it || (beforeEquals ? at->priority > priority : at->priority >= priority))) {
    ++at;
  }
  it->priority = priority;
  nodes_.splice(at, nodes_, it);
  return true;
}

bool SceneObjectRegistry::SetPriority(SceneObject* object, uint32_t priority, bool onlyIfChanged) {
  return Move(object, priority, onlyIfChanged, false);
}

bool SceneObjectRegistry::SetPriorityFirst(SceneObject* object, uint32_t priority, bool onlyIfChanged) {
  return Move(object, priority, onlyIfChanged, true);
}

void SceneObjectRegistry::SetVisibleWhere(bool visible, uint32_t priority, int32_t flag) {
  for (Node& n : nodes_) {
    if ((priority == 0xFFFFFFFFu || n.priority == priority) && (flag == -1 || n.flag == uint8_t(flag))) {
      n.object->SetVisible(visible);
    }
  }
}

int SceneObjectRegistry::DrawAll(int32_t a, int32_t b, D3DDevice* device) {
  const bool scene = device != nullptr && device->HasDevice();
  if (scene && device->BeginScene() != 0) return -1;
  int result = 0;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    // The next node is taken first: an object may unlink itself while drawing.
    SceneObject* object = it->object;
    ++it;
    result = object->Draw(a, b, device);
    if (result != 0) break;
  }
  if (scene) device->EndScene();
  return result;
}

int SceneObjectRegistry::RestoreAll() {
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    SceneObject* object = it->object;
    ++it;
    if (const int r = object->Restore(); r != 0) return r;
  }
  return 0;
}

void SceneObjectRegistry::Clear() {
  for (Node& n : nodes_) n.object->registry_ = nullptr;
  nodes_.clear();
}

SceneObject* SceneObjectRegistry::At(size_t index) const {
  if (index >= nodes_.size()) return nullptr;
  return std::next(nodes_.begin(), std::ptrdiff_t(index))->object;
}

}  // namespace orrivel
