#pragma once
// The application port of the game's natives over the running game: the
// settings blocks in place, the screen mode and the pacing nestings of the
// application. It installs itself as the process-wide port while it lives.
#include "game/GameSystemPort.h"
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
  // The save, box and sound services beside the application's.
  GameSystemPort system_;
};

}  // namespace orrivel
