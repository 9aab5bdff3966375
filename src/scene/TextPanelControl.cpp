#include "scene/TextPanelControl.h"

#include <cstdlib>
#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "raster/SpriteList.h"
#include "scene/ControlHost.h"
#include "text/Font.h"
#include "text/SurfaceText.h"

namespace orrivel {

namespace {
constexpr uint8_t kPointerButton = 0;
constexpr uint8_t kWheelBack = 3, kWheelForward = 4;
constexpr uint32_t kActionUp = 0, kActionDown = 1, kActionDecide = 4;
}  // namespace

void TextPanelControl::PanelBar::OnFocusGained(Control*, int32_t direction) {
  ControlHost* host = GetHost();
  if (host == nullptr) return;
  if ((direction != 0 ? host->FocusNext() : host->FocusPrevious()) != 0) host->SetFocus(nullptr);
}

TextPanelControl::TextPanelControl() = default;

TextPanelControl::~TextPanelControl() {
  Detach();
  ReleaseContent();
}

void TextPanelControl::ReleaseContent() {
  bar_.Release();
  if (spriteList_ != nullptr) spriteList_->Remove(&sprite_);
  sprite_.Reset();
  surface_.FreeBuffers();
  icons_.reset();
  states_.clear();
  hasStates_ = false;
  iconWidth_ = 0;
  texts_.clear();
  faces_.clear();
  hasTexts_ = hasFaces_ = false;
  font_ = nullptr;
  selected_ = hovered_ = savedHover_ = -1;
}

int32_t TextPanelControl::Create(SpriteList* list, int32_t order, Font* font, int32_t height, int32_t width,
                                 int32_t x, int32_t y, const char* thumbImage, int32_t thumbStartCap,
                                 int32_t thumbEndCap, int32_t barLength, int32_t barX, int32_t barY, uint8_t barBlend,
                                 const char* iconFile, int32_t lineSpacing, int32_t group) {
  if (list == nullptr || font == nullptr || thumbImage == nullptr || width <= 0) return 1;
  if (int64_t(thumbStartCap) + 1 + thumbEndCap > barLength) return 1;
  ReleaseContent();
  spriteList_ = list;
  order_ = order;
  if (iconFile != nullptr) {
    icons_.reset(new (std::nothrow) Surface);
    if (!icons_ || icons_->LoadImage(iconFile, nullptr, 0, 0) != 0 || icons_->GetBits() == nullptr) {
      ReleaseContent();
      return 2;
    }
    hasStates_ = true;
    iconWidth_ = icons_->GetWidth() >> 2;
    width += iconWidth_;
  }
  lineHeight_ = font->PixelHeight();
  lineSpacing_ = lineSpacing;
  if (height < 0) height = (lineHeight_ + lineSpacing_) * -height - lineSpacing_;
  if (height <= 0 || surface_.Create(width, height, 32, 0) != 0) {
    ReleaseContent();
    return 3;
  }
  surface_.FillRect(backColour, nullptr);
  sprite_.SetImage(&surface_, nullptr, x, y);
  sprite_.SetDrawMode(Drawable::kModeAlpha);
  // Without a bar the panel still shows and selects its lines.
  if (bar_.Create(list, order, barX, barY, 0, 0, thumbImage, thumbStartCap, thumbEndCap, nullptr, 0, 0, nullptr,
                  nullptr, true, true, barBlend, 255, -1, -1, group) == 0) {
    bar_.SetListener(this);
    // One line per arrow action or wheel notch: the value counts pixels.
    bar_.SetKeyStep(Pitch());
  }
  barLength_ = barLength;
  barOffsetX_ = barX - x, barOffsetY_ = barY - y;
  AttachToSpriteList(order, group, 1);
  font_ = font;
  return 0;
}

int32_t TextPanelControl::Attach(ControlHost* host, int32_t index) {
  if (host == nullptr) return 1;
  if (host_ != nullptr) return -1;
  if (index < 0) {
    host->AddControl(this, -1);
    bar_.AddToHost(host, -1);
  } else {
    bar_.AddToHost(host, -1);
    host->AddControl(this, index);
  }
  host_ = host;
  return 0;
}

bool TextPanelControl::Detach() {
  if (host_ == nullptr) return false;
  bar_.RemoveFromHost();
  host_->RemoveControl(this);
  host_ = nullptr;
  return true;
}

int32_t TextPanelControl::LineCount() const { return int32_t(hasTexts_ ? texts_.size() : faces_.size()); }

int32_t TextPanelControl::AppendLine(const char* text, const char* face, bool refresh) {
  if (font_ == nullptr) return 1;
  if (!hasTexts_ && !hasFaces_) {
    hasTexts_ = text != nullptr;
    hasFaces_ = face != nullptr;
  }
  if (hasTexts_) texts_.emplace_back(text != nullptr ? text : "");
  if (hasFaces_) faces_.emplace_back(face != nullptr ? face : "");
  // Whichever list gives the count, every line has its state byte.
  if (hasStates_)
    while (int32_t(states_.size()) < LineCount()) states_.push_back(defaultState);
  if (refresh) Refresh();
  return 0;
}

void TextPanelControl::Refresh() {
  const int32_t n = LineCount();
  const int32_t content = n > 0 ? Pitch() * n - lineSpacing_ : GetHeight();
  bar_.SetTrack(barLength_, content, GetHeight(), 0, 0, 1);
  hovered_ = savedHover_ = -1;
  Redraw();
}

int32_t TextPanelControl::Select(int32_t index) {
  if (font_ == nullptr) return 1;
  if (index < 0 || index >= LineCount()) index = -1;
  selected_ = index;
  if (index >= 0) {
    ScrollIntoView(index);
  } else {
    Redraw();
  }
  return 0;
}

int32_t TextPanelControl::SetItemState(int32_t index, uint8_t state, bool redraw) {
  if (font_ == nullptr || !hasTexts_ || !hasStates_) return 1;
  if (index < 0 || index >= LineCount() || index >= StateCount()) return 2;
  states_[size_t(index)] = state;
  if (redraw) Redraw();
  return 0;
}

uint8_t TextPanelControl::GetItemState(int32_t index) const {
  if (font_ == nullptr || !hasStates_ || index < 0 || index >= LineCount() || index >= StateCount()) return 0;
  return states_[size_t(index)];
}

void TextPanelControl::ScrollIntoView(int32_t line) {
  const int32_t position = ScrollPosition();
  const int32_t top = Pitch() * line - position;
  int32_t result = 1;
  if (top < 0) {
    result = bar_.SetValue(top + position);
  } else if (top + lineHeight_ > GetHeight()) {
    result = bar_.SetValue(top - GetHeight() + position + lineHeight_);
  }
  // A moved bar has redrawn the panel through its listener.
  if (result != 0) Redraw();
}

void TextPanelControl::Redraw() {
  if (surface_.GetBits() == nullptr) return;
  surface_.FillRect(backColour, nullptr);
  if (hasTexts_ || hasFaces_) {
    const int32_t left = icons_ ? iconWidth_ : 0;
    const int32_t areaWidth = GetWidth() - left;
    const int32_t n = LineCount();
    const int32_t pitch = Pitch();
    int32_t top = bar_.GetValue() < 0 ? 0 : -bar_.GetValue();
    for (int32_t i = 0; i < n && top < GetHeight(); ++i, top += pitch) {
      if (top <= -lineHeight_) continue;
      if (i == selected_) surface_.FillBox(left, top, areaWidth, lineHeight_, selectColour);
      if (icons_ && hasStates_ && i < StateCount()) {
        const int32_t cell = (states_[size_t(i)] != 0 ? 2 : 0) + (hovered_ == n + i ? 1 : 0);
        const Rect source{cell * iconWidth_, 0, (cell + 1) * iconWidth_, icons_->GetHeight()};
        surface_.Copy(icons_.get(), 0, top + ((lineHeight_ - icons_->GetHeight()) >> 1), &source, false);
      }
      if (hovered_ == i) {
        surface_.FillBox(left, top, areaWidth, 1, hoverColour);
        surface_.FillBox(left, top + lineHeight_ - 1, areaWidth, 1, hoverColour);
        surface_.FillBox(left, top, 1, lineHeight_, hoverColour);
        surface_.FillBox(left + areaWidth - 1, top, 1, lineHeight_, hoverColour);
      }
      // A panel whose font went draws its lines without text.
      if (font_ == nullptr) continue;
      if (hasFaces_) font_->SetFaceName(faces_[size_t(i)].c_str());
      if (hasTexts_ && !texts_[size_t(i)].empty())
        DrawSurfaceFontText(&surface_, left + 2, top, texts_[size_t(i)].c_str(), font_.Get());

    }
  }
  sprite_.SetChanged(1);
}

// --- Control ----------------------------------------------------------------------------------------------

void TextPanelControl::SetPosition(int32_t x, int32_t y) {
  sprite_.SetPosition(x, y);
  bar_.SetPosition(x + barOffsetX_, y + barOffsetY_);
}

void TextPanelControl::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  sprite_.SetVisible(show ? 1 : 0);
  bar_.SetVisible(show);
}

