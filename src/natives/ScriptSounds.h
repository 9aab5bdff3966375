#pragma once
// The sounds a script holds by handle: the loose sounds of the sound system
// and the sound manager's channel and music sounds that the scripts may
// drive directly. Every handle comes from the host's handle registry
// (family Sound), and each use checks it against the sound's owner, so a
// sound deleted or a channel freed since is refused instead of reached.
// Each entry links to its sound: however the sound goes (its native, all
// sounds at once, the sound system's own teardown) its handle is dropped
// from the registry as it goes, so no native that reads the registry
// directly can reach it.
//
// Main thread only.
#include <cstddef>
#include <cstdint>
#include <list>

#include "base/WeakLink.h"

namespace orrivel {

class ScriptHandles;
class SoundBase;
class SoundManager;
class SoundSystem;

class ScriptSounds {
 public:
  // Recorded as the handle's kind.
  enum Origin : uint8_t { kLoose = 0, kChannel = 1, kMusic = 2 };

  // The registry must outlive this record, which leaves its entries
  // there: both go with the script host.
  explicit ScriptSounds(ScriptHandles& handles) : handles_(handles) {}
  ScriptSounds(const ScriptSounds&) = delete;
  ScriptSounds& operator=(const ScriptSounds&) = delete;

  // A loose sound under the sound system's own handle; 0 for none.
  uint32_t AddLoose(SoundBase* sound, uint32_t systemHandle);
  // A sound the manager owns; the same sound keeps the handle it has.
  uint32_t AddManaged(SoundBase* sound, Origin origin);
  // The sound, or null for 0, a handle of another family, or a sound its
  // owner no longer has (the handle is then dropped).
  SoundBase* Find(uint32_t handle, SoundSystem* system, SoundManager* manager);
  // The sound system's handle of a loose sound; 0 for any other handle.
  uint32_t SystemHandle(uint32_t handle) const;
  void Forget(uint32_t handle);
  // After the sound system deleted every loose sound.
  void ForgetLoose();
  size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    Entry(uint32_t handle, Origin origin, uint32_t systemHandle)
        : handle(handle), origin(origin), systemHandle(systemHandle) {}
    uint32_t handle;
    WeakLink<SoundBase> sound;  // null once the sound went
    Origin origin;
    uint32_t systemHandle;
  };
  uint32_t Add(SoundBase* sound, Origin origin, uint32_t systemHandle);
  static bool ManagerOwns(SoundManager& manager, const SoundBase* sound, Origin origin);
  const Entry* FindEntry(uint32_t handle) const;

  ScriptHandles& handles_;
  // A list: each entry's link stays where it was made.
  std::list<Entry> entries_;
};

}  // namespace orrivel
