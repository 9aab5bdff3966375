#include "scene/PlayingVoice.h"

#include "sound/BufferSound.h"

namespace orrivel {

bool BufferSoundVoice::IsLoaded() { return sound_ != nullptr && sound_->GetTotalBytes() != 0; }

bool BufferSoundVoice::GetPlayPosition(uint32_t* outByte) {
  if (sound_ == nullptr) return false;
  uint32_t write = 0;
  return sound_->IsPlaying(outByte, &write);
}

uint32_t BufferSoundVoice::GetAmplitudeAt(uint32_t byteOffset, uint32_t scale) {
  return sound_ == nullptr ? 0 : sound_->GetAmplitudeAt(byteOffset, scale);
}

}  // namespace orrivel
