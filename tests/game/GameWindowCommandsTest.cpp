// The main window's commands, switches and prompts on a running headless
// game.
#include "game/GameWindowCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "base/InputManager.h"
#include "base/MouseDevice.h"
#include "game/GameMenu.h"
#include "natives/AppNativePort.h"
#include "natives/ProcessObjects.h"
#include "natives/WindowCommandRecords.h"
#include "platform/Messages.h"
#include "resource/BaseFolder.h"
#include "script/ScriptAddressSpace.h"
#include "sound/MovieBinding.h"
#include "sound/movies/MoviePlayerRig.h"
#include "platform/DisplayMachine.h"
#include "platform/FileDialogs.h"

namespace orrivel {
namespace {

using platform::DialogRequest;
using testing::ObservedDialogs;
using testing::Utf8;

class WindowCommandsTest : public testing::RunningGameTest {};

using testing::CallNative;

// Native 578 hands its flag to the mouse device through the main window.
TEST_F(WindowCommandsTest, Native578PassesItsFlagToTheMouse) {
  ProcessObjects objects;
  ProcessObjects* const previous = SetProcessObjects(&objects);
  {
    // The game lets go of the run's objects when it ends.
    GameApplication app;
    RunWith(app, [&] {
      ASSERT_NE(app.scripts, nullptr);
      MouseDevice* mouse = app.Input().Mouse();
      ASSERT_NE(mouse, nullptr);
      EXPECT_EQ(CallNative(*app.scripts, 578, {7}), 0u);
      EXPECT_EQ(mouse->CursorState(), 1u);
      EXPECT_EQ(CallNative(*app.scripts, 578, {0}), 0u);
      EXPECT_EQ(mouse->CursorState(), 0u);
      EXPECT_EQ(CallNative(*app.scripts, 578, {7}), 0u);
      EXPECT_EQ(mouse->CursorState(), 1u);
    });
  }
  SetProcessObjects(previous);
}

// Native 10 asking for the window: on a monitor whose work area is just as
// wide as the game the window is centred on it (its height does not fit,
// so it stays where it is vertically).
TEST_F(WindowCommandsTest, Native10CentresAWindowAsWideAsTheWorkArea) {
  platform::MonitorDesc monitor;
  monitor.bounds = platform::Rect{0, 0, 640, 480};
  monitor.workArea = platform::Rect{0, 0, 640, 440};
  monitor.depth = 32;
  monitor.refresh = 60;
  monitor.deviceName = "headless-0";
  monitor.isPrimary = true;
  backend().SetMonitors({monitor});
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    ASSERT_EQ(app.gameWidth, 640);
    const platform::WindowId window = app.mainWindow.GetHandle();
    backend().MoveWindow(window, platform::Rect{30, 7, 30 + backend().GetWindowRect(window).Width(),
                                                7 + backend().GetWindowRect(window).Height()});
    // Without the scripts' permission the mode stays and nothing moves.
    app.systemKeyFlags &= uint8_t(~AppNativePort::kOptionModeChange);
    EXPECT_EQ(CallNative(*app.scripts, 10, {3}), 1u);
    EXPECT_EQ(backend().GetWindowRect(window).left, 30);
    app.systemKeyFlags |= AppNativePort::kOptionModeChange;
    EXPECT_EQ(CallNative(*app.scripts, 10, {3}), 0u);
    const platform::Rect outer = backend().GetWindowRect(window);
    EXPECT_EQ(outer.left, (640 - outer.Width()) / 2);
    EXPECT_EQ(outer.top, 7);
    EXPECT_EQ(app.screenMode, 2);
  });
}

TEST_F(WindowCommandsTest, TheWindowHasTheGamesMenuAndAccelerators) {
  GameApplication app;
  RunWith(app, [&] {
    platform::Menu& menu = WindowMenu(app);
    ASSERT_EQ(menu.Items().size(), 5u);
    const platform::MenuItem& system = menu.Items()[0];
    EXPECT_EQ(Utf8(system.text), "システム(&M)");
    ASSERT_EQ(system.children.size(), 6u);
    EXPECT_EQ(Utf8(system.children[0].text), "画面モード変更(&D)\tShift+D");
    EXPECT_EQ(system.children[3].id, uint32_t(kCommandQuit));
    EXPECT_EQ(system.children[5].id, uint32_t(kCommandVersion));
    // The switches' defaults: settings and the screen mode on, the rest grey.
    EXPECT_TRUE(Enabled(app, kCommandScreenMode));
    EXPECT_FALSE(Enabled(app, kCommandReturnToTitle));
    EXPECT_TRUE(Enabled(app, kCommandSettings));
    EXPECT_FALSE(Enabled(app, kCommandSave));
    EXPECT_FALSE(Enabled(app, kCommandLoad));
    EXPECT_EQ(app.accelerators.size(), 7u);
  });
}

