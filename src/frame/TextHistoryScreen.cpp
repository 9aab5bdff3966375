#include "frame/TextHistoryScreen.h"

#include <algorithm>
#include <utility>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "frame/MessageTextWindow.h"
#include "scene/ControlHost.h"
#include "scene/FontColourScope.h"

namespace orrivel {
namespace {

TextHistoryPageMetrics MetricsOf(const MessageTextWindow& window) {
  TextHistoryPageMetrics metrics;
  metrics.pitch = window.LineGap() + window.LineHeight();
  metrics.visibleHeight = TextHistoryScreen::kVisibleHeight;
  metrics.maxLines = TextHistoryScreen::kLineCount;
  return metrics;
}

bool Pressed(const ActionMap* actions, uint32_t action) { return actions && actions->IsPressed(action); }
bool Pressed(const InputDevice* device, uint8_t code) { return device && device->IsPressed(code); }

}  // namespace

bool TextHistoryLine::Activate() {
  if (fired_) fired_(GetTag());
  return true;
}

TextHistoryScreen::TextHistoryScreen(const TextHistoryBuffer& history, MessageTextWindow& window, SpriteList& list,
                                     ControlHost& host, Hooks hooks)
    : history_(history),
      window_(window),
      list_(list),
      host_(host),
      hooks_(std::move(hooks)),
      page_(history, MetricsOf(window)) {}

TextHistoryScreen::~TextHistoryScreen() { Close(); }

bool TextHistoryScreen::Pump() { return !hooks_.pumpFrame || hooks_.pumpFrame(); }

int32_t TextHistoryScreen::Open(bool fade) {
  pushed_ = host_.PushControls() == 0;
  for (int32_t i = 0; i < kLineCount; ++i) {
    auto line = std::make_unique<TextHistoryLine>([this](int32_t tag) { firedTag_ = tag; });
    if (line->Create(&list_, kLineOrder, kListX, kListY, kListWidth, 1, 0, kLineColour, kLineHoverColour, 0) != 0) {
      Close();
      return -1;
    }
    line->SetTag(i + 1);
    line->SetVisible(false);
    host_.AddControl(line.get(), -1);
    lines_[size_t(i)] = std::move(line);
  }
  windowWasVisible_ = window_.IsVisible();
  window_.SetVisible(true);
  maximum_ = std::max(0, page_.ScrollRange() - kVisibleHeight);
  DrawHistoryPage(maximum_);
  if (fade && Fade(true, kFadeMs) != 0) {
    Close();
    return -1;
  }
  return 0;
}

void TextHistoryScreen::Close() {
  for (auto& line : lines_) {
    if (!line) continue;
    host_.RemoveControl(line.get());
    line.reset();
  }
  if (pushed_) host_.PopControls();
  pushed_ = false;
  plan_ = {};
  window_.ClearPage();
  window_.SetDrawFlags(255);
  window_.SetVisible(windowWasVisible_);
  windowWasVisible_ = false;
}

void TextHistoryScreen::DrawChoiceLine(const TextHistoryDrawItem& item) {
  const HistoryChoiceRecord& record = *history_.GetEntry(item.entry)->Choices();
  Font* font = window_.GetFont();
  if (!font) return;
  FontColourScope colour(*font, item.colour, 0);
  window_.DrawStringAt(record.choices[size_t(item.choice)].text.c_str(), 0, item.y, false);
}

int32_t TextHistoryScreen::DrawHistoryPage(int32_t position) {
  position_ = std::clamp(position, 0, maximum_);
  plan_ = page_.Plan(position_);
  window_.ClearPage();
  for (const TextHistoryDrawItem& item : plan_.items) {
    const TextHistoryEntry* entry = item.entry >= 0 ? history_.GetEntry(item.entry) : nullptr;
    switch (item.kind) {
      case TextHistoryDrawItem::kName:
        window_.DrawStringAt(TextHistoryPage::NameLine(entry->Text()->name).c_str(), 0, item.y, false);
        break;
      case TextHistoryDrawItem::kText: {
        const auto& text = entry->Text()->text;
        window_.DrawPage(reinterpret_cast<const char*>(text.data()), text.size(), 0, item.y, true, true);
        break;
      }
      case TextHistoryDrawItem::kChoice:
        DrawChoiceLine(item);
        break;
      case TextHistoryDrawItem::kSeparator:
        break;  // the separator picture is part of the screen's looks
    }
  }
  for (int32_t i = 0; i < kLineCount; ++i) {
    TextHistoryLine* line = lines_[size_t(i)].get();
    if (!line) continue;
    if (i < int32_t(plan_.lines.size())) {
      const TextHistoryLineSlot& slot = plan_.lines[size_t(i)];
      line->SetPosition(kListX, kListY + slot.top);
      line->SetSize(kListWidth, slot.height);
      line->SetVisible(!listHidden_);
    } else {
      line->SetVisible(false);
    }
  }
  // A control that moved under the pointer takes the hover at the next update.
  host_.ForgetPointer();
  return 0;
}

void TextHistoryScreen::SetOpacity(uint8_t opacity) {
  window_.SetDrawFlags(opacity);
  for (int32_t i = 0; i < LinesInUse() && i < kLineCount; ++i)
    if (lines_[size_t(i)]) lines_[size_t(i)]->SetDrawFlags(opacity);
}

int32_t TextHistoryScreen::Fade(bool show, uint32_t ms) {
  const uint32_t start = hooks_.now ? hooks_.now() : 0;
  for (;;) {
    const uint32_t elapsed = hooks_.now ? hooks_.now() - start : ms;
    const uint32_t level = ms == 0 ? 255 : std::min(elapsed, ms) * 255 / ms;
    SetOpacity(uint8_t(show ? level : 255 - level));
    if (elapsed >= ms) return 0;
    if (!Pump()) return -1;
  }
}

void TextHistoryScreen::ShowList(bool show) {
  listHidden_ = !show;
  window_.SetVisible(show);
  for (int32_t i = 0; i < LinesInUse() && i < kLineCount; ++i)
    if (lines_[size_t(i)]) lines_[size_t(i)]->SetVisible(show);
}

void TextHistoryScreen::FireLine(int32_t tag) {
  const int32_t index = tag - 1;
  if (index < 0 || index >= LinesInUse()) return;
  const TextHistoryLineSlot& slot = plan_.lines[size_t(index)];
  if (hooks_.replayVoice) hooks_.replayVoice(slot.voice);
  if (slot.sceneEntry >= 0 && hooks_.showScene)
    if (const HistorySceneRecord* scene = history_.GetEntry(slot.sceneEntry)->Scene()) hooks_.showScene(*scene);
}

void TextHistoryScreen::Scroll(int32_t to) {
  to = std::clamp(to, 0, maximum_);
  if (to != position_) DrawHistoryPage(to);
}

int32_t TextHistoryScreen::Step() {
  host_.Update(hooks_.now ? hooks_.now() : 0);
  if (const int32_t fired = std::exchange(firedTag_, -1); fired > 0) {
    FireLine(fired);
    return 0;
  }
  const ActionMap* actions = host_.GetActionMap();
  const InputDevice* keyboard = host_.GetKeyboard();
  const InputDevice* pointer = host_.GetPointerDevice();
  if (Pressed(actions, kActionClose) || Pressed(pointer, kPointerCancel)) {
    if (hooks_.closeSound) hooks_.closeSound();
    return 1;
  }
  if (Pressed(actions, kActionHideList)) {
    ShowList(listHidden_);
    return 0;
  }
  if (listHidden_) return 0;
  if (Pressed(keyboard, kKeyHome)) {
    Scroll(0);
  } else if (Pressed(keyboard, kKeyPageUp)) {
    Scroll(position_ - kLargeStep);
  } else if (Pressed(keyboard, kKeyPageDown)) {
    Scroll(position_ + kLargeStep);
  } else if (Pressed(pointer, kPointerWheelUp) || Pressed(actions, kActionUp)) {
    Scroll(position_ - kSmallStep);
  } else if (Pressed(pointer, kPointerWheelDown) || Pressed(actions, kActionDown)) {
    Scroll(position_ + kSmallStep);
  }
  return 0;
}

int32_t TextHistoryScreen::Run(bool fade) {
  for (;;) {
    if (!Pump()) {
      Close();
      return -1;
    }
    if (Step() != 0) break;
  }
  if (fade && Fade(false, kFadeMs) != 0) {
    Close();
    return -1;
  }
  Close();
  return 0;
}

}  // namespace orrivel
