// Properties every numbered mode keeps, over small sizes, progress values
// on both sides of the partial range and positions inside, before and past
// the clip rectangle, on every drawing path:
// - the first frame (progress 0 and below) draws nothing and returns 0;
// - the last frame (256 and above) is one operation that leaves the
//   picture's area, cut to the clip, equal to the source placed at (x, y);
// - no fragment reads outside the source, nothing lands outside the clip
//   rectangle (a guard band round it stays as it was);
// - all six paths draw the same fragments, cover the same pixels and put the
//   same source pixel on each.
// The mode families add their partial-frame properties beside these.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transition/FragmentRecorder.h"
#include "transition/ModeRecording.h"
#include "transition/RunTransition.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionRandom.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr Size kSizes[] = {{1, 1}, {2, 2}, {5, 3}, {17, 9}, {64, 48}};
constexpr int32_t kProgress[] = {-5, 0, 1, 64, 128, 192, 255, 256, 1000};
// The destination is the source plus a margin all round; the clip leaves a
// guard band of kGuard pixels inside the destination's edge.
constexpr int32_t kMargin = 8;
constexpr int32_t kGuard = 3;
constexpr uint32_t kSeed = 20261210;

// Modes whose partial frames work on pixel values (a blend, a mosaic, a
// negative) rather than placing source fragments: their partial pixels are not
// source codes and their back ends differ by design, so only the clip and
// the first and last frames are compared for them.
bool WorksOnPixelValues(uint32_t mode) { return mode == 53 || (mode >= 68 && mode <= 70); }

struct Position {
  const char* name;
  int32_t x;
  int32_t y;
};

std::vector<Position> PositionsFor(const Size& size, const Rect& clip) {
  return {{"inside", kMargin, kMargin - 1},
          {"negative", -size.width / 2 - 2, -size.height / 2 - 1},
          {"past the clip", clip.right - size.width / 2, clip.bottom - size.height / 2 + 1}};
}

// One frame on one path: the fragments asked for, the result and the pixels.
struct Frame {
  int result = 0;
  std::vector<RecordedFragment> fragments;
  std::vector<uint32_t> pixels;
};

Frame Render(PathPictures& pictures, uint32_t mode, int32_t progress, const Position& at) {
  pictures.ClearDestination();
  // The random modes draw the same numbers on every path.
  TransitionRandom::Instance().Seed(kSeed);
  FragmentRecorder recorder;
  Frame frame;
  frame.result = RunTransition(mode, pictures.Destination(), pictures.Source(), progress, at.x, at.y,
                               BackendCopy, nullptr, &recorder);
  frame.fragments = std::move(recorder.fragments);
  frame.pixels = pictures.Snapshot();
  return frame;
}

