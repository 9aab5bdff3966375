#pragma once
// A message box drawn by the engine itself, for the back ends that show
// it in a window of its own: the sign of its kind (stop, warning,
// information, question) at the left, the text in the engine's Japanese
// face beside it (the texts arrive as CP932 and never pass through a
// toolkit that would read them as another encoding), the buttons in a row
// below. The picture is made here, apart from any window, so that what a
// window shows can be compared with it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Rect.h"

namespace orrivel::platform {

class FontFace;

struct MessageBoxButton {
  int answer = IDOK;
  std::string label;  // CP932
  Rect area;
};

class MessageBoxPainter {
 public:
  // Null when no face can be opened (the caller falls back to the
  // toolkit's own box).
  static std::unique_ptr<MessageBoxPainter> Create(const MessageBoxRequest& request);
  ~MessageBoxPainter();
  MessageBoxPainter(const MessageBoxPainter&) = delete;
  MessageBoxPainter& operator=(const MessageBoxPainter&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  const std::vector<MessageBoxButton>& Buttons() const { return buttons_; }
  // Where the sign of the box's kind is drawn; empty for a box without one.
  const Rect& IconArea() const { return iconArea_; }
  // Enter answers with this button, Esc and a close with EscapeAnswer().
  size_t DefaultButton() const { return defaultButton_; }
  // What a box closed without a button answers (also when a stop signal
  // ends it): OK for a notice, No, Cancel.
  int EscapeAnswer() const { return escapeAnswer_; }
  // The button under a point of the box, or Buttons().size().
  size_t ButtonAt(Point point) const;
  // The box as 0x00RRGGBB words, rows top down, the focused button marked.
  std::vector<uint32_t> Paint(size_t focus) const;

 private:
  MessageBoxPainter() = default;
  void Layout(const MessageBoxRequest& request);
  void DrawText(std::vector<uint32_t>& pixels, const std::string& cp932, int32_t x, int32_t top) const;
  void DrawIcon(std::vector<uint32_t>& pixels) const;

  std::unique_ptr<FontFace> face_;
  MessageBoxIcon icon_ = MessageBoxIcon::None;
  Rect iconArea_;
  std::vector<std::string> lines_;  // CP932, wrapped
  std::vector<MessageBoxButton> buttons_;
  size_t defaultButton_ = 0;
  int escapeAnswer_ = IDOK;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t lineHeight_ = 0;
  int32_t textLeft_ = 0;
  int32_t textTop_ = 0;
};

}  // namespace orrivel::platform