// Alt+Enter and the maximise box both change the screen mode; with switch
// 4 clear neither does anything, the item is grey and the box is gone.
TEST_F(WindowCommandsTest, AltEnterAndTheMaximiseBoxChangeTheScreenMode) {
  struct Case {
    const char* name;
    bool switchOn;
    bool byKeys;
  };
  for (const Case c : {Case{"keys", true, true}, Case{"box", true, false}, Case{"keys off", false, true},
                       Case{"box off", false, false}}) {
    SCOPED_TRACE(c.name);
    GameApplication app;
    RunWith(app, [&] {
      const platform::WindowId window = app.mainWindow.GetHandle();
      ASSERT_EQ(app.screenMode, 2);
      if (!c.switchOn) {
        EXPECT_EQ(app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchScreenMode, false), 0);
        EXPECT_FALSE(Enabled(app, kCommandScreenMode));
        EXPECT_EQ(backend().GetStyle(window) & platform::WS_MAXIMIZEBOX, 0u);
      } else {
        EXPECT_NE(backend().GetStyle(window) & platform::WS_MAXIMIZEBOX, 0u);
      }
      const auto press = [&] {
        if (c.byKeys) {
          backend().PostMessage(window, platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
        } else {
          app.mainWindow.SendWindowMessage(platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
        }
        app.PumpMessages(true);
      };
      press();
      EXPECT_EQ(app.screenMode, c.switchOn ? 1 : 2);
      press();
      EXPECT_EQ(app.screenMode, 2);
      // Back in the window the menu shows the switches again.
      EXPECT_EQ(Enabled(app, kCommandScreenMode), c.switchOn);
      EXPECT_FALSE(Enabled(app, kCommandReturnToTitle));
    });
    EXPECT_EQ(app.errorCode, 0);
  }
}

TEST_F(WindowCommandsTest, AScreenModeTheDisplayRefusesKeepsTheWindow) {
  GameApplication app;
  std::vector<std::string> boxes;
  RunWith(app, [&] {
    platform::DisplayMachine machine = platform::CurrentDisplayMachine();
    for (platform::MachineDriver& driver : machine.drivers) driver.failCreate = true;
    platform::ScopedDisplayMachine refusing(machine);
    app.windowCommands.OnMenuCommand(kCommandScreenMode, 0);
    EXPECT_EQ(app.screenMode, 2);
  });
  EXPECT_EQ(app.errorCode, 2);
  for (const auto& box : backend().MessageBoxes()) boxes.push_back(Utf8(box.text));
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), "画面モード切替に失敗"), boxes.end());
}

