#include "scene/TextListControlBase.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "base/ActionMap.h"
#include "base/BitArray.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "scene/ControlHost.h"

namespace orrivel {

namespace {

enum SoundSlot { kSoundActivate = 0, kSoundHover = 1, kSoundLeave = 2 };

bool Given(const char* text) { return text != nullptr && text[0] != '\0'; }

}  // namespace

TextListControlBase::~TextListControlBase() { ClearRecords(); }

// --- records ---------------------------------------------------------------------------

const TextListLine* TextListControlBase::Record(int32_t index) const {
  return index >= 0 && index < LineCount() ? lines_[size_t(index)].get() : nullptr;
}

bool TextListControlBase::IsLineDisabled(int32_t index) const {
  const TextListLine* record = Record(index);
  return record != nullptr && record->disabled;
}

int32_t TextListControlBase::ValueOf(int32_t index) const {
  const TextListLine* record = Record(index);
  return record != nullptr && record->value >= 0 ? record->value : index;
}

bool TextListControlBase::IsValueChosen(int32_t value) const {
  if (!markChosen || choiceMemory_ == nullptr) return false;
  const int64_t bit = int64_t(choiceBase_) + value;
  return bit >= 0 && bit <= int64_t(UINT32_MAX) && choiceMemory_->Test(uint32_t(bit));
}

std::unique_ptr<TextListLine> TextListControlBase::MakeRecord(const TextListLineArgs& args) {
  const bool needed = Given(args.text) || Given(args.target) || Given(args.targetLabel) ||
                      Given(args.hoverText) || args.disabled || args.value >= 0 || args.targetNumber != -1 ||
                      args.activatedFlag.IsSet() || args.hoverFlag.IsSet() || args.idleFlag.IsSet();
  if (!needed) return nullptr;
  std::unique_ptr<TextListLine> record(new (std::nothrow) TextListLine);
  if (!record) return nullptr;
  if (Given(args.text)) record->text = args.text;
  record->disabled = args.disabled;
  record->value = args.value;
  if (Given(args.target)) record->target = args.target;
  record->targetNumber = args.targetNumber;
  if (Given(args.targetLabel)) record->targetLabel = args.targetLabel;
  if (Given(args.hoverText)) record->hoverText = args.hoverText;
  record->activatedFlag = args.activatedFlag;
  record->hoverFlag = args.hoverFlag;
  record->idleFlag = args.idleFlag;
  return record;
}

int32_t TextListControlBase::AppendRecord(const TextListLineArgs& args) {
  AppendMadeRecord(MakeRecord(args));
  return 0;
}

void TextListControlBase::AppendMadeRecord(std::unique_ptr<TextListLine> record) {
  lines_.push_back(std::move(record));
  // A pointer resting where the new lines appear must move before it
  // chooses one.
  if (Host() != nullptr) Host()->GetPointerPos(&idleOriginX_, &idleOriginY_);
  pointerIdle_ = true;
  locked_ = false;
}

void TextListControlBase::ClearRecords() {
  hoverText_ = nullptr;
  lines_.clear();
  hovered_ = -1;
  pressState_ = kIdle;
  pressDeadline_ = 0;
}

// --- settings ---------------------------------------------------------------------------

void TextListControlBase::SetChoiceMemory(BitArray* bits, int32_t base, ScriptCell out) {
  choiceMemory_ = bits;
  choiceBase_ = base;
  choiceOut_ = out;
}

int32_t TextListControlBase::CopyChoiceMemory(const TextListControlBase* other) {
  if (other == nullptr) return 1;
  SetChoiceMemory(other->choiceMemory_, other->choiceBase_, other->choiceOut_);
  markChosen = other->markChosen;
  return 0;
}

void TextListControlBase::SetSounds(const char* activate, const char* hover, const char* leave,
                                    int32_t activateNumber, int32_t hoverNumber, int32_t leaveNumber) {
  const char* names[3] = {activate, hover, leave};
  const int32_t numbers[3] = {activateNumber, hoverNumber, leaveNumber};
  for (int i = 0; i < 3; ++i) sounds_[i].Set(names[i], numbers[i]);
}

void TextListControlBase::SetColours(uint32_t normal, uint32_t chosen, uint32_t hover, uint32_t disabled) {
  normalColour_ = normal;
  chosenColour_ = chosen;
  hoverColour_ = hover;
  disabledColour_ = disabled;
}

void TextListControlBase::SetGradients(uint32_t normalTop, uint32_t normalBottom, uint32_t chosenTop,
                                       uint32_t chosenBottom, uint32_t hoverTop, uint32_t hoverBottom,
                                       uint32_t disabledTop, uint32_t disabledBottom) {
  normalGradient_[0] = normalTop, normalGradient_[1] = normalBottom;
  chosenGradient_[0] = chosenTop, chosenGradient_[1] = chosenBottom;
  hoverGradient_[0] = hoverTop, hoverGradient_[1] = hoverBottom;
  disabledGradient_[0] = disabledTop, disabledGradient_[1] = disabledBottom;
}

void TextListControlBase::SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  marginLeft_ = left, marginTop_ = top, marginRight_ = right, marginBottom_ = bottom;
}

