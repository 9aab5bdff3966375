// The entry points the program binds by name: the version and the factory,
// and the optional ones through which it hands over its sound output and
// its clock, and settles the movies after a step of that clock.
#include <new>

#include "moviedll/GraphMovieControl.h"
#include "moviedll/MovieLibraryHooks.h"
#include "moviedll/MovieOpenCode.h"
#include "moviedll/MovieSoundOutput.h"
#include "moviedll/ProgramMovieClock.h"

using orrivel::Drawable;
using orrivel::GraphMovieControl;
using orrivel::MovieControl;
using orrivel::PixelBuffer;
using orrivel::Stream;

// A test build answers another version, to be refused by the program.
#ifndef ORRIVEL_MOVIE_LIBRARY_VERSION
#define ORRIVEL_MOVIE_LIBRARY_VERSION orrivel::kMovieLibraryVersion
#endif

extern "C" __attribute__((visibility("default"))) int32_t GetDllVersion() { return ORRIVEL_MOVIE_LIBRARY_VERSION; }

extern "C" __attribute__((visibility("default"))) int32_t GetDShowGdiSpriteCtrl(
    MovieControl** out, PixelBuffer* images, Drawable* notify, Stream* stream, int32_t kind, const char* fileName,
    int32_t reservedA, int32_t reservedB, int32_t reservedC) {
  if (out == nullptr || images == nullptr || notify == nullptr) return orrivel::kMovieOpenBadArgument;
  GraphMovieControl* control = nullptr;
  if (orrivel::MovieLibraryTestHooks().failStep != orrivel::kMovieOpenOutOfMemory) {
    control = new (std::nothrow) GraphMovieControl(images, notify);
  }
  if (control == nullptr) return orrivel::kMovieOpenOutOfMemory;
  const int32_t code = control->Open(stream, kind, fileName, reservedA, reservedB, reservedC);
  if (code != 0) {
    // Open has released everything it built; the stream is still the caller's.
    control->Release();
    return code;
  }
  *out = control;
  return 0;
}

extern "C" __attribute__((visibility("default"))) void SetMovieSoundOutput(orrivel::MovieSoundOutputMaker maker) {
  orrivel::SetMovieSoundOutputMaker(maker);
}

extern "C" __attribute__((visibility("default"))) void SetMovieClock(orrivel::MovieClockReader reader) {
  orrivel::SetMovieClockReader(reader);
}

extern "C" __attribute__((visibility("default"))) void SettleMovies() { orrivel::SettleOpenMovies(); }
