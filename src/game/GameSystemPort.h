#pragma once
// The system port of the game's natives over the running game: the sound
// system, the in-game confirmation box and the text frame's menu. Saves
// are not available until the game's save files are: the port leaves the
// save service empty, so every save request fails with its own code. It
// installs itself as the process-wide port while it lives.
#include "natives/SystemNativePort.h"

namespace orrivel {

class GameApplication;

class GameSystemPort : public SystemNativePort {
 public:
  explicit GameSystemPort(GameApplication& app);
  ~GameSystemPort();
  GameSystemPort(const GameSystemPort&) = delete;
  GameSystemPort& operator=(const GameSystemPort&) = delete;

 private:
  SystemNativePort* previous_ = nullptr;
};

}  // namespace orrivel
