#include "game/DialogPainter.h"

#include <algorithm>

#include "platform/TextCodec.h"
#include "text/OutlineFont.h"

namespace orrivel {

using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Point;

namespace {

constexpr uint32_t kFace = 0xFFD4D0C8;       // dialog background
constexpr uint32_t kLight = 0xFFFFFFFF;      // raised edges
constexpr uint32_t kShadow = 0xFF808080;     // sunken edges
constexpr uint32_t kDark = 0xFF404040;       // outer shadows
constexpr uint32_t kWindow = 0xFFFFFFFF;     // edits, lists
constexpr uint32_t kCaption = 0xFF0A246A;    // the caption bar
constexpr uint32_t kFocus = 0xFF316AC5;      // the focused edit's edge
constexpr uint32_t kTextRgb = 0x000000;
constexpr uint32_t kGreyTextRgb = 0x808080;
constexpr uint32_t kLinkRgb = 0x0000FF;
constexpr uint32_t kCaptionTextRgb = 0xFFFFFF;
constexpr int32_t kMarkSize = 13;  // check box and radio mark
constexpr int32_t kMarkGap = 5;

void Fill(Surface& s, const Rect& r, uint32_t argb) {
  if (r.IsEmpty()) return;
  s.FillBox(r.left, r.top, r.Width(), r.Height(), argb);
}

// A rectangle's outline, one pixel wide: top and left in one colour,
// bottom and right in the other.
void Edge(Surface& s, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
  if (r.Width() < 2 || r.Height() < 2) return;
  Fill(s, Rect{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  Fill(s, Rect{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  Fill(s, Rect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill(s, Rect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

Rect Inset(const Rect& r, int32_t by) { return Rect{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void Raised(Surface& s, const Rect& r) {
  Edge(s, r, kLight, kDark);
  Edge(s, Inset(r, 1), kFace, kShadow);
}

void Sunken(Surface& s, const Rect& r, uint32_t inside) {
  Fill(s, r, inside);
  Edge(s, r, kShadow, kLight);
  Edge(s, Inset(r, 1), kDark, kFace);
}

// The square before a check box's or radio's text, vertically centred.
Rect MarkBox(const Rect& control) {
  const int32_t top = control.top + std::max(0, (control.Height() - kMarkSize) / 2);
  return Rect{control.left, top, control.left + kMarkSize, top + kMarkSize};
}

Rect AfterMark(const Rect& control) {
  return Rect{control.left + kMarkSize + kMarkGap, control.top, control.right, control.bottom};
}

void Tick(Surface& s, const Rect& box, uint32_t argb) {
  // A tick of three-pixel strokes: down to the bottom left, up to the right.
  const int32_t x = box.left + 3, y = box.top + 5;
  for (int32_t i = 0; i < 3; ++i) Fill(s, Rect{x + i, y + i, x + i + 1, y + i + 3}, argb);
  for (int32_t i = 0; i < 4; ++i) Fill(s, Rect{x + 3 + i, y + 1 - i, x + 4 + i, y + 4 - i}, argb);
}

// A round-looking radio mark made of rows, and its dot.
void RadioMark(Surface& s, const Rect& box, bool chosen, uint32_t inside) {
  static constexpr int32_t kRows[kMarkSize] = {4, 2, 1, 1, 0, 0, 0, 0, 0, 1, 1, 2, 4};
  for (int32_t row = 0; row < kMarkSize; ++row) {
    const int32_t in = kRows[row];
    const uint32_t rim = row < kMarkSize / 2 ? kShadow : kLight;
    Fill(s, Rect{box.left + in, box.top + row, box.right - in, box.top + row + 1}, rim);
    if (row > 0 && row < kMarkSize - 1) {
      Fill(s, Rect{box.left + in + 1, box.top + row, box.right - in - 1, box.top + row + 1}, inside);
    }
  }
  if (chosen) Fill(s, Rect{box.left + 4, box.top + 4, box.right - 4, box.bottom - 4}, 0xFF000000);
}

// The focus mark: a dotted outline, every other pixel.
void Dotted(Surface& s, const Rect& r) {
  if (r.Width() < 2 || r.Height() < 2) return;
  constexpr uint32_t kDot = 0xFF000000;
  for (int32_t x = r.left; x < r.right; x += 2) {
    Fill(s, Rect{x, r.top, x + 1, r.top + 1}, kDot);
    Fill(s, Rect{x, r.bottom - 1, x + 1, r.bottom}, kDot);
  }
  for (int32_t y = r.top; y < r.bottom; y += 2) {
    Fill(s, Rect{r.left, y, r.left + 1, y + 1}, kDot);
    Fill(s, Rect{r.right - 1, y, r.right, y + 1}, kDot);
  }
}

// Where an edit's text starts, and whether it sits in the middle.
Rect EditTextBox(const Rect& r) { return Rect{r.left + 4, r.top + 2, r.right - 2, r.bottom - 2}; }
bool EditTextCentred(const Rect& r) { return r.Height() <= DialogPainter::kFontPixels + 10; }

// A combo's arrow button at its right end.
Rect ComboArrow(const Rect& r) {
  const int32_t side = std::max(0, r.Height() - 4);
  return Rect{r.right - 2 - side, r.top + 2, r.right - 2, r.bottom - 2};
}

}  // namespace

int32_t DialogPainter::SliderThumbX(const DialogControl& slider) {
  const Rect& r = slider.rect;
  const int32_t span = std::max(0, r.Width() - 2 * kThumbHalf - 1);
  const int32_t value = std::clamp(slider.value, 0, std::max(0, slider.maximum));
  return r.left + kThumbHalf + (slider.maximum > 0 ? int32_t(int64_t(span) * value / slider.maximum) : 0);
}

int32_t DialogPainter::SliderValueAt(const DialogControl& slider, Point point) {
  const int32_t span = slider.rect.Width() - 2 * kThumbHalf - 1;
  if (span <= 0 || slider.maximum <= 0) return 0;
  const int32_t along = std::clamp(point.x - slider.rect.left - kThumbHalf, 0, span);
  return int32_t((int64_t(along) * slider.maximum + span / 2) / span);
}

Rect DialogPainter::DropListRect(const DialogRequest& request, const DialogControl& combo) {
  const int32_t height = int32_t(combo.items.size()) * kListItemHeight + 2;
  const Rect& r = combo.rect;
  if (r.bottom + height > request.rect.Height() && r.top - height >= 0) {
    return Rect{r.left, r.top - height, r.right, r.top};
  }
  return Rect{r.left, r.bottom, r.right, r.bottom + height};
}

int32_t DialogPainter::DropListItemAt(const DialogRequest& request, const DialogControl& combo, Point point) {
  const Rect list = DropListRect(request, combo);
  if (point.x < list.left || point.x >= list.right || point.y < list.top + 1 || point.y >= list.bottom - 1) {
    return -1;
  }
  const int32_t item = (point.y - list.top - 1) / kListItemHeight;
  return item < int32_t(combo.items.size()) ? item : -1;
}

DialogPainter::DialogPainter(Font* font) : font_(font) {
  if (font_ != nullptr) return;
  auto own = std::make_unique<OutlineFont>();
  if (own->SetFont(kFontPixels, 0, 0, platform::Utf8ToCp932Lossy("ＭＳ Ｐゴシック").c_str()) == 0) {
    own->effectMode = kEffectNone;
    font_ = own.get();
    ownFont_ = std::move(own);
  }
}

DialogPainter::~DialogPainter() = default;

int32_t DialogPainter::TextWidth(const std::string& text) {
  if (font_ == nullptr || text.empty()) return 0;
  Size size;
  font_->MeasureText(text.c_str(), &size, nullptr, nullptr, false, nullptr);
  return size.width;
}

// Text is drawn inside its box only: a copy the size of the box takes it,
// so a long text is cut at the box's edge.
void DialogPainter::DrawText(Surface& picture, const Rect& box, const std::string& text, uint32_t rgb, bool centred,
                             bool middle) {
  if (font_ == nullptr || text.empty() || box.IsEmpty()) return;
  Surface clip;
  if (clip.Create(box.Width(), box.Height(), 32, 0) != 0) return;
  clip.Copy(&picture, 0, 0, &box, false);
  Size size;
  font_->MeasureText(text.c_str(), &size, nullptr, nullptr, false, nullptr);
  const int32_t x = centred ? std::max(0, (box.Width() - size.width) / 2) : 0;
  const int32_t y = middle ? (box.Height() - size.height) / 2 : 0;
  font_->textRed = uint8_t(rgb >> 16);
  font_->textGreen = uint8_t(rgb >> 8);
  font_->textBlue = uint8_t(rgb);
  font_->DrawText(&clip, x, y, text.c_str(), nullptr, nullptr);
  const Rect all{0, 0, box.Width(), box.Height()};
  picture.Copy(&clip, box.left, box.top, &all, false);
}

void DialogPainter::DrawControl(Surface& s, const DialogControl& control, bool isDefault) {
  const Rect& r = control.rect;
  const uint32_t textRgb = control.enabled ? kTextRgb : kGreyTextRgb;
  switch (control.kind) {
    case DialogControlKind::Frame: {
      // An etched group frame, its title (if any) over the top line.
      const int32_t titleHalf = control.text.empty() ? 0 : kFontPixels / 2;
      const Rect line{r.left, r.top + titleHalf, r.right, r.bottom};
      Edge(s, line, kShadow, kLight);
      Edge(s, Rect{line.left + 1, line.top + 1, line.right, line.bottom}, kLight, kShadow);
      if (!control.text.empty()) {
        const int32_t width = std::min(TextWidth(control.text) + 4, r.Width() - 16);
        const Rect title{r.left + 8, r.top, r.left + 8 + width, r.top + kFontPixels + 2};
        Fill(s, title, kFace);
        DrawText(s, Rect{title.left + 2, title.top, title.right, title.bottom}, control.text, textRgb, false, false);
      }
      break;
    }
    case DialogControlKind::Text:
      DrawText(s, r, control.text, textRgb, false, control.centredVertically);
      break;
    case DialogControlKind::Link:
      DrawText(s, r, control.text, control.enabled ? kLinkRgb : kGreyTextRgb, false, false);
      if (const int32_t width = std::min(TextWidth(control.text), r.Width()); width > 0) {
        const int32_t under = std::min(r.bottom - 1, r.top + kFontPixels + 1);
        Fill(s, Rect{r.left, under, r.left + width, under + 1}, 0xFF0000FF);
      }
      break;
    case DialogControlKind::Button:
      Fill(s, r, kFace);
      if (isDefault) {
        Edge(s, r, 0xFF000000, 0xFF000000);
        Raised(s, Inset(r, 1));
      } else {
        Raised(s, r);
      }
      DrawText(s, Inset(r, 3), control.text, textRgb, true, true);
      break;
    case DialogControlKind::Tab: {
      // The page shown stands up from the row and joins the page below.
      const Rect tab = control.checked ? r : Rect{r.left + 1, r.top + 2, r.right - 1, r.bottom};
      Fill(s, tab, kFace);
      Fill(s, Rect{tab.left, tab.top, tab.right - 1, tab.top + 1}, kLight);
      Fill(s, Rect{tab.left, tab.top, tab.left + 1, tab.bottom}, kLight);
      Fill(s, Rect{tab.right - 1, tab.top + 1, tab.right, tab.bottom}, kDark);
      if (!control.checked) Fill(s, Rect{r.left, r.bottom - 1, r.right, r.bottom}, kLight);
      DrawText(s, Inset(tab, 2), control.text, textRgb, true, true);
      break;
    }
    case DialogControlKind::CheckBox: {
      const Rect box = MarkBox(r);
      Sunken(s, box, control.enabled ? kWindow : kFace);
      if (control.checked) Tick(s, box, control.enabled ? 0xFF000000 : 0xFF808080);
      DrawText(s, AfterMark(r), control.text, textRgb, false, true);
      break;
    }
    case DialogControlKind::Radio:
      RadioMark(s, MarkBox(r), control.checked, control.enabled ? kWindow : kFace);
      DrawText(s, AfterMark(r), control.text, textRgb, false, true);
      break;
    case DialogControlKind::Edit:
      Sunken(s, r, control.enabled ? kWindow : kFace);
      if (control.checked || control.focused) Edge(s, Inset(r, 1), kFocus, kFocus);
      DrawText(s, EditTextBox(r), control.text, textRgb, false, EditTextCentred(r));
      break;
    case DialogControlKind::Combo: {
      Sunken(s, r, control.enabled ? kWindow : kFace);
      const Rect arrow = ComboArrow(r);
      Fill(s, arrow, kFace);
      Raised(s, arrow);
      // The down arrow: four rows narrowing to a point.
      const int32_t cx = (arrow.left + arrow.right) / 2, cy = (arrow.top + arrow.bottom) / 2 - 1;
      for (int32_t row = 0; row < 4; ++row) {
        Fill(s, Rect{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, control.enabled ? 0xFF000000 : 0xFF808080);
      }
      DrawText(s, Rect{r.left + 4, r.top + 2, arrow.left - 2, r.bottom - 2}, control.text, textRgb, false, true);
      break;
    }
    case DialogControlKind::Slider: {
      const int32_t mid = (r.top + r.bottom) / 2;
      Sunken(s, Rect{r.left + kThumbHalf, mid - 2, r.right - kThumbHalf, mid + 2}, kFace);
      const int32_t x = SliderThumbX(control);
      const Rect thumb{x - kThumbHalf, r.top + 2, x + kThumbHalf + 1, r.bottom - 2};
      Fill(s, thumb, kFace);
      Raised(s, thumb);
      break;
    }
  }
}

void DialogPainter::DrawFocus(Surface& s, const DialogControl& control) {
  const Rect& r = control.rect;
  switch (control.kind) {
    case DialogControlKind::Button:
      Dotted(s, Inset(r, 4));
      break;
    case DialogControlKind::Tab:
      Dotted(s, Inset(r, 3));
      break;
    case DialogControlKind::CheckBox:
    case DialogControlKind::Radio: {
      const Rect text = AfterMark(r);
      const int32_t right = std::min(r.right, text.left + TextWidth(control.text) + 3);
      Dotted(s, Rect{text.left - 2, r.top + 1, right, r.bottom - 1});
      break;
    }
    case DialogControlKind::Combo:
      Dotted(s, Rect{r.left + 3, r.top + 3, ComboArrow(r).left - 1, r.bottom - 3});
      break;
    case DialogControlKind::Slider:
    case DialogControlKind::Link:
      Dotted(s, r);
      break;
    default:
      break;  // an edit shows its focus by its edge and caret
  }
}

void DialogPainter::DrawCaret(Surface& s, const DialogControl& edit) {
  const Rect box = EditTextBox(edit.rect);
  const size_t before = std::min(size_t(edit.caret), edit.text.size());
  const int32_t x = box.left + TextWidth(edit.text.substr(0, before));
  if (x >= box.right) return;
  const int32_t top = EditTextCentred(edit.rect) ? box.top + std::max(0, (box.Height() - kFontPixels - 2) / 2) : box.top;
  Fill(s, Rect{x, top, x + 1, std::min(box.bottom, top + kFontPixels + 2)}, 0xFF000000);
}

void DialogPainter::DrawDropList(Surface& s, const DialogRequest& request, const DialogControl& combo) {
  const Rect list = DropListRect(request, combo);
  Fill(s, list, kWindow);
  Edge(s, list, 0xFF000000, 0xFF000000);
  for (size_t i = 0; i < combo.items.size(); ++i) {
    const int32_t top = list.top + 1 + int32_t(i) * kListItemHeight;
    const Rect row{list.left + 1, top, list.right - 1, top + kListItemHeight};
    const bool lit = int32_t(i) == combo.highlighted;
    if (lit) Fill(s, row, kFocus);
    DrawText(s, Rect{row.left + 3, row.top, row.right - 2, row.bottom}, combo.items[i], lit ? 0xFFFFFF : kTextRgb,
             false, true);
  }
}

bool DialogPainter::Paint(const DialogRequest& request, Surface& picture) {
  const platform::Size frame = FrameSize(platform::Size{request.rect.Width(), request.rect.Height()});
  if (frame.width <= 0 || frame.height <= 0) return false;
  if (picture.Create(frame.width, frame.height, 32, 0) != 0) return false;
  const Rect all{0, 0, frame.width, frame.height};
  Fill(picture, all, kFace);
  Edge(picture, all, kLight, kDark);
  const Rect caption{kBorder, kBorder, frame.width - kBorder, kBorder + kCaptionHeight};
  Fill(picture, caption, kCaption);
  DrawText(picture, Rect{caption.left + 6, caption.top, caption.right - 4, caption.bottom}, request.caption,
           kCaptionTextRgb, false, true);

  // The controls go into a picture of the client area, so none reaches
  // the border or the caption.
  Surface client;
  if (client.Create(request.rect.Width(), request.rect.Height(), 32, 0) != 0) return false;
  Fill(client, Rect{0, 0, request.rect.Width(), request.rect.Height()}, kFace);
  const DialogControl* dropped = nullptr;
  for (const DialogControl& control : request.controls) {
    DrawControl(client, control, control.kind == DialogControlKind::Button && control.id == request.defaultButton);
    if (control.focused && control.enabled) DrawFocus(client, control);
    if (control.kind == DialogControlKind::Edit && control.caret >= 0 && control.focused && !control.readOnly) {
      DrawCaret(client, control);
    }
    if (control.kind == DialogControlKind::Combo && control.dropped && !control.items.empty()) dropped = &control;
  }
  // The open list lies over everything else.
  if (dropped != nullptr) DrawDropList(client, request, *dropped);
  const Rect clientAll{0, 0, request.rect.Width(), request.rect.Height()};
  const Point origin = ClientOrigin();
  picture.Copy(&client, origin.x, origin.y, &clientAll, false);
  return true;
}

}  // namespace orrivel
