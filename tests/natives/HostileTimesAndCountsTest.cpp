// A hostile script passes the natives that take times, counts, loop counts
// and sizes the most awkward values a cell holds (the largest, negative,
// zero, counts that run past the argument block, texts left out). Each call
// must come back within a frame's budget and answer its failure value (or
// the value a plain call answers, where the argument only sets a length of
// time that a task then runs through).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "natives/SoundNativesRig.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kHuge = 0xFFFFFFFFu;
constexpr uint32_t kMostNegative = 0x80000000u;
constexpr uint32_t kLargest = 0x7FFFFFFFu;
// Any answer: the row checks the time only.
constexpr int64_t kAny = INT64_MIN;
// Cells standing for what the rig makes before each row.
constexpr uint32_t kSoundCell = 0xFEED0001u;      // a loose buffer sound's handle
constexpr uint32_t kVariableCell = 0xFEED0002u;  // the address of a 4-byte variable
constexpr uint32_t kTextCell = 0xFEED0003u;      // the address of a short text
// A native's budget: a frame's worth, with room for the sanitizers.
constexpr auto kBudget = std::chrono::milliseconds(500);

struct HostileRow {
  const char* name;
  uint32_t native;
  std::vector<uint32_t> cells;
  int64_t answer;
};

void PrintTo(const HostileRow& row, std::ostream* out) { *out << row.name; }

const HostileRow kRows[] = {
    // The index natives answer 0 when the count runs past the argument
    // block, before reading any value.
    {"IndexOfMaxCountPastTheBlock", 89, {5, 1, 9}, 0},
    {"IndexOfMinCountPastTheBlock", 90, {5, 9, 1}, 0},
    {"IndexOfMaxLargestCount", 89, {kLargest, 1, 9}, 0},
    {"IndexOfMinLargestCount", 90, {kLargest, 9, 1}, 0},
    {"IndexOfMaxNegativeCount", 89, {kMostNegative, 1, 9}, 0},
    {"IndexOfMaxCountFillingTheBlock", 89, {2, 1, 9}, 1},
    // The system command: each command with hostile cells, texts left out.
    {"CommandBeyondTheLast", 55, {kHuge}, 1},
    {"MusicWithTheLongestFade", 55, {0, 1, kHuge, 1}, kAny},
    {"MusicWithANegativeNumber", 55, {0, kMostNegative, kHuge, 1}, kAny},
    {"TaskRunningForAForgedHandle", 55, {2, kHuge}, 0},
    {"StopTaskThroughNoVariable", 55, {3, 0}, 0},
    {"StopTaskThroughAForgedAddress", 55, {3, kHuge}, 0},
    {"PointerGlideOfTheLongestTime", 55, {4, kLargest, kMostNegative, kHuge, 1, 255}, kAny},
    {"NoticeWithoutText", 55, {5, 0, kHuge}, uint32_t(-2)},
    {"NoticeWithAForgedText", 55, {5, kHuge, kHuge}, uint32_t(-2)},
    {"PointerToAForgedButton", 55, {6, kHuge, kHuge, kHuge}, uint32_t(-2)},
    {"BoxWithoutText", 55, {7, kHuge, 0, kMostNegative, kLargest, kHuge, kHuge}, uint32_t(-2)},
    {"BoxWithAForgedText", 55, {7, 2, kHuge, 0, 0, 0, 0}, uint32_t(-2)},
    {"StatisticsOfAForgedName", 55, {9, kHuge, kHuge}, 0},
    {"VariableAtAForgedAddress", 55, {10, kHuge}, uint32_t(-1)},
    // A sound's fades: a time as long as a cell holds is a long fade, not
    // a long call.
    {"FadeInOfTheLongestTime", 610, {kSoundCell, kHuge, 1}, kAny},
    {"FadeInOfNoTime", 610, {kSoundCell, 0, 0}, kAny},
    {"FadeOutOfTheLongestTime", 611, {kSoundCell, kHuge}, kAny},
    {"FadeOfAForgedSound", 610, {kHuge, kHuge, 1}, uint32_t(-2)},
    // The music's and the channels' fades and counts.
    {"MusicVolumeFadeOfTheLongestTime", 658, {kHuge, kHuge}, kAny},
    {"MusicFadeInOfTheLongestTime", 659, {kTextCell, kHuge, kHuge}, kAny},
    {"MusicFadeOutOfTheLongestTime", 660, {kHuge}, kAny},
    {"MusicCrossFadeOfTheLongestTime", 661, {kTextCell, kHuge, kHuge}, kAny},
    {"TheLargestChannelCount", 665, {kLargest}, kAny},
    {"ANegativeChannelCount", 665, {kMostNegative}, kAny},
    {"ChannelVolumeFadeOfTheLongestTime", 674, {kHuge, kHuge, kHuge}, kAny},
    {"ChannelFadeInOfTheLongestTime", 675, {kHuge, kTextCell, kHuge, kHuge}, kAny},
    {"ChannelFadeOutOfTheLongestTime", 676, {kHuge, kHuge}, kAny},
    // Fills and comparisons whose count is far longer than what they name.
    {"FillWordsPastTheArena", 75, {kVariableCell, 7, kLargest}, 0},
    {"FillBytesPastTheArena", 76, {kVariableCell, 7, kLargest}, 0},
    {"FillBytesOfANegativeCount", 76, {kVariableCell, 7, kHuge}, 1},
    {"CopyBytesPastTheArena", 77, {kVariableCell, kTextCell, kLargest}, 0},
    {"CompareCountPastTheTexts", 63, {kTextCell, kTextCell, kHuge}, kAny},
};

class HostileTimesAndCountsTest : public SoundNativesRig, public ::testing::WithParamInterface<HostileRow> {
 protected:
  void SetUp() override {
    SoundNativesRig::SetUp();
    WriteDc("HUM.TPC", 200);
    sound_ = Call(600, {Text("HUM.TPC"), 2});
    ASSERT_NE(sound_, 0u);
    ASSERT_EQ(Call(605, {sound_}), 0u);
    variable_ = calls->Word(0);
    text_ = Text("HUM.TPC");
  }
  uint32_t Stand(uint32_t cell) const {
    if (cell == kSoundCell) return sound_;
    if (cell == kVariableCell) return variable_;
    if (cell == kTextCell) return text_;
    return cell;
  }

  uint32_t sound_ = 0;
  uint32_t variable_ = 0;
  uint32_t text_ = 0;
};

TEST_P(HostileTimesAndCountsTest, ComesBackAtOnceWithItsAnswer) {
  const HostileRow& row = GetParam();
  std::vector<uint32_t> cells;
  for (uint32_t cell : row.cells) cells.push_back(Stand(cell));
  const auto start = std::chrono::steady_clock::now();
  const uint32_t answer = Call(row.native, cells);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kBudget);
  if (row.answer != kAny) EXPECT_EQ(answer, uint32_t(row.answer));
  // What the call started runs on without holding anything up.
  const auto running = std::chrono::steady_clock::now();
  Run(500, 50);
  EXPECT_LT(std::chrono::steady_clock::now() - running, kBudget * 4);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, HostileTimesAndCountsTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<HostileRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orrivel::testing
