#include "natives/GameDrawableTask.h"

#include <cstdlib>
#include <string>

#include "natives/AppNativePort.h"
#include "natives/GameDrawable.h"
#include "scene/CheckButtonBase.h"
#include "text/MarkupTextBase.h"

namespace orrivel {

namespace {

// Component n of the page's name line: the speaker's name, then the field.
std::string NameComponent(const MarkupTextBase& text, int32_t n) {
  const size_t measured = MarkupTextBase::ComponentOf(text.Name(), n, nullptr, 0);
  if (measured < 2) return std::string();
  std::string out(measured, '\0');
  MarkupTextBase::ComponentOf(text.Name(), n, out.data(), out.size());
  out.resize(measured - 1);
  return out;
}

uint8_t Setting(size_t index) { return AppPort().appConfig[index]; }

// A guard against a text that never stops (each step reads at least one
// token, and a page cannot hold more tokens than bytes).
size_t TokenLimit(const MarkupTextBase& text) { return text.Body().size() + 2; }

}  // namespace

int32_t GameDrawableTask::Start(bool allAtOnce, bool readPermission) {
  GameDrawable& d = *drawable_;
  MarkupTextBase& text = *d.Text();
  // The field is checked before anything on screen changes, so a page that
  // cannot start leaves the window as it was.
  const std::string field = NameComponent(text, 2);
  if (field.size() > GameDrawable::kFieldBytes) return kFieldTooLong;

  RestoreScroll();
  // The cursor puts back what lay under it before the page is cleared, so
  // nothing of the old page comes back.
  d.HideWaitCursor();
  d.ClearText();
  d.SetVisible(true);
  d.ShowName(NameComponent(text, 1));
  d.SetField(field);
  pageRead_ = text.PageRead() ? 1 : 0;
  lastKind_ = 0;
  // Each page tells its own end once.
  endNotified_ = 0;
  if (allAtOnce) {
    Finish();
    return 0;
  }

  bool skipKey = d.Input().IsSkipKeyDown();
  bool skipMode = d.IsSkipModeOn();
  CheckButtonBase* button = d.SkipButton();
  skipPage_ = Setting(kSettingSkipRead) != 0 && pageRead_ != 0 && readPermission ? 1 : 0;
  if (pageRead_ != 0) {
    noWait_ = Setting(kSettingReadNoWait);
    delay_ = Setting(kSettingReadDelay);
    if ((skipPage_ != 0 && d.AdvanceRequested()) || AppPort().skipSuppress != 0) skipPage_ = 0;
    if (button != nullptr) button->SetEnabled(true);
  } else {
    if (Setting(kSettingSkipKeyReadOnly) != 0) skipKey = false;
    if (Setting(kSettingNoSkipUnread) != 0) {
      if (button != nullptr) {
        button->SetEnabled(false);
        if (skipMode) button->SetOn(false);
      }
      skipMode = false;
    } else if (button != nullptr) {
      button->SetEnabled(true);
    }
    noWait_ = Setting(kSettingUnreadNoWait);
    delay_ = Setting(kSettingUnreadDelay);
  }
  if (skipPage_ != 0 || skipKey || skipMode) {
    Finish();
    state_ = kShownAtOnce;
    d.skipKeyMark = 1;
    return 0;
  }
  state_ = kIdle;
  nextTime_ = 0;
  return 0;
}

int32_t GameDrawableTask::TypeCharacter() {
  GameDrawable& d = *drawable_;
  MarkupTextBase& text = *d.Text();
  const MarkupToken token = text.LastToken();
  const std::string& body = text.Body();
  // A plain backslash breaks the line; an escaped one is drawn.
  const bool lineFeed = token.start == token.character && token.characterLength == 1 && body[token.start] == '\\';
  bool full = false;
  if (lineFeed) {
    full = d.NewLine();
  } else {
    const std::string character = body.substr(token.character, token.characterLength);
    const char* at = character.c_str();
    full = d.PutChar(&at, nullptr) >= 1;
  }
  if (!full) return 0;
  text.SetReadCursor(token.start);
  return 1;
}

void GameDrawableTask::DrawItem() {
  const std::string item = drawable_->Text()->QuotedString();
  drawable_->DrawStringAt(item.c_str(), -1, -1, true);
}

void GameDrawableTask::Scroll() {
  GameDrawable& d = *drawable_;
  const int32_t line = std::abs(d.LineHeight() + d.LineGap());
  if (!scrollSaved_) {
    scrollSaved_ = true;
    savedScroll_ = d.ScrollOffset();
  }
  // The scroll mark's number is its tag's name.
  d.ScrollTo(std::atoi(d.Text()->Tag().name.c_str()) + line);
}

void GameDrawableTask::RestoreScroll() {
  if (!scrollSaved_) return;
  scrollSaved_ = false;
  drawable_->ScrollTo(savedScroll_);
}

void GameDrawableTask::EndPage() {
  if (endNotified_ == 0) {
    endNotified_ = 1;
    ++endNotifications_;
  }
  RestoreScroll();
  state_ = kFinished;
}

void GameDrawableTask::StopAt(int8_t kind) {
  lastKind_ = kind;
  state_ = kWaiting;
  drawable_->ShowWaitCursor(lastNow_);
}

int32_t GameDrawableTask::StepText(bool noWaits) {
  MarkupTextBase& text = *drawable_->Text();
  for (size_t guard = TokenLimit(text); guard > 0; --guard) {
    const int kind = text.NextToken();
    switch (kind) {
      case kTokenCharacter:
        if (TypeCharacter() != 0) {
          StopAt(kTokenLastStop);
          return 0;
        }
        if (!noWaits) return 0;
        break;
      case kTokenVariable:
      case kTokenStop:
      case kTokenLastStop:
        StopAt(int8_t(kind));
        return 0;
      case kTokenClearPage:
        drawable_->ClearText();
        break;
      case kTokenEnd:
        lastKind_ = kTokenEnd;
        EndPage();
        return 0;
      case kTokenQuoted:
        DrawItem();
        if (!noWaits) return 0;
        break;
      case kTokenTag:
        Scroll();
        break;
      case kTokenBlock:
        break;
      default:
        lastKind_ = -1;
        return kUnknownToken;
    }
  }
  lastKind_ = -1;
  return kUnknownToken;
}

void GameDrawableTask::Finish() {
  MarkupTextBase& text = *drawable_->Text();
  for (size_t guard = TokenLimit(text); guard > 0; --guard) {
    const int kind = text.NextToken();
    if (kind == kTokenCharacter) {
      if (TypeCharacter() != 0) break;
      continue;
    }
    if (kind == kTokenVariable || kind == kTokenStop || kind == kTokenLastStop || kind == kTokenBlock) continue;
    if (kind == kTokenTag) {
      Scroll();
      continue;
    }
    if (kind == kTokenQuoted) DrawItem();
    lastKind_ = int8_t(kind);
    EndPage();
    break;
  }
  state_ = kFinished;
}

void GameDrawableTask::LeaveWait() {
  if (state_ != kWaiting) return;
  drawable_->HideWaitCursor();
  state_ = kTyping;
}

bool GameDrawableTask::SkipKeyCounts() const {
  return Setting(kSettingSkipKeyReadOnly) == 0 || pageRead_ != 0;
}

int32_t GameDrawableTask::Step(uint32_t now) {
  if (drawable_ == nullptr) return 1;
  lastNow_ = now;
  GameDrawable& d = *drawable_;
  // A finished page waits for the next start; a hidden window does not type.
  if (!d.IsVisible() || state_ == kFinished || state_ == kShownAtOnce) return 0;
  if ((SkipKeyCounts() && d.Input().IsSkipKeyDown()) || d.IsSkipModeOn()) {
    d.HideWaitCursor();
    Finish();
    state_ = kShownAtOnce;
    d.skipKeyMark = 1;
    return 0;
  }
  if (state_ == kTyping && d.autoAdvance != 0 && d.AdvanceRequested()) {
    StepText(true);
    return 0;
  }
  if (state_ == kWaiting) {
    if (!d.AdvanceRequested()) return 0;
    d.HideWaitCursor();
    state_ = kTyping;
  }
  if (int32_t(now - nextTime_) >= 0) {
    state_ = kTyping;
    StepText(noWait_ != 0);
    nextTime_ = now + delay_;
  }
  return 0;
}

}  // namespace orrivel
