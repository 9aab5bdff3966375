#pragma once
// The clock a movie without sound runs on, when the program hands the
// library its own. A movie with sound follows its sound; one without follows
// a clock, which is the machine's unless the program has handed over its
// clock through the optional entry "SetMovieClock". A headless run keeps a
// virtual clock that moves only by the run's frames: its movies then move
// by the same steps, and after each step the program calls the optional
// entry "SettleMovies", which returns once every open movie has acted on
// the clock as it reads now, so that two runs show the same pictures.
#include <cstdint>

#include "platform/media/MediaClock.h"

namespace orrivel {

// Microseconds on the program's clock. When stepped is not null it
// receives 1 while that clock moves only when the program steps it.
using MovieClockReader = int64_t (*)(uint8_t* stepped);
using SetMovieClockFunc = void (*)(MovieClockReader reader);
using SettleMoviesFunc = void (*)();
inline constexpr const char* kSetMovieClockEntry = "SetMovieClock";
inline constexpr const char* kSettleMoviesEntry = "SettleMovies";

// Inside the library: the reader in force (null: the machine's clock).
// Set by the program's thread before movies open, read where one opens.
MovieClockReader CurrentMovieClockReader();
void SetMovieClockReader(MovieClockReader reader);

class ProgramMovieClock final : public media::MediaClock {
 public:
  explicit ProgramMovieClock(MovieClockReader reader) : reader_(reader) {}
  int64_t NowMicroseconds() override { return reader_(nullptr); }
  bool IsStepped() const {
    uint8_t stepped = 0;
    reader_(&stepped);
    return stepped != 0;
  }

 private:
  MovieClockReader reader_;
};

}  // namespace orrivel
