#pragma once
// Anything the mixer adds into the output: sound buffers and PCM output
// streams. Each source guards its own state; the mixer only calls MixInto
// and never reaches the sound objects above the platform layer.
#include <cstdint>
#include <vector>

#include "platform/audio/AudioWakeTarget.h"
#include "platform/audio/WaveFormat.h"

namespace orrivel::platform {

class MixSource {
 public:
  virtual ~MixSource() = default;
  // Adds `frames` frames of the output format into acc (one int32 per
  // output sample, channels interleaved) and advances. Targets whose
  // notifications were crossed are appended to woken; the mixer wakes them
  // once every source lock is released.
  virtual void MixInto(int32_t* acc, uint32_t frames, const WaveFormat& output,
                       std::vector<AudioWakeTarget*>& woken) = 0;
};

// Shared by every source: one source frame as two 16-bit-range samples (a
// mono frame gives the same sample twice; 8-bit samples are centred on 0x80
// and scaled by 256).
void ReadPcmFrame(const uint8_t* frame, const WaveFormat& format, int32_t& left, int32_t& right);

// A level in hundredths of a decibel (-10000 silent .. 0 full) as a 16.16
// gain: round(65536 * 10^(level / 2000)), 0 at -10000 and below.
int32_t AttenuationToGain(int32_t hundredthsDb);

// Scales a sample by a 16.16 gain, rounding halves up:
// (sample * gain + 32768) >> 16. Samples stay in the 16-bit range and gains
// at most 65536, so the product fits 32 bits.
inline int32_t ScaleSample(int32_t sample, int32_t gain) { return (sample * gain + 32768) >> 16; }

// Adds one scaled frame into acc at the output's channel count (stereo
// frames are averaged for a mono output).
inline void AccumulateFrame(int32_t* acc, uint16_t outChannels, int32_t left, int32_t right, int32_t gainLeft,
                            int32_t gainRight) {
  const int32_t l = ScaleSample(left, gainLeft);
  const int32_t r = ScaleSample(right, gainRight);
  if (outChannels == 1) {
    acc[0] += (l + r) / 2;
  } else {
    acc[0] += l;
    acc[1] += r;
  }
}

// Steps a source position by rate/outputRate per output frame in 32.32
// fixed point: equal rates step exactly one frame, a doubled rate two.
inline uint64_t ResampleStep(uint32_t sourceRate, uint32_t outputRate) {
  return outputRate ? (uint64_t(sourceRate) << 32) / outputRate : 0;
}

}  // namespace orrivel::platform
