#include "sound/MovieSource.h"

#include <array>
#include <utility>

#include "platform/PathResolver.h"
#include "platform/TextCodec.h"
#include "resource/ArchiveManager.h"
#include "resource/Paths.h"
#include "resource/Stream.h"

namespace orrivel {
namespace {

bool SameWithoutCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

constexpr std::array<std::pair<const char*, int32_t>, 10> kKindByExtension{{
    {"mpg", 0}, {"mpeg", 0}, {"avi", 3}, {"wmv", 6}, {"asf", 6}, {"wma", 6},
    {"mpv", 1}, {"dat", 2}, {"mov", 4}, {"mp4", 4},
}};

}  // namespace

void MovieSource::ReleaseStream() {
  if (stream != nullptr) stream->Release();
  stream = nullptr;
}

int32_t MovieKindForFileName(const std::string& fileName) {
  const std::string extension = GetFileExtension(fileName);
  for (const auto& [name, kind] : kKindByExtension)
    if (SameWithoutCase(extension, name)) return kind;
  return -1;
}

int32_t ResolveMovieSource(ArchiveManager& archives, const char* fileName, MovieSource* out) {
  *out = MovieSource{};
  std::string fullPath;
  const int found = archives.FindFileOrMember(&fullPath, fileName, nullptr);
  if (found > 0) return 4;
  if (found == 0) {
    // The library opens loose files itself, by their host name.
    const auto host = platform::ResolveHostPath(fullPath, platform::ResolveMode::Existing);
    const auto name = host ? platform::Utf8ToCp932(*host) : std::nullopt;
    if (!name) return 4;
    out->path = *name;
    return 0;
  }
  const int32_t kind = MovieKindForFileName(fileName);
  if (kind < 0) return 3;
  int error = 0;
  out->stream = archives.OpenStream(fileName, nullptr, &error, false);
  if (out->stream == nullptr) return 4;
  out->kind = kind;
  return 0;
}

}  // namespace orrivel
