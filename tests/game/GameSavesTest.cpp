// The running game's saves: the save natives' service writes the game's
// state into the save folder and a load puts it back; a damaged save is
// refused with the running state untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "RunningGame.h"
#include "TobCompiler.h"
#include "elg/ElgWriter.h"
#include "frame/MessageTextWindow.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsLayerSets.h"
#include "raster/ColorBox.h"
#include "scene/CanvasDrawObject.h"
#include "display/DisplayScreenDevice.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"
#include "natives/NativeCatalog.h"
#include "script/NativeArgs.h"
#include "game/GameSaveService.h"
#include "game/GameSaveState.h"
#include "game/SaveFile.h"
#include "frame/LayerRecord.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

class GameSavesTest : public RunningGameTest {
 protected:
  GameSavesTest() {
    sob::Project project;
    std::string error;
    EXPECT_TRUE(sob::Assemble("vars\n  int score save = 3\n  int endings autosave\n  int scratch\nscene MAIN\n  yield\n  yield\n  ret\n", project, error))
        << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) Write("script/" + name, bytes);
  }

  static uint32_t Score(GameApplication& app) {
    uint32_t value = 0;
    app.scripts->Space().Read32(app.scripts->LiveRecords()[0].address, value);
    return value;
  }
  static void SetScore(GameApplication& app, uint32_t value) {
    app.scripts->Space().Write32(app.scripts->LiveRecords()[0].address, value);
  }
  // The AutoSave variable (1) and the normal one (2).
  static uint32_t Value(GameApplication& app, size_t index) {
    uint32_t value = 0;
    app.scripts->Space().Read32(app.scripts->LiveRecords()[index].address, value);
    return value;
  }
  static void SetValue(GameApplication& app, size_t index, uint32_t value) {
    app.scripts->Space().Write32(app.scripts->LiveRecords()[index].address, value);
  }

  // The state snapshot the running game's save service holds.
  static std::vector<uint8_t> SaveServiceSnapshot(GameApplication&) {
    auto* saves = dynamic_cast<GameSaveService*>(&SystemSaves());
    if (saves == nullptr) return {};
    const std::span<const uint8_t> bytes = saves->Snapshot();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }

  // The module "T" that the frame tests read, among the game's scripts.
  void WriteStory() {
    tob::Story story;
    std::string error;
    ASSERT_TRUE(tob::Compile("module T\n[message 0]Hello\n", story, error)) << error;
    for (auto& [name, bytes] : tob::StoryFiles(story))
      if (name != "TGS_INIT.DAT") Write("script/" + name, bytes);
  }
  // The frame as a script makes it (no canvas of its own given), running
  // "T"; null when it cannot be made.
  static TgsFrame* RunningFrame(GameScriptHost& host) {
    const uint32_t cells = host.Space().Allocate(12);
    NativeArgs create(host.Space(), nullptr, cells);
    if (host.Natives()[ScriptNativeNumber(tgs_natives::kCreateFrame)](create) != 0) return nullptr;
    TgsFrame* frame = host.TextFrameSlot().frame.get();
    if (!frame || frame->LoadScriptByName("T") != 0 || frame->BeginRun(false) != 0) return nullptr;
    return frame;
  }
};

TEST_F(GameSavesTest, SavesAndLoadsThroughTheInstalledService) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    SaveService& saves = SystemSaves();
    SetScore(app, 41);
    SetValue(app, 1, 5);
    SetValue(app, 2, 6);
    ASSERT_EQ(saves.WriteSave(11, -1), 0);
    const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
    const std::filesystem::path file = std::filesystem::path(folder) / "DATA1105.SAV";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(app.settings.blocks.appConfig[188], 5);

    SetScore(app, 99);
    SetValue(app, 1, 50);
    SetValue(app, 2, 60);
    ASSERT_EQ(saves.LoadSave(11, -1), 0);
    EXPECT_EQ(Score(app), 41u);
    // A save holds the Save and the AutoSave variables, never the others.
    EXPECT_EQ(Value(app, 1), 5u);
    EXPECT_EQ(Value(app, 2), 60u);

    // Cut short, the save is refused and the game goes on as it was.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1);
    SetScore(app, 7);
    EXPECT_EQ(saves.LoadSave(11, -1), 3);
    EXPECT_EQ(Score(app), 7u);

    // The snapshot natives keep and restore the same state in memory.
    ASSERT_EQ(saves.TakeStateSnapshot(), 0);
    SetScore(app, 8);
    EXPECT_EQ(saves.RestoreStateSnapshot(), 0);
    EXPECT_EQ(Score(app), 7u);
  });
}

