#pragma once
// Result codes of the picture decoders. Decoders return them from their own
// operations; 0 is success.
#include <cstdint>

namespace orrivel {

enum EGllErrorCode : std::int32_t {
  kGllOk = 0,
  kGllNotThisFormat = 1,     // the data is not this decoder's format
  kGllBadArgument = 2,       // bad argument, unsupported mode, unexpandable data
  kGllMissingData = 3,       // missing or corrupt data, unsupported depth
  kGllMissingCallback = 4,   // a required callback or out pointer is missing
  kGllOutOfMemory = 6,       // a block cannot be made, or the caller refused its buffer
  kGllConversionFailed = 9,  // conversion into the caller's buffer failed
  kGllCancelled = -1,        // the progress callback asked to stop
  kGllNotSupported = -2,     // the decoder does not implement the operation
};

}  // namespace orrivel
