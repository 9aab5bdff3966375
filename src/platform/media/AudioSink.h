#pragma once
// Where a movie's sound goes: a plain PCM output with a volume. The pipeline
// opens it once with the format it resamples to, writes interleaved 16-bit
// samples as it decodes them, and starts, pauses and flushes it with the
// movie. When the sink can tell how much it has played, that position is the
// clock the pictures follow.
#include <cstdint>

namespace orrivel::media {

struct AudioFormat {
  uint32_t sampleRate = 44100;
  uint16_t channels = 2;  // 16-bit signed interleaved
};

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // False when the output cannot take this format; the movie then plays silent.
  virtual bool Open(const AudioFormat& format) = 0;
  virtual void Close() = 0;
  virtual void Write(const int16_t* samples, uint32_t frames) = 0;
  virtual void SetRunning(bool running) = 0;
  // Drops what was written and not yet played; the played position restarts at 0.
  virtual void Flush() = 0;
  // Attenuation in hundredths of a decibel: 0 full, -10000 silent.
  virtual void SetVolume(int32_t hundredthsDb) = 0;
  // Microseconds of sound played since the last Open or Flush, or -1 when
  // the sink keeps no such clock.
  virtual int64_t PlayedMicroseconds() = 0;
};

}  // namespace orrivel::media
