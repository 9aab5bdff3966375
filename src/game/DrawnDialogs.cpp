#include "game/DrawnDialogs.h"

#include "game/DialogInteraction.h"
#include "platform/Backend.h"
#include "platform/Messages.h"

namespace orrivel {

using platform::DialogAnswer;
using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;

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
  DialogInteraction interaction;
  auto draw = [&](bool again) {
    DialogRequest decorated = shown;
    interaction.Decorate(decorated);
    if (again) layer.Redraw(decorated);
    else layer.Show(decorated);
  };
  draw(false);
  DialogAnswer answer;
  answer.button = shown.cancelButton;
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
      if (message.message == platform::WM_PAINT) draw(true);
      continue;
    }
    const DialogAction action = interaction.Take(shown, message);
    if (action.kind == DialogAction::Kind::Cancel) break;
    if (action.kind == DialogAction::Kind::Toggle) {
      if (DialogControl* box = shown.Find(action.id)) box->checked = !box->checked;
    } else if (action.kind == DialogAction::Kind::Press) {
      answer.button = action.id;
      break;
    }
    draw(false);
  }
  answer.checked = CheckState(shown);
  answer.setsCheck = true;
  layer.Hide();
  return answer;
}

}  // namespace orrivel
