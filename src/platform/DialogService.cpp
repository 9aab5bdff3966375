#include "platform/DialogService.h"

#include <cstdio>

#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

ServiceSlot<DialogService> g_slot;

bool HasButton(const DialogRequest& request, uint16_t id) {
  const DialogControl* control = request.Find(id);
  return control != nullptr && control->kind == DialogControlKind::Button;
}

// The texts a box shows in the dialog's place: every text and edit
// control, in order, a blank line between them.
std::string BoxText(const DialogRequest& request) {
  std::string text;
  for (const DialogControl& control : request.controls) {
    if (control.kind != DialogControlKind::Text && control.kind != DialogControlKind::Edit) continue;
    if (control.text.empty()) continue;
    if (!text.empty()) text += "\n\n";
    text += control.text;
  }
  return text;
}

// The check box of a dialog whose only buttons are OK or Yes and No: a box
// can offer it as a further button. Null for any other dialog.
const DialogControl* OnlyCheckBox(const DialogRequest& request) {
  const DialogControl* check = nullptr;
  for (const DialogControl& control : request.controls) {
    if (control.kind == DialogControlKind::Button && control.id != 1 && control.id != 2) return nullptr;
    if (control.kind == DialogControlKind::CheckBox) check = &control;
  }
  return check;
}

bool CheckState(const DialogRequest& request) {
  for (const DialogControl& control : request.controls) {
    if (control.kind == DialogControlKind::CheckBox) return control.checked;
  }
  return false;
}

}  // namespace

const DialogControl* DialogRequest::Find(uint16_t id) const {
  for (const DialogControl& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

DialogControl* DialogRequest::Find(uint16_t id) {
  return const_cast<DialogControl*>(static_cast<const DialogRequest&>(*this).Find(id));
}

void DialogService::QueueAnswer(const DialogAnswer& answer) {
  std::lock_guard hold(lock_);
  queued_.push_back(answer);
}

size_t DialogService::QueuedAnswers() const {
  std::lock_guard hold(lock_);
  return queued_.size();
}

bool DialogService::TakeQueued(DialogAnswer& out) {
  std::lock_guard hold(lock_);
  if (queued_.empty()) return false;
  out = queued_.front();
  queued_.pop_front();
  return true;
}

DialogAnswer ScriptedDialogs::Show(const DialogRequest& request) {
  DialogAnswer answer;
  if (!TakeQueued(answer)) {
    answer.button = request.defaultButton;
    answer.checked = CheckState(request);
  } else if (!answer.setsCheck) {
    answer.checked = CheckState(request);
  }
  transcript_.push_back({request, answer});
  return answer;
}

DialogAnswer MessageBoxDialogs::Show(const DialogRequest& request) {
  DialogAnswer answer;
  if (TakeQueued(answer)) {
    if (!answer.setsCheck) answer.checked = CheckState(request);
    EchoDialogAnswer(request, answer);
    return answer;
  }
  MessageBoxRequest box;
  box.text = BoxText(request);
  box.caption = request.caption;
  box.icon = request.icon;
  box.owner = request.owner;
  box.buttons = HasButton(request, 2) ? MessageBoxButtons::YesNo : MessageBoxButtons::Ok;
  const DialogControl* check = OnlyCheckBox(request);
  if (check != nullptr) box.checkText = check->text;
  const int result = CurrentBackend().ShowMessageBox(box);
  answer.checked = CheckState(request);
  if (check != nullptr) answer.checked = (result & kAnswerChecked) != 0;
  const int button = result & ~kAnswerChecked;
  if (box.buttons == MessageBoxButtons::YesNo) answer.button = button == IDYES ? 1 : 2;
  else answer.button = HasButton(request, 1) ? 1 : request.cancelButton;
  return answer;
}

void EchoDialogAnswer(const DialogRequest& request, const DialogAnswer& answer) {
  std::fprintf(stderr, "[dialog %u] %s: %s -> %u%s\n", unsigned(request.templateId),
               Cp932ToUtf8Lossy(request.caption).c_str(), Cp932ToUtf8Lossy(BoxText(request)).c_str(),
               unsigned(answer.button), answer.checked ? " (checked)" : "");
}

DialogService& CurrentDialogs() {
  if (DialogService* installed = g_slot.Installed()) return *installed;
  static MessageBoxDialogs boxes;
  return boxes;
}

DialogService* SetDialogs(DialogService* service) { return g_slot.Install(service); }

}  // namespace orrivel::platform
