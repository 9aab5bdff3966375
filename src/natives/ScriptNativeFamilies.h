#pragma once
// The application, settings, string and arithmetic natives, one binder per
// file; BindApplicationNatives binds them all.
namespace orrivel {

class NativeBinder;

void BindAppStateNatives(NativeBinder& binder);
void BindUserSettingNatives(NativeBinder& binder);
void BindVoiceInfoNatives(NativeBinder& binder);
void BindVariableNatives(NativeBinder& binder);
void BindStringNatives(NativeBinder& binder);
void BindMemoryNatives(NativeBinder& binder);
void BindArithmeticNatives(NativeBinder& binder);

}  // namespace orrivel
