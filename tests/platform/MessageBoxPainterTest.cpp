// The message box the engine draws itself: its sign, Japanese text and
// buttons in pictures checked against ones our painter made once (reviewed
// by eye; ORRIVEL_UPDATE_GOLDEN=1 writes them again), and its answers.
#include "platform/MessageBoxPainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "elg/PngFile.h"
#include "platform/TextCodec.h"
#include "TestBuildDirs.h"

namespace orrivel::platform {
namespace {

MessageBoxRequest Request(const char* utf8, MessageBoxButtons buttons, const char* check = "",
                          MessageBoxIcon icon = MessageBoxIcon::None) {
  MessageBoxRequest request;
  request.text = Utf8ToCp932Lossy(utf8);
  request.caption = "Game";
  request.icon = icon;
  request.buttons = buttons;
  request.checkText = Utf8ToCp932Lossy(check);
  return request;
}

// The box as its default button shows it, checked against the golden
// picture `name` in tests/platform/golden/.
void ExpectGolden(const MessageBoxPainter& painter, const std::string& name) {
  const std::vector<uint32_t> pixels = painter.Paint(painter.DefaultButton());
  tools::PngPicture made;
  made.width = uint32_t(painter.Width());
  made.height = uint32_t(painter.Height());
  for (const uint32_t rgb : pixels) {
    made.pixels.insert(made.pixels.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0xFF});
  }
  const std::string path = std::string(ORRIVEL_SOURCE_DIR) + "/tests/platform/golden/" + name;
  std::string error;
  const char* update = std::getenv("ORRIVEL_UPDATE_GOLDEN");
  if ((update && update[0] == '1') || !std::filesystem::exists(path)) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(tools::WritePng(path, made, &error)) << error;
    GTEST_SKIP() << "wrote " << path << "; review it and commit it";
  }
  tools::PngPicture golden;
  ASSERT_TRUE(tools::ReadPng(path, &golden, &error)) << error;
  ASSERT_EQ(golden.width, made.width);
  ASSERT_EQ(golden.height, made.height);
  EXPECT_TRUE(golden.pixels == made.pixels) << "the box differs from its golden picture " << name;
}

TEST(MessageBoxPainterTest, DrawsTheTextAndButtonsAsTheGoldenPicture) {
  const auto painter = MessageBoxPainter::Create(Request("セーブデータ作成フォルダがないため、\n起動できません。", MessageBoxButtons::YesNo));
  ASSERT_TRUE(painter);
  ExpectGolden(*painter, "message-box-yes-no.png");
}

constexpr uint32_t kBackground = 0xF0F0F0;

uint32_t Channel(uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

// A pixel of a colour rather than of the greys of text, face and frames.
bool IsColoured(uint32_t rgb) {
  const uint32_t r = Channel(rgb, 16), g = Channel(rgb, 8), b = Channel(rgb, 0);
  return std::max({r, g, b}) - std::min({r, g, b}) > 40;
}

enum class Hue { None, Red, Yellow, Blue };

bool HasHue(uint32_t rgb, Hue hue) {
  const uint32_t r = Channel(rgb, 16), g = Channel(rgb, 8), b = Channel(rgb, 0);
  switch (hue) {
    case Hue::None: return false;
    case Hue::Red: return r > g + 80 && r > b + 80;
    case Hue::Yellow: return r > 200 && g > 160 && b < 100;
    case Hue::Blue: return b > r + 80;
  }
  return false;
}

bool Inside(const Rect& area, int32_t x, int32_t y) {
  return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

// Each kind of box shows its own sign at the left, the text beside it and
// nothing coloured elsewhere above the buttons; a box without a kind shows
// no sign at all.
TEST(MessageBoxPainterTest, EachKindOfBoxShowsItsSignLeftOfTheText) {
  struct Case {
    MessageBoxIcon icon;
    const char* golden;   // nullptr: the box has no sign
    Hue face;             // the sign's colour
    uint32_t mark;        // the colour of the mark on it
  };
  const Case cases[] = {
      {MessageBoxIcon::None, nullptr, Hue::None, 0},
      {MessageBoxIcon(9), nullptr, Hue::None, 0},
      {MessageBoxIcon::Stop, "message-box-stop.png", Hue::Red, 0xFFFFFF},
      {MessageBoxIcon::Exclamation, "message-box-exclamation.png", Hue::Yellow, 0x000000},
      {MessageBoxIcon::Information, "message-box-information.png", Hue::Blue, 0xFFFFFF},
      {MessageBoxIcon::Question, "message-box-question.png", Hue::Blue, 0xFFFFFF},
  };
  std::vector<std::vector<uint32_t>> signs;
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.icon));
    const auto painter = MessageBoxPainter::Create(Request("起動できません。", MessageBoxButtons::Ok, "", c.icon));
    ASSERT_TRUE(painter);
    if (c.golden) ExpectGolden(*painter, c.golden);
    const std::vector<uint32_t> pixels = painter->Paint(painter->DefaultButton());
    const Rect& sign = painter->IconArea();
    const int32_t rowTop = painter->Buttons().front().area.top;
    if (!c.golden) {
      EXPECT_TRUE(sign.IsEmpty());
    } else {
      // A 32×32 sign inside the box, above the buttons: the box is at least
      // as tall as its sign.
      EXPECT_EQ(sign.Width(), 32);
      EXPECT_EQ(sign.Height(), 32);
      EXPECT_GT(sign.left, 0);
      EXPECT_GT(sign.top, 0);
      EXPECT_LT(sign.bottom, rowTop);
    }
    size_t faceCount = 0, markCount = 0, strayColour = 0;
    std::vector<uint32_t> signPixels;
    int32_t textLeft = painter->Width();
    for (int32_t y = 0; y < rowTop; ++y) {
      for (int32_t x = 0; x < painter->Width(); ++x) {
        const uint32_t rgb = pixels[size_t(y) * size_t(painter->Width()) + size_t(x)];
        if (!Inside(sign, x, y)) {
          if (IsColoured(rgb)) ++strayColour;
          if (rgb != kBackground) textLeft = std::min(textLeft, x);
          continue;
        }
        signPixels.push_back(rgb);
        if (HasHue(rgb, c.face)) ++faceCount;
        if (rgb == c.mark) ++markCount;
      }
    }
    if (c.golden) {
      // Mostly the sign's colour, with a clear mark of the other on it.
      EXPECT_GT(faceCount, 32u * 32u / 3);
      EXPECT_GT(markCount, 20u);
      EXPECT_GE(textLeft, sign.right) << "the text overlaps the sign";
      signs.push_back(signPixels);
    }
    EXPECT_EQ(strayColour, 0u) << "coloured pixels outside the sign";
    EXPECT_LT(textLeft, painter->Width()) << "no text drawn";
  }
  // No two kinds look alike (a question is not an information).
  for (size_t i = 0; i < signs.size(); ++i) {
    for (size_t j = i + 1; j < signs.size(); ++j) EXPECT_NE(signs[i], signs[j]) << i << " and " << j;
  }
}