TEST_F(GameSavesTest, RefusedStatesPutTheRunningOneBack) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    SetScore(app, 12);
    ASSERT_EQ(host.Message().AddItem("item"), 0);
    int windowResets = 0;
    const GameScriptHost::MessageWindowNotify window = host.MessageWindow();
    host.MessageWindow() = [&](const BitArray* flags, uint32_t, int32_t) { windowResets += flags == nullptr; };
    const std::vector<uint8_t> snapshot{1, 2, 3};
    std::vector<uint8_t> withText, bare;
    ASSERT_EQ(BuildGameSaveState(host, true, snapshot, withText), 0);
    ASSERT_EQ(BuildGameSaveState(host, false, {}, bare), 0);
    SetScore(app, 50);
    struct Case {
      const char* name;
      std::vector<uint8_t> blob;
      int32_t code;
      uint32_t score;  // after the restore
    } cases[] = {
        {"history flag 7", [&] { auto b = bare; b.back() = 7; return b; }(), 3, 50},
        {"bytes after the parts", [&] { auto b = bare; b.push_back(7); return b; }(), 3, 50},
        // Without its flag the blob reads as variables that end early (its
        // last variable's last byte taken for the flag): those before are
        // restored, nothing else.
        {"cut before the flag", std::vector<uint8_t>(bare.begin(), bare.end() - 1), 2, 12},
        // Cut after the text state's first byte (0), the blob reads as
        // variables that go on after the game's, that byte as the flag.
        {"text state cut", std::vector<uint8_t>(withText.begin(), withText.begin() + long(bare.size()) + 1), 2, 12},
        {"snapshot longer than the blob", std::vector<uint8_t>(withText.begin(), withText.end() - 1), 3, 50},
        {"empty", {}, 1, 50},
    };
    for (const Case& c : cases) {
      SetScore(app, 50);
      std::optional<std::vector<uint8_t>> carried;
      EXPECT_EQ(RestoreGameSaveState(host, c.blob, carried), c.code) << c.name;
      EXPECT_EQ(Score(app), c.score) << c.name;
      EXPECT_FALSE(carried) << c.name;
      EXPECT_EQ(host.Message().ItemCount(), 1) << c.name;
    }
    EXPECT_EQ(windowResets, 0);
    // A restored state keeps nothing of the running game's text.
    std::optional<std::vector<uint8_t>> carried;
    ASSERT_EQ(RestoreGameSaveState(host, bare, carried), 0);
    EXPECT_EQ(host.Message().ItemCount(), 0);
    EXPECT_EQ(windowResets, 1);
    ASSERT_EQ(host.Message().AddItem("item"), 0);
    ASSERT_EQ(RestoreGameSaveState(host, withText, carried), 0);
    EXPECT_EQ(Score(app), 12u);
    EXPECT_EQ(carried, snapshot);
    EXPECT_EQ(host.Message().ItemCount(), 0);
    EXPECT_EQ(windowResets, 2);
    host.MessageWindow() = window;
  });
}

