#include "platform/WindowSystem.h"

#include <algorithm>
#include <chrono>

#include "platform/Clock.h"
#include "platform/TextCodec.h"
#include "platform/ThreadId.h"

namespace orrivel::platform {

WindowSystem::WindowSystem() = default;

WindowSystem::~WindowSystem() {
  // Release any thread still waiting on a send: its window is gone.
  std::lock_guard lock(mutex_);
  for (PendingSend* send : sends_) send->done = true;
  sends_.clear();
  sendDone_.notify_all();
}

WindowSystem::WindowRecord* WindowSystem::Find(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

const WindowSystem::WindowRecord* WindowSystem::Find(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool WindowSystem::RegisterClass(const WindowClass& windowClass) {
  {
    std::lock_guard lock(mutex_);
    if (windowClass.name.empty() || classes_.count(windowClass.name)) return false;
  }
  if (!NativeRegisterClass(windowClass)) return false;
  std::lock_guard lock(mutex_);
  classes_[windowClass.name] = windowClass;
  return true;
}

bool WindowSystem::IsClassRegistered(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return classes_.count(name) != 0;
}

WindowId WindowSystem::CreateWindow(const WindowCreateParams& params) {
  WindowId id;
  {
    std::lock_guard lock(mutex_);
    auto cls = classes_.find(params.className);
    if (cls == classes_.end()) return kNoWindow;
    if (params.parent != kNoWindow && !Find(params.parent)) return kNoWindow;
    auto record = std::make_unique<WindowRecord>();
    id = nextId_++;
    record->id = id;
    record->client = params.client;
    record->className = params.className;
    record->text = params.text;
    record->style = params.style & ~WS_VISIBLE;
    record->exStyle = params.exStyle;
    record->rect = Rect{params.x, params.y, params.x + params.width, params.y + params.height};
    record->parent = params.parent;
    record->ownerThread = CurrentThreadId();
    record->brush = cls->second.brush;
    record->menuId = cls->second.menuId;
    if (record->menuId) {
      auto menu = menus_.find(record->menuId);
      if (menu != menus_.end()) record->menu = menu->second;
    }
    record->topMost = (params.exStyle & WS_EX_TOPMOST) != 0;
    record->order = nextOrder_++;
    windows_[id] = std::move(record);
  }
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(id);
  }
  if (!NativeCreate(*record)) {
    std::lock_guard lock(mutex_);
    windows_.erase(id);
    return kNoWindow;
  }
  if (Deliver(id, WM_NCCREATE, 0, 0) == 0 || Deliver(id, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(id);
    return kNoWindow;
  }
  if (params.style & WS_VISIBLE) ShowWindow(id, SW_SHOW);
  return id;
}

bool WindowSystem::DestroyWindow(WindowId window) {
  std::vector<WindowId> children;
  WindowId owner = kNoWindow;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* record = Find(window);
    if (!record || record->destroying) return false;
    record->destroying = true;
    owner = record->parent;
    for (auto& [id, other] : windows_) {
      if (other->parent == window) children.push_back(id);
    }
  }
  for (WindowId child : children) DestroyWindow(child);
  if (GetActiveWindow() == window) {
    // An owned window that goes while active hands the activation back to
    // its owner, as the owner of a modal window expects once it closes; an
    // owner that is going too, hidden or still disabled takes nothing.
    bool ownerTakes = false;
    {
      std::lock_guard lock(mutex_);
      const WindowRecord* next = Find(owner);
      ownerTakes = next && !next->destroying && next->visible && next->enabled;
    }
    ActivateWindow(ownerTakes ? owner : kNoWindow);
  }
  Deliver(window, WM_DESTROY, 0, 0);
  Deliver(window, WM_NCDESTROY, 0, 0);
  DestroyRecord(window);
  return true;
}

void WindowSystem::DestroyRecord(WindowId window) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
  }
  if (!record) return;
  NativeDestroy(*record);
  std::lock_guard lock(mutex_);
  windows_.erase(window);
  // A thread waiting on a send to this window gets its 0 now.
  for (auto it = sends_.begin(); it != sends_.end();) {
    if ((*it)->message.window == window) {
      (*it)->done = true;
      it = sends_.erase(it);
    } else {
      ++it;
    }
  }
  sendDone_.notify_all();
}

