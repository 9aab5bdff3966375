#pragma once
// The codes MovieControl::Open answers, one per step of building the
// playback, and the test-only way to make a step fail that cannot fail on
// this platform.
#include <cstdint>

namespace orrivel {

enum EDShowMovieErrorCode : int32_t {
  kMovieOpenOk = 0,
  kMovieOpenBadKind = 1,        // also: neither stream nor file name
  kMovieOpenStreamSource = 2,   // stream source or reader
  kMovieOpenRenderer = 3,
  kMovieOpenGraph = 4,          // the pipeline itself
  kMovieOpenAddFilter = 5,
  kMovieOpenGraphBuilder = 6,
  kMovieOpenRender = 7,         // nothing playable, no video, or a bad file name
  kMovieOpenMediaControl = 8,
  kMovieOpenSeeking = 10,
  kMovieOpenPosition = 11,
  kMovieOpenBasicAudio = 14,
  kMovieOpenOutOfMemory = 17,   // the factory could not make the object
  kMovieOpenBadArgument = 24,
  kMovieOpenOther = -1,
};

}  // namespace orrivel
