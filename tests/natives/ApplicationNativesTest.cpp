#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "VoiceInfoWriter.h"
#include "base/MathTables.h"
#include "base/SubtractiveRandom.h"
#include "natives/AppNativePort.h"
#include "natives/DirectCalls.h"
#include "natives/NativeCatalog.h"
#include "natives/NativeHarness.h"
#include "natives/UserSettingMap.h"
#include "resource/BaseFolder.h"
#include "script/ScriptAddressSpace.h"
#include "text/FontSettings.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::DirectCalls;
using testing::NativeCall;
using testing::NativeHarness;

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// A port of the test's own, installed for the test's life.
class PortScope {
 public:
  PortScope() { previous_ = SetAppPort(&port); }
  ~PortScope() { SetAppPort(previous_); }
  AppNativePort port;

 private:
  AppNativePort* previous_ = nullptr;
};

// One row per native: its result and what it leaves in its output cells.
struct Row {
  const char* native;
  std::vector<Arg> args;
  uint32_t result;
  std::map<size_t, std::string> texts = {};
  std::map<size_t, uint32_t> ints = {};
};

TEST(ApplicationNatives, EveryNativeAnswersThroughAScript) {
  PortScope scope;
  AppNativePort& app = scope.port;
  app.title = "Title";
  app.screenModeFacility = 2;
  app.Options() = AppNativePort::kOptionRequest;
  app.appConfig[3] = 9;
  app.appWord = 0x12345678;
  app.modalState = 7;
  app.stateItems[1] = 5;
  const MathTables tables;
  const int32_t sin100 = tables.Sin(100), cos100 = tables.Cos(100);
  const std::vector<Row> rows = {
      {"SetScreenModeOption", {Arg::Int(1), Arg::Int(2)}, 0},
      {"SetAppOption", {Arg::Int(6), Arg::Int(300)}, 0},
      {"GetAppOption", {Arg::Int(6)}, 300},
      {"GetAppState", {Arg::Int(1)}, 5},
      {"GetAppString", {Arg::Int(0), Arg::Buffer(64), Arg::Int(64)}, 0,
       {{1, "{3C7D51A0-8E2B-4F6A-9D14-B0C2E5F7A983}"}}},
      {"GetAppString", {Arg::Int(1), Arg::Buffer(16, "untouched"), Arg::Int(0)}, 6, {{1, "untouched"}}},
      {"GetAppString", {Arg::Int(1), Arg::Buffer(16), Arg::Int(3)}, 0, {{1, "Ti"}}},
      {"GetAppString", {Arg::Int(4), Arg::Buffer(16), Arg::Int(3)}, uint32_t(-1)},
      {"SetUserSetting", {Arg::Int(0), Arg::Int(7), Arg::Int(1)}, 1},
      {"SetUserSetting", {Arg::Int(3), Arg::Int(18), Arg::Int(1)}, uint32_t(-1)},
      {"SetUserSetting", {Arg::Int(9), Arg::Int(0), Arg::Int(1)}, 0},
      {"GetUserSetting", {Arg::Int(0), Arg::Int(0)}, 9},
      {"GetUserSetting", {Arg::Int(0), Arg::Int(7)}, 0},
      {"SetVoiceInfo", {Arg::Int(0), Arg::Int(0), Arg::Int(1)}, uint32_t(-1)},
      {"GetVoiceInfo", {Arg::Int(0), Arg::Int(0)}, 0},
      {"ApplyMessageSettings", {Arg::Int(0), Arg::Int(0), Arg::Int(-1), Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"ChangeScreenMode", {Arg::Int(0)}, 1},
      {"SetAppFlagA", {Arg::Int(3)}, 0},
      {"NativeBeginForcedVSync", {}, 0},
      {"NativeEndForcedVSync", {}, 0},
      {"NativeBeginMillisecondPacing", {}, 0},
      {"NativeEndMillisecondPacing", {}, 0},
      {"NativeEnterLowPriority", {}, 0},
      {"NativeLeaveLowPriority", {}, 0},
      {"NativeApplyFramePacing", {Arg::Int(-1)}, 0},
      {"GetAppWord", {}, 0x12345678},
      {"SetAppFlagB", {Arg::Int(1)}, 0},
      {"RunMenuCommand", {Arg::Int(2), Arg::Int(0)}, 0},
      {"GetModalState", {}, 7},
      {"ResetVariables", {Arg::Int(0), Arg::Int(0)}, 0},
      {"ClearVariables", {Arg::Int(0), Arg::Int(2)}, 0},
      {"StoreVariableSnapshot", {Arg::Int(0), Arg::Int(0)}, 0},
      {"RestoreVariableSnapshot", {Arg::Int(0), Arg::Int(0)}, 0},
      {"StoreOneVariableSnapshot", {Arg::OutInt(4)}, 0},
      {"WriteStateFile", {Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 1},
      {"ReadStateFileInfo", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 1},
      {"ReadStateFile", {Arg::Int(0)}, 1},
      {"SetVariableFileName", {Arg::Text("VAR.DAT")}, 0},
      {"NativeSaveTextFrameValues", {}, 2},
      {"LoadVariableFile", {}, 1},
      {"TakeAppRequestFlag", {}, 1},
      {"StrCopy", {Arg::Buffer(8), Arg::Text("abc")}, 0, {{0, "abc"}}},
      {"StrCopy", {Arg::Buffer(4), Arg::Text("abcdef")}, 0, {{0, "abc"}}},
      {"StrCopy", {Arg::Buffer(4), Arg::Text("ab\x82\xa0")}, 0, {{0, "ab"}}},
      {"StrMid", {Arg::Buffer(8), Arg::Int(1), Arg::Text("abcdef"), Arg::Int(3)}, 0, {{0, "bcd"}}},
      {"StrMid", {Arg::Buffer(8, "x"), Arg::Int(1), Arg::Text("abcdef"), Arg::Int(0)}, 0, {{0, ""}}},
      {"StrCopyUntil", {Arg::Buffer(8), Arg::Int(1), Arg::Text("ab,cd"), Arg::Int(',')}, 0, {{0, "b"}}},
      {"StrCat", {Arg::Buffer(8, "ab"), Arg::Text("cd")}, 0, {{0, "abcd"}}},
      {"StrCat", {Arg::Buffer(4, "ab"), Arg::Text("cd")}, 0, {{0, "abc"}}},
      {"StrLen", {Arg::Text("abc")}, 3},
      {"StrCmp", {Arg::Text("abc"), Arg::Text("abd")}, uint32_t(-1)},
      {"StrCmpI", {Arg::Text("ABC"), Arg::Text("abc")}, 0},
      {"StrCompareCount", {Arg::Text("abc"), Arg::Text("abc"), Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"StrCompareCount", {Arg::Text("abcdef"), Arg::Text("abcdef"), Arg::Int(0), Arg::Int(0), Arg::Int(4)}, 0},
      {"StrCompareCount", {Arg::Text("xbc"), Arg::Text("abc"), Arg::Int(0), Arg::Int(0), Arg::Int(3)}, 3},
      {"StrCompareCount", {Arg::Text("zabc"), Arg::Text("abx"), Arg::Int(1), Arg::Int(0), Arg::Int(3)}, 1},
      {"FormatString", {Arg::Buffer(64), Arg::Text("%d|%5s|%-3c|%04x|%u%%"), Arg::Int(-5), Arg::Text("ab"),
                        Arg::Int('q'), Arg::Int(255), Arg::Int(-1)}, 0,
       {{0, "-5|   ab|q  |00ff|4294967295%"}}},
      {"FormatString", {Arg::Buffer(6), Arg::Text("%s"), Arg::Text("abcdefgh")}, 0, {{0, "abcde"}}},
      {"StrToInt", {Arg::Text("  -42xyz")}, uint32_t(-42)},
      {"StrToInt", {Arg::Int(0)}, 0},
      {"StrToFloat", {Arg::Text("1.5")}, Bits(1.5f)},
      {"StrUpper", {Arg::Buffer(8, "a\x82\x61z")}, 0, {{0, "A\x82\x61Z"}}},
      {"StrLower", {Arg::Buffer(8, "AbC")}, 0, {{0, "abc"}}},
      {"SetClipboardText", {Arg::Int(0), Arg::Int(0)}, 1},
      {"AskText", {Arg::Int(0)}, 2},
      {"AskText", {Arg::Buffer(8, "name")}, 1, {{0, "name"}}},
      {"SetTextInputRequest", {Arg::Text("cap"), Arg::Text("ask"), Arg::Int(1), Arg::Int(8), Arg::Int(0),
                               Arg::Int(200), Arg::Int(10), Arg::Int(20)}, 0},
      {"MemAlloc", {Arg::Int(0)}, 0},
      {"MemAllocZero", {Arg::Int(-3)}, 0},
      {"MemFree", {Arg::Int(12345)}, 0},
      {"FillWords", {Arg::OutInt(1), Arg::Int(77), Arg::Int(1)}, 1, {}, {{0, 77}}},
      {"FillBytes", {Arg::OutInt(0x11111111), Arg::Int(0x2A), Arg::Int(2)}, 1, {}, {{0, 0x11112A2A}}},
      {"CopyBytes", {Arg::OutInt(0), Arg::Text("\x01\x02\x03"), Arg::Int(3)}, 1, {}, {{0, 0x030201}}},
      {"CopyBytes", {Arg::Int(0), Arg::Text("x"), Arg::Int(1)}, 0},
      {"SinFixed", {Arg::Int(100)}, uint32_t(sin100)},
      {"CosFixed", {Arg::Int(100)}, uint32_t(cos100)},
      {"PolarToPoint", {Arg::Int(100), Arg::Int(-300), Arg::Int(10), Arg::Int(20), Arg::OutInt(), Arg::OutInt()}, 0, {},
       {{4, uint32_t(10 + int32_t((int64_t(cos100) * -300) >> 16))},
        {5, uint32_t(20 - int32_t((int64_t(sin100) * -300) >> 16))}}},
      {"RandomShared", {Arg::Int(0)}, 0},
      {"SeedSharedRandom", {Arg::Int(7)}, 0},
      {"RandomMT", {Arg::Int(1)}, 0},
      {"SeedRandomMT", {Arg::Int(5)}, 1},
      {"FloatAdd", {Arg::Int(Bits(1.5f)), Arg::Int(Bits(2.25f))}, Bits(3.75f)},
      {"FloatSub", {Arg::Int(Bits(1.5f)), Arg::Int(Bits(2.25f))}, Bits(-0.75f)},
      {"FloatMul", {Arg::Int(Bits(1.5f)), Arg::Int(Bits(-2.0f))}, Bits(-3.0f)},
      {"FloatDiv", {Arg::Int(Bits(1.0f)), Arg::Int(Bits(0.0f))}, Bits(std::numeric_limits<float>::infinity())},
      {"IndexOfMax", {Arg::Int(3), Arg::Int(3), Arg::Int(7), Arg::Int(7)}, 1},
      {"IndexOfMin", {Arg::Int(4), Arg::Int(3), Arg::Int(1), Arg::Int(8), Arg::Int(1)}, 1},
      {"NativeSetBaseFolder", {Arg::Text("/tmp/")}, 0},
  };
  const std::string savedFolder = SetBaseFolderForTest("/base/");
  NativeHarness harness;
  std::set<std::string> covered;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const NativeCall call = harness.Call(row.native, row.args);
    ASSERT_TRUE(call.Ran()) << call.step;
    covered.insert(row.native);
    // Results that are host addresses are checked apart.
    if (std::string(row.native) != "StrCopy" && std::string(row.native) != "StrCat") {
      EXPECT_EQ(call.result, row.result);
    }
    for (const auto& [i, text] : row.texts) EXPECT_EQ(call.texts.at(i), text) << i;
    for (const auto& [i, value] : row.ints) EXPECT_EQ(call.ints.at(i), value) << i;
  }
  const NativeCall folder = harness.Call("GetBaseFolder", {});
  ASSERT_TRUE(folder.Ran());
  EXPECT_NE(folder.result, 0u);
  covered.insert("GetBaseFolder");
  SetBaseFolderForTest(savedFolder);
  // Every native of the family has its row.
  for (const NativeEntry& entry : GameNatives()) {
    const bool mine = entry.number <= 92 && !(entry.number >= 34 && entry.number <= 55);
    if (mine) {
      EXPECT_EQ(covered.count(entry.name), 1u) << entry.name;
    }
  }
  EXPECT_EQ(app.textInput.caption, "cap");
  EXPECT_EQ(app.textInput.maxLength, 8);
  EXPECT_EQ(app.textInput.y, 20);
  EXPECT_EQ(GlyphCacheCapacityWord(), 300u);
  SetGlyphCacheCapacityWord(kDefaultGlyphCacheCapacity);
  EXPECT_EQ(app.flagA, 1);
  EXPECT_EQ(app.catchUpLive, 1);
  EXPECT_EQ(app.Options() & AppNativePort::kOptionRequest, 0);
  EXPECT_EQ(app.Options() & 3, 2);
}

TEST(ApplicationNatives, CopiesStopAtTheDestinationsExtent) {
  NativeHarness harness;
  // A script address that is not in the arena at all ends the step.
  EXPECT_EQ(harness.Call("FormatString", {Arg::Buffer(8), Arg::Text("%s"), Arg::Int(0x7FFFFFF0)}).step,
            ScriptHost::kStepBadScript);
  EXPECT_EQ(harness.Call("FormatString", {Arg::Buffer(16), Arg::Text("%s"), Arg::Int(0)}).texts.at(0), "(null)");
  harness.Call("StrLen", {Arg::Text("")});
  DirectCalls calls(harness.Host());
  const uint32_t guard = 0xA5A5A5A5;
  // A block followed by a guard: each copying native writes at most the
  // block, never half a double-byte character.
  const uint32_t block = harness.Host().Space().Allocate(ScriptAddressSpace::kAlignment);
  harness.Host().MemoryBlocks().insert(block);
  const uint32_t after = harness.Host().Space().Allocate(4);
  harness.Host().Space().Write32(after, guard);
  const uint32_t kanji = calls.Text("abcdefghijklmn\x82\xa0xyz");
  const uint32_t format = calls.Text("%s");
  struct Copy {
    uint32_t native;
    std::vector<uint32_t> cells;
  };
  for (const Copy& copy : std::vector<Copy>{{56, {block, kanji}},
                                            {57, {block, 0, kanji, 19}},
                                            {58, {block, 0, kanji, 'z'}},
                                            {59, {block, kanji}},
                                            {64, {block, format, kanji}},
                                            {4, {block, 0, 0}}}) {
    SCOPED_TRACE(copy.native);
    harness.Host().Space().WriteBytes(block, "", 1);
    std::vector<uint32_t> cells = copy.cells;
    if (copy.native == 4) cells = {0, block, 100};
    bool failed = true;
    calls.Call(copy.native, cells, &failed);
    EXPECT_FALSE(failed);
    const std::string text = calls.Read(block);
    EXPECT_EQ(text, copy.native == 4 ? "{3C7D51A0-8E2B-" : "abcdefghijklmn");
    uint32_t still = 0;
    harness.Host().Space().Read32(after, still);
    EXPECT_EQ(still, guard);
  }
  // Native 4's own size bounds it too: size - 1 bytes and a zero.
  calls.Call(4, {0, block, 3});
  EXPECT_EQ(calls.Read(block), "{3");
  // The text-input dialog's answer goes in under the same bound.
  PortScope scope;
  scope.port.askText = [](const std::string& initial) { return initial + "efghijklmn\x82\xa0xyz"; };
  harness.Host().Space().WriteBytes(block, "abcd", 5);
  EXPECT_EQ(calls.Call(70, {block}), 0u);
  EXPECT_EQ(calls.Read(block), "abcdefghijklmn");
  uint32_t still = 0;
  harness.Host().Space().Read32(after, still);
  EXPECT_EQ(still, guard);
}

TEST(ApplicationNatives, MemoryBlocksAndFillsStayInTheArena) {
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  GameScriptHost& host = harness.Host();
  DirectCalls calls(host);
  const uint32_t block = calls.Call(73, {16});
  ASSERT_NE(block, 0u);
  EXPECT_EQ(host.MemoryBlocks().count(block), 1u);
  uint32_t word = 1;
  host.Space().Read32(block + 12, word);
  EXPECT_EQ(word, 0u);
  // Overlapping forward copy repeats the leading bytes.
  calls.Call(76, {block, 'a', 1});
  calls.Call(77, {block + 1, block, 7});
  EXPECT_EQ(calls.Read(block), "aaaaaaaa");
  EXPECT_EQ(calls.Call(74, {block}), 1u);
  EXPECT_EQ(calls.Call(74, {block}), 0u);
  EXPECT_EQ(host.MemoryBlocks().count(block), 0u);
  // Ranges across the arena's end: a failed step, nothing written.
  const uint32_t last = host.Space().Allocate(8);
  host.Space().Write32(last, 0x01020304);
  const uint64_t end = uint64_t(last) + host.Space().WritableBytesAt(last);
  for (uint32_t native : {75u, 76u, 77u}) {
    SCOPED_TRACE(native);
    bool failed = false;
    const uint32_t count = 0x40000000;
    const std::vector<uint32_t> cells =
        native == 77 ? std::vector<uint32_t>{last, last + 4, count} : std::vector<uint32_t>{last, 9, count};
    EXPECT_EQ(calls.Call(native, cells, &failed), 0u);
    EXPECT_TRUE(failed);
    host.Space().Read32(last, word);
    EXPECT_EQ(word, 0x01020304u);
  }
  (void)end;
  // Null destinations keep their 0 without failing.
  bool failed = true;
  EXPECT_EQ(calls.Call(75, {0, 1, 4}, &failed), 0u);
  EXPECT_FALSE(failed);
}

TEST(ApplicationNatives, SettingsMapWritesAndReadsEverySlot) {
  PortScope scope;
  AppNativePort& app = scope.port;
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  DirectCalls calls(harness.Host());
  // The block's layout, written out here as the settings file has it.
  const std::map<std::pair<uint32_t, uint32_t>, std::pair<uint8_t, char>> expected = [] {
    std::map<std::pair<uint32_t, uint32_t>, std::pair<uint8_t, char>> m;
    auto bytes = [&](uint32_t g, uint32_t i0, uint32_t n, uint8_t off) {
      for (uint32_t i = 0; i < n; ++i) m[{g, i0 + i}] = {uint8_t(off + i), 'b'};
    };
    bytes(0, 0, 7, 3); bytes(0, 8, 7, 10); m[{0, 15}] = {20, 'w'};
    bytes(1, 0, 7, 24); m[{1, 7}] = {32, 'w'}; m[{1, 8}] = {31, 'b'};
    m[{2, 0}] = {36, 't'}; bytes(2, 1, 7, 68); m[{2, 8}] = {76, 'w'};
    m[{3, 0}] = {81, 'b'}; bytes(3, 1, 4, 83);
    m[{3, 5}] = {92, 'w'}; m[{3, 6}] = {96, 'w'}; m[{3, 7}] = {100, 'w'}; m[{3, 8}] = {104, 'w'};
    bytes(3, 9, 6, 108); m[{3, 15}] = {87, 'b'}; m[{3, 16}] = {82, 'b'}; m[{3, 17}] = {88, 'w'};
    m[{4, 0}] = {130, 'b'}; m[{4, 1}] = {131, 'b'}; bytes(4, 2, 16, 114);
    m[{5, 0}] = {132, 'b'}; bytes(5, 1, 5, 149); bytes(5, 6, 16, 133);
    m[{6, 0}] = {172, 'b'}; m[{6, 1}] = {173, 'b'}; m[{6, 2}] = {158, 'b'}; m[{6, 3}] = {159, 'b'};
    m[{6, 4}] = {166, 'b'}; m[{6, 5}] = {168, 'w'}; m[{6, 6}] = {167, 'b'}; m[{6, 7}] = {165, 'b'};
    m[{7, 0}] = {186, 'b'}; bytes(8, 0, 5, 187);
    return m;
  }();
  EXPECT_EQ(UserSettingSlots().size(), expected.size());
  for (uint32_t group = 0; group < 9; ++group) {
    for (uint32_t index = 0; index < UserSettingGroupSize(group) + 1; ++index) {
      SCOPED_TRACE(std::to_string(group) + "." + std::to_string(index));
      auto it = expected.find({group, index});
      if (it == expected.end()) {
        EXPECT_EQ(calls.Call(5, {group, index, 1}), group == 0 && index == 7 ? 1u : uint32_t(-1));
        EXPECT_EQ(calls.Call(6, {group, index}), 0u);
        continue;
      }
      if (group == 6 && index == 7) continue;  // the window size, below
      const auto [offset, kind] = it->second;
      std::fill(app.appConfig.begin(), app.appConfig.end(), uint8_t(0));
      if (kind == 't') {
        EXPECT_EQ(calls.Call(5, {group, index, calls.Text(std::string(40, 'F'))}), 0u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&app.appConfig[offset])), std::string(31, 'F'));
        EXPECT_EQ(app.appConfig[offset + 32], 0);
        EXPECT_EQ(calls.Read(calls.Call(6, {group, index})), std::string(31, 'F'));
        continue;
      }
      const uint32_t value = kind == 'w' ? 0x01020304u : 0x1FFu;
      EXPECT_EQ(calls.Call(5, {group, index, value}), 0u);
      if (kind == 'w') {
        EXPECT_EQ(app.appConfig[offset], 4);
        EXPECT_EQ(app.appConfig[offset + 3], 1);
      } else {
        EXPECT_EQ(app.appConfig[offset], 0xFF);
      }
      EXPECT_EQ(std::count(app.appConfig.begin(), app.appConfig.end(), 0), kind == 'w' ? 192 : 195);
      EXPECT_EQ(calls.Call(6, {group, index}), kind == 'w' ? value : 0xFFu);
    }
  }
  EXPECT_EQ(calls.Call(5, {9, 0, 1}), 0u);
  EXPECT_EQ(calls.Call(6, {9, 0}), 0u);
}