bool WindowSystem::IsWindow(WindowId window) const {
  std::lock_guard lock(mutex_);
  return Find(window) != nullptr;
}

WindowClient* WindowSystem::GetWindowClient(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->client : nullptr;
}

WindowClient* WindowSystem::SetWindowClient(WindowId window, WindowClient* client) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  if (!record) return nullptr;
  WindowClient* previous = record->client;
  record->client = client;
  return previous;
}

void WindowSystem::PostTextInput(WindowId window, std::string_view utf8) {
  for (unsigned char byte : Utf8ToCp932Lossy(utf8)) PostMessage(window, WM_CHAR, byte, 1);
}

bool WindowSystem::ShowWindow(WindowId window, int32_t command) {
  WindowRecord* record;
  bool wasVisible;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return false;
    wasVisible = record->visible;
    if (command == SW_HIDE) {
      record->visible = false;
    } else if (command == SW_MINIMIZE) {
      record->visible = true;
      record->minimized = true;
    } else {
      record->visible = true;
      record->minimized = false;
      record->invalid = true;
    }
    if (record->visible) record->style |= WS_VISIBLE; else record->style &= ~WS_VISIBLE;
  }
  NativeShow(*record, command);
  bool topLevel = GetParent(window) == kNoWindow;
  if (command == SW_HIDE || command == SW_MINIMIZE) {
    if (GetActiveWindow() == window) ActivateWindow(kNoWindow);
  } else if (topLevel && GetActiveWindow() == kNoWindow) {
    ActivateWindow(window);
  }
  NotifyActivity();
  return wasVisible;
}

bool WindowSystem::IsVisible(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->visible;
}

bool WindowSystem::IsMinimized(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->minimized;
}

bool WindowSystem::SetWindowText(WindowId window, const std::string& cp932) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return false;
    record->text = cp932;
  }
  NativeSetText(*record);
  return true;
}

std::string WindowSystem::GetWindowText(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->text : std::string();
}

uint32_t WindowSystem::GetStyle(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->style : 0;
}

void WindowSystem::SetStyle(WindowId window, uint32_t style) {
  std::lock_guard lock(mutex_);
  if (WindowRecord* record = Find(window)) {
    record->style = (style & ~WS_VISIBLE) | (record->visible ? WS_VISIBLE : 0);
  }
}

uint32_t WindowSystem::GetExStyle(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->exStyle : 0;
}

void WindowSystem::SetExStyle(WindowId window, uint32_t exStyle) {
  std::lock_guard lock(mutex_);
  if (WindowRecord* record = Find(window)) record->exStyle = exStyle;
}

Rect WindowSystem::GetWindowRect(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->rect : Rect{};
}

Rect WindowSystem::GetClientRect(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  if (!record) return Rect{};
  Rect outer{0, 0, record->rect.Width(), record->rect.Height()};
  Rect frame = AdjustWindowRect(Rect{0, 0, 0, 0}, record->style, record->exStyle, record->menuId != 0);
  int32_t width = std::max(0, outer.Width() - frame.Width());
  int32_t height = std::max(0, outer.Height() - frame.Height());
  return Rect{0, 0, width, height};
}

Point WindowSystem::ClientToScreen(WindowId window, Point point) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  if (!record) return point;
  Rect frame = AdjustWindowRect(Rect{0, 0, 0, 0}, record->style, record->exStyle, record->menuId != 0);
  return Point{point.x + record->rect.left - frame.left, point.y + record->rect.top - frame.top};
}

Point WindowSystem::ScreenToClient(WindowId window, Point point) const {
  Point origin = ClientToScreen(window, Point{0, 0});
  if (!IsWindow(window)) return point;
  return Point{point.x - origin.x, point.y - origin.y};
}

bool WindowSystem::MoveWindow(WindowId window, const Rect& outer) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return false;
    record->rect = outer;
    record->invalid = record->visible;
  }
  NativeMove(*record);
  return true;
}

bool WindowSystem::SetTopMost(WindowId window, bool topMost) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  if (!record) return false;
  record->topMost = topMost;
  if (topMost) record->exStyle |= WS_EX_TOPMOST; else record->exStyle &= ~WS_EX_TOPMOST;
  return true;
}

