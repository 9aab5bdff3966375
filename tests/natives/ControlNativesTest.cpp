// The GUI control natives as compiled scripts call them: creations with
// their option markers, the control host's events, focus and saved lists,
// deletion through the script's variable, the factory's defaults, and the
// per-control natives on every kind with their refusal values.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "DirectCalls.h"
#include "ControlNativeRig.h"
#include "NativeHarness.h"
#include "base/ImeContext.h"
#include "display/DrawObjectManager.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameDrawable.h"
#include "natives/GameControlHost.h"
#include "natives/NativeCatalog.h"
#include "natives/ProcessObjects.h"
#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/ColorBoxControl.h"
#include "scene/ControlFactory.h"
#include "scene/HotSpotControl.h"
#include "scene/ImageSprite.h"
#include "scene/ScrollBar.h"
#include "scene/SpriteCanvas.h"
#include "scene/TextEntryControl.h"
#include "scene/TextListControl.h"
#include "scene/WindowControl.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kMinusOne = uint32_t(-1);

class ControlNativesTest : public ControlNativeRig {
 protected:
  void SetUp() override {
    ControlNativeRig::SetUp();
    harness_ = std::make_unique<NativeHarness>();
    // One call through an assembled script boots the host the direct calls
    // then use.
    const NativeCall call = harness_->Call("NativeTakeControlEvent", {});
    ASSERT_TRUE(call.Ran());
    EXPECT_EQ(call.result, kMinusOne);
    calls_ = std::make_unique<DirectCalls>(harness_->Host());
    font_ = ScriptDisplayObjects()->AddFont(std::make_unique<test::CellFont>(16));
    picture_ = Call(g("NativeCreateSurface"), {24, 12, 32, 0});
    ASSERT_NE(picture_, 0u);
  }
  void TearDown() override {
    calls_.reset();
    objects_.Reset();
    harness_.reset();
    ControlNativeRig::TearDown();
  }

  static uint32_t g(const char* name) {
    const NativeEntry* entry = FindGameNative(name);
    EXPECT_NE(entry, nullptr) << name;
    return entry != nullptr ? entry->number : 0;
  }
  uint32_t Call(uint32_t number, const std::vector<uint32_t>& cells) {
    bool failed = false;
    const uint32_t result = calls_->Call(number, cells, &failed);
    EXPECT_FALSE(failed) << number;
    return result;
  }
  static std::vector<uint8_t> Bytes(Surface& surface) {
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < surface.GetHeight(); ++y) {
      const uint8_t* row = surface.GetScanLine(y);
      bytes.insert(bytes.end(), row, row + 4 * surface.GetWidth());
    }
    return bytes;
  }
  GameControlHost& Host() { return objects_.ControlHost(); }
  Control* ControlOf(uint32_t handle) { return harness_->Host().ControlHandles().Find(Factory(), handle); }

  uint32_t ColorBox() { return Call(687, {0, 0, 20, 10, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}); }
  uint32_t SurfaceButton() { return Call(684, {0, 0, picture_, 65535}); }
  uint32_t SurfaceCheckButton() { return Call(686, {0, 0, picture_, 0, 65535}); }
  uint32_t ScrollBarControl() { return Call(690, {0, 0, 1, 65535}); }
  uint32_t HotSpot() { return Call(696, {0, 0, 8, 8, kMinusOne}); }
  uint32_t Window() { return Call(693, {0, 0, 64, 32, 0, 0, 0, font_, 0, 0}); }
  uint32_t TextList() { return Call(695, {0, 0, 60, 16, 2, font_, 0}); }
  uint32_t TextEntry() { return Call(688, {0, 0, font_, 8, 65535}); }
  uint32_t MessageWindow() { return Call(694, {0, 0, 64, 32, 0, 0, 0, font_, 0, 0}); }

  std::unique_ptr<NativeHarness> harness_;
  std::unique_ptr<DirectCalls> calls_;
  uint32_t font_ = 0;
  uint32_t picture_ = 0;
};