TEST(ApplicationNatives, WindowSizeAndScreenModeAsk) {
  PortScope scope;
  AppNativePort& app = scope.port;
  std::vector<std::pair<int32_t, int32_t>> sizes;
  int modeRequests = 0;
  int modeAnswer = 0;
  app.requestWindowSize = [&](int32_t w, int32_t h) { sizes.push_back({w, h}); };
  app.requestScreenMode = [&](uint8_t, uint8_t) { return ++modeRequests, modeAnswer; };
  app.prepareFullScreen = [](uint8_t depth) { return depth; };
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  DirectCalls calls(harness.Host());
  EXPECT_EQ(calls.Call(5, {6, 7, 1}), 0u);
  EXPECT_EQ(calls.Call(5, {6, 7, 1}), 0u);  // unchanged: no request
  EXPECT_EQ(calls.Call(5, {6, 7, 2}), 0u);
  EXPECT_EQ(calls.Call(5, {6, 7, 3}), uint32_t(-1));
  EXPECT_EQ(sizes, (std::vector<std::pair<int32_t, int32_t>>{{1024, 576}, {800, 450}}));
  EXPECT_EQ(calls.Call(6, {6, 7}), 2u);
  EXPECT_EQ(modeRequests, 0);
  // A window that may change asks for window mode again; a refusal gives 3.
  app.screenModeFacility = 2;
  app.Options() = AppNativePort::kOptionModeChange;
  modeAnswer = 5;
  EXPECT_EQ(calls.Call(5, {6, 7, 0}), 3u);
  EXPECT_EQ(app.pendingMode, 2);
  EXPECT_EQ(sizes.back(), std::make_pair(0, 0));
  // Screen mode: refused without the facility, the option or a window mode.
  modeAnswer = 0;
  app.Options() = 0;
  EXPECT_EQ(calls.Call(10, {0}), 1u);
  app.Options() = AppNativePort::kOptionModeChange;
  app.screenModeFacility = 1;
  EXPECT_EQ(calls.Call(10, {3}), 1u);
  app.screenModeFacility = 2;
  EXPECT_EQ(calls.Call(10, {2}), 0u);
  EXPECT_EQ(app.ScreenMode(), 1);
  EXPECT_EQ(app.ScreenDepth(), 3);
  EXPECT_EQ(calls.Call(10, {3}), 0u);
  EXPECT_EQ(app.ScreenMode(), 2);
  modeAnswer = 1;
  EXPECT_EQ(calls.Call(10, {0}), 3u);
  app.prepareFullScreen = [](uint8_t) -> uint8_t { return 0; };
  std::string shown;
  app.showError = [&](const std::string& text) { shown = text; };
  EXPECT_EQ(calls.Call(10, {uint32_t(-1)}), 2u);
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(app.ScreenMode(), 2);
}

