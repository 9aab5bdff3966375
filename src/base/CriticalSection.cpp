#include "base/CriticalSection.h"

#include "platform/ThreadId.h"

namespace orrivel {

int32_t CriticalSection::Lock() {
  mutex_.lock();
  owner_.store(platform::CurrentThreadId(), std::memory_order_release);
  return ++count_;
}

void CriticalSection::Unlock() {
  if (!GetOwnerThread()) return;
  if (count_-- == 1) owner_.store(kNoOwner, std::memory_order_release);
  mutex_.unlock();
}

bool CriticalSection::GetOwnerThread() const { return OwnerThreadId() == platform::CurrentThreadId(); }

}  // namespace orrivel
