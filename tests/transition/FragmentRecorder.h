#pragma once
// A tap that logs every operation a transition routine asks of its back end
// (whole picture, fragment, stretched fragment) and passes each on, so that tests
// can check fragment lists and still see the pixels.
#include <cstdint>
#include <ostream>
#include <vector>

#include "transition/FragmentDrawer.h"

namespace orrivel::test {

struct RecordedFragment {
  enum Kind { kWhole, kFragment, kStretched };
  Kind kind = kFragment;
  Rect source;  // empty for kWhole
  int32_t x = 0;
  int32_t y = 0;
  Size size;  // kStretched only
  friend bool operator==(const RecordedFragment&, const RecordedFragment&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const RecordedFragment& p) {
  static const char* const kNames[] = {"whole", "fragment", "stretched"};
  out << kNames[p.kind] << " (" << p.source.left << ", " << p.source.top << ", " << p.source.right
      << ", " << p.source.bottom << ") at (" << p.x << ", " << p.y << ")";
  if (p.kind == RecordedFragment::kStretched) out << " size " << p.size.width << " x " << p.size.height;
  return out;
}

class FragmentRecorder : public FragmentTap {
 public:
  int Whole(int32_t x, int32_t y) override {
    fragments.push_back({RecordedFragment::kWhole, Rect{}, x, y, Size{}});
    return FragmentTap::Whole(x, y);
  }
  int Fragment(const Rect& source, int32_t x, int32_t y) override {
    fragments.push_back({RecordedFragment::kFragment, source, x, y, Size{}});
    return FragmentTap::Fragment(source, x, y);
  }
  int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) override {
    fragments.push_back({RecordedFragment::kStretched, source, x, y, size});
    return FragmentTap::StretchedFragment(source, x, y, size);
  }

  std::vector<RecordedFragment> fragments;
};

}  // namespace orrivel::test