TEST_F(ControlNativesTest, CreationsUnderTheMarkerTakeTheFixedDefaults) {
  // A drawn bar: 16 wide, and drawn exactly as one given the standard
  // face, track, hover and pressed colours.
  const uint32_t bar = ScrollBarControl();
  const uint32_t same = Call(690, {0, 0, 1, 16, 0x00D4D0C8, 0x00E2DFDA, 0x400080FF, 0x4000FF80, 0, 0});
  const uint32_t other = Call(690, {0, 0, 1, 16, 0x00D4D0C9, 0x00E2DFDB, 0x400080FF, 0x4000FF80, 0, 0});
  std::vector<std::vector<uint8_t>> pictures;
  for (uint32_t handle : {bar, same, other}) {
    auto* scroll = dynamic_cast<ScrollBar*>(ControlOf(handle));
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->GetWidth(), 16);
    EXPECT_EQ(Call(692, {handle, 120, 10, 2, 0, 0, 0}), 0u);
    ASSERT_NE(scroll->TrackSurface(), nullptr);
    pictures.push_back(Bytes(scroll->ThumbSurface()));
    const auto track = Bytes(*scroll->TrackSurface());
    pictures.back().insert(pictures.back().end(), track.begin(), track.end());
  }
  EXPECT_EQ(pictures[0], pictures[1]);
  EXPECT_NE(pictures[0], pictures[2]);
  EXPECT_EQ(Call(692, {SurfaceButton(), 120, 10, 2, 0, 0, 0}), kMinusOne);

  // Buttons take the factory's pair; under the marker a surface button
  // has a pressed cell and no disabled one.
  auto* button = dynamic_cast<ButtonControl*>(ControlOf(SurfaceButton()));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetFaceColor(), 0x00D4D0C8u);
  EXPECT_EQ(button->GetHighlightColor(), 0x400080FFu);
  EXPECT_TRUE(button->HasPressedCell());
  EXPECT_FALSE(button->HasDisabledCell());

  // A hot spot under the -1 marker: no centre of its own, hit and
  // activation off.
  auto* spot = dynamic_cast<HotSpotControl*>(ControlOf(HotSpot()));
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->GetWidth(), 8);

  // A window under the -1 marker gets no font, which its creation refuses;
  // nothing is listed then.
  const size_t before = Factory().Count();
  EXPECT_EQ(Call(693, {0, 0, 64, 32, 0, kMinusOne}), 1u);
  EXPECT_EQ(Factory().Count(), before);
  EXPECT_NE(ControlOf(Window()), nullptr);

  // An object cell that names no surface refuses the surface button.
  EXPECT_EQ(Call(684, {0, 0, 0, 65535}), kMinusOne);
  // Out of memory passes -2 on.
  Factory().FailNextAllocationsForTest(1);
  EXPECT_EQ(Call(687, {0, 0, 4, 4, 0, 0, 0, 0}), uint32_t(ControlFactory::kOutOfMemory));
}

