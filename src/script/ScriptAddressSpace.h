#pragma once
// The one memory that scripts can address. Script addresses are 32-bit byte
// offsets into this arena: linked code, variable images and their string
// cells, external-variable storage, the machine stacks and the buffers that
// natives hand to scripts all live here, so every address a script holds fits
// a 32-bit cell and every access through one can be checked.
//
// The first kGuardBytes are never handed out: address 0 (and anything near
// it) is never valid, which turns null and small forged addresses into faults.
//
// The arena grows as blocks are allocated. Host pointers into it (Data(),
// Bytes()) are valid only until the next Allocate(); keep addresses, not
// pointers, across anything that may allocate.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace orrivel {

class ScriptAddressSpace {
 public:
  static constexpr uint32_t kGuardBytes = 4096;
  static constexpr uint32_t kAlignment = 16;
  // Largest arena by default. Native pseudo-addresses sit above every
  // possible arena address (see ScriptMachine), so the limit stays below them.
  static constexpr uint32_t kDefaultLimit = 1u << 30;
  static constexpr uint32_t kMaxLimit = 0xF0000000u;

  explicit ScriptAddressSpace(uint32_t limit = kDefaultLimit);

  // A zero-filled block of at least `size` bytes (a block of 0 bytes still
  // gets an address). Returns 0 when the arena would pass its limit.
  uint32_t Allocate(uint64_t size);
  // Frees a block returned by Allocate; other addresses are ignored.
  void Free(uint32_t address);
  // Size of the live block that starts at address, 0 when none.
  uint32_t BlockSize(uint32_t address) const;
  // Bytes from address to the end of the live block that holds it; 0 when
  // no live block does (outside the arena, in the guard, or freed). Values
  // that engine objects keep as script addresses are checked with it, so a
  // freed (stale) address is refused even though the arena still holds it.
  uint64_t LiveBytesAt(uint32_t address) const;
  // Marks [address, address + size) inside a live block as one extent: a
  // script variable's storage within its image. Copies that natives make to
  // a script address stop at the end of its extent, so a string written into
  // one variable never runs on into the next. Freeing the block drops them.
  void AddExtent(uint32_t address, uint32_t size);
  // Bytes a native may write from address: to the end of the extent that
  // holds it, else to the end of its live block; 0 outside every live block.
  uint64_t WritableBytesAt(uint32_t address) const;
  // ReadString confined to the live block that holds address.
  bool ReadLiveString(uint32_t address, std::string& out, size_t maxLength = 1u << 20) const;

  // True when [address, address + size) lies inside the arena above the guard.
  bool Contains(uint32_t address, uint64_t size) const {
    return address >= kGuardBytes && uint64_t(address) + size <= bytes_.size();
  }
  bool Read32(uint32_t address, uint32_t& out) const {
    if (!Contains(address, 4)) return false;
    std::memcpy(&out, bytes_.data() + address, 4);
    return true;
  }
  bool Write32(uint32_t address, uint32_t value) {
    if (!Contains(address, 4)) return false;
    std::memcpy(bytes_.data() + address, &value, 4);
    return true;
  }
  // Host view of [address, address + size), or nullptr when out of range.
  uint8_t* Bytes(uint32_t address, uint64_t size) {
    return Contains(address, size) ? bytes_.data() + address : nullptr;
  }
  const uint8_t* Bytes(uint32_t address, uint64_t size) const {
    return Contains(address, size) ? bytes_.data() + address : nullptr;
  }
  // The zero-terminated byte string at address, at most maxLength bytes
  // before the zero. False when it runs out of the arena or is longer.
  bool ReadString(uint32_t address, std::string& out, size_t maxLength = 1u << 20) const;
  // Copies bytes in; false (nothing written) when out of range.
  bool WriteBytes(uint32_t address, const void* data, uint64_t size);

  // Raw arena for the interpreter's inner loop: Data()[0, Size()).
  uint8_t* Data() { return bytes_.data(); }
  const uint8_t* Data() const { return bytes_.data(); }
  uint64_t Size() const { return bytes_.size(); }
  uint32_t Limit() const { return limit_; }
  // Bytes held by live blocks.
  uint64_t UsedBytes() const { return used_; }

 private:
  std::vector<uint8_t> bytes_;
  std::map<uint32_t, uint32_t> blocks_;     // live: address -> rounded size
  std::map<uint32_t, uint32_t> freeList_;   // free: address -> size, coalesced
  std::map<uint32_t, uint32_t> extents_;    // address -> size, inside live blocks
  uint32_t limit_;
  uint64_t used_ = 0;
};

}  // namespace orrivel
