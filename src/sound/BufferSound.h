#pragma once
// A sound decoded whole into one buffer. It can keep a copy of the decoded
// samples (mode 1), or a coarse amplitude envelope of them (mode 2), which
// the mouth animation of speaking characters reads.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/SoundBase.h"

namespace orrivel {

class SoundDecoder;
class SoundDevice;

enum BufferSoundOpenCode : int32_t {
  kBufferOpenOk = 0,
  kBufferOpenVolumeOnly = -1,  // opened, but only the volume can be controlled
  kBufferOpenNoDevice = 1,
  kBufferOpenNoFile = 2,
  kBufferOpenNoBuffer = 3,
  kBufferOpenLockFailed = 4,
  kBufferOpenNoSamples = 5,
  kBufferOpenUnlockFailed = 6,
  kBufferOpenFailed = 7,
};

enum BufferSoundMode : int32_t {
  kKeepNoSamples = 0,
  kKeepSamples = 1,
  kKeepEnvelope = 2,
};

enum BufferPlayMode : uint8_t {
  kNotStarted = 0,
  kPlayingOnce = 1,
  kPlayingLooping = 2,
};

class BufferSound : public SoundBase {
 public:
  // Samples of one envelope block (interleaved: a stereo block covers 16
  // frames).
  static constexpr uint32_t kEnvelopeBlock = 32;

  // A non-null device becomes the process-wide sound device.
  explicit BufferSound(SoundDevice* device);
  ~BufferSound() override;

  // A BufferSoundOpenCode; every positive code leaves the sound closed.
  int32_t Open(const char* fileName, int32_t mode);
  // Plays the other sound's samples through a buffer of its own. 1 without
  // a device or a buffer to share, 2 when the device refuses.
  int32_t OpenDuplicate(const BufferSound* other);
  // 1 without a buffer; 0 unless the buffer was lost; otherwise the sound is
  // decoded again from its file, or a duplicate's buffer restored.
  int32_t RestoreBuffer();

  bool IsStream() const override { return false; }
  int32_t Close() override;
  int32_t Play() override { return Start(kPlayingOnce); }
  int32_t PlayLooping() override { return Start(kPlayingLooping); }
  int32_t Pause() override;
  int32_t Resume() override;
  int32_t Stop() override;
  uint32_t GetTotalBytes() override { return totalBytes_; }
  uint32_t GetLengthMs() override;
  int32_t SeekMs(uint32_t ms) override;
  uint32_t GetPositionMs() override;
  bool IsPlaying(uint32_t* outPlayCursor, uint32_t* outWriteCursor) override;

  // The kept sample at the byte offset (8-bit unsigned, 16-bit signed); 0
  // without kept samples or past the end.
  int32_t GetSampleAt(uint32_t byteOffset) const;
  // The amplitude at the byte offset: capped at 255 with a scale of 0, else
  // scaled against the envelope's peak into 0..scale-1.
  uint32_t GetAmplitudeAt(uint32_t byteOffset, uint32_t scale) const;

  const std::string& FileName() const { return fileName_; }
  uint8_t PlayMode() const { return playMode_; }
  bool StartPending() const { return startPending_; }
  uint8_t KeptSampleWidth() const { return keptWidth_; }
  uint16_t AmplitudePeak() const { return peak_; }

  // Replaces each whole 32-sample block from the start by its mean absolute
  // sample (16-bit: the mean; 8-bit: 128 + the mean of |b - 128|, so it
  // reads back as that amplitude); the tail stays raw. Answers the largest
  // mean shifted right by 2. Stereo blocks count interleaved samples.
  static uint16_t BuildEnvelope(uint8_t* samples, uint32_t bytes, uint16_t bitsPerSample);

 protected:
  // Steps of Open that a test can make fail (CreateBuffer too).
  virtual int32_t LockBuffer(platform::SoundBuffer& buffer, void** region, uint32_t* bytes);
  virtual int32_t UnlockBuffer(platform::SoundBuffer& buffer, void* region, uint32_t bytes);
  virtual void AllocateKept(uint32_t bytes);

 private:
  int32_t Start(uint8_t playMode);
  int32_t StartBuffer();
  int32_t OpenFile(const char* fileName, int32_t mode);
  int32_t OpenDecoded(SoundDecoder& decoder, int32_t mode);
  void PlayGuardSilence();

  std::string fileName_;  // empty when closed or for a duplicate
  uint32_t totalBytes_ = 0;
  uint8_t playMode_ = kNotStarted;
  bool startPending_ = false;
  uint8_t keptWidth_ = 0;
  uint16_t peak_ = 0;
  std::vector<uint8_t> kept_;
};

}  // namespace orrivel
