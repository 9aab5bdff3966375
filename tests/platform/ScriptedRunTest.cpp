// Scripted input files: what the text may say, and how a run plays it into
// a window of the headless machine frame by frame, with its virtual clock
// and its snapshots.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/KeyTable.h"
#include "platform/DialogService.h"
#include "platform/ImeService.h"
#include "platform/ScriptedRun.h"
#include "platform/SoftSurface.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel::platform {
namespace {

TEST(ScriptedInputTest, ReadsEveryCommandAndRefusesBadLines) {
  std::vector<ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(ParseScriptedInput("# comment\n\n1 click 10 20\n1 rclick 3 4\n2 move -5 6\n"
                                 "3 keydown ctrl+shift+S\n3 keyup Enter\n4 key F5\n5 wheel -2\n"
                                 "5 text  ありがとう ok \n6 snapshot title\n6 quit\n6 compose にほん ご\n6 commit\n",
                                 events, &error))
      << error;
  ASSERT_EQ(events.size(), 12u);
  using Kind = ScriptedEvent::Kind;
  EXPECT_EQ(events[0].kind, Kind::Click);
  EXPECT_EQ(events[0].x, 10);
  EXPECT_EQ(events[0].y, 20);
  EXPECT_EQ(events[1].kind, Kind::RightClick);
  EXPECT_EQ(events[2].x, -5);
  EXPECT_EQ(events[3].kind, Kind::KeyDown);
  EXPECT_EQ(events[3].modifiers, ScriptedEvent::kCtrl | ScriptedEvent::kShift);
  EXPECT_EQ(events[3].key, KeyCodeFromName("S"));
  EXPECT_EQ(events[4].key, DIK_RETURN);
  EXPECT_EQ(events[5].kind, Kind::Key);
  EXPECT_EQ(events[6].notches, -2);
  EXPECT_EQ(events[7].text, "ありがとう ok");
  EXPECT_EQ(events[8].text, "title");
  EXPECT_EQ(events[9].kind, Kind::Quit);
  EXPECT_EQ(events[9].frame, 6u);
  EXPECT_EQ(events[10].kind, Kind::Compose);
  EXPECT_EQ(events[10].text, "にほん ご");
  EXPECT_EQ(events[11].kind, Kind::Commit);

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {
      {"0 quit", "line 1: expected a frame number from 1"},
      {"x quit", "line 1: expected a frame number from 1"},
      {"5 quit\n4 quit", "line 2: frame 4 goes backwards"},
      {"1 jump", "line 1: unknown command \"jump\""},
      {"1 click 5", "line 1: click: expected X Y"},
      {"1 click 5 6 7", "line 1: click: unexpected words at the end"},
      {"1 keydown Hyper+A", "line 1: keydown: unknown key"},
      {"1 key NoSuchKey", "line 1: key: unknown key"},
      {"1 wheel 0", "line 1: wheel: expected a non-zero notch count"},
      {"1 text   ", "line 1: text: expected text"},
      {"1 compose", "line 1: compose: expected text"},
      {"1 commit now", "line 1: commit: unexpected words at the end"},
      {"1 snapshot", "line 1: snapshot: expected a file name"},
      {"1 quit now", "line 1: quit: unexpected words at the end"},
      {"1 close it", "line 1: close: unexpected words at the end"},
      {"1 answer", "line 1: answer: expected ok, yes, no or a control number, then checked or unchecked"},
      {"1 answer maybe", "line 1: answer: expected ok, yes, no or a control number, then checked or unchecked"},
      {"1 answer yes ticked", "line 1: answer: expected ok, yes, no or a control number, then checked or unchecked"},
      {"1 answer no checked x", "line 1: answer: unexpected words at the end"},
  };
  for (const Bad& row : bad) {
    EXPECT_FALSE(ParseScriptedInput(row.text, events, &error)) << row.text;
    EXPECT_EQ(error, row.error) << row.text;
  }
}

// Input files are read a line at a time within bounds: anything but a
// plain file, a file or line above its bound is refused without being
// read whole (a FIFO without a writer must not hang the start); a byte
// order mark is skipped.
TEST(ScriptedInputTest, FilesAreReadWithinBoundsAndOnlyWhenPlain) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("orrivel-input-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  };
  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string sparse = write("large", "");
  std::filesystem::resize_file(sparse, kMaxScriptedInputBytes + 1);
  struct Case {
    std::string path;
    std::string error;  // empty: read
  };
  const Case cases[] = {
      {(folder / "missing").string(), "cannot read the file (No such file or directory)"},
      {folder.string(), "is a folder, not an input file"},
      {fifo, "is not a plain file"},
      {"/dev/zero", "is not a plain file"},
      {sparse, "larger than 8388608 bytes"},
      {write("long", "1 move 1 2\n2 text " + std::string(kMaxScriptedLineBytes, 'a') + "\n3 quit\n"),
       "line 2: longer than 65536 bytes"},
      {write("bad", "1 move 1 2\n\n2 jump\n"), "line 3: unknown command \"jump\""},
      {write("bom", "\xEF\xBB\xBF" "1 move 1 2\r\n4294967295 quit"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<ScriptedEvent> events;
    std::string error;
    EXPECT_EQ(ReadScriptedInputFile(c.path, events, &error), c.error.empty());
    EXPECT_EQ(error, c.error);
    if (c.error.empty()) {
      ASSERT_EQ(events.size(), 2u);
      EXPECT_EQ(events[0].kind, ScriptedEvent::Kind::Move);
      EXPECT_EQ(events[1].frame, 4294967295u);
    }
  }
  std::filesystem::remove_all(folder);
}

class Sink : public WindowClient {
 public:
  intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message >= WM_KEYDOWN && message <= WM_MOUSEWHEEL) seen.push_back(Message{window, message, wParam, lParam});
    return backend->DefWindowProc(window, message, wParam, lParam);
  }
  HeadlessBackend* backend = nullptr;
  std::vector<Message> seen;
};

class ScriptedRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sink.backend = &backend;
    backend.RegisterClass(WindowClass{"T"});
    WindowCreateParams params;
    params.className = "T";
    params.x = 100;
    params.y = 50;
    params.width = 64;
    params.height = 48;
    params.client = &sink;
    window = backend.CreateWindow(params);
  }
  // Plays the frame and delivers what it posted; false once the quit came.
  bool Frame(ScriptedRun& run, uint32_t frame) {
    sink.seen.clear();
    run.BeginFrame(window, frame, 16);
    Message message;
    while (backend.PeekMessage(message, true)) {
      if (message.message == WM_QUIT) return false;
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
    return true;
  }
  std::vector<uint32_t> Seen() const {
    std::vector<uint32_t> kinds;
    for (const Message& m : sink.seen) kinds.push_back(m.message);
    return kinds;
  }

  HeadlessBackend backend;
  ScopedBackend useBackend{backend};
  HeadlessInput devices;
  ScopedInputSource useDevices{devices};
  Sink sink;
  WindowId window = kNoWindow;
};

