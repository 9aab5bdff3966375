#include "platform/MessageBoxPainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"

namespace orrivel::platform {
namespace {

constexpr int32_t kMargin = 16;
constexpr int32_t kLineGap = 4;
constexpr int32_t kButtonGap = 8;
constexpr int32_t kButtonMinWidth = 88;
constexpr int32_t kButtonPadding = 24;
constexpr int32_t kMinWidth = 240;
// Longer lines wrap: a path in a message must not make a box wider than
// the screen.
constexpr int32_t kMaxTextWidth = 720;

// The sign of the box's kind, left of the text.
constexpr int32_t kIconSize = 32;
constexpr int32_t kIconGap = 12;

constexpr uint32_t kBackground = 0xF0F0F0;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonEdge = 0xADADAD;
constexpr uint32_t kFocusEdge = 0x0078D7;

bool IsLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The character codes of a CP932 text, with the byte count of each.
template <typename Visit>
void ForEachCharacter(const std::string& cp932, Visit visit) {
  for (size_t at = 0; at < cp932.size();) {
    const uint8_t byte = uint8_t(cp932[at]);
    if (IsLeadByte(byte) && at + 1 < cp932.size()) {
      visit(uint16_t(byte << 8 | uint8_t(cp932[at + 1])), at, size_t(2));
      at += 2;
    } else {
      visit(uint16_t(byte), at, size_t(1));
      at += 1;
    }
  }
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t coverage64) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t a = (under >> shift) & 0xFF;
    const uint32_t b = (over >> shift) & 0xFF;
    result |= ((a * (64 - coverage64) + b * coverage64 + 32) / 64) << shift;
  }
  return result;
}

void FillRect(std::vector<uint32_t>& pixels, int32_t width, const Rect& area, uint32_t rgb) {
  for (int32_t y = area.top; y < area.bottom; ++y) {
    std::fill(pixels.begin() + y * width + area.left, pixels.begin() + y * width + area.right, rgb);
  }
}

void FrameRect(std::vector<uint32_t>& pixels, int32_t width, const Rect& area, int32_t thickness, uint32_t rgb) {
  FillRect(pixels, width, Rect{area.left, area.top, area.right, area.top + thickness}, rgb);
  FillRect(pixels, width, Rect{area.left, area.bottom - thickness, area.right, area.bottom}, rgb);
  FillRect(pixels, width, Rect{area.left, area.top, area.left + thickness, area.bottom}, rgb);
  FillRect(pixels, width, Rect{area.right - thickness, area.top, area.right, area.bottom}, rgb);
}

// The signs are drawn from shapes in the sign's own 32×32 square (x right,
// y down, in pixels). Each pixel is sampled on an 8×8 grid: the number of
// samples inside a shape is its coverage, already in the 0..64 that Blend
// takes, so edges are smooth and the picture is the same on every run.
constexpr int kSamplesPerSide = 8;

struct Spot {
  double x = 0;
  double y = 0;
};

bool InDisc(Spot p, Spot centre, double radius) {
  const double dx = p.x - centre.x;
  const double dy = p.y - centre.y;
  return dx * dx + dy * dy <= radius * radius;
}

// A stroke from `a` to `b` with round ends.
bool InStroke(Spot p, Spot a, Spot b, double radius) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return InDisc(p, Spot{a.x + t * dx, a.y + t * dy}, radius);
}

// Corners clockwise on the screen (y down).
bool InTriangle(Spot p, Spot a, Spot b, Spot c) {
  const auto leftOf = [&](Spot from, Spot to) {
    return (to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x) >= 0;
  };
  return leftOf(a, b) && leftOf(b, c) && leftOf(c, a);
}

// A triangle grown by `radius` all round: its corners come out rounded.
bool InRoundedTriangle(Spot p, Spot a, Spot b, Spot c, double radius) {
  return InTriangle(p, a, b, c) || InStroke(p, a, b, radius) || InStroke(p, b, c, radius) ||
         InStroke(p, c, a, radius);
}

