#include "base/ApiKeyboard.h"

#include "platform/KeyTable.h"

namespace orrivel {

ApiKeyboard::ApiKeyboard() : FullApiKeyboard(platform::ShortKeyList()) {}

}  // namespace orrivel