TEST_F(ScriptedRunTest, ClicksAndKeysAreHeldForOneFrameAndSeenByMessagesAndPolling) {
  std::vector<ScriptedEvent> events;
  ASSERT_TRUE(ParseScriptedInput("2 click 10 20\n3 key ctrl+S\n4 move 30 40\n4 wheel 2\n5 rclick 1 2\n6 quit\n",
                                 events, nullptr));
  ScriptedRun run(std::move(events), false);
  ASSERT_TRUE(Frame(run, 1));
  EXPECT_TRUE(sink.seen.empty());

  ASSERT_TRUE(Frame(run, 2));
  ASSERT_EQ(Seen(), std::vector<uint32_t>{WM_LBUTTONDOWN});
  EXPECT_EQ(sink.seen[0].lParam, intptr_t(10 | (20 << 16)));
  EXPECT_EQ(sink.seen[0].wParam, MK_LBUTTON);
  EXPECT_EQ(devices.MouseButtons(), 1u);
  Point pointer;
  ASSERT_TRUE(backend.GetCursorPos(pointer));
  EXPECT_EQ(backend.ScreenToClient(window, pointer), (Point{10, 20}));

  // The button comes up on the next frame, before the keys of that frame.
  ASSERT_TRUE(Frame(run, 3));
  EXPECT_EQ(Seen(), (std::vector<uint32_t>{WM_LBUTTONUP, WM_KEYDOWN, WM_KEYDOWN}));
  EXPECT_EQ(devices.MouseButtons(), 0u);
  EXPECT_EQ(sink.seen[1].wParam, VK_CONTROL);
  EXPECT_EQ(sink.seen[2].wParam, uintptr_t('S'));
  std::array<uint8_t, 256> keys{};
  devices.ReadKeyboard(keys);
  EXPECT_EQ(keys[DIK_LCONTROL], 0x80);
  EXPECT_EQ(keys[KeyCodeFromName("S")], 0x80);

  ASSERT_TRUE(Frame(run, 4));
  ASSERT_EQ(Seen(), (std::vector<uint32_t>{WM_KEYUP, WM_KEYUP, WM_MOUSEMOVE, WM_MOUSEWHEEL}));
  EXPECT_EQ(sink.seen[0].wParam, uintptr_t('S'));
  EXPECT_EQ(sink.seen[1].wParam, VK_CONTROL);
  EXPECT_EQ(sink.seen[3].wParam >> 16, uintptr_t(2 * WHEEL_DELTA));
  const Point wheelAt = backend.ClientToScreen(window, Point{30, 40});
  EXPECT_EQ(sink.seen[3].lParam, intptr_t(uint16_t(wheelAt.x) | (uint16_t(wheelAt.y) << 16)));
  devices.ReadKeyboard(keys);
  EXPECT_EQ(keys[DIK_LCONTROL], 0);

  ASSERT_TRUE(Frame(run, 5));
  EXPECT_EQ(Seen(), std::vector<uint32_t>{WM_RBUTTONDOWN});
  EXPECT_EQ(devices.MouseButtons(), 2u);
  EXPECT_FALSE(Frame(run, 6));
  EXPECT_TRUE(run.EndsByItself());
}