TEST_F(WindowCommandsTest, ReturnToTitleAsksAndSetsThePendingInterrupt) {
  struct Case {
    const char* name;
    bool switchOn;
    bool modalOpen;
    bool clearedWhileAsking;
    uint16_t answer;
    std::vector<std::string> texts;
    uint8_t pending;
  };
  const std::string question = "タイトルに戻ります。\nよろしいですか？";
  const std::string refused =
      "現在の状態でタイトルに戻ることは出来ません。\r\n行える状態になってから再度、実行して下さい。";
  const Case cases[] = {
      {"yes", true, false, false, 1, {question}, 1},
      {"no", true, false, false, 2, {question}, 0},
      {"switched off", false, false, false, 1, {}, 0},
      {"prompt open", true, true, false, 1, {"x"}, 0},
      {"cleared meanwhile", true, false, true, 1, {question, refused}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ObservedDialogs dialogs;
    platform::ScopedDialogs scoped(dialogs);
    GameApplication app;
    uint8_t pending = 0xFF;
    RunWith(app, [&] {
      app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchReturnToTitle, c.switchOn);
      EXPECT_EQ(Enabled(app, kCommandReturnToTitle), c.switchOn);
      dialogs.Answer(c.answer);
      dialogs.whileOpen = [&](const DialogRequest&) {
        EXPECT_EQ(app.windowCommands.ModalCommand(), GameWindowCommands::kModalReturnToTitle);
        if (c.clearedWhileAsking) app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchReturnToTitle, false);
        dialogs.whileOpen = nullptr;
      };
      if (c.modalOpen) {
        // A notice sent from the scripts is open: the command waits its turn.
        dialogs.whileOpen = [&](const DialogRequest&) {
          dialogs.whileOpen = nullptr;
          app.windowCommands.OnMenuCommand(kCommandReturnToTitle, 0);
        };
        app.dialogs.SendMessageIfWindow(0, "x");
      } else {
        app.windowCommands.OnMenuCommand(kCommandReturnToTitle, 0);
      }
      pending = app.pendingInterrupt;
      EXPECT_EQ(app.windowCommands.ModalCommand(), GameWindowCommands::kModalNone);
    });
    EXPECT_EQ(dialogs.Texts(), c.texts);
    EXPECT_EQ(pending, c.pending);
  }
}

TEST_F(WindowCommandsTest, ClosingAsksAndNoKeepsTheGameRunning) {
  for (const uint16_t answer : {uint16_t(2), uint16_t(1)}) {
    SCOPED_TRACE(answer);
    ObservedDialogs dialogs;
    platform::ScopedDialogs scoped(dialogs);
    GameApplication app;
    bool alive = false;
    RunWith(app, [&] {
      dialogs.Answer(answer);
      dialogs.whileOpen = [&](const DialogRequest& request) {
        EXPECT_EQ(app.windowCommands.ModalCommand(), GameWindowCommands::kModalQuit);
        EXPECT_EQ(request.templateId, kMessageDialogTemplate + 2);
      };
      app.windowCommands.OnMenuCommand(kCommandQuit, 0);
      alive = app.mainWindow.IsValid();
    });
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"『COMMANDS』\nを終了しますか？"});
    EXPECT_EQ(alive, answer == 2);
  }
}

// A close while the full-screen display is still given back (the window is
// minimised) waits until the window is active again, then asks.
TEST_F(WindowCommandsTest, AMinimisedFullScreenCloseWaitsForTheDisplay) {
  GameApplication app;
  RunWith(app, [&] {
    const platform::WindowId window = app.mainWindow.GetHandle();
    backend().ShowWindow(window, platform::SW_MINIMIZE);
    app.pendingDisplayRestore = 1;
    bool deferredWhileRestoring = false;
    struct Watcher : platform::WindowClient {
      intptr_t WindowProcedure(platform::WindowId w, uint32_t m, uintptr_t wp, intptr_t lp) override {
        if (m == platform::WM_ACTIVATEAPP && wp != 0) *seen = commands->CloseDeferred();
        return next->WindowProcedure(w, m, wp, lp);
      }
      platform::WindowClient* next = nullptr;
      GameWindowCommands* commands = nullptr;
      bool* seen = nullptr;
    } watcher;
    watcher.commands = &app.windowCommands;
    watcher.seen = &deferredWhileRestoring;
    watcher.next = backend().SetWindowClient(window, &watcher);
    app.screen->storedModes[0] = {1024, 768, 32, 60};
    app.mainWindow.SendWindowMessage(platform::WM_CLOSE, 0, 0);
    backend().SetWindowClient(window, watcher.next);
    EXPECT_TRUE(deferredWhileRestoring);
    EXPECT_FALSE(backend().IsMinimized(window));
    EXPECT_TRUE(dialogs_.Transcript().empty());
    // The window came back: the close goes on and asks.
    EXPECT_FALSE(app.windowCommands.CloseDeferred());
    dialogs_.Answer(2);
    app.PumpMessages(true);
    EXPECT_EQ(dialogs_.Transcript().size(), 1u);
    EXPECT_TRUE(app.mainWindow.IsValid());
  });
}