// The part of a ring round `centre` from its left, over the top, to
// `endDegrees` below its right: the hook of a question mark.
bool InHook(Spot p, Spot centre, double radius, double halfWidth, double endDegrees) {
  const double dx = p.x - centre.x;
  const double dy = p.y - centre.y;
  const double distance = std::sqrt(dx * dx + dy * dy);
  if (std::abs(distance - radius) > halfWidth) return false;
  if (dy <= 0) return true;
  return dx > 0 && dy <= dx * std::tan(endDegrees * std::numbers::pi / 180);
}

template <typename Shape>
void FillShape(std::vector<uint32_t>& pixels, int32_t width, const Rect& square, uint32_t rgb, Shape inside) {
  for (int32_t y = 0; y < square.Height(); ++y) {
    for (int32_t x = 0; x < square.Width(); ++x) {
      uint32_t coverage = 0;
      for (int sy = 0; sy < kSamplesPerSide; ++sy) {
        for (int sx = 0; sx < kSamplesPerSide; ++sx) {
          const Spot sample{x + (sx + 0.5) / kSamplesPerSide, y + (sy + 0.5) / kSamplesPerSide};
          if (inside(sample)) ++coverage;
        }
      }
      if (coverage == 0) continue;
      uint32_t& pixel = pixels[size_t(square.top + y) * size_t(width) + size_t(square.left + x)];
      pixel = Blend(pixel, rgb, coverage);
    }
  }
}

constexpr Spot kMiddle{16, 16};
constexpr uint32_t kSignWhite = 0xFFFFFF;

// A disc with a darker rim, the ground of the stop, information and
// question signs.
void FillSignDisc(std::vector<uint32_t>& pixels, int32_t width, const Rect& square, uint32_t rim, uint32_t face) {
  FillShape(pixels, width, square, rim, [](Spot p) { return InDisc(p, kMiddle, 15.5); });
  FillShape(pixels, width, square, face, [](Spot p) { return InDisc(p, kMiddle, 14.5); });
}

void DrawStopSign(std::vector<uint32_t>& pixels, int32_t width, const Rect& square) {
  FillSignDisc(pixels, width, square, 0x9E1B13, 0xD93025);
  FillShape(pixels, width, square, kSignWhite, [](Spot p) {
    return InStroke(p, Spot{10.5, 10.5}, Spot{21.5, 21.5}, 1.9) || InStroke(p, Spot{21.5, 10.5}, Spot{10.5, 21.5}, 1.9);
  });
}

void DrawWarningSign(std::vector<uint32_t>& pixels, int32_t width, const Rect& square) {
  constexpr Spot kTop{16, 4.5}, kRight{28.5, 27}, kLeft{3.5, 27};
  FillShape(pixels, width, square, 0xB07800, [&](Spot p) { return InRoundedTriangle(p, kTop, kRight, kLeft, 2.5); });
  FillShape(pixels, width, square, 0xFFC927, [&](Spot p) { return InRoundedTriangle(p, kTop, kRight, kLeft, 1.5); });
  FillShape(pixels, width, square, 0x000000, [](Spot p) {
    return InStroke(p, Spot{16, 11.5}, Spot{16, 18.5}, 2.0) || InDisc(p, Spot{16, 23}, 2.1);
  });
}

void DrawInformationSign(std::vector<uint32_t>& pixels, int32_t width, const Rect& square) {
  FillSignDisc(pixels, width, square, 0x0A4F9E, 0x1E6FD9);
  FillShape(pixels, width, square, kSignWhite, [](Spot p) {
    return InDisc(p, Spot{16, 9}, 2.3) || InStroke(p, Spot{16, 14}, Spot{16, 23.5}, 2.0);
  });
}

void DrawQuestionSign(std::vector<uint32_t>& pixels, int32_t width, const Rect& square) {
  FillSignDisc(pixels, width, square, 0x0A4F9E, 0x1E6FD9);
  FillShape(pixels, width, square, kSignWhite, [](Spot p) {
    constexpr Spot kHookCentre{16, 11.5};
    constexpr double kHookRadius = 4.8;
    constexpr double kHalfWidth = 1.8;
    constexpr double kEndDegrees = 50;
    const double end = kEndDegrees * std::numbers::pi / 180;
    const Spot hookEnd{kHookCentre.x + kHookRadius * std::cos(end), kHookCentre.y + kHookRadius * std::sin(end)};
    return InHook(p, kHookCentre, kHookRadius, kHalfWidth, kEndDegrees) ||
           InDisc(p, Spot{kHookCentre.x - kHookRadius, kHookCentre.y}, kHalfWidth) ||
           InStroke(p, hookEnd, Spot{16, 18}, kHalfWidth) || InStroke(p, Spot{16, 18}, Spot{16, 19.5}, kHalfWidth) ||
           InDisc(p, Spot{16, 24}, 1.9);
  });
}

}  // namespace

