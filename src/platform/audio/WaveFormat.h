#pragma once
// The PCM format of a sound buffer, an output stream or the primary output,
// in the field order of the 18-byte wave format record that WAVE files and
// sound decoders carry.
#include <cstdint>

namespace orrivel::platform {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint32_t kWaveFormatRecordSize = 18;

struct WaveFormat {
  uint16_t formatTag = kWaveFormatPcm;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;

  // PCM with the block align and byte rate that follow from the rest.
  static WaveFormat Pcm(uint32_t rate, uint16_t channels, uint16_t bits);
  // 8- or 16-bit PCM, 1 or 2 channels, a rate the mixer accepts, and a block
  // align and byte rate that agree with them.
  bool IsPlayablePcm() const;
  // The 18-byte little-endian record.
  void WriteRecord(uint8_t out[kWaveFormatRecordSize]) const;
  static WaveFormat ReadRecord(const uint8_t in[kWaveFormatRecordSize]);

  bool operator==(const WaveFormat&) const = default;
};

// The head of a RIFF WAVE file: "RIFF", size, "WAVE", "fmt ", 18, the
// 18-byte record, "data", size. The record is written whole, so its extra
// size is written as 0 whatever the format says: a format that counts its
// own record there would make readers look past the chunk.
constexpr uint32_t kWaveHeaderBytes = 46;
void BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, uint8_t out[kWaveHeaderBytes]);

}  // namespace orrivel::platform