// A blob splits into the parts its writers sized: the variables, the
// history flag, the text state and snapshot when the text goes in, and the
// frame's block when a frame is open.
TEST_F(GameSavesTest, AStateBlobSplitsIntoItsParts) {
  WriteStory();
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    const uint64_t variables = host.GetSerializedSize(ScriptContext::kSaveAndAutoSaveSelector, false);
    const std::vector<uint8_t> snapshot{1, 0, 7};
    TgsFrame* frame = nullptr;
    for (const bool withFrame : {false, true}) {
      if (withFrame) {
        ASSERT_NE(frame = RunningFrame(host), nullptr);
      }
      for (const bool withText : {false, true}) {
        const std::string name = std::string(withFrame ? "frame" : "no frame") + (withText ? ", text" : "");
        std::vector<uint8_t> blob;
        ASSERT_EQ(BuildGameSaveState(host, withText, snapshot, blob), 0) << name;
        GameSaveStateLayout layout;
        ASSERT_TRUE(SplitGameSaveState(blob, layout)) << name;
        EXPECT_EQ(layout.historyFlag, variables) << name;
        EXPECT_EQ(layout.withText, withText) << name;
        uint64_t at = variables + 1;
        if (withText) {
          EXPECT_EQ(layout.textState, at) << name;
          at += host.Message().GetStateSize();
          EXPECT_EQ(layout.snapshot, at) << name;
          at += 4 + snapshot.size();
        }
        EXPECT_EQ(layout.withFrame, withFrame) << name;
        if (withFrame) {
          EXPECT_EQ(layout.frameBlock, at) << name;
          EXPECT_EQ(layout.frame.end, frame->GetSaveSize(withText)) << name;
          at += frame->GetSaveSize(withText);
        }
        EXPECT_EQ(layout.end, at) << name;
        EXPECT_EQ(layout.end, blob.size()) << name;
      }
    }
    // Any selector the loader accepts starts a blob (2: every scope).
    std::vector<uint8_t> blob;
    ASSERT_EQ(BuildGameSaveState(host, true, snapshot, blob), 0);
    blob[0] = 2;
    GameSaveStateLayout layout;
    ASSERT_TRUE(SplitGameSaveState(blob, layout));
    EXPECT_EQ(layout.historyFlag, variables);
    EXPECT_EQ(layout.end, blob.size());
    frame->EndRun();
  });
}

// Zeros after the selector split only near their end (the flag before a
// frame's block of zeros): every zero before is tried first. A blob of
// 32 KiB gets that far; one of 1 MiB runs out of tries long before.
TEST(GameSaveStateSplitTest, TheTriesStopOnceTheyCouldHaveReadTheirBudget) {
  for (const size_t size : {size_t(1) << 15, size_t(1) << 20}) {
    std::vector<uint8_t> blob(size, 0);
    blob[0] = ScriptContext::kSaveAndAutoSaveSelector;
    GameSaveStateLayout layout;
    const bool split = SplitGameSaveState(blob, layout);
    EXPECT_EQ(split, size < (size_t(1) << 20)) << size;
    EXPECT_EQ(layout.withFrame, split) << size;
    EXPECT_GE(layout.historyFlag, split ? size / 2 : 0) << size;
  }
}

// A save made before the game's scripts changed their variables (one
// added after the saved ones, one removed, one retyped): the variables
// before the change come back, nothing after it is read as anything, the
// load answers 4, and nothing else changes (the message text, the
// snapshot, the frame).
TEST_F(GameSavesTest, ASaveWhoseVariablesStopMatchingRestoresThoseBeforeAndAnswersFour) {
  WriteStory();
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    TgsFrame* frame = RunningFrame(host);
    ASSERT_NE(frame, nullptr);
    const std::vector<VariableRecord>& records = host.LiveRecords();
    ASSERT_EQ(records[0].kind, kVariableInt);
    ASSERT_EQ(records[1].kind, kVariableInt);
    // The selector, the Save variable's record, the AutoSave variable's.
    const long second = long(1 + 1 + records[0].size);
    const long end = second + long(1 + records[1].size);
    app.settings.blocks.appConfig[GameSaveService::kSaveHistory] = 1;
    SetScore(app, 41);
    SetValue(app, 1, 5);
    std::vector<uint8_t> blob;
    ASSERT_EQ(BuildGameSaveState(host, true, {}, blob), 0);
    const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
    struct Case {
      const char* name;
      std::function<void(std::vector<uint8_t>&)> change;
      uint32_t autoSaved;  // the AutoSave variable after the load
    } cases[] = {
        {"a variable added since", [&](std::vector<uint8_t>& b) { b.erase(b.begin() + second, b.begin() + end); }, 50},
        {"a variable removed since",
         [&](std::vector<uint8_t>& b) { b.insert(b.begin() + end, {kVariableInt, 9, 9, 9, 9}); }, 5},
        {"a variable retyped since", [&](std::vector<uint8_t>& b) { b[size_t(second)] = kVariableStr; }, 50},
    };
    for (const Case& c : cases) {
      std::vector<uint8_t> changed = blob;
      c.change(changed);
      const std::vector<uint8_t> file = BuildSaveFile(SaveFileInfo{}, changed, true);
      std::ofstream(std::filesystem::path(folder) / "DATA0200.SAV", std::ios::binary)
          .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
      SetScore(app, 99);
      SetValue(app, 1, 50);
      host.Message().Clear();
      ASSERT_EQ(host.Message().AddItem("item"), 0);
      ASSERT_EQ(SystemSaves().TakeStateSnapshot(), 0);
      const std::vector<uint8_t> snapshotBefore(SaveServiceSnapshot(app));
      const LayerRecord layerBefore = frame->RecordsForSave().layers[0];

      EXPECT_EQ(SystemSaves().LoadSave(2, 0), 4) << c.name;
      EXPECT_EQ(Score(app), 41u) << c.name;
      EXPECT_EQ(Value(app, 1), c.autoSaved) << c.name;
      EXPECT_EQ(host.Message().ItemCount(), 1) << c.name;
      EXPECT_EQ(SaveServiceSnapshot(app), snapshotBefore) << c.name;
      EXPECT_FALSE(frame->ReapplyPending()) << c.name;
      EXPECT_EQ(frame->RecordsForSave().layers[0], layerBefore) << c.name;
    }
    // The save as it was made loads whole.
    const std::vector<uint8_t> file = BuildSaveFile(SaveFileInfo{}, blob, true);
    std::ofstream(std::filesystem::path(folder) / "DATA0200.SAV", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    SetValue(app, 1, 50);
    EXPECT_EQ(SystemSaves().LoadSave(2, 0), 0);
    EXPECT_EQ(Value(app, 1), 5u);
    frame->EndRun();
  });
}

