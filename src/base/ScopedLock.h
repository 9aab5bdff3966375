#pragma once
// The guard through which every caller takes a CriticalSection. It counts its
// own locks and its destructor releases each one it still holds, so an early
// return inside the guarded region always leaves the lock free. Unlock and
// Lock let a region let go of the lock around a blocking wait.
#include <cstdint>

#include "base/CriticalSection.h"

namespace orrivel {

class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& lock) : lock_(lock) { Lock(); }
  ~ScopedLock() {
    while (count_ > 0) Unlock();
  }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

  void Lock() {
    lock_.Lock();
    ++count_;
  }
  // Does nothing when this guard holds no lock.
  void Unlock() {
    if (count_ == 0) return;
    --count_;
    lock_.Unlock();
  }
  int32_t Count() const { return count_; }

 private:
  CriticalSection& lock_;
  int32_t count_ = 0;
};

}  // namespace orrivel
