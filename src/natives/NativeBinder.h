#pragma once
// What a family of natives is given when the host registers the game's
// natives: the host, and a slot for each of its natives by the game's
// number. A family binds the natives it has built; the others keep the
// "not built yet" entry (it answers -1 and logs its number once).
#include <cstdint>

#include "natives/NativeCatalog.h"
#include "script/NativeArgs.h"

namespace orrivel {

class GameScriptHost;

class NativeBinder {
 public:
  NativeBinder(GameScriptHost& host, NativeTable& table) : host_(host), table_(table) {}

  GameScriptHost& Host() { return host_; }
  // Binds game native number (not its script number).
  void Bind(uint32_t gameNumber, ScriptNative native);

 private:
  GameScriptHost& host_;
  NativeTable& table_;
};

// The families, each in its own file. Add a family's binder here and to
// BindGameNatives.
void BindNoOperationNatives(NativeBinder& binder);
void BindRandomNatives(NativeBinder& binder);
void BindTextFrameNatives(NativeBinder& binder);
void BindApplicationNatives(NativeBinder& binder);
void BindSoundNatives(NativeBinder& binder);
void BindSaveLoadNatives(NativeBinder& binder);
void BindShellNatives(NativeBinder& binder);
void BindTimeAndInputNatives(NativeBinder& binder);
void BindDisplayObjectNatives(NativeBinder& binder);
void BindMovieNatives(NativeBinder& binder);
void BindFolderNatives(NativeBinder& binder);
void BindFileNatives(NativeBinder& binder);
void BindAnimationNatives(NativeBinder& binder);
void BindSpriteNatives(NativeBinder& binder);
void BindMessageTextNatives(NativeBinder& binder);
void BindControlHostNatives(NativeBinder& binder);
void BindControlAccessNatives(NativeBinder& binder);
void BindGameDrawableNatives(NativeBinder& binder);
void BindFontsAndScreenNatives(NativeBinder& binder);
void BindSceneRegistryNatives(NativeBinder& binder);
void BindSurfaceNatives(NativeBinder& binder);
void BindImageDrawNatives(NativeBinder& binder);

// Every family in turn.
void BindGameNatives(NativeBinder& binder);

}  // namespace orrivel
