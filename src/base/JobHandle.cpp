#include "base/JobHandle.h"

#include <utility>

namespace orrivel {

void JobRecord::DestroyCall() {
  delete call;
  call = nullptr;
}

void ReleaseJobRecord(JobRecord* record) {
  if (!record) return;
  if (record->count.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  if (record->ownsCall) record->DestroyCall();
  delete record;
}

JobHandle JobHandle::Make(JobCall* call, bool ownsCall) { return JobHandle(call, 0, new JobRecord(call, ownsCall)); }

JobHandle::JobHandle(const JobHandle& other) : object_(other.object_), index_(other.index_), record_(other.record_) {
  if (record_) record_->count.fetch_add(1, std::memory_order_relaxed);
}

JobHandle& JobHandle::operator=(const JobHandle& other) {
  if (other.record_ == record_) {
    object_ = other.object_;
    index_ = other.index_;
    return *this;
  }
  if (other.record_) other.record_->count.fetch_add(1, std::memory_order_relaxed);
  Reset();
  object_ = other.object_;
  index_ = other.index_;
  record_ = other.record_;
  return *this;
}

JobHandle::JobHandle(JobHandle&& other) noexcept
    : object_(std::exchange(other.object_, nullptr)),
      index_(std::exchange(other.index_, 0)),
      record_(std::exchange(other.record_, nullptr)) {}

JobHandle& JobHandle::operator=(JobHandle&& other) noexcept {
  if (this == &other) return *this;
  Reset();
  object_ = std::exchange(other.object_, nullptr);
  index_ = std::exchange(other.index_, 0);
  record_ = std::exchange(other.record_, nullptr);
  return *this;
}

void JobHandle::Reset() {
  JobRecord* record = std::exchange(record_, nullptr);
  object_ = nullptr;
  index_ = 0;
  ReleaseJobRecord(record);
}

}  // namespace orrivel
