#pragma once
// SDL's own mixing routine over 16-bit samples, offered only so that the
// mixer's benchmark can measure itself against it in the same run.
#include <cstdint>

namespace orrivel::platform {

// Adds `bytes` of signed 16-bit native-order samples from src into dst at
// SDL's volume scale (0..128), clipping.
void SdlMixAudioS16(uint8_t* dst, const uint8_t* src, uint32_t bytes, int volume);

}  // namespace orrivel::platform