// A 32-bit picture whose columns from `split` on take the second colour.
std::vector<uint8_t> TwoColourPicture(uint16_t width, uint16_t height, uint16_t split, uint32_t left, uint32_t right) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  for (uint16_t y = 0; y < height; ++y)
    for (uint16_t x = 0; x < width; ++x)
      for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t((x < split ? left : right) >> (8 * b)));
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

TEST_F(GameSavesTest, ANamedSavePictureBecomesTheThumbnail) {
  // Large enough: its top-left corner; smaller: stretched over the whole.
  Write("SYS_WIDE.ELG", TwoColourPicture(300, 100, 132, 0xFF102030, 0xFFFFFFFF));
  Write("SYS_SMALL.ELG", TwoColourPicture(66, 37, 33, 0xFF405060, 0xFF708090));
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
    struct Case {
      const char* name;  // the picture the scripts name (a folder is dropped)
      int32_t slot;
      uint8_t left[3], right[3];  // B, G, R of the thumbnail's first and last columns
    } cases[] = {
        {"ART\\WIDE.ELG", 0, {0x30, 0x20, 0x10}, {0x30, 0x20, 0x10}},
        {"SMALL.ELG", 1, {0x60, 0x50, 0x40}, {0x90, 0x80, 0x70}},
    };
    for (const Case& c : cases) {
      const uint32_t address = host.Space().Allocate(64);
      ASSERT_NE(address, 0u);
      ASSERT_TRUE(host.Space().WriteBytes(address, c.name, std::strlen(c.name) + 1));
      host.SaveSetup().thumbnailPicture = address;
      ASSERT_EQ(SystemSaves().WriteSave(2, c.slot), 0) << c.name;
      std::ifstream file(std::filesystem::path(folder) / ("DATA020" + std::to_string(c.slot) + ".SAV"), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      ASSERT_GT(bytes.size(), 8u + 29304u);
      for (int row : {0, 73}) {
        const uint8_t* line = bytes.data() + 8 + 396 * row;
        EXPECT_EQ(std::vector<uint8_t>(line, line + 3), std::vector<uint8_t>(c.left, c.left + 3)) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(line + 393, line + 396), std::vector<uint8_t>(c.right, c.right + 3)) << c.name;
      }
    }
  });
}

// The thumbnail's B, G, R rows of a written save.
std::vector<uint8_t> SavedThumbnail(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 8u + 74u * 396u) return {};
  return std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 8 + 74 * 396);
}

