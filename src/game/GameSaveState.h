#pragma once
// The game state a save or the in-memory snapshot holds, as one blob:
//   the Save-scope script variables (selector byte, then kind and bytes of
//   each), u8 H (1: the text follows), when H the message text's state and
//   u32 N with the N bytes of the snapshot, and when a text-adventure frame
//   exists the frame's block.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "frame/TgsFrameBlock.h"

namespace orrivel {

class GameScriptHost;

// withText: the message text and the snapshot go in (H = 1). 0; 1 the
// variables, 2 the text state, 3 the frame's block could not be written.
int32_t BuildGameSaveState(GameScriptHost& host, bool withText, std::span<const uint8_t> snapshot,
                           std::vector<uint8_t>& blob);

// Codes of a restore and of its check.
enum GameSaveStateCode : int32_t {
  kGameStateOk = 0,
  kGameStateNoBlob = 1,
  // The saved variables stop matching the game's (a variable added,
  // removed or retyped since the save).
  kGameStateVariablesDiffer = 2,
  // The text state or the frame's block is damaged or refused, the blob
  // is not used up exactly by its parts, or a frame is open and the blob
  // has no block for it.
  kGameStateRefused = 3,
  // Only from the check: the blob's parts do not read whole, or do not
  // use it up exactly (a restore answers 3 for it).
  kGameStateDamaged = 4,
};

// Restores a blob. Its parts are read whole before anything changes; a
// damaged blob changes nothing (3). The variables are restored in record
// order as far as they match the game's: at the first that does not (or
// when the saved ones end before the game's, or go on after them) the
// restore stops with 2, the variables before it restored and nothing else
// changed. When the frame then refuses its block, the variables are put
// back as they were (3). On success the snapshot the blob carries (or
// none) is handed out.
int32_t RestoreGameSaveState(GameScriptHost& host, std::span<const uint8_t> blob,
                             std::optional<std::vector<uint8_t>>& snapshot);

// What RestoreGameSaveState would answer for the blob as far as it can be
// told without changing anything: its parts read whole, a frame block when
// a frame is open, and saved variables that match the game's. 0, 1, 2, 3
// (a frame is open and the blob has no block for it) or 4 (damaged).
int32_t CheckGameSaveState(GameScriptHost& host, std::span<const uint8_t> blob);

// Where the parts of a state blob lie, as offsets into it.
struct GameSaveStateLayout {
  uint64_t variables = 0;  // the selector byte, then kind and bytes of each
  uint64_t historyFlag = 0;
  bool withText = false;
  uint64_t textState = 0;  // when withText
  uint64_t snapshot = 0;   // when withText: u32 N and N bytes
  bool withFrame = false;
  uint64_t frameBlock = 0;    // when withFrame
  TgsFrameBlockLayout frame;  // offsets from frameBlock
  uint64_t end = 0;
};

// Splits a blob into its parts with the readers a load uses, without a
// running game. The variables carry no lengths (their sizes are the game
// scripts'), so they end at the first byte from which the rest of the
// blob reads whole and is used up exactly; `expectedFlag`, where the
// running game's variables would end, is tried first. Any selector byte
// the loader accepts starts a blob. False when no such byte is found. The
// bytes tried may read 1 GiB between them at most (each up to the blob's
// end), so a hostile blob cannot keep a load busy: in a blob of 1 MiB
// about the first thousand bytes that could be the flag are tried, in one
// of 64 KiB about the first sixteen thousand.
bool SplitGameSaveState(std::span<const uint8_t> blob, GameSaveStateLayout& layout, uint64_t expectedFlag = 0);

}  // namespace orrivel
