// A control layout written by the layout tool, read through the adapter
// into a real control factory and host on a canvas: the parts become image
// buttons and check buttons with their groups, tags and visibility, and a
// load that fails part way leaves neither controls nor host entries.
#include "scene/LayoutControlFactory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ControlTestSupport.h"
#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "elg/BmpWriter.h"
#include "layout/LayoutWriter.h"
#include "resource/LgmSpriteLayout.h"
#include "scene/CheckButtonControl.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

// A 32-bit bitmap of side-by-side state cells, each a shade of its own.
std::vector<uint8_t> Cells(int32_t cellWidth, int32_t height, int32_t count) {
  tools::BmpFile file;
  file.width = cellWidth * count;
  file.height = -height;
  file.bitCount = 32;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < file.width; ++x) {
      const uint32_t argb = 0xFF000000u | uint32_t(0x40 * (x / cellWidth + 1)) << 8;
      for (int shift : {0, 8, 16, 24}) file.data.push_back(uint8_t(argb >> shift));
    }
  return tools::WriteBmpFile(file);
}

class LayoutControlFactoryTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(screen_.Create(64, 48, 32, 0), 0);
    ASSERT_EQ(canvas_.SetTarget(&screen_, 0), 0);
    factory_.SetCanvas(&canvas_);
    folder_.Write("menu/button.bmp", Cells(10, 8, 4));
    folder_.Write("menu/check.bmp", Cells(8, 8, 4));
  }
  int Load(const tools::LgmDocument& document, int32_t firstTag, int32_t group) {
    const std::vector<uint8_t> bytes = tools::WriteLgm(document, tools::LgmForm::kControl);
    return layout_.LoadFromMemory(&adapter_, &adapter_, bytes.data(), bytes.size(), "menu/menu.lgm", firstTag,
                                  group, false, nullptr);
  }

  test::PictureFolder folder_;
  Surface screen_;
  SpriteCanvas canvas_;
  ControlFactory factory_;
  test::RecordingHost host_;
  LayoutControlFactory adapter_{factory_, host_};
  LgmSpriteLayout layout_;
};

TEST_F(LayoutControlFactoryTest, PartsBecomeButtonsAndGroupedCheckButtonsInTheHost) {
  tools::LgmDocument document;
  document.parts = {{"button.bmp", 1, 4, 4, 255, 1, 0, 0, 4},  {"button.bmp", 3, 4, 16, 255, 0, 0, 0, 0},
                    {"check.bmp", 6, 30, 4, 255, 1, 0, 0, 6},   {"check.bmp", 6, 40, 4, 255, 1, 0, 0, 0},
                    {"check.bmp", 4, 30, 20, 255, 1, 0, 0, 8}};
  ASSERT_EQ(Load(document, 100, 7), 0);
  ASSERT_EQ(layout_.PartControls().size(), 5u);
  EXPECT_EQ(factory_.Count(), 5u);
  const std::vector<Control*> hosted = host_.Controls();
  ASSERT_EQ(hosted.size(), 5u);
  const int32_t kinds[] = {kControlPushButton, kControlPushButton, kControlCheckButton, kControlCheckButton,
                           kControlCheckButton};
  for (size_t i = 0; i < hosted.size(); ++i) {
    SCOPED_TRACE(i);
    Control* control = adapter_.ControlOf(layout_.PartControls()[i]);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(hosted[i], control);  // in part order
    EXPECT_EQ(control->GetKind(), kinds[i]);
    EXPECT_EQ(control->GetTag(), int32_t(100 + i));
    EXPECT_EQ(control->GetOrder(), 7);  // the layout's group is the drawing order
    EXPECT_EQ(control->IsVisible(), i != 1);
  }
  // The run of kind 6 is one group led by its first part; kind 4 stands alone.
  auto* leader = dynamic_cast<CheckButtonControl*>(hosted[2]);
  auto* member = dynamic_cast<CheckButtonControl*>(hosted[3]);
  auto* alone = dynamic_cast<CheckButtonControl*>(hosted[4]);
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(member->Leader(), leader);
  EXPECT_EQ(alone->Leader(), nullptr);
  EXPECT_EQ(canvas_.MainList().Items().size(), 5u);
  EXPECT_EQ(adapter_.ControlOf(nullptr), nullptr);
  EXPECT_EQ(adapter_.Delete(nullptr), 1);
}

TEST_F(LayoutControlFactoryTest, AFailedLoadTakesBackEveryControlItMade) {
  tools::LgmDocument document;
  document.parts = {{"button.bmp", 1, 4, 4, 255, 1, 0, 0, 0},
                    {"check.bmp", 6, 30, 4, 255, 1, 0, 0, 0},
                    {"missing.bmp", 7, 40, 4, 255, 1, 0, 0, 0}};
  EXPECT_EQ(Load(document, -1, 0), kLgmRadioVariantRefused);
  EXPECT_EQ(factory_.Count(), 0u);
  EXPECT_TRUE(host_.Controls().empty());
  EXPECT_TRUE(canvas_.MainList().Items().empty());
  EXPECT_EQ(layout_.PartCount(), 0u);
}

}  // namespace
}  // namespace orrivel
