#include "frame/TextHistoryScreen.h"

#include <algorithm>
#include <utility>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "frame/MessageTextWindow.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/ControlHost.h"
#include "scene/FontColourScope.h"
#include "text/Font.h"

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

constexpr char kCloseTooltip[] = "テキスト履歴を閉じる";
// The level that lifts every alpha byte to 255.
constexpr int32_t kOpaqueLevel = 256 + 255;

// The voice mark sits this far in from the line's left edge.
constexpr int32_t kMarkInset = TextHistoryLine::kMarkX - TextHistoryScreen::kListX;

}  // namespace

TextHistoryLine::~TextHistoryLine() {
  if (mark_ && mark_->OwningList()) mark_->OwningList()->Remove(mark_.get());
}

bool TextHistoryLine::Activate() {
  if (fired_) fired_(GetTag());
  return true;
}

int32_t TextHistoryLine::SetState(uint8_t state) {
  const int32_t result = ColorBoxControl::SetState(state);
  if (mark_ && mark_->GetSource() && mark_->GetSource()->GetWidth() >= 2 * kMarkCell)
    mark_->SetSourceOffset(state == kHover ? kMarkCell : 0, 0);
  return result;
}

void TextHistoryLine::SetPosition(int32_t x, int32_t y) {
  ColorBoxControl::SetPosition(x, y);
  if (mark_) mark_->SetPosition(x + kMarkInset, y);
}

void TextHistoryLine::SetVisible(bool show) {
  ColorBoxControl::SetVisible(show);
  if (mark_) mark_->SetVisible(show ? 1 : 0);
}

void TextHistoryLine::SetDrawFlags(uint8_t value) {
  ColorBoxControl::SetDrawFlags(value);
  if (mark_) mark_->SetOpacity(value);
}

int32_t TextHistoryLine::MoveToList(SpriteList* list) {
  const int32_t moved = ColorBoxControl::MoveToList(list);
  if (moved == 0 && mark_ && mark_->OwningList() && mark_->OwningList() != list) {
    mark_->OwningList()->Remove(mark_.get());
    list->Add(mark_.get(), kMarkOrder, 0);
  }
  return moved;
}

int32_t TextHistoryLine::AddVoiceMark(Surface* picture, SpriteList* list) {
  if (!picture || !picture->GetBits() || !list) return 1;
  auto mark = std::make_unique<ImageSprite>();
  const Rect cell{0, 0, std::min(kMarkCell, picture->GetWidth()), std::min(kMarkHeight, picture->GetHeight())};
  if (mark->SetImage(picture, &cell, GetX() + kMarkInset, GetY()) != 0 || list->Add(mark.get(), kMarkOrder, 0) != 0)
    return 2;
  mark->SetVisible(IsVisible() ? 1 : 0);
  mark_ = std::move(mark);
  return 0;
}

bool TextHistoryButton::Activate() {
  if (fired_) fired_();
  return ButtonControl::Activate();
}

TextHistoryScreen::TextHistoryScreen(const TextHistoryBuffer& history, MessageTextWindow& window, SpriteList& list,
                                     ControlHost& host, Hooks hooks)
    : history_(history),
      window_(window),
      list_(list),
      partsList_(&list),
      host_(host),
      hooks_(std::move(hooks)),
      page_(history, MetricsOf(window)) {}

TextHistoryScreen::~TextHistoryScreen() { Close(); }

bool TextHistoryScreen::Pump() { return !hooks_.pumpFrame || hooks_.pumpFrame(); }

bool TextHistoryScreen::LoadPicture(Surface& picture, const char* name) {
  if (picture.LoadImage(name, nullptr, 0, 0) == 0 && picture.GetBits() != nullptr) return true;
  picture.FreeBuffers();
  if (hooks_.log) hooks_.log(std::string(name) + ": picture not loaded");
  return false;
}