// The 132 x 74 B, G, R rows of a screen split down the middle (left and
// right colours), with the top-left quarter of another colour when given.
std::vector<uint8_t> SplitThumbnail(uint32_t left, uint32_t right, std::optional<uint32_t> topLeft) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < 74; ++y)
    for (int x = 0; x < 132; ++x) {
      const uint32_t colour = topLeft && x < 66 && y < 37 ? *topLeft : x < 66 ? left : right;
      for (int b = 0; b < 3; ++b) rows.push_back(uint8_t(colour >> (8 * b)));
    }
  return rows;
}

// Without a save picture the thumbnail is the screen object's sprites
// composed at the screen's size and scaled to 132 x 74 (the open frame's
// canvas, else the canvas the display presents): a drawable tagged -1
// never shows, and the overlay list (where the system menu lies) shows
// only while settings byte 183 is zero.
TEST_F(GameSavesTest, TheThumbnailIsTheComposedScreenScaledDown) {
  Write("BG01A.ELG", TwoColourPicture(1280, 720, 640, 0xFF203040, 0xFF506070));
  WriteStory();
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
    auto thumbnailOf = [&](int32_t slot) {
      EXPECT_EQ(SystemSaves().WriteSave(3, slot), 0);
      return SavedThumbnail(std::filesystem::path(folder) / ("DATA030" + std::to_string(slot) + ".SAV"));
    };
    // The bottom-right quarter tagged -1, the top-left quarter in the overlay.
    ColorBox left, right, hidden, menu;
    ASSERT_EQ(left.Init(640, 720, 0xFF112233, 0, 0), 0);
    ASSERT_EQ(right.Init(640, 720, 0xFF445566, 640, 0), 0);
    ASSERT_EQ(hidden.Init(640, 360, 0xFF030201, 640, 360), 0);
    ASSERT_EQ(menu.Init(640, 360, 0xFFC0B0A0, 0, 0), 0);
    hidden.SetTag(0xFFFFFFFFu);

    CanvasDrawObject screen;
    ASSERT_EQ(screen.Load(1280, 720, 32, 2), 0);
    SpriteCanvas* canvas = screen.GetCanvas();
    for (Drawable* box : {&left, &right, &hidden}) ASSERT_EQ(canvas->MainList().Add(box, 0, 0), 0);
    ASSERT_EQ(canvas->OverlayList()->Add(&menu, 0, 0), 0);
    DisplayScreenDevice& display = *app.Display();
    ScreenImage* shown = display.GetScreenImage();
    display.AttachScreenImage(&screen);
    for (const uint8_t byte183 : {0, 1}) {
      app.settings.blocks.appConfig[GameSaveService::kThumbnailWithoutOverlay] = byte183;
      const std::optional<uint32_t> overlay = byte183 == 0 ? std::optional<uint32_t>(0xC0B0A0) : std::nullopt;
      EXPECT_EQ(thumbnailOf(byte183), SplitThumbnail(0x112233, 0x445566, overlay)) << "byte 183 = " << int(byte183);
    }
    display.AttachScreenImage(shown);
    for (Drawable* box : {&left, &right, &hidden}) canvas->MainList().Remove(box);
    canvas->OverlayList()->Remove(&menu);

    // With a frame open its canvas is the screen.
    app.settings.blocks.appConfig[GameSaveService::kThumbnailWithoutOverlay] = 0;
    TgsFrame* frame = RunningFrame(*app.scripts);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->Layers()->LoadLayerImage("BG01A.ELG", 0), 0);
    SpriteList& frameList = frame->CanvasObject()->GetCanvas()->MainList();
    ASSERT_EQ(frameList.Add(&hidden, 0, 0), 0);
    EXPECT_EQ(thumbnailOf(2), SplitThumbnail(0x203040, 0x506070, std::nullopt));
    frameList.Remove(&hidden);
    frame->EndRun();
  });
}

// The front set of the frame composed as the screen shows it.
std::vector<uint8_t> FrontPicture(TgsFrame& frame) {
  Surface out;
  EXPECT_EQ(out.Create(1280, 720, 32, 0), 0);
  EXPECT_EQ(frame.Layers()->Canvas(0)->RenderInto(&out, 0, 0, 0), 0);
  std::vector<uint8_t> pixels;
  for (int32_t y = 0; y < 720; ++y) pixels.insert(pixels.end(), out.GetScanLine(y), out.GetScanLine(y) + 4 * 1280);
  return pixels;
}

