// Choosing a display mode for a picture, and the switch's bookkeeping: one
// mode in force at a time, given back once.
#include "platform/DisplayModeSwitch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orrivel::platform {
namespace {

TEST(DisplayModeSwitchTest, TheGamesSizeAndDepthElseTheNearestLargerMode) {
  const std::vector<DisplayMode> offered = {{1920, 1080, 32, 60}, {1280, 800, 32, 60}, {1024, 768, 32, 75},
                                            {1024, 768, 32, 60},  {1024, 768, 16, 60}, {800, 600, 16, 60},
                                            {800, 600, 32, 60},   {640, 480, 32, 60}};
  struct Case {
    int32_t width, height;
    uint8_t depth;
    std::optional<DisplayMode> chosen;
  };
  const Case cases[] = {
      {800, 600, 32, DisplayMode{800, 600, 32, 60}},     // exact size and depth
      {800, 600, 16, DisplayMode{800, 600, 16, 60}},
      {800, 600, 24, DisplayMode{800, 600, 16, 60}},     // the size first, at another depth
      {800, 600, 0, DisplayMode{800, 600, 16, 60}},      // any depth: the first met
      {1024, 768, 32, DisplayMode{1024, 768, 32, 75}},   // the higher refresh
      {960, 640, 32, DisplayMode{1024, 768, 32, 75}},    // the smallest as large
      {1100, 700, 32, DisplayMode{1280, 800, 32, 60}},
      {1100, 700, 16, DisplayMode{1280, 800, 32, 60}},   // larger at another depth
      {1280, 1100, 32, std::nullopt},                    // too high for every mode
      {2560, 1440, 32, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<DisplayMode> got = ChooseFullScreenMode(offered, c.width, c.height, c.depth);
    ASSERT_EQ(got.has_value(), c.chosen.has_value()) << c.width << "x" << c.height;
    if (!got) continue;
    EXPECT_EQ(got->width, c.chosen->width) << c.width << "x" << c.height << "x" << int(c.depth);
    EXPECT_EQ(got->height, c.chosen->height) << c.width << "x" << c.height << "x" << int(c.depth);
    EXPECT_EQ(got->depth, c.chosen->depth) << c.width << "x" << c.height << "x" << int(c.depth);
    EXPECT_EQ(got->refresh, c.chosen->refresh) << c.width << "x" << c.height << "x" << int(c.depth);
  }
  EXPECT_FALSE(ChooseFullScreenMode({}, 640, 480, 32).has_value());
}

class NotingSwitch : public DisplayModeSwitch {
 public:
  bool refuse = false;
  std::vector<std::string> log;

 protected:
  std::vector<DisplayMode> OfferedModes(WindowId) override { return {{1024, 768, 32, 60}, {640, 480, 32, 60}}; }
  bool Enter(WindowId window, const DisplayMode& mode) override {
    log.push_back("enter " + std::to_string(window) + " " + std::to_string(mode.width));
    return !refuse;
  }
  void Leave(WindowId window) override { log.push_back("leave " + std::to_string(window)); }
};

TEST(DisplayModeSwitchTest, OneModeInForceGivenBackOnce) {
  NotingSwitch display;
  EXPECT_FALSE(display.SwitchTo(kNoWindow, 640, 480, 32));
  EXPECT_FALSE(display.SwitchTo(3, 1280, 800, 32));  // nothing as large: the display is not touched
  EXPECT_TRUE(display.log.empty());
  ASSERT_TRUE(display.SwitchTo(3, 640, 480, 32));
  EXPECT_TRUE(display.Holds(3));
  EXPECT_FALSE(display.Holds(4));
  // A second switch gives the first mode back before it enters its own.
  ASSERT_TRUE(display.SwitchTo(4, 800, 600, 32));
  EXPECT_EQ(display.ModeInForce()->width, 1024);
  display.Restore();
  display.Restore();
  EXPECT_EQ(display.log, (std::vector<std::string>{"enter 3 640", "leave 3", "enter 4 1024", "leave 4"}));
  // A refused mode is not in force and is never given back.
  display.refuse = true;
  EXPECT_FALSE(display.SwitchTo(3, 640, 480, 32));
  EXPECT_FALSE(display.ModeInForce().has_value());
  display.Restore();
  EXPECT_EQ(display.log.back(), "enter 3 640");
  // A window that went away took its mode with it.
  display.refuse = false;
  ASSERT_TRUE(display.SwitchTo(5, 640, 480, 32));
  display.Forget(5);
  display.Restore();
  EXPECT_EQ(display.log.back(), "enter 5 640");
}

}  // namespace
}  // namespace orrivel::platform