bool TextHistoryScreen::MakeParts() {
  if (!LoadPicture(basePicture_, kBasePicture)) return false;
  if (base_.SetImage(&basePicture_, nullptr, 0, 0) != 0 || list_.Add(&base_, kBaseOrder, 0) != 0) {
    base_.Reset();
    if (hooks_.log) hooks_.log(std::string(kBasePicture) + ": background not placed");
    return false;
  }
  if (!LoadPicture(linePicture_, kLinePicture) || !LoadPicture(voicePicture_, kVoicePicture)) return false;
  close_ = std::make_unique<TextHistoryButton>([this] { closeFired_ = true; });
  if (close_->CreateFromImage(&list_, kButtonOrder, kClosePicture, false, false, kCloseX, kCloseY, 0, 255, -1, -1,
                              0) != 0) {
    if (hooks_.log) hooks_.log(std::string(kClosePicture) + ": close button not made");
    close_.reset();
    return false;
  }
  close_->SetName(platform::Utf8ToCp932Lossy(kCloseTooltip).c_str());
  host_.AddControl(close_.get(), -1);
  return true;
}

bool TextHistoryScreen::MakeBar() {
  bar_ = std::make_unique<ScrollBar>();
  const int32_t made = bar_->Create(&list_, kButtonOrder, kBarX, kBarY, 0, 0, kBarPicture, kThumbCap, kThumbCap,
                                    nullptr, 0, 0, kUpPicture, kDownPicture, false, true, 0, 255, -1, -1, 0);
  if (made != 0) {
    // The bar reports a missing arrow picture by a code of its own.
    const bool arrow = made == 4 || made == 5;
    const char* picture = made == 4 ? kUpPicture : made == 5 ? kDownPicture : kBarPicture;
    if (hooks_.log) hooks_.log(std::string(picture) + (arrow ? ": scroll button not made" : ": scroll bar not made"));
    bar_.reset();
    return false;
  }
  bar_->SetKeyStep(kSmallStep);
  bar_->SetTrack(kVisibleHeight, page_.ScrollRange(), kVisibleHeight, maximum_, 0, 1);
  bar_->SetListener(this);
  bar_->AddToHost(&host_, -1);
  return true;
}

int32_t TextHistoryScreen::Open(bool fade) {
  // Whatever fails below, Close puts the window back as it stands now.
  windowWasVisible_ = window_.IsVisible();
  textCarriedAlpha_ = window_.TextCarriesAlpha();
  pushed_ = host_.PushControls() == 0;
  // Every part is a picture of the game's: one that cannot be had ends the
  // screen before it shows.
  if (!MakeParts()) {
    Close();
    return -1;
  }
  for (int32_t i = 0; i < kLineCount; ++i) {
    auto line = std::make_unique<TextHistoryLine>([this](int32_t tag) { firedTag_ = tag; });
    if (line->Create(&list_, kLineOrder, kListX, kListY, kListWidth, 1, 0, kLineColour, kLineHoverColour, 0) != 0) {
      Close();
      return -1;
    }
    line->SetTag(i + 1);
    line->SetVisible(false);
    if (line->AddVoiceMark(&voicePicture_, &list_) != 0) {
      Close();
      return -1;
    }
    host_.AddControl(line.get(), -1);
    lines_[size_t(i)] = std::move(line);
  }
  maximum_ = page_.EndPosition();
  if (!MakeBar()) {
    Close();
    return -1;
  }
  // The list has no background of its own: its text stands over whatever
  // lies behind it by its own coverage.
  window_.SetTextCarriesAlpha(true);
  window_.SetVisible(true);
  DrawHistoryPage(maximum_);
  if (fade && Fade(true, kFadeMs) != 0) {
    Close();
    return -1;
  }
  return 0;
}

