#include "natives/NativeBinder.h"

namespace orrivel {

void BindGameNatives(NativeBinder& binder) {
  BindNoOperationNatives(binder);
  BindRandomNatives(binder);
  BindApplicationNatives(binder);
}

}  // namespace orrivel
