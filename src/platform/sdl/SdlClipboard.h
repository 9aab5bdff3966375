#pragma once
// The desktop's clipboard through SDL, which holds UTF-8 text.
#include "platform/Clipboard.h"

namespace orrivel::platform {

class SdlClipboard : public Clipboard {
 public:
  bool SetText(std::string_view cp932) override;
  std::optional<std::string> GetText() override;
};

}  // namespace orrivel::platform
