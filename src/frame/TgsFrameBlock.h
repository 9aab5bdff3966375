#pragma once
// The frame's block inside a save, read whole into staging parts: what
// TgsFrame::LoadFrom commits, and where each part lies (offsets from the
// block's start) for tools that show a save's layout.
#include <cstdint>
#include <span>

#include "frame/TgsFrameRecords.h"

namespace orrivel {

struct TgsFrameBlockLayout {
  // The module stacks and the call stack open the block, up to records.
  uint64_t records = 0;      // the scalars, layer and sprite records, window words
  uint64_t historyFlag = 0;  // one byte; the history follows when it is 1
  uint64_t loopSounds = 0;
  uint64_t caption = 0;
  uint64_t tail = 0;  // u32 length, the choice list and the page
  uint64_t end = 0;
};

struct TgsFrameBlock {
  std::span<const uint8_t> moduleState;
  std::span<const uint8_t> history;  // empty without a saved history
  TgsFrameRecords records;
  TgsFrameBlockLayout layout;
};

}  // namespace orrivel
