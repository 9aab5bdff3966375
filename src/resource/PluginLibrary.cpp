#include "resource/PluginLibrary.h"

#include <new>

#include "base/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "resource/Paths.h"

namespace orrivel {

PluginLibraryPtr OpenPluginLibrary(std::string_view internalPath) {
  const auto host = platform::ResolveHostPath(internalPath, platform::ResolveMode::Existing);
  if (!host) return nullptr;
  auto library = std::make_shared<platform::SharedLibrary>();
  if (!library->Open(*host)) return nullptr;
  return library;
}

std::vector<std::string> ReadExtensionList(const char* list, bool upperCase) {
  std::vector<std::string> extensions;
  if (!list) return extensions;
  while (extensions.size() < kMaxPluginExtensions && *list) {
    std::size_t length = 0;
    while (length < kMaxPluginExtension && list[length]) ++length;
    if (list[length]) break;  // no end within the bound: the list is cut here
    const std::string_view extension(list, length);
    extensions.push_back(upperCase ? cp932::ToUpper(extension) : std::string(extension));
    list += length + 1;
  }
  return extensions;
}

int ScanPluginFolder(std::string_view folder, std::string_view pattern,
                     const std::function<int(const std::string& path)>& load) {
  std::string full;
  if (MakeFullPath(full, folder) == 0 || !AppendSeparator(full)) return -1;
  const auto files = platform::ScanFolder(full, pattern);
  if (!files) return 0;
  int failures = 0;
  for (const platform::FileInfo& info : *files) {
    if (info.isFolder) continue;
    if (load(full + info.name) != 0) ++failures;
  }
  return failures;
}

}  // namespace orrivel
