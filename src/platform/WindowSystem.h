#pragma once
// Windows and the message queue, shared by both back ends. A window is a
// record here (class, text, styles, rectangle, state); a back end adds the
// native window and turns its events into messages. The queue keeps the
// order of posted messages, runs sent messages on the window thread, and
// makes WM_PAINT when nothing else is waiting.
//
// One thread (the one that creates windows) owns the queue and runs every
// window procedure. Other threads may post, and may send: a cross-thread send
// waits until the window thread takes the message while it polls or waits.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Display.h"
#include "platform/Menu.h"
#include "platform/Messages.h"

namespace orrivel::platform {

// The procedure of one window (the engine's window object).
class WindowClient {
 public:
  virtual ~WindowClient() = default;
  virtual intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

enum class ClassBrush : uint8_t { Black, Hollow, Window };

struct WindowClass {
  std::string name;  // CP932
  uint16_t iconId = 0;
  uint16_t menuId = 0;
  ClassBrush brush = ClassBrush::Window;
};

struct WindowCreateParams {
  std::string className;  // CP932
  std::string text;       // CP932
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;   // outer size
  int32_t height = 0;
  WindowId parent = kNoWindow;
  WindowClient* client = nullptr;
};

class WindowSystem {
 public:
  WindowSystem();
  virtual ~WindowSystem();
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // Classes. Registering a name twice fails, as it would on the first run.
  bool RegisterClass(const WindowClass& windowClass);
  bool IsClassRegistered(const std::string& name) const;

  // Windows. CreateWindow delivers WM_NCCREATE (a zero answer refuses the
  // window) and WM_CREATE (-1 refuses it); 0 on failure.
  WindowId CreateWindow(const WindowCreateParams& params);
  // Children first, then WM_DESTROY and WM_NCDESTROY to the window itself.
  bool DestroyWindow(WindowId window);
  bool IsWindow(WindowId window) const;
  // The procedure of a window, and its replacement: a filter that sees a
  // window's messages first and hands them on to the procedure it replaced.
  // Both answer null for an unknown window (which is left as it is).
  WindowClient* GetWindowClient(WindowId window) const;
  WindowClient* SetWindowClient(WindowId window, WindowClient* client);
  bool ShowWindow(WindowId window, int32_t command);
  bool IsVisible(WindowId window) const;
  bool IsMinimized(WindowId window) const;
  bool SetWindowText(WindowId window, const std::string& cp932);
  std::string GetWindowText(WindowId window) const;
  uint32_t GetStyle(WindowId window) const;
  void SetStyle(WindowId window, uint32_t style);
  uint32_t GetExStyle(WindowId window) const;
  void SetExStyle(WindowId window, uint32_t exStyle);
  Rect GetWindowRect(WindowId window) const;
  // (0, 0, client width, client height).
  Rect GetClientRect(WindowId window) const;
  // Between client and desktop coordinates: the client area starts inside
  // the frame that the window's styles and menu give it. An unknown window
  // leaves the point as it is.
  Point ClientToScreen(WindowId window, Point point) const;
  Point ScreenToClient(WindowId window, Point point) const;
  bool MoveWindow(WindowId window, const Rect& outer);
  bool SetTopMost(WindowId window, bool topMost);
  bool SetFullScreen(WindowId window, bool fullScreen);
  bool IsFullScreen(WindowId window) const;
  bool IsTopMost(WindowId window) const;
  bool EnableWindow(WindowId window, bool enable);
  bool IsWindowEnabled(WindowId window) const;
  bool SetForegroundWindow(WindowId window);
  WindowId GetActiveWindow() const;
  // Activation change: WM_ACTIVATEAPP and WM_ACTIVATE to the windows
  // concerned (0 deactivates the application).
  void ActivateWindow(WindowId window);
  WindowId FindWindow(const std::string& className, const std::string& text) const;
  WindowId GetParent(WindowId window) const;
  // The most recently created live child, or 0.
  WindowId GetTopChild(WindowId window) const;

  // Painting.
  void InvalidateWindow(WindowId window);
  bool IsInvalid(WindowId window) const;
  // Fills the background with the class brush; returns the area to paint.
  Rect BeginPaint(WindowId window);
  void EndPaint(WindowId window);
  // Fills a client rectangle with one colour (0x00RRGGBB).
  virtual void FillClient(WindowId window, const Rect& area, uint32_t rgb);

  // Menus (a model only) and accelerator tables, by resource id.
  void RegisterMenuResource(uint16_t id, Menu menu);
  void RegisterAcceleratorResource(uint16_t id, AcceleratorTable table);
  bool LoadAccelerators(uint16_t id, AcceleratorTable& out) const;
  // menuId 0 removes the window's menu.
  bool SetMenu(WindowId window, uint16_t menuId);
  Menu* GetMenu(WindowId window);