TEST_F(ControlNativesTest, HostEventsFocusListsAndDeletion) {
  // The last event once, then none.
  Host().SetSelected(5);
  EXPECT_EQ(Call(704, {}), 5u);
  EXPECT_EQ(Call(704, {}), kMinusOne);

  // 699: a canvas image gives its canvas to the factory and the host.
  const uint32_t image = Call(g("NativeCreateCanvasImage"), {32, 16, 32, 1});
  SpriteCanvas* canvas = GetObjectSpriteCanvas(image);
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(Call(699, {picture_}), 1u);
  EXPECT_EQ(Factory().GetCanvas(), &canvas_);
  EXPECT_EQ(Call(699, {image}), 0u);
  EXPECT_EQ(Factory().GetCanvas(), canvas);
  EXPECT_EQ(Host().Canvas(), canvas);
  Factory().SetCanvas(&canvas_);

  // Focus over the attached controls; a handle that reaches nothing is not
  // listed.
  const uint32_t first = ColorBox(), second = ColorBox();
  EXPECT_EQ(Call(705, {first}), 1u);  // empty list
  EXPECT_EQ(Call(713, {first, kMinusOne}), 0u);
  EXPECT_EQ(Call(713, {second, kMinusOne}), 0u);
  EXPECT_EQ(Call(713, {0, 0}), kMinusOne);
  EXPECT_EQ(Call(705, {second}), 0u);
  EXPECT_EQ(Call(706, {}), second);
  EXPECT_EQ(Call(705, {second ^ 0x00100000u}), 2u);
  EXPECT_EQ(Call(705, {0}), 0u);
  EXPECT_EQ(Call(706, {}), 0u);

  // Push and pop of the control list.
  EXPECT_EQ(Call(718, {}), 0u);
  EXPECT_TRUE(Host().Controls().empty());
  EXPECT_EQ(Call(718, {}), 1u);  // nothing to save
  EXPECT_EQ(Call(719, {}), 0u);
  EXPECT_EQ(Host().Controls().size(), 2u);
  EXPECT_EQ(Call(719, {}), 1u);
  EXPECT_EQ(Call(714, {first}), 0u);
  EXPECT_EQ(Host().Controls().size(), 1u);
  EXPECT_EQ(Call(715, {}), 0u);
  EXPECT_TRUE(Host().Controls().empty());

  // 712 through the script's variable: a null cell 1, a control the
  // factory no longer lists 2 with the cell kept, else 0 and the cell
  // cleared.
  const uint32_t empty = calls_->Word(0);
  EXPECT_EQ(Call(712, {empty}), 1u);
  const uint32_t variable = calls_->Word(first);
  EXPECT_EQ(Call(712, {variable}), 0u);
  EXPECT_EQ(calls_->Load(variable), 0u);
  const uint32_t stale = calls_->Word(first);
  EXPECT_EQ(Call(712, {stale}), 2u);
  EXPECT_EQ(calls_->Load(stale), first);
  EXPECT_EQ(ControlOf(first), nullptr);

  // Groups and all at once: their handles go with them.
  EXPECT_EQ(Call(710, {3}), 0u);
  const uint32_t grouped = ColorBox();
  EXPECT_EQ(Call(710, {0}), 0u);
  EXPECT_EQ(Call(711, {3, 0}), 0u);
  EXPECT_EQ(ControlOf(grouped), nullptr);
  EXPECT_NE(ControlOf(second), nullptr);
  EXPECT_EQ(Call(708, {}), 0u);
  EXPECT_EQ(Factory().Count(), 0u);
  EXPECT_EQ(ControlOf(second), nullptr);
}

// A scroll bar attached through 713 comes with its two buttons; after the
// host's 715 clears the list it can be attached again, and 714 detaches it
// whole. Attached twice without a clear, it is refused.
TEST_F(ControlNativesTest, AScrollBarAttachesAgainAfterTheHostIsCleared) {
  const uint32_t bar = ScrollBarControl();
  ASSERT_NE(ControlOf(bar), nullptr);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(Call(713, {bar, kMinusOne}), 0u);
    EXPECT_EQ(Host().Controls().size(), 3u);
    EXPECT_EQ(Call(713, {bar, kMinusOne}), kMinusOne);
    EXPECT_EQ(Call(715, {}), 0u);
    EXPECT_TRUE(Host().Controls().empty());
  }
  EXPECT_EQ(Call(713, {bar, kMinusOne}), 0u);
  EXPECT_EQ(Call(714, {bar}), 0u);
  EXPECT_TRUE(Host().Controls().empty());
  EXPECT_EQ(Call(713, {bar, kMinusOne}), 0u);
  EXPECT_EQ(Host().Controls().size(), 3u);
  EXPECT_EQ(Call(715, {}), 0u);
}

