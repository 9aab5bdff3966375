#include "platform/Clipboard.h"

#include "platform/Backend.h"
#include "platform/headless/HeadlessClipboard.h"
#include "platform/sdl/SdlClipboard.h"

namespace orrivel::platform {

Clipboard& CurrentClipboard() {
  static HeadlessClipboard memory;
  static SdlClipboard desktop;
  if (CurrentBackend().IsHeadless()) return memory;
  return desktop;
}

}  // namespace orrivel::platform
