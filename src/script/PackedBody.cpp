#include "script/PackedBody.h"

#include <new>

#include "resource/LzssCoder.h"

namespace orrivel {

bool PackBody(const std::vector<uint8_t>& body, PackedBody& out) {
  try {
    out.stored.clear();
    out.unpackedSize = 0;
    uint32_t packedSize = 0;
    if (body.size() <= UINT32_MAX &&
        LzssEncode(body.data(), uint32_t(body.size()), &out.stored, &packedSize, true) == kLzssOk) {
      out.stored.resize(packedSize);
      out.unpackedSize = uint32_t(body.size());
      return true;
    }
    // Packing did not pay (or the body is too short): store it as is.
    out.stored = body;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool UnpackBody(const uint8_t* stored, uint64_t storedSize, uint32_t unpackedSize, std::vector<uint8_t>& body) {
  try {
    if (unpackedSize == 0) {
      body.assign(stored, stored + storedSize);
      return true;
    }
    return LzssDecode(stored, storedSize, body, unpackedSize) == kLzssOk;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace orrivel
