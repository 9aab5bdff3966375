#include "platform/audio/SdlMixPeer.h"

#include "platform/sdl/SdlApi.h"

namespace orrivel::platform {

void SdlMixAudioS16(uint8_t* dst, const uint8_t* src, uint32_t bytes, int volume) {
  if (!sdl::Load()) return;  // no peer to compare with: dst stays as it was
  sdl::Api().MixAudioFormat(dst, src, AUDIO_S16SYS, bytes, volume);
}

}  // namespace orrivel::platform
