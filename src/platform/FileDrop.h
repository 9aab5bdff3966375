#pragma once
// Files dropped on a window. A drop is a list of names (CP932) behind a
// handle that travels as the wParam of WM_DROPFILES; the receiver reads it
// with DragQueryFile and frees it with DragFinish. Only windows that asked
// for drops (DragAcceptFiles) get them; a drop aimed elsewhere is freed at
// once. Both back ends post drops through PostDroppedFiles.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace orrivel::platform {

class WindowSystem;

using DropHandle = uintptr_t;

// The index that asks DragQueryFile for the number of files.
constexpr uint32_t kDropQueryCount = 0xFFFFFFFFu;

// Makes a drop holding the names; the handle is never 0.
DropHandle CreateDrop(std::vector<std::string> names);
// With index kDropQueryCount: the number of names. With no buffer: the
// length of the name at index. Else copies the name, cut to size - 1 bytes
// at a character boundary, with a closing NUL, and returns the bytes copied.
// 0 for an unknown handle or an index out of range.
uint32_t DragQueryFile(DropHandle drop, uint32_t index, char* buffer, uint32_t size);
// Frees the drop; unknown handles are ignored.
void DragFinish(DropHandle drop);
// The number of drops not yet finished (for checks).
size_t PendingDropCount();

void DragAcceptFiles(WindowId window, bool accept);
bool AcceptsDroppedFiles(WindowId window);

// Posts WM_DROPFILES with a new drop to the window when it accepts drops;
// false (nothing posted) otherwise or when there are no names.
bool PostDroppedFiles(WindowSystem& system, WindowId window, std::vector<std::string> names);

}  // namespace orrivel::platform
