// The choice list: its layout, its frame pictures, the choice memory, and
// the hover, keys, pointer and activation it reports to the host, with
// golden pictures of its line cells.
#include "scene/TextListControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BlockFont.h"
#include "ControlTestSupport.h"
#include "GoldenSupport.h"
#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "base/BitArray.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "script/ScriptAddressSpace.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"
#include "text/FontTestSupport.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;
using platform::DIK_DOWN;
using platform::DIK_RETURN;
using platform::DIK_UP;

class TextListControlTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
  }
  // A configured list of lines 60 x 20 around (100, 100), in the host.
  void Make(std::vector<TextListLineArgs> lines, int32_t spacing = 0) {
    if (list.GetHost() == nullptr) {
      ASSERT_EQ(host.AddControl(&list, -1), 0u);
    }
    ASSERT_EQ(list.Configure(&sprites, 3, 100, 100, 60, 20, spacing, &font, 0), 0);
    for (const auto& line : lines) ASSERT_EQ(list.AddLine(line), 0);
  }
  static TextListLineArgs Line(const char* text, bool disabled = false, int32_t value = -1) {
    TextListLineArgs s;
    s.text = text;
    s.disabled = disabled;
    s.value = value;
    return s;
  }
  int32_t Frame(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
    return host.Update(clock.TickMs());
  }
  int32_t ShownCell(int32_t line) {
    return list.LineSprite(line)->GetSourceRect().left / list.CellWidth();
  }
  // Every line picture, one below the other.
  void Stack(Surface* out) {
    const Surface* first = list.LinePicture(0);
    ASSERT_EQ(out->Create(first->GetWidth(), first->GetHeight() * list.LineCount(), 32, 0), 0);
    for (int32_t i = 0; i < list.LineCount(); ++i)
      out->Copy(list.LinePicture(i), 0, i * first->GetHeight(), nullptr, false);
  }
  // The centre of a line on the screen.
  int32_t LineY(int32_t line) { return list.LineSprite(line)->GetY() + 10; }

  test::RecordingHost host;
  SpriteList sprites;
  test::BlockFont font;
  TextListControl list;
};

// --- layout ----------------------------------------------------------------------------------------