  // The queue.
  bool PostMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  void PostQuitMessage(int32_t code);
  intptr_t SendMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  bool PeekMessage(Message& out, bool remove);
  // 1 for a message, 0 for WM_QUIT, -1 on failure.
  int GetMessage(Message& out);
  // True when a message is waiting within the time.
  bool WaitMessage(uint32_t timeoutMs);
  intptr_t DispatchMessage(const Message& message);
  // Printable characters arrive as WM_CHAR from the back end's text input;
  // this makes the characters of the editing keys (Backspace 8, Tab 9,
  // Enter 13, Escape 27) from their WM_KEYDOWN. True when one was posted.
  bool TranslateMessage(const Message& message);
  // Sends WM_COMMAND for a key that the table holds; true when translated.
  bool TranslateAccelerator(WindowId window, const AcceleratorTable& table, const Message& message);
  intptr_t DefWindowProc(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  size_t QueuedCount() const;

  // Geometry.
  virtual FrameMetrics Metrics() const { return metrics_; }
  void SetMetrics(const FrameMetrics& metrics) { metrics_ = metrics; }
  Rect AdjustWindowRect(const Rect& client, uint32_t style, uint32_t exStyle, bool hasMenu) const;

  // Modifier keys held, as accelerators and key messages see them.
  void SetModifierState(bool shift, bool control, bool alt);
  struct ModifierKeys {
    bool shift = false;
    bool control = false;
    bool alt = false;
  };
  ModifierKeys HeldModifiers() const;

  // Text input (the IME's role): when on, typed text arrives as WM_CHAR.
  virtual void SetTextInputEnabled(WindowId window, bool enabled);
  bool IsTextInputEnabled(WindowId window) const;
  // Text the input method committed (UTF-8): posted as one WM_CHAR per CP932
  // byte, lead and trail bytes in order. Characters CP932 lacks become '?'.
  void PostTextInput(WindowId window, std::string_view utf8);
  // Where the input method puts its candidate list (client coordinates); the
  // list keeps clear of the rectangle.
  void SetTextInputSpot(WindowId window, const Rect& spot);
  Rect TextInputSpot(WindowId window) const;

 protected:
  struct WindowRecord {
    WindowId id = kNoWindow;
    WindowClient* client = nullptr;
    std::string className;
    std::string text;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    Rect rect;
    WindowId parent = kNoWindow;
    uint32_t ownerThread = 0;
    uint16_t menuId = 0;
    Menu menu;
    ClassBrush brush = ClassBrush::Window;
    bool visible = false;
    bool minimized = false;
    bool topMost = false;
    bool fullScreen = false;
    bool enabled = true;
    bool invalid = false;
    bool textInput = false;
    Rect textInputSpot;
    bool destroying = false;
    uint64_t order = 0;
    void* native = nullptr;  // the back end's window
  };

  // Back-end hooks. Native* run on the window thread with no lock held.
  virtual bool NativeRegisterClass(const WindowClass&) { return true; }
  virtual bool NativeCreate(WindowRecord&) { return true; }
  virtual void NativeDestroy(WindowRecord&) {}
  virtual void NativeShow(WindowRecord&, int32_t) {}
  virtual void NativeSetText(WindowRecord&) {}
  virtual void NativeMove(WindowRecord&) {}
  virtual void NativeSetFullScreen(WindowRecord&) {}
  virtual void NativeRaise(WindowRecord&) {}
  virtual void NativeSetTextInput(WindowRecord&) {}
  virtual void NativeSetTextInputSpot(WindowRecord&) {}
  // Turns waiting native events into messages; never blocks.
  virtual void PumpNativeEvents() {}
  // Blocks up to ms for native events or queue activity; comes back at
  // once when native events are already waiting.
  virtual void WaitForActivity(uint32_t ms);
  // Seen by the headless transcript: every message that reaches a window
  // procedure, posted or sent.
  virtual void OnDeliver(const Message&) {}
  // Makes the next GetMessage calls fail (test injection).
  void FailGetMessage(int count) { getMessageFailures_ = count; }

  WindowRecord* Find(WindowId window);
  const WindowRecord* Find(WindowId window) const;
  // Runs the window procedure now, as a sent message.
  intptr_t Deliver(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  // Wakes a thread blocked in WaitForActivity. May be called with mutex_
  // held, from any thread.
  virtual void NotifyActivity();
  bool HasWork() const;  // caller holds mutex_

  mutable std::mutex mutex_;
  std::condition_variable activity_;

 private:
  struct PendingSend {
    Message message;
    intptr_t result = 0;
    bool done = false;
  };

  void ProcessSentMessages();
  // PeekMessage without taking the native events first.
  bool PeekQueuedMessage(Message& out, bool remove);
  bool TakePaintMessage(Message& out);
  void DestroyRecord(WindowId window);

  std::map<std::string, WindowClass> classes_;
  std::map<WindowId, std::unique_ptr<WindowRecord>> windows_;
  std::map<uint16_t, Menu> menus_;
  std::map<uint16_t, AcceleratorTable> accelerators_;
  std::deque<Message> queue_;
  std::deque<PendingSend*> sends_;
  std::condition_variable sendDone_;
  WindowId nextId_ = 0x100;
  uint64_t nextOrder_ = 1;
  WindowId active_ = kNoWindow;
  FrameMetrics metrics_;
  bool shift_ = false;
  bool control_ = false;
  bool alt_ = false;
  int getMessageFailures_ = 0;
};

}  // namespace orrivel::platform
