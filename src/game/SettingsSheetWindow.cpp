#include "game/SettingsSheetWindow.h"

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
  result_ = 0;
  done_ = false;
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
      // Idle: the pages' timer.
      if (!backend.WaitMessage(kTimerMs)) backend.PostMessage(window_, kTimerMessage, 0, 0);
      continue;
    }
    if (message.message == platform::WM_QUIT) {
      // The program is closing: nothing is stored, the quit goes on.
      sheet.Cancel();
      backend.PostQuitMessage(int32_t(message.wParam));
      break;
    }
    if (!TakeClick(message)) {
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
    if (!done_) Repaint();
  }
  layer_.Hide();
  if (hasOwner) backend.EnableWindow(owner, true);
  backend.DestroyWindow(window_);
  window_ = platform::kNoWindow;
  sheet_ = nullptr;
  input_ = nullptr;
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
  layer_.Show(request, window_);
  shown_ = std::move(request);
}

bool SettingsSheetWindow::TakeClick(const platform::Message& message) {
  if (message.message != platform::WM_LBUTTONDOWN && message.message != platform::WM_LBUTTONUP) return false;
  if (message.window != window_ && (message.window != owner_ || owner_ == platform::kNoWindow)) return false;
  if (message.message == platform::WM_LBUTTONUP) {
    const Point client{int32_t(int16_t(message.lParam & 0xFFFF)), int32_t(int16_t((message.lParam >> 16) & 0xFFFF))};
    const Point desktop = platform::CurrentBackend().ClientToScreen(message.window, client);
    OnClick(Point{desktop.x - shown_.rect.left, desktop.y - shown_.rect.top});
  }
  return true;
}

void SettingsSheetWindow::OnClick(Point at) {
  using Kind = platform::DialogControlKind;
  const platform::DialogControl* hit =
      DialogControlAt(shown_, at, {Kind::Button, Kind::Tab, Kind::Edit, Kind::CheckBox, Kind::Radio, Kind::Combo,
                                   Kind::Slider});
  if (hit == nullptr) return;
  switch (hit->kind) {
    case Kind::Button:
    case Kind::Tab:
      OnCommand(hit->id, 0);
      return;
    case Kind::Edit:
      OnCommand(hit->id, kSetFocusNotify);
      return;
    default:
      break;
  }
  for (const SettingsSheetBinding& binding : bindings_) {
    if (binding.id != hit->id || binding.kind != hit->kind) continue;
    if (const auto value = ClickedValue(*sheet_, binding, *hit, at)) {
      platform::CurrentBackend().SendMessage(window_, kSetValueMessage, binding.offset, intptr_t(*value));
    }
    return;
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
  }
}

// The key page watches the keyboard, the button page the first joystick
// (and Delete on the keyboard); each reads the devices once per tick.
void SettingsSheetWindow::PollDevices() {
  if (input_ == nullptr) return;
  const SettingsSheet::Page page = sheet_->CurrentPage();
  if (page != SettingsSheet::kKeyboardPage && page != SettingsSheet::kInputPage) return;
  input_->Update();
  KeyboardDevice* keyboard = input_->Keyboard();
  if (page == SettingsSheet::kKeyboardPage) {
    if (keyboard != nullptr) sheet_->PollKeyboard(*keyboard);
  } else if (JoystickDevice* joystick = input_->GetJoystick(0)) {
    sheet_->PollJoystick(*joystick, keyboard);
  }
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