// A canvas image the scripts gave the controls and then deleted: the host
// and the factory let go of it (the controls and the tip stay, drawn
// nowhere, one line logged; the input-mode indicator, whose sprite was in
// the canvas, goes) until a new canvas comes through 699.
TEST_F(ControlNativesTest, ADeletedControlCanvasIsLetGo) {
  ImeContext ime;
  Factory().imeContext = &ime;
  const uint32_t image = Call(g("NativeCreateCanvasImage"), {32, 16, 32, 1});
  ASSERT_NE(GetObjectSpriteCanvas(image), nullptr);
  EXPECT_EQ(Call(699, {image}), 0u);
  const uint32_t box = ColorBox();
  EXPECT_EQ(Call(713, {box, kMinusOne}), 0u);
  EXPECT_EQ(Call(717, {font_, 2, 2}), 0u);
  ASSERT_NE(Factory().GetImeIndicator(), nullptr);
  Host().ShowTooltip("tip", 4, 4);
  const size_t logged = harness_->Host().LogLines().size();

  EXPECT_EQ(Call(g("NativeDeleteImage"), {calls_->Word(image)}), 0u);
  EXPECT_EQ(Host().Canvas(), nullptr);
  EXPECT_EQ(Factory().GetCanvas(), nullptr);
  EXPECT_EQ(Factory().GetImeIndicator(), nullptr);
  EXPECT_EQ(Host().TipSprite().OwningList(), nullptr);
  EXPECT_EQ(harness_->Host().LogLines().size(), logged + 1);
  Factory().imeContext = nullptr;

  // Frames and tips go on with nothing to draw into; a control made
  // without a canvas is refused, the ones made before stay.
  Host().OnPointerMoved(6, 6);
  Call(703, {});
  Host().ShowTooltip("tip", 8, 8);
  EXPECT_EQ(Host().TipSprite().OwningList(), nullptr);
  EXPECT_EQ(ControlOf(ColorBox()), nullptr);
  ASSERT_NE(ControlOf(box), nullptr);
  EXPECT_EQ(Host().Controls().size(), 1u);

  const uint32_t next = Call(g("NativeCreateCanvasImage"), {32, 16, 32, 1});
  SpriteCanvas* canvas = GetObjectSpriteCanvas(next);
  EXPECT_EQ(Call(699, {next}), 0u);
  EXPECT_EQ(Host().Canvas(), canvas);
  EXPECT_EQ(Factory().GetCanvas(), canvas);
  EXPECT_EQ(Host().TipSprite().OwningList(), &canvas->MainList());
  EXPECT_EQ(harness_->Host().LogLines().size(), logged + 1);
}

TEST_F(ControlNativesTest, FactoryDefaults) {
  EXPECT_EQ(Call(709, {1}), 0u);
  EXPECT_TRUE(Factory().useOverlay);
  EXPECT_EQ(Call(709, {0}), 1u);
  EXPECT_EQ(Call(739, {0x00112233, 0x40445566}), 0u);
  auto* button = dynamic_cast<ButtonControl*>(ControlOf(SurfaceButton()));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetFaceColor(), 0x00112233u);
  EXPECT_EQ(button->GetHighlightColor(), 0x40445566u);
  EXPECT_EQ(Call(742, {1, 2, 3}), 0u);
  EXPECT_EQ(Call(743, {4, 5, 6}), 0u);
  EXPECT_EQ(Call(744, {7, 8}), 0u);
  EXPECT_EQ(Call(745, {9, 10, 11, 0}), 0u);
  const ControlFactory& f = Factory();
  EXPECT_EQ(f.textEntryTextColour, 1u);
  EXPECT_EQ(f.textEntryFillColour, 2u);
  EXPECT_EQ(f.textEntryImeOnFocus, 3u);
  EXPECT_EQ(f.textEntrySize, 4);
  EXPECT_EQ(f.textEntryCompositionColour, 5);
  EXPECT_EQ(f.textEntryCompositionBackColour, 6);
  EXPECT_EQ(f.scrollClickMode, 7);
  EXPECT_EQ(f.scrollKeyStep, 8u);
  EXPECT_EQ(f.panelBackColour, 9u);
  EXPECT_EQ(f.panelHoverColour, 10u);
  EXPECT_EQ(f.panelSelectColour, 11u);
  EXPECT_EQ(f.panelDefaultState, 0u);
}

