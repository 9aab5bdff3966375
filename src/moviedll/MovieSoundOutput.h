#pragma once
// Where movies send their sound. The library has no sound output of its
// own on this platform: the program hands it a maker of outputs on the
// program's mixer through the optional entry "SetMovieSoundOutput", and each
// movie opened afterwards asks that maker for one. Without a maker, or when
// it answers null (no sound device), the movie plays silent.
#include "platform/media/AudioSink.h"

namespace orrivel {

// A new output owned by the caller, or null.
using MovieSoundOutputMaker = media::AudioSink* (*)();
using SetMovieSoundOutputFunc = void (*)(MovieSoundOutputMaker maker);
inline constexpr const char* kSetMovieSoundOutputEntry = "SetMovieSoundOutput";

// Inside the library: the maker in force (null: none).
MovieSoundOutputMaker CurrentMovieSoundOutputMaker();
void SetMovieSoundOutputMaker(MovieSoundOutputMaker maker);

}  // namespace orrivel
