#include "sound/SoundNotifyEvent.h"

#include <chrono>

namespace orrivel {

bool SoundNotifyEvent::Set() {
  Event::Set();  // keeps IsSet's answer
  std::lock_guard guard(mutex_);
  signalled_ = true;
  changed_.notify_all();
  return true;
}

bool SoundNotifyEvent::Reset() {
  Event::Reset();
  std::lock_guard guard(mutex_);
  signalled_ = false;
  changed_.notify_all();
  return true;
}

int32_t SoundNotifyEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock guard(mutex_);
  waiting_ = true;
  changed_.notify_all();
  const auto signalled = [this] { return signalled_; };
  bool woke;
  if (timeoutMs == kInfinite) {
    changed_.wait(guard, signalled);
    woke = true;
  } else {
    woke = changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), signalled);
  }
  if (woke) signalled_ = false;
  waiting_ = false;
  changed_.notify_all();
  return woke ? 0 : 1;
}

void SoundNotifyEvent::AttachWaiter() {
  std::lock_guard guard(mutex_);
  ++attached_;
}

void SoundNotifyEvent::DetachWaiter() {
  std::lock_guard guard(mutex_);
  if (attached_ > 0) --attached_;
  changed_.notify_all();
}

bool SoundNotifyEvent::WaitSettled(uint32_t timeoutMs) {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                           [this] { return attached_ == 0 || (waiting_ && !signalled_); });
}

}  // namespace orrivel