bool WindowSystem::SetFullScreen(WindowId window, bool fullScreen) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return false;
    record->fullScreen = fullScreen;
  }
  NativeSetFullScreen(*record);
  return true;
}

bool WindowSystem::IsFullScreen(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->fullScreen;
}

bool WindowSystem::IsTopMost(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->topMost;
}

bool WindowSystem::EnableWindow(WindowId window, bool enable) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  if (!record) return false;
  bool wasDisabled = !record->enabled;
  record->enabled = enable;
  return wasDisabled;
}

bool WindowSystem::IsWindowEnabled(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->enabled;
}

bool WindowSystem::SetForegroundWindow(WindowId window) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return false;
  }
  NativeRaise(*record);
  if (!IsMinimized(window)) ActivateWindow(window);
  return true;
}

WindowId WindowSystem::GetActiveWindow() const {
  std::lock_guard lock(mutex_);
  return active_;
}

void WindowSystem::ActivateWindow(WindowId window) {
  WindowId previous;
  {
    std::lock_guard lock(mutex_);
    if (window != kNoWindow && !Find(window)) return;
    if (active_ == window) return;
    previous = active_;
    active_ = window;
  }
  if (previous != kNoWindow) {
    Deliver(previous, WM_ACTIVATE, WA_INACTIVE, intptr_t(window));
    if (window == kNoWindow) Deliver(previous, WM_ACTIVATEAPP, 0, 0);
  }
  if (window != kNoWindow) {
    if (previous == kNoWindow) Deliver(window, WM_ACTIVATEAPP, 1, 0);
    Deliver(window, WM_ACTIVATE, WA_ACTIVE, intptr_t(previous));
  }
}

WindowId WindowSystem::FindWindow(const std::string& className, const std::string& text) const {
  std::lock_guard lock(mutex_);
  for (auto& [id, record] : windows_) {
    if (record->parent == kNoWindow && record->className == className && record->text == text) return id;
  }
  return kNoWindow;
}

WindowId WindowSystem::GetParent(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->parent : kNoWindow;
}

WindowId WindowSystem::GetTopChild(WindowId window) const {
  std::lock_guard lock(mutex_);
  WindowId best = kNoWindow;
  uint64_t bestOrder = 0;
  for (auto& [id, record] : windows_) {
    if (record->parent == window && record->order > bestOrder) {
      best = id;
      bestOrder = record->order;
    }
  }
  return best;
}

void WindowSystem::InvalidateWindow(WindowId window) {
  {
    std::lock_guard lock(mutex_);
    WindowRecord* record = Find(window);
    if (!record) return;
    record->invalid = true;
  }
  NotifyActivity();
}

bool WindowSystem::IsInvalid(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->invalid;
}

Rect WindowSystem::BeginPaint(WindowId window) {
  ClassBrush brush;
  Rect client = GetClientRect(window);
  {
    std::lock_guard lock(mutex_);
    WindowRecord* record = Find(window);
    if (!record) return Rect{};
    brush = record->brush;
  }
  if (brush == ClassBrush::Black) FillClient(window, client, 0x000000);
  return client;
}

void WindowSystem::EndPaint(WindowId window) {
  std::lock_guard lock(mutex_);
  if (WindowRecord* record = Find(window)) record->invalid = false;
}

void WindowSystem::FillClient(WindowId, const Rect&, uint32_t) {}

void WindowSystem::RegisterMenuResource(uint16_t id, Menu menu) {
  std::lock_guard lock(mutex_);
  menus_[id] = std::move(menu);
}

void WindowSystem::RegisterAcceleratorResource(uint16_t id, AcceleratorTable table) {
  std::lock_guard lock(mutex_);
  accelerators_[id] = std::move(table);
}

bool WindowSystem::LoadAccelerators(uint16_t id, AcceleratorTable& out) const {
  std::lock_guard lock(mutex_);
  auto it = accelerators_.find(id);
  if (it == accelerators_.end()) return false;
  out = it->second;
  return true;
}

