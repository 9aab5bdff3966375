#pragma once
// One selectable item of a window (a choice or a link): what it reports on
// activation, the script cells it writes, its sounds and tooltip, and the
// hit rectangles of the text runs it covers (window coordinates).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "raster/Rect.h"
#include "scene/ImageSprite.h"
#include "script/ScriptCell.h"

namespace orrivel {

// What a caller gives AddItem. Strings are copied; empty means none.
struct WindowItemOptions {
  std::string name;
  int32_t value = 0;
  std::string string2;
  std::string tooltip;
  ScriptCell activatedCell;
  ScriptCell hoverCell;
  ScriptCell notHoverCell;
  std::string activateSound, enterSound, leaveSound;
  // -1: no channel (the host's default sound plays).
  int32_t activateChannel = -1, enterChannel = -1, leaveChannel = -1;
  uint8_t code = 0;
};

struct WindowItemRecord {
  explicit WindowItemRecord(const WindowItemOptions& options) : options(options) {}

  WindowItemOptions options;
  // Set when the item's run is finished; only finished items take input.
  bool enabled = false;
  std::deque<Rect> rects;
  // One per rectangle when the window has item-state pictures.
  std::deque<std::unique_ptr<ImageSprite>> sprites;
};

}  // namespace orrivel
