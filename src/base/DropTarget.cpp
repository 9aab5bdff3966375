#include "base/DropTarget.h"

#include <new>

#include "base/ScopedLock.h"

namespace orrivel {

DropTarget::~DropTarget() { ClearFiles(); }

void DropTarget::Enable(platform::WindowId window, int32_t accept) {
  ScopedLock lock(lock_);
  accepting = accept;
  platform::DragAcceptFiles(window, accept != 0);
}

int DropTarget::OnDropFiles(platform::DropHandle drop) {
  ScopedLock lock(lock_);
  if (!names_.empty()) {
    platform::DragFinish(drop);
    return -1;
  }
  const uint32_t count = firstOnly ? 1 : platform::DragQueryFile(drop, platform::kDropQueryCount, nullptr, 0);
  int result = 0;
  try {
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t length = platform::DragQueryFile(drop, i, nullptr, 0);
      if (length == 0) {
        result = 2;  // no such name, or an empty one
        break;
      }
      std::unique_ptr<char[]> name(new (std::nothrow) char[size_t(length) + 1]);
      if (!name) {
        result = 1;
        break;
      }
      if (platform::DragQueryFile(drop, i, name.get(), length + 1) != length) {
        result = 2;
        break;
      }
      names_.push_back(std::move(name));
    }
  } catch (const std::bad_alloc&) {
    result = 2;
  }
  if (result != 0) names_.clear();
  platform::DragFinish(drop);
  return result;
}

std::optional<std::string> DropTarget::GetFile(int32_t index) {
  ScopedLock lock(lock_);
  if (index < 0 || size_t(index) >= names_.size()) return std::nullopt;
  return std::string(names_[size_t(index)].get());
}

int32_t DropTarget::GetCount() {
  ScopedLock lock(lock_);
  return int32_t(names_.size());
}

void DropTarget::ClearFiles() {
  ScopedLock lock(lock_);
  names_.clear();
}

}  // namespace orrivel
