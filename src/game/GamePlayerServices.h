#pragma once
// What the text-adventure frame's page waits and player actions reach of
// the running game: the main window's modal state and its switches, the
// in-game confirmation box and its notices on the frame's own layer, the
// quick and automatic saves, the state snapshot and the settings sheet.
#include <cstdint>
#include <string>

namespace orrivel {

class GameApplication;
struct TgsPlayerServices;

// Fills the player's hooks that the game serves. The fired-control tag
// (the control host's) and the system menu's port are left as they are;
// the save and load screens stay closed at once, as the game has none.
void FillGamePlayerServices(GameApplication& app, TgsPlayerServices& player);

// The quick save of the slot (negative: the newest of the quick ring),
// read whole and checked against the running game as a load would read
// it, as the save file to load next: TgsPlayerServices::kQuickLoadChosen;
// kQuickLoadMissing or kQuickLoadDamaged, and nothing changed, when there
// is none or it cannot be loaded.
int32_t SelectQuickLoad(int32_t slot);

// The save file in use (the one the game's load screen chose), checked as
// SelectQuickLoad checks the quick save, changing nothing.
int32_t CheckChosenLoad();

}  // namespace orrivel