TEST(ApplicationNatives, NumbersMatchTheirReferences) {
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  DirectCalls calls(harness.Host());
  const MathTables tables;
  for (int32_t angle : {0, 1, 127, 128, 300, 511, 512, 1000, -1, -129, -100000}) {
    SCOPED_TRACE(angle);
    EXPECT_EQ(int32_t(calls.Call(78, {uint32_t(angle)})), tables.CosTable()[uint32_t(angle - 128) & 511]);
    EXPECT_EQ(int32_t(calls.Call(79, {uint32_t(angle)})), tables.CosTable()[uint32_t(angle) & 511]);
  }
  // The twister: the standard generator started from the state of the
  // x * 69069 + 1 seeding (each word from the high halves of two steps).
  calls.Call(84, {1234});
  std::stringstream stateText;
  uint32_t x = 1234;
  for (int i = 0; i < 624; ++i) {
    uint32_t word = x & 0xFFFF0000u;
    x = x * 69069u + 1;
    word |= x >> 16;
    x = x * 69069u + 1;
    stateText << word << ' ';
  }
  stateText << 624;
  std::mt19937 reference;
  stateText >> reference;
  for (int i = 0; i < 700; ++i) ASSERT_EQ(calls.Call(83, {1000}), uint32_t(reference()) % 1000) << i;
  EXPECT_EQ(calls.Call(83, {0}), 0u);
  // The shared generator, as the host's.
  SubtractiveRandom copy = SharedRandom();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(calls.Call(81, {97}), uint32_t(copy.Next()) % 97);
  // Floats: results rounded from double.
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(calls.Call(85, {Bits(inf), Bits(1.0f)}), Bits(inf));
  EXPECT_TRUE(std::isnan(std::bit_cast<float>(calls.Call(86, {Bits(inf), Bits(inf)}))));
  EXPECT_TRUE(std::isnan(std::bit_cast<float>(calls.Call(87, {Bits(std::nanf("")), Bits(2.0f)}))));
  EXPECT_EQ(calls.Call(88, {Bits(-1.0f), Bits(0.0f)}), Bits(-inf));
  // 1 + 2^-24 + 2^-24 rounds once (from double), not twice.
  EXPECT_EQ(calls.Call(85, {Bits(1.0f), Bits(std::ldexp(1.0f, -24) * 1.5f)}), Bits(1.0f + std::ldexp(1.0f, -23)));
  // Index natives: ties keep the first; counts below 2 give 0.
  EXPECT_EQ(calls.Call(89, {0}), 0u);
  EXPECT_EQ(calls.Call(89, {1, 5}), 0u);
  EXPECT_EQ(calls.Call(89, {3, 3, 7, 7}), 1u);
  EXPECT_EQ(calls.Call(90, {3, 2, 2, 1}), 2u);
  EXPECT_EQ(calls.Call(90, {2, 4, 4}), 0u);
}

