#include "platform/audio/MixSource.h"

#include <cmath>

namespace orrivel::platform {

void ReadPcmFrame(const uint8_t* frame, const WaveFormat& format, int32_t& left, int32_t& right) {
  if (format.bitsPerSample == 8) {
    left = (int32_t(frame[0]) - 128) * 256;
    right = format.channels == 2 ? (int32_t(frame[1]) - 128) * 256 : left;
    return;
  }
  left = int16_t(uint16_t(frame[0] | (frame[1] << 8)));
  right = format.channels == 2 ? int16_t(uint16_t(frame[2] | (frame[3] << 8))) : left;
}

int32_t AttenuationToGain(int32_t hundredthsDb) {
  if (hundredthsDb <= -10000) return 0;
  if (hundredthsDb >= 0) return 65536;
  return int32_t(std::lround(65536.0 * std::pow(10.0, hundredthsDb / 2000.0)));
}

}  // namespace orrivel::platform
