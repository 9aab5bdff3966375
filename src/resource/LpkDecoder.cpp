#include "resource/LpkDecoder.h"

#include "resource/LpkArchive.h"
#include "resource/LpkSettings.h"

namespace orrivel {

Archive* LpkDecoder::Open(std::string_view path, platform::File& file, int* error) {
  return LpkArchive::Open(path, file, error);
}

int LpkDecoder::Assist(const int32_t* arguments, uint32_t count) { return LpkAssist2(arguments, count); }

}  // namespace orrivel
