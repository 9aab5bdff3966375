#include "game/SettingsSheetWindow.h"

#include "base/FullApiKeyboard.h"
#include "base/InputManager.h"
#include "platform/Backend.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"

namespace orrivel {

using platform::Point;
using platform::Rect;

static_assert(SettingsSheetLayout::kFirstTabId == SettingsSheetWindow::kFirstPageCommand);
static_assert(SettingsSheetLayout::kFirstFieldId == SettingsSheetWindow::kFirstFieldId);
static_assert(DialogPainter::FrameSize({SettingsSheetLayout::kClientWidth, SettingsSheetLayout::kClientHeight}) ==
              platform::Size{SettingsSheetWindow::kWidth, SettingsSheetWindow::kHeight});

int SettingsSheetWindow::Run(SettingsSheet& sheet, platform::WindowId owner, InputManager* input,
                             bool pointerToCentre) {
  platform::Backend& backend = platform::CurrentBackend();
  if (!backend.IsClassRegistered(kClassName)) backend.RegisterClass(platform::WindowClass{kClassName});
  sheet_ = &sheet;
  input_ = input;
  // Read once now, so that a key still held from opening the sheet is not
  // taken as a key pressed on it.
  captureKeyboard_.reset();
  if (input_ != nullptr) {
    captureKeyboard_ = std::make_unique<FullApiKeyboard>();
    captureKeyboard_->Acquire();
    captureKeyboard_->Poll();
  }
  result_ = 0;
  done_ = false;
  interaction_.Reset();
  typedId_ = 0;
  sheet.Open();

  // Centred over the owner, else on the desktop's work area.
  const bool hasOwner = owner != platform::kNoWindow && backend.IsWindow(owner);
  const Rect over = hasOwner ? backend.GetWindowRect(owner) : backend.SystemWorkArea();
  platform::WindowCreateParams params;
  params.className = kClassName;
  params.text = platform::Utf8ToCp932Lossy("入力・その他設定");
  params.style = platform::WS_POPUP | platform::WS_CAPTION;
  params.x = over.left + (over.Width() - kWidth) / 2;
  params.y = over.top + (over.Height() - kHeight) / 2;
  params.width = kWidth;
  params.height = kHeight;
  params.parent = hasOwner ? owner : platform::kNoWindow;
  params.client = this;
  window_ = backend.CreateWindow(params);
  if (window_ == platform::kNoWindow) return 0;
  if (hasOwner) backend.EnableWindow(owner, false);
  backend.ShowWindow(window_, platform::SW_SHOW);
  backend.SetForegroundWindow(window_);
  if (pointerToCentre) backend.SetCursorPos(Point{params.x + kWidth / 2, params.y + kHeight / 2});
  owner_ = params.parent;
  Repaint();
  if (onOpen) onOpen(window_);

  platform::Message message;
  while (!done_) {
    if (!backend.PeekMessage(message, true)) {
      // Idle: the pages' timer, at once when a scripted run has played
      // its next frame into the queue.
      if (onIdle && onIdle()) {
        backend.PostMessage(window_, kTimerMessage, 0, 0);
        continue;
      }
      if (!backend.WaitMessage(kTimerMs)) backend.PostMessage(window_, kTimerMessage, 0, 0);
      continue;
    }
    if (message.message == platform::WM_QUIT) {
      // The program is closing: nothing is stored, the quit goes on.
      sheet.Cancel();
      backend.PostQuitMessage(int32_t(message.wParam));
      break;
    }
    if (!TakeInput(message)) {
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
    if (!done_) Repaint();
  }
  layer_.Hide();
  if (textInput_) backend.SetTextInputEnabled(window_, false);
  textInput_ = false;
  if (hasOwner) backend.EnableWindow(owner, true);
  backend.DestroyWindow(window_);
  window_ = platform::kNoWindow;
  sheet_ = nullptr;
  input_ = nullptr;
  captureKeyboard_.reset();
  return done_ ? result_ : 0;
}

void SettingsSheetWindow::Repaint() {
  platform::Backend& backend = platform::CurrentBackend();
  const bool joystick = input_ != nullptr && input_->GetJoystick(0) != nullptr;
  platform::DialogRequest request = LayOutSettingsSheet(*sheet_, joystick, &bindings_);
  const Rect outer = backend.GetWindowRect(window_);
  const Point origin = DialogPainter::ClientOrigin();
  request.rect = Rect{outer.left + origin.x, outer.top + origin.y, outer.left + origin.x + request.rect.Width(),
                      outer.top + origin.y + request.rect.Height()};
  request.owner = owner_;
  const uint16_t focus = interaction_.Focus();
  if (typedId_ != focus) typedId_ = 0;
  bool typing = false;
  for (platform::DialogControl& control : request.controls) {
    if (control.id != focus || control.kind != platform::DialogControlKind::Edit || !control.enabled) continue;
    if (typedId_ != 0) control.text = typed_;
    typing = !control.readOnly;
  }
  // Typed text reaches the sheet only while an edit that takes it has the
  // focus; otherwise letters stay keys.
  if (typing != textInput_) {
    textInput_ = typing;
    backend.SetTextInputEnabled(window_, typing);
  }
  interaction_.Decorate(request);
  layer_.Show(request, window_);
  shown_ = std::move(request);
}

bool SettingsSheetWindow::TakeInput(const platform::Message& message) {
  if (message.window != window_ && (message.window != owner_ || owner_ == platform::kNoWindow)) return false;
  if (!DialogInteraction::Takes(message.message)) return false;
  // Alt with the arrows opens and closes a combo's list; other system keys
  // (Alt+F4) keep their meaning.
  if (message.message == platform::WM_SYSKEYDOWN && message.wParam != platform::VK_DOWN &&
      message.wParam != platform::VK_UP) {
    return false;
  }
  const bool keyed = message.message == platform::WM_KEYDOWN || message.message == platform::WM_SYSKEYDOWN ||
                     message.message == platform::WM_CHAR;
  if (keyed && Capturing()) {
    // The focused key field takes the keys from the keyboard itself; Esc
    // only leaves the field.
    if (message.message != platform::WM_CHAR && message.wParam == platform::VK_ESCAPE) {
      interaction_.SetFocus(0);
      sheet_->FocusField(-1);
    }
    return true;
  }
  const uint16_t focusBefore = interaction_.Focus();
  Apply(interaction_.Take(shown_, message));
  FollowFocus();
  // A key that brought the focus into a key field is not that field's key.
  if (keyed && interaction_.Focus() != focusBefore && Capturing() && captureKeyboard_ != nullptr) {
    captureKeyboard_->Poll();
  }
  return true;
}

bool SettingsSheetWindow::Capturing() const {
  return sheet_->CurrentPage() == SettingsSheet::kKeyboardPage && sheet_->FocusedField() >= 0;
}

// The key and button fields have the sheet's focus exactly while they have
// the keyboard's.
void SettingsSheetWindow::FollowFocus() {
  const SettingsSheet::Page page = sheet_->CurrentPage();
  if (page != SettingsSheet::kKeyboardPage && page != SettingsSheet::kInputPage) return;
  const uint16_t focus = interaction_.Focus();
  const bool field = focus >= kFirstFieldId && focus < kFirstFieldId + SettingsSheet::kFieldCount;
  const int32_t wanted = field ? int32_t(focus - kFirstFieldId) : -1;
  if (sheet_->FocusedField() != wanted) sheet_->FocusField(wanted);
}

void SettingsSheetWindow::Apply(const DialogAction& action) {
  using K = DialogAction::Kind;
  switch (action.kind) {
    case K::Press:
      OnCommand(action.id, 0);
      return;
    case K::Cancel:
      Close(0);
      return;
    case K::Toggle:
    case K::Choose:
    case K::Select:
    case K::Slide:
    case K::Edit:
      break;
    default:
      return;
  }
  if (action.kind == K::Edit) {
    // The edit shows what was typed until it loses the focus.
    typedId_ = action.id;
    typed_ = action.text;
  }
  for (const SettingsSheetBinding& binding : bindings_) {
    if (binding.id != action.id) continue;
    if (const auto value = ActionValue(*sheet_, binding, action)) {
      platform::CurrentBackend().SendMessage(window_, kSetValueMessage, binding.offset, intptr_t(*value));
      return;
    }
  }
}

void SettingsSheetWindow::Close(int result) {
  if (done_) return;
  if (result == 1) sheet_->Ok();
  else sheet_->Cancel();
  result_ = result;
  done_ = true;
}

void SettingsSheetWindow::OnCommand(uint32_t id, uint32_t notify) {
  if (id == kOkId) {
    Close(1);
  } else if (id == kCancelId) {
    Close(0);
  } else if (id == SettingsSheet::kDefaultsButton) {
    // The button asks the page shown for its defaults, at once.
    platform::CurrentBackend().SendMessage(window_, SettingsSheet::kDefaultsMessage, 0, 0);
  } else if (id >= kFirstPageCommand && id <= kFirstPageCommand + SettingsSheet::kWindowPage) {
    sheet_->ShowPage(SettingsSheet::Page(id - kFirstPageCommand));
  } else if (id >= kFirstFieldId && id < kFirstFieldId + SettingsSheet::kFieldCount && notify == kSetFocusNotify) {
    sheet_->FocusField(int32_t(id - kFirstFieldId));
    interaction_.SetFocus(uint16_t(id));
  }
}

// The key page watches the keyboard, the button page the first joystick
// (and Delete on the keyboard); each reads the devices once per tick.
void SettingsSheetWindow::PollDevices() {
  if (input_ == nullptr) return;
  // The devices are read directly: the game's input is switched off while
  // its window is not the active one. The keyboard is read on every tick,
  // so that a key counts as pressed on the tick it went down.
  KeyboardDevice* keyboard = captureKeyboard_.get();
  if (keyboard != nullptr) keyboard->Poll();
  const SettingsSheet::Page page = sheet_->CurrentPage();
  if (page != SettingsSheet::kKeyboardPage && page != SettingsSheet::kInputPage) return;
  const int32_t before = sheet_->FocusedField();
  if (page == SettingsSheet::kKeyboardPage) {
    if (keyboard != nullptr) sheet_->PollKeyboard(*keyboard);
  } else if (JoystickDevice* joystick = input_->GetJoystick(0)) {
    joystick->Poll();
    sheet_->PollJoystick(*joystick, keyboard);
  }
  // A field that took its key hands the focus on to the next.
  const int32_t after = sheet_->FocusedField();
  if (after != before) interaction_.SetFocus(after >= 0 ? uint16_t(kFirstFieldId + after) : 0);
}

intptr_t SettingsSheetWindow::WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam,
                                              intptr_t lParam) {
  if (sheet_ == nullptr) return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  switch (message) {
    case platform::WM_COMMAND:
      OnCommand(uint32_t(wParam & 0xFFFF), uint32_t((wParam >> 16) & 0xFFFF));
      return 0;
    case SettingsSheet::kDefaultsMessage:
      sheet_->RestoreDefaults();
      return 0;
    case kSetValueMessage:
      return sheet_->SetValue(uint8_t(wParam), uint32_t(lParam)) ? 1 : 0;
    case kTimerMessage:
      PollDevices();
      return 0;
    case platform::WM_CLOSE:
      Close(0);
      return 0;
    default:
      return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace orrivel
