#pragma once
// A control's value as the scripts see it, whatever its kind: the check
// state, the entry's text, the scroll position, text typed into a window,
// the selected line or item.
//
// Main thread only.
#include <cstdint>
#include <string>

namespace orrivel {

class Control;

// Check buttons: on for a non-zero value; text entries: the text; scroll
// bars: the position; windows: the text typed in (see TypeIntoWindow);
// text panels and item menus: that item selected. 0, or -1 for a null
// control or another kind.
int32_t SetControlValue(Control* control, int32_t value, const char* text);
// Check buttons: 1 when checked (state 3 or above, but not 6); scroll bars
// the position; text lists the hovered line; text panels and item menus
// the selected item; text entries 0 with their text in *text. -1 for a null
// control or another kind.
int32_t GetControlValue(Control* control, std::string* text);
// Moves the control to (left, top); a window (the script's message window
// too) also takes the rectangle's size. False for a null control.
bool SetControlBounds(Control* control, int32_t left, int32_t top, int32_t right, int32_t bottom);
// The control's first (index 0) or second state value: a push or check
// button its look state and its pressed mark or lock, a scroll bar its
// position and maximum, a window its hovered item and item count, a text
// list its press state and hovered line, a hot spot whether it is armed;
// 0 for a null control or another kind.
int32_t GetControlState(Control* control, int32_t index);
// Locks the control's input by kind: a check button (its group), a text
// entry made read-only, a window's items, a text list, an item menu. 0,
// or -1 for a null control or another kind.
int32_t SetControlOption(Control* control, bool flag);

}  // namespace orrivel
