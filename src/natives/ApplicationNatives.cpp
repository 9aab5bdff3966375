#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"

namespace orrivel {

void BindApplicationNatives(NativeBinder& binder) {
  BindAppStateNatives(binder);
  BindUserSettingNatives(binder);
  BindVoiceInfoNatives(binder);
  BindVariableNatives(binder);
  BindStringNatives(binder);
  BindMemoryNatives(binder);
  BindArithmeticNatives(binder);
}

}  // namespace orrivel
