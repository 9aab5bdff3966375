#pragma once
// The sound device the game application owns: beside the device it keeps
// the primary format (what the output mixes at) and the loose sounds that
// scripts create and delete. Scripts name loose sounds by 32-bit handles
// from one table for the whole process, so a handle that another sound
// system gave out, or one already deleted, is refused. Main thread only.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "sound/SoundBase.h"
#include "sound/SoundDevice.h"

namespace orrivel {

class BufferSound;
class StreamSound;

enum SoundSystemCode : int32_t {
  kSoundSystemOk = 0,
  kSoundSystemNotPriority = -1,    // the output keeps its own format
  kSoundSystemFormatRefused = -2,
  kSoundSystemNoPrimary = 6,
};

class SoundSystem : public SoundDevice {
 public:
  SoundSystem() = default;
  // Deletes every loose sound before the device goes.
  ~SoundSystem() override;

  // Creates the device first when there is none (and returns its failure).
  // rateCode 8, 11, 22 and 44 stand for 8000, 11025, 22050 and 44100 Hz;
  // any other value is the rate itself. A SoundSystemCode.
  int32_t Initialize(void* window, bool getPosition2, bool softwareMixing, const char* deviceName,
                     uint16_t channels, uint32_t rateCode, uint16_t bitsPerSample);
  void ReleasePrimaryBuffer();
  bool HasPrimaryBuffer() const { return primaryOpen_; }
  // The format last given to the output (valid with a primary buffer).
  const platform::WaveFormat& PrimaryFormat() const { return primary_; }
  static uint32_t RateFromCode(uint32_t rateCode);

  // Each stores a handle in *outSound (0 on failure) and answers the open's
  // own code; any non-zero code, negative ones included, keeps nothing.
  // Construction failures answer 8, 3 and 7.
  int32_t CreateBufferSound(uint32_t* outSound, const char* fileName, int32_t mode);
  int32_t CreateDuplicateSound(uint32_t* outSound, uint32_t source);
  int32_t CreateStreamSound(uint32_t* outSound, const char* firstFile, const char* secondFile);
  // 1 for handle 0; 2 when this system holds no such sound.
  int32_t DeleteSound(uint32_t sound);
  void DeleteAllSounds();
  // In list order, results ignored.
  void PauseAllSounds();
  void ResumeAllSounds();
  void StopAllSounds();

  // The sound this system holds under the handle, or null.
  SoundBase* GetSound(uint32_t sound) const;
  size_t SoundCount() const { return sounds_.size(); }

 protected:
  // Steps a test can make fail: null is a construction failure; false a
  // primary buffer the device refuses.
  virtual BufferSound* NewBufferSound();
  virtual StreamSound* NewStreamSound();
  virtual bool CreatePrimaryBuffer();

 private:
  // Keeps an opened sound: 0, or the construction code when no handle is
  // left.
  int32_t Keep(std::unique_ptr<SoundBase> sound, uint32_t* outSound, int32_t failCode);

  bool primaryOpen_ = false;
  platform::WaveFormat primary_;
  std::vector<std::pair<uint32_t, std::unique_ptr<SoundBase>>> sounds_;
};

}  // namespace orrivel
