#include "base/AppFramework.h"

#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace orrivel {

using namespace platform;

namespace {
AppFramework* g_app = nullptr;
}  // namespace

AppFramework* CurrentAppFramework() { return g_app; }

AppFramework::AppFramework(bool useLoop) : useMessageLoop(useLoop) { g_app = this; }

AppFramework::~AppFramework() {
  if (g_app == this) g_app = nullptr;
}

void AppFramework::TranslateAndDispatch(const Message& message) {
  Backend& backend = CurrentBackend();
  if (!accelerators.empty() && backend.TranslateAccelerator(acceleratorWindow, accelerators, message)) return;
  backend.TranslateMessage(message);
  backend.DispatchMessage(message);
}

int32_t AppFramework::Run(void* inst, void* prev, const char* line, int32_t show) {
  instance = inst;
  prevInstance = prev;
  commandLine = line;
  showCommand = show;

  int result = Init();
  if (result != 0) {
    Exit(result);
    return result;
  }
  if (!useMessageLoop) {
    MainLoop();
    Exit(0);
    return 0;
  }
  Backend& backend = CurrentBackend();
  while (!quitSeen) {
    Message message;
    int got = backend.GetMessage(message);
    if (got == 0) break;
    if (got == -1) {
      MessageBoxRequest box;
      box.text = Utf8ToCp932Lossy("GetMessage()でエラーが発生しました");
      const char* title = GetTitle();
      box.caption = title ? std::string(title) : Utf8ToCp932Lossy("エラー");
      box.icon = MessageBoxIcon::Stop;
      box.owner = kDesktopWindow;
      box.systemModal = true;
      backend.ShowMessageBox(box);
      break;
    }
    if (PreTranslateMessage(message)) continue;
    TranslateAndDispatch(message);
  }
  Exit(0);
  return 0;
}

int AppFramework::PumpMessages(bool all) {
  Backend& backend = CurrentBackend();
  Message message;
  while (backend.PeekMessage(message, true)) {
    if (!all) {
      switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_NCHITTEST:
        case WM_SETCURSOR:
          continue;
        default:
          break;
      }
    }
    if (PreTranslateMessage(message)) continue;
    if (message.message == WM_QUIT) {
      quitSeen = true;
      return 1;
    }
    TranslateAndDispatch(message);
  }
  return 0;
}

}  // namespace orrivel
