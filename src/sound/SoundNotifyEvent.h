#pragma once
// The event a sound buffer's position notifications set and a refill thread
// waits on. Beside being an ordinary auto-reset Event, it tells the virtual
// sound device when the thread it woke has finished its pass: the thread is
// back in Wait with the signal consumed, or no thread is attached.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "base/Event.h"
#include "platform/audio/AudioWakeTarget.h"

namespace orrivel {

class SoundNotifyEvent final : public Event, public platform::AudioWakeTarget {
 public:
  bool Set() override;
  bool Reset() override;
  int32_t Wait(uint32_t timeoutMs) override;

  // A thread that runs passes on this event attaches before its first Wait
  // and detaches when it ends.
  void AttachWaiter();
  void DetachWaiter();

  void Wake() override { Set(); }
  bool WaitSettled(uint32_t timeoutMs) override;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
  bool waiting_ = false;
  int32_t attached_ = 0;
};

}  // namespace orrivel
