#pragma once
// The event sounds of controls: a sound name, else a preset number, else
// the host's own sound for the moment (activate -4, hover -3, leave -2).
#include <cstdint>
#include <string>

#include "scene/ControlHost.h"

namespace orrivel {

// The host's default sounds.
inline constexpr int32_t kControlSoundActivate = -4;
inline constexpr int32_t kControlSoundHover = -3;
inline constexpr int32_t kControlSoundLeave = -2;

// One moment's sound: a name (empty: none) and its number (a name forces
// 0; negative without a name: the host's default).
struct ControlSound {
  std::string name;
  int32_t number = -1;

  void Set(const char* text, int32_t code) {
    name = text != nullptr ? text : "";
    number = name.empty() ? code : 0;
  }
  void Play(ControlHost* host, int32_t fallback) const {
    if (host == nullptr) return;
    if (name.empty() && number < 0) {
      host->PlaySound(nullptr, fallback, 0, 0);
    } else {
      host->PlaySound(name.empty() ? nullptr : name.c_str(), number, 0, 0);
    }
  }
};

}  // namespace orrivel