TEST(ApplicationNatives, VoiceTableFieldsAndNames) {
  voiceinf::File file;
  file.extension = "ogg";
  file.entries = {{"Aki", std::string("AkiB"), {"a_"}}, {"Ben", std::string(""), {}}, {"Cho", std::nullopt, {"c_", "d_"}}};
  const auto bytes = voiceinf::Write(file);
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  GameScriptHost& host = harness.Host();
  ASSERT_EQ(host.Voices().Read(bytes.data(), bytes.size()), VoiceTable::kOk);
  DirectCalls calls(host);
  EXPECT_EQ(calls.Call(8, {0, 0}), 256u);
  EXPECT_EQ(calls.Call(7, {0, 0, 128}), 0u);
  EXPECT_EQ(calls.Call(8, {0, 0}), 128u);
  EXPECT_EQ(calls.Call(7, {2, 1, 0}), 0u);
  EXPECT_EQ(calls.Call(8, {2, 1}), 0u);
  EXPECT_EQ(calls.Call(7, {3, 0, 1}), uint32_t(-1));
  EXPECT_EQ(calls.Call(7, {0, 3, 1}), uint32_t(-1));
  EXPECT_EQ(calls.Call(8, {3, 0}), 3u);
  EXPECT_EQ(calls.Call(8, {0, 7}), 0u);
  EXPECT_EQ(calls.Read(calls.Call(8, {0, 3})), "Aki");
  EXPECT_EQ(calls.Read(calls.Call(8, {0, 4})), "AkiB");
  EXPECT_EQ(calls.Call(8, {2, 4}), 0u);
  // A stored second name starts with the second flag set.
  EXPECT_EQ(calls.Call(8, {0, 2}), 1u);
  EXPECT_EQ(calls.Read(calls.Call(8, {0, 5})), "AkiB");
  EXPECT_EQ(calls.Call(7, {0, 2, 0}), 0u);
  EXPECT_EQ(calls.Read(calls.Call(8, {0, 5})), "Aki");
  EXPECT_EQ(calls.Call(7, {0, 2, 1}), 0u);
  EXPECT_EQ(calls.Call(8, {0, 2}), 1u);
  EXPECT_EQ(calls.Read(calls.Call(8, {0, 5})), "AkiB");
  // An empty second name keeps the primary one.
  EXPECT_EQ(calls.Call(8, {1, 2}), 1u);
  EXPECT_EQ(calls.Read(calls.Call(8, {1, 5})), "Ben");
  EXPECT_EQ(calls.Read(calls.Call(8, {2, 6})), "c_");
  EXPECT_EQ(calls.Call(8, {1, 6}), 0u);
}

TEST(ApplicationNatives, BaseFolderFollowsTheSetter) {
  const std::string saved = SetBaseFolderForTest("C:\\GAME\\");
  NativeHarness harness;
  harness.Call("StrLen", {Arg::Text("")});
  DirectCalls calls(harness.Host());
  EXPECT_EQ(calls.Read(calls.Call(92, {})), "C:\\GAME\\");
  calls.Call(91, {calls.Text("DATA")});
  EXPECT_EQ(calls.Read(calls.Call(92, {})), BaseFolder());
  EXPECT_EQ(BaseFolder().back(), '\\');
  SetBaseFolderForTest(saved);
}

}  // namespace
}  // namespace orrivel