std::unique_ptr<MessageBoxPainter> MessageBoxPainter::Create(const MessageBoxRequest& request) {
  FontRequest font;
  font.height = -16;
  std::unique_ptr<FontFace> face = FontFace::Open(font);
  if (!face) return nullptr;
  std::unique_ptr<MessageBoxPainter> painter(new MessageBoxPainter());
  painter->face_ = std::move(face);
  painter->Layout(request);
  return painter;
}

MessageBoxPainter::~MessageBoxPainter() = default;

void MessageBoxPainter::Layout(const MessageBoxRequest& request) {
  const TextMetrics& metrics = face_->Metrics();
  lineHeight_ = metrics.height + kLineGap;
  switch (request.icon) {
    case MessageBoxIcon::Exclamation:
    case MessageBoxIcon::Information:
    case MessageBoxIcon::Question:
    case MessageBoxIcon::Stop:
      icon_ = request.icon;
      break;
    default:  // a kind without a sign of its own gets none rather than a guess
      icon_ = MessageBoxIcon::None;
      break;
  }

  // The text's lines, wrapped by character where they are too wide.
  int32_t textWidth = 0;
  size_t start = 0;
  const std::string& text = request.text;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    std::string piece;
    int32_t pieceWidth = 0;
    ForEachCharacter(line, [&](uint16_t code, size_t at, size_t count) {
      const int32_t advance = face_->Advance(code);
      if (pieceWidth + advance > kMaxTextWidth && !piece.empty()) {
        lines_.push_back(piece);
        textWidth = std::max(textWidth, pieceWidth);
        piece.clear();
        pieceWidth = 0;
      }
      if (code != '\r') {
        piece.append(line, at, count);
        pieceWidth += advance;
      }
    });
    lines_.push_back(piece);
    textWidth = std::max(textWidth, pieceWidth);
    start = end + 1;
  }

  // The buttons, as the answers the request asks for.
  const bool yesNo = request.buttons == MessageBoxButtons::YesNo;
  if (!request.checkText.empty()) {
    buttons_.push_back({(yesNo ? IDYES : IDOK) | kAnswerChecked,
                        Utf8ToCp932Lossy(yesNo ? "はい（" : "OK（") + request.checkText + Utf8ToCp932Lossy("）"), {}});
  }
  defaultButton_ = buttons_.size();
  switch (request.buttons) {
    case MessageBoxButtons::Ok:
      buttons_.push_back({IDOK, "OK", {}});
      escapeAnswer_ = IDOK;
      break;
    case MessageBoxButtons::YesNo:
      buttons_.push_back({IDYES, Utf8ToCp932Lossy("はい"), {}});
      buttons_.push_back({IDNO, Utf8ToCp932Lossy("いいえ"), {}});
      escapeAnswer_ = IDNO;
      break;
    case MessageBoxButtons::OkCancel:
      buttons_.push_back({IDOK, "OK", {}});
      buttons_.push_back({IDCANCEL, Utf8ToCp932Lossy("キャンセル"), {}});
      escapeAnswer_ = IDCANCEL;
      break;
  }
  const int32_t buttonHeight = metrics.height + 12;
  int32_t rowWidth = 0;
  for (MessageBoxButton& button : buttons_) {
    const int32_t labelWidth = face_->MeasureText(button.label).width;
    button.area = Rect{0, 0, std::max(kButtonMinWidth, labelWidth + kButtonPadding), buttonHeight};
    rowWidth += button.area.Width() + (rowWidth ? kButtonGap : 0);
  }

  // The sign at the top left, the text right of it; text shorter than the
  // sign stands in the middle of its height.
  int32_t contentHeight = int32_t(lines_.size()) * lineHeight_;
  textLeft_ = kMargin;
  textTop_ = kMargin;
  if (icon_ != MessageBoxIcon::None) {
    iconArea_ = Rect{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
    textLeft_ = iconArea_.right + kIconGap;
    const int32_t textHeight = contentHeight - kLineGap;
    if (textHeight < kIconSize) textTop_ += (kIconSize - textHeight) / 2;
    contentHeight = std::max(kIconSize, textTop_ - kMargin + contentHeight);
  }

  width_ = std::max({kMinWidth, textLeft_ + textWidth + kMargin, rowWidth + 2 * kMargin});
  const int32_t rowTop = kMargin + contentHeight + kMargin;
  height_ = rowTop + buttonHeight + kMargin;
  // The row sits on the right, as the platform's own boxes put it.
  int32_t x = width_ - kMargin - rowWidth;
  for (MessageBoxButton& button : buttons_) {
    const int32_t w = button.area.Width();
    button.area = Rect{x, rowTop, x + w, rowTop + buttonHeight};
    x += w + kButtonGap;
  }
}

