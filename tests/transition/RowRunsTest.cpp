// The modes that hand a row's cells to the back end as runs draw the very
// pixels they draw piece by piece while a watcher looks on, on every
// drawing path, with the point inside, across and off the destination.
#include <gtest/gtest.h>

#include <vector>

#include "transition/FragmentRecorder.h"
#include "transition/ModeRecording.h"
#include "transition/RunTransition.h"
#include "transition/TransitionRandom.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

struct At {
  int32_t x, y;
};

std::vector<uint32_t> Frame(PathPictures& pictures, uint32_t mode, int32_t progress, const At& at,
                            FragmentTap* tap) {
  pictures.ClearDestination();
  TransitionRandom::Instance().Seed(uint32_t(progress) * 7 + mode);
  EXPECT_EQ(RunTransition(mode, pictures.Destination(), pictures.Source(), progress, at.x, at.y,
                          pictures.Path().backend, nullptr, tap),
            0);
  return pictures.Snapshot();
}

TEST(RowRunsTest, RunsDrawWhatTheWatchedPiecesDraw) {
  tools::OffscreenDisplay display;
  ScopedMathTables tables;
  const uint32_t modes[] = {6, 7, 8, 9, 10, 20, 45, 46, 47, 48, 49, 50, 51, 52};
  const At points[] = {{3, 2}, {-5, 4}, {20, -3}};
  for (const DrawPath& path : kDrawPaths) {
    PathPictures pictures(display, path, 27, 13, 40, 24, Rect{1, 1, 38, 22});
    for (uint32_t mode : modes) {
      for (int32_t progress : {1, 40, 100, 128, 200, 255}) {
        for (const At& at : points) {
          FragmentRecorder recorder;
          const std::vector<uint32_t> watched = Frame(pictures, mode, progress, at, &recorder);
          ASSERT_EQ(Frame(pictures, mode, progress, at, nullptr), watched)
              << path.name << ", mode " << mode << " at " << progress << ", point (" << at.x << ", " << at.y << ")";
        }
      }
    }
  }
}

}  // namespace
}  // namespace orrivel::test
