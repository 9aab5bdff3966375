#pragma once
// Background music by number: "BGM\BGM%02d.OGG" plays alone when the game
// has it, otherwise the intro "BGM\BGM%02dA.OGG" plays once and
// "BGM\BGM%02dB.OGG" follows it (and repeats when looping). The number
// playing is one value for the whole process (0: none); it changes only once
// the new music has started, so a failed start can be asked for again.
//
// Main thread only.
#include <cstdint>
#include <string>

namespace orrivel {

class SoundManager;
class TimerList;

struct BgmFiles {
  std::string file;   // the part that plays (and loops)
  std::string intro;  // empty: no intro
};

// The files of a number, after what the game's archives and folders hold.
BgmFiles BgmFilesFor(int32_t number);

// The same number again does nothing, except 0, which stops the music again
// at once. 0 stops the music (faded over fadeMs when given). Otherwise the
// music starts at once (fadeMs 0: 1 when it could not start, else 0),
// fades in when no music was playing, or cross-fades from the playing
// music (0). Fades run on the list (the manager's own when null).
int32_t PlayBgmTrack(SoundManager& sounds, TimerList* list, int32_t number, uint32_t fadeMs, bool loop);

int32_t CurrentBgmNumber();
// Tests and a restored game state set it.
void SetCurrentBgmNumber(int32_t number);

}  // namespace orrivel
