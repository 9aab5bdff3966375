#include "base/PointerList.h"

#include <cstring>
#include <limits>
#include <new>

namespace orrivel {

int32_t PointerList::Add(const char* text) {
  if (!text) return 1;
  if (count_ == std::numeric_limits<int32_t>::max()) return 2;
  const size_t length = std::strlen(text);
  char* copy = new (std::nothrow) char[length + 1];
  if (!copy) return 2;
  std::memcpy(copy, text, length + 1);
  if (count_ % kBlockEntries == 0 && size_t(count_ / kBlockEntries) == blocks_.size()) {
    std::unique_ptr<char*[]> block(new (std::nothrow) char*[kBlockEntries]);
    if (!block) {
      delete[] copy;
      return 2;
    }
    blocks_.push_back(std::move(block));
  }
  blocks_[count_ / kBlockEntries][count_ % kBlockEntries] = copy;
  ++count_;
  return 0;
}

const char* const* PointerList::EntryAt(int32_t i) const {
  if (i < 0 || i >= count_) return nullptr;
  return &blocks_[i / kBlockEntries][i % kBlockEntries];
}

const char* PointerList::Get(int32_t i) const {
  const char* const* entry = EntryAt(i);
  return entry ? *entry : nullptr;
}

void PointerList::Clear() {
  for (int32_t i = 0; i < count_; ++i) delete[] blocks_[i / kBlockEntries][i % kBlockEntries];
  blocks_.clear();
  count_ = 0;
}

}  // namespace orrivel
