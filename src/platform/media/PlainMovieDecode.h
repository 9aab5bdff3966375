#pragma once
// The plainest way to turn a movie file into X8R8G8B8 pictures: demux,
// decode and sws_scale in one loop, no threads, no clock, no sink. The
// movie pipeline's cost is measured against it.
#include <cstdint>
#include <string>

namespace orrivel::media {

// Pictures decoded and converted, or -1 when the file cannot be played.
int64_t DecodeMoviePlain(const std::string& path);

}  // namespace orrivel::media
