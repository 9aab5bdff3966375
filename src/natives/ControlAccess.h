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
class Drawable;
class Surface;

// The drawable that shows the control: buttons, check buttons, text
// entries, windows, text panels and the script's message window their
// image sprite, colour boxes their box; text lists (by index) -1 the
// header strip, -2 the footer strip, else that line's sprite. Null for a
// null control, another kind or an index that names nothing.
Drawable* GetControlSprite(Control* control, int32_t index);
// The control's drawing surface: buttons and check buttons their state
// cells (which may be a surface they borrow: *borrowed then says so),
// text entries their text, windows, text panels and the message window
// their page, item menus their item map. Null for a null control or
// another kind; text lists answer through GetTextListLineValue.
Surface* GetControlSurface(Control* control, int32_t index, bool* borrowed);
// What a text list answers in place of a surface: the value a line
// reports (its index when it has none); 0 for anything else.
int32_t GetTextListLineValue(Control* control, int32_t index);
// Stores the display flag of buttons, check buttons and scroll bars (see
// PushControl::SetDisplayFlag). 0, or -1 for a null control or another
// kind.
int32_t SetControlFlag(Control* control, bool flag);

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
