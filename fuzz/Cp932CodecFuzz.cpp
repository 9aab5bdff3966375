// The CP932 text codec on arbitrary bytes, both ways. Text that converts
// to UTF-8 converts back, and a second round gives the same UTF-8 (several
// codes may share one character on either side, so the bytes themselves
// need not come back). The lossy forms never fail, and the case routines keep every
// two-byte character as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Cp932.h"
#include "platform/TextCodec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// CP932 text that converts: its UTF-8 converts back, and converting that
// once more gives the same UTF-8 again.
void CheckStableRoundTrip(std::string_view cp932) {
  const auto utf8 = orrivel::platform::Cp932ToUtf8(cp932);
  Check(utf8.has_value());
  const auto back = orrivel::platform::Utf8ToCp932(*utf8);
  Check(back.has_value());
  const auto again = orrivel::platform::Cp932ToUtf8(*back);
  Check(again.has_value() && *again == *utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  using namespace orrivel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (platform::Cp932ToUtf8(text)) CheckStableRoundTrip(text);
  // UTF-8 that converts may come back as another character of the same code
  // ("～" and "〜" share one), but from there the round trip is stable.
  if (const auto cp932 = platform::Utf8ToCp932(text)) CheckStableRoundTrip(*cp932);
  platform::Cp932ToUtf8Lossy(text);
  platform::Utf8ToCp932Lossy(text);

  const std::string upper = cp932::ToUpper(text), lower = cp932::ToLower(text);
  Check(upper.size() == text.size() && lower.size() == text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = cp932::CharLength(text, i);
    if (length == 2) Check(upper.compare(i, 2, text.substr(i, 2)) == 0 && lower.compare(i, 2, text.substr(i, 2)) == 0);
    i += length;
  }
  Check(cp932::CompareNoCase(upper, lower) == 0);
  return 0;
}
