#include "resource/BaseFolder.h"

#include "platform/FileSystem.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

std::string& Storage() {
  static std::string folder;
  return folder;
}

}  // namespace

const std::string& BaseFolder() { return Storage(); }

int InitBaseFolder(std::string_view modulePath) {
  if (modulePath.size() >= kMaxPath) return 1;
  std::string folder(modulePath);
  const int result = CutToParentFolder(folder);
  if (result == 0) Storage() = std::move(folder);
  return result;
}

int InitBaseFolder() {
  const auto program = platform::ProgramPath();
  if (!program) return 1;
  return InitBaseFolder(*program);
}

int SetBaseFolder(std::string_view path) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return 1;
  if (!AppendSeparator(full)) return 1;
  Storage() = std::move(full);
  return 0;
}

std::string SetBaseFolderForTest(std::string value) {
  std::string old = std::move(Storage());
  Storage() = std::move(value);
  return old;
}

}  // namespace orrivel
