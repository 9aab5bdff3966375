#include "natives/ScriptSounds.h"

#include <algorithm>

#include "natives/ScriptHandles.h"
#include "sound/SoundManager.h"
#include "sound/SoundSystem.h"

namespace orrivel {

uint32_t ScriptSounds::AddLoose(SoundBase* sound, uint32_t systemHandle) {
  if (sound == nullptr || systemHandle == 0) return 0;
  const uint32_t handle = handles_.Insert(sound, HandleFamily::Sound, kLoose);
  if (handle != 0) entries_.push_back(Entry{handle, sound, kLoose, systemHandle});
  return handle;
}

uint32_t ScriptSounds::AddManaged(SoundBase* sound, Origin origin) {
  if (sound == nullptr) return 0;
  for (const Entry& entry : entries_)
    if (entry.sound == sound && entry.origin == origin) return entry.handle;
  const uint32_t handle = handles_.Insert(sound, HandleFamily::Sound, origin);
  if (handle != 0) entries_.push_back(Entry{handle, sound, origin, 0});
  return handle;
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
  if (entry == nullptr || handles_.Get<SoundBase>(handle, HandleFamily::Sound) != entry->sound) return nullptr;
  const bool live = entry->origin == kLoose ? system != nullptr && system->GetSound(entry->systemHandle) == entry->sound
                                            : manager != nullptr && ManagerOwns(*manager, entry->sound, entry->origin);
  if (live) return entry->sound;
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
  handles_.Remove(handle);
  entries_.erase(it);
}

void ScriptSounds::ForgetLoose() {
  std::erase_if(entries_, [this](const Entry& entry) {
    if (entry.origin != kLoose) return false;
    handles_.Remove(entry.handle);
    return true;
  });
}

}  // namespace orrivel
