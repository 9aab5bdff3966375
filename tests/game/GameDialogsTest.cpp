// The game's message dialogs and version dialog on a running headless game.
#include "game/GameDialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "RunningGame.h"
#include "platform/Clipboard.h"
#include "platform/DesktopShell.h"
#include "platform/FileDialogs.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

using platform::DialogControl;
using platform::DialogRequest;
using platform::Rect;
using testing::ObservedDialogs;
using testing::Utf8;

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

// Every byte 6 pixels wide, lines 12 pixels high.
platform::Size FixedMeasure(const std::string& text, int32_t wrapWidth) {
  int32_t lines = 0, widest = 0, line = 0;
  for (char c : text + "\n") {
    if (c == '\n') {
      widest = std::max(widest, line);
      line = 0;
      ++lines;
      continue;
    }
    if (wrapWidth > 0 && line + 6 > wrapWidth) {
      widest = std::max(widest, line);
      line = 0;
      ++lines;
    }
    line += 6;
  }
  return {widest, lines * 12};
}

class GameDialogsTest : public testing::RunningGameTest {};

TEST_F(GameDialogsTest, EachKindAnswersWithItsButtonsAndCheckBox) {
  struct Case {
    int kind;
    uint16_t button;
    int check;
    int result;
    uint8_t byte;
    std::vector<std::string> buttons;
  };
  const std::vector<std::string> ok{"OK"};
  const std::vector<std::string> yesNo{"はい", "いいえ"};
  const Case cases[] = {
      {0, 1, -1, 0, 7, ok},    {1, 1, 1, 0, 1, ok},    {1, 1, 0, 0, 0, ok},
      {2, 1, -1, 1, 7, yesNo}, {2, 2, -1, 0, 7, yesNo}, {3, 1, 1, 1, 1, yesNo}, {3, 2, 0, 0, 0, yesNo},
  };
  GameApplication app;
  RunWith(app, [&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " button " << c.button << " check " << c.check);
      dialogs_.Answer(c.button, c.check);
      uint8_t dontShow = 7;
      EXPECT_EQ(app.dialogs.ShowMessageDialog(Cp932("本文").c_str(), c.kind, &dontShow), c.result);
      EXPECT_EQ(dontShow, c.byte);
      const DialogRequest& shown = dialogs_.Transcript().back().request;
      EXPECT_EQ(shown.templateId, kMessageDialogTemplate + c.kind);
      EXPECT_EQ(Utf8(shown.caption), "COMMANDS");
      std::vector<std::string> buttons;
      for (const DialogControl& control : shown.controls) {
        if (control.kind == platform::DialogControlKind::Button) buttons.push_back(Utf8(control.text));
      }
      EXPECT_EQ(buttons, c.buttons);
      const DialogControl* check = shown.Find(kControlCheck);
      EXPECT_EQ(check != nullptr, c.kind == 1 || c.kind == 3);
      if (check) {
        EXPECT_EQ(Utf8(check->text), "今後、このメッセージを表示しない");
      }
    }
    const size_t shown = dialogs_.Transcript().size();
    EXPECT_EQ(app.dialogs.ShowMessageDialog(nullptr, 2), 0);
    EXPECT_EQ(app.dialogs.ShowMessageDialog("x", 4), 0);
    EXPECT_EQ(app.dialogs.ShowMessageDialogRecord(nullptr), 1);
    EXPECT_EQ(dialogs_.Transcript().size(), shown);
    MessageDialogRecord record;
    record.kind = 2;
    record.text = "q";
    record.caption = std::string("cap");
    dialogs_.Answer(1);
    EXPECT_EQ(app.dialogs.ShowMessageDialogRecord(&record), 0);
    EXPECT_EQ(record.result, 1);
    EXPECT_EQ(dialogs_.Transcript().back().request.caption, "cap");
  });
}

