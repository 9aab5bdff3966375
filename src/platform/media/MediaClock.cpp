#include "platform/media/MediaClock.h"

#include <chrono>

namespace orrivel::media {

int64_t SteadyMediaClock::NowMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

MediaClock& DefaultMediaClock() {
  static SteadyMediaClock clock;
  return clock;
}

}  // namespace orrivel::media
