#pragma once
// The two sound families share the record of the sounds the scripts hold:
// the sound-object natives make and drive loose sounds, and the
// sound-manager natives hand out the manager's channel and music sounds
// for those natives to drive.
#include <memory>

namespace orrivel {

class NativeBinder;
class ScriptSounds;

void BindSoundObjectNatives(NativeBinder& binder, const std::shared_ptr<ScriptSounds>& sounds);
void BindSoundManagerNatives(NativeBinder& binder, const std::shared_ptr<ScriptSounds>& sounds);

}  // namespace orrivel