// Each per-control native on the kinds it serves and its refusal for a
// null handle and for every other kind.
TEST_F(ControlNativesTest, PerControlNativesServeTheirKindsAndRefuseTheRest) {
  const uint32_t controls[] = {SurfaceButton(), SurfaceCheckButton(), ColorBox(), ScrollBarControl(),
                               Window(),        TextList(),           HotSpot()};
  const int32_t kinds[] = {kControlPushButton, kControlCheckButton, kControlColorBox, kControlScrollBar,
                           kControlWindow,     kControlTextList,    kControlHotSpot};
  for (size_t i = 0; i < std::size(controls); ++i) {
    ASSERT_NE(ControlOf(controls[i]), nullptr) << i;
    ASSERT_EQ(ControlOf(controls[i])->GetKind(), kinds[i]);
  }
  struct Row {
    uint32_t native;
    std::vector<uint32_t> rest;
    std::vector<int32_t> served;
    uint32_t refused;
  };
  const std::vector<int32_t> all(std::begin(kinds), std::end(kinds));
  const Row rows[] = {
      {720, {7}, all, 0},
      {725, {}, all, 0},
      {727, {}, all, 0},
      {740, {3}, {kControlCheckButton}, kMinusOne},
      {741, {}, {kControlCheckButton}, kMinusOne},
      {752, {}, {kControlWindow, kControlTextList}, 0},
      {755, {1}, {}, 0},
      {757, {0}, {}, 0},
      {758, {}, {}, 0},
      {759, {0, kMinusOne, 0}, {}, 1},
      {768, {}, {}, 0},
      {778, {60, 16, 0, 0}, {kControlTextList}, 4},
      {781, {1, 2, 3}, {kControlTextList}, 0},
      {782, {1, 2, 3, 4, 5, 6}, {kControlTextList}, 0},
      {784, {0, 0, kMinusOne}, {kControlTextList}, 4},
      {787, {}, {kControlTextList}, kMinusOne},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Call(row.native, [&] {
                std::vector<uint32_t> cells{0};
                cells.insert(cells.end(), row.rest.begin(), row.rest.end());
                return cells;
              }()),
              row.refused)
        << row.native << " null";
    for (size_t i = 0; i < std::size(controls); ++i) {
      std::vector<uint32_t> cells{controls[i]};
      cells.insert(cells.end(), row.rest.begin(), row.rest.end());
      const uint32_t result = Call(row.native, cells);
      const bool served = std::find(row.served.begin(), row.served.end(), kinds[i]) != row.served.end();
      if (served) {
        if (row.native == 720 || row.native == 752 || row.native == 781 || row.native == 782) {
          EXPECT_EQ(result, 1u) << row.native << " kind " << kinds[i];
        }
      } else {
        EXPECT_EQ(result, row.refused) << row.native << " kind " << kinds[i];
      }
    }
  }
  EXPECT_EQ(ControlOf(controls[0])->GetTag(), 7);

  // The three cells are the activate, hover and leave sound codes of the
  // kind's event operation, whose other values are none: values, never
  // addresses. 1 for windows, -1 for none.
  const uint32_t word = calls_->Word(0);
  EXPECT_EQ(Call(723, {0, word, 6, 7}), kMinusOne);
  EXPECT_EQ(Call(723, {controls[4], word, 6, 7}), 1u);
  EXPECT_EQ(Call(723, {controls[2], word, 6, 7}), 0u);
  auto* box = dynamic_cast<ColorBoxControl*>(ControlOf(controls[2]));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->GetEvents(), nullptr);
  EXPECT_EQ(box->GetEvents()->activateCode, int32_t(word));
  EXPECT_EQ(box->GetEvents()->hoverCode, 6);
  EXPECT_EQ(box->GetEvents()->leaveCode, 7);
  EXPECT_EQ(box->GetEvents()->clicked.address, 0u) << "no flag cell";
  EXPECT_EQ(box->GetEvents()->hover.address, 0u);
  EXPECT_EQ(box->GetEvents()->leave.address, 0u);

  // Enable, show and move.
  EXPECT_EQ(Call(724, {controls[2], 0}), 1u);
  EXPECT_EQ(Call(725, {controls[2]}), 0u);
  EXPECT_EQ(Call(724, {controls[2], 0}), 0u);  // unchanged
  EXPECT_EQ(Call(726, {controls[0], 0}), 1u);
  EXPECT_EQ(Call(727, {controls[0]}), 0u);
  EXPECT_EQ(Call(728, {controls[0], 30, 40}), 1u);
  EXPECT_EQ(ControlOf(controls[0])->GetX(), 30);

  // Values: the check button on by its value, the bar's position.
  EXPECT_EQ(Call(735, {controls[1], 1}), 0u);
  EXPECT_EQ(Call(736, {controls[1]}), 1u);
  EXPECT_EQ(Call(741, {controls[1]}), 1u);
  EXPECT_EQ(Call(735, {controls[2], 1}), kMinusOne);
  EXPECT_EQ(Call(736, {0}), kMinusOne);

  // 746 on anything but a bar clears both variables and answers 0.
  const uint32_t low = calls_->Word(9), high = calls_->Word(9);
  EXPECT_EQ(Call(746, {controls[0], low, high}), 0u);
  EXPECT_EQ(calls_->Load(low), 0u);
  EXPECT_EQ(calls_->Load(high), 0u);
  EXPECT_EQ(Call(746, {controls[3], low, 0}), 1u);

  // A text list line, then the list as the registered message window; a
  // button in its place unregisters it and answers 1.
  const uint32_t text = calls_->Text("line");
  EXPECT_EQ(Call(784, {controls[5], text, 3, kMinusOne}), 0u);
  EXPECT_EQ(static_cast<TextListControl*>(ControlOf(controls[5]))->LineCount(), 1);
  EXPECT_EQ(Call(786, {controls[5]}), 0u);
  EXPECT_EQ(harness_->Host().ControlHandles().messageWindow, controls[5]);
  EXPECT_EQ(Call(787, {controls[5]}), 0u);
  EXPECT_EQ(Call(786, {controls[0]}), 1u);
  EXPECT_EQ(harness_->Host().ControlHandles().messageWindow, 0u);
  EXPECT_EQ(Call(787, {controls[5]}), 1u);  // nothing to link
}

