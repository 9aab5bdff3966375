#pragma once
// The kind code the program passes with a movie stream, from the member's
// extension, and the demuxer the pipeline tries first for it.
#include <cstdint>

#include "platform/media/MoviePipeline.h"

namespace orrivel {

enum MovieKind : int32_t {
  kMovieKindMpegSystem = 0,  // mpg, mpeg
  kMovieKindMpegVideo = 1,   // mpv
  kMovieKindVideoCd = 2,     // dat
  kMovieKindAvi = 3,         // avi
  kMovieKindQuickTime = 4,   // mov, mp4
  kMovieKindOther = 5,       // announced as QuickTime
  kMovieKindWindowsMedia = 6,  // wmv, asf, wma: refused for streams
};

// False for kinds a stream cannot be played as (6 and above; negative
// kinds compare as large unsigned values).
bool MovieKindToHint(int32_t kind, media::ContainerHint* hint);

}  // namespace orrivel