TEST_F(TextListControlTest, LayoutCentresTheListAndHeaderOrFooterIgnoreSpacing) {
  struct Case {
    const char* what;
    int32_t lineHeight, spacing, header, footer, lines;
    int32_t height, top;
    std::vector<int32_t> lineTops;
    int32_t footerTop;  // -1 none
  };
  const Case cases[] = {
      {"spacing between loose lines", 20, 4, 0, 0, 3, 68, 66, {66, 90, 114}, -1},
      {"header and footer: lines touch", 20, 4, 10, 6, 3, 76, 62, {72, 92, 112}, 132},
      {"header alone", 20, 4, 5, 0, 2, 45, 78, {83, 103}, -1},
      {"odd height: the extra pixel below", 21, 0, 0, 0, 1, 21, 90, {90}, -1},
      {"one even line", 20, 0, 0, 0, 1, 20, 90, {90}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextListControl l;
    if (c.header != 0 || c.footer != 0) {
      ASSERT_EQ(l.SetLineSize(60, c.lineHeight, c.header, c.footer), 0);
    }
    ASSERT_EQ(l.Configure(&sprites, 0, 40, 100, 60, c.lineHeight, c.spacing, &font, 0), 0);
    for (int i = 0; i < c.lines; ++i) ASSERT_EQ(l.AddLine(Line("x")), 0);
    EXPECT_EQ(l.GetHeight(), c.height);
    EXPECT_EQ(l.GetY(), c.top);
    EXPECT_EQ(l.GetX(), 40);
    EXPECT_EQ(l.GetWidth(), 60);
    for (int i = 0; i < c.lines; ++i) EXPECT_EQ(l.LineSprite(i)->GetY(), c.lineTops[size_t(i)]) << i;
    if (c.header != 0) {
      EXPECT_EQ(l.HeaderSprite()->GetY(), c.top);
    }
    if (c.footerTop >= 0) {
      EXPECT_EQ(l.FooterSprite()->GetY(), c.footerTop);
    }
    // Every sprite lies inside the reported rectangle.
    Rect bounds;
    for (int i = 0; i < c.lines; ++i) {
      l.LineSprite(i)->GetBounds(&bounds);
      EXPECT_GE(bounds.top, l.GetY());
      EXPECT_LE(bounds.bottom, l.GetY() + l.GetHeight());
    }
  }
}

TEST_F(TextListControlTest, RefusalsOfConfigurationAndLines) {
  TextListControl l;
  EXPECT_EQ(l.AddLine(Line("x")), 1);  // not configured
  EXPECT_EQ(l.Configure(&sprites, 0, 0, 0, 60, 20, 0, nullptr, 0), 1);
  ASSERT_EQ(l.Configure(&sprites, 0, 0, 0, 60, 20, 0, &font, 0), 0);
  EXPECT_EQ(l.AddLine(Line(nullptr)), 1);
  EXPECT_EQ(l.SetLineSize(0, 20, 0, 0), 1);
  EXPECT_EQ(l.SetLineSize(60, -1, 0, 0), 1);
  EXPECT_FALSE(l.IsVisible());
  EXPECT_EQ(l.AttachToSpriteList(0, 0, 1), 1);
  EXPECT_EQ(l.IsReady(), 0);
  // An empty text makes a line without a record; its value is its index.
  ASSERT_EQ(l.AddLine(Line("")), 0);
  EXPECT_EQ(l.Record(0), nullptr);
  EXPECT_EQ(l.ValueOf(0), 0);
  EXPECT_TRUE(l.IsVisible());
  EXPECT_EQ(l.SetBackground(1, 0, 128), -1);  // the stored values: nothing to do
  EXPECT_EQ(l.SetBackground(1, 0x203040, 128), 0);
  EXPECT_EQ(l.LinePicture(0)->GetPixel(0, 0), 0x80203040u);
}

TEST_F(TextListControlTest, FrameCellRulesAndTheDisabledCellOffset) {
  struct Case {
    int32_t cells;
    bool pressed, disabled;
    int32_t result;
  };
  const Case cases[] = {
      {0, false, false, 1}, {5, false, false, 1}, {2, true, false, 1},  {2, false, true, 1},
      {3, true, true, 1},   {1, false, false, 0}, {2, false, false, 0}, {3, true, false, 0},
      {3, false, true, 0},  {4, true, true, 0},
  };
  auto strip = test::MakeSolid32(160, 24, 0xFF336699u);
  const TextListControl::FrameFiles noFiles;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.cells << " cells " << c.pressed << c.disabled);
    TextListControl l;
    EXPECT_EQ(l.SetFrameSurfaces(c.cells, c.pressed, c.disabled, {strip.get()}, {}, {}), c.result);
    if (c.result == 0) {
      EXPECT_EQ(l.CellWidth(), c.cells == 1 ? 160 : 160 / c.cells);
      EXPECT_EQ(l.CellCount(), c.cells == 1 ? 2 : c.cells);
      EXPECT_EQ(l.DisabledCellOffset(), c.disabled ? 160 / c.cells * (c.cells - 1) : 0);
      EXPECT_EQ(l.LineHeight(), 24);
    }
    // The same rules hold before any file is read.
    if (c.result != 0) {
      EXPECT_EQ(l.SetFrameFiles(c.cells, c.pressed, c.disabled, {"NONE.BMP"}, noFiles, noFiles), 1);
    }
  }
  TextListControl l;
  EXPECT_EQ(l.SetFrameSurfaces(2, false, false, {}, {}, {}), 1);  // no body picture nor mask
  EXPECT_EQ(l.SetFrameFiles(2, false, false, noFiles, noFiles, noFiles), 1);
  EXPECT_EQ(l.SetFrameFiles(2, false, false, {"NONE.BMP"}, noFiles, noFiles), 2);  // does not load
  EXPECT_FALSE(l.HasFrame());
}