TEST_F(GameDialogsTest, FittedBoxesFollowTheirText) {
  GameApplication app;
  app.dialogs.SetMeasure(FixedMeasure);
  struct Case {
    const char* name;
    std::string text;
    bool fit;
    Rect box;
    Rect textRect;
    Rect yes;
    bool centred;
  };
  const Case cases[] = {
      // The template: text 260 x 36, buttons at 66 and 154.
      {"not fitted", "short", false, {0, 0, 300, 110}, {20, 20, 280, 56}, {66, 76, 146, 100}, false},
      {"one line", "short", true, {0, 0, 300, 110}, {20, 32, 280, 44}, {66, 76, 146, 100}, true},
      {"long line", std::string(70, 'w'), true, {0, 0, 460, 110}, {20, 32, 440, 44}, {146, 76, 226, 100}, true},
      {"many lines", "a\nb\nc\nd\ne", true, {0, 0, 300, 134}, {20, 20, 280, 80}, {66, 100, 146, 124}, false},
      // Widened to the widest fitted text, then wrapped to three lines.
      {"too long", std::string(200, 'w'), true, {0, 0, 600, 110}, {20, 20, 580, 56}, {216, 76, 296, 100}, false},
  };
  RunWith(app, [&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const DialogRequest layout = app.dialogs.MessageLayout(2, c.text, c.fit);
      EXPECT_EQ(layout.rect, c.box);
      const DialogControl* text = layout.Find(kControlText);
      EXPECT_EQ(text->rect, c.textRect);
      EXPECT_EQ(text->centredVertically, c.centred);
      EXPECT_EQ(layout.Find(kControlOk)->rect, c.yes);
      // The frame keeps its margin around the text, the No button its gap.
      EXPECT_EQ(layout.Find(kControlFrame)->rect.right, c.textRect.right + 10);
      EXPECT_EQ(layout.Find(kControlNo)->rect.left, c.yes.left + 88);
    }
  });
}

// A script's text may be huge (native 796 passes any): the box stops
// growing at what a screen shows, with the buttons still below the text.
TEST_F(GameDialogsTest, AHugeTextGrowsTheBoxOnlyToAScreensHeight) {
  GameApplication app;
  app.dialogs.SetMeasure(FixedMeasure);
  std::string lines;
  for (int i = 0; i < 20000; ++i) lines += "line\n";
  RunWith(app, [&] {
    for (const std::string& text : {lines, std::string(60000, 'w'), std::string(30000, '\x82')}) {
      const DialogRequest layout = app.dialogs.MessageLayout(2, text, true);
      EXPECT_LE(layout.rect.Height(), 480 + 110);
      EXPECT_LE(layout.rect.Width(), 600);
      EXPECT_GE(layout.Find(kControlOk)->rect.top, layout.Find(kControlText)->rect.bottom);
    }
  });
}

// The engine draws the dialog over the game screen: only the dialog's own
// area of the window changes while it is open, and it looks as it should
// (checked by eye once).
TEST_F(GameDialogsTest, AFittedQuestionIsDrawnOverTheGameScreen) {
  GameApplication app;
  RunWith(app, [&] {
    const platform::WindowId main = app.mainWindow.GetHandle();
    const auto* frame = backend().Frames().LastFrame(main);
    ASSERT_NE(frame, nullptr);
    const std::vector<uint32_t> before = frame->pixels;
    const int32_t width = frame->width;
    bool looked = false;
    dialogs_.whileOpen = [&](const DialogRequest& request) {
      looked = true;
      const auto* shown = backend().Frames().LastFrame(main);
      ASSERT_NE(shown, nullptr);
      ASSERT_EQ(shown->width, width);
      const platform::Point origin = DialogPainter::ClientOrigin();
      const platform::Point at =
          backend().ScreenToClient(main, {request.rect.left - origin.x, request.rect.top - origin.y});
      const platform::Size size = DialogPainter::FrameSize({request.rect.Width(), request.rect.Height()});
      const Rect area{at.x, at.y, at.x + size.width, at.y + size.height};
      EXPECT_EQ(shown->lastDirty, area);
      for (int32_t y = 0; y < shown->height; ++y) {
        for (int32_t x = 0; x < shown->width; ++x) {
          const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
          if (inside) continue;
          ASSERT_EQ(shown->pixels[size_t(y) * width + x], before[size_t(y) * width + x]) << x << "," << y;
        }
      }
      Surface shot;
      ASSERT_EQ(shot.Create(area.Width(), area.Height(), 32, 0), 0);
      for (int32_t y = 0; y < area.Height(); ++y) {
        std::memcpy(shot.GetScanLine(y), &shown->pixels[size_t(area.top + y) * width + area.left],
                    size_t(area.Width()) * 4);
      }
      test::ExpectGolden(shot, "message_dialog_question", "game");
    };
    dialogs_.Answer(2, 1);
    uint8_t dontShow = 0;
    EXPECT_EQ(app.dialogs.ShowMessageDialog(Cp932("セーブしますか？").c_str(), 3, &dontShow), 0);
    EXPECT_TRUE(looked);
    EXPECT_EQ(dontShow, 1);
    dialogs_.whileOpen = nullptr;
    // Gone again: the game paints its screen once more.
    EXPECT_TRUE(backend().IsInvalid(main));
  });
}

