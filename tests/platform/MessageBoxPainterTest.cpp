// The message box the engine draws itself: its Japanese text and buttons
// in a picture checked against one our painter made once (reviewed by eye;
// ORRIVEL_UPDATE_GOLDEN=1 writes it again), and its answers.
#include "platform/MessageBoxPainter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "elg/PngFile.h"
#include "platform/TextCodec.h"
#include "TestBuildDirs.h"

namespace orrivel::platform {
namespace {

MessageBoxRequest Request(const char* utf8, MessageBoxButtons buttons, const char* check = "") {
  MessageBoxRequest request;
  request.text = Utf8ToCp932Lossy(utf8);
  request.caption = "Game";
  request.buttons = buttons;
  request.checkText = Utf8ToCp932Lossy(check);
  return request;
}

TEST(MessageBoxPainterTest, DrawsTheTextAndButtonsAsTheGoldenPicture) {
  const auto painter = MessageBoxPainter::Create(Request("セーブデータ作成フォルダがないため、\n起動できません。", MessageBoxButtons::YesNo));
  ASSERT_TRUE(painter);
  const std::vector<uint32_t> pixels = painter->Paint(painter->DefaultButton());
  tools::PngPicture made;
  made.width = uint32_t(painter->Width());
  made.height = uint32_t(painter->Height());
  for (const uint32_t rgb : pixels) {
    made.pixels.insert(made.pixels.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0xFF});
  }
  const std::string path = std::string(ORRIVEL_SOURCE_DIR) + "/tests/platform/golden/message-box-yes-no.png";
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
  EXPECT_TRUE(golden.pixels == made.pixels) << "the box differs from its golden picture";
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
