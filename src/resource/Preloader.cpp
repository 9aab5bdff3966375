#include "resource/Preloader.h"

#include <new>

#include "resource/LooseFileGuard.h"
#include "resource/Paths.h"

namespace orrivel {

Preloader::Preloader() : thread_(*this) {}

Preloader::~Preloader() { Stop(); }

void Preloader::Halt() {
  thread_.Join();
  for (uint32_t slot = 0; slot < count_; ++slot) pending_[slot].store(0, std::memory_order_release);
}

void Preloader::Stop() {
  Halt();
  entries_.reset();
  names_.clear();
  pending_.reset();
  count_ = 0;
  rangeFirst_ = rangeCount_ = 0;
}

int Preloader::Allocate(uint32_t count) {
  Stop();
  count &= 0xFFFF;
  if (count == 0) return kPreloadOk;
  try {
    auto entries = std::make_unique<FileObject[]>(count);
    auto pending = std::make_unique<std::atomic<uint8_t>[]>(count);
    for (uint32_t slot = 0; slot < count; ++slot) pending[slot].store(0, std::memory_order_relaxed);
    names_.assign(count, std::string());
    entries_ = std::move(entries);
    pending_ = std::move(pending);
  } catch (const std::bad_alloc&) {
    names_.clear();
    return kPreloadNoMemory;
  } catch (...) {
    names_.clear();
    return kPreloadOtherFailure;
  }
  count_ = count;
  return kPreloadOk;
}

void Preloader::TakeGuardInForce() {
  if (const LooseFileGuard* guard = LooseFileGuard::Current()) guard_ = guard->Snapshot();
}

int Preloader::SetBaseFolder(std::optional<std::string_view> folder) {
  Halt();
  TakeGuardInForce();
  if (!folder) {
    baseFolder_.clear();
    return kPreloadOk;
  }
  baseFolder_.assign(*folder);
  if (!baseFolder_.empty() && !EndsWithSeparator(baseFolder_)) baseFolder_.push_back('\\');
  return kPreloadOk;
}

int Preloader::Start(uint32_t first, uint32_t number, const std::string_view* names) {
  if (count_ == 0 || number == 0 || !names || first >= count_ || number > count_ - first) {
    return kPreloadBadRange;
  }
  if (thread_.IsRunning()) return kPreloadRunning;
  // A worker that has finished by itself is joined before its tables change.
  thread_.Join();
  rangeFirst_ = first;
  rangeCount_ = number;
  TakeGuardInForce();
  for (uint32_t i = 0; i < number; ++i) {
    names_[first + i].assign(names[i]);
    pending_[first + i].store(1, std::memory_order_relaxed);
  }
  finished_.Reset();
  if (thread_.Start() != 0) {
    for (uint32_t i = 0; i < number; ++i) pending_[first + i].store(0, std::memory_order_relaxed);
    return kPreloadThreadFailed;
  }
  return kPreloadOk;
}

void Preloader::LoadRange() {
  const ScopedLooseFileGuard guarded(guard_.get());
  std::string path;
  for (uint32_t slot = rangeFirst_; slot < rangeFirst_ + rangeCount_; ++slot) {
    if (!thread_.CanContinue()) break;
    path.assign(baseFolder_);
    path.append(names_[slot]);
    // A failed open leaves the slot closed.
    entries_[slot].Open(path);
    pending_[slot].store(0, std::memory_order_release);
  }
  finished_.Set();
}

int Preloader::Wait() {
  if (!thread_.IsRunning()) return 0;
  while (thread_.IsRunning()) {
    if (finished_.Wait(kPollMs) == 0) break;
  }
  thread_.Join();
  return 1;
}

bool Preloader::IsPending(uint32_t slot) const {
  return slot < count_ && pending_[slot].load(std::memory_order_acquire) != 0;
}

bool Preloader::IsReady(uint32_t slot) const {
  return slot < count_ && pending_[slot].load(std::memory_order_acquire) == 0;
}

int32_t Preloader::CloseRange(uint32_t first, uint32_t number) {
  if (count_ == 0) return -1;
  int32_t stillPending = 0;
  const uint64_t end = std::min<uint64_t>(uint64_t(first) + number, count_);
  for (uint64_t slot = first; slot < end; ++slot) {
    if (IsReady(uint32_t(slot))) {
      entries_[slot].Close();
    } else {
      ++stillPending;
    }
  }
  return stillPending;
}

const void* Preloader::GetEntryData(uint32_t slot) const {
  return IsReady(slot) ? entries_[slot].GetData() : nullptr;
}

uint32_t Preloader::GetEntrySize(uint32_t slot) const { return IsReady(slot) ? entries_[slot].GetSize() : 0; }

FileObject* Preloader::GetEntry(uint32_t slot) { return IsReady(slot) ? &entries_[slot] : nullptr; }

}  // namespace orrivel