TEST_F(GameDialogsTest, TheBoxSitsOnItsOwnerAndTheCursorOnItsDefaultButton) {
  for (const bool glide : {true, false}) {
    SCOPED_TRACE(glide);
    GameApplication app;
    RunWith(app, [&] {
      app.centreCursorAfterModeChange = glide;
      const Rect owner = backend().GetWindowRect(app.mainWindow.GetHandle());
      const size_t moves = backend().CursorMoves().size();
      for (const int kind : {0, 2}) {
        app.dialogs.ShowMessageDialog("x", kind);
        const DialogRequest& shown = dialogs_.Transcript().back().request;
        EXPECT_EQ(shown.owner, app.mainWindow.GetHandle());
        EXPECT_EQ(shown.rect.left, owner.left + (owner.Width() - shown.rect.Width()) / 2);
        EXPECT_EQ(shown.rect.top, owner.top + (owner.Height() - shown.rect.Height()) / 2);
        if (!glide) continue;
        const Rect button = shown.Find(kControlOk)->rect;
        ASSERT_FALSE(backend().CursorMoves().empty());
        const platform::Point to = backend().CursorMoves().back();
        EXPECT_EQ(to.x, shown.rect.left + button.left + (kind == 2 ? 60 : 56));
        EXPECT_EQ(to.y, shown.rect.top + button.top + 8);
      }
      if (!glide) {
        EXPECT_EQ(backend().CursorMoves().size(), moves);
      }
    });
  }
}

// A worker asks through the main window: the real answer comes back; while
// another prompt runs, or without a window, nothing is shown and the answer
// is 0 (never a Yes the player did not give).
TEST_F(GameDialogsTest, OtherThreadsGetTheRealAnswerOrNone) {
  GameApplication app;
  RunWith(app, [&] {
    const auto askFromWorker = [&](uint8_t kind) {
      std::atomic<bool> done{false};
      uint8_t answer = 0xFF;
      std::thread worker([&] {
        answer = app.dialogs.SendMessageIfWindow(kind, "from the worker");
        done = true;
      });
      while (!done) {
        app.PumpMessages(true);
        backend().WaitMessage(2);
      }
      worker.join();
      return answer;
    };
    dialogs_.Answer(2);
    EXPECT_EQ(askFromWorker(2), 0);
    dialogs_.Answer(1);
    EXPECT_EQ(askFromWorker(2), 1);
    EXPECT_EQ(askFromWorker(0), 1);  // a notice that was shown
    EXPECT_EQ(dialogs_.Transcript().size(), 3u);

    // The version dialog is open when the request arrives.
    uint8_t whileModal = 0xFF;
    dialogs_.whileOpen = [&](const DialogRequest&) {
      dialogs_.whileOpen = nullptr;
      whileModal = askFromWorker(2);
    };
    app.windowCommands.OnMenuCommand(40004, 0);
    EXPECT_EQ(whileModal, 0);
    EXPECT_EQ(dialogs_.Transcript().size(), 4u);
    // A stray request message names no record the window sent.
    MessageDialogRecord stray;
    stray.kind = 2;
    stray.text = "stray";
    app.mainWindow.SendWindowMessage(platform::WM_APP_DIALOG_REQUEST, reinterpret_cast<uintptr_t>(&stray), 0);
    EXPECT_EQ(stray.result, 0);
    EXPECT_EQ(dialogs_.Transcript().size(), 4u);
  });
  EXPECT_EQ(app.dialogs.SendMessageIfWindow(2, "after the end"), 0);
}