// The input file answers the game's dialogs and closes its window.
TEST_F(ScriptedRunTest, AnswersGoToTheDialogsAndCloseAsksTheWindow) {
  std::vector<ScriptedEvent> events;
  ASSERT_TRUE(ParseScriptedInput("1 answer no checked\n1 answer 1016\n2 answer YES unchecked\n2 close\n", events,
                                 nullptr));
  ScriptedDialogs dialogs;
  ScopedDialogs useDialogs(dialogs);
  ScriptedRun run(std::move(events), false);
  ASSERT_TRUE(Frame(run, 1));
  EXPECT_TRUE(sink.seen.empty());
  EXPECT_EQ(dialogs.QueuedAnswers(), 2u);
  ASSERT_TRUE(Frame(run, 2));
  const std::vector<uint32_t> delivered = backend.DeliveredTo(window);
  EXPECT_NE(std::find(delivered.begin(), delivered.end(), WM_CLOSE), delivered.end());
  DialogRequest request;
  request.controls.push_back({1013, DialogControlKind::CheckBox, {}, "", true, false});
  struct Expected {
    uint16_t button;
    bool checked;
  };
  for (const Expected expected : {Expected{2, true}, Expected{1016, true}, Expected{1, false}, Expected{7, true}}) {
    request.defaultButton = 7;
    const DialogAnswer answer = dialogs.Show(request);
    EXPECT_EQ(answer.button, expected.button);
    EXPECT_EQ(answer.checked, expected.checked);
  }
}

TEST_F(ScriptedRunTest, TypedTextArrivesAsCharacters) {
  std::vector<ScriptedEvent> events;
  ASSERT_TRUE(ParseScriptedInput("1 text ab\n", events, nullptr));
  ScriptedRun run(std::move(events), false);
  ASSERT_TRUE(Frame(run, 1));
  ASSERT_EQ(Seen(), (std::vector<uint32_t>{WM_CHAR, WM_CHAR}));
  EXPECT_EQ(sink.seen[0].wParam, uintptr_t('a'));
  EXPECT_EQ(sink.seen[1].wParam, uintptr_t('b'));
}

