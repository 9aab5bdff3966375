#include "resource/WholeFile.h"

#include "resource/FileObject.h"

namespace orrivel {

bool LoadWholeFile(std::string_view fileName, std::vector<uint8_t>* bytes) {
  FileObject file;
  if (file.Open(fileName) != 0) return false;
  const auto* data = static_cast<const uint8_t*>(file.GetData());
  if (!data) {
    bytes->clear();
    return file.GetSize() == 0;
  }
  bytes->assign(data, data + file.GetSize());
  return true;
}

}  // namespace orrivel
