#include "natives/NativeBinder.h"

namespace orrivel {

void BindGameNatives(NativeBinder& binder) {
  BindNoOperationNatives(binder);
  BindRandomNatives(binder);
  BindTextFrameNatives(binder);
  BindApplicationNatives(binder);
  BindFolderNatives(binder);
  BindFileNatives(binder);
  BindAnimationNatives(binder);
}

}  // namespace orrivel
