#pragma once
// The scene objects of the screen device in one list ordered by a 32-bit
// unsigned priority, highest first. The registry only links the objects; it
// draws and restores them in order.
#include <cstdint>
#include <cstddef>
#include <list>

#include "display/SceneObject.h"

namespace orrivel {

class SceneObjectRegistry {
 public:
  SceneObjectRegistry() = default;
  SceneObjectRegistry(const SceneObjectRegistry&) = delete;
  SceneObjectRegistry& operator=(const SceneObjectRegistry&) = delete;
  virtual ~SceneObjectRegistry() { Clear(); }

  // 1 null object, 2 already registered, 3 no memory; 0 done. Add places
  // the object after those of equal priority, AddFirst before them.
  int Add(SceneObject* object, uint32_t priority, uint8_t flag);
  int AddFirst(SceneObject* object, uint32_t priority, uint8_t flag);
  // Unlinks the object; an object not registered here changes nothing.
  void Remove(SceneObject* object);
  // Unlinks every object of that priority.
  void RemoveByPriority(uint32_t priority);
  // Unlinks every object registered with that flag byte.
  void RemoveByFlag(uint8_t flag);
  // False for a null or unregistered object, and when onlyIfChanged is set
  // and the priority is already that value; otherwise moves the object.
  bool SetPriority(SceneObject* object, uint32_t priority, bool onlyIfChanged);
  bool SetPriorityFirst(SceneObject* object, uint32_t priority, bool onlyIfChanged);
  // Sets visibility where priority (0xFFFFFFFF: any) and flag (-1: any) match.
  void SetVisibleWhere(bool visible, uint32_t priority, int32_t flag);
  // Draws every object in order between the device's BeginScene and
  // EndScene (when it has a Direct3D device); -1 when the scene cannot
  // begin; otherwise the first non-zero Draw result, or 0.
  int DrawAll(int32_t a, int32_t b, D3DDevice* device);
  // Restore on each object until one answers non-zero; that value or 0.
  int RestoreAll();
  // Detaches every object without deleting it.
  void Clear();

  size_t GetCount() const { return nodes_.size(); }
  // The object at a position in drawing order, or null.
  SceneObject* At(size_t index) const;
  bool Enabled() const { return enabled_ != 0; }
  void SetEnabled(bool enabled) { enabled_ = enabled ? 1 : 0; }

 private:
  struct Node {
    SceneObject* object;
    uint32_t priority;
    uint8_t flag;
  };
  int Insert(SceneObject* object, uint32_t priority, uint8_t flag, bool beforeEquals);
  bool Move(SceneObject* object, uint32_t priority, bool onlyIfChanged, bool beforeEquals);
  std::list<Node>::iterator Find(const SceneObject* object);
  // Unlinks every entry the predicate chooses.
  template <class Chosen>
  void RemoveWhere(Chosen chosen) {
    for (auto it = nodes_.begin(); it != nodes_.end();) {
      if (chosen(*it)) {
        it->object->registry_ = nullptr;
        it = nodes_.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::list<Node> nodes_;
  uint8_t enabled_ = 1;
};

}  // namespace orrivel
