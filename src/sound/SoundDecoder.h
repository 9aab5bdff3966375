#pragma once
// One open sound file delivering PCM. Decoders follow the holder rule:
// Release deletes a decoder without extra holders and otherwise drops one.
#include <cstdint>

#include "platform/audio/WaveFormat.h"
#include "resource/SharedHolder.h"

namespace orrivel {

class SoundDecoder : public SharedHolder {
 public:
  virtual uint32_t GetLengthMs() = 0;
  // PCM bytes of the whole file.
  virtual uint32_t GetTotalBytes() = 0;
  // 0 on success.
  virtual int32_t SeekMs(uint32_t ms) = 0;
  virtual uint32_t TellMs() = 0;
  virtual bool IsEnd() = 0;
  // Bytes delivered.
  virtual uint32_t Read(void* buffer, uint32_t bytes) = 0;
  // Valid while the decoder lives.
  virtual const platform::WaveFormat* GetFormat() = 0;
};

using SoundDecoderPtr = HeldPtr<SoundDecoder>;

}  // namespace orrivel
