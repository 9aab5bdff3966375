#pragma once
// The polled keyboard restricted to the 47 keys of the short list (arrows,
// numeric pad, editing keys, Escape, function keys, Z, X, C and the keys
// games confirm and cancel with); every other key reads as up.
#include "base/FullApiKeyboard.h"

namespace orrivel {

class ApiKeyboard : public FullApiKeyboard {
 public:
  ApiKeyboard();
  int32_t GetKind() const override { return kInputShortKeyList; }
};

}  // namespace orrivel
