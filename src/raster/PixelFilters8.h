#pragma once
// In-place filters over a rectangle of 8-bit pixels (palette indices or
// plain bytes). Arguments as for the 32-bit filters: first pixel, row skip
// (pitch minus width), pitch, width, height.
#include <cstdint>

namespace orrivel {

// Four-neighbour blur, every new value from the unblurred bytes. Top row:
// corners (below + 2 self + side) >> 2, others (left + self + right +
// below) >> 2; middle rows: first and last (above + below + self + inner
// neighbour) >> 2, others (above + below + 2 left + 2 self + 2 right) >> 3;
// bottom row as the top with above for below. 0 done; 1 width or height
// not above 3; 2 no scratch memory.
int Blur4Neighbour8(void* bits, int skip, int pitch, int width, int height);

// Mosaic with square blocks; each block takes its top-left byte. Anchor 1
// to 4 starts the grid at the top-left, top-right, bottom-left or
// bottom-right; any other value centres it. Nothing happens for a width or
// height below 3 or a block below 2.
void Mosaic8(void* bits, int skip, int pitch, int width, int height, int blockSize, uint8_t anchor);

// Width of the first block column (or height of the first block row) of a
// mosaic over extent pixels; never 0, so the block walk always advances.
int MosaicFirstBlock(int extent, int blockSize, uint8_t anchor, bool vertical);

}  // namespace orrivel
