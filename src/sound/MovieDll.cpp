#include "sound/MovieDll.h"

#include "platform/PathResolver.h"
#include "resource/Paths.h"
#include "resource/PluginLibrary.h"

namespace orrivel {

MovieDll::MovieDll(std::string_view path, const char* factoryName, int32_t requiredVersion) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return;
  const auto host = platform::ResolveHostPath(full, platform::ResolveMode::Create);
  if (!host || !module_.Open(*host)) return;
  version_ = PluginEntry<int32_t (*)()>(module_, "GetDllVersion");
  factory_ = module_.Symbol(factoryName);
  if (version_ == nullptr || factory_ == nullptr) {
    failure_ = kMissingEntry;
  } else if (version_() != requiredVersion) {
    failure_ = kWrongVersion;
  } else {
    failure_ = 0;
    return;
  }
  FreeMovieDll();
}

void MovieDll::FreeMovieDll() {
  module_.Close();
  version_ = nullptr;
  factory_ = nullptr;
}

std::string MovieDll::PathBesideProgram(const char* fileName) {
  const auto folder = platform::ToInternalPath(platform::SharedLibrary::ProgramFolder());
  return (folder ? *folder : std::string()) + fileName;
}

}  // namespace orrivel