// --- choice memory and activation ------------------------------------------------------------------

TEST_F(TextListControlTest, ChoiceBitsFollowTheValueNotTheIndex) {
  ScriptAddressSpace space;
  const uint32_t out = space.Allocate(4);
  BitArray bits;
  ASSERT_EQ(bits.Resize(64), 0);
  list.SetChoiceMemory(&bits, 20, ScriptCell{&space, out});
  list.SetTag(10);
  Make({Line("a"), Line("b", false, 3), Line("c")});
  host.TakeLog();
  EXPECT_TRUE(list.Activate(1));
  uint32_t written = 0;
  space.Read32(out, written);
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(bits.Test(23));
  EXPECT_FALSE(bits.Test(21));
  EXPECT_EQ(host.TakeLog(), (Log{"selected 11", "sound - -4"}));
  EXPECT_TRUE(list.IsLocked());

  // A later list sharing the memory shows value 3 as chosen, at any index,
  // in the chosen colour; value 5 is not chosen.
  TextListControl next;
  ASSERT_EQ(next.CopyChoiceMemory(&list), 0);
  EXPECT_EQ(next.CopyChoiceMemory(nullptr), 1);
  ASSERT_EQ(next.Configure(&sprites, 0, 0, 100, 60, 20, 0, &font, 0), 0);
  ASSERT_EQ(next.AddLine(Line("x", false, 5)), 0);
  ASSERT_EQ(next.AddLine(Line("y", false, 3)), 0);
  EXPECT_FALSE(next.IsChosen(0));
  EXPECT_TRUE(next.IsChosen(1));
  const int32_t tx = 8 + 2, ty = 2 + 2;
  EXPECT_EQ(next.LinePicture(0)->GetPixel(tx, ty) & 0xFFFFFF, 0xFFFFFFu);  // normal colour
  EXPECT_EQ(next.LinePicture(1)->GetPixel(tx, ty) & 0xFFFFFF, 0x8FDFDFu);  // chosen colour
  EXPECT_EQ(next.LinePicture(1)->GetPixel(60 + tx, ty) & 0xFFFFFF, 0xFFF000u);  // hover cell
  next.markChosen = 0;
  EXPECT_FALSE(next.IsChosen(1));
}

TEST_F(TextListControlTest, RecordsReportTheirCellsEventsAndSounds) {
  ScriptAddressSpace space;
  const uint32_t cells = space.Allocate(12);
  auto cell = [&](uint32_t offset) {
    uint32_t v = 0;
    space.Read32(cells + offset, v);
    return v;
  };
  TextListLineArgs line = Line("go");
  line.target = "SCENE";
  line.targetNumber = 7;
  line.targetLabel = "LABEL";
  line.hoverText = "help";
  line.activatedFlag = {&space, cells};
  line.hoverFlag = {&space, cells + 4};
  line.idleFlag = {&space, cells + 8};
  list.SetSounds("pick", nullptr, "away", 9, 5, -1);
  Make({line, Line("plain")});
  host.TakeLog();
  EXPECT_TRUE(list.EnterLine(0));
  EXPECT_EQ(cell(4), 1u);
  EXPECT_EQ(cell(8), 0u);
  EXPECT_STREQ(list.GetHoverText(), "help");
  EXPECT_EQ(ShownCell(0), 1);
  list.LeaveLine(0);
  EXPECT_EQ(cell(4), 0u);
  EXPECT_EQ(cell(8), 1u);
  EXPECT_EQ(list.GetHoverText(), nullptr);
  EXPECT_EQ(ShownCell(0), 0);
  EXPECT_FALSE(list.EnterLine(2));  // out of range: ignored
  list.LeaveLine(-1);
  list.Activate(0);
  EXPECT_EQ(cell(0), 1u);
  // Names force number 0; a preset number plays; none gives the default.
  EXPECT_EQ(host.TakeLog(),
            (Log{"sound - 5", "sound away 0", "sound pick 0", "event LABEL SCENE 7"}));
  // A line without targets runs no event; an index out of range reports
  // only the sound (the tag is unset).
  list.Activate(1);
  list.Activate(9);
  EXPECT_EQ(host.TakeLog(), (Log{"sound pick 0", "sound pick 0"}));
}