TEST_F(GameDialogsTest, VersionLine) {
  EXPECT_EQ(GameDialogs::VersionLine(1, 0, 0), "Version 1.00");
  EXPECT_EQ(GameDialogs::VersionLine(2, 5, 0x0B), "Version 2.05b ");
}

TEST_F(GameDialogsTest, TheVersionDialogShowsCopiesAndSavesTheSystemInformation) {
  platform::RecordingDesktopShell shell;
  platform::ScopedDesktopShell scopedShell(shell);
  platform::ScriptedFileDialogs files;
  platform::ScopedFileDialogs scopedFiles(files);
  const std::string saved = (folder_ / "info.txt").string();
  files.QueueAnswer({true, *platform::ToInternalPath(saved), 1});
  GameApplication app;
  RunWith(app, [&] {
    AppSettings::AppConfigBlock& config = app.settings.blocks.appConfig;
    config[0] = 1;  // ask before the web page
    config[1] = 0;  // no system information yet
    dialogs_.Answer(kControlCheck, 1);  // the information appears
    dialogs_.Answer(kControlLink);      // the question about the page ...
    dialogs_.Answer(kControlOk, 1);     // ... Yes, and never ask again
    dialogs_.Answer(kControlCopy);
    dialogs_.Answer(kControlOk);        // the copy notice
    dialogs_.Answer(kControlSave);
    dialogs_.Answer(kControlOk);        // the dialog closes
    app.windowCommands.OnMenuCommand(40004, 0);
    EXPECT_EQ(config[1], 1);
    EXPECT_EQ(config[0], 0);
  });
  const auto& shown = dialogs_.Transcript();
  ASSERT_EQ(shown.size(), 7u);
  const DialogRequest& first = shown[0].request;
  EXPECT_EQ(first.templateId, kVersionDialogTemplate);
  EXPECT_EQ(Utf8(first.caption), "バージョン情報");
  EXPECT_NE(Utf8(first.Find(kControlText)->text).find("Version 1.00"), std::string::npos);
  EXPECT_FALSE(first.Find(kControlCheck)->checked);
  EXPECT_TRUE(first.Find(kControlFrame)->text.empty());
  const DialogRequest& filled = shown[1].request;
  EXPECT_TRUE(filled.Find(kControlCheck)->checked);
  const std::string info = filled.Find(kControlFrame)->text;
  EXPECT_NE(info.find("COMMANDS"), std::string::npos);
  EXPECT_EQ(Utf8(shown[2].request.Find(kControlText)->text), "「Ferrowick」のWebページを表示します。\nよろしいですか？");
  ASSERT_EQ(shell.Requests().size(), 1u);
  EXPECT_EQ(shell.Requests()[0].target, "https://example.invalid/");
  EXPECT_EQ(Utf8(shown[4].request.Find(kControlText)->text), "クリップボードにシステム情報をコピーしました。");
  EXPECT_EQ(platform::CurrentClipboard().GetText().value_or(""), info);
  ASSERT_EQ(files.Requests().size(), 1u);
  EXPECT_EQ(Utf8(files.Requests()[0].title), "ログを保存");
  EXPECT_EQ(Utf8(files.Requests()[0].proposedName), "「COMMANDS」システム情報.txt");
  std::ifstream in(saved, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), info);
}

}  // namespace
}  // namespace orrivel
