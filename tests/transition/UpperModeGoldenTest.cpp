// Golden contact sheets of the partial frames of the squares, blinds,
// stripes and spirals, the block displacement modes, the band, stretch and
// sliding wipes with the windmills, and the whole-picture modes on both
// kinds of surface; reviewed by eye once and compared exactly.
// ORRIVEL_UPDATE_GOLDEN=1 rewrites them.
#ifdef ORRIVEL_TRANSITION_GOLDEN
#include <gtest/gtest.h>

#include "raster/BlendTables.h"
#include "scene/GoldenSupport.h"
#include "transition/ModeRecording.h"
#include "transition/TransitionSheet.h"

namespace orrivel::test {
namespace {

struct UpperSheet {
  const char* name;
  uint32_t firstMode;
  uint32_t lastMode;
  int32_t backend;
};

std::vector<uint32_t> ModesOf(const UpperSheet& sheet) {
  std::vector<uint32_t> modes;
  for (uint32_t mode = sheet.firstMode; mode <= sheet.lastMode; ++mode) {
    const bool wholePicture = mode == 53 || (mode >= 68 && mode <= 70);
    if (wholePicture == (sheet.firstMode == 53)) modes.push_back(mode);
  }
  return modes;
}

class UpperModeGoldenTest : public testing::TestWithParam<UpperSheet> {};

TEST_P(UpperModeGoldenTest, PartialFramesMatchTheReviewedSheet) {
  BuildBlendTables();
  PublishedMathTables tables;
  tools::SheetRequest request;
  request.modes = ModesOf(GetParam());
  request.progress = {1, 48, 128, 208, 255};
  request.backend = GetParam().backend;
  Surface sheet;
  ASSERT_EQ(tools::RenderSheet(request, &sheet), 0);
  ExpectGolden(sheet, GetParam().name, "transition");
}

INSTANTIATE_TEST_SUITE_P(Families, UpperModeGoldenTest,
                         testing::Values(UpperSheet{"squares_stripes_spirals", 32, 52, 0},
                                         UpperSheet{"block_displacement", 54, 67, 0},
                                         UpperSheet{"edge_wipes_windmills", 71, 86, 0},
                                         UpperSheet{"whole_picture_copy", 53, 70, 0},
                                         UpperSheet{"whole_picture_alpha", 53, 70, 1},
                                         UpperSheet{"whole_picture_blit", 53, 70, 2}),
                         [](const testing::TestParamInfo<UpperSheet>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orrivel::test
#endif