int32_t TextPanelControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr || sprite_.GetSource() == nullptr) return 1;
  if (spriteList_->Find(&sprite_) != nullptr) {
    spriteList_->SetOrder(&sprite_, uint32_t(order), option);
  } else {
    spriteList_->Add(&sprite_, uint32_t(order), uint32_t(group));
  }
  order_ = order;
  group_ = group;
  return 0;
}

void TextPanelControl::SetDrawFlags(uint8_t value) {
  sprite_.SetOpacity(value);
  bar_.SetDrawFlags(value);
}

bool TextPanelControl::SetEnabled(bool enable) {
  if (!Control::SetEnabled(enable)) return false;
  // The bar comes back only when it has something to scroll.
  if (!enable || bar_.GetThumbOffset() >= 0) bar_.SetEnabled(enable);
  return true;
}

bool TextPanelControl::HitTest(int32_t x, int32_t y) {
  return sprite_.GetSource() != nullptr && x >= GetX() && x < GetX() + GetWidth() && y >= GetY() &&
         y < GetY() + GetHeight();
}

// --- input ---------------------------------------------------------------------------------------------------

int32_t TextPanelControl::EntryAt(int32_t x, int32_t y) const {
  const int32_t pitch = Pitch();
  // A spacing that eats the line height leaves nothing to point at.
  if (pitch <= 0 || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return -1;
  const int32_t line = (ScrollPosition() + y) / pitch;
  const int32_t n = LineCount();
  if (line >= n) return -1;
  return icons_ && x < iconWidth_ ? n + line : line;
}

void TextPanelControl::OnPointerMove(int32_t x, int32_t y) {
  const int32_t entry = EntryAt(x, y);
  if (entry == hovered_) return;
  hovered_ = entry;
  Redraw();
}

void TextPanelControl::OnPointerLeave() {
  // The keys keep their hover while the panel has the focus.
  if (hovered_ < 0 || (GetHost() != nullptr && GetHost()->IsFocused(this))) return;
  hovered_ = -1;
  Redraw();
}

bool TextPanelControl::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  if (pointer->IsPressed(kPointerButton)) return ActivateEntry(hovered_), true;
  if (pointer->IsPressed(kWheelBack) || pointer->IsPressed(kWheelForward)) return bar_.OnPointerButtons(0, 0, pointer);
  return false;
}

