#include "resource/plugin/ObjectArguments.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "base/TimerList.h"
#include "effect/LayerHost.h"

namespace orrivel {
namespace {

// Two engine classes an argument can name; only their addresses matter.
class TestLayer final : public BackgroundLayer {
 public:
  SpriteCanvas* GetLayerCanvas() override { return nullptr; }
};

TEST(ObjectArguments, DoubleIsReadFromTwoCellsLowWordFirst) {
  const double value = -1234.5678;
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const ObjectArgument words[] = {7, std::int32_t(uint32_t(bits)), std::int32_t(uint32_t(bits >> 32))};
  const ObjectArguments arguments{words, 3};
  EXPECT_EQ(arguments.Double(1), value);
  EXPECT_EQ(arguments.Cell(0), 7);
  // A missing high cell reads as 0: only the low word's bits remain.
  const ObjectArguments cut{words, 2};
  uint64_t lowOnly = uint32_t(bits);
  double expected = 0;
  std::memcpy(&expected, &lowOnly, sizeof expected);
  EXPECT_EQ(cut.Double(1), expected);
  EXPECT_EQ(ObjectArguments{}.Double(0), 0.0);
}

// An engine caller's arguments are read only as what they are: a number is
// no text, object or output, and an object is only the class it was given as.
TEST(ObjectArguments, EngineArgumentsAreReadOnlyAsWhatTheyAre) {
  TimerList sprite;
  TestLayer picture;
  int32_t out = 0;
  float level = 0;
  const ObjectArgument words[] = {4096, "2.0", &sprite, static_cast<BackgroundLayer*>(&picture), &out, &level, nullptr};
  const ObjectArguments a{words, std::size(words)};

  EXPECT_EQ(a.Cell(0), 4096);
  EXPECT_FALSE(a.Text(0).has_value()) << "a number is no text";
  EXPECT_EQ(a.Object<TimerList>(0), nullptr) << "a number is no object";
  EXPECT_FALSE(a.WriteInt(0, 5)) << "a number is no output";

  EXPECT_EQ(a.Text(1), "2.0");
  EXPECT_EQ(a.Cell(1), 0);
  EXPECT_EQ(a.Object<TimerList>(2), &sprite);
  EXPECT_EQ(a.Object<BackgroundLayer>(2), nullptr) << "a timer list is no layer";
  EXPECT_EQ(a.Object<BackgroundLayer>(3), &picture);
  EXPECT_EQ(a.Object<TimerList>(3), nullptr);

  EXPECT_TRUE(a.WriteInt(4, -7));
  EXPECT_EQ(out, -7);
  EXPECT_FALSE(a.WriteFloat(4, 1.5f)) << "an int output takes no float";
  EXPECT_TRUE(a.WriteFloat(5, 1.5f));
  EXPECT_EQ(level, 1.5f);
  EXPECT_FALSE(a.WriteInt(5, 1));

  // Null and absent arguments are nothing of any kind.
  for (size_t k : {size_t(6), size_t(40)}) {
    EXPECT_FALSE(a.Given(k)) << k;
    EXPECT_FALSE(a.Text(k).has_value()) << k;
    EXPECT_EQ(a.Object<TimerList>(k), nullptr) << k;
    EXPECT_FALSE(a.WriteInt(k, 1)) << k;
  }
  EXPECT_EQ(a.Cell(40, -3), -3);
}

// A script's cells are only ever handed to its side: the text, the handle
// and the output address each reach the source as the 32-bit value.
class RecordingSource final : public ScriptArgumentSource {
 public:
  std::optional<std::string> ReadText(uint32_t address) override {
    return address == 0x1000 ? std::optional<std::string>("6.0") : std::nullopt;
  }
  void* FindObject(uint32_t handle, ArgumentClass wanted) override {
    asked[handle] = wanted;
    return handle == 77 && wanted == ArgumentClass::kTimerList ? &sprite : nullptr;
  }
  bool Store(uint32_t address, uint32_t value) override {
    stored[address] = value;
    return address == 0x2000;
  }
  TimerList sprite;
  std::map<uint32_t, ArgumentClass> asked;
  std::map<uint32_t, uint32_t> stored;
};

TEST(ObjectArguments, ScriptCellsAreReadThroughTheScriptSide) {
  RecordingSource source;
  const ObjectArgument cells[] = {ObjectArgument::ScriptCell(0x1000), ObjectArgument::ScriptCell(77),
                                  ObjectArgument::ScriptCell(0x2000), ObjectArgument::ScriptCell(0x7FFF0000),
                                  ObjectArgument::ScriptCell(0)};
  const ObjectArguments a{cells, std::size(cells), &source};
  EXPECT_EQ(a.Cell(0), 0x1000) << "a number stays the cell";
  EXPECT_EQ(a.Text(0), "6.0");
  EXPECT_FALSE(a.Text(3).has_value()) << "a bad address gives no text";
  EXPECT_EQ(a.Object<TimerList>(1), &source.sprite);
  EXPECT_EQ(a.Object<BackgroundLayer>(1), nullptr);
  EXPECT_EQ(source.asked[77], ArgumentClass::kBackgroundLayer);
  EXPECT_EQ(a.Object<TimerList>(3), nullptr);
  EXPECT_TRUE(a.WriteFloat(2, 1.0f));
  EXPECT_EQ(source.stored[0x2000], 0x3F800000u);
  EXPECT_FALSE(a.WriteInt(3, 9));
  // Cell 0 is no address: nothing is asked of the source for it.
  source.stored.clear();
  EXPECT_FALSE(a.WriteInt(4, 9));
  EXPECT_FALSE(a.Text(4).has_value());
  EXPECT_TRUE(source.stored.empty());
  // The rest of a script list stays on its side.
  EXPECT_EQ(a.Rest(1).Object<TimerList>(0), &source.sprite);
  // Without a script side a cell is a number only.
  const ObjectArguments bare{cells, std::size(cells)};
  EXPECT_FALSE(bare.Text(0).has_value());
  EXPECT_EQ(bare.Object<TimerList>(1), nullptr);
}

}  // namespace
}  // namespace orrivel
