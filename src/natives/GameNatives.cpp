#include "natives/NativeBinder.h"

namespace orrivel {

void BindGameNatives(NativeBinder& binder) {
  BindNoOperationNatives(binder);
  BindRandomNatives(binder);
  BindTextFrameNatives(binder);
  BindApplicationNatives(binder);
  BindDisplayObjectNatives(binder);
  BindMovieNatives(binder);
}

}  // namespace orrivel
