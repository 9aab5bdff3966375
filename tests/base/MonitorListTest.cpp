#include "base/MonitorList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessBackend.h"

namespace orrivel {
namespace {

using platform::MonitorDesc;
using platform::Rect;

MonitorDesc Monitor(Rect bounds, Rect work, const std::string& description, int index) {
  MonitorDesc desc;
  desc.bounds = bounds;
  desc.workArea = work;
  desc.depth = 32;
  desc.refresh = 60;
  desc.deviceName = "display-" + std::to_string(index);
  desc.description = description;
  desc.isPrimary = index == 0;
  return desc;
}

// Monitors side by side, 1000 wide each, with the given descriptions.
std::vector<MonitorDesc> Row(const std::vector<std::string>& descriptions) {
  std::vector<MonitorDesc> monitors;
  for (size_t i = 0; i < descriptions.size(); ++i) {
    int32_t left = int32_t(i) * 1000;
    monitors.push_back(Monitor(Rect{left, 0, left + 1000, 800}, Rect{left, 0, left + 1000, 760}, descriptions[i],
                               int(i)));
  }
  return monitors;
}

class MonitorListTest : public ::testing::Test {
 protected:
  MonitorListTest() : scoped_(backend) {}
  platform::HeadlessBackend backend;

 private:
  platform::ScopedBackend scoped_;
};

TEST_F(MonitorListTest, SharedDescriptionsAreNumberedInListOrder) {
  struct Case {
    std::vector<std::string> descriptions;
    std::vector<std::string> expected;
    std::vector<int> numbers;
  };
  const Case cases[] = {
      {{"A", "A"}, {"A[1]", "A[2]"}, {1, 2}},
      {{"A", "B", "A"}, {"A[1]", "B", "A[2]"}, {1, 255, 2}},
      {{"A", "B", "A", "A"}, {"A[1]", "B", "A[2]", "A[3]"}, {1, 255, 2, 3}},
      {{"A", "B", "B", "A"}, {"A[1]", "B[1]", "B[2]", "A[2]"}, {1, 1, 2, 2}},
      {{"A"}, {"A"}, {255}},
  };
  for (const Case& c : cases) {
    backend.SetMonitors(Row(c.descriptions));
    MonitorList list;
    ASSERT_EQ(list.GetCount(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(list[i].deviceString, c.expected[i]) << c.descriptions.size() << " monitors, #" << i;
      EXPECT_EQ(list[i].nameNumber, c.numbers[i]) << c.descriptions.size() << " monitors, #" << i;
    }
  }
}

TEST_F(MonitorListTest, NumberingStaysInsideTheFieldAndReadableFromTen) {
  // Twelve outputs of one long description; the last character is a
  // two-byte one that a cut must not split.
  std::string longText(123, 'x');
  longText += "\xE7\x94\xBB";  // one two-byte character in CP932
  backend.SetMonitors(Row(std::vector<std::string>(12, longText)));
  MonitorList list;
  ASSERT_EQ(list.GetCount(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    const std::string& text = list[i].deviceString;
    std::string suffix = "[" + std::to_string(i + 1) + "]";
    EXPECT_LE(text.size(), MonitorList::kDeviceStringBytes);
    ASSERT_GE(text.size(), suffix.size());
    EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix);
    EXPECT_EQ(list[i].nameNumber, i + 1);
  }
  // 123 + 2 + "[1]" is 128 bytes: the two-byte character goes whole.
  EXPECT_EQ(list[0].deviceString, std::string(123, 'x') + "[1]");
  EXPECT_EQ(list[11].deviceString, std::string(123, 'x') + "[12]");
}

TEST_F(MonitorListTest, OutputsAreMatchedByNameAndDetachedOnesIgnored) {
  backend.SetMonitors(Row({"ignored", "ignored", "ignored"}));
  std::vector<platform::DisplayDeviceDesc> devices(4);
  devices[0] = {"display-2", "Panel", true, false, true};
  devices[1] = {"display-0", "Panel", true, true, false};
  devices[2] = {"display-1", "Panel", false, false, false};  // not on the desktop
  devices[3] = {"display-9", "Panel", true, false, false};   // no such monitor
  backend.SetDisplayDevices(devices);
  MonitorList list;
  EXPECT_EQ(list[0].deviceString, "Panel[1]");
  EXPECT_TRUE(list[0].isPrimary);
  EXPECT_EQ(list[1].deviceString, "");
  EXPECT_EQ(list[1].nameNumber, 0);
  EXPECT_EQ(list[2].deviceString, "Panel[2]");
  EXPECT_TRUE(list[2].modesPruned);

  list.Clear();
  EXPECT_EQ(list.ReadDeviceNames(), 1);
}

TEST_F(MonitorListTest, RectQueriesFallBackToTheSystemForUnknownHandles) {
  backend.SetDesktop(platform::DisplayMode{1280, 1024, 32, 60});
  backend.SetMonitors(Row({"A", "B"}));
  MonitorList list;
  Rect out;
  EXPECT_EQ(list.GetMonitorRect(out, 2), 0);
  EXPECT_EQ(out, (Rect{1000, 0, 2000, 800}));
  EXPECT_EQ(list.GetMonitorWorkArea(out, 2), 0);
  EXPECT_EQ(out, (Rect{1000, 0, 2000, 760}));
  EXPECT_EQ(list.GetMonitorRect(out, 7), 1);
  EXPECT_EQ(out, (Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(list.GetMonitorWorkArea(out, 0), 1);
  EXPECT_EQ(out, (Rect{0, 0, 1000, 760}));  // the primary monitor's
  // Refresh goes back to the machine; a refusal leaves the list empty.
  backend.FailMonitorEnumeration(true);
  EXPECT_FALSE(list.Refresh());
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.MonitorFromRect(Rect{0, 0, 10, 10}), 0u);
}

TEST_F(MonitorListTest, FindMonitorForTakesTheFirstLargeEnough) {
  std::vector<MonitorDesc> monitors = {
      Monitor(Rect{0, 0, 800, 600}, Rect{0, 0, 800, 570}, "small", 0),
      Monitor(Rect{800, 0, 2720, 1080}, Rect{800, 0, 2720, 1040}, "wide", 1),
      Monitor(Rect{-1024, 0, 0, 1280}, Rect{-1024, 0, 0, 1280}, "tall", 2),
  };
  backend.SetMonitors(monitors);
  MonitorList list;
  struct Case {
    int32_t width, height;
    uint32_t monitor;
  };
  for (const Case& c : {Case{640, 480, 1}, Case{800, 600, 1}, Case{801, 600, 2}, Case{1920, 1080, 2},
                        Case{1000, 1200, 3}, Case{2000, 100, 0}, Case{0, 480, 0}, Case{640, -1, 0}}) {
    EXPECT_EQ(list.FindMonitorFor(c.width, c.height), c.monitor) << c.width << "x" << c.height;
  }
  list.Clear();
  EXPECT_EQ(list.FindMonitorFor(640, 480), 0u);
}

TEST_F(MonitorListTest, PlaceWindowKeepsFittingPositionsAndMovesTheRest) {
  // A small monitor with a panel at its top, and a large one to its right.
  std::vector<MonitorDesc> monitors = {
      Monitor(Rect{0, 0, 800, 600}, Rect{0, 30, 800, 600}, "small", 0),
      Monitor(Rect{800, 0, 2720, 1080}, Rect{800, 0, 2720, 1040}, "large", 1),
  };
  backend.SetMonitors(monitors);
  MonitorList list;
  struct Case {
    const char* what;
    int32_t x, y, width, height;
    bool always, centre;
    int result;
    int32_t wantX, wantY;
  };
  const Case cases[] = {
      {"fits in the small work area", 10, 40, 640, 480, false, true, 0, 10, 40},
      {"fits exactly at the far edge", 160, 120, 640, 480, false, true, 0, 160, 120},
      {"over the panel: nearest work area, centred", 10, 0, 640, 480, false, true, 1, 80, 75},
      {"same, not centred", 10, 0, 640, 480, false, false, 1, 0, 30},
      {"always placed though it fits", 10, 40, 640, 480, true, true, 1, 80, 75},
      {"mostly on the large monitor", 700, 100, 640, 480, true, true, 1, 1440, 280},
      {"too big for its monitor: the first that holds it", 10, 10, 1024, 768, false, true, 1, 1248, 136},
      {"too big for all: the work area it most covers, not centred", 10, 10, 4000, 768, false, true, 1, 800, 0},
      {"far away: the nearest monitor", 5000, 5000, 100, 100, true, false, 1, 800, 0},
  };
  for (const Case& c : cases) {
    int32_t x = c.x, y = c.y;
    EXPECT_EQ(list.PlaceWindow(x, y, c.width, c.height, c.always, c.centre), c.result) << c.what;
    EXPECT_EQ(x, c.wantX) << c.what;
    EXPECT_EQ(y, c.wantY) << c.what;
  }
  int32_t x = 1, y = 2;
  EXPECT_EQ(list.PlaceWindow(x, y, 0, 10, true, true), -1);
  list.Clear();
  EXPECT_EQ(list.PlaceWindow(x, y, 10, 10, true, true), -1);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
}

}  // namespace
}  // namespace orrivel
