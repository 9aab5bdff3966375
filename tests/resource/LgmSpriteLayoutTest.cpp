#include "resource/LgmSpriteLayout.h"

#include <gtest/gtest.h>

#include "LayoutTestFakes.h"
#include "LayoutTestFolder.h"
#include "layout/LayoutWriter.h"

namespace orrivel {
namespace {

using testing::FakeCanvas;
using testing::FakeControl;
using testing::FakeDevice;
using testing::FakeFactory;
using testing::FakeHost;
using tools::LgmDocument;
using tools::LgmForm;
using tools::LgmPartRecord;

LgmPartRecord Part(const std::string& name, uint8_t kind, uint8_t state) {
  return {name, kind, int16_t(kind * 10), int16_t(-kind), uint8_t(kind + 40), uint8_t(kind % 2), int16_t(kind + 1),
          int16_t(kind + 2), state};
}

class LgmSpriteLayoutTest : public testing::LayoutFolderTest {
 protected:
  void SetUp() override {
    LayoutFolderTest::SetUp();
    folder_.Write("win/base.elg", testing::MakeElgPicture(8, 8));
    factory_.canvas = &canvas_;
  }
  int Load(const LgmDocument& document, int32_t firstTag, bool indexed, ScreenDevicePort* device) {
    folder_.Write("win/ctl.lgm", tools::WriteLgm(document, LgmForm::kControl));
    return layout_.Load(&factory_, &host_, "win\\ctl.lgm", firstTag, 77, indexed, device);
  }
  const FakeControl& Control(size_t i) { return *static_cast<FakeControl*>(layout_.PartControls()[i]); }

  FakeDevice device_;
  FakeCanvas canvas_;
  FakeFactory factory_;
  FakeHost host_;
  LgmSpriteLayout layout_;
};

TEST_F(LgmSpriteLayoutTest, EachKindMakesItsControl) {
  struct Row {
    uint8_t kind;
    bool checkButton;
    int32_t variant;
    uint8_t trueState;
  };
  const Row rows[] = {{1, false, 1, 4}, {2, false, 1, 4}, {3, false, 0, 3}, {4, true, 0, 8}, {5, true, 1, 8},
                      {6, true, 2, 6},  {7, true, 3, 5},  {8, true, 2, 6},  {9, true, 3, 5}};
  for (bool indexed : {false, true}) {
    for (bool matching : {true, false}) {
      SCOPED_TRACE(std::to_string(indexed) + std::to_string(matching));
      LgmDocument document;
      for (const Row& row : rows) {
        document.parts.push_back(Part("p" + std::to_string(row.kind) + ".elg", row.kind,
                                      matching ? row.trueState : uint8_t(row.trueState + 1)));
      }
      FakeHost host;
      folder_.Write("win/ctl.lgm", tools::WriteLgm(document, LgmForm::kControl));
      ASSERT_EQ(layout_.Load(&factory_, &host, "win\\ctl.lgm", 100, 77, indexed, nullptr), kLgmOk);
      ASSERT_EQ(layout_.PartCount(), 9u);
      for (size_t i = 0; i < 9; ++i) {
        const Row& row = rows[i];
        const FakeControl& c = Control(i);
        SCOPED_TRACE(int(row.kind));
        EXPECT_EQ(c.checkButton, row.checkButton);
        EXPECT_EQ(c.variant, row.variant);
        EXPECT_EQ(c.stateFlag, matching);
        EXPECT_EQ(c.fileName, "win\\p" + std::to_string(row.kind) + ".elg");
        EXPECT_EQ(c.x, row.kind * 10);
        EXPECT_EQ(c.y, -row.kind);
        EXPECT_EQ(c.option, row.kind + 40);
        EXPECT_EQ(c.value, indexed ? 0 : 2);
        EXPECT_EQ(c.keyValue, indexed ? 0xFF00 : -1);
        EXPECT_EQ(c.next, -1);
        EXPECT_EQ(c.group, 77);
        EXPECT_EQ(c.visible, row.kind % 2);
        EXPECT_EQ(c.tag, int32_t(100 + i));
        EXPECT_EQ(host.controls[i], &c);
        EXPECT_EQ(host.indexes[i], -1);
        EXPECT_EQ(layout_.PartSizes()[i].width, row.kind + 1);
        EXPECT_EQ(layout_.PartSizes()[i].height, row.kind + 2);
        EXPECT_EQ(layout_.PartSizes()[i].flag, matching ? row.trueState : row.trueState + 1);
      }
    }
  }
}

TEST_F(LgmSpriteLayoutTest, RunsOfRadioKindsFormGroups) {
  LgmDocument document;
  for (uint8_t kind : {6, 6, 6, 8, 6, 7, 7, 1, 7, 9, 9}) document.parts.push_back(Part("r.elg", kind, 0));
  ASSERT_EQ(Load(document, -1, false, nullptr), kLgmOk);
  const auto& controls = layout_.PartControls();
  // Leader of each part: -1 none, else the index of the leading part.
  const int expected[] = {-1, 0, 0, -1, -1, -1, 5, -1, -1, -1, 9};
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Control(i).leader, expected[i] < 0 ? nullptr : controls[size_t(expected[i])]);
    EXPECT_EQ(Control(i).tag, -1);  // a negative first tag leaves the tags alone
  }
}

