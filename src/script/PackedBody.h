#pragma once
// The packed bodies of the files the script host writes (scene flags,
// variables, state): LZSS when that makes the body smaller, else the body as
// is, told apart by an unpacked size of 0. The sizes come from the file, so
// unpacking checks them before it allocates anything.
#include <cstdint>
#include <vector>

namespace orrivel {

struct PackedBody {
  std::vector<uint8_t> stored;  // the bytes as they go in the file
  uint32_t unpackedSize = 0;    // 0 when stored holds the body as is
};

// Packs body; false only when memory runs out.
bool PackBody(const std::vector<uint8_t>& body, PackedBody& out);

// The body from its stored bytes. False when the stored bytes do not unpack
// into exactly unpackedSize bytes, or when unpackedSize is more than those
// bytes can ever unpack to.
bool UnpackBody(const uint8_t* stored, uint64_t storedSize, uint32_t unpackedSize, std::vector<uint8_t>& body);

}  // namespace orrivel
