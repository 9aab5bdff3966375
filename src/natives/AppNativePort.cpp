#include "natives/AppNativePort.h"

namespace orrivel {

AppNativePort::AppNativePort()
    : appConfig(ownAppConfig_), user(ownUser_), window(ownWindow_), boot(ownBoot_) {}

namespace {

AppNativePort& DefaultPort() {
  static AppNativePort port;
  return port;
}

AppNativePort* current = nullptr;

}  // namespace

AppNativePort& AppPort() { return current ? *current : DefaultPort(); }

AppNativePort* SetAppPort(AppNativePort* port) {
  AppNativePort* previous = current;
  current = port;
  return previous;
}

}  // namespace orrivel
