#pragma once
// The names of files dropped on the main window, kept for the scripts to
// pick up. The window thread collects a drop; whichever thread runs the
// scripts reads and clears the names; every access holds the lock. A drop
// that arrives while earlier names still wait is ignored.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/CriticalSection.h"
#include "platform/FileDrop.h"

namespace orrivel {

class DropTarget {
 public:
  DropTarget() = default;
  virtual ~DropTarget();
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  // Stores accept and lets the window receive drops (non-zero) or not.
  void Enable(platform::WindowId window, int32_t accept);
  // Collects the names of the drop and finishes it. 0 names collected; -1
  // earlier names are still waiting (the drop is ignored); 1 a name buffer
  // could not be allocated, 2 any other failure while collecting (the names
  // of this drop are then freed).
  int OnDropFiles(platform::DropHandle drop);
  // A copy of the name at the index (CP932 internal path), or none when the
  // index is out of range.
  std::optional<std::string> GetFile(int32_t index);
  int32_t GetCount();
  void ClearFiles();

  int32_t accepting = 0;
  // When set, only the first file of a drop is taken.
  uint8_t firstOnly = 0;

 private:
  std::vector<std::unique_ptr<char[]>> names_;
  CriticalSection lock_;
};

}  // namespace orrivel
