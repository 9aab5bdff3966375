#pragma once
// Objects handed between holders (streams, archives) count the holders
// beyond the first. Releasing drops one extra holder, or deletes the object
// when none is left. HolderRelease lets a unique_ptr follow that rule.
#include <atomic>
#include <cstdint>
#include <memory>

namespace orrivel {

class SharedHolder {
 public:
  virtual ~SharedHolder() = default;
  void AddHolder() { extraHolders_.fetch_add(1, std::memory_order_relaxed); }
  uint32_t ExtraHolders() const { return extraHolders_.load(std::memory_order_relaxed); }
  // Drops one extra holder, or deletes the object when there is none.
  void Release() {
    uint32_t count = extraHolders_.load(std::memory_order_acquire);
    while (count != 0) {
      if (extraHolders_.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel)) return;
    }
    delete this;
  }

 protected:
  SharedHolder() = default;

 private:
  std::atomic<uint32_t> extraHolders_{0};
};

struct HolderRelease {
  void operator()(SharedHolder* object) const {
    if (object) object->Release();
  }
};

template <typename T>
using HeldPtr = std::unique_ptr<T, HolderRelease>;

}  // namespace orrivel