// --- input -------------------------------------------------------------------------------------------

TEST_F(TextListControlTest, KeysSkipDisabledLinesAndWrapWhenTheHostCannotMoveOn) {
  host.pointerMode = 2;  // as the game's host: keys move the hover directly
  list.SetTag(0);
  Make({Line("a"), Line("b", true), Line("c"), Line("d", true)});
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&list), 0u);
  EXPECT_EQ(list.GetHovered(), 0);  // focus by keys hovers the first enabled line
  struct Step {
    uint8_t key;
    int32_t hovered;
  };
  const Step steps[] = {{DIK_DOWN, 2}, {DIK_DOWN, 0}, {DIK_UP, 2}, {DIK_UP, 0}, {DIK_UP, 2}};
  for (const Step& s : steps) {
    Frame(600, 400, {s.key});
    EXPECT_EQ(list.GetHovered(), s.hovered);
    EXPECT_EQ(ShownCell(s.hovered), 1);
    EXPECT_EQ(host.pointerX, 641);  // parked after each key
    Frame(600, 400);
  }
  EXPECT_EQ(ShownCell(0), 0);
}

TEST_F(TextListControlTest, AtTheEndsTheHostMovesTheFocusOn) {
  host.pointerMode = 2;
  test::LoggingControl other("other", &host, 0, 0, 5, 5);
  Make({Line("a"), Line("b")});
  ASSERT_EQ(host.AddControl(&other, -1), 0u);
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&list), 0u);
  Frame(600, 400, {DIK_DOWN});
  EXPECT_EQ(list.GetHovered(), 1);
  Frame(600, 400);
  Frame(600, 400, {DIK_DOWN});
  EXPECT_EQ(host.GetFocused(), &other);
  EXPECT_EQ(list.GetHovered(), -1);
  EXPECT_EQ(ShownCell(1), 0);
}

TEST_F(TextListControlTest, ThePointerHoversOnlyEnabledLinesAfterItMoves) {
  // Lines at 70, 90 and 110 from (100, 70); the list appears under a
  // resting pointer, which hovers nothing until it moves over 3 pixels.
  const int32_t x = 130;
  host.pointerX = x, host.pointerY = 80;
  Make({Line("a"), Line("b", true), Line("c")});
  ASSERT_EQ(LineY(0), 80);
  Frame(x, LineY(0));
  Frame(x + 2, LineY(0));
  EXPECT_EQ(list.GetHovered(), -1);
  Frame(x + 5, LineY(0));
  EXPECT_EQ(list.GetHovered(), 0);
  Frame(x + 5, LineY(1));
  EXPECT_EQ(list.GetHovered(), -1);  // disabled
  Frame(x + 5, LineY(2));
  EXPECT_EQ(list.GetHovered(), 2);
  // Margins do not count: the top two pixels of a line and the sides.
  Frame(list.GetX() + 3, LineY(2));
  EXPECT_EQ(list.GetHovered(), -1);
  Frame(x, list.LineSprite(2)->GetY() + 1);
  EXPECT_EQ(list.GetHovered(), -1);
  EXPECT_EQ(list.LineAt(30, 45), 2);
  EXPECT_EQ(list.LineAt(30, 61), -1);
}

