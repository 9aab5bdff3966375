// The text-adventure frame's runs in the running game: a run that ends
// leaves no layer, effect or hidden pointer behind and the next run starts
// clean; native 32 writes the open frame's read marks at once; a scene
// that unloads keeps the script message text's page in its history.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "TobCompiler.h"
#include "base/MouseDevice.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsLayerSets.h"
#include "game/GameSaveState.h"
#include "game/SaveFile.h"
#include "natives/NativeCatalog.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/Messages.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

using testing::CallNative;
using testing::RunningGameTest;

constexpr uint32_t kSaveTextFrameValues = 32;
constexpr uint32_t kCreateFrame = 788;
constexpr uint32_t kBlack = 0;

class GameTextFrameRunTest : public RunningGameTest {
 protected:
  // The module "T" and its script table, which holds its read marks.
  void WriteStory() {
    tob::Story story;
    std::string error;
    ASSERT_TRUE(tob::Compile("module T\n[message 0]Hello\n[message 1]Again\n", story, error)) << error;
    for (auto& [name, bytes] : tob::StoryFiles(story)) Write("script/" + name, bytes);
  }
  // The frame as a script makes it, running "T"; null when it cannot.
  static TgsFrame* StartRun(GameScriptHost& host) {
    if (host.TextFrameSlot().frame == nullptr && CallNative(host, kCreateFrame, {0, 0, 0}) != 0) return nullptr;
    TgsFrame* frame = host.TextFrameSlot().frame.get();
    if (!frame || frame->LoadScriptByName("T") != 0 || frame->BeginRun(false) != 0) return nullptr;
    return frame;
  }
  // Writes "T", starts the game and a run of it, then hands the running
  // game and its frame to the body.
  void RunStory(GameApplication& app, const std::function<void(TgsFrame&)>& body) {
    WriteStory();
    RunWith(app, [&] {
      ASSERT_TRUE(app.scripts);
      TgsFrame* frame = StartRun(*app.scripts);
      ASSERT_NE(frame, nullptr);
      body(*frame);
    });
  }
  static std::vector<char> Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(GameTextFrameRunTest, AnEndedRunLeavesNothingBehindAndTheNextStartsClean) {
  GameApplication app;
  RunStory(app, [&](TgsFrame& run) {
    TgsFrame* frame = &run;
    TgsLayerSets& sets = *frame->Layers();
    MouseDevice* mouse = app.input ? app.input->Mouse() : nullptr;
    ASSERT_NE(mouse, nullptr);

    // The run leaves an effect slot shaking, a coloured background on both sets, a
    // quake on the front set, a caption and music, and a page that hid
    // the pointer.
    ASSERT_EQ(sets.StartQuake(3, 100, 0, 0, 0, 0, 0, 0, TgsLayerSets::kFront, 0), 0);
    ASSERT_EQ(sets.GetEffectSlot(0).record.kind, EffectSlotRecord::Kind::kQuake);
    for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack}) ASSERT_EQ(sets.ClearLayer(0xFF2040u, set), 0);
    ASSERT_EQ(sets.StartQuake(4, 100, 0, 1, 0, 0, 0, 0, TgsLayerSets::kFront, 0), 0);
    frame->Records().musicNumber = 3;
    mouse->SetCursorState(1, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    frame->WindowState().SwitchMenuStateOff();
    ASSERT_EQ(mouse->CursorState(), 0u);

    ASSERT_EQ(frame->EndRun(), 0);
    EXPECT_EQ(mouse->CursorState(), 1u);
    EXPECT_FALSE(frame->WindowState().MenuStateOff());
    for (size_t slot = 0; slot < TgsLayerSets::kEffectSlots; ++slot) {
      EXPECT_EQ(sets.GetEffectSlot(slot).record.kind, EffectSlotRecord::Kind::kNone) << slot;
      EXPECT_FALSE(sets.HolderRunning(sets.GetEffectSlot(slot).holder)) << slot;
    }
    for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack}) {
      EXPECT_EQ(sets.GetLayer(set).record.colour, kBlack) << set;
      EXPECT_FALSE(sets.HolderRunning(sets.GetLayer(set).quake)) << set;
    }

    // The next run's save holds nothing of the one before.
    ASSERT_EQ(frame->LoadScriptByName("T"), 0);
    ASSERT_EQ(frame->BeginRun(false), 0);
    const TgsFrameRecords records = frame->RecordsForSave();
    EXPECT_EQ(records.musicNumber, 0);
    EXPECT_TRUE(records.caption.empty());
    for (const EffectSlotRecord& effect : records.effectSlots) EXPECT_EQ(effect.kind, EffectSlotRecord::Kind::kNone);
    EXPECT_EQ(records.layers[0].colour, kBlack);
    frame->EndRun();
  });
}

