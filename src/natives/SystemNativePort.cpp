#include "natives/SystemNativePort.h"

#include "natives/SaveService.h"
#include "sound/SoundSystem.h"

namespace orrivel {

namespace {

SystemNativePort& DefaultPort() {
  static SystemNativePort port;
  return port;
}

SystemNativePort* current = nullptr;

}  // namespace

SystemNativePort& SystemPort() { return current ? *current : DefaultPort(); }

SystemNativePort* SetSystemPort(SystemNativePort* port) {
  SystemNativePort* previous = current;
  current = port;
  return previous;
}

SaveService& SystemSaves() {
  static UnavailableSaveService unavailable;
  SaveService* saves = SystemPort().saves;
  return saves ? *saves : unavailable;
}

SoundSystem* SystemSounds() {
  if (SoundSystem* system = SystemPort().soundSystem) return system;
  return dynamic_cast<SoundSystem*>(GetSoundDevice());
}

}  // namespace orrivel