void TextPanelControl::ToggleState(int32_t line) {
  if (line < 0 || line >= StateCount()) return;
  uint8_t& state = states_[size_t(line)];
  state = state == 0 ? 1 : 0;
}

bool TextPanelControl::ActivateEntry(int32_t entry) {
  const int32_t n = LineCount();
  if (entry >= n && entry < 2 * n && hasStates_) {
    ToggleState(entry - n);
  } else if (entry >= 0 && entry < n) {
    selected_ = entry;
  } else {
    return false;
  }
  if (GetTag() >= 0 && GetHost() != nullptr) GetHost()->SetSelected(GetTag());
  Redraw();
  return true;
}

int32_t TextPanelControl::HoveredLine() const {
  const int32_t n = LineCount();
  return hovered_ >= n ? hovered_ - n : hovered_;
}

void TextPanelControl::HoverLine(int32_t line) {
  hovered_ = line;
  ScrollIntoView(line);
}

void TextPanelControl::OnFocusGained(Control*, int32_t) {
  hovered_ = savedHover_;
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) host->SetPointerPos(GetX() + sprite_.GetWidth() / 2, GetY() + sprite_.GetHeight() / 2);
  if (mode == 2) host->ParkPointer();
  Redraw();
}

void TextPanelControl::OnFocusLost(Control*) {
  savedHover_ = hovered_;
  hovered_ = -1;
  Redraw();
}

bool TextPanelControl::Update(ActionMap* actions) {
  if (!hasTexts_ && !hasFaces_) return false;
  const int32_t n = LineCount();
  if (n == 0) return false;
  const int32_t line = HoveredLine();
  if (actions != nullptr) {
    if (actions->IsPressed(kActionUp)) {
      HoverLine(std::max(line - 1, 0));
      return true;
    }
    if (actions->IsPressed(kActionDown)) {
      HoverLine(std::min(line + 1, n - 1));
      return true;
    }
    if (actions->IsPressed(kActionDecide)) {
      ActivateEntry(hovered_);
      return true;
    }
    // Whole lines the view holds.
    const int32_t page = Pitch() > 0 ? (GetHeight() - lineSpacing_) / Pitch() : 0;
    if (pageUpAction != 0 && actions->IsPressed(pageUpAction)) {
      HoverLine(std::clamp(line - page, 0, n - 1));
      return true;
    }
    if (pageDownAction != 0 && actions->IsPressed(pageDownAction)) {
      HoverLine(std::clamp(line + page, 0, n - 1));
      return true;
    }
  }
  InputDevice* keyboard = GetHost() != nullptr ? GetHost()->GetKeyboard() : nullptr;
  if (keyboard == nullptr) return false;
  if (keyboard->IsPressed(kKeyHome)) {
    hovered_ = 0;
    if (bar_.SetThumbOffset(0) != 0) Redraw();
    return true;
  }
  if (keyboard->IsPressed(kKeyEnd)) {
    hovered_ = n - 1;
    if (bar_.SetThumbOffset(bar_.GetTrackLength()) != 0) Redraw();
    return true;
  }
  if (keyboard->IsPressed(kKeySpace) && hasStates_ && hasTexts_ && line >= 0) {
    ToggleState(line);
    Redraw();
    return true;
  }
  return false;
}

}  // namespace orrivel
