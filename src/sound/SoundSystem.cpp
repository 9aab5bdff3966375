#include "sound/SoundSystem.h"

#include <algorithm>
#include <new>

#include "base/HandleTable.h"
#include "sound/BufferSound.h"
#include "sound/StreamSound.h"

namespace orrivel {
namespace {

// One table for every sound system: a handle means one sound in the
// process, never an equal-looking one of another system.
HandleTable<SoundBase>& LooseSounds() {
  static HandleTable<SoundBase> table;
  return table;
}

}  // namespace

SoundSystem::~SoundSystem() {
  DeleteAllSounds();
  ReleasePrimaryBuffer();
}

uint32_t SoundSystem::RateFromCode(uint32_t rateCode) {
  switch (rateCode) {
    case 8: return 8000;
    case 11: return 11025;
    case 22: return 22050;
    case 44: return 44100;
    default: return rateCode;
  }
}

bool SoundSystem::CreatePrimaryBuffer() { return Device() != nullptr; }

void SoundSystem::ReleasePrimaryBuffer() { primaryOpen_ = false; }

int32_t SoundSystem::Initialize(void* window, bool getPosition2, bool softwareMixing, const char* deviceName,
                                uint16_t channels, uint32_t rateCode, uint16_t bitsPerSample) {
  if (!Device()) {
    if (const int32_t created = Create(window, getPosition2, softwareMixing, deviceName); created != 0) {
      return created;
    }
  }
  ReleasePrimaryBuffer();
  if (CooperativeLevel() < platform::kCooperativePriority) return kSoundSystemNotPriority;
  if (!CreatePrimaryBuffer()) return kSoundSystemNoPrimary;
  primaryOpen_ = true;
  platform::WaveFormat format;
  format.channels = channels;
  format.samplesPerSec = RateFromCode(rateCode);
  format.bitsPerSample = bitsPerSample;
  format.blockAlign = uint16_t(bitsPerSample / 8 * channels);
  format.avgBytesPerSec = uint32_t(uint64_t(format.blockAlign) * format.samplesPerSec);
  // Plain PCM carries no bytes after its record.
  format.extraSize = 0;
  primary_ = format;
  return Device()->SetPrimaryFormat(format) == platform::kAudioOk ? kSoundSystemOk : kSoundSystemFormatRefused;
}

BufferSound* SoundSystem::NewBufferSound() { return new (std::nothrow) BufferSound(nullptr); }
StreamSound* SoundSystem::NewStreamSound() { return new (std::nothrow) StreamSound(nullptr); }

int32_t SoundSystem::Keep(std::unique_ptr<SoundBase> sound, uint32_t* outSound, int32_t failCode) {
  const uint32_t handle = LooseSounds().Insert(sound.get());
  if (handle == 0) return failCode;
  try {
    sounds_.emplace_back(handle, std::move(sound));
  } catch (const std::bad_alloc&) {
    LooseSounds().Remove(handle);
    return failCode;
  }
  if (outSound) *outSound = handle;
  return 0;
}

int32_t SoundSystem::CreateBufferSound(uint32_t* outSound, const char* fileName, int32_t mode) {
  if (outSound) *outSound = 0;
  std::unique_ptr<BufferSound> sound(NewBufferSound());
  if (!sound) return 8;
  if (const int32_t opened = sound->Open(fileName, mode); opened != 0) return opened;
  return Keep(std::move(sound), outSound, 8);
}

int32_t SoundSystem::CreateDuplicateSound(uint32_t* outSound, uint32_t source) {
  if (outSound) *outSound = 0;
  std::unique_ptr<BufferSound> sound(NewBufferSound());
  if (!sound) return 3;
  SoundBase* original = GetSound(source);
  const auto* buffered = original && !original->IsStream() ? static_cast<const BufferSound*>(original) : nullptr;
  if (const int32_t opened = sound->OpenDuplicate(buffered); opened != 0) return opened;
  return Keep(std::move(sound), outSound, 3);
}

int32_t SoundSystem::CreateStreamSound(uint32_t* outSound, const char* firstFile, const char* secondFile) {
  if (outSound) *outSound = 0;
  std::unique_ptr<StreamSound> sound(NewStreamSound());
  if (!sound) return 7;
  if (const int32_t opened = sound->Open(firstFile, secondFile); opened != 0) return opened;
  return Keep(std::move(sound), outSound, 7);
}

SoundBase* SoundSystem::GetSound(uint32_t sound) const {
  const auto it = std::find_if(sounds_.begin(), sounds_.end(), [sound](const auto& e) { return e.first == sound; });
  return it != sounds_.end() && LooseSounds().Get(sound) == it->second.get() ? it->second.get() : nullptr;
}

int32_t SoundSystem::DeleteSound(uint32_t sound) {
  if (sound == 0) return 1;
  const auto it = std::find_if(sounds_.begin(), sounds_.end(), [sound](const auto& e) { return e.first == sound; });
  if (it == sounds_.end()) return 2;
  LooseSounds().Remove(sound);
  // Unlinked first: the sound's own teardown never finds itself listed.
  std::unique_ptr<SoundBase> gone = std::move(it->second);
  sounds_.erase(it);
  gone.reset();
  return 0;
}

void SoundSystem::DeleteAllSounds() {
  while (!sounds_.empty()) DeleteSound(sounds_.front().first);
}

void SoundSystem::PauseAllSounds() {
  for (auto& [handle, sound] : sounds_) sound->Pause();
}

void SoundSystem::ResumeAllSounds() {
  for (auto& [handle, sound] : sounds_) sound->Resume();
}

void SoundSystem::StopAllSounds() {
  for (auto& [handle, sound] : sounds_) sound->Stop();
}

}  // namespace orrivel
