#include "natives/NativeBinder.h"

namespace orrivel {

void BindGameNatives(NativeBinder& binder) {
  BindNoOperationNatives(binder);
  BindRandomNatives(binder);
  BindTextFrameNatives(binder);
  BindApplicationNatives(binder);
  BindSoundNatives(binder);
  BindSaveLoadNatives(binder);
  BindShellNatives(binder);
  BindTimeAndInputNatives(binder);
  BindDisplayObjectNatives(binder);
  BindMovieNatives(binder);
  BindFolderNatives(binder);
  BindFileNatives(binder);
  BindAnimationNatives(binder);
  BindSpriteNatives(binder);
  BindMessageTextNatives(binder);
  BindControlHostNatives(binder);
  BindControlAccessNatives(binder);
  BindGameDrawableNatives(binder);
  BindFontsAndScreenNatives(binder);
  BindSceneRegistryNatives(binder);
  BindSurfaceNatives(binder);
  BindImageDrawNatives(binder);
}

}  // namespace orrivel
