#include "base/MainWindow.h"

namespace orrivel {

using namespace platform;

int MainWindow::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_DESTROY:
      return WindowObject::OnMessage(record);
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
      return 0;
    case WM_IME_COMPOSITION:
      return (uint32_t(record.lParam) & GCS_RESULTSTR) ? 1 : 0;
    case WM_IME_SETCONTEXT:
      record.lParam = intptr_t(uint32_t(record.lParam) & ~ISC_SHOW_SYSTEM_WINDOWS);
      return 1;
    case WM_IME_NOTIFY:
      if (record.wParam == IMN_OPENCANDIDATE) {
        if (host_) host_->SetCandidateListOpen(true);
      } else if (record.wParam == IMN_CLOSECANDIDATE) {
        if (host_) host_->SetCandidateListOpen(false);
      } else if (record.wParam == IMN_OPENSTATUSWINDOW && host_ && host_->IsFullScreen()) {
        return 0;
      }
      return 1;
    default:
      return 1;
  }
}

}  // namespace orrivel
