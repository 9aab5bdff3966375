// Susie-style name rules on arbitrary bytes: the filter becomes an
// extension list without splitting two-byte characters, and two names that
// compare equal (the input split at its first 0xFF) hash alike.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Cp932.h"
#include "resource/SusieName.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string& extension : orrivel::SusieFilterToExtensions(text)) {
    if (extension.empty()) std::abort();
    size_t i = 0;
    while (i < extension.size()) i += orrivel::cp932::CharLength(extension, i);
    if (i != extension.size()) std::abort();  // a character cut in two
  }
  const size_t split = text.find('\xFF');
  const std::string_view a = text.substr(0, split);
  const std::string_view b = split == std::string_view::npos ? text : text.substr(split + 1);
  if (orrivel::SusieNamesEqual(a, b) && orrivel::SusieNameHash(a) != orrivel::SusieNameHash(b)) std::abort();
  if (orrivel::SusieNameHash(a) == 0) std::abort();
  return 0;
}