TEST_F(TextListControlTest, ClickActivatesOnReleaseOverThePressedLineOnly) {
  list.SetTag(0);
  Make({Line("a"), Line("b"), Line("c")});
  const int32_t x = list.GetX() + 30;
  Frame(0, 0);
  Frame(x, LineY(1));
  ASSERT_EQ(list.GetHovered(), 1);
  host.TakeLog();
  EXPECT_EQ(Frame(x, LineY(1), {}, 1), ControlHost::kUpdateButtons);
  EXPECT_EQ(list.GetPressState(), TextListControlBase::kPressed);
  EXPECT_EQ(ShownCell(1), 1);  // no pressed cell: the hover cell, pushed by the press offset
  // Leaving the line while held: the release activates nothing.
  Frame(x, LineY(2), {}, 1);
  Frame(x, LineY(2), {}, 0);
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -2", "sound - -3"}));
  EXPECT_FALSE(list.IsLocked());
  // Press and release on the same line.
  Frame(x, LineY(2), {}, 1);
  Frame(x, LineY(2), {}, 0);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 2", "sound - -4"}));
  EXPECT_TRUE(list.IsLocked());
  // Locked: neither pointer nor keys do anything until lines are added.
  Frame(x, LineY(0), {DIK_DOWN}, 1);
  Frame(x, LineY(0), {DIK_RETURN}, 0);
  EXPECT_EQ(host.TakeLog(), Log{});
  EXPECT_EQ(list.GetHovered(), 2);
  ASSERT_EQ(list.AddLine(Line("d")), 0);
  EXPECT_FALSE(list.IsLocked());
}

TEST_F(TextListControlTest, TheDecideKeyFiresAtOnceOrAfterThePressedCell) {
  host.pointerMode = 2;
  list.SetTag(0);
  Make({Line("a"), Line("b")});
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&list), 0u);
  host.TakeLog();
  Frame(600, 400, {DIK_RETURN});
  EXPECT_EQ(host.TakeLog(), (Log{"selected 0", "sound - -4"}));

  // With a pressed cell the line shows it, then fires 100 ms later.
  auto strip = test::MakeSolid32(180, 20, 0xFF000000u);
  ASSERT_EQ(list.SetFrameSurfaces(3, true, false, {strip.get()}, {}, {}), 0);
  list.Clear();
  host.SetFocus(nullptr);
  Make({Line("a"), Line("b")});
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&list), 0u);
  host.TakeLog();
  Frame(600, 400, {DIK_RETURN});
  EXPECT_EQ(ShownCell(0), 2);
  clock.Advance(99);
  Frame(600, 400);
  EXPECT_EQ(host.TakeLog(), Log{});
  clock.Advance(1);
  Frame(600, 400);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 0", "sound - -4"}));
  EXPECT_TRUE(list.IsLocked());
}

TEST_F(TextListControlTest, KeysMoveThePointerInPointerModeOne) {
  host.pointerMode = 1;
  Make({Line("a"), Line("b")});
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&list), 0u);
  int32_t x = 0, y = 0;
  ASSERT_EQ(list.GetLineCentre(0, &x, &y), 1);
  EXPECT_EQ(host.pointerX, x);
  EXPECT_EQ(host.pointerY, y);
  EXPECT_EQ(x, list.GetX() + 60 - 8);  // at the edge of the band that hovers
  EXPECT_EQ(y, list.LineSprite(0)->GetY() + 10);
  EXPECT_EQ(list.GetHovered(), -1);  // the pointer does the hovering
  Frame(host.pointerX, host.pointerY);
  EXPECT_EQ(list.GetHovered(), 0);
  Frame(host.pointerX, host.pointerY, {DIK_DOWN});
  EXPECT_EQ(host.pointerY, list.LineSprite(1)->GetY() + 10);
  Frame(host.pointerX, host.pointerY);
  EXPECT_EQ(list.GetHovered(), 1);
  EXPECT_EQ(list.GetLineCentre(5, &x, &y), 0);
}

// --- pictures ------------------------------------------------------------------------------------------

