#include <algorithm>
#include <cmath>

#include "transition/ModeFragments.h"
#include "transition/TransitionRandom.h"

namespace orrivel {
namespace {

// One block of the grid: its top-left corner in the source and what the
// displacement rules read of it.
struct Block {
  int32_t bx = 0;
  int32_t by = 0;
  int64_t rx = 0;  // the corner's offset from the picture centre
  int64_t ry = 0;
  int64_t dist = 0;  // truncated length of (rx, ry)
  int64_t ux = 0;  // the direction from the centre, scaled to 256
  int64_t uy = 0;
  int32_t ia = 0;  // order-table picks
  int32_t ib = 0;
};

// What one partial frame shares across its blocks.
struct BlockFrame {
  const TransitionFrame& frame;
  const uint8_t* order = nullptr;  // T, the library's order table
  const int32_t* cosine = nullptr;  // CT, the 16.16 cosine table
  int64_t span = 0;  // d: the displacement span, W + H shrinking to near 0
  int64_t c = 0;  // cosine and sine of the progress angle (one turn to none)
  int64_t s = 0;
};

// The direction from the centre (a square root and two divisions a block)
// is worked out only for the modes that read it.
Block DescribeBlock(const TransitionFrame& frame, int32_t bx, int32_t by, bool direction) {
  Block block;
  block.bx = bx;
  block.by = by;
  block.rx = bx - frame.width / 2;
  block.ry = by - frame.height / 2;
  block.ia = (13 * by + bx) & 255;
  block.ib = (1 + 19 * by + bx) & 255;
  if (!direction) return block;
  block.dist = int64_t(std::sqrt(double(block.rx * block.rx + block.ry * block.ry)));
  block.ux = block.dist != 0 ? (block.rx * 256) / block.dist : block.rx;
  block.uy = block.dist != 0 ? (block.ry * 256) / block.dist : block.ry;
  return block;
}

// The offset of a block's destination corner from where the block lies.
struct Offset {
  int64_t dx = 0;
  int64_t dy = 0;
};

// Every block once, rows of blocks from the top and blocks from the left,
// cut to the picture at the right and bottom edges and drawn at its place
// plus the offset that `displace` gives.
template <typename Displace>
int DrawBlocks(const BlockFrame& shared, int32_t blockWidth, int32_t blockHeight, Displace displace,
               bool direction = false) {
  const TransitionFrame& frame = shared.frame;
  for (int32_t by = 0; by < frame.height; by += blockHeight) {
    const int32_t bottom = by + std::min(blockHeight, frame.height - by);
    for (int32_t bx = 0; bx < frame.width; bx += blockWidth) {
      const Block block = DescribeBlock(frame, bx, by, direction);
      const Offset offset = displace(block);
      frame.draw->Fragment(Rect{bx, by, bx + std::min(blockWidth, frame.width - bx), bottom},
                           Placed(frame.x, bx + offset.dx), Placed(frame.y, by + offset.dy));
    }
  }
  return 0;
}

BlockFrame StartBlocks(const TransitionFrame& frame, bool readsOrder, const int32_t* cosine) {
  BlockFrame shared{frame};
  if (readsOrder) shared.order = TransitionRandom::Instance().GetOrderTable();
  const int64_t both = int64_t(frame.width) + frame.height;
  shared.span = both - ((both * frame.progress) >> 8);
  if (cosine != nullptr) {
    const int32_t theta = 2 * (256 - frame.progress);
    shared.cosine = cosine;
    shared.c = cosine[theta & 511];
    shared.s = cosine[(theta - 128) & 511];
  }
  return shared;
}

// The outward push of the burst modes: random fractions of d along the
// direction from the centre.
Offset BurstOffset(const BlockFrame& f, const Block& b) {
  return {(f.order[b.ia] * b.ux * f.span) >> 16, (f.order[b.ib] * b.uy * f.span) >> 16};
}

// The burst turned by the progress angle: x by the cosine, y by the sine.
Offset WhirlOffset(const BlockFrame& f, const Block& b) {
  const Offset burst = BurstOffset(f, b);
  return {(burst.dx * f.c) >> 16, (burst.dy * f.s) >> 16};
}

// The block's corner turned about the centre by the progress angle,
// relative to the block's own place. Only positions turn; blocks are copied
// unrotated.
Offset TurnOffset(const BlockFrame& f, const Block& b) {
  const int64_t nx = ((f.c * b.rx) >> 16) - ((f.s * b.ry) >> 16);
  const int64_t ny = ((f.c * b.ry) >> 16) + ((f.s * b.rx) >> 16);
  return {f.frame.width / 2 + nx - b.bx, f.frame.height / 2 + ny - b.by};
}

// Square blocks placed by the turn alone.
int RotateBlocks(const TransitionFrame& frame, int32_t block) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const BlockFrame f = StartBlocks(frame, false, cosine);
  return DrawBlocks(f, block, block, [&](const Block& b) { return TurnOffset(f, b); });
}

// Cells drop in from their top: the cell's first `rows` rows show at its
// bottom and slide down as more come in; a cell starts once (t >> 1) + p
// reaches 144.
int DropCells(const TransitionFrame& frame, int32_t cell, int shift) {
  const uint8_t* order = TransitionRandom::Instance().GetOrderTable();
  for (int32_t by = 0; by < frame.height; by += cell) {
    for (int32_t bx = 0; bx < frame.width; bx += cell) {
      const int32_t t = order[((bx >> 3) + 13 * by) & 255];
      int32_t rows = (((t >> 1) + frame.progress) >> shift) - cell;
      if (rows <= 0) continue;
      rows = std::min(rows, cell);
      frame.draw->Fragment(Rect{bx, by, bx + std::min(cell, frame.width - bx), by + std::min(rows, frame.height - by)},
                           Placed(frame.x, bx), Placed(frame.y, int64_t(by) + cell - rows));
    }
  }
  return 0;
}

// The order-table picks of the 4 x 4 shaking modes, per block of 4.
int32_t ShakePickX(const uint8_t* order, const Block& b) { return order[((b.bx >> 2) + 13 * (b.by >> 2)) & 255]; }
int32_t ShakePickY(const uint8_t* order, const Block& b) { return order[(19 * (b.by >> 2) + (b.bx >> 2)) & 255]; }

}  // namespace

