// The parts table reader on arbitrary bytes (lines end in CR-LF), then the
// key lines of every part it finds against an 8 x 8 picture.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "effect/SpritePartsAction.h"
#include "resource/FileObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orrivel::SpritePartsAction;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool optional : {false, true}) {
    size_t position = 0;
    const auto readLine = [&](char* buffer, uint32_t capacity) -> int32_t {
      if (position >= text.size()) return 0;
      const size_t end = text.find("\r\n", position);
      const size_t length = (end == std::string_view::npos ? text.size() : end) - position;
      if (length + 1 > capacity) return orrivel::kLineTooLong;
      std::memcpy(buffer, text.data() + position, length);
      buffer[length] = '\0';
      const size_t consumed = length + (end == std::string_view::npos ? 0 : 2);
      position += consumed;
      return int32_t(consumed);
    };
    std::vector<SpritePartsAction::PartLines> parts;
    if (SpritePartsAction::ReadTableLines(readLine, optional, parts) != 0) continue;
    SpritePartsAction::LoadOptions options;
    options.scale = optional ? 0.5 : 1.0;
    for (const auto& lines : parts) {
      orrivel::PartRecord part;
      if (part.surface.Create(8, 8, 32, 0) != 0) break;
      SpritePartsAction::BuildKeys(part, lines.lines, options);
    }
  }
  return 0;
}
