// The control factory: the defaults each kind takes, the list a control
// goes into, the one creation procedure (out of memory, a failed creation
// deleted with its code passed on), deletion singly, by group and all at
// once, the handles scripts hold, and the shared IME indicator.
#include "scene/ControlFactory.h"

#include <gtest/gtest.h>

#include "PictureFolder.h"
#include "TextEntryTestSupport.h"
#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/HotSpotControl.h"
#include "scene/ImeModeIndicator.h"
#include "scene/ScrollBar.h"
#include "scene/SpriteCanvas.h"
#include "scene/TextEntryControl.h"
#include "scene/TextListControl.h"
#include "scene/TextPanelControl.h"
#include "scene/WindowControl.h"

namespace orrivel {
namespace {

class ControlFactoryTest : public test::TextEntryFixture {
 protected:
  void SetUp() override {
    test::TextEntryFixture::SetUp();
    canvas.SetOverlayList(&overlay);
    factory.SetCanvas(&canvas);
    factory.textEntryTimers = &timers;
    factory.imeContext = &hook.Ime();
    strip = test::MakeSolid32(80, 10, 0xFF336699u);
  }
  ButtonControl* SurfaceButton(int32_t group) {
    factory.currentGroup = group;
    ButtonControl* b = nullptr;
    EXPECT_EQ(factory.CreateSurfaceButton(&b, 0, 0, strip.get(), false, false, 0, 255, 0), 0);
    return b;
  }

