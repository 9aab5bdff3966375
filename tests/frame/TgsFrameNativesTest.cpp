// Natives 788 to 791 over the in-memory disk: creation and its failures,
// deletion, runs that end, fail or suspend, the frame option words, the
// guard that keeps a running frame alive, the bar buttons of a run and the
// background tint table.
#include <gtest/gtest.h>

#include <algorithm>

#include "../scene/SceneTestSupport.h"
#include "TgsFrameTestSupport.h"
#include "frame/TgsBackgroundTints.h"
#include "frame/TgsFrameNatives.h"
#include "display/DrawObjectManager.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsLayerSets.h"
#include "scene/CanvasDrawImage.h"
#include "scene/SpriteCanvas.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"

namespace orrivel {
namespace {

struct NativeFixture : FrameFixture {
  QuietControlHost controls;
  ControlFactory factory;
  CanvasDrawImage scriptCanvas;
  TgsFrameSlot slot;
  TgsNativeContext context;
  bool stop = false;
  bool closing = false;
  bool saveAllowed = true;
  bool loadAllowed = true;
  bool settingsAllowed = true;
  std::function<void(TgsFrame&)> prepare;

  NativeFixture() {
    context.slot = &slot;
    context.space = &host.Space();
    context.environment = Environment();
    context.environment.controls = &controls;
    context.environment.factory = &factory;
    EXPECT_EQ(scriptCanvas.Load(640, 480, 32, 1), 0);
    context.environment.saveAllowed = [this] { return saveAllowed; };
    context.environment.loadAllowed = [this] { return loadAllowed; };
    context.environment.player.settingsAllowed = [this] { return settingsAllowed; };
    context.readScriptFile = [this](const std::string& path) { return disk.Read(path); };
    context.writeScriptFile = [this](const std::string& path, std::span<const uint8_t> data) {
      disk.Put(path, std::vector<uint8_t>(data.begin(), data.end()));
      return true;
    };
    context.stopRequested = [this] { return stop; };
    context.programClosing = [this] { return closing; };
    context.resolveCanvas = [this](uint32_t handle) -> std::optional<TgsCanvasRef> {
      if (handle == 9) return TgsCanvasRef{handle, 9, 640, 480, &scriptCanvas};
      if (handle == 90) return TgsCanvasRef{handle, 9, 640, 480, nullptr};
      if (handle == 7) return TgsCanvasRef{handle, 7, 640, 480, &scriptCanvas};
      return std::nullopt;
    };
    context.prepareFrame = [this](TgsFrame& frame) {
      if (prepare) prepare(frame);
    };
  }

  // Calls a native with integer cells; a std::string cell becomes the
  // address of its bytes.
  uint32_t Call(uint32_t (*native)(TgsNativeContext&, NativeArgs&), std::vector<uint32_t> cells,
                const std::string* text = nullptr, uint32_t textCell = 0) {
    ScriptAddressSpace& space = host.Space();
    if (text) {
      const uint32_t bytes = space.Allocate(text->size() + 1);
      space.WriteBytes(bytes, text->c_str(), text->size() + 1);
      cells[textCell] = bytes;
    }
    const uint32_t block = space.Allocate(4 * cells.size() + 4);
    for (size_t i = 0; i < cells.size(); ++i) space.Write32(block + 4 * uint32_t(i), cells[i]);
    NativeArgs args(space, nullptr, block);
    return native(context, args);
  }
  uint32_t Create(uint32_t canvas = 0) { return Call(NativeCreateTgsFrame, {0, 0, canvas}); }
  uint32_t Run(int32_t mode, const std::string& name) {
    return Call(NativeRunTgsScript, {uint32_t(mode), 0}, &name, 1);
  }
  void AddTable(const std::vector<tob::ScriptRecord>& records) {
    disk.Put("SCRIPT\\TGS_INIT.DAT", tob::WriteScriptTable(records));
  }
};

TEST(TgsFrameNatives, CreationAndItsFailures) {
  NativeFixture f;
  EXPECT_EQ(f.Create(), 0u);
  ASSERT_TRUE(f.slot.frame);
  EXPECT_TRUE(f.slot.frame->OwnsCanvases());
  EXPECT_EQ(f.slot.frame->Canvas().width, 1280u);
  EXPECT_EQ(f.slot.frame->Canvas().height, 720u);
  // Without a table file the frame has no table.
  EXPECT_FALSE(f.slot.frame->ScriptTable().Exists());

  EXPECT_EQ(f.Create(9), 0u);
  EXPECT_FALSE(f.slot.frame->OwnsCanvases());
  EXPECT_EQ(f.slot.frame->CanvasObject(), &f.scriptCanvas);

  const struct {
    uint32_t canvas;
    uint32_t result;
  } failures[] = {{7, 1}, {1234, 1}, {90, 2}};
  for (const auto& c : failures) {
    EXPECT_EQ(f.Create(c.canvas), c.result) << c.canvas;
    EXPECT_FALSE(f.slot.frame) << c.canvas;
  }

  f.disk.Put("SCRIPT\\TGS_INIT.DAT", {5, 0, 0, 0, 3});
  EXPECT_EQ(f.Create(), 3u);
  EXPECT_FALSE(f.slot.frame);

  // Without a script host or a control host the set-up fails.
  f.context.environment.controls = nullptr;
  EXPECT_EQ(f.Create(), 2u);
  f.context.environment.controls = &f.controls;
  f.context.environment.host = nullptr;
  EXPECT_EQ(f.Create(), 2u);
}

TEST(TgsFrameNatives, DeleteThenRunReportsTheMissingFrame) {
  NativeFixture f;
  ASSERT_EQ(f.Create(), 0u);
  EXPECT_EQ(f.Call(NativeDeleteTgsFrame, {}), 0u);
  EXPECT_FALSE(f.slot.frame);
  EXPECT_EQ(f.Run(0, "T"), 1u);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0], "TGSフレームが初期化されていません。");
}