bool Inside(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

class TransitionInvariantTest : public testing::TestWithParam<uint32_t> {
 protected:
  tools::OffscreenDisplay display_;
  // The modes that read the cosine table draw their frames too.
  ScopedMathTables tables_;

  // Checks one frame of one path against the rules that hold on every path.
  void CheckFrame(const Frame& frame, const DrawPath& path, const Size& size, int32_t destWidth,
                  const Rect& clip, int32_t progress, const Position& at) {
    if (progress <= 0) {
      EXPECT_EQ(frame.result, 0);
      EXPECT_TRUE(frame.fragments.empty());
    }
    if (progress >= 256) {
      EXPECT_EQ(frame.result, 0);
      ASSERT_EQ(frame.fragments.size(), 1u);
      EXPECT_EQ(frame.fragments[0], (RecordedFragment{RecordedFragment::kWhole, Rect{}, at.x, at.y, Size{}}));
    }
    for (const RecordedFragment& fragment : frame.fragments) {
      if (fragment.kind == RecordedFragment::kWhole) continue;
      EXPECT_TRUE(fragment.source.left >= 0 && fragment.source.top >= 0 && fragment.source.right <= size.width &&
                  fragment.source.bottom <= size.height)
          << fragment << " reads outside the " << size.width << " x " << size.height << " source";
    }
    const Rect placed{at.x, at.y, at.x + size.width, at.y + size.height};
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
      const int32_t x = int32_t(i % size_t(destWidth)), y = int32_t(i / size_t(destWidth));
      const uint32_t value = frame.pixels[i];
      if (!Inside(clip, x, y) || progress <= 0) {
        ASSERT_EQ(value, path.background) << "pixel (" << x << ", " << y << ") outside what may change";
      } else if (progress >= 256) {
        const uint32_t expected = Inside(placed, x, y)
                                      ? SourceCode(path, size.width, x - at.x, y - at.y)
                                      : path.background;
        ASSERT_EQ(value, expected) << "last frame, pixel (" << x << ", " << y << ")";
      }
    }
  }

  // The exact 32-bit paths name the source pixel of every covered
  // destination pixel; every other path must put the same source pixel
  // there. Stretched fragments are scaled by each back end's own rule (the
  // surfaces' stepping and the blit surfaces' nearest pixel pick different
  // source columns), so a frame with stretched fragments compares each path
  // with the 32-bit path of its own back end, and the two back ends by the
  // pixels they cover.
  void ComparePaths(const std::vector<std::unique_ptr<PathPictures>>& paths, const std::vector<Frame>& frames,
                    const Size& size) {
    constexpr size_t kSurface32 = 1, kBlit32 = 5;
    bool stretched = false;
    for (const RecordedFragment& fragment : frames[kSurface32].fragments)
      stretched = stretched || fragment.kind == RecordedFragment::kStretched;
    for (size_t p = 0; p < paths.size(); ++p) {
      const DrawPath& path = paths[p]->Path();
      const Frame& exact = frames[stretched && path.backend == BackendDirectDraw ? kBlit32 : kSurface32];
      EXPECT_EQ(frames[p].result, exact.result) << path.name;
      EXPECT_EQ(frames[p].fragments, exact.fragments) << path.name;
      for (size_t i = 0; i < exact.pixels.size(); ++i) {
        int32_t sx = 0, sy = 0;
        const bool covered = exact.pixels[i] != kDrawPaths[kSurface32].background;
        if (covered) {
          ASSERT_TRUE(DecodeExact(exact.pixels[i], size.width, size.height, &sx, &sy))
              << "pixel " << i << " holds no source pixel";
        }
        const uint32_t expected = covered ? SourceCode(path, size.width, sx, sy) : path.background;
        ASSERT_EQ(frames[p].pixels[i], expected) << path.name << ", pixel " << i;
      }
    }
    if (!stretched) return;
    for (size_t i = 0; i < frames[kSurface32].pixels.size(); ++i)
      ASSERT_EQ(frames[kSurface32].pixels[i] == kDrawPaths[kSurface32].background,
                frames[kBlit32].pixels[i] == kDrawPaths[kBlit32].background)
          << "the back ends cover pixel " << i << " differently";
  }
};

TEST_P(TransitionInvariantTest, FirstAndLastFramesFragmentsAndPathsAgree) {
  const uint32_t mode = GetParam();
  for (const Size& size : kSizes) {
    const int32_t destWidth = size.width + 2 * kMargin, destHeight = size.height + 2 * kMargin;
    const Rect clip{kGuard, kGuard, destWidth - kGuard, destHeight - kGuard};
    std::vector<std::unique_ptr<PathPictures>> paths;
    for (const DrawPath& path : kDrawPaths)
      paths.push_back(std::make_unique<PathPictures>(display_, path, size.width, size.height, destWidth, destHeight, clip));
    for (const Position& at : PositionsFor(size, clip)) {
      for (int32_t progress : kProgress) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << size.width << " x " << size.height
                                        << ", progress " << progress << ", " << at.name);
        std::vector<Frame> frames;
        for (auto& pictures : paths) {
          SCOPED_TRACE(pictures->Path().name);
          frames.push_back(Render(*pictures, mode, progress, at));
          CheckFrame(frames.back(), pictures->Path(), size, destWidth, clip, progress, at);
          if (HasFatalFailure()) return;
        }
        if (progress > 0 && progress < 256 && WorksOnPixelValues(mode)) continue;
        ComparePaths(paths, frames, size);
        if (HasFatalFailure()) return;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllModes, TransitionInvariantTest, testing::Range(0u, kTransitionModeCount),
                         [](const testing::TestParamInfo<uint32_t>& info) {
                           return "Mode" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace orrivel::test
