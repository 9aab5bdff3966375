#pragma once
// The application port of the game's natives over the running game: the
// settings blocks in place, the screen mode and the pacing nestings of the
// application. It installs itself as the process-wide port while it lives.
#include "natives/AppNativePort.h"

namespace orrivel {

class GameApplication;

class GameNativePort : public AppNativePort {
 public:
  explicit GameNativePort(GameApplication& app);
  ~GameNativePort();
  GameNativePort(const GameNativePort&) = delete;
  GameNativePort& operator=(const GameNativePort&) = delete;

 private:
  AppNativePort* previous_ = nullptr;
};

}  // namespace orrivel
