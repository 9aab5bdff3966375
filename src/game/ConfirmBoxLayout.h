#pragma once
// Where the in-game question box and its buttons go on the 1280 x 720
// screen: the box grows around its text (never smaller than 214 x 75 of
// text), is centred or placed where asked, and, when it opens at the
// pointer, is moved so that the default button lies under the pointer while
// the whole box stays on the screen.
#include <array>
#include <cstdint>

namespace orrivel {

struct ConfirmBoxLayout {
  static constexpr int32_t kScreenWidth = 1280;
  static constexpr int32_t kScreenHeight = 720;
  static constexpr int32_t kMinTextWidth = 214;
  static constexpr int32_t kMinTextHeight = 75;
  // The frame around the text, and where the text starts inside it.
  static constexpr int32_t kExtraWidth = 82;
  static constexpr int32_t kExtraHeight = 73;
  static constexpr int32_t kTextLeft = 43;
  static constexpr int32_t kTextTop = 29;
  // A pointer here means the last input came from the keys.
  static constexpr int32_t kKeyboardPointerX = 1279;
  static constexpr int32_t kKeyboardPointerY = 719;
  // Button sets: 0 one OK button, 1 OK and CANCEL, 2 YES and NO.
  static constexpr std::array<int32_t, 3> kSetWidth{70, 217, 208};
  static constexpr std::array<int32_t, 3> kSecondOffset{0, 116, 125};

  struct Button {
    int32_t x = 0, y = 0, width = 0, height = 0;
  };

  // What the box is asked for: the text's measured size, the button set
  // (3 counts as 2), x (-1 centred, -2 at the pointer) and y (-1 centred),
  // the pointer, the default button (0 first, else second) and the button
  // pictures' sizes.
  struct Request {
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    int32_t set = 0;
    int32_t x = -1;
    int32_t y = -1;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    int32_t defaultButton = 0;
    std::array<Button, 2> buttonSizes{};
  };

  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t textX = 0, textY = 0;
  int32_t buttonCount = 1;
  std::array<Button, 2> buttons{};
  // The box opened at the pointer (false also for the keyboard position).
  bool atPointer = false;

  static ConfirmBoxLayout Compute(const Request& request);
  // Moves the box and its buttons by (dx, dy).
  void Move(int32_t dx, int32_t dy);
};

}  // namespace orrivel
