#pragma once
// The owner of one window: registers its class, creates it with a client area
// of the asked size, and routes each message through its message map before
// its own default handling and the system's. The map belongs to the object,
// not to the window, so handlers registered before Create stay in force.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "base/MessageHandler.h"
#include "base/MessageRecord.h"
#include "platform/Rect.h"
#include "platform/WindowSystem.h"

namespace orrivel {

// What Create is given.
struct WindowCreateRecord {
  int32_t x = -1;
  int32_t y = -1;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint16_t iconId = 0;
  uint16_t menuId = 0;
  uint8_t placement = 0;
  platform::ClassBrush brush = platform::ClassBrush::Window;
  std::string text;       // CP932
  std::string className;  // CP932
};

// The outer rectangle and top-left position that ComputeWindowRect gives.
struct WindowPlacement {
  platform::Rect outer;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class WindowObject : public platform::WindowClient {
 public:
  WindowObject() = default;
  ~WindowObject() override;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  // 0 done, 1 the class could not be registered, 2 the window could not be made.
  int Create(const WindowCreateRecord& record, platform::WindowId parent, bool quitOnDestroy, bool registerClass);
  // Installs the handler for the message, destroying an earlier one first.
  void RegisterMessageHandler(uint32_t message, std::unique_ptr<MessageHandler> handler);
  template <class T>
  void RegisterMessageHandler(uint32_t message, T* object, int (T::*member)(MessageRecord&)) {
    RegisterMessageHandler(message, std::make_unique<MemberMessageHandler<T>>(object, member));
  }
  // Destroys the window when it lives, then every handler.
  void Destroy();

  intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  bool PostWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  bool IsValid() const;
  platform::WindowId GetHandle() const { return handle_; }
  void GetHandleInto(platform::WindowId* out) const {
    if (out) *out = handle_;
  }
  size_t HandlerCount() const { return handlers_.size(); }
  bool HasHandler(uint32_t message) const { return handlers_.count(message) != 0; }
  // Message numbers in map order.
  std::map<uint32_t, std::unique_ptr<MessageHandler>>& Handlers() { return handlers_; }

  WindowPlacement ComputeWindowRect(int32_t clientWidth, int32_t clientHeight, uint32_t style, uint32_t exStyle,
                                    bool hasMenu, bool applyPlacement, int32_t x, int32_t y) const;

  // After the handlers declined: 0 handled, non-zero not handled. The base
  // handles only WM_DESTROY with quitOnDestroy (posting WM_QUIT 0).
  virtual int OnMessage(MessageRecord& record);

  intptr_t WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  bool quitOnDestroy = false;
  uint8_t placement = 0;

 protected:
  platform::WindowId handle_ = platform::kNoWindow;
  std::map<uint32_t, std::unique_ptr<MessageHandler>> handlers_;
};

// True for the system control classes, which are never registered.
bool IsSystemControlClass(const std::string& className);

}  // namespace orrivel
