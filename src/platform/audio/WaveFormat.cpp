#include "platform/audio/WaveFormat.h"

#include <cstring>

namespace orrivel::platform {
namespace {

void Put16(uint8_t* out, uint16_t v) {
  out[0] = uint8_t(v);
  out[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* out, uint32_t v) {
  Put16(out, uint16_t(v));
  Put16(out + 2, uint16_t(v >> 16));
}
uint16_t Get16(const uint8_t* in) { return uint16_t(in[0] | (in[1] << 8)); }
uint32_t Get32(const uint8_t* in) { return Get16(in) | (uint32_t(Get16(in + 2)) << 16); }

}  // namespace

WaveFormat WaveFormat::Pcm(uint32_t rate, uint16_t channels, uint16_t bits) {
  WaveFormat f;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = uint16_t(channels * (bits / 8));
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

bool WaveFormat::IsPlayablePcm() const {
  return formatTag == kWaveFormatPcm && (channels == 1 || channels == 2) &&
         (bitsPerSample == 8 || bitsPerSample == 16) && samplesPerSec >= 100 && samplesPerSec <= 100000 &&
         blockAlign == channels * (bitsPerSample / 8) && avgBytesPerSec == samplesPerSec * blockAlign;
}

void WaveFormat::WriteRecord(uint8_t out[kWaveFormatRecordSize]) const {
  Put16(out, formatTag);
  Put16(out + 2, channels);
  Put32(out + 4, samplesPerSec);
  Put32(out + 8, avgBytesPerSec);
  Put16(out + 12, blockAlign);
  Put16(out + 14, bitsPerSample);
  Put16(out + 16, extraSize);
}

WaveFormat WaveFormat::ReadRecord(const uint8_t in[kWaveFormatRecordSize]) {
  WaveFormat f;
  f.formatTag = Get16(in);
  f.channels = Get16(in + 2);
  f.samplesPerSec = Get32(in + 4);
  f.avgBytesPerSec = Get32(in + 8);
  f.blockAlign = Get16(in + 12);
  f.bitsPerSample = Get16(in + 14);
  f.extraSize = Get16(in + 16);
  return f;
}

void BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, uint8_t out[kWaveHeaderBytes]) {
  std::memcpy(out, "RIFF", 4);
  Put32(out + 4, kWaveHeaderBytes - 8 + dataBytes);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  Put32(out + 16, kWaveFormatRecordSize);
  WaveFormat whole = format;
  whole.extraSize = 0;
  whole.WriteRecord(out + 20);
  std::memcpy(out + 38, "data", 4);
  Put32(out + 42, dataBytes);
}

}  // namespace orrivel::platform
