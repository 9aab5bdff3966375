// The path routines and the path resolver on arbitrary bytes. The input is
// a name, then (after the first 0xFF) a base folder. Results never cut a
// two-byte character, never reach the path limit, and resolving the name
// inside a small fixed folder never leaves it through the name alone.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/Cp932.h"
#include "platform/PathResolver.h"
#include "resource/Paths.h"

namespace {

using namespace orrivel;

// True when the text is whole characters (no lead byte without its trail).
bool WholeCharacters(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) i += cp932::CharLength(text, i);
  return i == text.size();
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// A folder with two files and a subfolder, made once, for the resolver.
const std::filesystem::path& ResolverHostFolder() {
  static const std::filesystem::path root = [] {
    const std::filesystem::path made = std::filesystem::temp_directory_path() / "orrivel-fuzz-paths";
    std::filesystem::create_directories(made / "Sub");
    std::ofstream(made / "A.TXT") << "a";
    std::ofstream(made / "Sub" / "b.dat") << "b";
    return made;
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 600) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\xFF');
  const std::string_view name = input.substr(0, split);
  const std::string_view base = split == std::string_view::npos ? std::string_view("E:\\GAME\\") : input.substr(split + 1);

  std::string full;
  const int made = MakeFullPath(full, name, base);
  if (made != 0) Check(full.size() < kMaxPath);

  std::string path(name);
  std::string parent = path;
  if (CutToParentFolder(parent) == 0) Check(parent.size() <= path.size());
  std::string folder = path, fileName;
  CutFileName(folder, &fileName);
  Check(folder.size() + fileName.size() == path.size() || fileName.empty());
  SplitPathName(path, true);
  SplitPathName(path, false);
  GetFileExtension(path);
  std::string stem = path, extension;
  RemoveFileExtension(stem, &extension);
  if (!extension.empty()) Check(stem.size() + 1 + extension.size() == path.size());
  if (WholeCharacters(path)) {
    Check(WholeCharacters(parent));
    Check(WholeCharacters(folder));
    Check(WholeCharacters(stem));
  }
  FindLastSeparator(path);
  EndsWithSeparator(path);
  std::string appended = path;
  // A path that already ends with a separator is left as it is, however long.
  if (AppendSeparator(appended)) Check(appended == path || appended.size() < kMaxPath);

  // The resolver: only names without dot segments, so that the lookups stay
  // in the small folder.
  if (name.find("..") == std::string_view::npos && name.find(':') == std::string_view::npos &&
      name.find("\\\\") == std::string_view::npos && !name.empty() && name[0] != '\\' && name[0] != '/') {
    const std::string inside = *platform::ToInternalPath(ResolverHostFolder().string()) + "\\" + std::string(name);
    for (const auto mode : {platform::ResolveMode::Existing, platform::ResolveMode::Create}) {
      if (const auto host = platform::ResolveHostPath(inside, mode)) {
        Check(host->rfind(ResolverHostFolder().string(), 0) == 0);
        platform::ToInternalPath(*host);
      }
    }
  }
  return 0;
}