// 733 and 734 hand out the control's own sprite and surface under
// display-object handles the drawing natives take; kinds without them, and
// a null handle, get 0.
TEST_F(ControlNativesTest, SpriteAndSurfaceHandlesNameTheControlsOwnObjects) {
  DrawObjectManager* display = ScriptDisplayObjects();
  const uint32_t button = SurfaceButton(), check = SurfaceCheckButton(), box = ColorBox(),
                 entry = TextEntry(), bar = ScrollBarControl(), window = Window(), list = TextList(),
                 spot = HotSpot(), message = MessageWindow();
  ASSERT_NE(ControlOf(entry), nullptr);
  ASSERT_NE(ControlOf(message), nullptr);
  auto* windowControl = dynamic_cast<WindowControl*>(ControlOf(window));
  auto* messageControl = dynamic_cast<WindowControl*>(ControlOf(message));
  auto* entryControl = dynamic_cast<TextEntryControl*>(ControlOf(entry));
  ASSERT_NE(entryControl, nullptr);
  struct Row {
    uint32_t control;
    const Drawable* sprite;  // null: 733 answers 0
    uint32_t surface;        // 734's answer when it names no lent surface
    const Image* lent;       // the lent surface 734 names
  };
  const Row rows[] = {
      {0, nullptr, 0, nullptr},
      {button, &dynamic_cast<ButtonControl*>(ControlOf(button))->Sprite(), picture_, nullptr},
      {check, &dynamic_cast<CheckButtonControl*>(ControlOf(check))->Sprite(), picture_, nullptr},
      {box, &dynamic_cast<ColorBoxControl*>(ControlOf(box))->Box(), 0, nullptr},
      {entry, &entryControl->TextSprite(), 0, &entryControl->TextSurface()},
      {bar, nullptr, 0, nullptr},
      {window, &windowControl->WindowSprite(), 0, &windowControl->GetSurface()},
      {spot, nullptr, 0, nullptr},
      {message, &messageControl->WindowSprite(), 0, &messageControl->GetSurface()},
  };
  for (const Row& row : rows) {
    const uint32_t sprite = Call(733, {row.control, 0});
    EXPECT_EQ(display->GetSprite(sprite), row.sprite) << row.control;
    EXPECT_EQ(sprite != 0, row.sprite != nullptr) << row.control;
    EXPECT_EQ(Call(733, {row.control, 0}), sprite) << "asked again, the same handle";
    const uint32_t surface = Call(734, {row.control, 0});
    if (row.lent != nullptr) {
      EXPECT_EQ(display->GetImage(surface), row.lent) << row.control;
      EXPECT_TRUE(display->IsLent(surface));
    } else {
      // A borrowed surface answers with its owner's handle.
      EXPECT_EQ(surface, row.surface) << row.control;
    }
  }
  // The drawing natives reach the window's page through its handle.
  const uint32_t page = Call(734, {window, 0});
  EXPECT_EQ(Call(g("NativeGetImageWidth"), {page}), 64u);

  // A text list: -1 and -2 its header and footer strips, a line's sprite
  // by index; 734 answers the line's value.
  const uint32_t text = calls_->Text("line");
  ASSERT_EQ(Call(784, {list, text, 7, kMinusOne}), 0u);
  ASSERT_EQ(Call(784, {list, text, kMinusOne, kMinusOne}), 0u);
  auto* lines = dynamic_cast<TextListControl*>(ControlOf(list));
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(display->GetSprite(Call(733, {list, 1})), lines->LineSprite(1));
  EXPECT_EQ(Call(733, {list, 2}), 0u);
  EXPECT_EQ(Call(733, {list, kMinusOne}), 0u);  // no header
  EXPECT_EQ(Call(734, {list, 0}), 7u);
  EXPECT_EQ(Call(734, {list, 1}), 1u);  // no value: its index
  EXPECT_EQ(Call(734, {list, 5}), 0u);
  ASSERT_EQ(Call(778, {list, 60, 16, 4, 4}), 0u);
  EXPECT_EQ(display->GetSprite(Call(733, {list, kMinusOne})), lines->HeaderSprite());
  EXPECT_EQ(display->GetSprite(Call(733, {list, uint32_t(-2)})), lines->FooterSprite());
}

