// A save file as the loader reads it: the container check and unpacking,
// and the information the save list reads.
#include <cstdint>
#include <span>
#include <vector>

#include "game/SaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  std::vector<uint8_t> blob;
  orrivel::ParseSaveFile(file, blob);
  orrivel::SaveFileInfo info;
  if (orrivel::ReadSaveFileInfo(file, info)) orrivel::WrapSaveComment(orrivel::BlockText(info.comment));
  return 0;
}
