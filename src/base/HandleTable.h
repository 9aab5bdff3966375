#pragma once
// 32-bit handles for engine objects that pass through script cells or 32-bit
// fields. A handle is a positive int32: bits 0-19 hold the slot index + 1 and
// bits 20-30 a generation that changes each time the slot is reused, so a
// stale or forged handle is refused instead of reaching a freed object.
// Handle 0 is never issued. The table does not own what it points to.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrivel {

template <class T>
class HandleTable {
 public:
  static constexpr uint32_t kIndexBits = 20;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
  static constexpr uint32_t kGenerationMask = 0x7FF;  // 11 bits: handles stay positive
  static constexpr uint32_t kMaxSlots = kIndexMask;   // index + 1 must fit

  // Returns the new handle, or 0 when the table is full or object is null.
  uint32_t Insert(T* object) {
    if (!object) return 0;
    uint32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
    } else {
      if (slots_.size() >= kMaxSlots) return 0;
      index = uint32_t(slots_.size());
      slots_.push_back(Slot{});
    }
    Slot& slot = slots_[index];
    slot.object = object;
    ++count_;
    return ((slot.generation & kGenerationMask) << kIndexBits) | (index + 1);
  }

  // The object, or nullptr for 0, a stale handle or a forged one.
  T* Get(uint32_t handle) const {
    const Slot* slot = Find(handle);
    return slot ? slot->object : nullptr;
  }

  // Frees the slot; false when the handle is not live.
  bool Remove(uint32_t handle) {
    Slot* slot = const_cast<Slot*>(Find(handle));
    if (!slot) return false;
    slot->object = nullptr;
    slot->generation = (slot->generation + 1) & kGenerationMask;
    if (slot->generation == 0) slot->generation = 1;
    free_.push_back((handle & kIndexMask) - 1);
    --count_;
    return true;
  }

  size_t Count() const { return count_; }

  void Clear() {
    for (uint32_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].object) Remove(((slots_[i].generation & kGenerationMask) << kIndexBits) | (i + 1));
    }
  }

 private:
  struct Slot {
    T* object = nullptr;
    uint32_t generation = 1;
  };

  const Slot* Find(uint32_t handle) const {
    const uint32_t index = handle & kIndexMask;
    if (index == 0 || index > slots_.size() || (handle >> 31) != 0) return nullptr;
    const Slot& slot = slots_[index - 1];
    if (!slot.object || ((handle >> kIndexBits) & kGenerationMask) != slot.generation) return nullptr;
    return &slot;
  }

  std::vector<Slot> slots_;
  std::vector<uint32_t> free_;
  size_t count_ = 0;
};

}  // namespace orrivel
