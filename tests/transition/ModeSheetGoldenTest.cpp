// Golden sheets of the partial frames of modes 0 to 31: every mode at five
// progress values through the copy back end, and one of each family
// through the blit surfaces. Reviewed by eye once and compared exactly;
// ORRIVEL_UPDATE_GOLDEN=1 rewrites them.
#ifdef ORRIVEL_TRANSITION_GOLDEN
#include <gtest/gtest.h>

#include "scene/GoldenSupport.h"
#include "transition/ModeRecording.h"
#include "transition/TransitionSheet.h"

namespace orrivel::test {
namespace {

struct ModeSheet {
  const char* name;
  uint32_t firstMode, lastMode;
  int32_t backend;
};

class ModeSheetGoldenTest : public testing::TestWithParam<ModeSheet> {
 protected:
  ScopedMathTables tables_;
};

TEST_P(ModeSheetGoldenTest, PartialFramesMatchTheReviewedSheet) {
  const ModeSheet& sheetCase = GetParam();
  tools::SheetRequest request;
  for (uint32_t mode = sheetCase.firstMode; mode <= sheetCase.lastMode; ++mode) request.modes.push_back(mode);
  if (sheetCase.backend == 2) request.modes = {2, 5, 11, 21, 23, 27};
  request.progress = {1, 64, 128, 192, 255};
  request.backend = sheetCase.backend;
  Surface sheet;
  ASSERT_EQ(tools::RenderSheet(request, &sheet), 0);
  ExpectGolden(sheet, sheetCase.name, "transition");
}

INSTANTIATE_TEST_SUITE_P(Families, ModeSheetGoldenTest,
                         testing::Values(ModeSheet{"modes_00_10_copy", 0, 10, 0},
                                         ModeSheet{"modes_11_20_copy", 11, 20, 0},
                                         ModeSheet{"modes_21_31_copy", 21, 31, 0},
                                         ModeSheet{"modes_families_blit", 0, 0, 2}),
                         [](const testing::TestParamInfo<ModeSheet>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orrivel::test
#endif
