#include "base/Event.h"

#include <chrono>

namespace orrivel {

bool Event::Set() {
  // Notify while holding the mutex: a waiter that owns this event may destroy
  // it as soon as it wakes, and must not find Set still touching it.
  std::lock_guard<std::mutex> guard(mutex_);
  signalled_ = true;
  setFlag_.store(true, std::memory_order_release);
  signal_.notify_one();
  return true;
}

bool Event::Reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  signalled_ = false;
  setFlag_.store(false, std::memory_order_release);
  return true;
}

int32_t Event::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(mutex_);
  if (timeoutMs == kInfinite) {
    signal_.wait(guard, [this] { return signalled_; });
  } else if (!signal_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; })) {
    return 1;
  }
  signalled_ = false;
  return 0;
}

}  // namespace orrivel
