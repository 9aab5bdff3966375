// The text-input dialog on the headless window system: what OK makes of
// the typed text, where the dialog goes, that nothing but OK ends it, and
// the text input switched on and off around it.
#include "game/TextInputDialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"

namespace orrivel {
namespace {

std::string Sj(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

TEST(TextInputDialog, AcceptedTextKeepsWholeCharactersOnly) {
  struct Row {
    const char* name;
    std::string typed;
    bool fullWidthOnly;
    uint8_t maxLength;
    std::string accepted;
  };
  const std::vector<Row> rows = {
      {"full width stops at a one-byte letter", Sj("あい") + "a" + Sj("う"), true, 0, Sj("あい")},
      {"full width with nothing else", Sj("あいう"), true, 0, Sj("あいう")},
      {"full width refuses a leading letter", "a" + Sj("あ"), true, 0, ""},
      {"four bytes hold two full-width letters", Sj("あいう"), false, 4, Sj("あい")},
      {"three bytes hold one, never a half", Sj("あいう"), false, 3, Sj("あ")},
      {"a half character at the limit goes", "ab" + Sj("あ"), false, 3, "ab"},
      {"one-byte letters fill the limit", "abcdef", false, 4, "abcd"},
      {"no limit", "abc" + Sj("あ"), false, 0, "abc" + Sj("あ")},
      {"trail bytes that look like marks", std::string("\x81\x40\x83\x5B\x95\x5C"), true, 0,
       std::string("\x81\x40\x83\x5B\x95\x5C")},
      {"a lone lead byte at the end is dropped", std::string("ab\x82"), false, 0, "ab"},
      {"empty stays empty", "", true, 4, ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AcceptTextInput(row.typed, row.fullWidthOnly, row.maxLength), row.accepted) << row.name;
  }
}

TEST(TextInputDialog, PlacementCentresOrPlacesAndWidensTheControls) {
  const platform::Rect owner{100, 50, 900, 650};
  const platform::Rect screen{0, 0, 1920, 1080};
  TextInputRequestCells request;
  request.width = 200;  // x and y are -1: centred
  TextInputLayout centred = LayoutTextInputDialog(request, &owner, {110, 80}, screen);
  EXPECT_EQ(centred.window.Width(), 200);
  EXPECT_EQ(centred.window.left, 400);
  EXPECT_EQ(centred.window.top, 50 + (600 - TextInputLayout::kTemplateHeight) / 2);
  EXPECT_EQ(centred.fieldWidth, 184);
  EXPECT_EQ(centred.okLeft, (200 - TextInputLayout::kOkWidth) / 2);

  TextInputLayout onScreen = LayoutTextInputDialog(request, nullptr, {}, screen);
  EXPECT_EQ(onScreen.window.left, 860);

  request.width = 0;
  request.x = 20;
  request.y = 30;
  TextInputLayout placed = LayoutTextInputDialog(request, &owner, {110, 80}, screen);
  EXPECT_EQ(placed.window, (platform::Rect{130, 110, 130 + TextInputLayout::kTemplateWidth,
                                           110 + TextInputLayout::kTemplateHeight}));
  EXPECT_EQ(placed.fieldWidth, TextInputLayout::kTemplateWidth - 16);
}

// A headless machine that notes each switch of a window's text input.
class TextInputRecorder : public platform::HeadlessBackend {
 public:
  std::vector<bool> switches;

 protected:
  void NativeSetTextInput(WindowRecord& record) override { switches.push_back(record.textInput); }
};

class TextInputDialogRun : public ::testing::Test {
 protected:
  TextInputDialogRun() {
    backend.RegisterClass(platform::WindowClass{"Owner"});
    platform::WindowCreateParams params;
    params.className = "Owner";
    params.x = 100;
    params.y = 50;
    params.width = 800;
    params.height = 600;
    owner = backend.CreateWindow(params);
  }

  TextInputRecorder backend;
  platform::ScopedBackend scoped{backend};
  platform::WindowId owner = platform::kNoWindow;
};

TEST_F(TextInputDialogRun, OnlyOkEndsItAndTheRequestShapesTheResult) {
  TextInputRequestCells request;
  request.caption = Sj("名前");
  request.prompt = Sj("名前を入力してください");
  request.fullWidthOnly = true;
  request.maxLength = 8;
  request.openIme = true;
  request.width = 200;
  TextInputDialog dialog;
  std::string caption;
  platform::Rect rect;
  bool ownerEnabled = true;
  dialog.onOpen = [&](platform::WindowId window) {
    caption = backend.GetWindowText(window);
    rect = backend.GetWindowRect(window);
    ownerEnabled = backend.IsWindowEnabled(owner);
    backend.PostTextInput(window, "かな");
    // Esc, closing and any other command leave the dialog open. (The
    // editing keys arrive as the characters their key messages make.)
    backend.PostMessage(window, platform::WM_CHAR, platform::VK_ESCAPE, 0);
    backend.PostMessage(window, platform::WM_CLOSE, 0, 0);
    backend.PostMessage(window, platform::WM_COMMAND, 2, 0);
    backend.PostTextInput(window, "x");
    backend.PostMessage(window, platform::WM_CHAR, platform::VK_BACK, 0);
    backend.PostTextInput(window, "カナ");
    backend.PostMessage(window, platform::WM_COMMAND, TextInputDialog::kOkId, 0);
  };
  EXPECT_EQ(dialog.Run(request, Sj("初"), owner), Sj("初かなカ"));
  EXPECT_EQ(caption, Sj("名前"));
  EXPECT_EQ(rect.Width(), 200);
  EXPECT_EQ((rect.left + rect.right) / 2, (100 + 900) / 2);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(backend.IsWindowEnabled(owner));
  EXPECT_EQ(backend.switches, (std::vector<bool>{true, false}));
  EXPECT_EQ(dialog.Window(), platform::kNoWindow);
  EXPECT_EQ(backend.GetTopChild(owner), platform::kNoWindow);
}

TEST_F(TextInputDialogRun, EnterAcceptsAnEmptyCaptionTakesTheTemplatesAndQuitEndsIt) {
  TextInputRequestCells request;
  TextInputDialog dialog;
  std::string caption;
  dialog.onOpen = [&](platform::WindowId window) {
    caption = backend.GetWindowText(window);
    backend.PostTextInput(window, "Abc");
    backend.PostMessage(window, platform::WM_KEYDOWN, platform::VK_RETURN, 0);
  };
  EXPECT_EQ(dialog.Run(request, "", owner), "Abc");
  EXPECT_EQ(caption, Sj("データ入力"));

  // The program closing ends the dialog with no text; the quit stays queued.
  dialog.onOpen = [&](platform::WindowId window) {
    backend.PostTextInput(window, "zz");
    backend.PostQuitMessage(3);
  };
  EXPECT_EQ(dialog.Run(request, "", owner), "");
  platform::Message message;
  ASSERT_TRUE(backend.PeekMessage(message, true));
  EXPECT_EQ(message.message, platform::WM_QUIT);
}

// A script's request with hostile cells (native 71 takes any width and
// position) still makes a dialog the machine can draw, and it answers.
TEST_F(TextInputDialogRun, HostileWidthsAndPositionsStayDrawable) {
  const platform::Rect screen = backend.SystemWorkArea();
  struct Row {
    int32_t width, x, y;
  };
  const Row rows[] = {{INT32_MAX, 0, 0},        {INT32_MIN, 5, 5},          {1, INT32_MAX, INT32_MAX},
                      {70000, INT32_MAX - 10, 0}, {0, INT32_MIN, INT32_MIN}, {65535, 2000000000, 2000000000}};
  for (const Row& row : rows) {
    TextInputRequestCells request;
    request.width = row.width;
    request.x = row.x;
    request.y = row.y;
    request.prompt = std::string(4000, 'W');
    const TextInputLayout layout = LayoutTextInputDialog(request, nullptr, {100, 50}, screen);
    EXPECT_LE(layout.window.Width(), std::max(TextInputLayout::kTemplateWidth, screen.Width())) << row.width;
    EXPECT_GE(layout.fieldWidth, TextInputLayout::kOkWidth) << row.width;
    EXPECT_GE(layout.okLeft, 0) << row.width;
    TextInputDialog dialog;
    dialog.onOpen = [&](platform::WindowId window) {
      backend.PostTextInput(window, "A");
      backend.PostMessage(window, platform::WM_KEYDOWN, platform::VK_RETURN, 0);
    };
    EXPECT_EQ(dialog.Run(request, "", owner), "A") << row.width << " " << row.x << " " << row.y;
  }
}

// The keys and typed text of the window the dialog is drawn over reach its
// edit: the caret moves by whole characters, Delete and Backspace take
// one, and typing stops where the maximum length would cut the result.
TEST_F(TextInputDialogRun, TheOwnersKeysEditTheTextAtTheCaret) {
  TextInputRequestCells request;
  request.maxLength = 5;
  TextInputDialog dialog;
  dialog.onOpen = [&](platform::WindowId) {
    auto key = [&](uint32_t vk) { backend.PostMessage(owner, platform::WM_KEYDOWN, vk, 0); };
    backend.PostTextInput(owner, "かな");
    key(platform::VK_HOME);
    backend.PostTextInput(owner, "x");
    key(platform::VK_RIGHT);
    key(platform::VK_DELETE);      // な goes
    backend.PostTextInput(owner, "yzw");  // "xかyz": w would pass 5 bytes
    key(platform::VK_LEFT);
    key(platform::VK_BACK);        // y goes
    key(platform::VK_ESCAPE);      // nothing
    key(platform::VK_RETURN);
  };
  EXPECT_EQ(dialog.Run(request, "", owner), "x" + Sj("か") + "z");
}

// The edit has the focus when the dialog opens; Tab moves it to OK, and
// then OK alone is drawn as focused (the edit loses its focus edge), so
// Enter presses OK.
TEST_F(TextInputDialogRun, TabMarksOnlyOkAsFocused) {
  TextInputRequestCells request;
  TextInputDialog dialog;
  auto marked = [](const platform::DialogRequest& drawn) {
    std::vector<uint16_t> ids;
    for (const platform::DialogControl& control : drawn.controls) {
      // An edit drawn checked shows the focus edge as well.
      if (control.focused || control.checked) ids.push_back(control.id);
    }
    return ids;
  };
  std::vector<uint16_t> atOpen;
  std::vector<uint16_t> afterTab;
  dialog.onOpen = [&](platform::WindowId window) {
    atOpen = marked(dialog.Drawing());
    backend.PostTextInput(window, "ab");
    backend.PostMessage(window, platform::WM_KEYDOWN, platform::VK_TAB, 0);
  };
  dialog.onIdle = [&] {
    if (!afterTab.empty()) return false;
    afterTab = marked(dialog.Drawing());
    backend.PostMessage(dialog.Window(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
    return true;
  };
  EXPECT_EQ(dialog.Run(request, "", owner), "ab");
  EXPECT_EQ(atOpen, (std::vector<uint16_t>{TextInputDialog::kEditId}));
  EXPECT_EQ(afterTab, (std::vector<uint16_t>{TextInputDialog::kOkId}));
}

}  // namespace
}  // namespace orrivel
