#pragma once
// A contact sheet of transition frames: one row per mode, one column per
// progress value. Each cell is a destination (a grey checker board) on
// which one frame of the sample picture was drawn with a margin all round,
// through the chosen back end:
// - 0: 32-bit surfaces, copied with the sample's colour key honoured;
// - 1: 32-bit surfaces, the sample blended by its per-pixel alpha;
// - 2: X8R8G8B8 blit surfaces with the colour key, clipped to the cell.
// The sample is a colour ramp with an off-centre white bar (so mirrored and
// turned frames show) and a keyed magenta square.
#include <cstdint>
#include <string>
#include <vector>

#include "raster/Surface.h"

namespace orrivel::tools {

struct SheetRequest {
  std::vector<uint32_t> modes;
  std::vector<int32_t> progress;
  int32_t backend = 0;
  int32_t width = 40;   // the sample picture
  int32_t height = 30;
  int32_t margin = 6;   // around the sample in each cell
};

// Renders the sheet into a new 32-bit surface. 0 done; 1 a bad request (no
// modes or progress values, a size below 1, a back end other than 0 to 2);
// 2 a picture could not be made. A frame's own result does not stop the sheet.
int RenderSheet(const SheetRequest& request, Surface* sheet);

// Parses "all", "n" or "a,b,c" (modes) and "p,q" (progress); false on junk.
bool ParseList(const std::string& text, std::vector<int32_t>* out);

}  // namespace orrivel::tools
