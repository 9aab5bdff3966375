// Loads arbitrary bytes as the sound state that save data embeds. A block
// that loads must have been read within its size, and a refused one must
// leave the manager as it was (no channels here).
#include <cstdint>
#include <cstdlib>

#include "sound/SoundManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::SoundManager sound;
  size_t used = 0;
  if (sound.LoadState(data, size, &used) != 0) {
    if (sound.ChannelCount() != 0 || sound.musicPan != 0) std::abort();
    return 0;
  }
  if (used > size) std::abort();
  // What loaded saves back within the same bounds a save has.
  if (sound.GetStateSize() > 15 + 2 * 255 + size_t(sound.ChannelCount()) * (11 + 258)) std::abort();
  return 0;
}
