// The dialogs shown as message boxes where no dialog layer draws them, and
// the desktop shell's records.
#include <gtest/gtest.h>

#include "platform/DesktopShell.h"
#include "platform/DialogService.h"
#include "platform/headless/HeadlessBackend.h"

namespace orrivel::platform {
namespace {

DialogRequest Question(bool withNo) {
  DialogRequest request;
  request.caption = "Title";
  request.owner = 0x123;
  request.icon = MessageBoxIcon::Question;
  request.controls.push_back({1012, DialogControlKind::Text, {}, "First", false, false});
  request.controls.push_back({1013, DialogControlKind::CheckBox, {}, "never again", true, false});
  request.controls.push_back({1011, DialogControlKind::Edit, {}, "Second", false, false});
  request.controls.push_back({1, DialogControlKind::Button, {}, "Yes", false, false});
  if (withNo) request.controls.push_back({2, DialogControlKind::Button, {}, "No", false, false});
  request.cancelButton = withNo ? 2 : 1;
  return request;
}

TEST(DialogServiceTest, MessageBoxesStandInForTheDialogs) {
  HeadlessBackend backend;
  ScopedBackend useBackend(backend);
  MessageBoxDialogs dialogs;
  struct Row {
    bool withNo;
    int boxAnswer;
    uint16_t button;
    bool checked;
  };
  for (const Row row : {Row{true, IDYES, 1, false}, Row{true, IDNO, 2, false}, Row{false, IDOK, 1, false},
                        Row{true, IDYES | kAnswerChecked, 1, true}, Row{false, IDOK | kAnswerChecked, 1, true}}) {
    backend.QueueMessageBoxAnswer(row.boxAnswer);
    const DialogAnswer answer = dialogs.Show(Question(row.withNo));
    EXPECT_EQ(answer.button, row.button);
    EXPECT_EQ(answer.checked, row.checked);
    const MessageBoxRequest& box = backend.MessageBoxes().back();
    EXPECT_EQ(box.text, "First\n\nSecond");
    EXPECT_EQ(box.caption, "Title");
    EXPECT_EQ(box.owner, 0x123u);
    EXPECT_EQ(box.icon, MessageBoxIcon::Question);
    EXPECT_EQ(box.buttons, row.withNo ? MessageBoxButtons::YesNo : MessageBoxButtons::Ok);
    EXPECT_EQ(box.checkText, "never again");
  }
  // With buttons of its own beside OK the check box is the dialog's
  // business: the box does not offer it and it stays as it was.
  DialogRequest more = Question(false);
  more.controls.push_back({1016, DialogControlKind::Button, {}, "Copy", false, false});
  backend.QueueMessageBoxAnswer(IDOK);
  EXPECT_TRUE(dialogs.Show(more).checked);
  EXPECT_TRUE(backend.MessageBoxes().back().checkText.empty());
  // An answer an input file queued is taken without asking.
  const size_t boxes = backend.MessageBoxes().size();
  dialogs.QueueAnswer({2, false, true});
  const DialogAnswer queued = dialogs.Show(Question(true));
  EXPECT_EQ(queued.button, 2);
  EXPECT_FALSE(queued.checked);
  EXPECT_EQ(backend.MessageBoxes().size(), boxes);
}

TEST(DialogServiceTest, TheDesktopShellKeepsWhatItWasAskedAndChangesNothing) {
  RecordingDesktopShell shell;
  EXPECT_EQ(shell.Open("C:\\readme.txt"), 0);
  EXPECT_FALSE(shell.SetWallpaper("C:\\wall.bmp", 0));
  EXPECT_FALSE(shell.ScreenSaverActive());
  EXPECT_FALSE(shell.StartScreenSaver());
  shell.WriteValue("Control Panel\\desktop", "WallpaperStyle", "2");
  EXPECT_EQ(shell.ReadValue("Control Panel\\desktop", "WallpaperStyle"), std::optional<std::string>("2"));
  EXPECT_FALSE(shell.ReadValue("Control Panel\\desktop", "TileWallpaper").has_value());
  shell.WriteProfile("system.ini", "boot", "SCRNSAVE.EXE", std::string("a.scr"));
  shell.WriteProfile("system.ini", "boot", "SCRNSAVE.EXE", std::nullopt);
  EXPECT_FALSE(shell.ReadProfile("system.ini", "boot", "SCRNSAVE.EXE").has_value());
  ASSERT_EQ(shell.Requests().size(), 3u);
  EXPECT_EQ(shell.Requests()[0].kind, DesktopShell::RequestKind::Open);
  EXPECT_EQ(shell.Requests()[1].target, "C:\\wall.bmp");
  // A headless run never starts a desktop program.
  HeadlessBackend backend;
  ScopedBackend useBackend(backend);
  EXPECT_NE(dynamic_cast<RecordingDesktopShell*>(&CurrentDesktopShell()), nullptr);
}

TEST(DialogServiceTest, WallpaperCommandsOfEachDesktopFamily) {
  using Commands = std::vector<std::vector<std::string>>;
  const std::string picture = "/home/a b/it's.png";
  struct Row {
    const char* desktop;
    int32_t style;
    Commands commands;
  };
  const std::string gnome = "org.gnome.desktop.background";
  const std::string uri = "'file:///home/a%20b/it%27s.png'";
  const Row rows[] = {
      {"GNOME", 0,
       {{"gsettings", "set", gnome, "picture-options", "'centered'"},
        {"gsettings", "set", gnome, "picture-uri", uri},
        {"gsettings", "set", gnome, "picture-uri-dark", uri}}},
      {"ubuntu:gnome", 2,
       {{"gsettings", "set", gnome, "picture-options", "'stretched'"},
        {"gsettings", "set", gnome, "picture-uri", uri},
        {"gsettings", "set", gnome, "picture-uri-dark", uri}}},
      {"X-Cinnamon", 1,
       {{"gsettings", "set", "org.cinnamon.desktop.background", "picture-options", "'wallpaper'"},
        {"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", uri}}},
      {"MATE", 7,
       {{"gsettings", "set", "org.mate.background", "picture-options", "'centered'"},
        {"gsettings", "set", "org.mate.background", "picture-filename", "'/home/a b/it\\'s.png'"}}},
      {"KDE", 0, {}},
      {"", 0, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(XdgDesktopShell::WallpaperCommands(row.desktop, picture, row.style), row.commands) << row.desktop;
  }
}

}  // namespace
}  // namespace orrivel::platform