// --- reports --------------------------------------------------------------------------------

void TextListControlBase::SetCursor(int32_t kind) {
  if (Host() != nullptr) Host()->SetCursorKind(kind);
}

void TextListControlBase::DropHostHover() {
  ControlHost* host = Host();
  if (host == nullptr || !host->IsHovered(this)) return;
  host->ClearHover();
  host->HideTooltip();
}

bool TextListControlBase::EnterLine(int32_t index) {
  if (index < 0 || index >= LineCount()) return false;
  ShowLineCell(index, 1);
  pressState_ = kHovered;
  sounds_[kSoundHover].Play(Host(), kControlSoundHover);
  if (const TextListLine* record = Record(index)) {
    record->hoverFlag.Write(1);
    record->idleFlag.Write(0);
    if (!record->hoverText.empty()) hoverText_ = record->hoverText.c_str();
  }
  return true;
}

void TextListControlBase::LeaveLine(int32_t index) {
  if (index < 0 || index >= LineCount()) return;
  ShowLineCell(index, 0);
  pressState_ = kIdle;
  sounds_[kSoundLeave].Play(Host(), kControlSoundLeave);
  if (const TextListLine* record = Record(index)) {
    record->hoverFlag.Write(0);
    record->idleFlag.Write(1);
  }
  hoverText_ = nullptr;
}

bool TextListControlBase::HoverLine(int32_t index) {
  ControlHost* host = Host();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    // The pointer goes to the line and hovers it on the next frame.
    int32_t x = 0, y = 0;
    if (GetLineCentre(index, &x, &y) != 0) host->SetPointerPos(x, y);
    return true;
  }
  DropHostHover();
  if (hovered_ >= 0) {
    const TextListLine* record = Record(hovered_);
    if (mode == 2 && record != nullptr && !record->hoverText.empty()) host->RestartHoverTime();
    // Whatever the mode, the old line stops showing its hover.
    LeaveLine(hovered_);
  }
  hovered_ = EnterLine(index) ? index : -1;
  if (mode == 2) host->ParkPointer();
  return true;
}

bool TextListControlBase::Activate(int32_t index) {
  ControlHost* host = Host();
  const TextListLine* record = Record(index);
  if (index >= 0 && index < LineCount()) {
    const int32_t value = ValueOf(index);
    const int64_t bit = int64_t(choiceBase_) + value;
    if (choiceMemory_ != nullptr && bit >= 0 && bit <= int64_t(UINT32_MAX)) choiceMemory_->Set(uint32_t(bit), 1);
    choiceOut_.Write(value);
  }
  if (GetTag() >= 0 && host != nullptr) host->SetSelected(GetTag() + std::max(index, 0));
  SetLocked(true);
  sounds_[kSoundActivate].Play(Host(), kControlSoundActivate);
  if (record != nullptr) {
    record->activatedFlag.Write(1);
    // -1 is the number of a line that names none.
    const bool numbered = record->targetNumber != 0 && record->targetNumber != -1;
    if (host != nullptr && (!record->targetLabel.empty() || !record->target.empty() || numbered))
      host->RunEvent(record->targetLabel.empty() ? nullptr : record->targetLabel.c_str(),
                     record->target.empty() ? nullptr : record->target.c_str(), record->targetNumber);
  }
  return true;
}

// --- keys ---------------------------------------------------------------------------------------

int32_t TextListControlBase::FirstEnabled(bool forward) const {
  const int32_t n = LineCount();
  for (int32_t k = 0; k < n; ++k) {
    const int32_t i = forward ? k : n - 1 - k;
    if (!IsLineDisabled(i)) return i;
  }
  return -1;
}

void TextListControlBase::EnterFromKeys(bool forward) {
  if (LineCount() > 0 && !locked_) {
    const int32_t first = FirstEnabled(forward);
    if (first >= 0) {
      HoverLine(first);
      return;
    }
  }
  ControlHost* host = Host();
  if (host == nullptr) return;
  if ((forward ? host->FocusNext() : host->FocusPrevious()) != 0) host->SetFocus(nullptr);
}