TEST_F(WindowCommandsTest, SessionEndWritesTheSettingsAndDestroyStoresThePlace) {
  WriteSettings(1);
  GameApplication app;
  RunWith(app, [&] {
    std::filesystem::remove(folder_ / "USER.CFG");
    intptr_t allowed = app.mainWindow.SendWindowMessage(platform::WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(allowed, 1);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "USER.CFG"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "SAVEDATA" / "APP_CFG.DAT"));
    const platform::WindowId window = app.mainWindow.GetHandle();
    backend().MoveWindow(window, platform::Rect{37, 41, 37 + 700, 41 + 500});
    backend().DestroyWindow(window);
  });
  EXPECT_EQ(app.savedWindowX, 37);
  EXPECT_EQ(app.savedWindowY, 41);
}

TEST_F(WindowCommandsTest, MenuSwitchesGreyTheirItems) {
  GameApplication app;
  RunWith(app, [&] {
    GameWindowCommands& commands = app.windowCommands;
    EXPECT_EQ(commands.UpdateMenuBar(5, true), -1);
    const uint32_t redraws = WindowMenu(app).Redraws();
    EXPECT_EQ(commands.UpdateMenuBar(GameWindowCommands::kSwitchSettings, true), 0);  // unchanged
    EXPECT_EQ(WindowMenu(app).Redraws(), redraws);
    struct Row {
      uint32_t which;
      std::vector<uint32_t> items;
    };
    for (const Row& row : {Row{0, {kCommandSettings, kCommandSettingsFromMenu}}, Row{1, {kCommandSave}},
                           Row{2, {kCommandLoad}}, Row{3, {kCommandReturnToTitle}}, Row{4, {kCommandScreenMode}}}) {
      for (const bool on : {true, false, true}) {
        commands.UpdateMenuBar(row.which, on);
        EXPECT_EQ(commands.SwitchState(row.which), on ? 1 : 0);
        for (uint32_t id : row.items) EXPECT_EQ(Enabled(app, id), on) << id;
      }
    }
    EXPECT_GT(WindowMenu(app).Redraws(), redraws);
    // The natives see the same switches and run the commands through them.
    ASSERT_NE(app.nativePort, nullptr);
    app.nativePort->menuEnabled[1] = false;
    app.nativePort->applyMenuState();
    EXPECT_FALSE(Enabled(app, kCommandSave));
    EXPECT_EQ(app.nativePort->runMenuCommand(1, true), 0);  // save is off
    dialogs_.Answer(2);
    EXPECT_EQ(app.nativePort->runMenuCommand(3, true), 1);  // close, answered No
    EXPECT_EQ(dialogs_.Transcript().size(), 1u);
  });
}

TEST_F(WindowCommandsTest, TheSettingsCommandsOpenTheSettingsSheet) {
  GameApplication app;
  RunWith(app, [&] {
    int opened = 0;
    app.settingsSheetOpened = [&](platform::WindowId window) {
      ++opened;
      backend().PostMessage(window, platform::WM_CLOSE, 0, 0);
    };
    app.windowCommands.OnMenuCommand(kCommandSettingsFromMenu, 0);
    EXPECT_EQ(opened, 1);
    app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchSettings, false);
    app.windowCommands.OnMenuCommand(kCommandSettings, 0);
    EXPECT_EQ(opened, 1);  // switched off
  });
}

TEST_F(WindowCommandsTest, WithoutAScreenModeFacilitySwitchFourDoesNothing) {
  WriteSettings(5, 0);
  GameApplication app;
  RunWith(app, [&] {
    EXPECT_FALSE(Enabled(app, kCommandScreenMode));
    app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchScreenMode, false);
    app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchScreenMode, true);
    EXPECT_FALSE(Enabled(app, kCommandScreenMode));
    app.windowCommands.OnMenuCommand(kCommandScreenMode, 0);
    EXPECT_EQ(app.screenMode, 2);
  });
}

TEST_F(WindowCommandsTest, MonitorForFullScreenByTheSettings) {
  GameApplication app;
  RunWith(app, [&] {
    AppSettings::AppConfigBlock& config = app.settings.blocks.appConfig;
    int32_t index = 7;
    config[157] = 0;
    EXPECT_EQ(app.windowCommands.GetMonitorRect(app.mainWindow.GetHandle(), &index), 0);
    EXPECT_EQ(index, -1);
    config[157] = 1;
    EXPECT_EQ(app.windowCommands.GetMonitorRect(platform::kNoWindow, &index), 0);
    EXPECT_EQ(index, 0);
  });
}

