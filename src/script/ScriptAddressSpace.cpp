#include "script/ScriptAddressSpace.h"

#include <algorithm>
#include <new>

namespace orrivel {

ScriptAddressSpace::ScriptAddressSpace(uint32_t limit)
    : limit_(std::clamp<uint32_t>(limit, kGuardBytes + kAlignment, kMaxLimit)) {
  bytes_.resize(kGuardBytes);
}

uint32_t ScriptAddressSpace::Allocate(uint64_t size) {
  uint64_t rounded = (std::max<uint64_t>(size, 1) + kAlignment - 1) / kAlignment * kAlignment;
  if (rounded > limit_) return 0;
  // First fit among freed blocks, else the top of the arena.
  for (auto it = freeList_.begin(); it != freeList_.end(); ++it) {
    if (it->second < rounded) continue;
    uint32_t address = it->first;
    uint32_t rest = it->second - uint32_t(rounded);
    freeList_.erase(it);
    if (rest) freeList_.emplace(address + uint32_t(rounded), rest);
    std::memset(bytes_.data() + address, 0, rounded);
    blocks_.emplace(address, uint32_t(rounded));
    used_ += rounded;
    return address;
  }
  uint64_t top = bytes_.size();
  if (top + rounded > limit_) return 0;
  // A size the machine cannot give is the script's failed allocation, not
  // the program's end.
  try {
    bytes_.resize(top + rounded, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  blocks_.emplace(uint32_t(top), uint32_t(rounded));
  used_ += rounded;
  return uint32_t(top);
}

void ScriptAddressSpace::Free(uint32_t address) {
  auto it = blocks_.find(address);
  if (it == blocks_.end()) return;
  uint32_t size = it->second;
  blocks_.erase(it);
  used_ -= size;
  extents_.erase(extents_.lower_bound(address), extents_.lower_bound(address + size));
  // Merge with the free neighbours so that freed scenes leave no splinters.
  auto next = freeList_.lower_bound(address);
  if (next != freeList_.end() && next->first == address + size) {
    size += next->second;
    next = freeList_.erase(next);
  }
  if (next != freeList_.begin()) {
    auto prev = std::prev(next);
    if (prev->first + prev->second == address) {
      prev->second += size;
      return;
    }
  }
  freeList_.emplace(address, size);
}

uint32_t ScriptAddressSpace::BlockSize(uint32_t address) const {
  auto it = blocks_.find(address);
  return it == blocks_.end() ? 0 : it->second;
}

uint64_t ScriptAddressSpace::LiveBytesAt(uint32_t address) const {
  auto it = blocks_.upper_bound(address);
  if (it == blocks_.begin()) return 0;
  --it;
  const uint64_t end = uint64_t(it->first) + it->second;
  return address < end ? end - address : 0;
}

void ScriptAddressSpace::AddExtent(uint32_t address, uint32_t size) {
  if (size == 0 || LiveBytesAt(address) < size) return;
  extents_[address] = size;
}

uint64_t ScriptAddressSpace::WritableBytesAt(uint32_t address) const {
  const uint64_t live = LiveBytesAt(address);
  if (live == 0) return 0;
  auto it = extents_.upper_bound(address);
  if (it == extents_.begin()) return live;
  --it;
  const uint64_t end = uint64_t(it->first) + it->second;
  return address < end ? std::min(live, end - address) : live;
}

bool ScriptAddressSpace::ReadLiveString(uint32_t address, std::string& out, size_t maxLength) const {
  out.clear();
  const uint64_t live = LiveBytesAt(address);
  if (live == 0) return false;
  return ReadString(address, out, size_t(std::min<uint64_t>(maxLength, live - 1)));
}

bool ScriptAddressSpace::ReadString(uint32_t address, std::string& out, size_t maxLength) const {
  out.clear();
  if (!Contains(address, 1)) return false;
  const uint8_t* start = bytes_.data() + address;
  size_t available = std::min<uint64_t>(bytes_.size() - address, uint64_t(maxLength) + 1);
  const void* zero = std::memchr(start, 0, available);
  if (!zero) return false;
  out.assign(reinterpret_cast<const char*>(start), static_cast<const uint8_t*>(zero) - start);
  return true;
}

bool ScriptAddressSpace::WriteBytes(uint32_t address, const void* data, uint64_t size) {
  if (!Contains(address, size)) return false;
  if (size) std::memcpy(bytes_.data() + address, data, size);
  return true;
}

}  // namespace orrivel
