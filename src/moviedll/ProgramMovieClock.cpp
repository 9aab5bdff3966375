#include "moviedll/ProgramMovieClock.h"

#include <atomic>

namespace orrivel {
namespace {

std::atomic<MovieClockReader> gClockReader{nullptr};

}  // namespace

MovieClockReader CurrentMovieClockReader() { return gClockReader.load(); }
void SetMovieClockReader(MovieClockReader reader) { gClockReader.store(reader); }

}  // namespace orrivel