TEST_F(LgmSpriteLayoutTest, BasePicture) {
  LgmDocument document;
  document.baseName = "base.elg";
  document.parts.push_back(Part("a.elg", 1, 0));
  EXPECT_EQ(Load(document, 0, false, nullptr), kLgmNoDeviceForBase);
  EXPECT_TRUE(factory_.controls.empty());

  ASSERT_EQ(Load(document, 0, true, &device_), kLgmOk);
  EXPECT_EQ(device_.log[0], "surface8 win\\base.elg");
  EXPECT_EQ(canvas_.background, layout_.BaseSurface());
  ASSERT_EQ(canvas_.backgroundCalls.size(), 1u);
  EXPECT_TRUE(canvas_.backgroundCalls[0].redraw);

  FakeDevice device;
  factory_.canvas = nullptr;  // nowhere to show the base picture
  EXPECT_EQ(Load(document, 0, false, &device), kLgmBaseFailed);
  EXPECT_TRUE(device.surfaces.empty());
  factory_.canvas = &canvas_;
  document.baseName = "none.elg";
  EXPECT_EQ(Load(document, 0, false, &device), kLgmBaseFailed);
}

TEST_F(LgmSpriteLayoutTest, RefusedControlsAndBadKindsUndoTheLoad) {
  const std::pair<uint8_t, int> cases[] = {{1, 6},  {2, 6},  {3, 7},  {4, 8},  {5, 9},  {6, 10},
                                           {8, 10}, {7, 11}, {9, 11}, {0, 12}, {10, 12}, {255, 12}};
  for (const auto& [kind, code] : cases) {
    SCOPED_TRACE(int(kind));
    FakeDevice device;
    FakeCanvas canvas;
    FakeFactory factory;
    factory.canvas = &canvas;
    factory.refusedNames = {"win\\bad.elg"};
    LgmDocument document;
    document.baseName = "base.elg";
    document.parts = {Part("a.elg", 1, 0), Part("b.elg", 6, 0), Part("bad.elg", kind, 0)};
    folder_.Write("win/ctl.lgm", tools::WriteLgm(document, LgmForm::kControl));
    FakeHost host;
    EXPECT_EQ(layout_.Load(&factory, &host, "win\\ctl.lgm", 0, 0, false, &device), code);
    EXPECT_TRUE(factory.controls.empty());
    EXPECT_TRUE(device.surfaces.empty());
    EXPECT_EQ(canvas.background, nullptr);
    EXPECT_EQ(layout_.PartCount(), 0u);
    EXPECT_TRUE(layout_.PartControls().empty());
  }
}

TEST_F(LgmSpriteLayoutTest, ArgumentsAndDamagedFiles) {
  EXPECT_EQ(layout_.Load(nullptr, &host_, "win\\ctl.lgm", 0, 0, false, nullptr), kLgmMissingArgument);
  EXPECT_EQ(layout_.Load(&factory_, nullptr, "win\\ctl.lgm", 0, 0, false, nullptr), kLgmMissingArgument);
  EXPECT_EQ(layout_.Load(&factory_, &host_, "win\\none.lgm", 0, 0, false, nullptr), kLgmCannotOpen);
  LgmDocument document;
  document.parts = {Part("a.elg", 0, 0)};  // kind 0 still has a size in this form
  const auto good = tools::WriteLgm(document, LgmForm::kControl);
  for (size_t size = 0; size < good.size(); ++size) {
    EXPECT_EQ(layout_.LoadFromMemory(&factory_, &host_, good.data(), size, "x.lgm", 0, 0, false, nullptr),
              kLgmBadFile);
  }
  EXPECT_EQ(layout_.LoadFromMemory(&factory_, &host_, good.data(), good.size(), "x.lgm", 0, 0, false, nullptr),
            kLgmBadKind);
  EXPECT_TRUE(factory_.controls.empty());
}

}  // namespace
}  // namespace orrivel
