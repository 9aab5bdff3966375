#pragma once
// The scripts' printf: a format string over 32-bit argument cells, as the
// string natives and the text natives format. Conversions: %d %i %u %x %X
// %c %s %%, the flags - + space # 0, a width, a precision and the l and h
// size prefixes (cells are 32 bits, so l changes nothing; h takes the low
// 16 bits). %s reads a script string through the checked access (address 0
// prints "(null)"); any other letter after % is copied as it stands. The
// result holds at most kMaxBytes - 1 bytes, never a split double-byte
// character.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orrivel {

class NativeArgs;

// The longest prefix of text, at most max bytes, that ends between
// characters.
size_t CharBoundary(std::string_view text, size_t max);

inline constexpr size_t kScriptFormatMaxBytes = 1024;

// Formats with the cells from firstCell on. nullopt (and a failed call)
// when a cell or a %s string lies outside the arena.
std::optional<std::string> FormatScriptText(NativeArgs& args, const std::string& format, uint32_t firstCell);

}  // namespace orrivel
