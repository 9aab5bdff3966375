#include "natives/ScriptSounds.h"

#include <algorithm>

#include "natives/ScriptHandles.h"
#include "sound/SoundManager.h"
#include "sound/SoundSystem.h"

namespace orrivel {

uint32_t ScriptSounds::Add(SoundBase* sound, Origin origin, uint32_t systemHandle) {
  std::erase_if(entries_, [](const Entry& entry) { return !entry.sound; });
  const uint32_t handle = handles_.Insert(sound, HandleFamily::Sound, origin);
  if (handle == 0) return 0;
  Entry& entry = entries_.emplace_back(handle, origin, systemHandle);
  // The sound goes: its handle goes with it; the entry stays until a use
  // or a forget finds it empty.
  entry.sound.Reset(sound);
  entry.sound.SetOnBroken([this, handle] { handles_.Remove(handle); });
  return handle;
}

uint32_t ScriptSounds::AddLoose(SoundBase* sound, uint32_t systemHandle) {
  if (sound == nullptr || systemHandle == 0) return 0;
  return Add(sound, kLoose, systemHandle);
}

uint32_t ScriptSounds::AddManaged(SoundBase* sound, Origin origin) {
  if (sound == nullptr) return 0;
  for (const Entry& entry : entries_)
    if (entry.sound == sound && entry.origin == origin) return entry.handle;
  return Add(sound, origin, 0);
}

bool ScriptSounds::ManagerOwns(SoundManager& manager, const SoundBase* sound, Origin origin) {
  if (origin == kMusic) return sound == &manager.ActiveMusic().sound || sound == &manager.OtherMusic().sound;
  for (int32_t ch = 0; ch < manager.ChannelCount(); ++ch) {
    const SoundChannel* channel = manager.GetChannel(ch);
    if (channel && (sound == &channel->buffer || sound == &channel->stream)) return true;
  }
  return false;
}

const ScriptSounds::Entry* ScriptSounds::FindEntry(uint32_t handle) const {
  for (const Entry& entry : entries_)
    if (entry.handle == handle) return &entry;
  return nullptr;
}

SoundBase* ScriptSounds::Find(uint32_t handle, SoundSystem* system, SoundManager* manager) {
  const Entry* entry = FindEntry(handle);
  if (entry == nullptr) return nullptr;
  SoundBase* sound = entry->sound.Get();
  const bool live = sound != nullptr && handles_.Get<SoundBase>(handle, HandleFamily::Sound) == sound &&
                    (entry->origin == kLoose ? system != nullptr && system->GetSound(entry->systemHandle) == sound
                                             : manager != nullptr && ManagerOwns(*manager, sound, entry->origin));
  if (live) return sound;
  Forget(handle);
  return nullptr;
}

uint32_t ScriptSounds::SystemHandle(uint32_t handle) const {
  const Entry* entry = FindEntry(handle);
  return entry && entry->origin == kLoose ? entry->systemHandle : 0;
}

void ScriptSounds::Forget(uint32_t handle) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [handle](const Entry& e) { return e.handle == handle; });
  if (it == entries_.end()) return;
  if (it->sound) handles_.Remove(handle);  // else it went with its sound
  entries_.erase(it);
}

void ScriptSounds::ForgetLoose() {
  std::erase_if(entries_, [this](const Entry& entry) {
    if (entry.origin != kLoose) return false;
    if (entry.sound) handles_.Remove(entry.handle);
    return true;
  });
}

}  // namespace orrivel
