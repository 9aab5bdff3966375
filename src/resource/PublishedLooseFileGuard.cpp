#include "resource/PublishedLooseFileGuard.h"

namespace orrivel {

void PublishedLooseFileGuard::Publish(std::shared_ptr<const LooseFileGuard> snapshot) {
  const std::lock_guard<std::mutex> hold(lock_);
  snapshot_ = std::move(snapshot);
}

bool PublishedLooseFileGuard::Allows(const std::string& fullPath) const {
  // Judged outside the lock: a judgement reads the disk.
  const std::shared_ptr<const LooseFileGuard> snapshot = Snapshot();
  return snapshot == nullptr || snapshot->Allows(fullPath);
}

std::shared_ptr<const LooseFileGuard> PublishedLooseFileGuard::Snapshot() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return snapshot_;
}

}  // namespace orrivel
