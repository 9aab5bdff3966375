#include "game/TextInputDialog.h"

#include <algorithm>

#include "base/Cp932.h"
#include "game/DialogInteraction.h"
#include "platform/Backend.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"

namespace orrivel {

using platform::Point;
using platform::Rect;

namespace {

// Positions stay well inside 32 bits, so the window's edges and every
// control placed from them can be added without overflow.
constexpr int64_t kFarthestPosition = int64_t(1) << 24;

int32_t Placed(int64_t position) {
  return int32_t(std::clamp<int64_t>(position, -kFarthestPosition, kFarthestPosition));
}

int32_t CentredStart(int32_t left, int32_t right, int32_t size) {
  return Placed(int64_t(left) + (int64_t(right) - left - size) / 2);
}

// A script's width: at least the OK button with the margins, at most the
// screen (or the template, on a screen narrower than it).
int32_t DialogWidth(int32_t asked, const Rect& screen) {
  if (asked <= 0) return TextInputLayout::kTemplateWidth;
  const int64_t widest = std::max<int64_t>(TextInputLayout::kTemplateWidth, int64_t(screen.right) - screen.left);
  const int64_t narrowest = TextInputLayout::kOkWidth + TextInputLayout::kFieldMargin;
  return int32_t(std::clamp<int64_t>(asked, narrowest, widest));
}

}  // namespace

TextInputLayout LayoutTextInputDialog(const TextInputRequestCells& request, const Rect* owner,
                                      Point ownerClientOrigin, const Rect& screen) {
  TextInputLayout layout;
  const int32_t width = DialogWidth(request.width, screen);
  const int32_t height = TextInputLayout::kTemplateHeight;
  int32_t left = 0;
  int32_t top = 0;
  if (request.x < 0 || request.y < 0) {
    const Rect& over = owner != nullptr ? *owner : screen;
    left = CentredStart(over.left, over.right, width);
    top = CentredStart(over.top, over.bottom, height);
  } else {
    left = Placed(int64_t(request.x) + (owner != nullptr ? ownerClientOrigin.x : 0));
    top = Placed(int64_t(request.y) + (owner != nullptr ? ownerClientOrigin.y : 0));
  }
  layout.window = Rect{left, top, left + width, top + height};
  layout.fieldWidth = width - TextInputLayout::kFieldMargin;
  layout.okLeft = (width - TextInputLayout::kOkWidth) / 2;
  return layout;
}

std::string AcceptTextInput(std::string_view text, bool fullWidthOnly, uint8_t maxLength) {
  std::string out;
  for (size_t i = 0; i < text.size() && text[i] != '\0';) {
    const bool lead = cp932::IsLeadByte(text[i]);
    const size_t length = cp932::CharLength(text, i);
    if (lead && length == 1) break;  // half a character at the end
    if (fullWidthOnly && length != 2) break;
    if (maxLength != 0 && out.size() + length > maxLength) break;
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

std::string TextInputDialog::Run(const TextInputRequestCells& request, const std::string& initial,
                                 platform::WindowId owner) {
  platform::Backend& backend = platform::CurrentBackend();
  if (!backend.IsClassRegistered(kClassName)) backend.RegisterClass(platform::WindowClass{kClassName});
  request_ = &request;
  edit_ = initial;
  result_.clear();
  done_ = false;

  const bool hasOwner = owner != platform::kNoWindow && backend.IsWindow(owner);
  const Rect ownerRect = hasOwner ? backend.GetWindowRect(owner) : Rect{};
  const Point origin = hasOwner ? backend.ClientToScreen(owner, Point{0, 0}) : Point{};
  layout_ = LayoutTextInputDialog(request, hasOwner ? &ownerRect : nullptr, origin, backend.SystemWorkArea());

  platform::WindowCreateParams params;
  params.className = kClassName;
  params.text = request.caption.empty() ? platform::Utf8ToCp932Lossy("データ入力") : request.caption;
  params.style = platform::WS_POPUP | platform::WS_CAPTION;
  params.x = layout_.window.left;
  params.y = layout_.window.top;
  params.width = layout_.window.Width();
  params.height = layout_.window.Height();
  params.parent = hasOwner ? owner : platform::kNoWindow;
  params.client = this;
  window_ = backend.CreateWindow(params);
  if (window_ == platform::kNoWindow) return {};
  if (hasOwner) backend.EnableWindow(owner, false);
  backend.ShowWindow(window_, platform::SW_SHOW);
  backend.SetForegroundWindow(window_);
  // Typed text reaches a window only while its text input is on, so the
  // edit field needs it whether or not the request asks for the input
  // method: the request's byte cannot keep it closed here.
  backend.SetTextInputEnabled(window_, true);
  owner_ = params.parent;
  interaction_.Reset();
  interaction_.SetFocus(kEditId);
  Repaint();
  if (onOpen) onOpen(window_);

  platform::Message message;
  while (!done_) {
    if (onIdle && !backend.PeekMessage(message, false) && onIdle()) continue;
    const int got = backend.GetMessage(message);
    if (got == 0) {
      // The program is closing: the quit goes on to the main loop.
      backend.PostQuitMessage(int32_t(message.wParam));
      break;
    }
    if (got < 0) break;
    // The player's keys and pointer reach the dialog over the window it is
    // drawn on as well as over its own.
    const bool forDialog = message.window == window_ || (owner_ != platform::kNoWindow && message.window == owner_);
    if (!forDialog || !TakeInput(message)) {
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
    if (!done_) Repaint();
  }
  layer_.Hide();
  backend.SetTextInputEnabled(window_, false);
  if (hasOwner) backend.EnableWindow(owner, true);
  backend.DestroyWindow(window_);
  window_ = platform::kNoWindow;
  request_ = nullptr;
  return done_ ? result_ : std::string();
}

platform::DialogRequest TextInputDialog::Drawing() const {
  platform::DialogRequest request;
  request.templateId = 110;
  request.owner = owner_;
  request.caption = platform::CurrentBackend().GetWindowText(window_);
  const Point origin = DialogPainter::ClientOrigin();
  const int32_t width = layout_.window.Width() - 2 * DialogPainter::kBorder;
  const int32_t height = layout_.window.Height() - DialogPainter::kCaptionHeight - 2 * DialogPainter::kBorder;
  request.rect = Rect{layout_.window.left + origin.x, layout_.window.top + origin.y,
                      layout_.window.left + origin.x + width, layout_.window.top + origin.y + height};
  const int32_t margin = TextInputLayout::kFieldMargin / 2;
  auto add = [&](uint16_t id, platform::DialogControlKind kind, Rect rect, std::string text) {
    platform::DialogControl control;
    control.id = id;
    control.kind = kind;
    control.rect = rect;
    control.text = std::move(text);
    request.controls.push_back(std::move(control));
  };
  add(0, platform::DialogControlKind::Text, Rect{margin, 4, margin + layout_.fieldWidth, 20},
      request_ != nullptr ? request_->prompt : std::string());
  add(kEditId, platform::DialogControlKind::Edit, Rect{margin, 22, margin + layout_.fieldWidth, 42}, edit_);
  // Typing stops where the result would be cut anyway.
  request.controls.back().textLimit = request_ != nullptr ? request_->maxLength : 0;
  add(kOkId, platform::DialogControlKind::Button,
      Rect{layout_.okLeft, 47, layout_.okLeft + TextInputLayout::kOkWidth, 69}, "OK");
  request.defaultButton = kOkId;
  request.cancelButton = kOkId;
  interaction_.Decorate(request);
  return request;
}

void TextInputDialog::Repaint() { layer_.Show(Drawing(), window_); }

bool TextInputDialog::TakeInput(const platform::Message& message) {
  // The pointer's moves and the system keys (Alt+F4) stay the window's.
  const uint32_t kind = message.message;
  if (!DialogInteraction::Takes(kind) || kind == platform::WM_MOUSEMOVE || kind == platform::WM_SYSKEYDOWN) {
    return false;
  }
  const DialogAction action = interaction_.Take(Drawing(), message);
  switch (action.kind) {
    case DialogAction::Kind::Edit:
      edit_ = action.text;
      break;
    case DialogAction::Kind::Press:
      if (action.id == kOkId) Accept();
      break;
    default:
      break;  // Esc does not close it
  }
  // Only the edit takes the focus for long: after a click elsewhere
  // typing goes on in it.
  if (interaction_.Focus() != kOkId) interaction_.SetFocus(kEditId);
  return true;
}

void TextInputDialog::Accept() {
  if (request_ == nullptr || done_) return;
  result_ = AcceptTextInput(edit_, request_->fullWidthOnly, request_->maxLength);
  done_ = true;
}

intptr_t TextInputDialog::WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam) {
  switch (message) {
    case platform::WM_CHAR:
    case platform::WM_KEYDOWN:
      TakeInput(platform::Message{window, message, wParam, lParam});
      return 0;
    case platform::WM_COMMAND:
      // Only OK ends the dialog; there is no way to cancel it.
      if ((wParam & 0xFFFF) == kOkId) Accept();
      return 0;
    case platform::WM_CLOSE:
      return 0;
    default:
      return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace orrivel