TEST(TgsFrameNatives, RunsPlayFailAndSuspend) {
  NativeFixture f;
  f.AddStory("module T\nA[50]B\nmodule S\nA[51]B\nmodule F\nA[52]B\nmodule H\nA[53]B\n");
  int releases = 0;
  f.context.releaseConfirmBox = [&releases] { ++releases; };
  std::vector<std::string> pages;
  f.prepare = [&pages](TgsFrame& frame) {
    frame.SetPageSink([&pages](std::span<const uint8_t> page, const std::string&, const std::string&) {
      pages.emplace_back(page.begin(), page.end());
    });
    frame.Opcodes().Register(50, [](TgsFrame& frame, const TgsArguments&) { return frame.FlushPage() * 0; });
    frame.Opcodes().Register(51, [](TgsFrame&, const TgsArguments&) { return TgsFrame::kSuspend; });
    frame.Opcodes().Register(52, [](TgsFrame&, const TgsArguments&) { return -1; });
    frame.Opcodes().Register(53, [](TgsFrame&, const TgsArguments&) { return 3; });
  };
  ASSERT_EQ(f.Create(), 0u);
  TgsFrame& frame = *f.slot.frame;

  EXPECT_EQ(f.Run(0, "T"), 0u);
  EXPECT_EQ(pages, (std::vector<std::string>{"A"}));
  EXPECT_EQ(frame.RunStackSize(), 0u);  // the run ended

  // A handler's stop ends the run and lets the confirmation box go.
  EXPECT_EQ(f.Run(0, "H"), 0u);
  EXPECT_EQ(f.slot.frameResult, 3);
  EXPECT_EQ(frame.RunStackSize(), 0u);
  EXPECT_EQ(releases, 1);

  EXPECT_EQ(f.Run(0, "NOPE"), 2u);
  EXPECT_EQ(f.boxes.shown.back(), "TGSスクリプト「NOPE」のロードに失敗。");

  // A suspended run keeps its module; a resume reads on from the command.
  EXPECT_EQ(f.Run(0, "S"), 0u);
  EXPECT_EQ(f.slot.frameResult, TgsFrame::kSuspend);
  EXPECT_EQ(frame.RunStackSize(), 1u);
  EXPECT_EQ(frame.ArgumentTop(), 0u);
  EXPECT_EQ(f.Run(-1, ""), 0u);
  EXPECT_EQ(f.slot.frameResult, TgsFrame::kNoModule);  // the read position went with the stop
  EXPECT_EQ(frame.RunStackSize(), 0u);

  // Mode -1 with nothing loaded ends the run.
  EXPECT_EQ(f.Run(-1, ""), 0u);
  EXPECT_EQ(f.slot.frameResult, TgsFrame::kNoModule);

  // -1 while the program goes on: 1, the module stays, so a new run cannot
  // load until the frame is made again.
  EXPECT_EQ(f.Run(0, "F"), 1u);
  EXPECT_EQ(frame.RunStackSize(), 1u);
  EXPECT_EQ(f.Run(0, "T"), 2u);
  // A program that is closing (a wait of the menu or the question box saw
  // it) starts nothing more: no load is tried, no box tells of one.
  f.closing = true;
  const size_t boxes = f.boxes.shown.size();
  EXPECT_EQ(f.Run(0, "T"), 1u);
  EXPECT_EQ(f.boxes.shown.size(), boxes);
  f.closing = false;
  // With the program stopping the run ends.
  ASSERT_EQ(f.Create(), 0u);
  f.stop = true;
  EXPECT_EQ(f.Run(0, "F"), 0u);
  EXPECT_EQ(f.slot.frame->RunStackSize(), 0u);
  EXPECT_EQ(releases, 2);
}