bool WindowSystem::SetMenu(WindowId window, uint16_t menuId) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  if (!record) return false;
  record->menuId = 0;
  record->menu = Menu();
  if (menuId == 0) return true;
  auto it = menus_.find(menuId);
  if (it == menus_.end()) return false;
  record->menuId = menuId;
  record->menu = it->second;
  return true;
}

Menu* WindowSystem::GetMenu(WindowId window) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  return record && record->menuId ? &record->menu : nullptr;
}

bool WindowSystem::PostMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard lock(mutex_);
    if (window != kNoWindow && !Find(window)) return false;
    Message m;
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = Clock().TickMs();
    queue_.push_back(m);
  }
  NotifyActivity();
  return true;
}

void WindowSystem::PostQuitMessage(int32_t code) { PostMessage(kNoWindow, WM_QUIT, uintptr_t(intptr_t(code)), 0); }

intptr_t WindowSystem::SendMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  uint32_t owner;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* record = Find(window);
    if (!record) return 0;
    owner = record->ownerThread;
  }
  if (owner == CurrentThreadId()) return Deliver(window, message, wParam, lParam);

  PendingSend send;
  send.message.window = window;
  send.message.message = message;
  send.message.wParam = wParam;
  send.message.lParam = lParam;
  std::unique_lock lock(mutex_);
  sends_.push_back(&send);
  activity_.notify_all();
  NotifyActivity();
  sendDone_.wait(lock, [&] { return send.done; });
  return send.result;
}

void WindowSystem::ProcessSentMessages() {
  for (;;) {
    PendingSend* send;
    {
      std::lock_guard lock(mutex_);
      if (sends_.empty()) return;
      send = sends_.front();
      sends_.pop_front();
    }
    intptr_t result = Deliver(send->message.window, send->message.message, send->message.wParam,
                              send->message.lParam);
    std::lock_guard lock(mutex_);
    send->result = result;
    send->done = true;
    sendDone_.notify_all();
  }
}

bool WindowSystem::TakePaintMessage(Message& out) {
  std::lock_guard lock(mutex_);
  uint32_t me = CurrentThreadId();
  for (auto& [id, record] : windows_) {
    if (record->invalid && record->visible && !record->minimized && record->ownerThread == me) {
      out = Message{};
      out.window = id;
      out.message = WM_PAINT;
      out.time = Clock().TickMs();
      return true;
    }
  }
  return false;
}

bool WindowSystem::PeekMessage(Message& out, bool remove) {
  ProcessSentMessages();
  PumpNativeEvents();
  return PeekQueuedMessage(out, remove);
}

bool WindowSystem::PeekQueuedMessage(Message& out, bool remove) {
  ProcessSentMessages();
  {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) {
      out = queue_.front();
      if (remove) queue_.pop_front();
      return true;
    }
  }
  return TakePaintMessage(out);
}

int WindowSystem::GetMessage(Message& out) {
  for (;;) {
    if (getMessageFailures_ > 0) {
      --getMessageFailures_;
      return -1;
    }
    if (PeekMessage(out, true)) return out.message == WM_QUIT ? 0 : 1;
    WaitForActivity(UINT32_MAX);
  }
}

bool WindowSystem::WaitMessage(uint32_t timeoutMs) {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // The native events are not taken here: the back end's wait looks at
  // them first and comes back at once when some are waiting.
  Message probe;
  if (PeekQueuedMessage(probe, false)) return true;
  for (;;) {
    const auto now = steady_clock::now();
    if (now >= deadline) return false;
    // Rounded up, so that one wait reaches the time: one that ended a
    // fraction of a millisecond short would be followed by another.
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
    WaitForActivity(uint32_t(std::max<int64_t>(1, (left + 999) / 1000)));
    // A wait that ran its time saw nothing: whoever waited looks at the
    // queue next anyway, and every look costs a round of the native events.
    if (steady_clock::now() >= deadline) return false;
    if (PeekMessage(probe, false)) return true;
  }
}

bool WindowSystem::HasWork() const { return !queue_.empty() || !sends_.empty(); }

void WindowSystem::WaitForActivity(uint32_t ms) {
  std::unique_lock lock(mutex_);
  if (HasWork()) return;
  if (ms == UINT32_MAX) {
    activity_.wait(lock, [&] { return HasWork(); });
  } else {
    activity_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return HasWork(); });
  }
}