TEST_F(WindowCommandsTest, RecordCommandsReachTheDialogsAndTheSound) {
  platform::ScriptedFileDialogs files;
  platform::ScopedFileDialogs scopedFiles(files);
  GameApplication app;
  RunWith(app, [&] {
    const auto send = [&](uint16_t id, void* record) {
      app.mainWindow.SendWindowMessage(platform::WM_COMMAND, id, reinterpret_cast<intptr_t>(record));
    };
    files.QueueAnswer({true, "C:\\games\\pick", 0});
    char path[260] = {};
    FolderCommandRecord folder;
    folder.path = path;
    send(kCommandBrowseFolder, &folder);
    EXPECT_EQ(folder.result, 1);
    EXPECT_STREQ(path, "C:\\games\\pick\\");
    FolderCommandRecord cancelled;
    cancelled.path = path;
    send(kCommandBrowseFolder, &cancelled);
    EXPECT_EQ(cancelled.result, 0);

    files.QueueAnswer({true, "C:\\games\\a.txt", 2});
    char file[260] = {};
    char title[256] = {};
    char filter[] = "text\t*.txt\tall\t*.*\t";
    FileCommandRecord save;
    save.file = file;
    save.fileTitle = title;
    save.filter = filter;
    send(kCommandSaveFile, &save);
    EXPECT_GT(save.result, 2);
    EXPECT_STREQ(file, "C:\\games\\a.txt");

    // The text-input dialog as the request describes it, over the window.
    TextInputRequestCells request;
    request.caption = "Name";
    std::string caption;
    app.textInputOpened = [&](platform::WindowId window) {
      caption = backend().GetWindowText(window);
      backend().PostTextInput(window, "ab");
      backend().PostMessage(window, platform::WM_COMMAND, 1, 0);
    };
    TextEntryCommandRecord entry;
    entry.request = &request;
    entry.text = "x";
    send(kCommandTextEntry, &entry);
    EXPECT_EQ(entry.text, "xab");
    EXPECT_EQ(caption, "Name");

    SoundRestartCommandRecord sound;
    sound.result = 1;  // one channel, at the rate and bits given
    sound.rateCode = 22;
    sound.bitsPerSample = 8;
    send(kCommandRestartSound, &sound);
    EXPECT_EQ(sound.result, 0);
    EXPECT_EQ(app.sound.PrimaryFormat().channels, 1);
    EXPECT_EQ(app.sound.PrimaryFormat().samplesPerSec, 22050u);

    send(kCommandForceWindow, nullptr);
    EXPECT_EQ(app.screenMode, 2);
  });
}

