#include "base/WindowObject.h"

#include "base/MonitorList.h"
#include "platform/Backend.h"

namespace orrivel {

using namespace platform;

platform::WindowId GetHandle(const MessageRecord& record) {
  return record.window ? record.window->GetHandle() : kNoWindow;
}

bool IsSystemControlClass(const std::string& className) {
  static const char* const kControls[] = {"BUTTON", "COMBOBOX", "EDIT", "LISTBOX", "MDICLIENT", "SCROLLBAR", "STATIC"};
  for (const char* name : kControls) {
    if (className == name) return true;
  }
  return false;
}

WindowObject::~WindowObject() { Destroy(); }

int WindowObject::Create(const WindowCreateRecord& record, WindowId parent, bool quitOnDestroyFlag,
                         bool registerClass) {
  Backend& backend = CurrentBackend();
  if (!IsSystemControlClass(record.className) && registerClass) {
    WindowClass windowClass;
    windowClass.name = record.className;
    windowClass.iconId = record.iconId;
    windowClass.menuId = record.menuId;
    windowClass.brush = record.brush;
    if (!backend.RegisterClass(windowClass)) return 1;
  }
  quitOnDestroy = quitOnDestroyFlag;
  placement = record.placement;
  WindowPlacement where = ComputeWindowRect(record.clientWidth, record.clientHeight, record.style, record.exStyle,
                                            record.menuId != 0, true, record.x, record.y);
  WindowCreateParams params;
  params.className = record.className;
  params.text = record.text;
  params.style = record.style;
  params.exStyle = record.exStyle;
  params.x = where.x;
  params.y = where.y;
  params.width = where.width;
  params.height = where.height;
  params.parent = parent;
  params.client = this;
  // The handle is stored on WM_NCCREATE, before any handler can run.
  WindowId id = backend.CreateWindow(params);
  if (id == kNoWindow) {
    handle_ = kNoWindow;
    return 2;
  }
  handle_ = id;
  return 0;
}

void WindowObject::RegisterMessageHandler(uint32_t message, std::unique_ptr<MessageHandler> handler) {
  handlers_.erase(message);
  if (handler) handlers_[message] = std::move(handler);
}

void WindowObject::Destroy() {
  if (IsValid()) CurrentBackend().DestroyWindow(handle_);
  handle_ = kNoWindow;
  handlers_.clear();
}

intptr_t WindowObject::SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!IsValid()) return 0;
  return CurrentBackend().SendMessage(handle_, message, wParam, lParam);
}

bool WindowObject::PostWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!IsValid()) return false;
  return CurrentBackend().PostMessage(handle_, message, wParam, lParam);
}

bool WindowObject::IsValid() const { return handle_ != kNoWindow && CurrentBackend().IsWindow(handle_); }

WindowPlacement WindowObject::ComputeWindowRect(int32_t clientWidth, int32_t clientHeight, uint32_t style,
                                                uint32_t exStyle, bool hasMenu, bool applyPlacement, int32_t x,
                                                int32_t y) const {
  Backend& backend = CurrentBackend();
  bool menu = false;
  if (style & WS_SYSMENU) {
    menu = hasMenu || (IsValid() && backend.GetMenu(handle_) != nullptr);
  }
  uint32_t adjustStyle = menu ? style : (style & ~WS_SYSMENU);
  Rect outer = backend.AdjustWindowRect(Rect{0, 0, clientWidth, clientHeight}, adjustStyle, exStyle, menu);
  WindowPlacement result;
  result.outer = outer;
  result.width = outer.Width();
  result.height = outer.Height();
  result.x = x;
  result.y = y;
  if (!applyPlacement || placement == 0) return result;

  MonitorList* monitors = CurrentMonitorList();
  if (monitors && monitors->GetCount() >= 2) {
    monitors->PlaceWindow(result.x, result.y, result.width, result.height, placement - 1 != 0, true);
    return result;
  }
  Rect work;
  std::vector<MonitorDesc> descs;
  if (backend.EnumerateMonitors(descs) && !descs.empty()) {
    work = descs.front().workArea;
  } else {
    DisplayMode mode = backend.DesktopMode();
    work = Rect{0, 0, mode.width, mode.height};
  }
  bool fits = x >= 0 && y >= 0 && x <= work.Width() - result.width && y <= work.Height() - result.height;
  if ((placement == 1 && !fits) || placement == 2) {
    int32_t cx = (work.Width() - result.width) / 2;
    int32_t cy = (work.Height() - result.height) / 2;
    if (cx < 0 || cy < 0) {
      result.x = 0;
      result.y = 0;
    } else {
      result.x = work.left + cx;
      result.y = work.top + cy;
    }
  }
  return result;
}

int WindowObject::OnMessage(MessageRecord& record) {
  if (record.message == WM_DESTROY && quitOnDestroy) {
    CurrentBackend().PostQuitMessage(0);
    return 0;
  }
  return 1;
}

intptr_t WindowObject::WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_NCCREATE) handle_ = window;
  MessageRecord record;
  record.window = this;
  record.message = message;
  record.wParam = wParam;
  record.lParam = lParam;
  intptr_t result;
  auto it = handlers_.find(message);
  if (it != handlers_.end() && it->second->Handle(record) == 0) {
    result = record.result;
  } else if (OnMessage(record) == 0) {
    result = record.result;
  } else {
    result = CurrentBackend().DefWindowProc(window, message, record.wParam, record.lParam);
  }
  if (message == WM_NCDESTROY && handle_ == window) handle_ = kNoWindow;
  return result;
}

}  // namespace orrivel
