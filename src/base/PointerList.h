#pragma once
// An owning list of text copies. Entries lie in fixed blocks of 1024 under a
// growing block map, so appending never moves an entry that is already there.
#include <cstdint>
#include <memory>
#include <vector>

namespace orrivel {

class PointerList {
 public:
  static constexpr int32_t kBlockEntries = 1024;

  PointerList() = default;
  virtual ~PointerList() { Clear(); }
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;

  // Appends a copy of text. 0; 1 when text is null; 2 out of memory or the
  // list is full.
  int32_t Add(const char* text);
  // The text at i, or null when i is outside 0 .. count - 1.
  const char* Get(int32_t i) const;
  // The place that holds entry i (stable until Clear), or null.
  const char* const* EntryAt(int32_t i) const;
  void Clear();
  int32_t Count() const { return count_; }

 private:
  std::vector<std::unique_ptr<char*[]>> blocks_;
  int32_t count_ = 0;
};

}  // namespace orrivel
