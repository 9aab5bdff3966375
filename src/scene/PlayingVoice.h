#pragma once
// What the voice-synchronised animation needs of a playing sound: whether it
// holds data, where it is playing, and how loud it is there. A narrow
// contract, so the animation can follow a real buffer sound or a scripted
// stand-in.
#include <cstdint>

namespace orrivel {

class BufferSound;

class PlayingVoice {
 public:
  virtual ~PlayingVoice() = default;
  // True once the sound holds data.
  virtual bool IsLoaded() = 0;
  // False when the sound is not playing; otherwise the byte position.
  virtual bool GetPlayPosition(uint32_t* outByte) = 0;
  // The amplitude at the byte offset scaled into 0..scale-1.
  virtual uint32_t GetAmplitudeAt(uint32_t byteOffset, uint32_t scale) = 0;
};

// The contract over a buffer sound the caller keeps alive.
class BufferSoundVoice final : public PlayingVoice {
 public:
  explicit BufferSoundVoice(BufferSound* sound) : sound_(sound) {}
  bool IsLoaded() override;
  bool GetPlayPosition(uint32_t* outByte) override;
  uint32_t GetAmplitudeAt(uint32_t byteOffset, uint32_t scale) override;

 private:
  BufferSound* sound_;
};

}  // namespace orrivel