size_t MessageBoxPainter::ButtonAt(Point point) const {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const Rect& area = buttons_[i].area;
    if (point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom) return i;
  }
  return buttons_.size();
}

void MessageBoxPainter::DrawText(std::vector<uint32_t>& pixels, const std::string& cp932, int32_t x,
                                 int32_t top) const {
  const int32_t baseline = top + face_->Metrics().ascent;
  std::vector<uint8_t> bitmap;
  ForEachCharacter(cp932, [&](uint16_t code, size_t, size_t) {
    GlyphMetrics glyph;
    const uint32_t size = face_->GetGlyph(code, GlyphFormat::kGray8, 1, &glyph, nullptr, 0);
    if (size != 0 && size != kGlyphError) {
      bitmap.assign(size, 0);
      face_->GetGlyph(code, GlyphFormat::kGray8, 1, &glyph, bitmap.data(), size);
      const uint32_t pitch = (glyph.blackBoxX + 3) & ~3u;
      for (uint32_t row = 0; row < glyph.blackBoxY; ++row) {
        const int32_t py = baseline - glyph.originY + int32_t(row);
        if (py < 0 || py >= height_) continue;
        for (uint32_t col = 0; col < glyph.blackBoxX; ++col) {
          const int32_t px = x + glyph.originX + int32_t(col);
          if (px < 0 || px >= width_ || size_t(row) * pitch + col >= bitmap.size()) continue;
          const uint32_t coverage = std::min<uint32_t>(bitmap[row * pitch + col], 64);
          uint32_t& pixel = pixels[size_t(py) * size_t(width_) + size_t(px)];
          pixel = Blend(pixel, kText, coverage);
        }
      }
    }
    x += face_->Advance(code);
  });
}

void MessageBoxPainter::DrawIcon(std::vector<uint32_t>& pixels) const {
  switch (icon_) {
    case MessageBoxIcon::None:
      break;
    case MessageBoxIcon::Stop:
      DrawStopSign(pixels, width_, iconArea_);
      break;
    case MessageBoxIcon::Exclamation:
      DrawWarningSign(pixels, width_, iconArea_);
      break;
    case MessageBoxIcon::Information:
      DrawInformationSign(pixels, width_, iconArea_);
      break;
    case MessageBoxIcon::Question:
      DrawQuestionSign(pixels, width_, iconArea_);
      break;
  }
}

std::vector<uint32_t> MessageBoxPainter::Paint(size_t focus) const {
  std::vector<uint32_t> pixels(size_t(width_) * size_t(height_), kBackground);
  DrawIcon(pixels);
  for (size_t i = 0; i < lines_.size(); ++i) {
    DrawText(pixels, lines_[i], textLeft_, textTop_ + int32_t(i) * lineHeight_);
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const MessageBoxButton& button = buttons_[i];
    FillRect(pixels, width_, button.area, kButtonFace);
    FrameRect(pixels, width_, button.area, i == focus ? 2 : 1, i == focus ? kFocusEdge : kButtonEdge);
    const int32_t labelWidth = face_->MeasureText(button.label).width;
    const int32_t textTop = button.area.top + (button.area.Height() - face_->Metrics().height) / 2;
    DrawText(pixels, button.label, button.area.left + (button.area.Width() - labelWidth) / 2, textTop);
  }
  return pixels;
}

}  // namespace orrivel::platform