TEST_F(TextListControlTest, PlainLinePicturesMatchTheirGoldenPicture) {
  list.SetColours(0xFFFFFF, 0x8FDFDF, 0xFFF000, 0x909090);
  ASSERT_EQ(list.Configure(&sprites, 0, 0, 100, 48, 16, 0, &font, 0), 0);
  list.SetBackground(1, 0x102040, 200);
  ASSERT_EQ(list.AddLine(Line("ab")), 0);
  ASSERT_EQ(list.AddLine(Line("cde", true)), 0);
  Surface both;
  Stack(&both);
  test::ExpectGolden(both, "textlist_plain_lines");
  // The highlight box keeps to the margins of the hover cell.
  EXPECT_EQ(list.LinePicture(0)->GetPixel(48 + 8, 2), 0xC8000080u);
  EXPECT_EQ(list.LinePicture(0)->GetPixel(48 + 7, 2), 0xC8102040u);
  EXPECT_EQ(list.LinePicture(0)->GetPixel(48 + 39, 13), 0xC8000080u);
  EXPECT_EQ(list.LinePicture(0)->GetPixel(48 + 40, 14), 0xC8102040u);
}

TEST_F(TextListControlTest, FramedLinePicturesMatchTheirGoldenPicture) {
  // A four-cell frame: each cell a bordered box in its own shade with
  // clear corners, and a mask that gives the corners' shape to the
  // background.
  auto corner = [](int x, int y) { return (x % 40 < 2 || x % 40 > 37) && (y < 2 || y > 17); };
  auto frame = test::MakeSurface32(160, 20, [&](int x, int y) {
    if (corner(x, y)) return 0u;
    const int cx = x % 40;
    const bool border = cx == 0 || cx == 39 || y == 0 || y == 19;
    const uint32_t shade = uint32_t(0x30 + (x / 40) * 0x30);
    return border ? 0xFFE0E0E0u : 0xFF000000u | shade << 16 | 0x20 << 8 | (0xFF - shade);
  });
  auto mask = test::MakeSurface8(160, 20, [&](int x, int y) { return corner(x, y) ? 0 : 255; });
  list.highlightMode = 0;
  list.pressOffsetX = 1, list.pressOffsetY = 1;
  ASSERT_EQ(list.SetFrameSurfaces(4, true, true, {frame.get(), mask.get()}, {}, {}), 0);
  ASSERT_EQ(list.Configure(&sprites, 0, 0, 100, 40, 20, 0, &font, 0), 0);
  list.SetBackground(1, 0x000000, 255);
  ASSERT_EQ(list.AddLine(Line("go")), 0);
  ASSERT_EQ(list.AddLine(Line("no", true)), 0);
  Surface both;
  Stack(&both);
  test::ExpectGolden(both, "textlist_framed_lines");
  // The mask cut the corners out of the alpha plane.
  EXPECT_EQ(list.LinePicture(0)->GetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(list.LinePicture(0)->GetPixel(5, 5) >> 24, 255u);
  // A disabled list shows the disabled cell; the pressed cell has its own.
  EXPECT_EQ(list.DisabledCellOffset(), 120);
  list.ShowLineCell(0, 2);
  EXPECT_EQ(ShownCell(0), 2);
  list.SetEnabled(false);
  EXPECT_EQ(list.LineSprite(0)->GetSourceRect().left, 120);
}

TEST_F(TextListControlTest, AnOutlineFontDrawsTheListsGradientsAndKeepsItsOwn) {
  ResetFontSettings();
  OutlineFont outline;
  ASSERT_EQ(outline.SetFont(16, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
  ASSERT_EQ(outline.SetGradient(1, 0x112233, 0x445566, 1), 0);
  outline.textRed = 1, outline.textGreen = 2, outline.textBlue = 3;
  ASSERT_EQ(list.Configure(&sprites, 0, 0, 100, 64, 24, 0, &outline, 0), 0);
  list.SetBackground(1, 0x000000, 255);
  ASSERT_EQ(list.AddLine(Line("AB")), 0);
  EXPECT_TRUE(outline.GradientEnabled());
  EXPECT_EQ(outline.GradientTop(), 0x112233u);
  EXPECT_EQ(outline.GradientBottom(), 0x445566u);
  EXPECT_EQ(outline.textRed + outline.textGreen + outline.textBlue, 6);
  // Both cells carry text in their gradients, whose red is always full.
  Surface* picture = list.LinePicture(0);
  for (int cell = 0; cell < 2; ++cell) {
    int full = 0, drawn = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = cell * 64; x < cell * 64 + 64; ++x) {
        const uint32_t p = picture->GetPixel(x, y) & 0xFFFFFF;
        if (p != 0 && !(cell == 1 && p == 0x000080)) ++drawn;
        if ((p >> 16) == 0xFF) ++full;
      }
    EXPECT_GT(full, 10) << cell;
    EXPECT_GT(drawn, full / 2) << cell;
  }
  ResetFontSettings();
}

class TextListPictureTest : public TextListControlTest {
 protected:
  test::PictureFolder folder;
};

TEST_F(TextListPictureTest, FrameFilesAndTheMarkOfChosenLines) {
  auto frame = test::MakeSolid32(80, 20, 0xFF2040A0u);
  auto mask = test::MakeSurface8(80, 20, [](int x, int) { return x % 40 == 0 ? 0 : 255; });
  auto header = test::MakeSolid32(40, 6, 0xFF808080u);
  auto mark = test::MakeSolid32(4, 4, 0xFFFF0000u);
  folder.WritePicture(*frame, "FRAME.BMP");
  folder.WritePicture(*mask, "MASK.BMP");
  folder.WritePicture(*header, "HEAD.BMP");
  folder.WritePicture(*mark, "MARK.BMP");
  ASSERT_EQ(list.SetFrameFiles(2, false, false, {"FRAME.BMP", "MASK.BMP"}, {"HEAD.BMP"}, {}), 0);
  EXPECT_EQ(list.HeaderHeight(), 6);
  EXPECT_EQ(list.LoadMarkImage("NONE.BMP"), 1);
  ASSERT_EQ(list.LoadMarkImage("MARK.BMP"), 0);
  BitArray bits;
  ASSERT_EQ(bits.Resize(8), 0);
  bits.Set(1, 1);
  list.SetChoiceMemory(&bits, 0, {});
  list.SetBackground(1, 0, 255);
  Make({Line("a"), Line("b")});
  EXPECT_EQ(list.GetHeight(), 6 + 20 + 20);
  EXPECT_EQ(list.LineSprite(0)->GetY(), list.GetY() + 6);
  // The mask's column of 0 under the opaque frame picture, the frame's
  // colour elsewhere, and the mark on the chosen line only.
  EXPECT_EQ(list.LinePicture(0)->GetPixel(5, 10), 0xFF2040A0u);
  EXPECT_EQ(list.LinePicture(0)->GetPixel(0, 10), 0xFF2040A0u);
  EXPECT_EQ(list.LinePicture(1)->GetPixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(list.HeaderPicture()->GetPixel(3, 3), 0xFF808080u);
}

TEST_F(TextListControlTest, DraggingTheListByItsFrame) {
  auto frame = test::MakeSolid32(80, 20, 0xFF404040u);
  ASSERT_EQ(list.SetFrameSurfaces(2, false, false, {frame.get()}, {}, {}), 0);
  list.dragAlpha = 0x80;
  Make({Line("a"), Line("b")});
  const int32_t left = list.GetX(), top = list.GetY();
  EXPECT_TRUE(list.HitFrame(2, 5));    // in the left margin
  EXPECT_FALSE(list.HitFrame(20, 5));  // in the text area
  Frame(0, 0);
  Frame(left + 2, top + 5);
  EXPECT_EQ(Frame(left + 2, top + 5, {}, 1), ControlHost::kUpdateButtons);
  EXPECT_TRUE(list.IsDragging());
  Frame(left + 12, top + 25, {}, 1);
  EXPECT_EQ(list.GetX(), left + 10);
  EXPECT_EQ(list.GetY(), top + 20);
  EXPECT_EQ(list.LineSprite(1)->GetY(), top + 40);
  Frame(left + 12, top + 25, {}, 0);
  Frame(left + 13, top + 25, {}, 0);
  EXPECT_FALSE(list.IsDragging());
}

}  // namespace
}  // namespace orrivel
