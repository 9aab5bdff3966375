#include "game/DrawnDialogs.h"

#include "platform/Backend.h"
#include "platform/Messages.h"

namespace orrivel {

using platform::DialogAnswer;
using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Point;

namespace {

bool CheckState(const DialogRequest& request) {
  for (const DialogControl& control : request.controls) {
    if (control.kind == DialogControlKind::CheckBox) return control.checked;
  }
  return false;
}

bool IsInput(uint32_t message) {
  return (message >= platform::WM_KEYDOWN && message <= platform::WM_SYSKEYUP) ||
         (message >= platform::WM_MOUSEMOVE && message <= platform::WM_MOUSEWHEEL);
}

Point ClientPoint(intptr_t lParam) {
  return Point{int32_t(int16_t(lParam & 0xFFFF)), int32_t(int16_t((lParam >> 16) & 0xFFFF))};
}

}  // namespace

DrawnDialogs::DrawnDialogs() : interactive_(!platform::CurrentBackend().IsHeadless()) {}

DialogAnswer DrawnDialogs::Show(const DialogRequest& request) {
  DialogAnswer answer;
  if (TakeQueued(answer)) {
    if (!answer.setsCheck) answer.checked = CheckState(request);
    platform::EchoDialogAnswer(request, answer);
    return answer;
  }
  if (!interactive_) {
    answer.button = request.defaultButton;
    answer.checked = CheckState(request);
    return answer;
  }
  return AskPlayer(request);
}

// Runs the dialog's own loop: input on the window it is drawn over goes to
// the dialog; everything else is delivered as usual, and a window that
// painted its screen again gets the dialog drawn over it once more.
DialogAnswer DrawnDialogs::AskPlayer(DialogRequest shown) {
  platform::Backend& backend = platform::CurrentBackend();
  DialogLayer layer;
  layer.Show(shown);
  DialogAnswer answer;
  answer.button = shown.cancelButton;
  answer.checked = CheckState(shown);
  platform::Message message;
  for (;;) {
    const int got = backend.GetMessage(message);
    if (got <= 0) {
      // The program is closing: the box counts as closed, the quit goes on.
      if (got == 0) backend.PostQuitMessage(int32_t(message.wParam));
      break;
    }
    const platform::WindowId target = layer.Target();
    if (target == platform::kNoWindow || message.window != target || !IsInput(message.message)) {
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
      if (message.message == platform::WM_PAINT) layer.Redraw(shown);
      continue;
    }
    if (message.message == platform::WM_KEYDOWN) {
      if (message.wParam == platform::VK_RETURN) {
        answer.button = shown.defaultButton;
        break;
      }
      if (message.wParam == platform::VK_ESCAPE) break;
      continue;
    }
    if (message.message != platform::WM_LBUTTONUP) continue;
    const Point desktop = backend.ClientToScreen(target, ClientPoint(message.lParam));
    const DialogControl* hit =
        DialogControlAt(shown, Point{desktop.x - shown.rect.left, desktop.y - shown.rect.top},
                        {DialogControlKind::Button, DialogControlKind::CheckBox, DialogControlKind::Link});
    if (hit == nullptr) continue;
    if (hit->kind == DialogControlKind::CheckBox) {
      shown.Find(hit->id)->checked = !hit->checked;
      answer.checked = CheckState(shown);
      layer.Show(shown);
      continue;
    }
    answer.button = hit->id;
    break;
  }
  answer.checked = CheckState(shown);
  answer.setsCheck = true;
  layer.Hide();
  return answer;
}

}  // namespace orrivel
