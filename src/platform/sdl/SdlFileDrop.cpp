#include "platform/sdl/SdlFileDrop.h"

#include "platform/sdl/SdlApi.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileDrop.h"
#include "platform/PathResolver.h"

namespace orrivel::platform {

void CollectSdlDropEvent(WindowSystem& system, WindowId window, uint32_t eventType, const char* utf8File) {
  static std::mutex mutex;
  static std::map<WindowId, std::vector<std::string>> pending;
  std::vector<std::string> ready;
  {
    std::lock_guard lock(mutex);
    switch (eventType) {
      case SDL_DROPBEGIN:
        pending[window].clear();
        return;
      case SDL_DROPFILE:
        if (utf8File) {
          if (auto name = ToInternalPath(utf8File)) pending[window].push_back(std::move(*name));
        }
        return;
      case SDL_DROPCOMPLETE: {
        auto it = pending.find(window);
        if (it == pending.end()) return;
        ready = std::move(it->second);
        pending.erase(it);
        break;
      }
      default:
        return;  // dropped text is not a file
    }
  }
  if (window != kNoWindow) PostDroppedFiles(system, window, std::move(ready));
}

}  // namespace orrivel::platform
