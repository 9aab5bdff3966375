#pragma once
// The keyboard read by polling each key's state by its virtual key, for
// every key of the key table. Keys that share a virtual key (left and right
// Shift, Ctrl and Alt, both Enter keys) therefore read as held together.
#include <span>

#include "base/KeyboardDevice.h"

namespace orrivel {

class FullApiKeyboard : public KeyboardDevice {
 public:
  FullApiKeyboard();
  int32_t GetKind() const override { return kInputWindowsApi; }
  int32_t Poll() override;

 protected:
  // A keyboard that polls only the given key codes, in their order.
  explicit FullApiKeyboard(std::span<const uint8_t> codes);

 private:
  std::span<const uint8_t> codes_;
};

}  // namespace orrivel
