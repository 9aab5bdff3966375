#pragma once
// Native 55, the system-command multiplexer, is bound with the save
// natives it sits beside.
namespace orrivel {

class NativeBinder;

void BindSystemCommandNative(NativeBinder& binder);

}  // namespace orrivel
