#include "platform/sdl/SdlClipboard.h"

#include <SDL.h>

#include "platform/TextCodec.h"

namespace orrivel::platform {

bool SdlClipboard::SetText(std::string_view cp932) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const std::string utf8 = Cp932ToUtf8Lossy(cp932);
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}

std::optional<std::string> SdlClipboard::GetText() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_HasClipboardText() != SDL_TRUE) return std::nullopt;
  char* utf8 = SDL_GetClipboardText();
  if (utf8 == nullptr) return std::nullopt;
  std::string text = Utf8ToCp932Lossy(utf8);
  SDL_free(utf8);
  return text;
}

}  // namespace orrivel::platform