void WindowSystem::NotifyActivity() { activity_.notify_all(); }

intptr_t WindowSystem::Deliver(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  WindowClient* client;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* record = Find(window);
    if (!record) return 0;
    client = record->client;
  }
  Message m;
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  OnDeliver(m);
  if (!client) return DefWindowProc(window, message, wParam, lParam);
  return client->WindowProcedure(window, message, wParam, lParam);
}

intptr_t WindowSystem::DispatchMessage(const Message& message) {
  if (message.window == kNoWindow) return 0;
  return Deliver(message.window, message.message, message.wParam, message.lParam);
}

bool WindowSystem::TranslateMessage(const Message& message) {
  // Printable text comes from the back end's text input; the editing keys
  // never do, so their characters are made here, after the key message.
  if (message.message != WM_KEYDOWN) return false;
  switch (message.wParam) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
      return PostMessage(message.window, WM_CHAR, message.wParam, message.lParam);
    default:
      return false;
  }
}

void WindowSystem::SetModifierState(bool shift, bool control, bool alt) {
  std::lock_guard lock(mutex_);
  shift_ = shift;
  control_ = control;
  alt_ = alt;
}

WindowSystem::ModifierKeys WindowSystem::HeldModifiers() const {
  std::lock_guard lock(mutex_);
  return ModifierKeys{shift_, control_, alt_};
}

bool WindowSystem::TranslateAccelerator(WindowId window, const AcceleratorTable& table, const Message& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  bool shift, control, alt;
  {
    std::lock_guard lock(mutex_);
    if (!Find(window)) return false;
    shift = shift_;
    control = control_;
    alt = alt_ || message.message == WM_SYSKEYDOWN;
  }
  for (const Accelerator& entry : table) {
    if (!(entry.flags & FVIRTKEY) || entry.key != message.wParam) continue;
    if (bool(entry.flags & FSHIFT) != shift || bool(entry.flags & FCONTROL) != control ||
        bool(entry.flags & FALT) != alt) {
      continue;
    }
    // A command whose menu item is disabled is swallowed without WM_COMMAND.
    if (Menu* menu = GetMenu(window)) {
      if (MenuItem* item = menu->Find(entry.command); item && !item->enabled) return true;
    }
    SendMessage(window, WM_COMMAND, uintptr_t(entry.command) | (1u << 16), 0);
    return true;
  }
  return false;
}

intptr_t WindowSystem::DefWindowProc(WindowId window, uint32_t message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case WM_NCCREATE:
      return 1;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      BeginPaint(window);
      EndPaint(window);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4) SendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0u) {
        case SC_CLOSE:
          SendMessage(window, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(window, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(window, SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

size_t WindowSystem::QueuedCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

Rect WindowSystem::AdjustWindowRect(const Rect& client, uint32_t style, uint32_t, bool hasMenu) const {
  FrameMetrics m = Metrics();
  Rect r = client;
  if ((style & WS_CAPTION) == WS_CAPTION) r.top -= m.captionHeight;
  if (style & (WS_CAPTION | WS_SYSMENU)) {
    r.left -= m.dialogFrameX;
    r.right += m.dialogFrameX;
    r.top -= m.dialogFrameY;
    r.bottom += m.dialogFrameY;
  }
  if (hasMenu) r.top -= m.menuHeight;
  return r;
}

void WindowSystem::SetTextInputEnabled(WindowId window, bool enabled) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return;
    record->textInput = enabled;
  }
  NativeSetTextInput(*record);
}

void WindowSystem::SetTextInputSpot(WindowId window, const Rect& spot) {
  WindowRecord* record;
  {
    std::lock_guard lock(mutex_);
    record = Find(window);
    if (!record) return;
    record->textInputSpot = spot;
  }
  NativeSetTextInputSpot(*record);
}

Rect WindowSystem::TextInputSpot(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record ? record->textInputSpot : Rect{};
}

bool WindowSystem::IsTextInputEnabled(WindowId window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* record = Find(window);
  return record && record->textInput;
}

}  // namespace orrivel::platform
