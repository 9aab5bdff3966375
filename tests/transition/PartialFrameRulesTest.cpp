// Where the partial frames of modes 0 to 31 may put each source pixel,
// checked on the pixels of coded 32-bit surfaces at spread progress values
// (in-place modes put a pixel only where it lies in the source; the mirrors,
// stretches, jitters, scrambles, torn rows and waves move it only as far as
// they may), and that the deterministic reveals only grow with progress.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "transition/ModeRecording.h"
#include "transition/TransitionRandom.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr int32_t kMargin = 12;
constexpr int32_t kProgress[] = {1, 32, 64, 127, 128, 129, 192, 230, 254, 255};
constexpr Size kSizes[] = {{17, 9}, {9, 17}, {64, 48}};
constexpr const DrawPath& kExactPath = kDrawPaths[1];  // 32-bit surfaces

// Where a frame put source pixel (sx, sy): at (px, py) from the picture's corner.
struct Placement {
  int32_t width, height, progress;
  int32_t sx, sy, px, py;
  int32_t Dx() const { return px - sx; }
  int32_t Dy() const { return py - sy; }
};

using PlacementRule = std::function<bool(const Placement&)>;

bool InPlace(const Placement& p) { return p.Dx() == 0 && p.Dy() == 0; }

// Row shifts: the row keeps its height and moves sideways at most `reach`.
PlacementRule ShiftedRow(std::function<int32_t(const Placement&)> reach) {
  return [reach](const Placement& p) { return p.Dy() == 0 && std::abs(p.Dx()) <= reach(p); };
}

PlacementRule RuleFor(uint32_t mode) {
  switch (mode) {
    case 0:
      return [](const Placement& p) { return p.py == p.sy && p.px == p.width - 1 - p.sx; };
    case 1:
      return [](const Placement& p) { return p.px == p.sx && p.py == p.height - 1 - p.sy; };
    case 2:  // rows stretched about the centre line, at most three times as wide
      return [](const Placement& p) { return p.Dy() == 0 && p.px >= -p.width && p.px <= 2 * p.width; };
    case 3:
      return [](const Placement& p) { return p.Dx() == 0 && p.py >= -p.height && p.py <= 2 * p.height; };
    case 4:  // within half the span 256 - p
      return [](const Placement& p) {
        const int32_t span = 256 - p.progress;
        return p.Dy() == 0 && p.Dx() >= -(span >> 1) && p.Dx() <= span - 1 - (span >> 1);
      };
    case 5:  // a patch from up to the spread - 1 pixels right of and below the cell
      return [](const Placement& p) {
        const int32_t spread = p.progress < 128 ? 10 : p.progress < 200 ? 6 : p.progress < 230 ? 4 : 2;
        return -p.Dx() >= 0 && -p.Dx() < spread && -p.Dy() >= 0 && -p.Dy() < spread;
      };
    case 21:
    case 22:
      return ShiftedRow([](const Placement& p) { return p.width / 3; });
    case 23:
    case 24:
      return ShiftedRow([](const Placement& p) { return 2 * (255 - p.progress) + 1; });
    case 25:
    case 26:
      return ShiftedRow([](const Placement& p) { return 255 - p.progress + 1; });
    default:
      return InPlace;
  }
}

class PartialFrameRulesTest : public testing::TestWithParam<uint32_t> {
 protected:
  tools::OffscreenDisplay display_;
  ScopedMathTables tables_;
};

TEST_P(PartialFrameRulesTest, EveryDrawnPixelComesFromWhereTheModeMayTakeIt) {
  const uint32_t mode = GetParam();
  const PlacementRule rule = RuleFor(mode);
  for (const Size& size : kSizes) {
    const int32_t destWidth = size.width + 2 * kMargin, destHeight = size.height + 2 * kMargin;
    PathPictures pictures(display_, kExactPath, size.width, size.height, destWidth, destHeight,
                          Rect{0, 0, destWidth, destHeight});
    for (int32_t progress : kProgress) {
      pictures.ClearDestination();
      TransitionRandom::Instance().Seed(uint32_t(progress));
      ASSERT_EQ(RunTransition(mode, pictures.Destination(), pictures.Source(), progress, kMargin, kMargin,
                              BackendCopy, nullptr),
                0);
      const std::vector<uint32_t> pixels = pictures.Snapshot();
      int drawn = 0;
      for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == kExactPath.background) continue;
        ++drawn;
        Placement p{size.width, size.height, progress, 0, 0, int32_t(i % size_t(destWidth)) - kMargin,
                    int32_t(i / size_t(destWidth)) - kMargin};
        ASSERT_TRUE(DecodeExact(pixels[i], size.width, size.height, &p.sx, &p.sy));
        ASSERT_TRUE(rule(p)) << "mode " << mode << ", " << size.width << " x " << size.height << " at " << progress
                             << ": source (" << p.sx << ", " << p.sy << ") drawn at (" << p.px << ", " << p.py << ")";
      }
      // At the end every mode but the random dissolves shows something (the
      // waves earlier may have pushed every row out of the destination).
      if (progress == 255 && !(mode >= 6 && mode <= 10) && mode != 20) {
        EXPECT_GT(drawn, 0) << "mode " << mode << " at " << progress;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes0To31, PartialFrameRulesTest, testing::Range(0u, 32u),
                         [](const testing::TestParamInfo<uint32_t>& info) {
                           return "Mode" + std::to_string(info.param);
                         });

// The set of source pixels the fragments of a frame cover.
std::vector<bool> Coverage(const std::vector<RecordedFragment>& fragments, const Size& size) {
  std::vector<bool> covered(size_t(size.width) * size_t(size.height));
  for (const RecordedFragment& f : fragments)
    for (int32_t y = f.source.top; y < f.source.bottom; ++y)
      for (int32_t x = f.source.left; x < f.source.right; ++x)
        covered[size_t(y) * size_t(size.width) + size_t(x)] = true;
  return covered;
}

TEST(DeterministicRevealsTest, OnlyGrowWithProgress) {
  const uint32_t modes[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 27, 28, 29, 30, 31};
  for (uint32_t mode : modes) {
    for (const Size& size : kSizes) {
      std::vector<bool> before(size_t(size.width) * size_t(size.height));
      for (int32_t progress = 1; progress < 256; ++progress) {
        const std::vector<bool> now = Coverage(RecordMode(mode, size.width, size.height, progress).fragments, size);
        for (size_t i = 0; i < now.size(); ++i)
          ASSERT_TRUE(now[i] || !before[i]) << "mode " << mode << ", " << size.width << " x " << size.height
                                            << ": pixel " << i << " lost at " << progress;
        before = now;
      }
    }
  }
}

}  // namespace
}  // namespace orrivel::test
