// Natives 463 to 506 over the host's shared message text, called the way a
// script's successive steps do: pages and their history ring with the
// registered window told of recalls, buffers filled within their bounds,
// items with their flags in the scene-flag store, the scene-flag file, and
// typewriter drawing onto a display picture.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../text/FontTestSupport.h"
#include "DirectCalls.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "display/BoxFont.h"
#include "natives/DisplayObjectArguments.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kGuard = 0xA5A5A5A5u;

// A scene whose entry has flag arrays, booted once; the natives are then
// called on its host one after another.
class MessageTextNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    BuildBlendTables();
    ResetFontSettings();
    Boot();
  }
  void TearDown() override {
    calls_.reset();
    harness_.reset();
    ResetFontSettings();
    DisplayNativeRig::TearDown();
  }
  void Boot() {
    calls_.reset();
    harness_ = std::make_unique<NativeHarness>();
    const NativeCall call = harness_->Run("vars\n  int x = 0\nscene MAIN flags 16 16\n  yield\n  ret\n");
    ASSERT_EQ(call.loaded, 0);
    Host().SetFileWriter([this](const std::string& path, std::span<const uint8_t> data) {
      files_[path].assign(data.begin(), data.end());
      return true;
    });
    Host().SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      auto it = files_.find(path);
      if (it == files_.end()) return std::nullopt;
      return it->second;
    });
    Host().MessageWindow() = [this](const BitArray* flags, uint32_t base, int32_t value) {
      told_.emplace_back(flags != nullptr, base, value);
    };
    calls_ = std::make_unique<DirectCalls>(Host());
  }
  GameScriptHost& Host() { return harness_->Host(); }
  int32_t Call(uint32_t number, const std::vector<uint32_t>& cells = {}) {
    bool failed = false;
    const uint32_t result = calls_->Call(number, cells, &failed);
    EXPECT_FALSE(failed) << number;
    return int32_t(result);
  }
  uint32_t Text(const std::string& text) { return calls_->Text(text); }
  // Bytes in an arena block of their own.
  uint32_t Bytes(const std::string& bytes) {
    const uint32_t block = Host().Space().Allocate(bytes.size());
    Host().Space().WriteBytes(block, bytes.data(), bytes.size());
    return block;
  }
  // A buffer of size bytes in its own extent with a guard word after it.
  uint32_t Guarded(uint32_t size) {
    const uint32_t block = Host().Space().Allocate(size + 4);
    Host().Space().AddExtent(block, size);
    Host().Space().Write32(block + size, kGuard);
    return block;
  }
  // Item record: flag mode, flag base, limit, count, then the items.
  static std::string Items(uint8_t mode, uint16_t base, uint8_t limit, const std::vector<std::string>& texts) {
    std::string out{char(mode), char(base & 0xFF), char(base >> 8), char(limit), char(texts.size())};
    for (const std::string& text : texts) {
      out += char(text.size() + 3);
      out += '\0';
      out += text;
      out += '\0';
    }
    return out;
  }

  std::unique_ptr<NativeHarness> harness_;
  std::unique_ptr<DirectCalls> calls_;
  std::map<std::string, std::vector<uint8_t>> files_;
  std::vector<std::tuple<bool, uint32_t, int32_t>> told_;
};

TEST_F(MessageTextNativesTest, PagesGoThroughTheHistoryRingAndRecallsTellTheWindow) {
  EXPECT_EQ(Call(478), 0);  // empty history: position 0 is not below -1
  EXPECT_EQ(Call(482), -1);
  EXPECT_EQ(Call(463, {4}), 0);
  EXPECT_EQ(Call(464, {1}), 0);
  EXPECT_EQ(Call(465, {Text("one")}), 0);
  EXPECT_EQ(Call(465, {Text("two")}), 0);
  EXPECT_EQ(Call(465, {Text("\x07three")}), 0);
  EXPECT_EQ(Call(491), 7);  // the record's first byte

  // Disabled text refuses a page and changes nothing.
  EXPECT_EQ(Call(466, {0}), 0);
  EXPECT_EQ(Call(465, {Text("four")}), -1);
  EXPECT_EQ(Call(466, {1}), 0);
  EXPECT_EQ(Host().Message().Body(), "\x07three");
  EXPECT_EQ(Call(480), 3);
  EXPECT_EQ(Call(481), 2);
  EXPECT_EQ(Call(477), 1);
  EXPECT_EQ(Call(478), 0);

  EXPECT_EQ(Call(482), 0);
  EXPECT_EQ(Host().Message().Body(), "two");
  EXPECT_EQ(told_.size(), 1u);
  EXPECT_EQ(Call(484), 0);
  EXPECT_EQ(Host().Message().Body(), "one");
  told_.clear();
  EXPECT_EQ(Call(482), -1);  // at the oldest: no notification
  EXPECT_TRUE(told_.empty());
  EXPECT_EQ(Call(478), 1);
  EXPECT_EQ(Call(483), 0);
  EXPECT_EQ(Call(481), 1);
  EXPECT_EQ(Call(486, {uint32_t(-5)}), 0);  // clamped to the oldest
  EXPECT_EQ(Call(481), 0);
  EXPECT_EQ(Call(487, {2}), 0);
  EXPECT_EQ(Call(481), 2);
  EXPECT_EQ(Call(485), 0);
  EXPECT_EQ(told_.size(), 4u);
  EXPECT_EQ(Call(465, {0}), 1);  // no record

  // 490 tells the window (0, 0, 0) and clears page, history and items.
  told_.clear();
  EXPECT_EQ(Call(490), 0);
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_EQ(told_[0], std::make_tuple(false, 0u, 0));
  EXPECT_EQ(Call(480), 0);
  EXPECT_EQ(Call(475, {Guarded(8)}), 0);  // no text
}