// The quick slot a player's quick save writes, with a text-adventure frame
// on screen: the save holds the frame's layers and sprites, a quick load
// puts them back when the run resumes, and a quick save cut short is
// refused with the game going on as it was.
TEST_F(GameSavesTest, QuickSaveAndLoadCarryTheFrameOnScreen) {
  Write("BG01A.ELG", TwoColourPicture(1280, 720, 640, 0xFF203040, 0xFF506070));
  Write("BG02A.ELG", TwoColourPicture(1280, 720, 100, 0xFF000000, 0xFFFFFFFF));
  Write("ABC01.ELG", TwoColourPicture(200, 400, 100, 0xFFD07040, 0xFF40D070));
  WriteStory();
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsFrame* frame = RunningFrame(*app.scripts);
    ASSERT_NE(frame, nullptr);
    TgsLayerSets& sets = *frame->Layers();
    ASSERT_EQ(sets.LoadLayerImage("BG01A.ELG", 0), 0);
    ASSERT_EQ(sets.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
    ASSERT_EQ(sets.SetLayerPosition(-30, 0, 0), 0);
    const std::vector<uint8_t> picture = FrontPicture(*frame);
    const TgsFrameRecords saved = frame->RecordsForSave();

    SaveService& saves = SystemSaves();
    ASSERT_EQ(saves.WriteSave(11, 0), 0);
    const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
    const std::filesystem::path file = std::filesystem::path(folder) / "DATA1100.SAV";
    ASSERT_TRUE(std::filesystem::exists(file));

    // The player reads on: another background, no sprite.
    ASSERT_EQ(sets.LoadLayerImage("BG02A.ELG", 0), 0);
    sets.ClearSpriteGroup(0, -1);
    ASSERT_NE(FrontPicture(*frame), picture);
    ASSERT_EQ(saves.LoadSave(11, 0), 0);
    ASSERT_TRUE(frame->ReapplyPending());
    // The resumed run puts the saved screen back (without the closing fade).
    app.settings.blocks.appConfig[3] = 1;
    ASSERT_EQ(frame->BeginRun(true), 0);
    EXPECT_EQ(FrontPicture(*frame), picture);
    const TgsFrameRecords loaded = frame->RecordsForSave();
    EXPECT_EQ(loaded.layers[0], saved.layers[0]);
    EXPECT_EQ(loaded.sprites[6], saved.sprites[6]);

    // Cut short, the quick save is refused and the screen stays.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1);
    ASSERT_EQ(sets.LoadLayerImage("BG02A.ELG", 0), 0);
    const std::vector<uint8_t> later = FrontPicture(*frame);
    EXPECT_EQ(saves.LoadSave(11, 0), 3);
    EXPECT_FALSE(frame->ReapplyPending());
    EXPECT_EQ(FrontPicture(*frame), later);
    EXPECT_STREQ(sets.GetLayer(0).record.imageName, "BG02A.ELG");
    frame->EndRun();
  });
}

// With settings byte 180 set, a save made while a frame is open takes the
// page on screen, with its speaker, as its comment.
TEST_F(GameSavesTest, TheFramesPageBecomesTheSavesComment) {
  WriteStory();
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsFrame* frame = RunningFrame(*app.scripts);
    ASSERT_NE(frame, nullptr);
    MessageTextWindow* window = frame->CurrentWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->SetPageText("Good\x81\x40morning", 13), 0);
    window->SetNames("Aki", "");
    app.settings.blocks.appConfig[GameSaveService::kCommentFromMessage] = 1;

    SaveService& saves = SystemSaves();
    ASSERT_EQ(saves.WriteSave(11, 1), 0);
    SaveInfoRequest request;
    request.wantComment = true;
    ASSERT_EQ(saves.ReadSaveInfo(11, 1, request), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(request.comment.data()), "\x81\x79" "Aki\x81\x7A\nGoodmorning");
    frame->EndRun();
  });
}

}  // namespace
}  // namespace orrivel
