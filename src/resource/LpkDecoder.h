#pragma once
// The built-in archive decoder for LPK files (type 1, "LPK format",
// extension "LPK").
#include "resource/Archive.h"

namespace orrivel {

constexpr int32_t kLpkDecoderType = 1;
constexpr const char* kLpkTypeString = "LPK format";
constexpr const char* kLpkExtension = "LPK";

class LpkDecoder final : public ArchiveDecoder {
 public:
  Archive* Open(std::string_view path, platform::File& file, int* error) override;
  // Same as LpkAssist2.
  int Assist(const int32_t* arguments, uint32_t count);
  int Reserved() { return -2; }
};

}  // namespace orrivel
