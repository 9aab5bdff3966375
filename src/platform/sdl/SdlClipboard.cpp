#include "platform/sdl/SdlClipboard.h"

#include "platform/sdl/SdlApi.h"

#include "platform/TextCodec.h"

namespace orrivel::platform {

bool SdlClipboard::SetText(std::string_view cp932) {
  if (!sdl::Load() || sdl::Api().WasInit(SDL_INIT_VIDEO) == 0) return false;
  const std::string utf8 = Cp932ToUtf8Lossy(cp932);
  return sdl::Api().SetClipboardText(utf8.c_str()) == 0;
}

std::optional<std::string> SdlClipboard::GetText() {
  if (!sdl::Load() || sdl::Api().WasInit(SDL_INIT_VIDEO) == 0 || sdl::Api().HasClipboardText() != SDL_TRUE)
    return std::nullopt;
  char* utf8 = sdl::Api().GetClipboardText();
  if (utf8 == nullptr) return std::nullopt;
  std::string text = Utf8ToCp932Lossy(utf8);
  sdl::Api().free(utf8);
  return text;
}

}  // namespace orrivel::platform
