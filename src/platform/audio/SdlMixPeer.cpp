#include "platform/audio/SdlMixPeer.h"

#include <SDL.h>

namespace orrivel::platform {

void SdlMixAudioS16(uint8_t* dst, const uint8_t* src, uint32_t bytes, int volume) {
  SDL_MixAudioFormat(dst, src, AUDIO_S16SYS, bytes, volume);
}

}  // namespace orrivel::platform
