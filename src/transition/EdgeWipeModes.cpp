#include <algorithm>
#include <cstdint>
#include <limits>

#include "transition/ModeFragments.h"
#include "transition/TransitionScreen.h"

namespace orrivel {
namespace {

// Which way a wipe runs: forward from the left or top edge, backward from
// the right or bottom edge.
enum WipeDirection : bool { kWipeBackward = false, kWipeForward = true };

// The extent a wipe may smear to: the screen's content edge, otherwise the
// destination image's own width or height.
int32_t DestinationWidth(const TransitionFrame& frame) {
  if (frame.screen != nullptr) return frame.screen->ContentRect().right;
  return frame.destination != nullptr ? frame.destination->GetWidth() : 0;
}

int32_t DestinationHeight(const TransitionFrame& frame) {
  if (frame.screen != nullptr) return frame.screen->ContentRect().bottom;
  return frame.destination != nullptr ? frame.destination->GetHeight() : 0;
}

// The span [first, second) of band k along a side of `extent` pixels: bands
// open one after another, each lagging its neighbour by one unit of L.
// A span reaching past the far edge stops one pixel short of it, so the
// last band of a forward wipe leaves the final line to the whole frame.
struct BandSpan {
  int32_t first;
  int32_t second;
};

template <typename DrawSpan>
void RunBands(int32_t extent, int32_t progress, WipeDirection direction, int32_t band, DrawSpan draw) {
  const int32_t count = int32_t((int64_t(extent) + band + 1) / band);
  const int32_t reach = int32_t((int64_t(count) + band) * progress >> 8);
  for (int32_t k = 0; k < count && k < reach; ++k) {
    const int32_t width = std::min(reach - k, band);
    BandSpan span{};
    if (direction == kWipeForward) {
      span.first = k * band;
      span.second = span.first + width;
    } else {
      span.second = extent - k * band;
      span.first = span.second - width;
    }
    if (span.second > extent) span.second = extent - 1;
    if (span.first < 0) span.first = 0;
    draw(span);
  }
}

// Staggered bands of columns.
int BlindWipe(const TransitionFrame& frame, WipeDirection direction, int32_t band) {
  RunBands(frame.width, frame.progress, direction, band, [&](const BandSpan& span) {
    DrawPieceInPlace(frame, Rect{span.first, 0, span.second, frame.height});
  });
  return 0;
}

// Staggered bands of rows.
int BlindWipeB(const TransitionFrame& frame, WipeDirection direction, int32_t band) {
  RunBands(frame.height, frame.progress, direction, band, [&](const BandSpan& span) {
    DrawPieceInPlace(frame, Rect{0, span.first, frame.width, span.second});
  });
  return 0;
}

// Where the smeared line lands along its axis: from `start` to `end`, worked
// out in 64 bits from the script's point. The line is one source pixel
// across, so every destination line it reaches shows the same pixels; when
// the span runs past the 32-bit range it is cut back to the part that can
// hold a destination (from 0 up), which keeps all of them.
struct LineSpan {
  int32_t start;
  int32_t length;
};

LineSpan SmearSpan(int64_t start, int64_t end) {
  constexpr int64_t kLowest = std::numeric_limits<int32_t>::min(), kHighest = std::numeric_limits<int32_t>::max();
  if (start < kLowest || end > kHighest) {
    start = std::max<int64_t>(start, 0);
    end = std::min(end, kHighest);
  }
  return {int32_t(start), ClampToInt32(end - start)};
}

// The revealed columns in place, then the source column beside them
// stretched over the rest: forward from destination column 0 (not x) up to
// the revealed part, backward from the revealed part to the destination's
// right edge.
int StretchWipe(const TransitionFrame& frame, WipeDirection direction) {
  const int32_t w = frame.width, h = frame.height, x = frame.x, y = frame.y;
  const int32_t s = int32_t(int64_t(w) * frame.progress >> 8);
  Rect line;
  LineSpan span{};
  if (direction == kWipeForward) {
    if (s != 0) frame.draw->Fragment(Rect{w - s, 0, w, h}, Placed(x, int64_t(w) - s), y);
    line = Rect{w - s - 1, 0, w - s, h};
    span = SmearSpan(0, int64_t(x) + w - s);
  } else {
    if (s != 0) frame.draw->Fragment(Rect{0, 0, s, h}, x, y);
    line = Rect{s, 0, s + 1, h};
    span = SmearSpan(int64_t(x) + s, DestinationWidth(frame));
  }
  line.left = std::max(line.left, 0);
  line.right = std::min(line.right, w);
  frame.draw->StretchedFragment(line, span.start, y, Size{span.length, h});
  return 0;
}

// The same over rows; the revealed rows are drawn even when there are none
// yet, and the smeared row only while it lies inside the source.
int StretchWipeB(const TransitionFrame& frame, WipeDirection direction) {
  const int32_t w = frame.width, h = frame.height, x = frame.x, y = frame.y;
  const int32_t s = int32_t(int64_t(h) * frame.progress >> 8);
  Rect line;
  LineSpan span{};
  if (direction == kWipeForward) {
    frame.draw->Fragment(Rect{0, h - s, w, h}, x, Placed(y, int64_t(h) - s));
    line = Rect{0, h - s - 1, w, h - s};
    span = SmearSpan(0, int64_t(y) + h - s);
  } else {
    frame.draw->Fragment(Rect{0, 0, w, s}, x, y);
    line = Rect{0, s, w, s + 1};
    span = SmearSpan(int64_t(y) + s, DestinationHeight(frame));
  }
  if (line.top >= 0 && line.bottom <= h) frame.draw->StretchedFragment(line, x, span.start, Size{w, span.length});
  return 0;
}

}  // namespace

int TransitionBandsRightward16(const TransitionFrame& frame) { return BlindWipe(frame, kWipeForward, 16); }
int TransitionBandsLeftward16(const TransitionFrame& frame) { return BlindWipe(frame, kWipeBackward, 16); }
int TransitionBandsRightward8(const TransitionFrame& frame) { return BlindWipe(frame, kWipeForward, 8); }
int TransitionBandsLeftward8(const TransitionFrame& frame) { return BlindWipe(frame, kWipeBackward, 8); }
int TransitionBandsDownward16(const TransitionFrame& frame) { return BlindWipeB(frame, kWipeForward, 16); }
int TransitionBandsUpward16(const TransitionFrame& frame) { return BlindWipeB(frame, kWipeBackward, 16); }
int TransitionBandsDownward8(const TransitionFrame& frame) { return BlindWipeB(frame, kWipeForward, 8); }
int TransitionBandsUpward8(const TransitionFrame& frame) { return BlindWipeB(frame, kWipeBackward, 8); }
int TransitionStretchRevealLeftward(const TransitionFrame& frame) { return StretchWipe(frame, kWipeForward); }
int TransitionStretchRevealRightward(const TransitionFrame& frame) { return StretchWipe(frame, kWipeBackward); }
int TransitionStretchRevealUpward(const TransitionFrame& frame) { return StretchWipeB(frame, kWipeForward); }
int TransitionStretchRevealDownward(const TransitionFrame& frame) { return StretchWipeB(frame, kWipeBackward); }

// The left half slides in from the left edge and the right half from the
// right edge. On an odd width the right half ends one column right of its
// place until the whole frame puts it there.
int TransitionSlideHalvesSideways(const TransitionFrame& frame) {
  const int32_t half = frame.width >> 1;
  const int32_t s = int32_t(int64_t(half) * frame.progress >> 8);
  frame.draw->Fragment(Rect{half - s, 0, half, frame.height}, frame.x, frame.y);
  frame.draw->Fragment(Rect{half, 0, half + s, frame.height}, Placed(frame.x, int64_t(frame.width) - s), frame.y);
  return 0;
}

int TransitionSlideHalvesVertical(const TransitionFrame& frame) {
  const int32_t half = frame.height >> 1;
  const int32_t s = int32_t(int64_t(half) * frame.progress >> 8);
  frame.draw->Fragment(Rect{0, half - s, frame.width, half}, frame.x, frame.y);
  frame.draw->Fragment(Rect{0, half, frame.width, half + s}, frame.x, Placed(frame.y, int64_t(frame.height) - s));
  return 0;
}

}  // namespace orrivel
