#pragma once
// Draws the game's own dialogs: a dialog laid out as a platform dialog
// request (its caption, client size and controls) becomes one picture with
// a border and a caption bar around the client area, the controls drawn in
// the plain grey look of a system dialog with the dialogs' outline font.
// The picture holds everything the dialog shows, so what is drawn never
// leaves the dialog's own rectangle.
#include <cstdint>
#include <memory>

#include "platform/DialogService.h"
#include "raster/Surface.h"

namespace orrivel {

class Font;

class DialogPainter {
 public:
  // Around the client area: a one-pixel border, and the caption bar above.
  static constexpr int32_t kBorder = 1;
  static constexpr int32_t kCaptionHeight = 20;
  static constexpr int32_t kFontPixels = 12;

  // With no font given, the dialogs' own ("ＭＳ Ｐゴシック", 12 pixels).
  explicit DialogPainter(Font* font = nullptr);
  ~DialogPainter();
  DialogPainter(const DialogPainter&) = delete;
  DialogPainter& operator=(const DialogPainter&) = delete;

  // The whole dialog's size for a client area.
  static constexpr platform::Size FrameSize(const platform::Size& client) {
    return platform::Size{client.width + 2 * kBorder, client.height + 2 * kBorder + kCaptionHeight};
  }
  // Where the client area starts inside the picture.
  static platform::Point ClientOrigin() { return {kBorder, kBorder + kCaptionHeight}; }

  // A slider's thumb: its centre runs from kThumbHalf pixels inside one end
  // of the control to the same inside the other.
  static constexpr int32_t kThumbHalf = 5;
  static int32_t SliderThumbX(const platform::DialogControl& slider);
  // The slider's value (0-maximum) for a point over it, to the nearest.
  static int32_t SliderValueAt(const platform::DialogControl& slider, platform::Point point);
  // A combo's open list: below the combo, above it when the client area
  // has no room below; the item at a point (-1 outside the list).
  static constexpr int32_t kListItemHeight = 16;
  static platform::Rect DropListRect(const platform::DialogRequest& request, const platform::DialogControl& combo);
  static int32_t DropListItemAt(const platform::DialogRequest& request, const platform::DialogControl& combo,
                                platform::Point point);

  // Makes `picture` (32 bits, the frame's size) and draws the dialog into
  // it. False when the picture cannot be made.
  bool Paint(const platform::DialogRequest& request, Surface& picture);

 private:
  void DrawControl(Surface& picture, const platform::DialogControl& control, bool isDefault);
  void DrawFocus(Surface& picture, const platform::DialogControl& control);
  void DrawCaret(Surface& picture, const platform::DialogControl& edit);
  void DrawDropList(Surface& picture, const platform::DialogRequest& request, const platform::DialogControl& combo);
  void DrawText(Surface& picture, const platform::Rect& box, const std::string& text, uint32_t rgb, bool centred,
                bool middle);
  int32_t TextWidth(const std::string& text);

  std::unique_ptr<Font> ownFont_;
  Font* font_ = nullptr;
};

}  // namespace orrivel
