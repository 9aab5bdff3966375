#pragma once
// The running game's side of its save files: the state blob of the script
// host (with the text-adventure frame), the settings block, the save
// folder and the screen picture as the thumbnail.
#include <memory>

#include "game/GameSaveService.h"

namespace orrivel {

class GameApplication;

std::unique_ptr<GameSaveService> MakeGameSaveService(GameApplication& app);

}  // namespace orrivel
