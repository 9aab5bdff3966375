#pragma once
// A guard for a thread that works beside the one whose guard judges: it
// judges as the last snapshot that thread published (none published: no
// guard, everything passes, as before that thread's guard existed). The
// publishing thread replaces the snapshot whenever its guard may judge
// otherwise; the judging thread takes the one in place at each question.
#include <memory>
#include <mutex>
#include <string>

#include "resource/LooseFileGuard.h"

namespace orrivel {

class PublishedLooseFileGuard final : public LooseFileGuard {
 public:
  // Null withdraws the snapshot.
  void Publish(std::shared_ptr<const LooseFileGuard> snapshot);

  bool Allows(const std::string& fullPath) const override;
  // The snapshot in place (null: none).
  std::shared_ptr<const LooseFileGuard> Snapshot() const override;

 private:
  mutable std::mutex lock_;
  std::shared_ptr<const LooseFileGuard> snapshot_;
};

}  // namespace orrivel
