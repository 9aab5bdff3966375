#pragma once
// An auto-reset event: Set releases one waiter (or the next Wait) and a
// successful Wait consumes the signal. Beside that state, IsSet reports the
// last Set or Reset call, which a consuming Wait does not change; worker
// threads rely on this to keep "stop was asked" readable after a wait woke
// on it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orrivel {

class Event {
 public:
  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

  Event() = default;
  virtual ~Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Both return true (they cannot fail here).
  virtual bool Set();
  virtual bool Reset();
  // 0 signalled (the signal is consumed), 1 time-out, 2 failure.
  // kInfinite waits without time-out.
  virtual int32_t Wait(uint32_t timeoutMs);
  virtual bool IsSet() const { return setFlag_.load(std::memory_order_acquire); }

 private:
  std::mutex mutex_;
  std::condition_variable signal_;
  bool signalled_ = false;  // the waitable state, under mutex_
  std::atomic<bool> setFlag_{false};
};

}  // namespace orrivel
