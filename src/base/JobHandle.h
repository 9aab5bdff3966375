#pragma once
// A job for a worker thread: a bound call shared through a reference-counted
// record. Every handle that names the record holds one count; the handle that
// drops the last count destroys the record, and the bound call with it when
// the record owns the call. Counts change from the worker and its owner, so
// the count is atomic.
#include <atomic>
#include <cstdint>

namespace orrivel {

class JobCall {
 public:
  virtual void Invoke() = 0;
  virtual ~JobCall() = default;
};

// Calls one member operation on one object.
template <class T>
class MemberJobCall final : public JobCall {
 public:
  MemberJobCall(T* object, void (T::*member)()) : object_(object), member_(member) {}
  void Invoke() override { (object_->*member_)(); }

 private:
  T* object_;
  void (T::*member_)();
};

class JobRecord {
 public:
  JobRecord(JobCall* call, bool ownsCall) : ownsCall(ownsCall), call(call) {}
  JobRecord(const JobRecord&) = delete;
  JobRecord& operator=(const JobRecord&) = delete;
  // Destroys the bound call.
  virtual void DestroyCall();
  virtual ~JobRecord() = default;

  std::atomic<uint32_t> count{1};
  bool ownsCall;
  // Two words the application's own job record carries (4 and 1). Nothing
  // here reads them; they are kept for the job's owner.
  uint32_t tagA = 4;
  uint32_t tagB = 1;
  JobCall* call;
};

// Drops one count; the last one destroys the call (when owned), then the record.
void ReleaseJobRecord(JobRecord* record);

class JobHandleBase {
 public:
  virtual void Reset() = 0;
  virtual ~JobHandleBase() = default;
};

class JobHandle : public JobHandleBase {
 public:
  JobHandle() = default;
  // Adopts one count the caller already holds on record (a fresh record has 1).
  JobHandle(JobCall* object, uint32_t index, JobRecord* record) : object_(object), index_(index), record_(record) {}
  // A new record (count 1) holding call, and the handle that owns that count.
  static JobHandle Make(JobCall* call, bool ownsCall);

  // Copies share the record and add one count.
  JobHandle(const JobHandle& other);
  JobHandle& operator=(const JobHandle& other);
  JobHandle(JobHandle&& other) noexcept;
  JobHandle& operator=(JobHandle&& other) noexcept;
  ~JobHandle() override { Reset(); }

  // Releases the record and forgets the object and index.
  void Reset() override;

  JobCall* Object() const { return object_; }
  uint32_t Index() const { return index_; }
  JobRecord* Record() const { return record_; }

 private:
  JobCall* object_ = nullptr;
  uint32_t index_ = 0;
  JobRecord* record_ = nullptr;
};

}  // namespace orrivel
