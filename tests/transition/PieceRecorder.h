#pragma once
// A tap that logs every operation a transition routine asks of its back end
// (whole picture, piece, stretched piece) and passes each on, so that tests
// can check piece lists and still see the pixels.
#include <cstdint>
#include <ostream>
#include <vector>

#include "transition/PieceDrawer.h"

namespace orrivel::test {

struct RecordedPiece {
  enum Kind { kWhole, kPiece, kStretched };
  Kind kind = kPiece;
  Rect source;  // empty for kWhole
  int32_t x = 0;
  int32_t y = 0;
  Size size;  // kStretched only
  friend bool operator==(const RecordedPiece&, const RecordedPiece&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const RecordedPiece& p) {
  static const char* const kNames[] = {"whole", "piece", "stretched"};
  out << kNames[p.kind] << " (" << p.source.left << ", " << p.source.top << ", " << p.source.right
      << ", " << p.source.bottom << ") at (" << p.x << ", " << p.y << ")";
  if (p.kind == RecordedPiece::kStretched) out << " size " << p.size.width << " x " << p.size.height;
  return out;
}

class PieceRecorder : public PieceTap {
 public:
  int Whole(int32_t x, int32_t y) override {
    pieces.push_back({RecordedPiece::kWhole, Rect{}, x, y, Size{}});
    return PieceTap::Whole(x, y);
  }
  int Piece(const Rect& source, int32_t x, int32_t y) override {
    pieces.push_back({RecordedPiece::kPiece, source, x, y, Size{}});
    return PieceTap::Piece(source, x, y);
  }
  int StretchedPiece(const Rect& source, int32_t x, int32_t y, const Size& size) override {
    pieces.push_back({RecordedPiece::kStretched, source, x, y, size});
    return PieceTap::StretchedPiece(source, x, y, size);
  }

  std::vector<RecordedPiece> pieces;
};

}  // namespace orrivel::test