// Text taller than the sign keeps the box's height; the text moves right
// of the sign whole, and the box widens by as much.
TEST(MessageBoxPainterTest, TheSignMovesTheTextRightWhole) {
  const char* text = "アプリケーション設定ファイルの読み込みに失敗しました。\nもう一度お試しください。\n三行目";
  const auto plain = MessageBoxPainter::Create(Request(text, MessageBoxButtons::Ok));
  const auto stop = MessageBoxPainter::Create(Request(text, MessageBoxButtons::Ok, "", MessageBoxIcon::Stop));
  ASSERT_TRUE(plain && stop);
  ASSERT_GT(stop->Height(), 0);
  EXPECT_EQ(stop->Height(), plain->Height());
  const int32_t shift = stop->Width() - plain->Width();
  EXPECT_GE(shift, 32);
  const std::vector<uint32_t> before = plain->Paint(0);
  const std::vector<uint32_t> after = stop->Paint(0);
  const int32_t rowTop = plain->Buttons().front().area.top;
  size_t moved = 0, ink = 0;
  for (int32_t y = 0; y < rowTop; ++y) {
    for (int32_t x = 0; x < plain->Width(); ++x) {
      const uint32_t rgb = before[size_t(y) * size_t(plain->Width()) + size_t(x)];
      if (rgb == kBackground) continue;
      ++ink;
      if (after[size_t(y) * size_t(stop->Width()) + size_t(x + shift)] == rgb) ++moved;
    }
  }
  EXPECT_GT(ink, 0u);
  EXPECT_EQ(moved, ink);
}

// The buttons of each kind of box, their answers, and the answer of a box
// closed without one.
TEST(MessageBoxPainterTest, ButtonsAnswerAsTheRequestAsks) {
  struct Case {
    MessageBoxButtons buttons;
    const char* check;
    std::vector<int> answers;
    size_t defaultButton;
    int escape;
  };
  const Case cases[] = {
      {MessageBoxButtons::Ok, "", {IDOK}, 0, IDOK},
      {MessageBoxButtons::YesNo, "", {IDYES, IDNO}, 0, IDNO},
      {MessageBoxButtons::OkCancel, "", {IDOK, IDCANCEL}, 0, IDCANCEL},
      {MessageBoxButtons::YesNo, "次回から表示しない", {IDYES | kAnswerChecked, IDYES, IDNO}, 1, IDNO},
  };
  for (const Case& c : cases) {
    const auto painter = MessageBoxPainter::Create(Request("text", c.buttons, c.check));
    ASSERT_TRUE(painter);
    std::vector<int> answers;
    for (const MessageBoxButton& button : painter->Buttons()) {
      answers.push_back(button.answer);
      // Each button answers a click inside it, and lies inside the box.
      const Point middle{(button.area.left + button.area.right) / 2, (button.area.top + button.area.bottom) / 2};
      EXPECT_EQ(painter->Buttons()[painter->ButtonAt(middle)].answer, button.answer);
      EXPECT_GE(button.area.left, 0);
      EXPECT_LE(button.area.right, painter->Width());
      EXPECT_LE(button.area.bottom, painter->Height());
    }
    EXPECT_EQ(answers, c.answers);
    EXPECT_EQ(painter->DefaultButton(), c.defaultButton);
    EXPECT_EQ(painter->EscapeAnswer(), c.escape);
    EXPECT_EQ(painter->ButtonAt(Point{0, 0}), painter->Buttons().size());
  }
}

// A line longer than a box may be wide wraps, so a long path in a message
// never makes a box wider than the screen.
TEST(MessageBoxPainterTest, LongLinesWrap) {
  const auto one = MessageBoxPainter::Create(Request("あ", MessageBoxButtons::Ok));
  const auto many = MessageBoxPainter::Create(Request(std::string(300, 'x').c_str(), MessageBoxButtons::Ok));
  ASSERT_TRUE(one && many);
  EXPECT_LE(many->Width(), 800);
  EXPECT_GT(many->Height(), one->Height());
}

}  // namespace
}  // namespace orrivel::platform