void TextListControlBase::MoveHoverByKey(bool down) {
  const int32_t n = LineCount();
  int32_t target = -1;
  if (hovered_ >= 0) {
    for (int32_t i = hovered_ + (down ? 1 : -1); i >= 0 && i < n; i += down ? 1 : -1)
      if (!IsLineDisabled(i)) {
        target = i;
        break;
      }
  }
  if (target >= 0) {
    HoverLine(target);
    return;
  }
  // At an end: the host moves the focus on, or the list wraps round.
  ControlHost* host = Host();
  const int32_t moved = host == nullptr ? 1 : (down ? host->FocusNext() : host->FocusPrevious());
  if (moved != 0) EnterFromKeys(down);
}

bool TextListControlBase::Update(ActionMap* actions) {
  if (locked_) return false;
  ControlHost* host = Host();
  const uint8_t step = host != nullptr ? host->HandleNavigation(actions) : ControlHost::kStepNone;
  if (step == ControlHost::kStepBackwards || step == ControlHost::kStepForwards) {
    pointerIdle_ = false;
    MoveHoverByKey(step == ControlHost::kStepForwards);
    return true;
  }
  if (hovered_ < 0) return false;
  const uint32_t now = CurrentTickMs();
  if (pressState_ == kHovered) {
    pressDeadline_ = 0;
    if (actions != nullptr && actions->IsPressed(kActionDecide)) {
      if (hasPressedCell_) {
        ShowLineCell(hovered_, 2);
        pressState_ = kPressed;
        pressDeadline_ = now + kPressDelayMs;
        if (pressDeadline_ == 0) pressDeadline_ = 1;  // 0 means none
      } else {
        Activate(hovered_);
      }
    }
    return true;
  }
  if (pressState_ == kPressed) {
    // A signed difference keeps the comparison right across the tick's wrap.
    if (pressDeadline_ != 0 && TickDiff(now, pressDeadline_) >= 0) {
      pressState_ = kHovered;
      ShowLineCell(hovered_, 1);
      pressDeadline_ = 0;
      Activate(hovered_);
    }
    return true;
  }
  pressDeadline_ = 0;
  return false;
}

void TextListControlBase::OnFocusGained(Control*, int32_t direction) { EnterFromKeys(direction != 0); }

void TextListControlBase::OnFocusLost(Control*) { OnPointerLeave(); }

// --- the pointer -----------------------------------------------------------------------------

void TextListControlBase::OnPointerMove(int32_t x, int32_t y) {
  const int32_t screenX = x + GetX(), screenY = y + GetY();
  if (dragging_) {
    InputDevice* pointer = Host() != nullptr ? Host()->GetPointerDevice() : nullptr;
    if (pointer != nullptr && pointer->IsDown(kPointerButton)) {
      SetPosition(screenX - dragOriginX_, screenY - dragOriginY_);
      return;
    }
    dragging_ = false;
  }
  if (dragAlpha != 0 && HitFrame(x, y)) {
    if (!locked_) {
      LeaveLine(hovered_);
      hovered_ = -1;
    }
    SetCursor(kCursorDrag);
    return;
  }
  if (locked_) {
    SetCursor(kCursorNone);
    return;
  }
  if (pointerIdle_ && (std::abs(screenX - idleOriginX_) > kIdleSlack || std::abs(screenY - idleOriginY_) > kIdleSlack))
    pointerIdle_ = false;
  const int32_t line = LineAt(x, y);
  SetCursor(line >= 0 ? kCursorLine : kCursorNone);
  if (line == hovered_) return;
  if (hovered_ >= 0) {
    const TextListLine* record = Record(hovered_);
    if (record != nullptr && !record->hoverText.empty() && Host() != nullptr) Host()->RestartHoverTime();
    LeaveLine(hovered_);
  }
  hovered_ = EnterLine(line) ? line : -1;
}

bool TextListControlBase::OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  if (dragAlpha != 0 && pointer->IsPressed(kPointerButton) && HitFrame(x, y)) {
    dragOriginX_ = x, dragOriginY_ = y;
    dragging_ = true;
    return true;
  }
  if (pressState_ == kHovered && pointer->IsPressed(kPointerButton) && !locked_ && !pointerIdle_ && hovered_ >= 0) {
    ShowLineCell(hovered_, 2);
    pressState_ = kPressed;
    pressDeadline_ = 0;
    return true;
  }
  // Only a release over the line that was pressed activates it: leaving the
  // line took the pressed state away.
  if (pressState_ == kPressed && pressDeadline_ == 0 && !pointer->IsDown(kPointerButton)) {
    pressState_ = kHovered;
    ShowLineCell(hovered_, 1);
    Activate(hovered_);
    return true;
  }
  return false;
}

void TextListControlBase::OnPointerLeave() {
  dragging_ = false;
  if (!locked_) {
    LeaveLine(hovered_);
    hovered_ = -1;
  }
  SetCursor(kCursorNone);
}

}  // namespace orrivel
