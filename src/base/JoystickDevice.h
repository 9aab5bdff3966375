#pragma once
// A joystick: the stick's x and y and up to 32 buttons in two records that
// polls write alternately. A direction is held while the stick is past a
// threshold a third of its travel away from the centre, so a resting stick
// never reads as held. Codes: 0 up, 1 down, 2 left, 3 right, 4 + n button n.
#include <array>
#include <cstdint>
#include <string>

#include "base/InputDevice.h"

namespace orrivel {

class JoystickDevice : public InputDevice {
 public:
  bool IsDown(uint8_t code) const override { return Test(Current(), code); }
  bool IsPressed(uint8_t code) const override { return Test(Current(), code) && !Test(Previous(), code); }
  int32_t FirstDown() const override;
  int32_t FirstPressed() const override;
  // Both records at rest (see SetNeutral): a cleared record would put the
  // stick at the top left of a range that starts at 0.
  void Reset() override { SetNeutral(); }
  int32_t GetKind() const override { return kInputWindowsApi; }

  // The thresholds from an axis range: low = (2 min + max) / 3,
  // high = (min + 2 max) / 3.
  static int32_t LowThreshold(int32_t min, int32_t max) { return int32_t((2 * int64_t(min) + max) / 3); }
  static int32_t HighThreshold(int32_t min, int32_t max) { return int32_t((int64_t(min) + 2 * int64_t(max)) / 3); }

  int32_t DeviceNumber() const { return deviceNumber_; }
  uint32_t ButtonCount() const { return buttonCount_; }
  uint32_t AxisCount() const { return axisCount_; }
  const std::string& Name() const { return name_; }
  bool IsConnected() const { return connected_; }
  bool IsExclusive() const { return exclusive_; }
  int32_t XLow() const { return xLow_; }
  int32_t XHigh() const { return xHigh_; }
  int32_t YLow() const { return yLow_; }
  int32_t YHigh() const { return yHigh_; }

 protected:
  static constexpr uint32_t kMaxButtons = 32;
  struct State {
    int32_t x = 0;
    int32_t y = 0;
    std::array<uint8_t, kMaxButtons> buttons{};
  };
  const State& Current() const { return records_[writeIndex_ ^ 1]; }
  const State& Previous() const { return records_[writeIndex_]; }
  State& WriteRecord() { return records_[writeIndex_]; }
  void FlipRecords() { writeIndex_ ^= 1; }
  // Axes at the low thresholds and buttons up in both records.
  void SetNeutral();
  bool Test(const State& state, uint8_t code) const;

  std::array<State, 2> records_{};
  uint32_t writeIndex_ = 0;
  int32_t deviceNumber_ = -1;
  int32_t xLow_ = 0;
  int32_t xHigh_ = 0;
  int32_t yLow_ = 0;
  int32_t yHigh_ = 0;
  uint32_t buttonCount_ = 0;
  uint32_t axisCount_ = 0;
  std::string name_;
  bool connected_ = false;
  bool exclusive_ = false;
};

}  // namespace orrivel
