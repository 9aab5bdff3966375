#pragma once
// Where a movie player's movie comes from: a loose file, passed to the
// movie library by path, or an archive member, passed as one of the
// program's streams with a kind code taken from its extension. All three
// players resolve their file the same way.
#include <cstdint>
#include <string>

namespace orrivel {

class ArchiveManager;
class Stream;

struct MovieSource {
  // A loose file: the host path in CP932, kind 0, no stream.
  std::string path;
  // An archive member: the stream (owned until handed over) and its kind.
  Stream* stream = nullptr;
  int32_t kind = 0;

  // The path for the library's call, or null for a member.
  const char* PathOrNull() const { return stream == nullptr ? path.c_str() : nullptr; }
  // Releases the stream once (the library leaves it alone when it refuses
  // a movie) and forgets it.
  void ReleaseStream();
};

// The kind of an archive member by its extension, compared without case:
// mpg, mpeg 0; mpv 1; dat 2; avi 3; mov, mp4 4; wmv, asf, wma 6. -1 for
// any other extension.
int32_t MovieKindForFileName(const std::string& fileName);

// 0 resolved; 3 a member whose extension is outside the table; 4 a file
// that is not found or whose stream cannot be opened. A loose file always
// has kind 0.
int32_t ResolveMovieSource(ArchiveManager& archives, const char* fileName, MovieSource* out);

}  // namespace orrivel