  SpriteList overlay;
  SpriteCanvas canvas;
  ControlFactory factory;
  std::unique_ptr<Surface> strip;
};

TEST_F(ControlFactoryTest, DefaultsPerKind) {
  factory.currentGroup = 4;
  factory.buttonFace = 0x00112233;
  factory.buttonHighlight = 0x40445566;
  ButtonControl* button = nullptr;
  ASSERT_EQ(factory.CreateTextButton(&button, 0, 0, 40, 20, false, "ok", &font, 2), 0);
  EXPECT_EQ(button->GetFaceColor(), 0x00112233u);
  EXPECT_EQ(button->GetHighlightColor(), 0x40445566u);
  EXPECT_EQ(button->GetGroup(), 4);
  EXPECT_EQ(button->GetSpriteList(), &canvas.MainList());

  factory.textEntryTextColour = 0x00AA0000;
  factory.textEntryFillColour = 0x80FFFFFF;
  factory.textEntrySize = 20;
  factory.textEntryCompositionColour = 0x123456;
  factory.textEntryReadOnly = 1;
  TextEntryControl* entry = nullptr;
  ASSERT_EQ(factory.CreateTextEntry(&entry, 10, 20, &font, 100, 2, true, 5), 0);
  EXPECT_EQ(entry->TextColour(), 0xAA0000u);
  EXPECT_EQ(entry->FillColour(), 0x80FFFFFFu);
  EXPECT_EQ(entry->StyleSize(), 20);
  EXPECT_EQ(entry->CompositionColour(), 0x123456u);
  EXPECT_EQ(entry->CompositionBackColour(), TextBufferControl::kDefaultCompositionBackColour);  // -1 keeps it
  EXPECT_TRUE(entry->IsReadOnly());
  EXPECT_EQ(entry->GetGroup(), 4);

  factory.scrollPageBackAction = 6;
  factory.scrollPageForwardAction = 7;
  factory.scrollKeyStep = 3;
  ScrollBar* bar = nullptr;
  DrawnScrollBarArgs drawn;
  ASSERT_EQ(factory.CreateDrawnScrollBar(&bar, drawn, 1), 0);
  EXPECT_EQ(bar->GetKeyStep(), 3);
  EXPECT_EQ(bar->GetGroup(), 4);

  test::PictureFolder folder;
  folder.WritePicture(*test::MakeSolid32(48, 20, 0xFF606060u), "THUMB.BMP");
  factory.panelBackColour = 0x01020304;
  factory.panelDefaultState = 0;
  TextPanelArgs panelArgs;
  panelArgs.font = &font;
  panelArgs.height = -3;
  panelArgs.width = 100;
  panelArgs.thumbImage = "THUMB.BMP";
  panelArgs.barLength = 40;
  TextPanelControl* panel = nullptr;
  ASSERT_EQ(factory.CreateTextPanel(&panel, panelArgs, 0), 0);
  EXPECT_EQ(panel->backColour, 0x01020304u);
  EXPECT_EQ(panel->defaultState, 0);
  EXPECT_EQ(panel->pageUpAction, 6);
  EXPECT_EQ(panel->pageDownAction, 7);
  EXPECT_EQ(panel->Bar().GetKeyStep(), 3);

  TextListControl* textList = nullptr;
  TextListArgs listArgs;
  listArgs.font = &font;
  listArgs.lineWidth = 100;
  listArgs.lineHeight = 20;
  ASSERT_EQ(factory.CreateTextList(&textList, listArgs, 0), 0);
  EXPECT_EQ(textList->GetGroup(), 4);

  WindowControl* window = nullptr;
  ASSERT_EQ(factory.CreateWindow(&window, 0, 0, 80, 40, 0, 0x102030, 128, &font, nullptr, 0), 0);
  EXPECT_EQ(window->GetKind(), 5);

  HotSpotControl* spot = nullptr;
  ASSERT_EQ(factory.CreateHotSpot(&spot, 10, 20, 100, 41, -1, -1, 1, 1, 0), 0);
  EXPECT_EQ(spot->GetGroup(), 4);
  ColorBoxControl* box = nullptr;
  ASSERT_EQ(factory.CreateColorBox(&box, 0, 0, 5, 5, 0xFF000000, 0xFFFFFFFFu, 0xFFFFFFFFu, 0), 0);
  EXPECT_EQ(box->HoverColour(), ColorBoxControl::kDefaultHover);
  EXPECT_EQ(factory.Count(), 8u);

  // Kinds in creation order.
  std::vector<int32_t> kinds;
  for (Control* c : factory.Controls()) kinds.push_back(c->GetKind());
  EXPECT_EQ(kinds, (std::vector<int32_t>{0, 3, 4, 9, 6, 5, 7, 2}));
}

TEST_F(ControlFactoryTest, TheOverlayListDrawsAboveTheMainList) {
  factory.useOverlay = true;
  ButtonControl* b = SurfaceButton(0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetSpriteList(), &overlay);
  EXPECT_TRUE(canvas.MainList().Items().empty());
  factory.useOverlay = false;
  ColorBoxControl* box = nullptr;
  ASSERT_EQ(factory.CreateColorBox(&box, 0, 0, 5, 5, 0xFF000000, 0, 0, 0), 0);
  EXPECT_EQ(box->GetSpriteList(), &canvas.MainList());

  // Without a canvas there is no list, and a sprite control fails.
  factory.SetCanvas(nullptr);
  EXPECT_EQ(factory.CreateColorBox(&box, 0, 0, 5, 5, 0, 0, 0, 0), 1);
  EXPECT_EQ(box, nullptr);
}

TEST_F(ControlFactoryTest, OutOfMemoryAndFailedCreations) {
  ButtonControl* button = SurfaceButton(0);
  ASSERT_NE(button, nullptr);
  factory.FailNextAllocationsForTest(1);
  ColorBoxControl stale;
  ColorBoxControl* box = &stale;
  EXPECT_EQ(factory.CreateColorBox(&box, 0, 0, 5, 5, 0, 0, 0, 0), ControlFactory::kOutOfMemory);
  EXPECT_EQ(box, nullptr);  // cleared first
  EXPECT_EQ(factory.Count(), 1u);

  // A failed creation deletes the control and passes its code on.
  EXPECT_EQ(factory.CreateColorBox(&box, 0, 0, 0, 5, 0, 0, 0, 0), 1);
  EXPECT_EQ(factory.CreateImageButton(&button, 0, 0, "MISSING.BMP", false, false, 0, 255, -1, -1, 0), 2);
  ItemMenuControl* menu = nullptr;
  EXPECT_EQ(factory.CreateItemMenu(&menu, "MAP.BMP", 0, 0, 0, 1), 1);
  HotSpotControl* spot = nullptr;
  EXPECT_EQ(factory.CreateHotSpot(&spot, 0, 0, 0, 1, -1, -1, 1, 1, 0), 1);
  EXPECT_EQ(factory.Count(), 1u);
  EXPECT_EQ(canvas.MainList().Items().size(), 1u);  // nothing left behind
}

TEST_F(ControlFactoryTest, DeletingByGroupAndFromAnotherFactory) {
  ButtonControl* a = SurfaceButton(3);
  ButtonControl* b = SurfaceButton(1);
  ButtonControl* c = SurfaceButton(3);
  ButtonControl* d = SurfaceButton(2);
  ASSERT_EQ(host.AddControl(c, -1), 0u);
  factory.DeleteByGroup(3, false);
  EXPECT_EQ(factory.Controls(), (std::list<Control*>{b, d}));
  EXPECT_TRUE(host.Controls().empty());  // a deleted control leaves its host
  a = SurfaceButton(3);
  factory.DeleteByGroup(3, true);
  EXPECT_EQ(factory.Controls(), (std::list<Control*>{a}));
  EXPECT_EQ(canvas.MainList().Items().size(), 1u);

  ControlFactory other;
  other.SetCanvas(&canvas);
  ColorBoxControl* foreign = nullptr;
  ASSERT_EQ(other.CreateColorBox(&foreign, 0, 0, 5, 5, 0, 0, 0, 0), 0);
  EXPECT_EQ(factory.Delete(foreign), 2);
  EXPECT_EQ(other.Count(), 1u);
  EXPECT_EQ(foreign->GetKind(), 2);  // alive
  EXPECT_EQ(factory.Delete(nullptr), 1);
  EXPECT_EQ(factory.Delete(a), 0);
  EXPECT_EQ(factory.Delete(a), 2);
  factory.DeleteAll();
  EXPECT_EQ(factory.Count(), 0u);
}

TEST_F(ControlFactoryTest, ScriptsHoldGenerationTaggedHandles) {
  ButtonControl* a = SurfaceButton(0);
  const uint32_t handle = factory.HandleOf(a);
  ASSERT_NE(handle, 0u);
  EXPECT_LT(int32_t(handle), INT32_MAX);
  EXPECT_GT(int32_t(handle), 0);
  EXPECT_EQ(factory.FromHandle(handle), a);
  EXPECT_EQ(factory.FromHandle(0), nullptr);
  EXPECT_EQ(factory.FromHandle(handle ^ 0x00100000u), nullptr);  // forged generation

  EXPECT_EQ(factory.DeleteByHandle(handle), 0);
  EXPECT_EQ(factory.FromHandle(handle), nullptr);  // stale
  EXPECT_EQ(factory.DeleteByHandle(handle), 2);
  ButtonControl* b = SurfaceButton(0);  // takes the freed slot
  const uint32_t reused = factory.HandleOf(b);
  EXPECT_NE(reused, handle);
  EXPECT_EQ(factory.FromHandle(handle), nullptr);
  EXPECT_EQ(factory.FromHandle(reused), b);
}

TEST_F(ControlFactoryTest, CheckButtonGroupsAndLeaders) {
  CheckButtonControl* leader = nullptr;
  CheckButtonControl* member = nullptr;
  ASSERT_EQ(factory.CreateSurfaceCheckButton(&leader, 0, 0, strip.get(), 2, true, nullptr, 0, 255, 0), 0);
  ASSERT_EQ(factory.CreateSurfaceCheckButton(&member, 20, 0, strip.get(), 2, true, leader, 0, 255, 0), 0);
  EXPECT_EQ(member->Leader(), leader);
  ButtonControl* notCheck = SurfaceButton(0);
  CheckButtonControl* refused = nullptr;
  EXPECT_EQ(factory.CreateSurfaceCheckButton(&refused, 0, 0, strip.get(), 2, true, notCheck, 0, 255, 0), 1);
  // Deleting the leader frees its member.
  EXPECT_EQ(factory.Delete(leader), 0);
  EXPECT_EQ(member->Leader(), nullptr);
}

TEST_F(ControlFactoryTest, TheImeIndicatorIsSharedAndOnlyMovedForTheSameFont) {
  TextEntryControl* entry = nullptr;
  ASSERT_EQ(factory.CreateTextEntry(&entry, 10, 20, &font, 100, 2, true, 5), 0);
  ASSERT_EQ(factory.CreateImeIndicator(&font, 200, 10), 0);
  ImeModeIndicator* first = factory.GetImeIndicator();
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(factory.CreateImeIndicator(&font, 300, 40), 0);
  EXPECT_EQ(factory.GetImeIndicator(), first);  // only moved
  // A new indicator's sprite takes the current group as its order.
  EXPECT_EQ(canvas.MainList().Find(&first->Sprite())->order, 0u);
  factory.currentGroup = 7;
  test::BlockFont other{12};
  ASSERT_EQ(factory.CreateImeIndicator(&other, 300, 40), 0);
  ASSERT_NE(factory.GetImeIndicator(), nullptr);
  const SpriteList::Node* node = canvas.MainList().Find(&factory.GetImeIndicator()->Sprite());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->order, 7u);
  factory.currentGroup = 0;
  // A text entry made now shows it as well; focus shows the indicator.
  TextEntryControl* second = nullptr;
  ASSERT_EQ(factory.CreateTextEntry(&second, 10, 60, &font, 100, 2, true, 5), 0);
  ASSERT_EQ(host.AddControl(second, -1), 0u);
  host.SetFocus(second);
  EXPECT_TRUE(factory.GetImeIndicator()->Sprite().IsVisible());
  factory.DestroyImeIndicator();
  EXPECT_EQ(factory.GetImeIndicator(), nullptr);
  host.SetFocus(nullptr);  // the entry no longer reaches the indicator
  factory.SetCanvas(nullptr);
  EXPECT_EQ(factory.CreateImeIndicator(&font, 0, 0), 1);
}

// A canvas that goes while the factory points at it (its image deleted
// while no script watched): the factory, a scope that had saved it and
// the indicator in its list go, and new controls go nowhere.
TEST_F(ControlFactoryTest, ACanvasThatGoesLeavesTheFactoryWithNone) {
  SpriteList ownOverlay;
  auto own = std::make_unique<SpriteCanvas>();
  own->SetOverlayList(&ownOverlay);
  factory.SetCanvas(own.get());
  ASSERT_EQ(factory.CreateImeIndicator(&font, 0, 0), 0);
  {
    const ControlFactoryScope scope(factory, own.get(), 3);
    EXPECT_EQ(factory.OverlayList(), &ownOverlay);
    own.reset();
    EXPECT_EQ(factory.GetCanvas(), nullptr);
    EXPECT_EQ(factory.MainList(), nullptr);
    EXPECT_EQ(factory.OverlayList(), nullptr);
  }
  EXPECT_EQ(factory.GetCanvas(), nullptr);  // the scope did not put it back
  EXPECT_EQ(factory.GetImeIndicator(), nullptr);  // it went with its canvas
  WindowControl* window = nullptr;
  factory.CreateWindow(&window, 0, 0, 40, 20, 0, 0, 0, &font, nullptr, 0);
  ButtonControl* button = nullptr;
  if (factory.CreateTextButton(&button, 0, 0, 40, 20, false, "ok", &font, 2) == 0) {
    EXPECT_EQ(button->GetSpriteList(), nullptr);
  }
  EXPECT_EQ(factory.CreateImeIndicator(&font, 0, 0), 1);
  // A new canvas takes new controls and a new indicator again.
  SpriteCanvas next;
  factory.SetCanvas(&next);
  ASSERT_EQ(factory.CreateImeIndicator(&font, 0, 0), 0);
  EXPECT_EQ(factory.GetImeIndicator()->List(), &next.MainList());
  factory.DeleteAll();
  factory.DestroyImeIndicator();
}

}  // namespace
}  // namespace orrivel
