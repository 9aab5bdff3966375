#pragma once
// Native 51 (a sprite's zoom) and native 55 (the system-command
// multiplexer) are bound with the save natives they sit beside.
namespace orrivel {

class NativeBinder;

void BindSystemCommandNative(NativeBinder& binder);
void BindZoomSpriteNative(NativeBinder& binder);

}  // namespace orrivel
