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

// Restores a blob whole or not at all: when any part is refused, the
// variables, the message text and the frame are put back as they were.
// Variables of a game whose scripts changed since the save restore up to
// the first that differs, which is not a failure; variables added after
// the saved ones keep their values. On success the snapshot the blob
// carries (or none) is handed out. 0; 1 no blob; 2 the variables; 3 the
// text state or the frame's block.
int32_t RestoreGameSaveState(GameScriptHost& host, std::span<const uint8_t> blob,
                             std::optional<std::vector<uint8_t>>& snapshot);

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
// blob reads whole. False for another selector byte than a save's or when
// no such byte is found. The bytes tried may read 1 GiB between them at
// most (each up to the blob's end), so a hostile blob cannot keep a load
// busy: in a blob of 1 MiB about the first thousand bytes that could be
// the flag are tried, in one of 64 KiB about the first sixteen thousand.
bool SplitGameSaveState(std::span<const uint8_t> blob, GameSaveStateLayout& layout);

}  // namespace orrivel