void TextHistoryScreen::Close() {
  // The window is the frame's: it goes back to where it stands.
  if (partsList_ != &list_) window_.MoveToList(&list_);
  partsList_ = &list_;
  for (auto& line : lines_) {
    if (!line) continue;
    host_.RemoveControl(line.get());
    line.reset();
  }
  if (bar_) {
    bar_->RemoveFromHost();
    bar_.reset();
  }
  if (close_) {
    host_.RemoveControl(close_.get());
    close_.reset();
  }
  if (SpriteList* list = base_.OwningList()) list->Remove(&base_);
  base_.Reset();
  for (Surface* picture : {&basePicture_, &linePicture_, &voicePicture_}) picture->FreeBuffers();
  if (pushed_) host_.PopControls();
  pushed_ = false;
  plan_ = {};
  window_.ClearPage();
  window_.SetDrawFlags(255);
  window_.SetVisible(windowWasVisible_);
  windowWasVisible_ = false;
  window_.SetTextCarriesAlpha(textCarriedAlpha_);
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
        DrawSeparator(item.y);
        break;
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
  // The bar follows a position set from elsewhere (its own moves come back
  // here with the value it already has).
  if (bar_ && bar_->GetValue() >= 0 && bar_->GetValue() != position_) bar_->SetValue(position_);
  // A control that moved under the pointer takes the hover at the next update.
  host_.ForgetPointer();
  return 0;
}

void TextHistoryScreen::DrawSeparator(int32_t y) {
  if (linePicture_.GetBits() == nullptr) return;
  Surface& list = window_.GetSurface();
  if (list.Copy(&linePicture_, 0, y, nullptr, false) != 0 || linePicture_.HasAlpha()) return;
  // A picture without alpha stands whole on the clear list.
  const Rect line{0, y, linePicture_.GetWidth(), y + linePicture_.GetHeight()};
  ApplyLevelTable(&list, kOpaqueLevel, &line);
}

void TextHistoryScreen::OnScrollValue(ScrollBar*, int32_t value) {
  if (value != position_) DrawHistoryPage(value);
}

void TextHistoryScreen::SetOpacity(uint8_t opacity) {
  window_.SetDrawFlags(opacity);
  if (base_.GetSource()) base_.SetOpacity(opacity);
  if (close_) close_->SetDrawFlags(opacity);
  if (bar_) bar_->SetDrawFlags(opacity);
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
  if (close_) close_->SetVisible(show);
  if (bar_) bar_->SetVisible(show);
  for (int32_t i = 0; i < LinesInUse() && i < kLineCount; ++i)
    if (lines_[size_t(i)]) lines_[size_t(i)]->SetVisible(show);
}

void TextHistoryScreen::FireLine(int32_t tag) {
  const int32_t index = tag - 1;
  if (index < 0 || index >= LinesInUse()) return;
  const TextHistoryLineSlot& slot = plan_.lines[size_t(index)];
  if (hooks_.replayVoice) hooks_.replayVoice(slot.voice);
  if (slot.sceneEntry >= 0 && hooks_.showScene)
    if (const HistorySceneRecord* scene = history_.GetEntry(slot.sceneEntry)->Scene())
      if (SpriteList* behind = hooks_.showScene(*scene)) MoveParts(behind);
}

void TextHistoryScreen::MoveParts(SpriteList* to) {
  if (to == partsList_) return;
  // Each keeps its drawing order, so the list stands as it stood. The
  // screen's background stays behind: the scene takes its place.
  window_.MoveToList(to);
  for (auto& line : lines_)
    if (line) line->MoveToList(to);
  if (bar_) bar_->MoveToList(to);
  if (close_) close_->MoveToList(to);
  partsList_ = to;
}

void TextHistoryScreen::Scroll(int32_t to) {
  to = std::clamp(to, 0, maximum_);
  if (to != position_) DrawHistoryPage(to);
}

int32_t TextHistoryScreen::Step() {
  const int32_t before = position_;
  host_.Update(hooks_.now ? hooks_.now() : 0);
  if (const int32_t fired = std::exchange(firedTag_, -1); fired > 0) {
    FireLine(fired);
    return 0;
  }
  const ActionMap* actions = host_.GetActionMap();
  const InputDevice* keyboard = host_.GetKeyboard();
  const InputDevice* pointer = host_.GetPointerDevice();
  if (std::exchange(closeFired_, false) || Pressed(actions, kActionClose) || Pressed(pointer, kPointerCancel)) {
    if (hooks_.closeSound) hooks_.closeSound();
    return 1;
  }
  if (Pressed(actions, kActionHideList)) {
    ShowList(listHidden_);
    return 0;
  }
  // The scroll bar took this frame's wheel or click itself.
  if (listHidden_ || position_ != before) return 0;
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