int TransitionScatterBlocks(const TransitionFrame& frame) {
  const BlockFrame f = StartBlocks(frame, true, nullptr);
  return DrawBlocks(f, 4, 2, [&](const Block& b) {
    return Offset{(f.order[(b.bx + b.by) & 255] * f.span) >> 8, (f.order[(b.bx + b.by + 1) & 255] * f.span) >> 8};
  });
}

int TransitionBurstBlocks(const TransitionFrame& frame) {
  const BlockFrame f = StartBlocks(frame, true, nullptr);
  return DrawBlocks(f, 4, 2, [&](const Block& b) { return BurstOffset(f, b); }, true);
}

int TransitionBurstBlocksFine(const TransitionFrame& frame) {
  const BlockFrame f = StartBlocks(frame, true, nullptr);
  return DrawBlocks(f, 2, 2, [&](const Block& b) { return BurstOffset(f, b); }, true);
}

int TransitionWhirlBlocks(const TransitionFrame& frame) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const BlockFrame f = StartBlocks(frame, true, cosine);
  return DrawBlocks(f, 4, 2, [&](const Block& b) { return WhirlOffset(f, b); }, true);
}

// x takes the sine and y the cosine here, the reverse of the whirl.
int TransitionOrbitBlocks(const TransitionFrame& frame) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const BlockFrame f = StartBlocks(frame, false, cosine);
  return DrawBlocks(f, 4, 2, [&](const Block& b) {
    int64_t vx = b.rx, vy = b.ry;
    if (b.dist != 0) {
      vx = ((f.s * b.rx * 256) >> 16) / b.dist;
      vy = ((f.c * b.ry * 256) >> 16) / b.dist;
    }
    return Offset{(vx * f.span) >> 8, (vy * f.span) >> 8};
  }, true);
}

// Every block moves in proportion to its own offset from the centre: the
// picture stretched about its centre relaxes to its true size.
int TransitionWarpBlocks(const TransitionFrame& frame) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const BlockFrame f = StartBlocks(frame, false, cosine);
  const int32_t theta = 2 * (256 - frame.progress);
  const int64_t cx = cosine[(theta >> 2) & 511];
  const int64_t sy = cosine[(theta - 128) & 511];
  return DrawBlocks(f, 4, 2, [&](const Block& b) {
    return Offset{(b.rx * cx * f.span) >> 24, (b.ry * sy * f.span) >> 24};
  });
}

int TransitionRotateBlocks2(const TransitionFrame& frame) { return RotateBlocks(frame, 2); }
int TransitionRotateBlocks4(const TransitionFrame& frame) { return RotateBlocks(frame, 4); }
int TransitionRotateBlocks8(const TransitionFrame& frame) { return RotateBlocks(frame, 8); }

int TransitionRotateWhirlBlocks(const TransitionFrame& frame) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const BlockFrame f = StartBlocks(frame, true, cosine);
  return DrawBlocks(f, 4, 4, [&](const Block& b) {
    const Offset turn = TurnOffset(f, b);
    const Offset whirl = WhirlOffset(f, b);
    return Offset{turn.dx + whirl.dx, turn.dy + whirl.dy};
  }, true);
}

int TransitionDropCells8(const TransitionFrame& frame) { return DropCells(frame, 8, 4); }
// The pick index still steps by 8 columns.
int TransitionDropCells16(const TransitionFrame& frame) { return DropCells(frame, 16, 3); }

// Blocks shake by up to 128 pixels each way at the start and by at most
// one pixel near the end.
int TransitionJitterBlocks(const TransitionFrame& frame) {
  const BlockFrame f = StartBlocks(frame, true, nullptr);
  const int32_t q = (frame.progress >> 1) + 1;
  return DrawBlocks(f, 4, 4, [&](const Block& b) {
    return Offset{(ShakePickX(f.order, b) - 128) / q, (ShakePickY(f.order, b) - 128) / q};
  });
}

// The vertical pick is not centred: blocks start up to 31 pixels below
// their place and up to 16 to either side, and rise into place.
int TransitionSettleBlocks(const TransitionFrame& frame) {
  const BlockFrame f = StartBlocks(frame, true, nullptr);
  const int64_t r = 256 - frame.progress;
  return DrawBlocks(f, 4, 4, [&](const Block& b) {
    return Offset{((ShakePickX(f.order, b) - 128) * r) >> 11, (ShakePickY(f.order, b) * r) >> 11};
  });
}

}  // namespace orrivel