// A composition reaches the window's input method as the window system's
// text-editing events bring it, its cursor at its end; the commit ends it
// and types its text as characters. A commit without a composition types
// nothing.
TEST_F(ScriptedRunTest, ACompositionIsShownToTheInputMethodAndItsCommitIsTyped) {
  Ime().Reset();
  std::vector<ScriptedEvent> events;
  ASSERT_TRUE(ParseScriptedInput("1 compose か\n2 compose かな\n3 commit\n4 commit\n", events, nullptr));
  ScriptedRun run(std::move(events), false);
  const uint32_t context = Ime().GetContext(window);
  std::string composed;
  ASSERT_TRUE(Frame(run, 1));
  EXPECT_TRUE(sink.seen.empty());
  ASSERT_TRUE(Ime().GetCompositionText(context, composed));
  EXPECT_EQ(composed, "\x82\xA9");
  EXPECT_EQ(Ime().GetCompositionCursor(context), 2);

  ASSERT_TRUE(Frame(run, 2));
  ASSERT_TRUE(Ime().GetCompositionText(context, composed));
  EXPECT_EQ(composed, "\x82\xA9\x82\xC8");
  EXPECT_EQ(Ime().GetCompositionCursor(context), 4);
  EXPECT_EQ(Ime().GetCompositionDeltaStart(context), 2);

  ASSERT_TRUE(Frame(run, 3));
  ASSERT_TRUE(Ime().GetCompositionText(context, composed));
  EXPECT_EQ(composed, "");
  ASSERT_EQ(Seen(), (std::vector<uint32_t>{WM_CHAR, WM_CHAR, WM_CHAR, WM_CHAR}));
  const std::vector<uintptr_t> bytes = {0x82, 0xA9, 0x82, 0xC8};
  for (size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(sink.seen[i].wParam, bytes[i]) << i;

  ASSERT_TRUE(Frame(run, 4));
  EXPECT_TRUE(sink.seen.empty());
  Point pointer;
  ASSERT_TRUE(backend.GetCursorPos(pointer));
  EXPECT_NE(backend.ScreenToClient(window, pointer), (Point{0, 0})) << "the input method leaves the pointer alone";
}

TEST_F(ScriptedRunTest, TheVirtualClockMovesOnlyByFramesAndWaitsAndIsPutBackAfterwards) {
  ClockSource* before = &Clock();
  {
    ScriptedRun run({}, true);
    ASSERT_TRUE(run.HasVirtualClock());
    const uint32_t start = Clock().TickMs();
    Frame(run, 1);
    EXPECT_EQ(Clock().TickMs(), start);
    Frame(run, 2);
    Frame(run, 3);
    EXPECT_EQ(Clock().TickMs(), start + 32);
    EXPECT_TRUE(run.Sleep(5));
    EXPECT_TRUE(run.Sleep(0));  // a yield still moves time on
    EXPECT_EQ(Clock().TickMs(), start + 38);
  }
  EXPECT_EQ(&Clock(), before);
  ScriptedRun realTime({}, false);
  EXPECT_FALSE(realTime.Sleep(5));
}

TEST_F(ScriptedRunTest, SnapshotsWriteTheShownFrameOrReportThatThereIsNone) {
  const std::string folder = ::testing::TempDir() + "scripted-run-" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  std::vector<ScriptedEvent> events;
  ASSERT_TRUE(ParseScriptedInput("1 snapshot early\n2 snapshot shown.png\n", events, nullptr));
  ScriptedRun run(std::move(events), false, folder);
  Frame(run, 1);
  EXPECT_EQ(run.FailedSnapshots(), std::vector<std::string>{folder + "/early.png"});

  SoftSurface frame;
  ASSERT_EQ(frame.Create(4, 3, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  ASSERT_EQ(frame.ColorFill(nullptr, 0x00FF8040), kSurfaceOk);
  ASSERT_EQ(backend.ScreenPresenter().Present(window, frame, Rect{0, 0, 4, 3}, nullptr, {}), kPresentOk);
  Frame(run, 2);
  EXPECT_EQ(run.FailedSnapshots().size(), 1u);
  std::ifstream png(folder + "/shown.png", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace orrivel::platform
