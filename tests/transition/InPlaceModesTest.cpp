// Partial-frame properties of the modes that reveal the source in place
// (squares, blinds, stripes, spiral cells, band wipes, windmills), over
// every progress value on sizes that are and are not multiples of their
// cells: every fragment lands where it lies in the source, and what a frame
// shows stays shown in every later frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr Size kSizes[] = {{5, 3}, {17, 9}, {64, 48}, {37, 70}};

std::vector<uint32_t> InPlaceModes() {
  std::vector<uint32_t> modes;
  for (uint32_t mode = 32; mode <= 52; ++mode) modes.push_back(mode);
  for (uint32_t mode = 71; mode <= 78; ++mode) modes.push_back(mode);
  modes.push_back(83);
  modes.push_back(84);
  return modes;
}

// Lines that may show and hide again before the whole frame: the forward
// band wipes stop one line short of the far edge once their last band
// passes it, and on an odd size the windmills' last line (past twice the
// centre) is covered by some of their pieces and not by others.
bool LineMayFlicker(uint32_t mode, int32_t line, int32_t extent, bool column) {
  if (mode == 83 || mode == 84) return line == 2 * (extent >> 1);
  const bool forwardBands = column ? (mode == 71 || mode == 73) : (mode == 75 || mode == 77);
  return forwardBands && line == extent - 1;
}

class InPlaceModesTest : public testing::TestWithParam<uint32_t> {};

TEST_P(InPlaceModesTest, FragmentsLandInPlaceAndWhatShowsStaysShown) {
  PublishedMathTables tables;
  const uint32_t mode = GetParam();
  for (const Size& size : kSizes) {
    auto source = MakeSurface32(size.width, size.height, 0);
    std::vector<bool> shown(size_t(size.width * size.height), false);
    for (int32_t progress = 1; progress <= 255; ++progress) {
      SCOPED_TRACE(testing::Message() << size.width << " x " << size.height << ", progress " << progress);
      const Recording frame = RecordFrame(mode, source.get(), source.get(), progress, -2, 5);
      ASSERT_EQ(frame.result, 0);
      std::vector<bool> now(shown.size(), false);
      for (const RecordedFragment& f : frame.fragments) {
        ASSERT_EQ(f.kind, RecordedFragment::kFragment);
        ASSERT_TRUE(f.source.left >= 0 && f.source.top >= 0 && f.source.right <= size.width &&
                    f.source.bottom <= size.height) << f;
        ASSERT_EQ(f.x, -2 + f.source.left) << f;
        ASSERT_EQ(f.y, 5 + f.source.top) << f;
        for (int32_t y = f.source.top; y < f.source.bottom; ++y)
          for (int32_t x = f.source.left; x < f.source.right; ++x) now[size_t(y * size.width + x)] = true;
      }
      for (int32_t y = 0; y < size.height; ++y) {
        for (int32_t x = 0; x < size.width; ++x) {
          const size_t i = size_t(y * size.width + x);
          if (LineMayFlicker(mode, x, size.width, true) || LineMayFlicker(mode, y, size.height, false)) continue;
          ASSERT_FALSE(shown[i] && !now[i]) << "pixel (" << x << ", " << y << ") hidden again";
        }
      }
      shown = now;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, InPlaceModesTest, testing::ValuesIn(InPlaceModes()),
                         [](const testing::TestParamInfo<uint32_t>& info) {
                           return "Mode" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace orrivel::test