// Once the control goes (or a text list drops its lines), the handles it
// lent are stale: the drawing natives refuse them, and a new object never
// takes them.
TEST_F(ControlNativesTest, HandlesOfADeletedControlAreRefused) {
  const uint32_t window = Window();
  const uint32_t sprite = Call(733, {window, 0});
  const uint32_t page = Call(734, {window, 0});
  ASSERT_NE(sprite, 0u);
  ASSERT_NE(page, 0u);
  // A sprite of the scripts' own that shows the window's page lets go of
  // it too.
  const uint32_t shown = Call(g("NativeCreateImageSprite"), {page, 65535});
  auto* shownSprite = dynamic_cast<ImageSprite*>(ScriptDisplayObjects()->GetSprite(shown));
  ASSERT_NE(shownSprite, nullptr);
  EXPECT_NE(shownSprite->GetSource(), nullptr);

  const uint32_t variable = calls_->Word(window);
  ASSERT_EQ(Call(712, {variable}), 0u);
  EXPECT_EQ(ScriptDisplayObjects()->GetSprite(sprite), nullptr);
  EXPECT_EQ(ScriptDisplayObjects()->GetImage(page), nullptr);
  EXPECT_EQ(shownSprite->GetSource(), nullptr);
  EXPECT_EQ(Call(g("NativeGetImageWidth"), {page}), 0u);
  EXPECT_EQ(Call(g("NativeFillRect"), {page, 0x00FF0000, 0, 0, 4, 4}), 0u);
  const uint32_t spriteVariable = calls_->Word(sprite);
  EXPECT_EQ(Call(g("NativeDeleteSprite"), {spriteVariable}), 2u);
  EXPECT_EQ(Call(733, {window, 0}), 0u);
  const uint32_t fresh = Call(734, {Window(), 0});
  EXPECT_NE(fresh, page);

  // Group deletion and the run's end take loans back too; so does a list
  // that clears its lines.
  const uint32_t list = TextList();
  ASSERT_EQ(Call(784, {list, calls_->Text("line"), 3, kMinusOne}), 0u);
  const uint32_t line = Call(733, {list, 0});
  ASSERT_NE(line, 0u);
  ASSERT_EQ(Call(752, {list}), 1u);
  EXPECT_EQ(ScriptDisplayObjects()->GetSprite(line), nullptr);
  const uint32_t entry = Call(733, {TextEntry(), 0});
  ASSERT_NE(ScriptDisplayObjects()->GetSprite(entry), nullptr);
  EXPECT_EQ(Call(708, {}), 0u);
  EXPECT_EQ(ScriptDisplayObjects()->GetSprite(entry), nullptr);
  const uint32_t last = Call(734, {Window(), 0});
  objects_.Reset();
  EXPECT_EQ(ScriptDisplayObjects()->GetImage(last), nullptr);
}

