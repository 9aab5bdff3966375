#pragma once
// The system port of the game's natives over the running game: the sound
// system, the in-game confirmation box, the text frame's menu and the
// game's save files. It installs itself as the process-wide port while it
// lives.
#include <memory>

#include "game/GameSaveService.h"
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
  std::unique_ptr<GameSaveService> saveService_;
};

}  // namespace orrivel
