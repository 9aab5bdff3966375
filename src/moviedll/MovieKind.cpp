#include "moviedll/MovieKind.h"

namespace orrivel {

bool MovieKindToHint(int32_t kind, media::ContainerHint* hint) {
  switch (uint32_t(kind)) {
    case kMovieKindMpegSystem:
      *hint = media::ContainerHint::kMpegSystem;
      return true;
    case kMovieKindMpegVideo:
      *hint = media::ContainerHint::kMpegVideo;
      return true;
    case kMovieKindVideoCd:
      *hint = media::ContainerHint::kVideoCd;
      return true;
    case kMovieKindAvi:
      *hint = media::ContainerHint::kAvi;
      return true;
    case kMovieKindQuickTime:
    case kMovieKindOther:
      *hint = media::ContainerHint::kQuickTime;
      return true;
    default:
      return false;
  }
}

}  // namespace orrivel
