#pragma once
// The game's sound manager: the sound subsystem's manager that knows the
// script host running while it plays. The process-wide objects own it from
// the device step on, so music goes on across a reboot of the scripts; a
// host takes it for its life and lets go when it goes, so no host that is
// gone is ever reached through it. Its saved state is the base's.
#include "sound/SoundManager.h"

namespace orrivel {

class GameScriptHost;

class GameSoundManager final : public SoundManager {
 public:
  // The running host; null between hosts.
  GameScriptHost* Host() const { return host_; }
  void AttachHost(GameScriptHost& host) { host_ = &host; }
  // Only the host it knows lets go (a newer host may have taken it).
  void DetachHost(const GameScriptHost& host) {
    if (host_ == &host) host_ = nullptr;
  }

 private:
  GameScriptHost* host_ = nullptr;
};

}  // namespace orrivel
