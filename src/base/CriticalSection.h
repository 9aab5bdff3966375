#pragma once
// A recursive lock that remembers which thread holds it and how deep. Callers
// take it through ScopedLock, never by hand.
#include <atomic>
#include <cstdint>
#include <mutex>

namespace orrivel {

class CriticalSection {
 public:
  static constexpr uint32_t kNoOwner = 0xFFFFFFFFu;

  CriticalSection() = default;
  virtual ~CriticalSection() = default;
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  // Blocks until the calling thread holds the lock; returns the new depth.
  virtual int32_t Lock();
  // Drops one level; the last level frees the lock. A thread that does not
  // hold the lock changes nothing (unlocking another thread's lock would
  // corrupt it).
  virtual void Unlock();
  // True when the calling thread holds the lock.
  virtual bool GetOwnerThread() const;

  // The holder's thread id, kNoOwner when free.
  uint32_t OwnerThreadId() const { return owner_.load(std::memory_order_acquire); }
  // Depth of the holder's locks; only meaningful to the holder.
  int32_t LockCount() const { return count_; }

 private:
  std::recursive_mutex mutex_;
  // Read by any thread (GetOwnerThread), written only by the holder.
  std::atomic<uint32_t> owner_{kNoOwner};
  int32_t count_ = 0;
};

}  // namespace orrivel