// A script may delete the display object the frame draws on, between runs
// or from inside one: the frame first takes everything of its own out of
// the canvas and forgets it, then shows nothing; runs, pages, layers and
// the frame's deletion go on without reaching into the deleted canvas.
// Sprites need the pixel-operation library the scene tests set up.
class TgsFrameCanvas : public test::SceneTest {};

TEST_F(TgsFrameCanvas, ADeletedCanvasIsLetGoAndNothingIsDrawnOnIt) {
  for (const bool duringTheRun : {false, true}) {
    SCOPED_TRACE(duringTheRun ? "during the run" : "between runs");
    NativeFixture f;
    DrawObjectManager objects;
    auto made = std::make_unique<CanvasDrawImage>();
    ASSERT_EQ(made->Load(1280, 720, 32, 1), 0);
    CanvasDrawImage* const canvas = made.get();
    uint32_t handle = objects.AddImage(std::move(made));
    ASSERT_NE(handle, 0u);
    f.context.resolveCanvas = [&objects](uint32_t h) -> std::optional<TgsCanvasRef> {
      auto* image = dynamic_cast<CanvasDrawImage*>(objects.GetImage(h));
      if (image == nullptr) return std::nullopt;
      return TgsCanvasRef{h, int32_t(TgsFrame::kCanvasKind), 1280, 720, image};
    };
    WatchFrameCanvas(f.context, &objects);
    // The game's own files (its fonts among them) come from the machine.
    f.context.environment.readGameFile = nullptr;
    f.AddStory("module T\nA[60]B[50]\n");
    bool shownNowhere = false;
    f.prepare = [&](TgsFrame& frame) {
      frame.Opcodes().Register(60, [&](TgsFrame&, const TgsArguments&) {
        if (duringTheRun && handle != 0) objects.DeleteImage(&handle);
        return 0;
      });
      frame.Opcodes().Register(50, [&](TgsFrame& frame, const TgsArguments&) {
        frame.FlushPage();
        // The page is laid out in a window that stands in no list.
        MessageTextWindow* window = frame.WindowState().Window(0);
        shownNowhere = window == nullptr || (window->WindowSprite().OwningList() == nullptr && window->HasPageText());
        return 0;
      });
    };
    ASSERT_EQ(f.Create(handle), 0u);
    TgsFrame& frame = *f.slot.frame;
    ASSERT_EQ(frame.CanvasObject(), canvas);
    if (!duringTheRun) {
      ASSERT_EQ(frame.BeginRun(false), 0);
      ASSERT_NE(frame.WindowState().Window(0), nullptr);
      // Made without an overlay list, the canvas got one for the window.
      ASSERT_NE(canvas->GetOverlayList(), nullptr);
      EXPECT_EQ(frame.WindowState().Window(0)->WindowSprite().OwningList(), canvas->GetOverlayList());
      ASSERT_EQ(objects.DeleteImage(&handle), 0);
      EXPECT_EQ(frame.CanvasObject(), nullptr);
      EXPECT_EQ(frame.EndRun(), 0);
    }
    EXPECT_EQ(f.Run(0, "T"), 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(shownNowhere);
    EXPECT_EQ(frame.CanvasObject(), nullptr);
    EXPECT_NE(std::find(f.log.begin(), f.log.end(),
                        "the frame's canvas was deleted: the frame shows nothing until it is made again"),
              f.log.end());
    // The layers draw on nothing now.
    ASSERT_NE(frame.Layers(), nullptr);
    EXPECT_EQ(frame.Layers()->Canvas(TgsLayerSets::kFront), nullptr);
    frame.Layers()->ClearLayer(0xFF203040u, 0);
    // A later run builds no windows and plays its pages all the same.
    shownNowhere = false;
    EXPECT_EQ(f.Run(0, "T"), 0u);
    EXPECT_TRUE(shownNowhere);
    EXPECT_EQ(f.Call(NativeDeleteTgsFrame, {}), 0u);
    EXPECT_FALSE(f.slot.frame);
  }
}

TEST(TgsFrameNatives, OptionWordsGoToTheNextFrame) {
  NativeFixture f;
  EXPECT_EQ(f.Call(NativeSetTgsFrameOption, {0, 0x1234}), 0u);
  EXPECT_EQ(f.Call(NativeSetTgsFrameOption, {5, 7}), 0u);
  const auto before = f.slot.optionWords;
  EXPECT_EQ(f.Call(NativeSetTgsFrameOption, {6, 99}), 0u);
  EXPECT_EQ(f.Call(NativeSetTgsFrameOption, {uint32_t(-1), 99}), 0u);
  EXPECT_EQ(f.slot.optionWords, before);
  ASSERT_EQ(f.Create(), 0u);
  EXPECT_EQ(f.slot.frame->OptionWords()[0], 0x1234);
  EXPECT_EQ(f.slot.frame->OptionWords()[5], 7);
}

TEST(TgsFrameNatives, RunningFrameCannotBeDeletedFromItsOwnModule) {
  NativeFixture f;
  f.AddStory("module T\nA[50]B\n");
  std::vector<uint32_t> results;
  f.prepare = [&f, &results](TgsFrame& frame) {
    frame.Opcodes().Register(50, [&f, &results](TgsFrame&, const TgsArguments&) {
      results.push_back(f.Create());
      results.push_back(f.Call(NativeDeleteTgsFrame, {}));
      results.push_back(f.Run(0, "T"));
      return 0;
    });
  };
  ASSERT_EQ(f.Create(), 0u);
  const TgsFrame* frame = f.slot.frame.get();
  EXPECT_EQ(f.Run(0, "T"), 0u);
  EXPECT_EQ(results, (std::vector<uint32_t>{uint32_t(-1), 0, 1}));
  EXPECT_EQ(f.slot.frame.get(), frame);
  EXPECT_EQ(f.PageText(), "");  // this fixture's own frame is untouched
}

TEST(TgsFrameNatives, ReadFlagsComeAndGoWithTheFrame) {
  NativeFixture f;
  f.AddTable({{"T", 4, 0}});
  f.AddStory("module T\nA\n");
  ASSERT_EQ(f.Create(), 0u);
  ASSERT_TRUE(f.slot.frame->ScriptTable().Exists());
  ASSERT_EQ(f.slot.frame->LoadScriptByName("T"), 0);
  f.slot.frame->MarkMessageRead(2);
  EXPECT_EQ(f.Call(NativeDeleteTgsFrame, {}), 0u);
  ASSERT_TRUE(f.disk.Read("TEXT_LOG.DAT"));
  ASSERT_EQ(f.Create(), 0u);
  ASSERT_EQ(f.slot.frame->LoadScriptByName("T"), 0);
  EXPECT_TRUE(f.slot.frame->IsMessageRead(2));
}

TEST(TgsFrameRun, BarButtonsFollowTheRun) {
  const struct {
    bool save;
    bool load;
    uint32_t history;
    std::array<uint8_t, 10> buttons;
    bool settings = true;
  } cases[] = {
      {true, true, 0, {1, 1, 0, 1, 1, 1, 1, 0, 1, 1}},
      {true, true, 2, {1, 1, 0, 1, 1, 1, 1, 1, 1, 1}},
      {false, true, 1, {0, 1, 0, 0, 1, 1, 1, 0, 1, 1}},
      {true, false, 1, {1, 0, 0, 1, 0, 1, 1, 0, 1, 1}},
      {true, true, 0, {1, 1, 0, 1, 1, 1, 1, 0, 0, 1}, false},
  };
  for (const auto& c : cases) {
    NativeFixture f;
    f.saveAllowed = c.save;
    f.loadAllowed = c.load;
    f.settingsAllowed = c.settings;
    std::array<uint8_t, 196> settings{};
    settings[29] = 7;  // a history of 8 entries
    f.context.environment.settings = settings;
    ASSERT_EQ(f.Create(), 0u);
    TgsFrame& frame = *f.slot.frame;
    // The history the run starts with (a loaded save's).
    ASSERT_EQ(frame.History().SetCapacity(8), 0);
    for (uint32_t i = 0; i < c.history; ++i) ASSERT_EQ(frame.History().AddEntry(reinterpret_cast<const uint8_t*>("page"), 4, 30, "", "", 0), 0);
    ASSERT_EQ(frame.BeginRun(false), 0);
    for (uint32_t b = 0; b < TgsFrame::kBarButtons; ++b) EXPECT_EQ(frame.ButtonState(b), c.buttons[b]) << b;
    EXPECT_EQ(frame.MessageId(), -1);
    EXPECT_TRUE(frame.InputEnabled());
    EXPECT_EQ(frame.EndRun(), 0);
  }
  // A frame that is not set up cannot run.
  FrameFixture plain;
  EXPECT_EQ(plain.frame->BeginRun(false), -2);
}

TEST(TgsFrameRun, ResumedRunGreysSkipForUnreadMessages) {
  NativeFixture f;
  f.AddTable({{"T", 4, 0}});
  f.AddStory("module T\nA\n");
  std::array<uint8_t, 196> settings{};
  settings[5] = 1;  // skip read text only
  f.context.environment.settings = settings;
  ASSERT_EQ(f.Create(), 0u);
  TgsFrame& frame = *f.slot.frame;
  ASSERT_EQ(frame.LoadScriptByName("T"), 0);
  frame.SetMessageId(1);
  ASSERT_EQ(frame.BeginRun(true), 0);
  EXPECT_EQ(frame.ButtonState(TgsFrame::kSkipToChoice), 0);
  frame.MarkMessageRead(1);
  ASSERT_EQ(frame.BeginRun(true), 0);
  EXPECT_EQ(frame.ButtonState(TgsFrame::kSkipToChoice), 1);
  EXPECT_TRUE(frame.AlreadyRead());
}

TEST(TgsBackgroundTints, TableAndItsErrors) {
  const struct {
    const char* file;
    int32_t result;
    std::vector<int32_t> table;
  } cases[] = {
      {"// tints\r\n\r\n[HERO 2\r\n*\r\n10\r\n0x20\r\n[SKY 0x3\r\n7\r\n", 0, {-2, -2, 10, 32, -3, 7, 0}},
      {"*\r\n", TgsBackgroundTints::kRepeatFirst, {}},
      {"5\r\n*\r\n", TgsBackgroundTints::kRepeatNotAfterClass, {}},
      {"[HERO 2\r\n5\r\n*\r\n", TgsBackgroundTints::kRepeatNotAfterClass, {}},
      {"[HERO 0\r\n", TgsBackgroundTints::kClassZero, {}},
      {"// only\r\n\r\n//comments\r\n", TgsBackgroundTints::kNoEntries, {}},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> table;
    const std::string file = c.file;
    EXPECT_EQ(TgsBackgroundTints::Parse(reinterpret_cast<const uint8_t*>(file.data()), file.size(), table), c.result)
        << c.file;
    EXPECT_EQ(table, c.table) << c.file;
  }

  // Set-up reads "DATA/BG.TXT": tints are on with a table, off without.
  NativeFixture with;
  const std::string file = "[HERO 2\r\n10\r\n";
  with.disk.Put("DATA/BG.TXT", std::vector<uint8_t>(file.begin(), file.end()));
  ASSERT_EQ(with.Create(), 0u);
  ASSERT_EQ(with.slot.frame->BeginRun(false), 0);
  EXPECT_TRUE(with.slot.frame->BgTintsOn());
  NativeFixture without;
  ASSERT_EQ(without.Create(), 0u);
  ASSERT_EQ(without.slot.frame->BeginRun(false), 0);
  EXPECT_FALSE(without.slot.frame->BgTintsOn());
}

}  // namespace
}  // namespace orrivel
