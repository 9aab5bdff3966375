#pragma once
// An owned block of picture memory (header, pixels or extra data) with its
// size. Blocks are made without throwing: a size the machine cannot give, or
// one above kMaxPictureBlockBytes, simply fails, so a hostile header asking
// for gigabytes is refused instead of ending the process.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace orrivel {

class PictureBlock {
 public:
  // No picture of this engine comes near 1 GiB; anything larger is refused.
  static constexpr std::uint64_t kMaxPictureBlockBytes = std::uint64_t(1) << 30;

  PictureBlock() = default;
  PictureBlock(PictureBlock&&) noexcept = default;
  PictureBlock& operator=(PictureBlock&&) noexcept = default;

  // Replaces the block with a new one of `size` bytes; `zeroed` clears it.
  // Returns false (and leaves the block empty) when it cannot be made.
  bool Allocate(std::uint64_t size, bool zeroed) {
    Reset();
    if (size > kMaxPictureBlockBytes) return false;
    std::uint8_t* p = new (std::nothrow) std::uint8_t[size == 0 ? 1 : size];
    if (!p) return false;
    if (zeroed) std::memset(p, 0, size == 0 ? 1 : size);
    bytes_.reset(p);
    size_ = size;
    return true;
  }

  // Copies `size` bytes into a new block.
  bool Assign(const std::uint8_t* data, std::uint64_t size) {
    if (!Allocate(size, false)) return false;
    if (size) std::memcpy(bytes_.get(), data, size);
    return true;
  }

  void Reset() {
    bytes_.reset();
    size_ = 0;
  }

  std::uint8_t* Data() { return bytes_.get(); }
  const std::uint8_t* Data() const { return bytes_.get(); }
  std::uint64_t Size() const { return size_; }
  bool Empty() const { return !bytes_; }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::uint64_t size_ = 0;
};

}  // namespace orrivel