// 737 sets the display flag of buttons, check buttons and scroll bars
// (hovering shows the resting look); 738 the input lock of its kinds;
// both -1 for the rest and for a null handle.
TEST_F(ControlNativesTest, FlagAndOptionByKind) {
  const uint32_t button = SurfaceButton(), check = SurfaceCheckButton(), box = ColorBox(),
                 entry = TextEntry(), bar = ScrollBarControl(), window = Window(), list = TextList(),
                 spot = HotSpot(), message = MessageWindow();
  struct Row {
    uint32_t control;
    uint32_t flag, option;
  };
  const Row rows[] = {
      {0, kMinusOne, kMinusOne},   {button, 0, kMinusOne}, {check, 0, 0},
      {box, kMinusOne, kMinusOne}, {entry, kMinusOne, 0},  {bar, 0, kMinusOne},
      {window, kMinusOne, 0},      {list, kMinusOne, 0},   {spot, kMinusOne, kMinusOne},
      {message, kMinusOne, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Call(737, {row.control, 1}), row.flag) << row.control;
    EXPECT_EQ(Call(738, {row.control, 0}), row.option) << row.control;
  }

  // The flag on a button: the hover state shows the normal cell; off again,
  // the hover cell.
  auto* push = dynamic_cast<ButtonControl*>(ControlOf(button));
  ASSERT_NE(push, nullptr);
  push->SetState(PushControl::kHover);
  EXPECT_EQ(push->Sprite().GetSourceRect().left, 0);
  EXPECT_EQ(Call(737, {button, 0}), 0u);
  EXPECT_EQ(push->Sprite().GetSourceRect().left, push->GetWidth());
  // A check button hovered while on shows its resting on cell.
  auto* box2 = dynamic_cast<CheckButtonControl*>(ControlOf(check));
  ASSERT_NE(box2, nullptr);
  box2->SetState(4);
  EXPECT_EQ(box2->ShownCell(), CheckButtonControl::CellOf(box2->GetStyle(), 3, false));
  EXPECT_EQ(Call(737, {check, 0}), 0u);
  EXPECT_EQ(box2->ShownCell(), CheckButtonControl::CellOf(box2->GetStyle(), 4, false));
  // The bar passes it on to its arrows.
  auto* scroll = dynamic_cast<ScrollBar*>(ControlOf(bar));
  ASSERT_NE(scroll, nullptr);
  EXPECT_TRUE(scroll->GetDisplayFlag());
  ASSERT_NE(scroll->BackButton(), nullptr);
  EXPECT_TRUE(scroll->BackButton()->GetDisplayFlag());
}

}  // namespace
}  // namespace orrivel::testing