TEST_F(MessageTextNativesTest, BuffersAreFilledWithinTheirExtentOnCharacterBoundaries) {
  // "ab", a two-byte character, then a second component.
  const std::string body = std::string("ab\x82\xA0") + "\\cd<b>e";
  ASSERT_EQ(Call(465, {Text(body)}), 0);
  struct Row {
    uint32_t native;
    std::vector<uint32_t> extra;  // cells after the buffer
    std::string fits;             // what a large buffer receives
  };
  const Row rows[] = {
      {468, {1}, "ab\x82\xA0"},
      {475, {}, body},
      {479, {}, "ab\x82\xA0\r\ncde"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const uint32_t large = Guarded(64);
    std::vector<uint32_t> cells = {large};
    cells.insert(cells.end(), row.extra.begin(), row.extra.end());
    const int32_t result = Call(row.native, cells);
    EXPECT_EQ(calls_->Read(large), row.fits);
    if (row.native != 475) {
      EXPECT_EQ(result, int32_t(row.fits.size()));
    }
    // One byte short of "ab" + the two-byte character + NUL: the character
    // goes whole and the guard stays.
    const uint32_t small = Guarded(4);
    cells[0] = small;
    Call(row.native, cells);
    EXPECT_EQ(calls_->Read(small), "ab");
    EXPECT_EQ(calls_->Load(small + 4), kGuard);
  }
  EXPECT_EQ(Call(468, {Guarded(8), 5}), 0);  // no fifth component
}

TEST_F(MessageTextNativesTest, ItemsKeepTheirFlagsInTheSceneFlagStore) {
  EXPECT_EQ(Call(505), 255);  // no items
  EXPECT_EQ(Call(498, {Text(std::string(253, 'x'))}), 3);
  EXPECT_EQ(Call(498, {0}), 1);
  told_.clear();
  EXPECT_EQ(Call(498, {Text("left")}), 0);
  EXPECT_EQ(told_.size(), 1u);  // told (0, 0, 0) first
  EXPECT_EQ(Call(500), 1);

  EXPECT_EQ(Call(494, {Bytes(Items(0, 2, 4, {"yes", "no"}))}), 2);
  EXPECT_EQ(Call(500), 2);
  EXPECT_EQ(Call(505), 0);
  EXPECT_EQ(Call(504, {1}), 0);
  EXPECT_EQ(Call(504, {4}), 1);  // not below the limit
  EXPECT_EQ(Call(506, {1}), 1);
  EXPECT_EQ(Call(506, {0}), 0);
  EXPECT_TRUE(Host().TestSceneFlagB(3, false));  // base 2 + item 1

  // Copies: done, out of range, too small; the pointer is a host copy.
  const uint32_t buffer = Guarded(8);
  EXPECT_EQ(Call(502, {1, buffer, 8}), 0);
  EXPECT_EQ(calls_->Read(buffer), "no");
  EXPECT_EQ(Call(502, {5, buffer, 8}), 1);
  EXPECT_EQ(Call(502, {0, buffer, 3}), 3);
  EXPECT_EQ(Call(502, {0, buffer, 1000}), 0);  // held to the extent
  EXPECT_EQ(calls_->Load(buffer + 8), kGuard);
  const uint32_t item = uint32_t(Call(503, {0}));
  ASSERT_NE(item, 0u);
  EXPECT_EQ(calls_->Read(item), "yes");
  EXPECT_EQ(Call(503, {9}), 0);

  // Refusals tell the window; so does 497 before it clears the base.
  told_.clear();
  EXPECT_EQ(Call(495, {0}), 0);
  EXPECT_EQ(Call(494, {Bytes(Items(0, 2, 4, {"a"}))}), -1);
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_TRUE(std::get<0>(told_[0]));  // mode 0: the current scene's flags
  EXPECT_EQ(std::get<1>(told_[0]), 2u);
  EXPECT_EQ(Call(495, {1}), 0);
  EXPECT_EQ(Call(497), 0);
  EXPECT_EQ(Host().Message().ItemFlagBase(), 0);
  EXPECT_EQ(Call(506, {1}), 0);  // no limit any more
  EXPECT_EQ(Call(499), 0);
  EXPECT_EQ(Call(500), 0);
  EXPECT_EQ(Call(498, {Text("a")}), 0);
  EXPECT_EQ(Call(496, {1}), 0);  // a new capacity drops the items
  EXPECT_EQ(Call(500), 0);
  EXPECT_EQ(Call(496, {uint32_t(-1)}), 1);
  EXPECT_EQ(told_.size(), 6u);

  // The newest history page keeps its items: a second record is refused.
  EXPECT_EQ(Call(463, {2}), 0);
  EXPECT_EQ(Call(464, {1}), 0);
  ASSERT_EQ(Call(465, {Text("page")}), 0);
  ASSERT_EQ(Call(494, {Bytes(Items(1, 0, 2, {"a"}))}), 1);
  EXPECT_EQ(Call(494, {Bytes(Items(1, 0, 2, {"b"}))}), -2);
}

TEST_F(MessageTextNativesTest, SceneFlagFileIsWrittenAndReadBack) {
  EXPECT_EQ(Call(492, {Text("FLAGS.DAT")}), 0);
  EXPECT_EQ(Host().FlagFileName(), "FLAGS.DAT");
  ASSERT_EQ(Host().SetSceneFlagA(5, false), 0);
  ASSERT_EQ(Host().SaveSceneFlags(nullptr), 0);
  const auto saved = files_;
  Boot();  // a fresh host: no bit set
  files_ = saved;
  EXPECT_FALSE(Host().TestSceneFlagA(5, false));
  EXPECT_EQ(Call(493), 1);  // no name yet
  EXPECT_EQ(Call(492, {Text("FLAGS.DAT")}), 0);
  EXPECT_EQ(Call(493), 0);
  EXPECT_TRUE(Host().TestSceneFlagA(5, false));
}

TEST_F(MessageTextNativesTest, DrawsTypewriterStyleOntoAPicture) {
  uint32_t picture = 0, font = 0, other = 0;
  ASSERT_EQ(Display().CreateSurface(&picture, 64, 24, 32, 0), 0);
  ASSERT_EQ(Display().CreateOutlineFont(&font, Sjis("ＭＳ ゴシック").c_str(), 16), 0);
  other = Display().AddFont(std::make_unique<BoxFont>(0, 4, 4));
  Surface* surface = GetObjectSurface(picture);
  ASSERT_NE(surface, nullptr);
  // Painted whole first: the golden comparison then reads only pixels that
  // this test or the text drew.
  surface->FillRect(0xFF203048u, nullptr);

  EXPECT_EQ(Call(467, {0, 0, 2, 2, font, 1, 0, 0}), 1);         // no target
  EXPECT_EQ(Call(467, {picture, 0, 2, 2, other, 1, 0, 0}), 2);  // not an outline font
  EXPECT_EQ(Call(470, {0}), 1);                                 // not set up
  ASSERT_EQ(Call(467, {picture, 0, 2, 2, font, 1, 0, 0}), 0);
  ASSERT_EQ(Call(465, {Text("ABCD")}), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Call(470, {0}), 0);
  const uint32_t x = calls_->Word(0), y = calls_->Word(0);
  EXPECT_EQ(Call(474, {x, y}), 0);
  const int32_t cursorX = int32_t(calls_->Load(x)), cursorY = int32_t(calls_->Load(y));
  EXPECT_GT(cursorX, 2);
  EXPECT_EQ(cursorY, 2);
  EXPECT_EQ(Call(476), int32_t('C'));
  // The cursor as a bar, then the picture.
  for (int32_t row = cursorY; row < cursorY + 16; ++row) {
    reinterpret_cast<uint32_t*>(surface->GetScanLine(row))[cursorX] = 0xFFFF0000u;
  }
  test::ExpectGolden(*surface, "message_text_third_token", "natives");

  // Mode 255 takes the object's own font, whatever cell 5 names.
  EXPECT_EQ(Call(469, {0, 0, 0, 0, 255, other}), 0);
  EXPECT_EQ(Call(469, {0, 0, 0, 0, 0, other}), -2);
  EXPECT_EQ(Call(469, {0, 0, 0, 0x7777, 0, 0}), -1);
  EXPECT_EQ(Call(469, {0, 0, 9, 0, 0, 0}), 2);  // no such component
  EXPECT_EQ(Call(501, {0, 0, 0, picture, 255, 0}), 2);  // no items
  EXPECT_EQ(Call(488), 1);
  EXPECT_EQ(Call(471), 1);
  EXPECT_EQ(Call(489), 1);
  EXPECT_EQ(Call(473), 1);
}

}  // namespace
}  // namespace orrivel::testing
