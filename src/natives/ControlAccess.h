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

}  // namespace orrivel
