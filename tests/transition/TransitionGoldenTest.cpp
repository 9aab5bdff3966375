// Golden frames: contact sheets rendered by the transition sheet tool,
// reviewed by eye once and compared exactly. Here the whole-picture frames
// of every back end (the first frames leave the checker board, the last
// show the sample at its place with the key honoured); the mode families add
// sheets of their partial frames. ORRIVEL_UPDATE_GOLDEN=1 rewrites them.
#ifdef ORRIVEL_TRANSITION_GOLDEN
#include <gtest/gtest.h>

#include "scene/GoldenSupport.h"
#include "transition/TransitionSheet.h"

namespace orrivel::test {
namespace {

struct SheetCase {
  const char* name;
  int32_t backend;
};

class TransitionGoldenTest : public testing::TestWithParam<SheetCase> {};

TEST_P(TransitionGoldenTest, WholePictureFramesMatchTheReviewedSheet) {
  tools::SheetRequest request;
  request.modes = {0, 27, 53, 86};
  request.progress = {-5, 0, 256, 1000};
  request.backend = GetParam().backend;
  Surface sheet;
  ASSERT_EQ(tools::RenderSheet(request, &sheet), 0);
  ExpectGolden(sheet, GetParam().name, "transition");
}

INSTANTIATE_TEST_SUITE_P(BackEnds, TransitionGoldenTest,
                         testing::Values(SheetCase{"whole_copy", 0}, SheetCase{"whole_alpha", 1},
                                         SheetCase{"whole_blit", 2}),
                         [](const testing::TestParamInfo<SheetCase>& info) { return std::string(info.param.name); });

TEST(TransitionSheetTest, RefusesRequestsItCannotDraw) {
  Surface sheet;
  tools::SheetRequest request;
  EXPECT_EQ(tools::RenderSheet(request, &sheet), 1);  // no modes
  request.modes = {0};
  request.progress = {256};
  request.backend = 3;
  EXPECT_EQ(tools::RenderSheet(request, &sheet), 1);
  request.backend = 0;
  request.width = 0;
  EXPECT_EQ(tools::RenderSheet(request, &sheet), 1);
  std::vector<int32_t> values;
  EXPECT_TRUE(tools::ParseList("0,-5,256", &values));
  EXPECT_EQ(values, (std::vector<int32_t>{0, -5, 256}));
  EXPECT_FALSE(tools::ParseList("1,,2", &values));
  EXPECT_FALSE(tools::ParseList("12x", &values));
  EXPECT_FALSE(tools::ParseList("", &values));
}

}  // namespace
}  // namespace orrivel::test
#endif