// The effect records a save written now holds (read back from its file
// as a load reads it); nullopt when the file does not read.
std::optional<std::array<EffectSlotRecord, TgsLayerSets::kEffectSlots>> SavedEffects(GameApplication& app,
                                                                                       int32_t slot) {
  if (SystemSaves().WriteSave(2, slot) != 0) return std::nullopt;
  const std::string folder = *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
  std::ifstream stream(std::filesystem::path(folder) / ("DATA020" + std::to_string(slot) + ".SAV"), std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  std::vector<uint8_t> state;
  GameSaveStateLayout layout;
  if (ParseSaveFile(file, state) != kSaveFileOk || !SplitGameSaveState(state, layout) || !layout.withFrame)
    return std::nullopt;
  SobCursor in(state.data() + layout.frameBlock, state.size() - layout.frameBlock);
  TgsFrameBlock block;
  if (TgsFrame::ParseSaveBlock(in, block) != 0) return std::nullopt;
  return block.records.effectSlots;
}

// Effects in every slot, one ended by the script before the run ends: a
// save written in the next run holds empty effect records, not the ended
// effects' words.
TEST_F(GameTextFrameRunTest, SavesAfterARunHoldNothingOfItsEndedEffects) {
  GameApplication app;
  RunStory(app, [&](TgsFrame& run) {
    TgsFrame* frame = &run;
    TgsLayerSets& sets = *frame->Layers();
    for (int32_t slot = 0; slot < int32_t(TgsLayerSets::kEffectSlots); ++slot)
      ASSERT_EQ(sets.StartQuake(3 + slot, 100, 7, -slot, 9, 1, 1, 1, TgsLayerSets::kFront, 1), 0) << slot;
    ASSERT_EQ(sets.EndEffectSlot(1, false), 0);
    const auto during = SavedEffects(app, 0);
    ASSERT_TRUE(during);
    ASSERT_EQ((*during)[0].kind, EffectSlotRecord::Kind::kQuake);
    ASSERT_EQ(frame->EndRun(), 0);

    const EffectSlotRecord cleared{};
    ASSERT_EQ(frame->LoadScriptByName("T"), 0);
    ASSERT_EQ(frame->BeginRun(false), 0);
    const auto next = SavedEffects(app, 2);
    ASSERT_TRUE(next);
    for (size_t slot = 0; slot < TgsLayerSets::kEffectSlots; ++slot) EXPECT_EQ((*next)[slot], cleared) << slot;
    frame->EndRun();
  });
}

TEST_F(GameTextFrameRunTest, NativeThirtyTwoWritesTheReadMarksAtOnce) {
  WriteStory();
  GameApplication app;
  std::filesystem::path log;
  std::vector<char> written;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    TgsFrame* frame = StartRun(host);
    ASSERT_NE(frame, nullptr);
    log = std::filesystem::path(*platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing)) /
          "TEXT_LOG.DAT";
    std::filesystem::remove(log);
    frame->MarkMessageRead(1);
    CallNative(host, kSaveTextFrameValues, {});
    // Written now, while the frame is still open: a kill here keeps it.
    ASSERT_TRUE(std::filesystem::exists(log));
    written = Bytes(log);
    // A new frame reads the player's mark back from it.
    host.TextFrameSlot().frame.reset();
    std::filesystem::remove(log);
    {
      std::ofstream out(log, std::ios::binary);
      out.write(written.data(), std::streamsize(written.size()));
    }
    TgsFrame* again = StartRun(host);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->IsMessageRead(1));
    EXPECT_FALSE(again->IsMessageRead(0));
    again->EndRun();
  });
  EXPECT_FALSE(written.empty());
}

TEST_F(GameTextFrameRunTest, AnUnloadedSceneKeepsTheMessagePageInTheHistory) {
  sob::Project project;
  std::string error;
  ASSERT_TRUE(sob::Assemble("scene MAIN\n  yield\n  yield\n  ret\nscene ROOM\n  ret\n", project, error)) << error;
  for (auto& [name, bytes] : sob::ProjectFiles(project)) Write("script/" + name, bytes);
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    MarkupText& text = host.Message();
    text.textEnabled = text.historyEnabled = true;
    ASSERT_EQ(text.SetHistoryCapacity(4), 0);
    const int32_t before = text.HistoryCount();
    // With no page nothing is kept.
    text.Clear();
    host.OnReset();
    EXPECT_EQ(text.HistoryCount(), before);
    const char record[] = "#Name$Body";
    ASSERT_EQ(text.SetText(reinterpret_cast<const uint8_t*>(record), sizeof record - 1), 0);
    const int32_t afterPage = text.HistoryCount();
    ASSERT_EQ(host.LoadScriptFile("ROOM", nullptr), 0);
    ASSERT_EQ(host.UnloadScript(), 0);
    EXPECT_EQ(text.HistoryCount(), afterPage + 1);
  });
}

}  // namespace
}  // namespace orrivel