// The scripts' file and folder dialogs are shown by the main window (its
// commands 40027 to 40029), owned by it, whichever native asks; the answers
// land in the scripts' buffers.
TEST_F(WindowCommandsTest, TheScriptsDialogsAreShownByTheMainWindow) {
  platform::ScriptedFileDialogs files;
  platform::ScopedFileDialogs scopedFiles(files);
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    ScriptAddressSpace& space = app.scripts->Space();
    const auto text = [&](const std::string& value, uint32_t room) {
      const uint32_t at = space.Allocate(room);
      space.WriteBytes(at, value.c_str(), value.size() + 1);
      return at;
    };
    const auto read = [&](uint32_t at) {
      std::string value;
      space.ReadString(at, value);
      return value;
    };
    const uint32_t title = text("Pick", 8), path = text("", 260), name = text("", 64);
    const uint32_t filter = text("Data\t*.DAT\tAll\t*.*\t", 32), extension = text("DAT", 4);
    struct Row {
      const char* name;
      uint32_t native;
      std::vector<uint32_t> cells;
      std::optional<platform::FileDialogAnswer> answer;  // none: no dialog
      uint32_t result;
      const char* path;
      const char* fileName;
    };
    const Row rows[] = {
        {"open", 155, {title, path, name, 0, filter}, platform::FileDialogAnswer{true, "Z:\\G\\A.DAT", 1}, 1,
         "Z:\\G\\A.DAT", "A.DAT"},
        {"save in the second filter", 156, {title, path, name, 0, filter, extension},
         platform::FileDialogAnswer{true, "Z:\\B.DAT", 2}, 3, "Z:\\B.DAT", "B.DAT"},
        {"save cancelled", 156, {title, path, name, 0, filter, extension}, platform::FileDialogAnswer{}, 0,
         "Z:\\B.DAT", "B.DAT"},
        {"open without a name buffer", 155, {title, path, 0, 0, filter}, std::nullopt, 0, "Z:\\B.DAT", "B.DAT"},
        {"folder", 157, {title, 0, path}, platform::FileDialogAnswer{true, "Z:\\G", 0}, 1, "Z:\\G\\", "B.DAT"},
        {"folder cancelled", 157, {title, 0, path}, platform::FileDialogAnswer{}, 0, "Z:\\G\\", "B.DAT"},
        {"folder without a buffer", 157, {title, 0, 0}, std::nullopt, 0, "Z:\\G\\", "B.DAT"},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      const size_t asked = files.Requests().size();
      if (row.answer) files.QueueAnswer(*row.answer);
      EXPECT_EQ(testing::CallNative(*app.scripts, row.native, row.cells), row.result);
      ASSERT_EQ(files.Requests().size(), asked + (row.answer ? 1 : 0));
      if (row.answer) {
        const platform::FileDialogRequest& request = files.Requests().back();
        EXPECT_EQ(request.owner, app.mainWindow.GetHandle());
        EXPECT_EQ(request.title, "Pick");
        if (row.native != 157) {
          EXPECT_EQ(request.initialFolder, BaseFolder()) << "no folder given: the game's";
          EXPECT_EQ(request.filters.size(), 2u);
        }
      }
      EXPECT_EQ(read(path), row.path);
      EXPECT_EQ(read(name), row.fileName);
    }
    for (uint32_t block : {title, path, name, filter, extension}) space.Free(block);
  });
}

// 0x9006: the object movie has events waiting; the window reads them under
// the movie lock, and the end of a movie that does not loop stops it. The
// movie state follows the object's answer to its paint query.
TEST_F(WindowCommandsTest, TheObjectMoviesMessageReadsItsEvents) {
  testing::FakeLibraryHandle fake{"good", "QUORRA"};
  testing::FakeArchives archives;
  archives.AddMember("OP.MPG");
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    MovieLibraries libraries;
    libraries.Bind(true, &archives, testing::FakeLibraryFolder("good"));
    ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
    ScriptAddressSpace& space = app.scripts->Space();
    const uint32_t file = space.Allocate(8);
    space.WriteBytes(file, "OP.MPG", 7);
    ASSERT_EQ(testing::CallNative(*app.scripts, 629, {file, 1, 0}), 0u);
    space.Free(file);
    ASSERT_TRUE(app.movies.object);
    // Native 632 asks the object after it plays whether it paints itself:
    // the movie state says so.
    fake.State().paintQuery = 1;
    EXPECT_EQ(testing::CallNative(*app.scripts, 632, {}), 0u);
    EXPECT_EQ(app.movieState.load(), 2);
    EXPECT_EQ(testing::CallNative(*app.scripts, 633, {}), 0u);
    EXPECT_EQ(app.movieState.load(), 0);
    fake.State().paintQuery = 0;
    EXPECT_EQ(testing::CallNative(*app.scripts, 632, {}), 0u);
    EXPECT_EQ(app.movieState.load(), 1);
    fake.State().events.push_back({1, 0, 0});
    const int32_t stops = fake.State().Count("Stop");
    app.mainWindow.SendWindowMessage(platform::WM_APP_OBJECT_MOVIE, 0, 0);
    EXPECT_EQ(fake.State().Count("Stop"), stops + 1);
    EXPECT_TRUE(fake.State().events.empty());
    // A message with nothing waiting changes nothing.
    app.mainWindow.SendWindowMessage(platform::WM_APP_OBJECT_MOVIE, 0, 0);
    EXPECT_EQ(fake.State().Count("Stop"), stops + 1);
    EXPECT_EQ(testing::CallNative(*app.scripts, 630, {}), 0u);
    EXPECT_EQ(fake.State().live, 0);
  });
}

}  // namespace
}  // namespace orrivel
