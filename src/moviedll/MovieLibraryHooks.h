#pragma once
// What tests put in place inside the movie library: the clock new movies
// run on, where their sound goes, and one step of Open made to fail (the
// steps that cannot fail here keep their codes reachable that way). Not
// exported: only tests linked with the library's code reach them.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/media/AudioSink.h"
#include "platform/media/MediaClock.h"

namespace orrivel {

struct MovieLibraryHooks {
  // Null: the process's steady clock.
  media::MediaClock* clock = nullptr;
  // Makes the sound output of each new movie; none: movies play silent.
  std::function<std::unique_ptr<media::AudioSink>()> makeAudioSink;
  // An EDShowMovieErrorCode whose step fails (17: the factory's
  // allocation; -1: an unexpected failure inside Open); 0 for none.
  int32_t failStep = 0;
};

// The hooks in force; tests change them between movies.
MovieLibraryHooks& MovieLibraryTestHooks();

}  // namespace orrivel
