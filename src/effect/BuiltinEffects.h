#pragma once
// The built-in named objects of the layer effects and the two moments that
// register them:
// - the game's start-up step registers the first group of layer actions
//   (the background actions, sp_panime and bg_anime);
// - the script host's creation step seeds the shared random generator,
//   registers the screen filters and "ripple" among the transitions, then the
//   second group of layer actions, and binds the generator to the overlay
//   effects.
// Each list lives here once, in registration order; a row whose class is not
// built in yet has no creator and is skipped.
#include <cstdint>
#include <span>

#include "resource/plugin/DcpObject.h"
#include "resource/plugin/TcpObject.h"

namespace orrivel {

class DcpManager;
class SubtractiveRandom;
class TcpManager;

struct BuiltinLayerAction {
  const char* name;
  uint8_t category;
  int32_t typeId;
  DcpGetObjectFunc create;  // null until the class is built in
  // The class-level entry pair, registered as both forms when present.
  CallbackAssistFunc assist;
  CallbackAssistFunc2 assist2;
};

struct BuiltinScreenObject {
  const char* name;
  uint8_t category;
  TcpGetObjectFunc create;  // null until the class is built in
};

std::span<const BuiltinLayerAction> StartupLayerActions();
std::span<const BuiltinLayerAction> ScriptHostLayerActions();
// The screen filters, then "ripple".
std::span<const BuiltinScreenObject> ScriptHostScreenObjects();

// Registers the rows that have a creator, with creator argument 0; returns
// how many were registered.
int RegisterLayerActions(DcpManager& registry, std::span<const BuiltinLayerAction> rows);
int RegisterScreenObjects(TcpManager& registry, std::span<const BuiltinScreenObject> rows);

// The game's start-up step for the layer actions.
void RegisterStartupEffects(DcpManager& actions);
// The script host's step: seeds the shared generator with the tick, then
// registers and binds as described above.
void RegisterScriptHostEffects(TcpManager& screenObjects, DcpManager& actions, uint32_t seed);

// The generator the overlay effects (quake, noise and the weather) and the
// quake filter draw from; null until the script host's step binds it, and
// those effects refuse to start while it is null.
SubtractiveRandom* OverlayEffectRandom();
void BindOverlayEffectRandom(SubtractiveRandom* random);

// A built-in creator: a new object of the class, or null without memory.
template <typename T>
DcpObject* CreateBuiltinAction(int32_t) noexcept {
  try {
    return new T();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace orrivel
